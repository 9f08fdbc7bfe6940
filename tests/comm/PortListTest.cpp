#include "comm/PortList.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

using Names = std::vector<std::string>;

TEST(PortListTest, comOneToFourComeFirstThenEachOtherPortOnce)
{
    EXPECT_EQ(PortNames({}), (Names{"COM1", "COM2", "COM3", "COM4"}));
    EXPECT_EQ(PortNames({"COM3", "COM5", "COM12"}), (Names{"COM1", "COM2", "COM3", "COM4", "COM5", "COM12"}));
}

TEST(PortListTest, digitsCompareAsNumbers)
{
    EXPECT_TRUE(NaturalLess("COM5", "COM10"));
    EXPECT_FALSE(NaturalLess("COM10", "COM5"));
    EXPECT_TRUE(NaturalLess("/dev/ttyUSB2", "/dev/ttyUSB10"));
    EXPECT_TRUE(NaturalLess("COM007", "COM8"));
    EXPECT_FALSE(NaturalLess("COM5", "COM5"));
    EXPECT_TRUE(NaturalLess("COM", "COM1"));
}

// A device folder with converters of both kinds, their stable names and a
// built-in port, which is reached as COMn and so not listed again.
TEST(PortListTest, listsTheConvertersPresentNowInNaturalOrder)
{
    QTemporaryDir dev;
    ASSERT_TRUE(dev.isValid());
    const auto make = [&](const QString& name) {
        QFile file(dev.filePath(name));
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    };
    ASSERT_TRUE(QDir(dev.path()).mkpath("serial/by-id"));
    for (const char* name : {"ttyUSB10", "ttyUSB2", "ttyACM0", "ttyS0", "serial/by-id/usb-Converter_A-if00"})
        make(name);
    const std::string root = dev.path().toStdString();
    EXPECT_EQ(PresentPorts(root), (Names{root + "/ttyUSB2", root + "/ttyUSB10", root + "/ttyACM0",
                                         root + "/serial/by-id/usb-Converter_A-if00"}));

    // Plugged in later: the next listing has it.
    make("ttyUSB3");
    EXPECT_EQ(PresentPorts(root)[1], root + "/ttyUSB3");
}
