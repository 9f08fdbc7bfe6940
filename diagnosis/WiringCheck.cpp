#include "diagnosis/WiringCheck.h"

#include "diagnosis/CtWiring.h"
#include "diagnosis/Measurements.h"
#include "diagnosis/Numbers.h"
#include "diagnosis/SupplyChecks.h"

#include <algorithm>
#include <cmath>

namespace Diagnosis {
namespace {
// Every check, in the order the findings are listed.
constexpr const char* kChecks[] = {"voltage-missing",   "voltage-level", "pt-polarity",     "ct-polarity",
                                   "ct-phase",          "ct-range",      "wiring-mode",     "frequency",
                                   "voltage-unbalance", "thd-voltage",   "harmonic-voltage"};
constexpr int kFourLines = 0;
constexpr int kThreeLines = 1;
// Against a floating star point the three phase voltages sum to zero: a real neutral always
// carries some zero-sequence voltage when the phase voltages differ.
constexpr double kNoNeutralZeroSequence = 0.0005;
constexpr double kTellableSpread = 0.002;
constexpr double kNeutralCurrentShare = 0.10;

Finding WiringMode(const Measurements& m, double nominal, const PhasesPresent& present)
{
    const QString id = QStringLiteral("wiring-mode");
    if (m.wiring == kFourLines) {
        const auto [low, high] = std::minmax({m.phases[0].voltage, m.phases[1].voltage, m.phases[2].voltage});
        const QString evidence =
            QStringLiteral("four lines set; zero-sequence voltage %1 with phase voltages from %2 to %3")
                .arg(Volts(m.zeroSequenceVoltage), Volts(low), Volts(high));
        if (std::count(present.begin(), present.end(), true) != kPhaseCount)
            return {id, Verdict::NotChecked, {}, evidence + QStringLiteral("; a phase has no voltage"), {}};
        if (m.zeroSequenceVoltage > kNoNeutralZeroSequence * nominal)
            return {id, Verdict::Ok, {}, evidence, {}};
        if ((high - low) / nominal < kTellableSpread)
            return {id,
                    Verdict::NotChecked,
                    {},
                    evidence + QStringLiteral("; too balanced to tell whether a neutral is connected"),
                    {}};
        return {
            id,
            Verdict::Warning,
            {},
            evidence +
                QStringLiteral(": the phase voltages sum to zero, as only against a floating star point"),
            QStringLiteral("Four lines are set but no neutral reaches the meter: connect the neutral to the "
                           "meter's N terminal, or set three lines if the system has no neutral.")};
    }
    if (m.wiring == kThreeLines) {
        const QString evidence =
            QStringLiteral("three lines set; zero-sequence current %1 against an average current of %2")
                .arg(Amperes(m.zeroSequenceCurrent), Amperes(m.averageCurrent));
        if (m.averageCurrent < 0.02 * m.ctPrimary)
            return {id, Verdict::NotChecked, {}, evidence + QStringLiteral("; too little load to tell"), {}};
        if (m.zeroSequenceCurrent <= kNeutralCurrentShare * m.averageCurrent)
            return {id, Verdict::Ok, {}, evidence, {}};
        return {id,
                Verdict::Warning,
                {},
                evidence + QStringLiteral(": a neutral current flows"),
                QStringLiteral(
                    "Three lines are set, but the currents do not add up to zero: the system has a "
                    "neutral that carries current. Set four lines and connect the neutral to the meter.")};
    }
    return {id,
            Verdict::Warning,
            {},
            QStringLiteral("the meter holds wiring mode %1").arg(m.wiring),
            QStringLiteral(
                "Neither four lines (0) nor three lines (1): set the wiring mode on the Meter Set page.")};
}

CheckResult NothingChecked(const CheckInput& input, const Declarations& declared)
{
    namespace BlockA = PageReads::BlockA;
    const QString why =
        QStringLiteral("the meter's block A gives no transformer ratios (CT %1/%2, PT secondary %3)")
            .arg(input.blockA[BlockA::kCtPrimary])
            .arg(input.blockA[BlockA::kCtSecondary])
            .arg(input.blockA[BlockA::kPtSecondary]);
    CheckResult result;
    result.declarations = declared;
    result.nominalPhaseVoltage = declared.nominalPhaseVoltage.value_or(0.0);
    result.nominalDeclared = declared.nominalPhaseVoltage.has_value();
    for (const char* id : kChecks)
        result.findings.push_back({QLatin1String(id),
                                   Verdict::NotChecked,
                                   {},
                                   why,
                                   QStringLiteral("Set the CT and PT ratios on the Meter Set page.")});
    return result;
}

// The findings in the order of kChecks, each check's own order kept.
void Order(std::vector<Finding>& findings)
{
    const auto rank = [](const Finding& finding) {
        return std::find_if(std::begin(kChecks), std::end(kChecks),
                            [&finding](const char* id) { return finding.id == QLatin1String(id); }) -
               std::begin(kChecks);
    };
    std::stable_sort(findings.begin(), findings.end(),
                     [&rank](const Finding& a, const Finding& b) { return rank(a) < rank(b); });
}
} // namespace

CheckResult Check(const CheckInput& input, const Declarations& declared)
{
    const std::optional<Measurements> measured = Measure(input);
    if (!measured || measured->ratios.ct == 0 || measured->ratios.pt == 0)
        return NothingChecked(input, declared);
    const Measurements& m = *measured;
    CheckResult result;
    result.declarations = declared;
    result.nominalDeclared = declared.nominalPhaseVoltage.has_value();
    result.nominalPhaseVoltage = declared.nominalPhaseVoltage.value_or(AssumedNominal(m));
    const double nominal = result.nominalPhaseVoltage;
    const PhasesPresent present = VoltagePresent(m, nominal);
    CheckVoltageInputs(m, nominal, result.findings);
    CheckCurrentTransformers(m, declared, present, JudgeVoltageInputs(m, present), result.findings);
    result.findings.push_back(WiringMode(m, nominal, present));
    CheckPowerQuality(m, nominal, result.findings);
    Order(result.findings);
    result.phasors = PhasorsOf(m);
    return result;
}

} // namespace Diagnosis
