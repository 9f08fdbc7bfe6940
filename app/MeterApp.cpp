#include "app/MeterApp.h"

#include "app/MainDlg.h"
#include "comm/Line.h"
#include "framework/DialogFont.h"

CMeterApp::CMeterApp(int& argc, char** argv) : QApplication(argc, argv)
{
    setApplicationName(QStringLiteral("VEMO400"));
    setFont(WithSansSerifBehind(font()));
}

int CMeterApp::Run()
{
    CMainDlg main;
    main.Create();
    main.show();
    const int status = exec();
    // Let go of the line while Qt still runs, not in the port's destructor at exit.
    CloseLine();
    return status;
}
