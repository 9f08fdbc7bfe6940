#include "framework/DataExchange.h"
#include "MessageBoxRecorder.h"
#include "framework/Dialog.h"
#include "resources/ControlIds.h"
#include "resources/DialogTemplates.h"

#include <gtest/gtest.h>

TEST(ParseWholeNumberTest, acceptsASignedNumberWithBlanksAroundItAndNothingElse)
{
    EXPECT_EQ(ParseWholeNumber(" 42 "), 42);
    EXPECT_EQ(ParseWholeNumber("-7"), -7);
    EXPECT_EQ(ParseWholeNumber("+100000"), 100000);
    for (const char* bad : {"", " ", "-", "4 2", "12a", "0x10", "1.5", "99999999999"})
        EXPECT_FALSE(ParseWholeNumber(bad).has_value()) << bad;
}

TEST(DataExchangeTest, aBadEntryShowsTheMessageFocusesTheFieldAndKeepsTheValue)
{
    MessageBoxRecorder recorder;
    CDialog dialog(DialogTemplateOf(105));
    dialog.Create();
    dialog.show();
    int32_t value = 5;
    dialog.SetDlgItemText(MeterSetIds::kCtPrimaryEdit, "12x");
    EXPECT_FALSE(ExchangeInt(dialog, MeterSetIds::kCtPrimaryEdit, value));
    EXPECT_EQ(value, 5);
    ASSERT_EQ(recorder.messages.size(), 1u);
    EXPECT_EQ(recorder.messages[0].text, "请键入一个整数。");
    EXPECT_EQ(dialog.focusWidget(), dialog.GetDlgItem(MeterSetIds::kCtPrimaryEdit));

    dialog.SetDlgItemText(MeterSetIds::kCtPrimaryEdit, " -3 ");
    EXPECT_TRUE(ExchangeInt(dialog, MeterSetIds::kCtPrimaryEdit, value));
    EXPECT_EQ(value, -3);

    uint8_t byte = 1;
    dialog.SetDlgItemText(MeterSetIds::kAddressEdit, "256");
    EXPECT_FALSE(ExchangeByte(dialog, MeterSetIds::kAddressEdit, byte));
    dialog.SetDlgItemText(MeterSetIds::kAddressEdit, "255");
    EXPECT_TRUE(ExchangeByte(dialog, MeterSetIds::kAddressEdit, byte));
    EXPECT_EQ(byte, 255);
}
