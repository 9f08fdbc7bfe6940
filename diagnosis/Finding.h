#pragma once

#include <QString>
#include <array>
#include <optional>
#include <vector>

// What the wiring check says of one thing it looked at, for some of the phases.
namespace Diagnosis {

enum class Verdict
{
    Ok,
    Warning,
    Fault,
    NotChecked
};

// The power flow the site is declared to have: drawn from the supply, fed into it, or either.
enum class Flow
{
    Import,
    Export,
    Both
};

// What the load mostly is: motors and transformers lag, capacitor banks and long cables lead.
// It decides between two wirings that the phase angles alone cannot tell apart.
enum class Load
{
    Inductive,
    Capacitive
};

// What the engineer knows of the site; the defaults serve most sites.
struct Declarations
{
    std::optional<double> nominalPhaseVoltage; // primary volts; none: taken from the measured voltages
    Flow flow = Flow::Import;
    Load load = Load::Inductive;
};

inline constexpr int kPhaseCount = 3;

struct Finding
{
    QString id; // "ct-polarity"
    Verdict verdict;
    std::vector<int> phases; // 0 to 2 for A to C, in order; empty for the supply as a whole
    QString evidence;        // the numbers behind the verdict
    QString advice;          // what it most likely means on site and what to do
};

// What the phasor diagram shows of the reading: the voltages at their ideal angles (the meter
// gives their magnitudes only), each current at its measured angle from its own voltage, in
// degrees counter-clockwise from Ua. A phase with too little power to give an angle has none.
struct PhasorView
{
    std::array<double, kPhaseCount> voltage{}; // V
    std::array<double, kPhaseCount> current{}; // A
    std::array<std::optional<double>, kPhaseCount> currentAngle;
};

struct CheckResult
{
    double nominalPhaseVoltage = 0; // primary volts
    bool nominalDeclared = false;
    Declarations declarations;
    std::vector<Finding> findings;
    PhasorView phasors;

    bool HasFault() const;
};

const char* VerdictName(Verdict verdict); // "ok", "warning", "fault", "not checked"
const char* FlowName(Flow flow);          // "import", "export", "both"
const char* LoadName(Load load);          // "inductive", "capacitive"
char PhaseName(int phase);                // 'A', 'B', 'C'
QString PhaseLetter(int phase);           // "A", "B", "C"
// "A", "A and B", "A, B and C"
QString PhaseList(const std::vector<int>& phases);

} // namespace Diagnosis
