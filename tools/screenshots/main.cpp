// Writes a picture of the main window on each of the nine pages, for machines
// without a display. Each page is chosen in the tree as a user would, and
// given time to talk to the meter before the picture is taken.
// With --trend-and-monitor MINUTES it instead follows the realtime page's
// voltages and Ia in the trend window with the line monitor open for that many
// minutes, and writes a picture of each window. With --wiring-check it opens the
// wiring check on the realtime page and writes a picture of it once it has found.
#include "app/LineMonitorWindow.h"
#include "app/MainDlg.h"
#include "app/TrendWindow.h"
#include "app/WiringCheckWindow.h"
#include "framework/MessageBox.h"

#include <QApplication>
#include <QDir>
#include <QEventLoop>
#include <QTimer>
#include <QTreeWidget>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {
constexpr int kPollTimeMs = 3000;

void RunEventsFor(int milliseconds)
{
    QEventLoop loop;
    QTimer::singleShot(milliseconds, &loop, &QEventLoop::quit);
    loop.exec();
}

bool Save(QWidget& window, const QString& file)
{
    if (!window.grab().save(file)) {
        std::fprintf(stderr, "cannot write %s\n", qPrintable(file));
        return false;
    }
    std::printf("%s\n", qPrintable(file));
    return true;
}

int PagePictures(CMainDlg& main, const QString& folder)
{
    QTreeWidgetItem* root = main.Tree().topLevelItem(0);
    root->setExpanded(true);
    for (int page = 1; page <= CMainDlg::kPageCount; ++page) {
        main.Tree().setCurrentItem(root->child(page - 1));
        RunEventsFor(kPollTimeMs);
        if (!Save(main, QStringLiteral("%1/page-%2.png").arg(folder).arg(page)))
            return 1;
    }
    return 0;
}

int TrendAndMonitorPictures(CMainDlg& main, const QString& folder, int minutes)
{
    QTreeWidgetItem* root = main.Tree().topLevelItem(0);
    root->setExpanded(true);
    main.Tree().setCurrentItem(root->child(0));
    main.ShowLineMonitor();
    for (const char* name : {"Ua", "Ub", "Uc"})
        main.ShowTrend(1, {name, "V", 0});
    main.ShowTrend(1, {"Ia", "A", 0});
    RunEventsFor(minutes * 60 * 1000);
    return Save(*main.Trend(), folder + QStringLiteral("/trend.png")) &&
                   Save(*main.LineMonitor(), folder + QStringLiteral("/line-monitor.png"))
               ? 0
               : 1;
}
int WiringCheckPicture(CMainDlg& main, const QString& folder)
{
    QTreeWidgetItem* root = main.Tree().topLevelItem(0);
    root->setExpanded(true);
    main.Tree().setCurrentItem(root->child(0));
    RunEventsFor(kPollTimeMs);
    main.ShowWiringCheck();
    for (int waited = 0; !main.WiringCheck()->Result() && waited < 10 * kPollTimeMs; waited += 100)
        RunEventsFor(100);
    return main.WiringCheck()->Result() &&
                   Save(*main.WiringCheck(), folder + QStringLiteral("/wiring-check.png"))
               ? 0
               : 1;
}
} // namespace

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    const bool trend = argc > 1 && std::strcmp(argv[1], "--trend-and-monitor") == 0;
    const bool check = argc > 1 && std::strcmp(argv[1], "--wiring-check") == 0;
    const int first = trend ? 3 : check ? 2 : 1;
    const QString folder = argc > first ? QString::fromLocal8Bit(argv[first]) : QStringLiteral("demo-shots");
    QDir().mkpath(folder);
    // Nobody is there to close a message box: report it and go on.
    SetMessageBoxFunction([](const QString& text, const QString& caption, MessageIcon) {
        std::fprintf(stderr, "message box \"%s\": %s\n", qPrintable(caption), qPrintable(text));
    });

    CMainDlg main;
    main.Create();
    main.show();
    if (trend)
        return TrendAndMonitorPictures(main, folder, argc > 2 ? std::atoi(argv[2]) : 10);
    if (check)
        return WiringCheckPicture(main, folder);
    return PagePictures(main, folder);
}
