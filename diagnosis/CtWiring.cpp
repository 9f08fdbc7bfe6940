#include "diagnosis/CtWiring.h"

#include "diagnosis/Numbers.h"

#include <QStringList>
#include <algorithm>
#include <array>
#include <cmath>
#include <numbers>
#include <optional>

namespace Diagnosis {
namespace {
constexpr double kLightLoadShare = 0.02;
constexpr int kAngleCounts = 20;
constexpr double kOverloadShare = 1.2;

// The load angles (current lagging voltage, in degrees) a load of each kind takes:
// a power factor down to about 0.26 lagging or 0.77 leading for an inductive load,
// the mirror for a capacitive one, and the angle a typical such load has.
struct LoadBand
{
    double low;
    double high;
    double typical;
};

LoadBand BandOf(Load load)
{
    return load == Load::Inductive ? LoadBand{-40.0, 75.0, 25.0} : LoadBand{-75.0, 40.0, -15.0};
}

double Wrapped(double degrees)
{
    const double wrapped = std::fmod(degrees + 180.0, 360.0);
    return (wrapped <= 0.0 ? wrapped + 360.0 : wrapped) - 180.0;
}

// One phase's element as the angle test sees it.
struct Element
{
    bool judged = false;
    double angle = 0; // atan2(Q, P), degrees
    QString whyNot;   // when not judged
};

// Which current each CT input carries and whether reversed: one explanation of the angles.
struct Wiring
{
    std::array<int, kPhaseCount> source{0, 1, 2};
    std::array<bool, kPhaseCount> reversed{};
    std::array<double, kPhaseCount> loadAngle{}; // what each judged phase's load angle then is
    int changes = 0;                             // CTs moved plus CTs reversed
    double spread = 0;                           // how far the load angles lie from the typical one

