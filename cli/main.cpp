#include "cli/Cli.h"
#include "cli/Command.h"

#include <QCoreApplication>
#include <QTextStream>
#include <cstdio>
#include <unistd.h>

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    QTextStream out(stdout);
    QTextStream err(stderr);
    QTextStream in(stdin);
    ConsoleStreams io{out, err, in, isatty(STDERR_FILENO) == 1};
    const int status = RunCli(QCoreApplication::arguments(), io);
    out.flush();
    err.flush();
    return status;
}
