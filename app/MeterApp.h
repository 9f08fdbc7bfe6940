#pragma once

#include <QApplication>

// The application object: runs the main window until it is closed.
class CMeterApp : public QApplication
{
    Q_OBJECT
public:
    CMeterApp(int& argc, char** argv);
    int Run();
};
