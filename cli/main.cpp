#include "cli/Cli.h"
#include "cli/Command.h"

#include <QCoreApplication>
#include <QGuiApplication>
#include <QTextStream>
#include <cstdio>
#include <memory>
#ifdef _WIN32
#include <io.h>
#else
#include <unistd.h>
#endif

namespace {
// A console program: only a command that draws text gets the fonts of a
// QGuiApplication, on a platform that never opens a window. Windows' minimal
// platform has the system's fonts, where its offscreen one has none.
std::unique_ptr<QCoreApplication> MakeApplication(int& argc, char** argv)
{
    QStringList arguments;
    for (int i = 0; i < argc; ++i)
        arguments << QString::fromLocal8Bit(argv[i]);
    if (!CommandDrawsText(arguments))
        return std::make_unique<QCoreApplication>(argc, argv);
#ifdef _WIN32
    qputenv("QT_QPA_PLATFORM", "minimal:enable_fonts");
#else
    qputenv("QT_QPA_PLATFORM", "offscreen");
#endif
    return std::make_unique<QGuiApplication>(argc, argv);
}
} // namespace

int main(int argc, char** argv)
{
    const std::unique_ptr<QCoreApplication> app = MakeApplication(argc, argv);
    QTextStream out(stdout);
    QTextStream err(stderr);
    QTextStream in(stdin);
#ifdef _WIN32
    const bool terminal = _isatty(_fileno(stderr)) != 0;
#else
    const bool terminal = isatty(STDERR_FILENO) == 1;
#endif
    ConsoleStreams io{out, err, in, terminal};
    const int status = RunCli(QCoreApplication::arguments(), io);
    out.flush();
    err.flush();
    return status;
}
