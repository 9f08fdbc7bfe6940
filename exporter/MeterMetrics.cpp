#include "exporter/MeterMetrics.h"

#include "meter/PageItems.h"

#include <QStringList>
#include <algorithm>
#include <array>
#include <cmath>

namespace {
constexpr const char* kPages[] = {"realtime", "energy", "demand", "maxmin", kCheckPage};

// One sample of a family: the meter's item and the value of the family's label, if it has one.
struct Source
{
    const MeasurementItem* item = nullptr;
    const char* label = nullptr;
};

// A metric family of the meter's items, in base units: the item's unrounded value times the scale.
struct Family
{
    const char* name;
    const char* help;
    const char* labelName; // "phase", "quadrant" or none
    double scale;
    std::array<Source, 4> sources;
};

namespace Realtime = PageItems::Realtime;
namespace Energy = PageItems::Energy;
namespace Demand = PageItems::Demand;
namespace MaxMin = PageItems::MaxMin;
constexpr const MeasurementItem* R(Realtime::Item item)
{
    return &PageItems::kRealtime[item];
}
constexpr const MeasurementItem* E(Energy::Item item)
{
    return &PageItems::kEnergy[item];
}
constexpr const MeasurementItem* D(Demand::Item item)
{
    return &PageItems::kDemand[item];
}
constexpr const MeasurementItem* Max(MaxMin::Item item)
{
    return &PageItems::Maximum(item);
}
constexpr const MeasurementItem* Min(MaxMin::Item item)
{
    return &PageItems::Minimum(item);
}

constexpr double kPercent = 0.01;
constexpr double kKilo = 1000;
// Energy in the base unit of time, the second: the meter counts kWh and kvarh.
constexpr double kKiloHours = 1000.0 * 3600.0;

constexpr Family kFamilies[] = {
    {"vemo400_phase_voltage_volts",
     "Phase voltage.",
     "phase",
     1,
     {{{R(Realtime::Ua), "a"}, {R(Realtime::Ub), "b"}, {R(Realtime::Uc), "c"}}}},
    {"vemo400_line_voltage_volts",
     "Line voltage.",
     "phase",
     1,
     {{{R(Realtime::Uab), "ab"}, {R(Realtime::Ubc), "bc"}, {R(Realtime::Uca), "ca"}}}},
    {"vemo400_zero_sequence_voltage_volts",
     "Zero sequence voltage.",
     nullptr,
     1,
     {{{R(Realtime::ZeroSequenceVoltage)}}}},
    {"vemo400_phase_voltage_unbalance_ratio",
     "Unbalance of the phase voltages.",
     nullptr,
     kPercent,
     {{{R(Realtime::PhaseVoltageUnbalance)}}}},
    {"vemo400_line_voltage_unbalance_ratio",
     "Unbalance of the line voltages.",
     nullptr,
     kPercent,
     {{{R(Realtime::LineVoltageUnbalance)}}}},
    {"vemo400_current_amperes",
     "Phase current.",
     "phase",
     1,
     {{{R(Realtime::Ia), "a"}, {R(Realtime::Ib), "b"}, {R(Realtime::Ic), "c"}}}},
    {"vemo400_zero_sequence_current_amperes",
     "Zero sequence current.",
     nullptr,
     1,
     {{{R(Realtime::ZeroSequenceCurrent)}}}},
    {"vemo400_current_unbalance_ratio",
     "Unbalance of the phase currents.",
     nullptr,
     kPercent,
     {{{R(Realtime::CurrentUnbalance)}}}},
    {"vemo400_active_power_watts",
     "Active power of a phase.",
     "phase",
     1,
     {{{R(Realtime::Pa), "a"}, {R(Realtime::Pb), "b"}, {R(Realtime::Pc), "c"}}}},
    {"vemo400_total_active_power_watts",
     "Active power of the three phases.",
     nullptr,
     1,
     {{{R(Realtime::P)}}}},
    {"vemo400_reactive_power_volt_amperes_reactive",
     "Reactive power of a phase.",
     "phase",
     1,
     {{{R(Realtime::Qa), "a"}, {R(Realtime::Qb), "b"}, {R(Realtime::Qc), "c"}}}},
    {"vemo400_total_reactive_power_volt_amperes_reactive",
     "Reactive power of the three phases.",
     nullptr,
     1,
     {{{R(Realtime::Q)}}}},
    {"vemo400_apparent_power_volt_amperes",
     "Apparent power of a phase.",
     "phase",
     1,
     {{{R(Realtime::Sa), "a"}, {R(Realtime::Sb), "b"}, {R(Realtime::Sc), "c"}}}},
    {"vemo400_total_apparent_power_volt_amperes",
     "Apparent power of the three phases.",
     nullptr,
     1,
     {{{R(Realtime::S)}}}},
    {"vemo400_power_factor_ratio",
     "Power factor of a phase.",
     "phase",
     1,
     {{{R(Realtime::PFa), "a"}, {R(Realtime::PFb), "b"}, {R(Realtime::PFc), "c"}}}},
    {"vemo400_total_power_factor_ratio",
     "Power factor of the three phases.",
     nullptr,
     1,
     {{{R(Realtime::PF)}}}},
    {"vemo400_frequency_hertz", "Line frequency.", nullptr, 1, {{{R(Realtime::F)}}}},
    {"vemo400_import_active_energy_joules_total",
     "Imported active energy, as the meter counts it.",
     nullptr,
     kKiloHours,
     {{{E(Energy::ImportActive)}}}},
    {"vemo400_export_active_energy_joules_total",
     "Exported active energy, as the meter counts it.",
     nullptr,
     kKiloHours,
     {{{E(Energy::ExportActive)}}}},
    {"vemo400_import_reactive_energy_volt_ampere_reactive_seconds_total",
     "Imported reactive energy, as the meter counts it.",
     nullptr,
     kKiloHours,
     {{{E(Energy::ImportReactive)}}}},
    {"vemo400_export_reactive_energy_volt_ampere_reactive_seconds_total",
     "Exported reactive energy, as the meter counts it.",
     nullptr,
     kKiloHours,
     {{{E(Energy::ExportReactive)}}}},
    {"vemo400_quadrant_active_energy_joules_total",
     "Active energy of a quadrant, as the meter counts it.",
     "quadrant",
     kKiloHours,
     {{{E(Energy::Quadrant1Active), "1"},
       {E(Energy::Quadrant2Active), "2"},
       {E(Energy::Quadrant3Active), "3"},
       {E(Energy::Quadrant4Active), "4"}}}},
    {"vemo400_quadrant_reactive_energy_volt_ampere_reactive_seconds_total",
     "Reactive energy of a quadrant, as the meter counts it.",
     "quadrant",
     kKiloHours,
     {{{E(Energy::Quadrant1Reactive), "1"},
       {E(Energy::Quadrant2Reactive), "2"},
       {E(Energy::Quadrant3Reactive), "3"},
       {E(Energy::Quadrant4Reactive), "4"}}}},
    {"vemo400_current_demand_amperes",
     "Present demand of the average current.",
     nullptr,
     1,
     {{{D(Demand::Current)}}}},
    {"vemo400_active_power_demand_watts",
     "Present demand of the active power.",
     nullptr,
     1,
     {{{D(Demand::P)}}}},
    {"vemo400_reactive_power_demand_volt_amperes_reactive",
     "Present demand of the reactive power.",
     nullptr,
     1,
     {{{D(Demand::Q)}}}},
    {"vemo400_apparent_power_demand_volt_amperes",
     "Present demand of the apparent power.",
     nullptr,
     1,
     {{{D(Demand::S)}}}},
    {"vemo400_max_current_demand_amperes",
     "Largest demand of the average current recorded.",
     nullptr,
     1,
     {{{D(Demand::MaxCurrent)}}}},
    {"vemo400_max_active_power_demand_watts",
     "Largest demand of the active power recorded.",
     nullptr,
     1,
     {{{D(Demand::MaxP)}}}},
    {"vemo400_max_reactive_power_demand_volt_amperes_reactive",
     "Largest demand of the reactive power recorded.",
     nullptr,
     1,
     {{{D(Demand::MaxQ)}}}},
    {"vemo400_max_apparent_power_demand_volt_amperes",
     "Largest demand of the apparent power recorded.",
     nullptr,
     1,
     {{{D(Demand::MaxS)}}}},
    {"vemo400_max_current_amperes",
     "Largest phase current recorded.",
     "phase",
     1,
     {{{Max(MaxMin::Ia), "a"}, {Max(MaxMin::Ib), "b"}, {Max(MaxMin::Ic), "c"}}}},
    {"vemo400_min_current_amperes",
     "Smallest phase current recorded.",
     "phase",
     1,
     {{{Min(MaxMin::Ia), "a"}, {Min(MaxMin::Ib), "b"}, {Min(MaxMin::Ic), "c"}}}},
    {"vemo400_max_total_active_power_watts",
     "Largest active power recorded.",
     nullptr,
     kKilo,
     {{{Max(MaxMin::P)}}}},
    {"vemo400_min_total_active_power_watts",
     "Smallest active power recorded.",
     nullptr,
     kKilo,
     {{{Min(MaxMin::P)}}}},
    {"vemo400_max_total_reactive_power_volt_amperes_reactive",
     "Largest reactive power recorded.",
     nullptr,
     kKilo,
     {{{Max(MaxMin::Q)}}}},
    {"vemo400_min_total_reactive_power_volt_amperes_reactive",
     "Smallest reactive power recorded.",
     nullptr,
     kKilo,
     {{{Min(MaxMin::Q)}}}},
    {"vemo400_max_total_apparent_power_volt_amperes",
     "Largest apparent power recorded.",
     nullptr,
     kKilo,
     {{{Max(MaxMin::S)}}}},
    {"vemo400_min_total_apparent_power_volt_amperes",
     "Smallest apparent power recorded.",
     nullptr,
     kKilo,
     {{{Min(MaxMin::S)}}}},
    {"vemo400_max_current_thd_ratio",
     "Largest total harmonic distortion of a phase current recorded.",
     "phase",
     1,
     {{{Max(MaxMin::IaThd), "a"}, {Max(MaxMin::IbThd), "b"}, {Max(MaxMin::IcThd), "c"}}}},
    {"vemo400_min_current_thd_ratio",
     "Smallest total harmonic distortion of a phase current recorded.",
     "phase",
     1,
     {{{Min(MaxMin::IaThd), "a"}, {Min(MaxMin::IbThd), "b"}, {Min(MaxMin::IcThd), "c"}}}},
    {"vemo400_max_voltage_thd_ratio",
     "Largest total harmonic distortion of a phase voltage recorded.",
     "phase",
     1,
     {{{Max(MaxMin::UaThd), "a"}, {Max(MaxMin::UbThd), "b"}, {Max(MaxMin::UcThd), "c"}}}},
    {"vemo400_min_voltage_thd_ratio",
     "Smallest total harmonic distortion of a phase voltage recorded.",
     "phase",
     1,
     {{{Min(MaxMin::UaThd), "a"}, {Min(MaxMin::UbThd), "b"}, {Min(MaxMin::UcThd), "c"}}}},
};

bool IsCounter(const QString& name)
{
    return name.endsWith(QLatin1String("_total"));
}

// Fifteen significant digits carry every value the meter sends and hide the binary rounding of the scale.
QString Number(double value)
{
    return QString::number(value, 'g', 15);
}

// A ratio or a time in seconds to three decimals: finer would only show the event loop's jitter.
QString Rounded(double value)
{
    return Number(std::round(value * 1000) / 1000);
}

QString Labels(int meter, const char* name = nullptr, const QString& value = {})
{
    QString labels = QStringLiteral("{meter=\"%1\"").arg(meter);
    if (name)
        labels += QStringLiteral(",%1=\"%2\"").arg(QLatin1String(name), value);
    return labels + '}';
}

// The unrounded value of one of the meter's items in its latest readings, if one holds it.
std::optional<double> ItemValue(const MeterState& meter, const MeasurementItem* item)
{
    for (const auto& [page, reading] : meter.readings)
        for (const ReadingItem& entry : reading.items)
            if (entry.item == item)
                return entry.number;
    return std::nullopt;
}

// One family: its heading and its samples; nothing when no meter has a value for it.
void AddFamily(QString& text, const QString& name, const char* help, const QStringList& samples)
{
    if (samples.isEmpty())
        return;
    text += QStringLiteral("# HELP %1 %2\n# TYPE %1 %3\n")
                .arg(name, QLatin1String(help),
                     IsCounter(name) ? QStringLiteral("counter") : QStringLiteral("gauge"));
    for (const QString& sample : samples)
        text += name + sample + '\n';
}

QStringList FamilySamples(const Family& family, const std::vector<MeterState>& meters)
{
    QStringList samples;
    for (const MeterState& meter : meters) {
        if (!meter.up)
            continue;
        for (const Source& source : family.sources)
            if (source.item)
                if (const std::optional<double> value = ItemValue(meter, source.item))
                    samples << Labels(meter.address, family.labelName, QLatin1String(source.label)) + ' ' +
                                   Number(*value * family.scale);
    }
    return samples;
}

QStringList CountSamples(const std::vector<MeterState>& meters,
                         std::map<QString, long long> MeterState::*counts)
{
    QStringList samples;
    for (const MeterState& meter : meters)
        for (const char* page : kPages) {
            const auto count = (meter.*counts).find(QLatin1String(page));
            samples << Labels(meter.address, "page", QLatin1String(page)) + ' ' +
                           QString::number(count == (meter.*counts).end() ? 0 : count->second);
        }
    return samples;
}
// A verdict as a label value: "no reply" is no_reply.
QString KindLabel(ExchangeVerdict::Kind kind)
{
    return QString::fromLatin1(VerdictName(kind)).toLower().replace(' ', '_');
}

QStringList RequestSamples(const std::vector<MeterState>& meters)
{
    QStringList samples;
    for (const MeterState& meter : meters) {
        long long sent = 0;
        for (long long count : meter.exchanges)
            sent += count;
        samples << Labels(meter.address) + ' ' + QString::number(sent);
    }
    return samples;
}

// Seconds since each meter's latest realtime reading; none before its first.
QStringList RealtimeAgeSamples(const std::vector<MeterState>& meters)
{
    const auto now = std::chrono::steady_clock::now();
    QStringList samples;
    for (const MeterState& meter : meters)
        if (meter.realtimeAt)
            samples << Labels(meter.address) + ' ' +
                           Rounded(std::chrono::duration<double>(now - *meter.realtimeAt).count());
    return samples;
}

// Every kind of failure a request sent can meet, so that a series exists before its first failure.
QStringList RequestFailureSamples(const std::vector<MeterState>& meters)
{
    constexpr ExchangeVerdict::Kind kFailures[] = {ExchangeVerdict::NoReply, ExchangeVerdict::Exception,
                                                   ExchangeVerdict::BadCrc, ExchangeVerdict::Short,
                                                   ExchangeVerdict::Foreign};
    QStringList samples;
    for (const MeterState& meter : meters)
        for (ExchangeVerdict::Kind kind : kFailures)
            samples << Labels(meter.address, "kind", KindLabel(kind)) + ' ' +
                           QString::number(meter.exchanges[kind]);
    return samples;
}
// Each checked phase of each finding: 0 ok, 1 warning, 2 fault; a finding not checked has no series.
QStringList CheckSamples(const std::vector<MeterState>& meters)
{
    QStringList samples;
    for (const MeterState& meter : meters) {
        if (!meter.up || !meter.check)
            continue;
        for (const Diagnosis::Finding& finding : meter.check->findings) {
            const int status = finding.verdict == Diagnosis::Verdict::Fault     ? 2
                               : finding.verdict == Diagnosis::Verdict::Warning ? 1
                                                                                : 0;
            if (finding.verdict == Diagnosis::Verdict::NotChecked)
                continue;
            const QString labels =
                QStringLiteral("{meter=\"%1\",check=\"%2\"").arg(meter.address).arg(finding.id);
            if (finding.phases.empty())
                samples << labels + QStringLiteral("} %1").arg(status);
            for (const int phase : finding.phases)
                samples << labels + QStringLiteral(",phase=\"%1\"} %2")
                                        .arg(Diagnosis::PhaseLetter(phase).toLower())
                                        .arg(status);
        }
    }
    return samples;
}
} // namespace

