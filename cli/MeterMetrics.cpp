#include "cli/MeterMetrics.h"

#include "cli/TextTable.h"

#include <QStringList>
#include <algorithm>
#include <array>

namespace {
constexpr const char* kPages[] = {"realtime", "energy", "demand", "maxmin"};

// One sample of a family: the page's item and the value of the family's label, if it has one.
struct Source
{
    const char* item = nullptr;
    const char* label = nullptr;
};

// A metric family taken from one page's items, in base units: the item's value times the scale.
struct Family
{
    const char* name;
    const char* help;
    const char* page;
    const char* labelName; // "phase", "quadrant" or none
    double scale;
    std::array<Source, 4> sources;
};

constexpr double kPercent = 0.01;
constexpr double kKilo = 1000;
// Energy in the base unit of time, the second: the meter counts kWh and kvarh.
constexpr double kKiloHours = 1000.0 * 3600.0;

constexpr Family kFamilies[] = {
    {"vemo400_phase_voltage_volts",
     "Phase voltage.",
     "realtime",
     "phase",
     1,
     {{{"Ua", "a"}, {"Ub", "b"}, {"Uc", "c"}}}},
    {"vemo400_line_voltage_volts",
     "Line voltage.",
     "realtime",
     "phase",
     1,
     {{{"Uab", "ab"}, {"Ubc", "bc"}, {"Uca", "ca"}}}},
    {"vemo400_zero_sequence_voltage_volts",
     "Zero sequence voltage.",
     "realtime",
     nullptr,
     1,
     {{{"Zero sequence voltage"}}}},
    {"vemo400_phase_voltage_unbalance_ratio",
     "Unbalance of the phase voltages.",
     "realtime",
     nullptr,
     kPercent,
     {{{"Unbalance rate of Phase voltage"}}}},
    {"vemo400_line_voltage_unbalance_ratio",
     "Unbalance of the line voltages.",
     "realtime",
     nullptr,
     kPercent,
     {{{"Unbalance rate of Line voltage"}}}},
    {"vemo400_current_amperes",
     "Phase current.",
     "realtime",
     "phase",
     1,
     {{{"Ia", "a"}, {"Ib", "b"}, {"Ic", "c"}}}},
    {"vemo400_zero_sequence_current_amperes",
     "Zero sequence current.",
     "realtime",
     nullptr,
     1,
     {{{"Zero sequence current"}}}},
    {"vemo400_current_unbalance_ratio",
     "Unbalance of the phase currents.",
     "realtime",
     nullptr,
     kPercent,
     {{{"Unbalance rate of Current"}}}},
    {"vemo400_active_power_watts",
     "Active power of a phase.",
     "realtime",
     "phase",
     1,
     {{{"Pa", "a"}, {"Pb", "b"}, {"Pc", "c"}}}},
    {"vemo400_total_active_power_watts",
     "Active power of the three phases.",
     "realtime",
     nullptr,
     1,
     {{{"P"}}}},
    {"vemo400_reactive_power_volt_amperes_reactive",
     "Reactive power of a phase.",
     "realtime",
     "phase",
     1,
     {{{"Qa", "a"}, {"Qb", "b"}, {"Qc", "c"}}}},
    {"vemo400_total_reactive_power_volt_amperes_reactive",
     "Reactive power of the three phases.",
     "realtime",
     nullptr,
     1,
     {{{"Q"}}}},
    {"vemo400_apparent_power_volt_amperes",
     "Apparent power of a phase.",
     "realtime",
     "phase",
     1,
     {{{"Sa", "a"}, {"Sb", "b"}, {"Sc", "c"}}}},
    {"vemo400_total_apparent_power_volt_amperes",
     "Apparent power of the three phases.",
     "realtime",
     nullptr,
     1,
     {{{"S"}}}},
    {"vemo400_power_factor_ratio",
     "Power factor of a phase.",
     "realtime",
     "phase",
     1,
     {{{"PFa", "a"}, {"PFb", "b"}, {"PFc", "c"}}}},
    {"vemo400_total_power_factor_ratio",
     "Power factor of the three phases.",
     "realtime",
     nullptr,
     1,
     {{{"PF"}}}},
    {"vemo400_frequency_hertz", "Line frequency.", "realtime", nullptr, 1, {{{"F"}}}},

    {"vemo400_import_active_energy_joules_total",
     "Imported active energy, as the meter counts it.",
     "energy",
     nullptr,
     kKiloHours,
     {{{"Import Active Energy"}}}},
    {"vemo400_export_active_energy_joules_total",
     "Exported active energy, as the meter counts it.",
     "energy",
     nullptr,
     kKiloHours,
     {{{"Export Active Energy"}}}},
    {"vemo400_import_reactive_energy_volt_ampere_reactive_seconds_total",
     "Imported reactive energy, as the meter counts it.",
     "energy",
     nullptr,
     kKiloHours,
     {{{"Import Reactive Energy"}}}},
    {"vemo400_export_reactive_energy_volt_ampere_reactive_seconds_total",
     "Exported reactive energy, as the meter counts it.",
     "energy",
     nullptr,
     kKiloHours,
     {{{"Export Reactive Energy"}}}},
    {"vemo400_quadrant_active_energy_joules_total",
     "Active energy of a quadrant, as the meter counts it.",
     "energy",
     "quadrant",
     kKiloHours,
     {{{"1st Quadrant Active Energy", "1"},
       {"2nd Quadrant Active Energy", "2"},
       {"3rd Quadrant Active Energy", "3"},
       {"4th Quadrant Active Energy", "4"}}}},
    {"vemo400_quadrant_reactive_energy_volt_ampere_reactive_seconds_total",
     "Reactive energy of a quadrant, as the meter counts it.",
     "energy",
     "quadrant",
     kKiloHours,
     {{{"1st Quadrant Reactive Energy", "1"},
       {"2nd Quadrant Reactive Energy", "2"},
       {"3rd Quadrant Reactive Energy", "3"},
       {"4th Quadrant Reactive Energy", "4"}}}},

    {"vemo400_current_demand_amperes",
     "Present demand of the average current.",
     "demand",
     nullptr,
     1,
     {{{"Realtime Data Average Current"}}}},
    {"vemo400_active_power_demand_watts",
     "Present demand of the active power.",
     "demand",
     nullptr,
     1,
     {{{"Realtime Data P"}}}},
    {"vemo400_reactive_power_demand_volt_amperes_reactive",
     "Present demand of the reactive power.",
     "demand",
     nullptr,
     1,
     {{{"Realtime Data Q"}}}},
    {"vemo400_apparent_power_demand_volt_amperes",
     "Present demand of the apparent power.",
     "demand",
     nullptr,
     1,
     {{{"Realtime Data S"}}}},
    {"vemo400_max_current_demand_amperes",
     "Largest demand of the average current recorded.",
     "demand",
     nullptr,
     1,
     {{{"Max record Average Current"}}}},
    {"vemo400_max_active_power_demand_watts",
     "Largest demand of the active power recorded.",
     "demand",
     nullptr,
     1,
     {{{"Max record P"}}}},
    {"vemo400_max_reactive_power_demand_volt_amperes_reactive",
     "Largest demand of the reactive power recorded.",
     "demand",
     nullptr,
     1,
     {{{"Max record Q"}}}},
    {"vemo400_max_apparent_power_demand_volt_amperes",
     "Largest demand of the apparent power recorded.",
     "demand",
     nullptr,
     1,
     {{{"Max record S"}}}},

    {"vemo400_max_current_amperes",
     "Largest phase current recorded.",
     "maxmin",
     "phase",
     1,
     {{{"Ia Maximum Data", "a"}, {"Ib Maximum Data", "b"}, {"Ic Maximum Data", "c"}}}},
    {"vemo400_min_current_amperes",
     "Smallest phase current recorded.",
     "maxmin",
     "phase",
     1,
     {{{"Ia Minimum Data", "a"}, {"Ib Minimum Data", "b"}, {"Ic Minimum Data", "c"}}}},
    {"vemo400_max_total_active_power_watts",
     "Largest active power recorded.",
     "maxmin",
     nullptr,
     kKilo,
     {{{"P Maximum Data"}}}},
    {"vemo400_min_total_active_power_watts",
     "Smallest active power recorded.",
     "maxmin",
     nullptr,
     kKilo,
     {{{"P Minimum Data"}}}},
    {"vemo400_max_total_reactive_power_volt_amperes_reactive",
     "Largest reactive power recorded.",
     "maxmin",
     nullptr,
     kKilo,
     {{{"Q Maximum Data"}}}},
    {"vemo400_min_total_reactive_power_volt_amperes_reactive",
     "Smallest reactive power recorded.",
     "maxmin",
     nullptr,
     kKilo,
     {{{"Q Minimum Data"}}}},
    {"vemo400_max_total_apparent_power_volt_amperes",
     "Largest apparent power recorded.",
     "maxmin",
     nullptr,
     kKilo,
     {{{"S Maximum Data"}}}},
    {"vemo400_min_total_apparent_power_volt_amperes",
     "Smallest apparent power recorded.",
     "maxmin",
     nullptr,
     kKilo,
     {{{"S Minimum Data"}}}},
    {"vemo400_max_current_thd_ratio",
     "Largest total harmonic distortion of a phase current recorded.",
     "maxmin",
     "phase",
     1,
     {{{"Ia-THD Maximum Data", "a"}, {"Ib-THD Maximum Data", "b"}, {"Ic-THD Maximum Data", "c"}}}},
    {"vemo400_min_current_thd_ratio",
     "Smallest total harmonic distortion of a phase current recorded.",
     "maxmin",
     "phase",
     1,
     {{{"Ia-THD Minimum Data", "a"}, {"Ib-THD Minimum Data", "b"}, {"Ic-THD Minimum Data", "c"}}}},
    {"vemo400_max_voltage_thd_ratio",
     "Largest total harmonic distortion of a phase voltage recorded.",
     "maxmin",
     "phase",
     1,
     {{{"Ua-THD Maximum Data", "a"}, {"Ub-THD Maximum Data", "b"}, {"Uc-THD Maximum Data", "c"}}}},
    {"vemo400_min_voltage_thd_ratio",
     "Smallest total harmonic distortion of a phase voltage recorded.",
     "maxmin",
     "phase",
     1,
     {{{"Ua-THD Minimum Data", "a"}, {"Ub-THD Minimum Data", "b"}, {"Uc-THD Minimum Data", "c"}}}},
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

QString Labels(int meter, const char* name = nullptr, const QString& value = {})
{
    QString labels = QStringLiteral("{meter=\"%1\"").arg(meter);
    if (name)
        labels += QStringLiteral(",%1=\"%2\"").arg(QLatin1String(name), value);
    return labels + '}';
}

std::optional<double> ItemValue(const PageReading& reading, const char* item)
{
    const auto found =
        std::find_if(reading.items.begin(), reading.items.end(),
                     [item](const ReadingItem& entry) { return entry.name == QLatin1String(item); });
    return found == reading.items.end() ? std::nullopt : NumberIn(found->value);
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
        const auto reading = meter.readings.find(QLatin1String(family.page));
        if (!meter.up || reading == meter.readings.end())
            continue;
        for (const Source& source : family.sources)
            if (source.item)
                if (const std::optional<double> value = ItemValue(reading->second, source.item))
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

bool MeterMetrics::Record(int address, const QString& page, const PageReading& reading, const QDateTime& at)
{
    const auto meter = std::find_if(m_meters.begin(), m_meters.end(),
                                    [address](const MeterState& state) { return state.address == address; });
    if (meter == m_meters.end())
        return false;
    ++meter->asked[page];
    if (!reading.ok) {
        ++meter->failed[page];
        meter->up = false;
        meter->readings.clear();
        return false;
    }
    const bool cameBack = !meter->up;
    meter->up = true;
    meter->lastGood = at;
    meter->readings[page] = reading;
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
    return text.toUtf8();
}
