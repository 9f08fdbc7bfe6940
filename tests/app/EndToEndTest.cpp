#include "MainWindowFixture.h"
#include "WaitUntil.h"
#include "app/MainDlg.h"
#include "comm/SerialPort.h"
#include "pages/MainWindowLink.h"
#include "pages/MeterPage.h"
#include "resources/ControlIds.h"
#include "widgets/GridCtrl.h"

#include <QComboBox>
#include <QLineEdit>
#include <QTreeWidget>
#include <gtest/gtest.h>

namespace {
// A living simulated installation (CT 100/5, PT 220/220).
class EndToEndTest : public MainWindowFixture
{
protected:
    EndToEndTest() : MainWindowFixture(ModelMode::Running) {}
};

// Columns headed "…Data…" hold a value on every row whose item column names one.
std::vector<QString> MissingValues(const CGridCtrl& grid)
{
    std::vector<QString> missing;
    int itemColumn = -1;
    for (int column = 0; column < grid.ColumnTotal(); ++column) {
        const QString heading = grid.CellText(0, column);
        if (heading == QLatin1String("Item"))
            itemColumn = column;
        if (!heading.contains(QLatin1String("Data")) || itemColumn < 0)
            continue;
        for (int row = 1; row < grid.RowTotal(); ++row)
            if (!grid.CellText(row, itemColumn).isEmpty() && grid.CellText(row, column).isEmpty())
                missing.push_back(grid.CellText(row, itemColumn));
    }
    return missing;
}

bool Filled(const CMeterPage& page)
{
    const auto* grid = page.DlgItem<CGridCtrl>(kPageGridId);
    return grid && MissingValues(*grid).empty();
}

double Value(const CMeterPage& page, int row, int column)
{
    return page.DlgItem<CGridCtrl>(kPageGridId)->CellText(row, column).toDouble();
}
} // namespace

TEST_F(EndToEndTest, everyPageTalksToTheMeterAndShowsPlausibleValues)
{
    CMeterPage& realtime = Visit(1);
    ASSERT_TRUE(WaitUntil([&] { return Filled(realtime); }));
    EXPECT_NEAR(Value(realtime, 1, 2), 220, 20); // Ua
    EXPECT_NEAR(Value(realtime, 6, 2), 381, 35); // Uab
    EXPECT_NEAR(Value(realtime, 9, 6), 50, 1);   // F
    EXPECT_GT(Value(realtime, 12, 2), 1);        // Ia through CT 100/5
    EXPECT_LE(Value(realtime, 12, 2), 120);

    for (int page : {2, 5, 6, 8}) {
        CMeterPage& shown = Visit(page);
        EXPECT_TRUE(WaitUntil([&] { return Filled(shown); })) << "page " << page;
    }

    CMeterPage& settings = Visit(3);
    EXPECT_EQ(settings.GetDlgItemText(MeterSetIds::kAddressEdit), "1");
    EXPECT_EQ(settings.ComboBox(MeterSetIds::kBaudList)->currentText(), "9600");
    EXPECT_EQ(settings.GetDlgItemText(MeterSetIds::kCtPrimaryEdit), "100");

    CMeterPage& io = Visit(4);
    EXPECT_FALSE(io.GetDlgItemText(IoIds::kRelay1Settings.upperEdit).isEmpty());

    CMeterPage& energy = Visit(7);
    ASSERT_TRUE(WaitUntil([&] { return !energy.GetDlgItemText(EnergyIds::kImportActiveEdit).isEmpty(); }));

    CMeterPage& events = Visit(9);
    EXPECT_EQ(events.DlgItem<CGridCtrl>(kPageGridId)->CellText(0, 1), "Event Type");

    EXPECT_TRUE(messages.messages.empty()) << messages.messages.front().text.toStdString();
}