std::span<const char* const> ServedPages()
{
    return kPages;
}

MeterMetrics::MeterMetrics(const std::vector<int>& addresses)
{
    for (const int address : addresses) {
        MeterState meter;
        meter.address = address;
        m_meters.push_back(meter);
    }
}

MeterState* MeterMetrics::Count(int address, const QString& page, bool ok)
{
    const auto meter = std::find_if(m_meters.begin(), m_meters.end(),
                                    [address](const MeterState& state) { return state.address == address; });
    if (meter == m_meters.end())
        return nullptr;
    ++meter->asked[page];
    if (!ok) {
        ++meter->failed[page];
        meter->up = false;
        meter->readings.clear();
        meter->check.reset();
    }
    return &*meter;
}

bool MeterMetrics::Record(int address, const QString& page, const PageReading& reading, const QDateTime& at)
{
    MeterState* meter = Count(address, page, reading.ok);
    if (!meter || !reading.ok)
        return false;
    const bool cameBack = !meter->up;
    meter->up = true;
    meter->lastGood = at;
    meter->readings[page] = reading;
    if (page == QLatin1String(kPages[0]))
        meter->realtimeAt = std::chrono::steady_clock::now();
    return cameBack;
}

bool MeterMetrics::RecordCheck(int address, const std::optional<Diagnosis::CheckResult>& check,
                               const QDateTime& at)
{
    MeterState* meter = Count(address, QLatin1String(kCheckPage), check.has_value());
    if (!meter || !check)
        return false;
    const bool cameBack = !meter->up;
    meter->up = true;
    meter->lastGood = at;
    meter->check = check;
    return cameBack;
}