    bool Moved(int k) const { return source[static_cast<std::size_t>(k)] != k; }
    bool Reversed(int k) const { return reversed[static_cast<std::size_t>(k)]; }
    bool SameOnJudged(const Wiring& other, const std::array<Element, kPhaseCount>& elements) const
    {
        for (int k = 0; k < kPhaseCount; ++k)
            if (elements[static_cast<std::size_t>(k)].judged &&
                (source[static_cast<std::size_t>(k)] != other.source[static_cast<std::size_t>(k)] ||
                 reversed[static_cast<std::size_t>(k)] != other.reversed[static_cast<std::size_t>(k)]))
                return false;
        return true;
    }
};

std::array<Element, kPhaseCount> Elements(const Measurements& m, const PhasesPresent& present,
                                          const VoltageInputs& voltageInputs)
{
    std::array<Element, kPhaseCount> elements;
    const double lightLoad = kLightLoadShare * m.ctPrimary;
    for (int k = 0; k < kPhaseCount; ++k) {
        const PhaseMeasurement& phase = m.phases[static_cast<std::size_t>(k)];
        Element& element = elements[static_cast<std::size_t>(k)];
        const QString name = PhaseLetter(k);
        if (!present[static_cast<std::size_t>(k)])
            element.whyNot = QStringLiteral("%1 has no voltage").arg(name);
        else if (phase.current < lightLoad)
            element.whyNot = QStringLiteral("%1 carries %2, below 2 % of the CT's %3 A")
                                 .arg(name, Amperes(phase.current))
                                 .arg(m.ctPrimary);
        else if (std::abs(phase.pCounts) + std::abs(phase.qCounts) < kAngleCounts)
            element.whyNot = QStringLiteral("%1's powers (P %2, Q %3 counts) are too small to give an angle")
                                 .arg(name)
                                 .arg(phase.pCounts)
                                 .arg(phase.qCounts);
        element.judged = element.whyNot.isEmpty();
        element.angle = std::atan2(phase.qCounts, phase.pCounts) * 180.0 / std::numbers::pi;
        if (voltageInputs.kind == VoltageInputs::OneReversed && voltageInputs.reversed == k)
            element.angle = Wrapped(element.angle + 180.0);
    }
    return elements;
}

// The power flows each phase may show: 0 for import, 180 for export.
std::vector<double> FlowTurns(Flow flow)
{
    switch (flow) {
    case Flow::Import:
        return {0.0};
    case Flow::Export:
        return {180.0};
    case Flow::Both:
        break;
    }
    return {0.0, 180.0};
}

// The wiring with its load angles, when every judged phase's angle fits a load of the declared kind.
// Input k sits on voltage k at -120k degrees; carrying phase j's current shifts its angle by 120(j - k).
std::optional<Wiring> Fitted(Wiring wiring, const std::array<Element, kPhaseCount>& elements,
                             const Declarations& declared)
{
    const LoadBand band = BandOf(declared.load);
    for (int k = 0; k < kPhaseCount; ++k) {
        const Element& element = elements[static_cast<std::size_t>(k)];
        wiring.changes += (wiring.Moved(k) ? 1 : 0) + (wiring.Reversed(k) ? 1 : 0);
        if (!element.judged)
            continue;
        std::optional<double> best;
        for (const double turn : FlowTurns(declared.flow)) {
            const double shift = 120.0 * (wiring.source[static_cast<std::size_t>(k)] - k) +
                                 (wiring.Reversed(k) ? 180.0 : 0.0) + turn;
            const double load = Wrapped(element.angle - shift);
            if (load >= band.low && load <= band.high &&
                (!best || std::abs(load - band.typical) < std::abs(*best - band.typical)))
                best = load;
        }
        if (!best)
            return std::nullopt;
        wiring.loadAngle[static_cast<std::size_t>(k)] = *best;
        wiring.spread += std::abs(*best - band.typical);
    }
    return wiring;
}

// Every wiring of the three CTs that explains the angles, the likeliest first: the fewest CTs
// moved or reversed, then the load angles nearest a typical load of the declared kind. A CT
// on a phase without a judged angle is taken as right, and with power flowing either way a
// reversed CT cannot be told from exported power, so neither is ever supposed.
std::vector<Wiring> Explanations(const std::array<Element, kPhaseCount>& elements,
                                 const Declarations& declared)
{
    std::vector<Wiring> found;
    std::array<int, kPhaseCount> source{0, 1, 2};
    do {
        for (int mask = 0; mask < (1 << kPhaseCount); ++mask) {
            Wiring wiring;
            wiring.source = source;
            bool possible = true;
            for (int k = 0; k < kPhaseCount; ++k) {
                wiring.reversed[static_cast<std::size_t>(k)] = (mask >> k) & 1;
                if (wiring.Reversed(k) &&
                    (!elements[static_cast<std::size_t>(k)].judged || declared.flow == Flow::Both))
                    possible = false;
            }
            if (possible)
                if (std::optional<Wiring> fitted = Fitted(wiring, elements, declared))
                    found.push_back(*fitted);
        }
    } while (std::next_permutation(source.begin(), source.end()));
    std::sort(found.begin(), found.end(), [](const Wiring& a, const Wiring& b) {
        return a.changes != b.changes ? a.changes < b.changes : a.spread < b.spread;
    });
    return found;
}

QString PowerFactorText(double loadAngle)
{
    const double pf = std::cos(loadAngle * std::numbers::pi / 180.0);
    if (std::abs(loadAngle) < 0.5)
        return QStringLiteral("PF 1.00");
    return QStringLiteral("PF %1 %2")
        .arg(Fixed(pf, 2), loadAngle > 0 ? QStringLiteral("lagging") : QStringLiteral("leading"));
}

QString AnglesText(const std::array<Element, kPhaseCount>& elements, const VoltageInputs& voltageInputs)
{
    QStringList angles;
    for (int k = 0; k < kPhaseCount; ++k) {
        const Element& element = elements[static_cast<std::size_t>(k)];
        angles << QStringLiteral("%1 %2").arg(PhaseLetter(k),
                                              element.judged ? Degrees(element.angle) : QStringLiteral("-"));
    }
    QString text = QStringLiteral("phase angles atan2(Q, P): ") + angles.join(QStringLiteral(", "));
    if (voltageInputs.kind == VoltageInputs::OneReversed)
        text += QStringLiteral(" (%1's turned by 180° for its reversed voltage input)")
                    .arg(PhaseLetter(voltageInputs.reversed));
    return text;
}

// "B reversed", "A carries B's current, B carries A's", "C carries A's current reversed"
QString WiringText(const Wiring& wiring, const std::array<Element, kPhaseCount>& elements)
{
    QStringList parts;
    for (int k = 0; k < kPhaseCount; ++k) {
        if (!elements[static_cast<std::size_t>(k)].judged || (!wiring.Moved(k) && !wiring.Reversed(k)))
            continue;
        const QString name = PhaseLetter(k);
        if (!wiring.Moved(k))
            parts << QStringLiteral("%1's CT reversed").arg(name);
        else
            parts << QStringLiteral("%1 carrying %2's current%3")
                         .arg(name, PhaseLetter(wiring.source[static_cast<std::size_t>(k)]),
                              wiring.Reversed(k) ? QStringLiteral(" reversed") : QString());
    }
    return parts.isEmpty() ? QStringLiteral("every CT on its own phase the right way round")
                           : parts.join(QStringLiteral(", "));
}

QString LoadAnglesText(const Wiring& wiring, const std::array<Element, kPhaseCount>& elements)
{
    QStringList loads;
    for (int k = 0; k < kPhaseCount; ++k)
        if (elements[static_cast<std::size_t>(k)].judged)
            loads << QStringLiteral("%1 %2 (%3)")
                         .arg(PhaseLetter(k), Degrees(wiring.loadAngle[static_cast<std::size_t>(k)]),
                              PowerFactorText(wiring.loadAngle[static_cast<std::size_t>(k)]));
    return loads.join(QStringLiteral(", "));
}

std::vector<int> PhasesWhere(const std::array<Element, kPhaseCount>& elements, auto&& condition)
{
    std::vector<int> phases;
    for (int k = 0; k < kPhaseCount; ++k)
        if (condition(k, elements[static_cast<std::size_t>(k)]))
            phases.push_back(k);
    return phases;
}

QString NotJudgedText(const std::array<Element, kPhaseCount>& elements)
{
    QStringList reasons;
    for (const Element& element : elements)
        if (!element.judged)
            reasons << element.whyNot;
    return reasons.join(QStringLiteral("; "));
}

// The evidence both CT findings share: the angles, the explanation and, when another one
// explains the angles as well, that one too.
QString Explained(const std::vector<Wiring>& explanations, const std::array<Element, kPhaseCount>& elements,
                  const Declarations& declared, const VoltageInputs& voltageInputs)
{
    const Wiring& best = explanations.front();
    QString text = AnglesText(elements, voltageInputs) +
                   QStringLiteral("; read as %1, the load angles are %2")
                       .arg(WiringText(best, elements), LoadAnglesText(best, elements));
    for (const Wiring& other : explanations)
        if (other.changes == best.changes && !other.SameOnJudged(best, elements)) {
            text +=
                QStringLiteral("; read as %1 (load angles %2) they fit as well: declaring the load %3 reads "
                               "them that way")
                    .arg(WiringText(other, elements), LoadAnglesText(other, elements),
                         QLatin1String(LoadName(declared.load == Load::Inductive ? Load::Capacitive
                                                                                 : Load::Inductive)));
            break;
        }
    return text;
}

void Add(std::vector<Finding>& findings, const char* id, Verdict verdict, std::vector<int> phases,
         const QString& evidence, const QString& advice = {})
{
    if (!phases.empty())
        findings.push_back({QLatin1String(id), verdict, std::move(phases), evidence, advice});
}

QString PolarityAdvice(const std::vector<int>& phases, const Measurements& m, const Declarations& declared)
{
    if (phases.size() == kPhaseCount)
        return QStringLiteral(
                   "Every phase %1 while %2 is declared: all three CTs (or all their leads at the meter, "
                   "or the P1/P2 sides) are the wrong way round, and the meter counts the energy in the "
                   "wrong register. Short the CTs and swap the two leads of each at the meter, or "
                   "declare the flow if the site really %1.")
            .arg(declared.flow == Flow::Import ? QStringLiteral("exports") : QStringLiteral("imports"),
                 QLatin1String(FlowName(declared.flow)));
    double corrected = m.totalP;
    for (const int k : phases)
        corrected -= 2.0 * m.phases[static_cast<std::size_t>(k)].p;
    return QStringLiteral(
               "The CT of %1 (or its two leads at the meter) is the wrong way round: its power counts "
               "against the others and the total active power reads %2 W where %3 W flows. Short the "
               "CT, swap its two leads at the meter's terminals, then check again.")
        .arg(PhaseList(phases), Fixed(m.totalP, 0), Fixed(corrected, 0));
}

QString PhaseAdvice(const Wiring& wiring, const std::vector<int>& moved)
{
    const bool reversedToo =
        std::any_of(moved.begin(), moved.end(), [&wiring](int k) { return wiring.Reversed(k); });
    const QString turned = reversedToo ? QStringLiteral(", the right way round") : QString();
    // Three CTs that all carry another phase's current sit one phase on: only a rotation moves all three.
    if (moved.size() == kPhaseCount)
        return QStringLiteral(
                   "All three CTs sit one phase on (each input carries the current of another phase's "
                   "conductor): every phase's power is wrong and so is the total. Short the CTs and move "
                   "each CT's leads to the input of the phase its conductor belongs to%1, then check "
                   "again.")
            .arg(turned);
    return QStringLiteral(
               "The CTs of %1 sit on each other's conductors (or their leads are crossed at the meter): "
               "their powers are wrong and so is the total. Short the CTs and put each CT's leads on the "
               "input of the phase its conductor belongs to%2, then check again.")
        .arg(PhaseList(moved), turned);
}

void CheckPolarityAndPhase(const Measurements& m, const Declarations& declared, const PhasesPresent& present,
                           const VoltageInputs& voltageInputs, std::vector<Finding>& findings)
{
    const std::array<Element, kPhaseCount> elements = Elements(m, present, voltageInputs);
    const std::vector<int> unjudged = PhasesWhere(elements, [](int, const Element& e) { return !e.judged; });
    const std::vector<Wiring> explanations = Explanations(elements, declared);
    const QString notJudged = NotJudgedText(elements);
    if (explanations.empty() || unjudged.size() == kPhaseCount) {
        const QString why = unjudged.size() == kPhaseCount
                                ? notJudged
                                : AnglesText(elements, voltageInputs) +
                                      QStringLiteral("; no wiring of the CTs explains these angles "
                                                     "with a load of the declared kind");
        Add(findings, "ct-polarity", Verdict::NotChecked, {0, 1, 2}, why);
        Add(findings, "ct-phase", Verdict::NotChecked, {0, 1, 2}, why);
        return;
    }
    const Wiring& best = explanations.front();
    const QString evidence = Explained(explanations, elements, declared, voltageInputs);
    const auto judged = [](int, const Element& e) { return e.judged; };

    const std::vector<int> reversed = PhasesWhere(
        elements, [&](int k, const Element& e) { return e.judged && best.Reversed(k) && !best.Moved(k); });
    const std::vector<int> moved =
        PhasesWhere(elements, [&](int k, const Element& e) { return e.judged && best.Moved(k); });
    if (declared.flow == Flow::Both)
        Add(findings, "ct-polarity", Verdict::NotChecked, PhasesWhere(elements, judged),
            QStringLiteral("power is declared to flow either way, so a reversed CT reads as exported power"));
    else {
        Add(findings, "ct-polarity", Verdict::Fault, reversed, evidence,
            PolarityAdvice(reversed, m, declared));
        Add(findings, "ct-polarity", Verdict::Ok,
            PhasesWhere(
                elements,
                [&](int k, const Element& e) { return e.judged && !best.Reversed(k) && !best.Moved(k); }),
            AnglesText(elements, voltageInputs));
        Add(findings, "ct-polarity", Verdict::NotChecked, moved,
            QStringLiteral("the CT is on another phase (ct-phase)"));
    }
    Add(findings, "ct-phase", Verdict::Fault, moved, evidence, PhaseAdvice(best, moved));
    Add(findings, "ct-phase", Verdict::Ok,
        PhasesWhere(elements, [&](int k, const Element& e) { return e.judged && !best.Moved(k); }),
        AnglesText(elements, voltageInputs));
    for (const char* id : {"ct-polarity", "ct-phase"})
        Add(findings, id, Verdict::NotChecked, unjudged, notJudged);
}

void CheckRange(const Measurements& m, std::vector<Finding>& findings)
{
    if (m.ctPrimary <= 0)
        return Add(findings, "ct-range", Verdict::NotChecked, {0, 1, 2},
                   QStringLiteral("the meter holds no CT primary"));
    std::vector<int> over;
    std::vector<int> within;
    QStringList currents;
    for (int k = 0; k < kPhaseCount; ++k) {
        const double current = m.phases[static_cast<std::size_t>(k)].current;
        (current > kOverloadShare * m.ctPrimary ? over : within).push_back(k);
        currents << QStringLiteral("I%1 %2 (%3 of %4 A)")
                        .arg(PhaseLetter(k).toLower(), Amperes(current),
                             Percent(100.0 * current / m.ctPrimary))
                        .arg(m.ctPrimary);
    }
    const QString evidence = currents.join(QStringLiteral(", "));
    Add(findings, "ct-range", Verdict::Warning, over,
        evidence + QStringLiteral(", above 120 % of the CT's rating"),
        QStringLiteral(
            "Either the load is beyond the CT's rating (the CT saturates and reads low) or the CT primary "
            "set in the meter is too low: compare the CT's nameplate with the meter's setting (%1 A).")
            .arg(m.ctPrimary));
    Add(findings, "ct-range", Verdict::Ok, within, evidence);
}
} // namespace

PhasorView PhasorsOf(const Measurements& m)
{
    PhasorView view;
    for (int k = 0; k < kPhaseCount; ++k) {
        const PhaseMeasurement& phase = m.phases[static_cast<std::size_t>(k)];
        const auto i = static_cast<std::size_t>(k);
        view.voltage[i] = phase.voltage;
        view.current[i] = phase.current;
        if (std::abs(phase.pCounts) + std::abs(phase.qCounts) >= kAngleCounts)
            view.currentAngle[i] =
                Wrapped(-120.0 * k - std::atan2(phase.qCounts, phase.pCounts) * 180.0 / std::numbers::pi);
    }
    return view;
}

void CheckCurrentTransformers(const Measurements& m, const Declarations& declared,
                              const PhasesPresent& present, const VoltageInputs& voltageInputs,
                              std::vector<Finding>& findings)
{
    CheckPolarityAndPhase(m, declared, present, voltageInputs, findings);
    CheckRange(m, findings);
}

} // namespace Diagnosis
