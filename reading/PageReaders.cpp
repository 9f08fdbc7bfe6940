#include "reading/PageReaders.h"

#include "comm/ModbusRtu.h"
#include "comm/Transaction.h"
#include "meter/BlockRead.h"
#include "meter/EventTexts.h"
#include "meter/HarmonicTable.h"
#include "meter/PageItems.h"
#include "meter/RegisterValues.h"
#include "meter/SettingsTexts.h"
#include "meter/TimeTexts.h"
#include "reading/MeterLink.h"

#include <QStringList>
#include <algorithm>
#include <array>

namespace {
QString Latin(const char* text)
{
    return text ? QString::fromLatin1(text) : QString();
}

QString Number(int value)
{
    return QString::number(value);
}

// An item of the meter/ tables as read: its text as the page shows it, and its unrounded value.
ReadingItem Measured(const QString& name, const MeasurementItem& item)
{
    return {name, FormatMeasurement(item), Latin(item.unit), &item, MeasurementValue(item)};
}

void AddItems(PageReading& reading, std::span<const MeasurementItem> items)
{
    for (const MeasurementItem& item : items)
        reading.items.push_back(Measured(Latin(item.name), item));
}

// The poll of the live-value pages: the meter's ratios, read or kept as the link keeps them, then
// the page's block. Without this meter's ratios its scaled values would be zeros, so there is no reading.
bool ReadMeasurements(MeterLink& link, const PageReads::Request& block)
{
    return link.UseRatios() && link.Read(block);
}

PageReading ReadTable(MeterLink& link, const PageReads::Request& block,
                      std::span<const MeasurementItem> items)
{
    PageReading reading;
    reading.ok = ReadMeasurements(link, block);
    AddItems(reading, items);
    return reading;
}

PageReading ReadRealtime(MeterLink& link, const ReadOptions&)
{
    return ReadTable(link, PageReads::kRealtime, PageItems::kRealtime);
}

PageReading ReadCommon(MeterLink& link, const ReadOptions&)
{
    return ReadTable(link, PageReads::kCommon, PageItems::kCommon);
}

// The maxima and minima are named by their row and column headings: "Ia Maximum Data".
PageReading ReadMaxMin(MeterLink& link, const ReadOptions&)
{
    PageReading reading;
    reading.ok = ReadMeasurements(link, PageReads::kMaxMin);
    for (const MeasurementItem& item : PageItems::kMaxMin) {
        const char* column =
            item.column == PageItems::kMaximumColumn ? PageItems::kMaximumTitle : PageItems::kMinimumTitle;
        reading.items.push_back(Measured(Latin(item.name) + ' ' + Latin(column), item));
    }
    return reading;
}

// The present demands, then each maximum demand followed by its time stamp.
PageReading ReadDemand(MeterLink& link, const ReadOptions&)
{
    PageReading reading;
    reading.ok = ReadMeasurements(link, PageReads::kDemand);
    for (const MeasurementItem& item : PageItems::kDemand) {
        const bool maximum = item.row > PageItems::kDemandMaximumTitleRow;
        const QString name =
            Latin(maximum ? PageItems::kDemandMaximumTitle : PageItems::kDemandPresentTitle) + ' ' +
            Latin(item.name);
        reading.items.push_back(Measured(name, item));
        const auto* stamp =
            std::find_if(std::begin(PageItems::kDemandTimeStamps), std::end(PageItems::kDemandTimeStamps),
                         [&item](const PageItems::TimeStampCell& cell) { return cell.row == item.row; });
        if (stamp != std::end(PageItems::kDemandTimeStamps)) {
            const int t = stamp->entry;
            reading.items.push_back(
                {name + QStringLiteral(" Time"),
                 TimeTexts::DemandTimeStamp(Registers::U16(t), Registers::U16(t + 1), Registers::U16(t + 2)),
                 {}});
        }
    }
    return reading;
}

PageReading ReadHarmonics(MeterLink& link, const ReadOptions& options)
{
    HarmonicValues table{};
    const bool ok = ReadHarmonicTable(link, table);
    return HarmonicReading(HarmonicTable::kChannels[options.harmonicChannel - 1], table, ok);
}

PageReading ReadEnergy(MeterLink& link, const ReadOptions&)
{
    PageReading reading;
    reading.ok = link.Read(PageReads::kEnergy);
    AddItems(reading, PageItems::kEnergy);
    return reading;
}

// Every record is listed, as on the page; a record without an event has empty texts.
PageReading ReadEvents(MeterLink& link, const ReadOptions&)
{
    std::array<int32_t, PageReads::kEvents.Size()> records{};
    PageReading reading;
    reading.ok = ReadInBlocks(link.Timed(PageReads::kEvents), records.data());
    if (!reading.ok)
        link.SetFailure(QStringLiteral("no valid answer to reading the event records, ") +
                        RegisterRange(PageReads::kEvents.first, PageReads::kEvents.Size()));
    for (int i = 0; i < EventTexts::kRecordCount; ++i) {
        const int32_t* record = &records[static_cast<std::size_t>(i * EventTexts::kRegistersPerRecord)];
        const bool event = record[0] != 0;
        const QString number = Number(i + 1) + ' ';
        reading.items.push_back({number + QStringLiteral("Event Type"),
                                 event ? EventTexts::EventType(record[0]) : QString(),
                                 {}});
        reading.items.push_back({number + QStringLiteral("Action Status"),
                                 event ? EventTexts::ActionStatus(record[0]) : QString(),
                                 {}});
        reading.items.push_back({number + QStringLiteral("Time"),
                                 event ? TimeTexts::EventTime(record[1], record[2], record[3]) : QString(),
                                 {}});
    }
    return reading;
}

// A block of registers kept apart from RegisterBlock, which the next read overwrites.
template <int N> struct Block
{
    std::array<int32_t, N> entries{};

    bool Read(MeterLink& link, const PageReads::Request& request)
    {
        if (!link.Read(request))
            return false;
        std::copy_n(RegisterBlock, N, entries.begin());
        return true;
    }
    int U16(int k) const { return entries[static_cast<std::size_t>(k)] & 0xFFFF; }
    QString Text(int k) const { return Number(U16(k)); }
    QString Item(std::span<const char* const> items, int k) const
    {
        return SettingsTexts::ListText(items, U16(k));
    }
};

// The meter settings page: block A, then block B.
PageReading ReadSettings(MeterLink& link, const ReadOptions&)
{
    namespace A = PageReads::BlockA;
    namespace B = PageReads::BlockB;
    Block<A::kBlock.count> a;
    Block<B::kBlock.count> b;
    PageReading reading;
    reading.ok = a.Read(link, A::kBlock.Load()) && b.Read(link, B::kBlock.Load());
    const int32_t ptPrimary = static_cast<int32_t>(static_cast<uint32_t>(a.U16(A::kPtPrimary)) +
                                                   65536u * static_cast<uint32_t>(a.U16(A::kPtPrimary + 1)));
    reading.items = {
        {QStringLiteral("ID"), a.Text(A::kAddress), {}},
        {QStringLiteral("Baud"), a.Item(SettingsTexts::kBaudRates, A::kBaudIndex), {}},
        {QStringLiteral("CT Pr-Side"), a.Text(A::kCtPrimary), {}},
        {QStringLiteral("CT Sc-Side"), a.Text(A::kCtSecondary), {}},
        {QStringLiteral("PT Pr-Side"), Number(ptPrimary), {}},
        {QStringLiteral("PT Sc-Side"), a.Text(A::kPtSecondary), {}},
        {QStringLiteral("Sys mode"), a.Item(SettingsTexts::kWiring, A::kWiring), {}},
        {QStringLiteral("Target"), b.Item(SettingsTexts::kAnalogTarget, B::kAnalogTarget), {}},
        {QStringLiteral("Output magnification"), b.Text(B::kMagnification), QStringLiteral("* 0.1")},
        {QStringLiteral("Pulse constant"), b.Text(B::kPulseConstant), {}},
        {QStringLiteral("Output target of Active power of the pulse"),
         b.Item(SettingsTexts::kActivePulse, B::kActivePulse),
         {}},
        {QStringLiteral("Output target of Reactive power"),
         b.Item(SettingsTexts::kReactivePulse, B::kReactivePulse),
         {}},
    };
    return reading;
}

// The relay and I/O page: relay settings, return times, then the lamps of the outputs and inputs.
PageReading ReadIo(MeterLink& link, const ReadOptions&)
{
    using namespace SettingsTexts;
    using namespace PageReads::Relays;
    Block<kSettings.count> relays;
    Block<kReturnTimes.count> returns;
    Block<kStatus.count> status;
    Modbus::ClearLine(kClearLine.waitMs, kClearLine.readLength);
    PageReading reading;
    reading.ok = relays.Read(link, kSettings.Load()) && returns.Read(link, kReturnTimes.Load()) &&
                 status.Read(link, kStatus);
    for (int r = 0; r < kRelayCount; ++r) {
        const QString relay = QStringLiteral("Relay%1 ").arg(r + 1);
        const int k = kPerRelay * r;
        reading.items.push_back(
            {relay + QStringLiteral("Action mode"), relays.Item(kRelayMode, k + kMode), {}});
        reading.items.push_back(
            {relay + QStringLiteral("Action Target"), relays.Item(kRelayTarget, k + kTarget), {}});
        reading.items.push_back(
            {relay + QStringLiteral("Max"), relays.Text(k + kUpper), QStringLiteral("%")});
        reading.items.push_back(
            {relay + QStringLiteral("Min"), relays.Text(k + kLower), QStringLiteral("%")});
        reading.items.push_back(
            {relay + QStringLiteral("Delay"), relays.Text(k + kDelay), QStringLiteral("S")});
        reading.items.push_back({relay + QStringLiteral("Return"), returns.Text(r), QStringLiteral("S")});
    }
    const auto lamp = [](int bits, int n) {
        return (bits >> n) & 1 ? QStringLiteral("on") : QStringLiteral("off");
    };
    for (int n = 0; n < kRelayCount; ++n)
        reading.items.push_back({QStringLiteral("R%1").arg(n + 1), lamp(status.U16(kOutputs), n), {}});
    for (int n = 0; n < 8; ++n)
        reading.items.push_back({QStringLiteral("S%1").arg(n + 1), lamp(status.U16(kInputs), n), {}});
    return reading;
}

constexpr PageReader kReaders[] = {
    {"realtime", ReadRealtime}, {"common", ReadCommon},     {"harmonics", ReadHarmonics},
    {"demand", ReadDemand},     {"maxmin", ReadMaxMin},     {"energy", ReadEnergy},
    {"soe", ReadEvents},        {"settings", ReadSettings}, {"io", ReadIo},
};
} // namespace

