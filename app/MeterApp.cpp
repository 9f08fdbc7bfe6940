#include "app/MeterApp.h"

#include "app/MainDlg.h"

CMeterApp::CMeterApp(int& argc, char** argv) : QApplication(argc, argv)
{
    setApplicationName(QStringLiteral("VEMO400"));
}

int CMeterApp::Run()
{
    CMainDlg main;
    main.Create();
    main.show();
    return exec();
}
