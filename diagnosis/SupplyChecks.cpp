#include "diagnosis/SupplyChecks.h"

#include "diagnosis/Numbers.h"

#include <QStringList>
#include <algorithm>
#include <cmath>

namespace Diagnosis {
namespace {
constexpr double kStandardSecondaries[] = {57.7, 63.5, 110, 115, 120, 127, 220, 230, 240, 277};
constexpr double kPresentShare = 0.5;
constexpr double kLevelTolerance = 0.10;
constexpr double kNearTolerance = 0.15;
constexpr double kUnbalanceLimit = 2.0;
constexpr double kThdLimit = 8.0;
const double kSqrt3 = std::sqrt(3.0);
const QString kOneReading = QStringLiteral(
    " An indication from one reading: the supply standard judges 10-minute means over a week.");

// Limits of the individual harmonic voltages in % of the fundamental, by order (none above 25).
double HarmonicLimit(int order)
{
    switch (order) {
    case 2:
        return 2.0;
    case 3:
    case 7:
        return 5.0;
    case 4:
        return 1.0;
    case 5:
        return 6.0;
    case 9:
    case 19:
    case 23:
    case 25:
        return 1.5;
    case 11:
        return 3.5;
    case 13:
        return 3.0;
    case 15:
    case 21:
        return 0.5;
    case 17:
        return 2.0;
    default:
        return order % 2 == 0 && order <= 24 ? 0.5 : 0.0;
    }
}

std::vector<int> Phases(const PhasesPresent& selected, bool wanted)
{
    std::vector<int> phases;
    for (int k = 0; k < kPhaseCount; ++k)
        if (selected[static_cast<std::size_t>(k)] == wanted)
            phases.push_back(k);
    return phases;
}

QString PhaseVoltages(const Measurements& m)
{
    return QStringLiteral("Ua %1, Ub %2, Uc %3")
        .arg(Volts(m.phases[0].voltage), Volts(m.phases[1].voltage), Volts(m.phases[2].voltage));
}

void Add(std::vector<Finding>& findings, const char* id, Verdict verdict, std::vector<int> phases,
         const QString& evidence, const QString& advice = {})
{
    findings.push_back({QLatin1String(id), verdict, std::move(phases), evidence, advice});
}

void CheckMissing(const Measurements& m, double nominal, const PhasesPresent& present,
                  std::vector<Finding>& findings)
{
    const std::vector<int> missing = Phases(present, false);
    const QString evidence = PhaseVoltages(m) + QStringLiteral(" against a nominal %1").arg(Volts(nominal));
    if (missing.size() == kPhaseCount)
        Add(findings, "voltage-missing", Verdict::NotChecked, {0, 1, 2}, evidence,
            QStringLiteral(
                "No phase has voltage: the supply is off, or the voltage inputs are not connected."));
    else if (!missing.empty())
        Add(findings, "voltage-missing", Verdict::Fault, missing, evidence,
            QStringLiteral(
                "No voltage reaches input %1 while the others have it: a blown PT fuse, an open link or "
                "a loose lead. Check the fuse and the wiring up to the meter's terminal; until then "
                "that phase's power and energy are lost.")
                .arg(PhaseList(missing)));
    else
        Add(findings, "voltage-missing", Verdict::Ok, {0, 1, 2}, evidence);
}

void CheckLevel(const Measurements& m, double nominal, const PhasesPresent& present,
                std::vector<Finding>& findings)
{
    PhasesPresent off{};
    QStringList offText;
    for (int k = 0; k < kPhaseCount; ++k) {
        const double deviation = m.phases[static_cast<std::size_t>(k)].voltage / nominal - 1.0;
        if (present[static_cast<std::size_t>(k)] && std::abs(deviation) > kLevelTolerance) {
            off[static_cast<std::size_t>(k)] = true;
            offText << QStringLiteral("U%1 %2 (%3%4)")
                           .arg(PhaseLetter(k).toLower(),
                                Volts(m.phases[static_cast<std::size_t>(k)].voltage),
                                deviation > 0 ? QStringLiteral("+") : QString(), Percent(100.0 * deviation));
        }
    }
    const std::vector<int> judged = Phases(present, true);
    if (judged.empty())
        return Add(findings, "voltage-level", Verdict::NotChecked, {0, 1, 2},
                   QStringLiteral("no phase has voltage"));
    const std::vector<int> bad = Phases(off, true);
    if (bad.empty())
        return Add(findings, "voltage-level", Verdict::Ok, judged,
                   PhaseVoltages(m) + QStringLiteral(", within ±10 % of %1").arg(Volts(nominal)));
    Add(findings, "voltage-level", Verdict::Warning, bad,
        offText.join(QStringLiteral(", ")) + QStringLiteral(" of the nominal %1").arg(Volts(nominal)),
        QStringLiteral(
            "A voltage outside ±10 % of nominal: check the declared nominal voltage and the meter's PT "
            "ratio first; if both are right, the supply is out of its limits.") +
            kOneReading);
}

void CheckPtPolarity(const Measurements& m, const PhasesPresent& present, std::vector<Finding>& findings)
{
    const QString lines =
        QStringLiteral("Uab %1, Ubc %2, Uca %3")
            .arg(Volts(m.lineVoltages[0]), Volts(m.lineVoltages[1]), Volts(m.lineVoltages[2]));
    const VoltageInputs inputs = JudgeVoltageInputs(m, present);
    if (inputs.kind == VoltageInputs::NotChecked)
        return Add(findings, "pt-polarity", Verdict::NotChecked, {0, 1, 2},
                   lines + QStringLiteral("; it needs all three phase voltages"));
    const QString evidence =
        lines + QStringLiteral(" against phase voltages of %1 (√3 × %1 = %2)")
                    .arg(Volts(inputs.phaseVoltage), Volts(kSqrt3 * inputs.phaseVoltage));
    if (inputs.kind == VoltageInputs::Right)
        return Add(findings, "pt-polarity", Verdict::Ok, {0, 1, 2}, evidence);
    if (inputs.kind == VoltageInputs::Unclear)
        return Add(findings, "pt-polarity", Verdict::NotChecked, {0, 1, 2},
                   evidence +
                       QStringLiteral(
                           "; the line voltages fit neither a correct connection nor one reversed input"));
    Add(findings, "pt-polarity", Verdict::Fault, {inputs.reversed}, evidence,
        QStringLiteral(
            "The voltage input of %1 is connected the wrong way round (its lead and the neutral swapped, or "
            "the PT's secondary reversed), so two line voltages read near the phase voltage and %1's "
            "power counts reversed. Swap the two leads at %1's voltage input, or at its PT's secondary, "
            "then check again.")
            .arg(PhaseLetter(inputs.reversed)));
}

void CheckFrequency(const Measurements& m, std::vector<Finding>& findings)
{
    const bool within = std::abs(m.frequency - 50.0) <= 0.5 || std::abs(m.frequency - 60.0) <= 0.6;
    if (within)
        return Add(findings, "frequency", Verdict::Ok, {},
                   Hertz(m.frequency) + QStringLiteral(", within 50 or 60 Hz ±1 %"));
    Add(findings, "frequency", Verdict::Warning, {},
        Hertz(m.frequency) + QStringLiteral(", outside 50 Hz and 60 Hz ±1 %"),
        QStringLiteral(
            "An island or generator supply off its frequency, or a voltage too distorted or too small "
            "for the meter to follow.") +
            kOneReading);
}

void CheckUnbalance(const Measurements& m, const PhasesPresent& present, std::vector<Finding>& findings)
{
    const QString evidence =
        Percent(m.voltageUnbalance) +
        QStringLiteral(
            " (the meter's figure: the largest deviation of a phase voltage from the mean of the three, in "
            "% of the mean)");
    if (Phases(present, true).size() != kPhaseCount)
        return Add(findings, "voltage-unbalance", Verdict::NotChecked, {},
                   evidence + QStringLiteral("; a phase has no voltage"));
    if (m.voltageUnbalance <= kUnbalanceLimit)
        return Add(findings, "voltage-unbalance", Verdict::Ok, {}, evidence);
    Add(findings, "voltage-unbalance", Verdict::Warning, {}, evidence + QStringLiteral(", above 2 %"),
        QStringLiteral(
            "Large single-phase loads unevenly spread, or an unbalanced supply: motors run hot on it. "
            "Spread the single-phase loads; if the supply itself is unbalanced, tell the supplier.") +
            kOneReading);
}

void CheckDistortion(const Measurements& m, const PhasesPresent& present, std::vector<Finding>& findings)
{
    PhasesPresent thdHigh{};
    PhasesPresent orderHigh{};
    QStringList thdText;
    QStringList orderText;
    for (int k = 0; k < kPhaseCount; ++k) {
        const PhaseMeasurement& phase = m.phases[static_cast<std::size_t>(k)];
        if (!present[static_cast<std::size_t>(k)])
            continue;
        if (phase.voltageThd > kThdLimit) {
            thdHigh[static_cast<std::size_t>(k)] = true;
            thdText << QStringLiteral("%1 %2").arg(PhaseLetter(k), Percent(phase.voltageThd));
        }
        QStringList above;
        for (int order = HarmonicTable::kFirstOrder; order <= HarmonicTable::kLastOrder; ++order) {
            const double limit = HarmonicLimit(order);
            if (limit > 0 && phase.voltageOrders[static_cast<std::size_t>(order)] > limit)
                above << QStringLiteral("order %1 %2 (limit %3)")
                             .arg(order)
                             .arg(Percent(phase.voltageOrders[static_cast<std::size_t>(order)]),
                                  Percent(limit));
        }
        if (!above.isEmpty()) {
            orderHigh[static_cast<std::size_t>(k)] = true;
            orderText << QStringLiteral("%1: %2").arg(PhaseLetter(k), above.join(QStringLiteral(", ")));
        }
    }
    const std::vector<int> judged = Phases(present, true);
    const QString thds = QStringLiteral("THD of Ua %1, Ub %2, Uc %3")
                             .arg(Percent(m.phases[0].voltageThd), Percent(m.phases[1].voltageThd),
                                  Percent(m.phases[2].voltageThd));
    if (Phases(thdHigh, true).empty())
        Add(findings, "thd-voltage", Verdict::Ok, judged, thds);
    else
        Add(findings, "thd-voltage", Verdict::Warning, Phases(thdHigh, true),
            thdText.join(QStringLiteral(", ")) + QStringLiteral(", above 8 %"),
            QStringLiteral(
                "A distorted supply: rectifiers, drives and other non-linear loads on the site or nearby. "
                "Find the largest such loads with the harmonic page; filters or chokes lower it.") +
                kOneReading);
    if (Phases(orderHigh, true).empty())
        Add(findings, "harmonic-voltage", Verdict::Ok, judged,
            QStringLiteral("every order up to 25 within its limit"));
    else
        Add(findings, "harmonic-voltage", Verdict::Warning, Phases(orderHigh, true),
            orderText.join(QStringLiteral("; ")),
            QStringLiteral("Individual harmonic voltages above the supply standard's limits, in % of the "
                           "fundamental: the orders name the kind of load (5 and 7: six-pulse drives; 3: "
                           "single-phase electronics).") +
                kOneReading);
}
} // namespace

VoltageInputs JudgeVoltageInputs(const Measurements& m, const PhasesPresent& present)
{
    VoltageInputs inputs;
    if (Phases(present, true).size() != kPhaseCount)
        return inputs;
    inputs.phaseVoltage = (m.phases[0].voltage + m.phases[1].voltage + m.phases[2].voltage) / 3.0;
    const auto near = [](double value, double expected) {
        return std::abs(value / expected - 1.0) <= kNearTolerance;
    };
    int high = 0;
    std::vector<int> low;
    for (int j = 0; j < kPhaseCount; ++j) {
        const double line = m.lineVoltages[static_cast<std::size_t>(j)];
        high += near(line, kSqrt3 * inputs.phaseVoltage) ? 1 : 0;
        if (near(line, inputs.phaseVoltage))
            low.push_back(j);
    }
    inputs.kind = high == kPhaseCount ? VoltageInputs::Right : VoltageInputs::Unclear;
    if (high == 1 && low.size() == 2) {
        // Line voltage j joins phases j and j + 1: the phase the two low ones share is the reversed one.
        inputs.kind = VoltageInputs::OneReversed;
        inputs.reversed = low[0] == 0 && low[1] == 2 ? 0 : low[1];
    }
    return inputs;
}

PhasesPresent VoltagePresent(const Measurements& m, double nominal)
{
    PhasesPresent present{};
    for (int k = 0; k < kPhaseCount; ++k)
        present[static_cast<std::size_t>(k)] =
            m.phases[static_cast<std::size_t>(k)].voltage >= kPresentShare * nominal;
    return present;
}

double AssumedNominal(const Measurements& m)
{
    std::array<double, kPhaseCount> secondary{};
    for (int k = 0; k < kPhaseCount; ++k)
        secondary[static_cast<std::size_t>(k)] = m.phases[static_cast<std::size_t>(k)].voltage / m.ratios.pt;
    std::sort(secondary.begin(), secondary.end());
    // The median stands for the supply unless two phases are missing.
    const double measured =
        secondary[1] >= kPresentShare * kStandardSecondaries[0] ? secondary[1] : secondary[2];
    const double* nearest = std::min_element(
        std::begin(kStandardSecondaries), std::end(kStandardSecondaries),
        [measured](double a, double b) { return std::abs(a - measured) < std::abs(b - measured); });
    return *nearest * m.ratios.pt;
}

void CheckVoltageInputs(const Measurements& m, double nominal, std::vector<Finding>& findings)
{
    const PhasesPresent present = VoltagePresent(m, nominal);
    CheckMissing(m, nominal, present, findings);
    CheckLevel(m, nominal, present, findings);
    CheckPtPolarity(m, present, findings);
}

void CheckPowerQuality(const Measurements& m, double nominal, std::vector<Finding>& findings)
{
    const PhasesPresent present = VoltagePresent(m, nominal);
    CheckFrequency(m, findings);
    CheckUnbalance(m, present, findings);
    CheckDistortion(m, present, findings);
}

} // namespace Diagnosis
