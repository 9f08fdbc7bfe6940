#pragma once

#include "FakeMainWindow.h"
#include "MessageBoxRecorder.h"
#include "MeterLine.h"
#include "WaitUntil.h"
#include "resources/ControlIds.h"
#include "widgets/GridCtrl.h"

#include <QEvent>
#include <QString>
#include <gtest/gtest.h>

// Page tests call the polls themselves and count them. The line's waits run the
// event loop, so the page's own timers are held back except while the test
// waits with WaitUntil for a tick.
class HeldTimers : public QObject
{
public:
    explicit HeldTimers(QObject& page) { page.installEventFilter(this); }

protected:
    bool eventFilter(QObject*, QEvent* event) override
    {
        return event->type() == QEvent::Timer && TestWaits() == 0;
    }
};

// A page on its own against the simulated meter: the page, a fake main window,
// the meter line and a message-box recorder. The test's SetUp creates the page.
template <class Page> class PageFixture : public ::testing::Test
{
protected:
    // CT primary / secondary and PT primary / secondary as the meter holds them.
    void SetRatios(int ctPrimary, int ctSecondary, int ptPrimary, int ptSecondary)
    {
        line.Set(1000, {uint16_t(ctPrimary), uint16_t(ctSecondary), uint16_t(ptPrimary & 0xFFFF),
                        uint16_t(ptPrimary >> 16), uint16_t(ptSecondary)});
    }

    QString Cell(int row, int column) const
    {
        return page.template DlgItem<CGridCtrl>(kPageGridId)->CellText(row, column);
    }

    MeterLine line;
    FakeMainWindow main;
    MessageBoxRecorder boxes;
    Page page{main, nullptr};
    HeldTimers heldTimers{page};
};
