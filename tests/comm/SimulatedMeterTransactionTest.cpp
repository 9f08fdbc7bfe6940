#include "MeterLine.h"
#include "comm/ModbusRtu.h"
#include "comm/Transaction.h"

#include <gtest/gtest.h>

// The codec and the port against the simulated meter: what a page relies on.
TEST(SimulatedMeterTransactionTest, readsWritesAndSwitchesAsARealMeterWould)
{
    MeterLine line;
    SlaveId = 1;
    line.Set(1000, {100, 5, 34464, 1, 100});
    Modbus::RefreshRatios();
    EXPECT_EQ(CtRatio, 20);
    EXPECT_EQ(PtRatio, 1000);

    RegisterBlock[0] = 22;
    const Modbus::WriteResult written = Modbus::WriteRegisters(1015, 1, 300, 250);
    EXPECT_TRUE(written.confirmed);
    EXPECT_EQ(line.Get(1015), 22);

    EXPECT_TRUE(Modbus::WriteCoil(2, 0xFF00, 200, 250).confirmed);
    EXPECT_TRUE(line.Meter().Relay(3));

    SlaveId = 2; // another meter's address: no answer
    EXPECT_FALSE(Modbus::ReadRegisters(1000, 5, 100, 300));
    SlaveId = 1;
    line.Silence();
    EXPECT_FALSE(Modbus::ReadRegisters(1000, 5, 100, 300));
    line.Speak();
    EXPECT_TRUE(Modbus::ReadRegisters(1000, 5, 100, 300));
    EXPECT_EQ(line.Requests(3).size(), 4u);
}
