#include "diagnosis/WiringCheck.h"
#include "MeterLine.h"
#include "comm/ModbusRtu.h"
#include "meter/BlockRead.h"
#include "reading/CheckRead.h"

#include <gtest/gtest.h>
#include <set>
#include <string>
#include <tuple>

namespace {
using namespace Diagnosis;

// One finding as the suite compares it: its check, verdict and phases.
using Seen = std::tuple<std::string, Verdict, std::vector<int>>;

struct PowerFactor
{
    const char* name;
    double pf; // the signed cosine: below 0 leading
};

// The simulated meter wired to its site as given; every register follows from the phasors.
class CheckedMeter
{
public:
    CheckedMeter(const SitePlan& plan, const char* wiring)
    {
        SlaveId = 1;
        line.Meter().SetSite(plan, *ConnectionNamed(wiring));
    }

    CheckResult Check(const Declarations& declared = {})
    {
        CheckInput input;
        QString failed;
        EXPECT_TRUE(ReadCheckInput(PageReads::Read, input, failed)) << failed.toStdString();
        return Diagnosis::Check(input, declared);
    }

    MeterLine line;
};

SitePlan Site(double pf, double share = 0.6)
{
    SitePlan plan;
    plan.powerFactor = PerPhase{pf, pf, pf};
    plan.loadShare = PerPhase{share, share, share};
    return plan;
}

std::set<Seen> FindingsOf(const CheckResult& result, Verdict verdict)
{
    std::set<Seen> seen;
    for (const Finding& finding : result.findings)
        if (finding.verdict == verdict)
            seen.insert({finding.id.toStdString(), verdict, finding.phases});
    return seen;
}

std::string Described(const CheckResult& result)
{
    std::string text;
    for (const Finding& finding : result.findings)
        text += finding.id.toStdString() + " " + VerdictName(finding.verdict) + ": " +
                finding.evidence.toStdString() + "\n";
    return text;
}

constexpr PowerFactor kPowerFactors[] = {
    {"unity", 1.0}, {"lagging090", 0.9}, {"lagging070", 0.7}, {"leading095", -0.95}};

struct WiringFault
{
    const char* wiring;
    Seen expected;
};

const WiringFault kFaults[] = {
    {"ct-reversed:B", {"ct-polarity", Verdict::Fault, {1}}},
    {"ct-swap:AB", {"ct-phase", Verdict::Fault, {0, 1}}},
    {"ct-rotate", {"ct-phase", Verdict::Fault, {0, 1, 2}}},
    {"all-ct-reversed", {"ct-polarity", Verdict::Fault, {0, 1, 2}}},
    {"pt-reversed:C", {"pt-polarity", Verdict::Fault, {2}}},
    {"pt-missing:A", {"voltage-missing", Verdict::Fault, {0}}},
    {"no-neutral", {"wiring-mode", Verdict::Warning, {}}},
};

void PrintTo(const WiringFault& fault, std::ostream* out)
{
    *out << fault.wiring;
}

void PrintTo(const PowerFactor& pf, std::ostream* out)
{
    *out << pf.name;
}

class WiringFaultTest : public ::testing::TestWithParam<std::tuple<WiringFault, PowerFactor>>
{
};
} // namespace

// Each fault alone is found with its check and phases, and nothing else is a fault. A leading
// load is declared capacitive: all three CTs reversed and all three moved one phase on read
// alike at some pairs of power factors, and the load's kind tells them apart.
TEST_P(WiringFaultTest, isFoundWithItsCheckAndPhasesAndNothingElseIsAFault)
{
    const auto& [fault, pf] = GetParam();
    CheckedMeter meter(Site(pf.pf), fault.wiring);
    Declarations declared;
    declared.load = pf.pf < 0 ? Load::Capacitive : Load::Inductive;
    const CheckResult result = meter.Check(declared);

    const Verdict verdict = std::get<1>(fault.expected);
    std::set<Seen> expected{fault.expected};
    EXPECT_EQ(FindingsOf(result, verdict), expected) << Described(result);
    if (verdict != Verdict::Fault) {
        EXPECT_TRUE(FindingsOf(result, Verdict::Fault).empty()) << Described(result);
    }
    EXPECT_TRUE(result.HasFault() == (verdict == Verdict::Fault));
}

INSTANTIATE_TEST_SUITE_P(Wiring, WiringFaultTest,
                         ::testing::Combine(::testing::ValuesIn(kFaults), ::testing::ValuesIn(kPowerFactors)),
                         [](const auto& info) {
                             std::string name = std::string(std::get<0>(info.param).wiring) + "_" +
                                                std::get<1>(info.param).name;
                             for (char& c : name)
                                 if (!std::isalnum(static_cast<unsigned char>(c)))
                                     c = '_';
                             return name;
                         });

// A correct meter is never a fault: at each power factor, with a different one on each phase,
// with unbalanced currents, behind a medium-voltage PT, and with power fed into the supply.
TEST(CorrectWiringTest, isNeverAFault)
{
    std::vector<std::pair<std::string, SitePlan>> sites;
    for (const PowerFactor& pf : kPowerFactors)
        sites.push_back({pf.name, Site(pf.pf)});
    SitePlan unequal = Site(1.0);
    unequal.powerFactor = PerPhase{0.95, 0.8, 0.7};
    sites.push_back({"unequal power factors", unequal});
    SitePlan unbalanced = Site(0.9);
    unbalanced.loadShare = PerPhase{0.9, 0.5, 0.15};
    sites.push_back({"unbalanced currents", unbalanced});
    SitePlan mediumVoltage = Site(0.9);
    mediumVoltage.phaseVoltage = 57.7;
    sites.push_back({"medium voltage", mediumVoltage});
    for (const auto& [name, plan] : sites) {
        CheckedMeter meter(plan, "correct");
        if (name == "medium voltage")
            meter.line.Set(1002, {20000 % 65536, 20000 / 65536, 100}); // PT 20000 / 100
        const CheckResult result = meter.Check(
            {std::nullopt, Flow::Import, plan.powerFactor->at(0) < 0 ? Load::Capacitive : Load::Inductive});
        EXPECT_FALSE(result.HasFault()) << name << "\n" << Described(result);
        if (name == "medium voltage") {
            EXPECT_DOUBLE_EQ(result.nominalPhaseVoltage, 57.7 * 200)
                << "the standard secondary times the PT ratio";
        }
    }

    SitePlan exporting = Site(0.9);
    exporting.exporting = true;
    for (const Flow flow : {Flow::Export, Flow::Both}) {
        CheckedMeter meter(exporting, "correct");
        const CheckResult result = meter.Check({std::nullopt, flow, Load::Inductive});
        EXPECT_FALSE(result.HasFault()) << FlowName(flow) << "\n" << Described(result);
    }
}

// Below 2 % of the CT's rating a phase angle means little: the CT checks say so instead of judging.
TEST(LightLoadTest, leavesTheCtChecksNotChecked)
{
    CheckedMeter meter(Site(0.9, 0.01), "ct-reversed:B");
    const CheckResult result = meter.Check();
    EXPECT_FALSE(result.HasFault()) << Described(result);
    const std::set<Seen> notChecked = FindingsOf(result, Verdict::NotChecked);
    EXPECT_TRUE(notChecked.count({"ct-polarity", Verdict::NotChecked, {0, 1, 2}})) << Described(result);
    EXPECT_TRUE(notChecked.count({"ct-phase", Verdict::NotChecked, {0, 1, 2}})) << Described(result);
}
