#include "sim/SiteSettings.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <sstream>
#include <vector>

namespace SiteSettings {
namespace {
constexpr double kHighestShare = 2.0;
constexpr double kHighestPercent = 30.0;

std::optional<double> Number(const std::string& text, double low, double high)
{
    char* end = nullptr;
    const double value = std::strtod(text.c_str(), &end);
    if (text.empty() || *end != '\0' || !(value >= low && value <= high))
        return std::nullopt;
    return value;
}

// "1", "0.9lag", "0.9" (lagging) or "0.95lead" as the signed cosine.
std::optional<double> PowerFactor(std::string text)
{
    double sign = 1.0;
    for (const auto& [suffix, factor] : {std::pair{"lead", -1.0}, std::pair{"lag", 1.0}})
        if (text.size() > std::string(suffix).size() && text.ends_with(suffix)) {
            text.resize(text.size() - std::string(suffix).size());
            sign = factor;
        }
    const std::optional<double> pf = Number(text, 0.01, 1.0);
    return pf ? std::optional(sign * *pf) : std::nullopt;
}

// One value for every phase, or one for each.
template <class Parse> std::optional<PerPhase> PerPhaseValues(const std::string& text, Parse parse)
{
    std::vector<double> values;
    std::istringstream parts(text);
    std::string part;
    while (std::getline(parts, part, ',')) {
        const std::optional<double> value = parse(part);
        if (!value)
            return std::nullopt;
        values.push_back(*value);
    }
    if (values.size() == 1)
        return PerPhase{values[0], values[0], values[0]};
    if (values.size() == kPhases)
        return PerPhase{values[0], values[1], values[2]};
    return std::nullopt;
}

std::string ApplyHarmonic(const std::string& value, SitePlan& plan)
{
    if (value == "clear") {
        plan.voltageOrders.clear();
        return {};
    }
    const std::size_t colon = value.find(':');
    const std::optional<double> order = Number(value.substr(0, colon), kLowestOrder, kHighestOrder);
    const std::optional<double> percent =
        colon == std::string::npos ? std::nullopt : Number(value.substr(colon + 1), 0.0, kHighestPercent);
    if (!order || !percent || *order != static_cast<int>(*order))
        return "harmonic-u takes ORDER:PERCENT, an order from 2 to 31 and 0 to 30 %, or clear";
    plan.voltageOrders[static_cast<int>(*order)] = *percent;
    return {};
}

std::string Fixed(double value)
{
    char text[32];
    std::snprintf(text, sizeof text, "%g", value);
    return text;
}

std::string PowerFactorText(double pf)
{
    return pf == 1.0 ? "1" : Fixed(std::abs(pf)) + (pf < 0 ? "lead" : "lag");
}
} // namespace

std::string Apply(const std::string& name, const std::string& value, SitePlan& plan, Connection& connection)
{
    if (name == "wiring") {
        const std::optional<Connection> named = ConnectionNamed(value);
        if (!named)
            return "wiring takes correct or faults joined by commas: ct-reversed:B, ct-swap:AB, ct-rotate, "
                   "all-ct-reversed, pt-reversed:C, pt-missing:A, no-neutral";
        connection = *named;
    } else if (name == "power-factor") {
        plan.powerFactor = value == "plant" ? std::nullopt : PerPhaseValues(value, PowerFactor);
        if (value != "plant" && !plan.powerFactor)
            return "power-factor takes 1, 0.9lag or 0.95lead, one for every phase or three, or plant";
    } else if (name == "load") {
        plan.loadShare = value == "plant" ? std::nullopt : PerPhaseValues(value, [](const std::string& part) {
            return Number(part, 0.0, kHighestShare);
        });
        if (value != "plant" && !plan.loadShare)
            return "load takes a share of the CT's rating from 0 to 2, one for every phase or three, or "
                   "plant";
    } else if (name == "flow" && (value == "import" || value == "export")) {
        plan.exporting = value == "export";
    } else if (name == "volts" && Number(value, 30.0, 300.0)) {
        plan.phaseVoltage = *Number(value, 30.0, 300.0);
    } else if (name == "thd-u" && (value == "plant" || Number(value, 0.0, kHighestPercent))) {
        plan.voltageThd = value == "plant" ? std::nullopt : Number(value, 0.0, kHighestPercent);
    } else if (name == "harmonic-u") {
        return ApplyHarmonic(value, plan);
    } else {
        return "bad site setting: " + name + " " + value;
    }
    return {};
}

std::string Describe(const SitePlan& plan, const Connection& connection)
{
    std::string text = "site: wiring " + ConnectionName(connection) + ", power factor ";
    if (plan.powerFactor) {
        const PerPhase& pf = *plan.powerFactor;
        text += PowerFactorText(pf[0]) + "," + PowerFactorText(pf[1]) + "," + PowerFactorText(pf[2]);
    } else
        text += "plant";
    text += ", load " + (plan.loadShare ? Fixed((*plan.loadShare)[0]) + "," + Fixed((*plan.loadShare)[1]) +
                                              "," + Fixed((*plan.loadShare)[2])
                                        : std::string("plant"));
    text += ", flow " + std::string(plan.exporting ? "export" : "import") + ", " + Fixed(plan.phaseVoltage) +
            " V, voltage THD " + (plan.voltageThd ? Fixed(*plan.voltageThd) + " %" : std::string("plant"));
    for (const auto& [order, percent] : plan.voltageOrders)
        text += ", order " + std::to_string(order) + " " + Fixed(percent) + " %";
    return text + "\n";
}

} // namespace SiteSettings
