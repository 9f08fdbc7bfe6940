#include "app/MeterApp.h"

#include <cstdio>
#include <cstring>

namespace {
const char kUsage[] =
    "usage: vemo400 [--help] [--version] [Qt options]\n"
    "Configures and monitors one VEMO400 three-phase power meter over a serial line\n"
    "(RS-485, Modbus RTU; the tool is the master, the meter the slave).\n"
    "\n"
    "The ports COM1 to COM4 of the connection panel open, for COMn:\n"
    "  the device named in the environment variable VEMO400_COMn, when it is set;\n"
    "  else /dev/ttyUSB<n-1> when it exists; else /dev/ttyS<n-1>.\n"
    "Serial devices belong to the dialout group.\n"
    "\n"
    "QT_LOGGING_RULES=\"vemo400.modbus.debug=true\" prints every request and reply in hex.\n"
    "vemo400-sim(1) is a simulated meter to try the tool without one. See vemo400(1).\n";

// The answer to --help or --version, which needs no window; -1 when the tool should start.
int AnswerWithoutWindow(int argc, char** argv)
{
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--help") == 0 || std::strcmp(argv[i], "-h") == 0) {
            std::fputs(kUsage, stdout);
            return 0;
        }
        if (std::strcmp(argv[i], "--version") == 0) {
            std::printf("vemo400 %s\n", VEMO400_VERSION);
            return 0;
        }
    }
    return -1;
}
} // namespace

int main(int argc, char** argv)
{
    if (const int status = AnswerWithoutWindow(argc, argv); status >= 0)
        return status;
    // Ties the window to its desktop entry, whose icon and name the desktop then shows.
    QGuiApplication::setDesktopFileName(QStringLiteral("org.example.vemo400"));
    CMeterApp app(argc, argv);
    return app.Run();
}
