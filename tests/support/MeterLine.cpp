#include "MeterLine.h"

#include "comm/SerialPort.h"

#include <stdexcept>

namespace {
LineTiming NoWireTime()
{
    LineTiming timing;
    timing.enabled = false;
    return timing;
}

MeterOptions WithModel(ModelMode model)
{
    MeterOptions options;
    options.model = model;
    return options;
}
} // namespace

MeterLine::MeterLine(ModelMode model) : m_meter(WithModel(model)), m_server(m_meter, NoWireTime())
{
    if (!m_server.Start())
        throw std::runtime_error("cannot start the simulated meter: " + m_server.Error());
    if (!SerialPort.Open(Path().c_str(), 9600, 0))
        throw std::runtime_error("cannot open the simulated meter's line");
}

MeterLine::~MeterLine()
{
    SerialPort.Close();
    m_server.Stop();
}

std::vector<RequestRecord> MeterLine::Requests() const
{
    return m_server.Log().Records();
}

std::vector<RequestRecord> MeterLine::Requests(int function) const
{
    std::vector<RequestRecord> matching;
    for (const RequestRecord& record : Requests())
        if (record.info.function == function)
            matching.push_back(record);
    return matching;
}

void MeterLine::ClearRequests()
{
    m_server.Log().Clear();
}

bool MeterLine::ReopenAt(int baud)
{
    SerialPort.Close();
    return SerialPort.Open(Path().c_str(), static_cast<unsigned>(baud), 0);
}
