#include "sim/SimMeter.h"

#include "sim/MeterClock.h"
#include "sim/MeterRegisters.h"

#include <algorithm>

namespace {
constexpr int kBaudRates[4] = {4800, 9600, 19200, 38400};
constexpr int kMaxSlaveAddress = 247;
constexpr double kMostStepsAtOnce = 3600.0;

bool IsCommandRegister(int address)
{
    return address >= MeterReg::kClearMaxMin && address <= MeterReg::kClearEvents;
}

bool Overlaps(int start, std::size_t count, int first, int last)
{
    return start <= last && start + static_cast<int>(count) - 1 >= first;
}
} // namespace

CSimMeter::CSimMeter(const MeterOptions& options)
    : m_model(options.seed, options.site, options.connection), m_mode(options.model), m_speed(options.speed),
      m_lastUpdate(std::chrono::steady_clock::now())
{
    m_model.Start(m_bank, MeterClock::LocalNowAsClock());
    m_bank.Set(MeterReg::kCtPrimary, static_cast<uint16_t>(options.ctPrimary));
    m_bank.SetU32(MeterReg::kPtPrimary, static_cast<uint32_t>(options.ptPrimary));
    SetSlaveAddress(options.slaveAddress);
    SetBaud(options.baud);
}

void CSimMeter::SetSite(const SitePlan& plan, const Connection& connection)
{
    std::lock_guard lock(m_mutex);
    m_model.SetSite(m_bank, plan, connection);
}

SitePlan CSimMeter::Site() const
{
    std::lock_guard lock(m_mutex);
    return m_model.Plan();
}

Connection CSimMeter::Wiring() const
{
    std::lock_guard lock(m_mutex);
    return m_model.Wiring();
}

uint16_t CSimMeter::Register(int address) const
{
    std::lock_guard lock(m_mutex);
    return m_bank.Get(address);
}

std::vector<uint16_t> CSimMeter::Registers(int start, int count) const
{
    std::lock_guard lock(m_mutex);
    std::vector<uint16_t> values;
    for (int i = 0; i < count; ++i)
        values.push_back(m_bank.Get(start + i));
    return values;
}

int32_t CSimMeter::RegisterS32(int address) const
{
    std::lock_guard lock(m_mutex);
    return m_bank.GetS32(address);
}

void CSimMeter::SetRegister(int address, uint16_t value)
{
    std::lock_guard lock(m_mutex);
    m_bank.Set(address, value);
}

void CSimMeter::SetRegisters(int start, const std::vector<uint16_t>& values)
{
    std::lock_guard lock(m_mutex);
    for (std::size_t i = 0; i < values.size(); ++i)
        m_bank.Set(start + static_cast<int>(i), values[i]);
}

void CSimMeter::SetRegisterS32(int address, int32_t value)
{
    std::lock_guard lock(m_mutex);
    m_bank.SetS32(address, value);
}

bool CSimMeter::Relay(int relay) const
{
    std::lock_guard lock(m_mutex);
    return m_bank.Coil(relay - 1);
}

void CSimMeter::SetRelay(int relay, bool closed)
{
    std::lock_guard lock(m_mutex);
    CRelays::Set(m_bank, relay, closed);
}

bool CSimMeter::Input(int input) const
{
    std::lock_guard lock(m_mutex);
    return CSwitchInputs::Input(m_bank, input);
}

void CSimMeter::SetInput(int input, bool closed)
{
    std::lock_guard lock(m_mutex);
    m_model.SetInput(m_bank, input, closed);
}

int CSimMeter::SlaveAddress() const
{
    std::lock_guard lock(m_mutex);
    return m_bank.Get(MeterReg::kAddress);
}

void CSimMeter::SetSlaveAddress(int address)
{
    std::lock_guard lock(m_mutex);
    m_bank.Set(MeterReg::kAddress, static_cast<uint16_t>(address));
}

