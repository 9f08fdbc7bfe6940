#include "cli/AddressList.h"

#include "cli/Command.h"

#include <algorithm>

std::optional<std::vector<int>> AddressList(const QString& text)
{
    std::vector<int> addresses;
    for (const QString& entry : text.split(QLatin1Char(','))) {
        const QStringList ends = entry.split(QLatin1Char('-'));
        const auto first = WholeNumber(ends.value(0), kMinAddress, kMaxAddress);
        const auto last = WholeNumber(ends.value(ends.size() - 1), kMinAddress, kMaxAddress);
        if (ends.size() > 2 || !first || !last || *first > *last)
            return std::nullopt;
        for (long long address = *first; address <= *last; ++address) {
            if (std::find(addresses.begin(), addresses.end(), address) != addresses.end())
                return std::nullopt;
            addresses.push_back(static_cast<int>(address));
        }
    }
    return addresses;
}

QString TakeAddresses(const Command& command, std::vector<int>& addresses)
{
    if (!command.options.isSet("addresses")) {
        addresses = {command.line.address};
        return {};
    }
    if (command.options.isSet("address"))
        return QStringLiteral("give either --address or --addresses");
    const std::optional<std::vector<int>> list = AddressList(command.options.value("addresses"));
    if (!list)
        return QStringLiteral(
            "--addresses must be addresses from 1 to 247 or ranges A-B, separated by commas, "
            "each address once (1,2,5-7)");
    addresses = *list;
    return {};
}
