#pragma once

#include "widgets/GridCtrl.h"
#include "widgets/GridInPlaceEdit.h"

#include <QApplication>
#include <QTest>
#include <gtest/gtest.h>
#include <vector>

// A shown, active 6 × 4 grid whose cell (r, c) reads "r<r>c<c>", with an
// owner that records every notification and can refuse edits.
class GridInputTest : public testing::Test
{
protected:
    struct Notice
    {
        GridNotification code;
        CellId cell;
        bool operator==(const Notice&) const = default;
    };

    void SetUp() override
    {
        grid.resize(600, 300);
        grid.SetRowTotal(6);
        grid.SetColumnTotal(4);
        for (int row = 0; row < 6; ++row) {
            for (int column = 0; column < 4; ++column)
                grid.SetCellText(row, column, QString("r%1c%2").arg(row).arg(column));
        }
        grid.MarkModified(false);
        grid.SetNotifyHandler([this](GridNotification code, int row, int column) {
            notices.push_back({code, CellId{row, column}});
            if (code == GridNotification::BeginEdit && CellId{row, column} == vetoBegin)
                return -1;
            if (code == GridNotification::EndEdit && CellId{row, column} == rejectEnd)
                return -1;
            return 0;
        });
        grid.show();
        grid.activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(&grid));
        grid.setFocus();
        // A move to where the pointer already is sends no event; start every test from far away.
        QCursor::setPos(grid.mapToGlobal(QPoint(-1000, -1000)));
    }

    QPoint CellCentre(int row, int column) const { return grid.CellRect(row, column).center(); }

    void Click(int row, int column, Qt::KeyboardModifiers modifiers = {})
    {
        QTest::mouseClick(grid.viewport(), Qt::LeftButton, modifiers, CellCentre(row, column));
    }

    void Key(int key, Qt::KeyboardModifiers modifiers = {})
    {
        QTest::keyClick(&grid, Qt::Key(key), modifiers);
    }

    // Keys typed into whatever has the keyboard focus (the editor while one is open).
    void Type(int key) { QTest::keyClick(QApplication::focusWidget(), Qt::Key(key)); }

    std::vector<CellId> Selected() const
    {
        const auto& cells = grid.Selection().SelectedCells();
        return std::vector<CellId>(cells.begin(), cells.end());
    }

    CGridInPlaceEdit* Editor(int row, int column) const { return grid.CellAt(row, column)->EditorWindow(); }

    int Count(GridNotification code) const
    {
        return int(std::count_if(notices.begin(), notices.end(),
                                 [code](const Notice& n) { return n.code == code; }));
    }

    CGridCtrl grid;
    std::vector<Notice> notices;
    CellId vetoBegin;
    CellId rejectEnd;
};
