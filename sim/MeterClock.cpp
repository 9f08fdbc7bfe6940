#include "sim/MeterClock.h"

#include "sim/MeterRegisters.h"
#include "sim/RegisterBank.h"

namespace {
std::tm Fields(std::time_t time)
{
    std::tm fields{};
    gmtime_r(&time, &fields);
    return fields;
}
} // namespace

std::time_t MeterClock::Read(const CRegisterBank& bank)
{
    std::tm fields{};
    fields.tm_year = bank.Get(MeterReg::kClock) + 100;
    fields.tm_mon = bank.Get(MeterReg::kClock + 1) - 1;
    fields.tm_mday = bank.Get(MeterReg::kClock + 2);
    fields.tm_hour = bank.Get(MeterReg::kClock + 3);
    fields.tm_min = bank.Get(MeterReg::kClock + 4);
    fields.tm_sec = bank.Get(MeterReg::kClock + 5);
    return timegm(&fields);
}

void MeterClock::Write(CRegisterBank& bank, std::time_t time)
{
    const std::tm fields = Fields(time);
    const int values[6] = {fields.tm_year - 100, fields.tm_mon + 1, fields.tm_mday,
                           fields.tm_hour,       fields.tm_min,     fields.tm_sec};
    for (int i = 0; i < 6; ++i)
        bank.Set(MeterReg::kClock + i, static_cast<uint16_t>(values[i] < 0 ? 0 : values[i]));
}

bool MeterClock::IsValid(const uint16_t fields[6])
{
    static constexpr int kDaysInMonth[12] = {31, 29, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    const int year = fields[0], month = fields[1], day = fields[2];
    if (year > 99 || month < 1 || month > 12 || day < 1 || day > kDaysInMonth[month - 1])
        return false;
    const bool leap = year % 4 == 0;
    if (month == 2 && day == 29 && !leap)
        return false;
    return fields[3] < 24 && fields[4] < 60 && fields[5] < 60;
}

void MeterClock::WriteStamp(CRegisterBank& bank, int address, std::time_t time)
{
    const std::tm fields = Fields(time);
    auto pair = [](int high, int low) { return static_cast<uint16_t>(((high & 0xFF) << 8) | (low & 0xFF)); };
    bank.Set(address, pair(fields.tm_year - 100, fields.tm_mon + 1));
    bank.Set(address + 1, pair(fields.tm_mday, fields.tm_hour));
    bank.Set(address + 2, pair(fields.tm_min, fields.tm_sec));
}

std::time_t MeterClock::LocalNowAsClock()
{
    const std::time_t now = std::time(nullptr);
    std::tm local{};
    localtime_r(&now, &local);
    return timegm(&local);
}
