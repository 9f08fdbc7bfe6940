#pragma once

#include "sim/MeterModel.h"
#include "sim/ModbusSlave.h"
#include "sim/RegisterBank.h"

#include <chrono>
#include <mutex>
#include <optional>
#include <vector>

// Frozen: the values stay exactly as set until a test advances the model.
// Running: the installation and the clock follow real time (times a speed).
enum class ModelMode
{
    Frozen,
    Running
};

struct MeterOptions
{
    ModelMode model = ModelMode::Frozen;
    double speed = 1.0; // model seconds per real second while running
    uint32_t seed = 1;  // for the noise, so that runs repeat
    int slaveAddress = 1;
    int baud = 9600;
    int ctPrimary = 100; // CT primary / 5 A
    int ptPrimary = 220; // PT primary / PT secondary 220 V
    SitePlan site = {};
    Connection connection = {};
};

// The simulated meter: its registers, coils and model behind one lock, so
// that a test thread, the console and the line server may all use it.
class CSimMeter : private IRegisterAccess
{
public:
    explicit CSimMeter(const MeterOptions& options = {});

    uint16_t Register(int address) const;
    std::vector<uint16_t> Registers(int start, int count) const;
    int32_t RegisterS32(int address) const;
    // Any address of the map, read-only ones included; no side effects.
    void SetRegister(int address, uint16_t value);
    void SetRegisters(int start, const std::vector<uint16_t>& values);
    void SetRegisterS32(int address, int32_t value);

    bool Relay(int relay) const; // 1 to 4, as coil relay - 1
    void SetRelay(int relay, bool closed);
    bool Input(int input) const; // 1 to 8
    // Changes a switch input and stores the change as an event record.
    void SetInput(int input, bool closed);

    int SlaveAddress() const;
    void SetSlaveAddress(int address);
    int Baud() const;                  // 4800, 9600, 19200 or 38400
    bool SetBaud(int baud);            // false for any other rate
    static int BaudOfIndex(int index); // 0 for an index outside 0 to 3

    // The site's load and supply and the meter's wiring to it; the live registers follow at once.
    void SetSite(const SitePlan& plan, const Connection& connection);
    SitePlan Site() const;
    Connection Wiring() const;

    ModelMode Model() const;
    void SetModel(ModelMode model);
    // Moves the model on by the given model time, in steps of a second (up
    // to an hour); works in either mode, so tests can run an hour in a moment.
    void Advance(std::chrono::milliseconds modelTime);
    // While running, catches up with real time; frozen, does nothing.
    void Update();

    // The reply to one request frame as the meter's Modbus slave gives it.
    std::optional<Frame> Answer(const Frame& request, Frame* withheld = nullptr);

private:
    uint16_t ReadRegister(int address) override;
    bool AcceptsWrite(int start, const std::vector<uint16_t>& values) override;
    void WriteRegisters(int start, const std::vector<uint16_t>& values) override;
    void WriteCoil(int coil, bool closed) override;
    void AdvanceLocked(double seconds);

    mutable std::mutex m_mutex;
    CRegisterBank m_bank;
    CMeterModel m_model;
    ModelMode m_mode;
    double m_speed;
    std::chrono::steady_clock::time_point m_lastUpdate;
};
