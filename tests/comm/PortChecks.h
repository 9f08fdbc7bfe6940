#pragma once

#include "comm/SerialPort.h"

#include <algorithm>
#include <chrono>
#include <gtest/gtest.h>
#include <iterator>

// What every platform's port does when nothing has arrived: the read returns 0
// within atOnce, without waiting for a first byte, and leaves the buffer
// zero-filled; a closed port reads and writes nothing and still zero-fills.
inline void ExpectAReadOfNothingReturnsAtOnceZeroFilled(CSerialPort& open, std::chrono::milliseconds atOnce)
{
    uint8_t buffer[300];
    std::fill(std::begin(buffer), std::end(buffer), 0xAA);
    const auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(open.Read(buffer, 300), 0);
    EXPECT_LT(std::chrono::steady_clock::now() - start, atOnce);
    EXPECT_TRUE(std::all_of(std::begin(buffer), std::end(buffer), [](uint8_t b) { return b == 0; }));

    CSerialPort closed;
    buffer[0] = 0xAA;
    EXPECT_EQ(closed.Read(buffer, 10), 0);
    EXPECT_EQ(buffer[0], 0);
    EXPECT_EQ(closed.Write(buffer, 10), 0);
}
