#pragma once

#include <cstdint>

// A two-wire RS-485 converter without echo suppression hands the request back before the
// meter's reply. Only an exact copy of the request at the head of what arrived is taken for
// that echo; anything else is the reply, however wrong.
namespace ConverterEcho {

// Whether reply[0..received) is, as far as it goes, still the head of a copy of the request:
// until it either differs or is whole, it cannot be taken for the reply.
bool MayBeArriving(const uint8_t* request, int requestLength, const uint8_t* reply, int received);

// How many bytes at the head of reply[0..received) are the echo: requestLength when they are
// an exact copy of the request that is not the meter's answer, else 0. The reply to a coil
// write is itself a copy of the request, so such a copy is an echo only when more bytes
// follow it or the line is known to echo (lineEchoes).
int Length(const uint8_t* request, int requestLength, const uint8_t* reply, int received, bool lineEchoes);

} // namespace ConverterEcho
