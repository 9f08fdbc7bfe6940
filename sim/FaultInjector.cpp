#include "sim/FaultInjector.h"

#include "comm/ModbusFrame.h"

#include <cstdlib>

namespace {
constexpr const char* kNames[] = {"no-reply", "bad-crc", "late-reply", "exception", "short-reply", "garbage"};
constexpr int kReadFunction = 3;
constexpr double kMostRequests = 1000000;
// Bytes a disturbed line typically shows before a frame.
constexpr uint8_t kGarbage[] = {0x00, 0xFF, 0x3A};

std::size_t Index(FaultMode fault)
{
    return static_cast<std::size_t>(fault);
}

// Keeps half of the registers of a read reply, with the byte count and the
// CRC to match, so the reply is well formed but short.
Frame Shortened(const Frame& reply)
{
    const int registers = reply[2] / 2;
    if (registers < 2)
        return reply;
    const int kept = registers / 2;
    Frame shorter(reply.begin(), reply.begin() + 3 + 2 * kept);
    shorter[2] = static_cast<uint8_t>(2 * kept);
    ModbusFrame::AppendCrc(shorter);
    return shorter;
}
} // namespace

void CFaultInjector::FailNext(FaultMode fault, int count)
{
    std::lock_guard lock(m_mutex);
    m_plans[Index(fault)] = {count, 0.0};
}

void CFaultInjector::FailWithProbability(FaultMode fault, double probability)
{
    std::lock_guard lock(m_mutex);
    m_plans[Index(fault)] = {0, probability};
}

void CFaultInjector::Stop(FaultMode fault)
{
    std::lock_guard lock(m_mutex);
    m_plans[Index(fault)] = {};
}

void CFaultInjector::StopAll()
{
    std::lock_guard lock(m_mutex);
    m_plans.fill({});
}

std::optional<FaultMode> CFaultInjector::Draw(int function)
{
    std::lock_guard lock(m_mutex);
    for (std::size_t i = 0; i < m_plans.size(); ++i) {
        const auto fault = static_cast<FaultMode>(i);
        if (fault == FaultMode::ShortReply && function != kReadFunction)
            continue;
        Plan& plan = m_plans[i];
        if (plan.remaining > 0) {
            --plan.remaining;
            return fault;
        }
        if (plan.probability > 0.0 &&
            std::uniform_real_distribution<double>(0.0, 1.0)(m_random) < plan.probability)
            return fault;
    }
    return std::nullopt;
}

std::string CFaultInjector::Describe() const
{
    std::lock_guard lock(m_mutex);
    std::string text;
    for (std::size_t i = 0; i < m_plans.size(); ++i) {
        const Plan& plan = m_plans[i];
        if (plan.remaining > 0)
            text += std::string(kNames[i]) + " for the next " + std::to_string(plan.remaining) + "; ";
        else if (plan.probability > 0.0)
            text += std::string(kNames[i]) + " with probability " + std::to_string(plan.probability) + "; ";
    }
    return text.empty() ? "none" : text.substr(0, text.size() - 2);
}

std::optional<Frame> CFaultInjector::Apply(FaultMode fault, const Frame& reply)
{
    switch (fault) {
    case FaultMode::NoReply:
        return std::nullopt;
    case FaultMode::BadCrc: {
        Frame damaged = reply;
        damaged.back() ^= 0x5A;
        return damaged;
    }
    case FaultMode::Exception:
        return CModbusSlave::ExceptionReply(reply[0], reply[1] & 0x7F, ModbusException::SlaveDeviceFailure);
    case FaultMode::ShortReply:
        return (reply[1] & ModbusFrame::kExceptionFlag) ? reply : Shortened(reply);
    case FaultMode::Garbage: {
        Frame noisy(std::begin(kGarbage), std::end(kGarbage));
        noisy.insert(noisy.end(), reply.begin(), reply.end());
        return noisy;
    }
    default:
        return reply;
    }
}

const char* CFaultInjector::Name(FaultMode fault)
{
    return kNames[Index(fault)];
}

std::optional<FaultMode> CFaultInjector::FaultNamed(const std::string& name)
{
    for (std::size_t i = 0; i < Index(FaultMode::Count); ++i)
        if (name == kNames[i])
            return static_cast<FaultMode>(i);
    return std::nullopt;
}

bool CFaultInjector::ApplyOrder(const std::string& order)
{
    const std::size_t split = order.find_first_of(":@");
    const auto fault = FaultNamed(order.substr(0, split));
    if (!fault)
        return false;
    if (split == std::string::npos) {
        FailNext(*fault, 1);
        return true;
    }
    const std::string number = order.substr(split + 1);
    char* end = nullptr;
    const double value = std::strtod(number.c_str(), &end);
    if (number.empty() || *end != '\0')
        return false;
    // The range is checked before the conversion: a count beyond int has no meaning.
    if (order[split] == ':' && value >= 0 && value <= kMostRequests && value == static_cast<int>(value))
        FailNext(*fault, static_cast<int>(value));
    else if (order[split] == '@' && value >= 0.0 && value <= 1.0)
        FailWithProbability(*fault, value);
    else
        return false;
    return true;
}
