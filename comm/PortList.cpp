#include "comm/PortList.h"

#include <algorithm>
#include <cctype>
#include <string_view>

std::vector<std::string> PortNames()
{
    return PortNames(PresentPorts());
}

std::vector<std::string> PortNames(const std::vector<std::string>& present)
{
    std::vector<std::string> names{"COM1", "COM2", "COM3", "COM4"};
    for (const std::string& name : present)
        if (std::find(names.begin(), names.end(), name) == names.end())
            names.push_back(name);
    return names;
}

bool NaturalLess(const std::string& a, const std::string& b)
{
    std::size_t i = 0;
    std::size_t j = 0;
    const auto digit = [](char c) { return std::isdigit(static_cast<unsigned char>(c)) != 0; };
    while (i < a.size() && j < b.size()) {
        if (digit(a[i]) && digit(b[j])) {
            const std::size_t startA = i;
            const std::size_t startB = j;
            while (i < a.size() && digit(a[i]))
                ++i;
            while (j < b.size() && digit(b[j]))
                ++j;
            // Leading zeros aside, the longer run of digits is the larger number.
            std::string_view numberA(a.data() + startA, i - startA);
            std::string_view numberB(b.data() + startB, j - startB);
            numberA.remove_prefix(std::min(numberA.find_first_not_of('0'), numberA.size()));
            numberB.remove_prefix(std::min(numberB.find_first_not_of('0'), numberB.size()));
            if (numberA.size() != numberB.size())
                return numberA.size() < numberB.size();
            if (numberA != numberB)
                return numberA < numberB;
            continue;
        }
        if (a[i] != b[j])
            return a[i] < b[j];
        ++i;
        ++j;
    }
    return a.size() - i < b.size() - j;
}
