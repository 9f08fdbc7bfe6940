#pragma once

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

// A property every input must keep; a broken one aborts, so libFuzzer keeps the input.
#define FUZZ_CHECK(condition) ((condition) ? void(0) : FuzzPropertyBroken(#condition, __FILE__, __LINE__))

[[noreturn]] inline void FuzzPropertyBroken(const char* condition, const char* file, int line)
{
    std::fprintf(stderr, "property broken: %s (%s:%d)\n", condition, file, line);
    std::abort();
}

// Reads a fuzzer's input front to back; past the end every read yields zeros.
class FuzzInput
{
public:
    FuzzInput(const uint8_t* data, std::size_t size) : m_data(data), m_size(size) {}

    bool Empty() const { return m_at >= m_size; }
    uint8_t Byte() { return Empty() ? 0 : m_data[m_at++]; }
    int Word()
    {
        const int high = Byte();
        return high * 256 + Byte();
    }
    // Up to count bytes, fewer at the end of the input.
    std::vector<uint8_t> Take(std::size_t count)
    {
        const std::size_t n = std::min(count, m_size - std::min(m_at, m_size));
        std::vector<uint8_t> bytes(m_data + m_at, m_data + m_at + n);
        m_at += n;
        return bytes;
    }
    std::vector<uint8_t> Rest() { return Take(m_size); }
    std::string RestAsText()
    {
        const std::vector<uint8_t> bytes = Rest();
        return {bytes.begin(), bytes.end()};
    }

private:
    const uint8_t* m_data;
    std::size_t m_size;
    std::size_t m_at = 0;
};
