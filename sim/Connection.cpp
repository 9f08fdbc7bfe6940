#include "sim/Connection.h"

#include <complex>
#include <numbers>
#include <sstream>

namespace {
using Phasor = std::complex<double>;

// A voltage input whose fuse has blown still picks up a little from its neighbours.
constexpr double kResidualVolts = 1.0;

std::optional<int> PhaseOf(char letter)
{
    if (letter < 'A' || letter > 'C')
        return std::nullopt;
    return letter - 'A';
}

// One fault of the list applied to the connection; false when it is none of the known ones.
bool Apply(const std::string& fault, Connection& connection)
{
    const std::size_t colon = fault.find(':');
    const std::string name = fault.substr(0, colon);
    const std::string phases = colon == std::string::npos ? std::string() : fault.substr(colon + 1);
    const std::optional<int> first = phases.size() >= 1 ? PhaseOf(phases[0]) : std::nullopt;
    if (name == "correct" || name == "ct-rotate" || name == "all-ct-reversed" || name == "no-neutral") {
        if (!phases.empty())
            return false;
        if (name == "ct-rotate")
            connection.currentSource = {1, 2, 0};
        else if (name == "all-ct-reversed")
            connection.currentReversed = {true, true, true};
        else if (name == "no-neutral")
            connection.neutralConnected = false;
        return true;
    }
    if (name == "ct-swap") {
        const std::optional<int> second = phases.size() == 2 ? PhaseOf(phases[1]) : std::nullopt;
        if (!first || !second || *first == *second)
            return false;
        std::swap(connection.currentSource[static_cast<std::size_t>(*first)],
                  connection.currentSource[static_cast<std::size_t>(*second)]);
        return true;
    }
    if (phases.size() != 1 || !first)
        return false;
    const auto k = static_cast<std::size_t>(*first);
    if (name == "ct-reversed")
        connection.currentReversed[k] = true;
    else if (name == "pt-reversed")
        connection.voltageReversed[k] = true;
    else if (name == "pt-missing")
        connection.voltageMissing[k] = true;
    else
        return false;
    return true;
}

Phasor PhasorOf(double magnitude, double degrees)
{
    return std::polar(magnitude, degrees * std::numbers::pi / 180.0);
}

double DegreesOf(Phasor phasor)
{
    return std::arg(phasor) * 180.0 / std::numbers::pi;
}
} // namespace

std::optional<Connection> ConnectionNamed(const std::string& text)
{
    Connection connection;
    std::istringstream faults(text);
    std::string fault;
    bool any = false;
    while (std::getline(faults, fault, ',')) {
        if (!Apply(fault, connection))
            return std::nullopt;
        any = true;
    }
    return any ? std::optional(connection) : std::nullopt;
}

std::string ConnectionName(const Connection& connection)
{
    std::string name;
    const auto add = [&name](const std::string& fault) { name += (name.empty() ? "" : ",") + fault; };
    const auto letter = [](int k) { return std::string(1, static_cast<char>('A' + k)); };
    if (connection.currentSource == std::array<int, kPhases>{1, 2, 0})
        add("ct-rotate");
    else
        for (int k = 0; k < kPhases; ++k) {
            const int source = connection.currentSource[static_cast<std::size_t>(k)];
            if (source > k)
                add("ct-swap:" + letter(k) + letter(source));
        }
    if (connection.currentReversed == std::array<bool, kPhases>{true, true, true})
        add("all-ct-reversed");
    else
        for (int k = 0; k < kPhases; ++k)
            if (connection.currentReversed[static_cast<std::size_t>(k)])
                add("ct-reversed:" + letter(k));
    for (int k = 0; k < kPhases; ++k) {
        if (connection.voltageReversed[static_cast<std::size_t>(k)])
            add("pt-reversed:" + letter(k));
        if (connection.voltageMissing[static_cast<std::size_t>(k)])
            add("pt-missing:" + letter(k));
    }
    if (!connection.neutralConnected)
        add("no-neutral");
    return name.empty() ? "correct" : name;
}

ElectricalState Measured(const ElectricalState& site, const Connection& connection)
{
    ElectricalState measured = site;
    std::array<Phasor, kPhases> voltage;
    for (std::size_t k = 0; k < kPhases; ++k) {
        const double magnitude = connection.voltageMissing[k] ? kResidualVolts : site.voltage[k];
        voltage[k] =
            PhasorOf(magnitude, site.voltageAngle[k] + (connection.voltageReversed[k] ? 180.0 : 0.0));
        if (connection.voltageMissing[k])
            measured.harmonics[kChannelUa + k].fill(0.0);
    }
    // Without the neutral the inputs' own star point floats to the mean of what they see.
    if (!connection.neutralConnected) {
        const Phasor star = (voltage[0] + voltage[1] + voltage[2]) / 3.0;
        for (Phasor& input : voltage)
            input -= star;
    }
    for (std::size_t k = 0; k < kPhases; ++k) {
        measured.voltage[k] = std::abs(voltage[k]);
        measured.voltageAngle[k] = DegreesOf(voltage[k]);
        const auto source = static_cast<std::size_t>(connection.currentSource[k]);
        measured.current[k] = site.current[source];
        measured.currentAngle[k] = site.currentAngle[source] + (connection.currentReversed[k] ? 180.0 : 0.0);
        measured.harmonics[kChannelIa + k] = site.harmonics[kChannelIa + source];
    }
    return measured;
}