void MeterMetrics::CountExchange(int address, ExchangeVerdict::Kind verdict)
{
    const auto meter = std::find_if(m_meters.begin(), m_meters.end(),
                                    [address](const MeterState& state) { return state.address == address; });
    if (meter != m_meters.end() && verdict < ExchangeVerdict::KindCount)
        ++meter->exchanges[verdict];
}

QByteArray MeterMetrics::Exposition() const
{
    QString text;
    QStringList up;
    QStringList lastGood;
    for (const MeterState& meter : m_meters) {
        up << Labels(meter.address) + (meter.up ? QStringLiteral(" 1") : QStringLiteral(" 0"));
        if (meter.lastGood)
            lastGood << Labels(meter.address) + ' ' + Number(meter.lastGood->toMSecsSinceEpoch() / 1000.0);
    }
    AddFamily(text, QStringLiteral("vemo400_up"), "Whether the meter answered its last reading.", up);
    AddFamily(text, QStringLiteral("vemo400_last_reading_timestamp_seconds"),
              "When the meter last answered a reading, in seconds since 1970.", lastGood);
    AddFamily(text, QStringLiteral("vemo400_realtime_age_seconds"),
              "Time since the meter's latest realtime reading.", RealtimeAgeSamples(m_meters));
    AddFamily(text, QStringLiteral("vemo400_line_busy_ratio"),
              "Share of the last minute that the line carried frames.",
              {' ' + Rounded(m_line.BusyShare(LineUsage::Clock::now()))});
    AddFamily(text, QStringLiteral("vemo400_readings_total"), "Readings of a page asked of the meter.",
              CountSamples(m_meters, &MeterState::asked));
    AddFamily(text, QStringLiteral("vemo400_reading_failures_total"),
              "Readings of a page that the meter did not answer validly.",
              CountSamples(m_meters, &MeterState::failed));
    AddFamily(text, QStringLiteral("vemo400_requests_total"), "Modbus requests sent to the meter.",
              RequestSamples(m_meters));
    AddFamily(text, QStringLiteral("vemo400_request_failures_total"),
              "Modbus requests sent to the meter that failed, by kind of failure.",
              RequestFailureSamples(m_meters));
    for (const Family& family : kFamilies)
        AddFamily(text, QLatin1String(family.name), family.help, FamilySamples(family, m_meters));
    AddFamily(text, QStringLiteral("vemo400_check_status"),
              "Verdict of a wiring or supply check of the meter: 0 ok, 1 warning, 2 fault.",
              CheckSamples(m_meters));
    return text.toUtf8();
}
