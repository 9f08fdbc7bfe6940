#include "app/MeterApp.h"

#include <cstdio>
#include <cstring>
#ifdef _WIN32
#include <windows.h>
#endif

namespace {
const char kUsage[] =
    "usage: vemo400 [--help] [--version] [Qt options]\n"
    "Configures and monitors one VEMO400 three-phase power meter over a serial line\n"
    "(RS-485, Modbus RTU; the tool is the master, the meter the slave).\n"
    "\n"
#ifdef _WIN32
    "The Port box lists COM1 to COM4 and then the other serial ports present;\n"
    "a port name typed into it (COM12, say) opens that port.\n"
#else
    "The Port box lists COM1 to COM4 and then the other serial ports present\n"
    "(/dev/ttyUSB*, /dev/ttyACM*, /dev/serial/by-id/*); a device path typed into\n"
    "it opens that device. COMn opens the device named in the environment\n"
    "variable VEMO400_COMn, when it is set; else /dev/ttyUSB<n-1> when it exists;\n"
    "else /dev/ttyS<n-1>. Serial devices belong to the dialout group.\n"
#endif
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

#ifdef _WIN32
// A window program has no console of its own: started from a command prompt it
// writes its messages (the help, the frame log, why a port would not open)
// there, and with its standard error redirected, to that file.
void UseTheStartingConsole()
{
    const HANDLE err = GetStdHandle(STD_ERROR_HANDLE);
    if ((err == nullptr || err == INVALID_HANDLE_VALUE) && AttachConsole(ATTACH_PARENT_PROCESS)) {
        std::freopen("CONOUT$", "w", stdout);
        std::freopen("CONOUT$", "w", stderr);
    }
    // Qt would send the frame log to the debugger instead.
    if (qEnvironmentVariableIsEmpty("QT_FORCE_STDERR_LOGGING"))
        qputenv("QT_FORCE_STDERR_LOGGING", "1");
}
#endif
} // namespace

int main(int argc, char** argv)
{
#ifdef _WIN32
    UseTheStartingConsole();
#endif
    if (const int status = AnswerWithoutWindow(argc, argv); status >= 0)
        return status;
    // Ties the window to its desktop entry, whose icon and name the desktop then shows.
    QGuiApplication::setDesktopFileName(QStringLiteral("org.example.vemo400"));
    CMeterApp app(argc, argv);
    return app.Run();
}
