#pragma once

#include "sim/Installation.h"

#include <optional>
#include <string>

// How the meter's inputs are wired to the installation: which phase's current each
// CT input carries and which way round, which voltage inputs are reversed or have
// lost their voltage, and whether the neutral reaches the meter. The meter then
// measures what these connections hand it, so every register follows from them.
struct Connection
{
    std::array<int, kPhases> currentSource{0, 1, 2};
    std::array<bool, kPhases> currentReversed{};
    std::array<bool, kPhases> voltageReversed{};
    std::array<bool, kPhases> voltageMissing{};
    bool neutralConnected = true;

    bool operator==(const Connection&) const = default;
};

// "correct", or faults joined by commas: ct-reversed:B, ct-swap:AB, ct-rotate,
// all-ct-reversed, pt-reversed:C, pt-missing:A, no-neutral; nothing when malformed.
std::optional<Connection> ConnectionNamed(const std::string& text);
// The connection's name in that form.
std::string ConnectionName(const Connection& connection);

// What the meter's inputs see of the installation's state through the connection.
ElectricalState Measured(const ElectricalState& site, const Connection& connection);
