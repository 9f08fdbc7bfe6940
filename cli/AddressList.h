#pragma once

#include <QString>
#include <optional>
#include <vector>

struct Command;

// "1,2,5-7": slave addresses from 1 to 247 separated by commas, each alone or
// as a range A-B; each address at most once, in the order given. Nothing when
// the text is not such a list.
std::optional<std::vector<int>> AddressList(const QString& text);

// The meters a command polls: --addresses when given, else the one --address.
// An empty text when they are good, else why not.
QString TakeAddresses(const Command& command, std::vector<int>& addresses);
