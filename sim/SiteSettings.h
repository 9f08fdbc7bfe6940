#pragma once

#include "sim/Connection.h"
#include "sim/Installation.h"

#include <string>

// The site a user sets by name, on the command line (--NAME VALUE) and on the
// console (site NAME VALUE), through one parser:
//   wiring LIST           correct, or ct-reversed:B, ct-swap:AB, ct-rotate, all-ct-reversed,
//                         pt-reversed:C, pt-missing:A, no-neutral joined by commas
//   power-factor PF[,PF,PF]  1, 0.9lag or 0.95lead, for every phase or each; plant: the swinging load
//   load SHARE[,SHARE,SHARE]  of the CT's rating, 0 to 2; plant: the swinging load
//   flow import|export
//   volts V               phase to neutral on the PT's secondary, 30 to 300 (220)
//   thd-u PERCENT         the supply's voltage THD, 0 to 30; plant: its own
//   harmonic-u ORDER:PERCENT  one order of the supply's voltage, 2 to 31, 0 to 30; clear: none
namespace SiteSettings {

inline constexpr const char* kNames[] = {"wiring", "power-factor", "load",      "flow",
                                         "volts",  "thd-u",        "harmonic-u"};

// Applies one setting; an empty text when it took, else why not.
std::string Apply(const std::string& name, const std::string& value, SitePlan& plan, Connection& connection);
// The settings as the console shows them.
std::string Describe(const SitePlan& plan, const Connection& connection);

} // namespace SiteSettings
