#pragma once

#include <array>
#include <cstdint>
#include <ctime>
#include <random>

class CRegisterBank;

// The eight switch inputs and the event records their changes leave: event
// word (input number, bit 8 set when closed), milliseconds, seconds since 1970
// low and high word, fifty records with the oldest dropped when full.
class CSwitchInputs
{
public:
    explicit CSwitchInputs(uint32_t seed) : m_random(seed) {}

    static bool Input(const CRegisterBank& bank, int input);
    // Changes input 1 to 8 and stores the change as an event; no event when
    // the input is already in that state.
    static void Set(CRegisterBank& bank, int input, bool closed, std::time_t now, int milliseconds);
    static void ClearEvents(CRegisterBank& bank);
    // Now and then one input changes, on average every few minutes.
    void Wander(CRegisterBank& bank, double seconds, std::time_t now, int milliseconds);

private:
    std::mt19937 m_random;
};

// Relays 1 to 4: coils switch them, and a relay in local mode with an alarm
// target closes when its quantity stays beyond the limit for the delay and
// opens again once it has stayed back within it for the return time.
class CRelays
{
public:
    static void Set(CRegisterBank& bank, int relay, bool closed);
    void Supervise(CRegisterBank& bank, double seconds);

private:
    struct Alarm
    {
        double beyondFor = 0.0;
        double backFor = 0.0;
        bool closedByAlarm = false;
    };

    std::array<Alarm, 4> m_alarms{};
};
