#include "comm/Line.h"

#include "comm/GatewayLine.h"
#include "comm/SerialLine.h"
#include "comm/SerialPort.h"

#include <QCoreApplication>
#include <QUrl>
#include <cstdio>
#include <cstring>
#include <string>

namespace {
constexpr int kModbusTcpPort = 502;
constexpr int kDefaultAllowanceMs = 300;

CSerialLine g_serial;
std::unique_ptr<CGatewayLine> g_gateway;
CLine* g_line = &g_serial;
int g_allowanceMs = kDefaultAllowanceMs;
std::string g_name;

bool StartsWith(const char* name, const char* prefix)
{
    return std::strncmp(name, prefix, std::strlen(prefix)) == 0;
}

bool IsGatewayUrl(const char* name)
{
    return StartsWith(name, "tcp://") || StartsWith(name, "rtu-tcp://");
}

void DropGateway()
{
    g_line = &g_serial;
    g_gateway.reset();
}

// The socket must go while the application still runs.
void DropGatewayAtExit()
{
    static bool registered = false;
    if (!registered)
        qAddPostRoutine(DropGateway);
    registered = true;
}

std::unique_ptr<CGatewayLine> MakeGateway(const char* name, unsigned baud)
{
    const QUrl url(QString::fromUtf8(name), QUrl::StrictMode);
    const bool modbusTcp = url.scheme() == QLatin1String("tcp");
    const int port = url.port(modbusTcp ? kModbusTcpPort : -1);
    if (!url.isValid() || url.host().isEmpty() || port < 1 || !url.path().isEmpty()) {
        std::fprintf(stderr, "vemo400: %s: a gateway is tcp://HOST[:PORT] or rtu-tcp://HOST:PORT\n", name);
        return nullptr;
    }
    const auto framing = modbusTcp ? CGatewayLine::Framing::ModbusTcp : CGatewayLine::Framing::RtuOverTcp;
    return std::make_unique<CGatewayLine>(framing, QString::fromUtf8(name), url.host(),
                                          static_cast<quint16>(port), baud);
}

bool OpenGateway(const char* name, unsigned baud)
{
    SerialPort.Close();
    // A live connection to the same gateway is kept: many serve one client at a time and
    // free its place only a while after it leaves.
    if (g_gateway && g_gateway->Name() == QString::fromUtf8(name) && g_gateway->IsConnected()) {
        g_gateway->SetBaud(baud);
        return true;
    }
    DropGateway();
    std::unique_ptr<CGatewayLine> gateway = MakeGateway(name, baud);
    if (!gateway)
        return false;
    DropGatewayAtExit();
    g_gateway = std::move(gateway);
    g_line = g_gateway.get();
    if (g_gateway->Connect())
        return true;
    DropGateway();
    return false;
}
// The gateway a port name opens: the name itself, or for COMn the gateway VEMO400_COMn names.
std::string GatewayNamed(const char* name)
{
    if (IsGatewayUrl(name))
        return name;
    int number = 0;
    char rest = 0;
    if (std::sscanf(name, "COM%d%c", &number, &rest) != 1 || number < 1)
        return {};
    const QByteArray mapped = qgetenv(("VEMO400_COM" + std::to_string(number)).c_str());
    return IsGatewayUrl(mapped.constData()) ? mapped.toStdString() : std::string();
}
} // namespace

CLine& Line()
{
    return *g_line;
}

bool IsGatewayName(const char* name)
{
    return !GatewayNamed(name).empty();
}

bool OpenLine(const char* name, unsigned baud, int parity)
{
    g_name = name;
    if (const std::string gateway = GatewayNamed(name); !gateway.empty())
        return OpenGateway(gateway.c_str(), baud);
    DropGateway();
    return SerialPort.Open(name, baud, parity);
}

void CloseLine()
{
    DropGateway();
    SerialPort.Close();
}

const std::string& LineName()
{
    return g_name;
}

int GatewayAllowanceMs()
{
    return g_allowanceMs;
}

void SetGatewayAllowanceMs(int allowanceMs)
{
    g_allowanceMs = allowanceMs < 0 ? kDefaultAllowanceMs : allowanceMs;
}
