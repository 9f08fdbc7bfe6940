#pragma once

#include "sim/ModbusSlave.h"

#include <array>
#include <mutex>
#include <optional>
#include <random>
#include <string>

// The ways a meter or its line misbehaves, as a field engineer meets them.
enum class FaultMode
{
    NoReply,    // the request is swallowed
    BadCrc,     // the reply arrives with a damaged CRC
    LateReply,  // the reply comes after the late-reply delay
    Exception,  // a slave-device-failure exception instead of the reply
    ShortReply, // a read answered with fewer registers than asked
    Garbage,    // stray bytes on the line before the reply
    Count
};

// Faults planned for the coming requests: each mode either for the next N
// requests or with a probability per request. Thread-safe.
class CFaultInjector
{
public:
    explicit CFaultInjector(uint32_t seed = 1) : m_random(seed) {}

    void FailNext(FaultMode fault, int count);
    void FailWithProbability(FaultMode fault, double probability);
    void Stop(FaultMode fault);
    void StopAll();
    // Picks the fault for one request the meter answers and uses up one of
    // its count. A short reply only fits a read, so it leaves other requests
    // alone and keeps its count for the next read.
    std::optional<FaultMode> Draw(int function);
    std::string Describe() const;

    // Applies a fault to a reply; no frame means no reply.
    static std::optional<Frame> Apply(FaultMode fault, const Frame& reply);

    static const char* Name(FaultMode fault);
    static std::optional<FaultMode> FaultNamed(const std::string& name);
    // "bad-crc:3" for the next three requests, "no-reply@0.2" with a
    // probability of 0.2, "late-reply" for the next one; false when malformed.
    bool ApplyOrder(const std::string& order);

private:
    struct Plan
    {
        int remaining = 0;
        double probability = 0.0;
    };

    mutable std::mutex m_mutex;
    std::array<Plan, static_cast<std::size_t>(FaultMode::Count)> m_plans{};
    std::mt19937 m_random;
};
