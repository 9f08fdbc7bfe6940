// Time from the start of the process's main() to the first painted main window,
// and the processor time the idle tool uses afterwards. Run from the release
// build: build/release/bench/startup_bench (offscreen or on a display).
#include "app/MainDlg.h"
#include "framework/MessageBox.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QEvent>
#include <QEventLoop>
#include <QTimer>
#include <cstdio>
#include <ctime>

namespace {
// Stops the clock at the first paint of the watched window.
class FirstPaint : public QObject
{
public:
    FirstPaint(const QElapsedTimer& clock, QEventLoop& loop) : m_clock(clock), m_loop(loop) {}
    qint64 elapsedMs = -1;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (event->type() == QEvent::Paint && elapsedMs < 0) {
            elapsedMs = m_clock.elapsed();
            QTimer::singleShot(0, &m_loop, &QEventLoop::quit);
        }
        return QObject::eventFilter(watched, event);
    }

private:
    const QElapsedTimer& m_clock;
    QEventLoop& m_loop;
};

double ProcessorSeconds()
{
    return static_cast<double>(std::clock()) / CLOCKS_PER_SEC;
}
} // namespace

int main(int argc, char** argv)
{
    QElapsedTimer clock;
    clock.start();
    QApplication app(argc, argv);
    SetMessageBoxFunction([](const QString&, const QString&, MessageIcon) {});
    QEventLoop loop;
    CMainDlg main;
    FirstPaint watcher(clock, loop);
    main.installEventFilter(&watcher);
    main.Create();
    main.show();
    loop.exec();
    std::printf("start-up to first painted main window: %lld ms\n",
                static_cast<long long>(watcher.elapsedMs));

    // Idle: no page selected, the port closed. Only the max/min page's timer runs.
    const double before = ProcessorSeconds();
    QTimer::singleShot(3000, &loop, &QEventLoop::quit);
    loop.exec();
    std::printf("processor time while idle for 3 s: %.0f ms\n", (ProcessorSeconds() - before) * 1000);
    return 0;
}
