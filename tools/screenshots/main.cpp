// Writes a picture of the main window on each of the nine pages, for machines
// without a display. Each page is chosen in the tree as a user would, and
// given time to talk to the meter before the picture is taken.
#include "app/MainDlg.h"
#include "framework/MessageBox.h"

#include <QApplication>
#include <QDir>
#include <QEventLoop>
#include <QTimer>
#include <QTreeWidget>
#include <cstdio>

namespace {
constexpr int kPollTimeMs = 3000;

void RunEventsFor(int milliseconds)
{
    QEventLoop loop;
    QTimer::singleShot(milliseconds, &loop, &QEventLoop::quit);
    loop.exec();
}
} // namespace

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    const QString folder = argc > 1 ? QString::fromLocal8Bit(argv[1]) : QStringLiteral("demo-shots");
    QDir().mkpath(folder);
    // Nobody is there to close a message box: report it and go on.
    SetMessageBoxFunction([](const QString& text, const QString& caption, MessageIcon) {
        std::fprintf(stderr, "message box \"%s\": %s\n", qPrintable(caption), qPrintable(text));
    });

    CMainDlg main;
    main.Create();
    main.show();
    QTreeWidgetItem* root = main.Tree().topLevelItem(0);
    root->setExpanded(true);
    for (int page = 1; page <= CMainDlg::kPageCount; ++page) {
        main.Tree().setCurrentItem(root->child(page - 1));
        RunEventsFor(kPollTimeMs);
        const QString file = QStringLiteral("%1/page-%2.png").arg(folder).arg(page);
        if (!main.grab().save(file)) {
            std::fprintf(stderr, "cannot write %s\n", qPrintable(file));
            return 1;
        }
        std::printf("%s\n", qPrintable(file));
    }
    return 0;
}