std::span<const PageReader> PageReaders()
{
    return kReaders;
}

void DropValuesOfFailed(PageReading& reading)
{
    if (!reading.ok)
        for (ReadingItem& item : reading.items) {
            item.value.clear();
            item.number = 0;
        }
}

PageReading PageReader::Read(MeterLink& link, const ReadOptions& options) const
{
    PageReading reading = read(link, options);
    DropValuesOfFailed(reading);
    return reading;
}

bool ReadHarmonicTable(MeterLink& link, HarmonicValues& table)
{
    if (ReadInBlocks(link.Timed(PageReads::kHarmonics), table.data()))
        return true;
    link.SetFailure(QStringLiteral("no valid answer to reading the harmonic table, ") +
                    RegisterRange(PageReads::kHarmonics.first, HarmonicTable::kSize));
    return false;
}

PageReading HarmonicReading(const HarmonicTable::Channel& channel, const HarmonicValues& table, bool ok)
{
    PageReading reading;
    reading.ok = ok;
    const QString percent = QStringLiteral("%");
    reading.items.push_back(
        {HarmonicTable::ThdName(channel), HarmonicTable::ThdText(channel, table), percent});
    for (int order = HarmonicTable::kFirstOrder; order <= HarmonicTable::kLastOrder; ++order)
        reading.items.push_back({HarmonicTable::OrderName(channel, order),
                                 HarmonicTable::OrderText(channel, order, table), percent});
    if (channel.kFactorIndex >= 0)
        reading.items.push_back(
            {HarmonicTable::KFactorName(channel), HarmonicTable::KFactorText(channel, table), {}});
    DropValuesOfFailed(reading);
    return reading;
}

std::optional<MeterClock> ReadMeterClock(MeterLink& link)
{
    if (!link.Read(PageReads::Clock::kBlock.Load()))
        return std::nullopt;
    MeterClock clock{};
    std::copy_n(RegisterBlock, clock.size(), clock.begin());
    return clock;
}

const PageReader* FindPageReader(const QString& name)
{
    for (const PageReader& reader : kReaders)
        if (name == QLatin1String(reader.name))
            return &reader;
    return nullptr;
}

QString PageNames()
{
    QStringList names;
    for (const PageReader& reader : kReaders)
        names << QString::fromLatin1(reader.name);
    return names.join(QStringLiteral(", "));
}