int CSimMeter::Baud() const
{
    std::lock_guard lock(m_mutex);
    return BaudOfIndex(m_bank.Get(MeterReg::kBaudIndex));
}

bool CSimMeter::SetBaud(int baud)
{
    const auto found = std::find(std::begin(kBaudRates), std::end(kBaudRates), baud);
    if (found == std::end(kBaudRates))
        return false;
    std::lock_guard lock(m_mutex);
    m_bank.Set(MeterReg::kBaudIndex, static_cast<uint16_t>(found - std::begin(kBaudRates)));
    return true;
}

int CSimMeter::BaudOfIndex(int index)
{
    return index >= 0 && index < 4 ? kBaudRates[index] : 0;
}

ModelMode CSimMeter::Model() const
{
    std::lock_guard lock(m_mutex);
    return m_mode;
}

void CSimMeter::SetModel(ModelMode model)
{
    std::lock_guard lock(m_mutex);
    m_mode = model;
    m_lastUpdate = std::chrono::steady_clock::now();
}

void CSimMeter::Advance(std::chrono::milliseconds modelTime)
{
    std::lock_guard lock(m_mutex);
    AdvanceLocked(std::chrono::duration<double>(modelTime).count());
}

void CSimMeter::Update()
{
    std::lock_guard lock(m_mutex);
    const auto now = std::chrono::steady_clock::now();
    const double elapsed = std::chrono::duration<double>(now - m_lastUpdate).count();
    m_lastUpdate = now;
    if (m_mode == ModelMode::Running)
        AdvanceLocked(elapsed * m_speed);
}

void CSimMeter::AdvanceLocked(double seconds)
{
    // Catching up after a long idle spell takes coarser steps, so that a
    // request never waits long for the model.
    const double longest = std::max(1.0, seconds / kMostStepsAtOnce);
    while (seconds > 0.0) {
        const double step = std::min(seconds, longest);
        m_model.Step(m_bank, step);
        seconds -= step;
    }
}

std::optional<Frame> CSimMeter::Answer(const Frame& request, Frame* withheld)
{
    std::lock_guard lock(m_mutex);
    return CModbusSlave::Answer(request, m_bank.Get(MeterReg::kAddress), *this, withheld);
}

uint16_t CSimMeter::ReadRegister(int address)
{
    // Command registers carry out their command and keep nothing.
    return IsCommandRegister(address) ? 0 : m_bank.Get(address);
}

// A meter that took an address or a rate it cannot use would drop off the
// line, so such a write is refused as a whole; so is a clock that names no
// real date.
bool CSimMeter::AcceptsWrite(int start, const std::vector<uint16_t>& values)
{
    auto valueAt = [&](int address) {
        return Overlaps(start, values.size(), address, address)
                   ? values[static_cast<std::size_t>(address - start)]
                   : m_bank.Get(address);
    };
    const int address = valueAt(MeterReg::kAddress);
    if (address < 1 || address > kMaxSlaveAddress || BaudOfIndex(valueAt(MeterReg::kBaudIndex)) == 0)
        return false;
    if (!Overlaps(start, values.size(), MeterReg::kClock, MeterReg::kClock + 5))
        return true;
    uint16_t clock[6];
    for (int i = 0; i < 6; ++i)
        clock[i] = valueAt(MeterReg::kClock + i);
    return MeterClock::IsValid(clock);
}

void CSimMeter::WriteRegisters(int start, const std::vector<uint16_t>& values)
{
    for (std::size_t i = 0; i < values.size(); ++i) {
        const int address = start + static_cast<int>(i);
        if (!IsCommandRegister(address))
            m_bank.Set(address, values[i]);
        else if (values[i] == MeterReg::kClearCommand)
            m_model.Clear(m_bank, address);
    }
    if (Overlaps(start, values.size(), MeterReg::kClock, MeterReg::kClock + 5))
        m_model.ClockWasSet();
}

void CSimMeter::WriteCoil(int coil, bool closed)
{
    CRelays::Set(m_bank, coil + 1, closed);
}
