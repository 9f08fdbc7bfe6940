#include "comm/ConverterEcho.h"

#include "comm/ModbusFrame.h"

#include <cstring>

namespace ConverterEcho {
namespace {
bool StartsWith(const uint8_t* reply, const uint8_t* request, int length)
{
    return std::memcmp(reply, request, static_cast<std::size_t>(length)) == 0;
}

// A coil write is answered with a copy of its request; no other request the tool sends is.
bool AnsweredByCopy(const uint8_t* request, int requestLength)
{
    return requestLength > 1 && request[1] == ModbusFrame::kWriteSingleCoil;
}
} // namespace

bool MayBeArriving(const uint8_t* request, int requestLength, const uint8_t* reply, int received)
{
    return received < requestLength && StartsWith(reply, request, received);
}

int Length(const uint8_t* request, int requestLength, const uint8_t* reply, int received, bool lineEchoes)
{
    if (requestLength <= 0 || received < requestLength || !StartsWith(reply, request, requestLength))
        return 0;
    if (AnsweredByCopy(request, requestLength) && received == requestLength && !lineEchoes)
        return 0;
    return requestLength;
}

} // namespace ConverterEcho
