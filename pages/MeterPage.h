#pragma once

#include "framework/Dialog.h"
#include "meter/MeasurementTable.h"
#include "meter/PageReads.h"

#include <span>

class CGridCtrl;
class FailureLimit;
class IMainWindow;

// A page of the tab area (page number 1 to 9): built from its dialog template,
// reaches the main window through IMainWindow, and runs its start action when
// it is selected.
class CMeterPage : public CDialog
{
    Q_OBJECT
public:
    CMeterPage(int templateId, int pageNumber, IMainWindow& main, QWidget* parent);

    int PageNumber() const { return m_pageNumber; }
    // Whether the page is the one the user selected last.
    bool IsCurrent() const;

    // What the page does each time the user selects it; most pages do nothing.
    virtual void Start() {}
    // One tick of the poll timer (timer 1): the page's poll, while it PollsNow.
    // When the user leaves the page meanwhile, the poll ends after the exchange
    // in flight and what failed after that counts for nothing.
    void Poll();

protected:
    void OnTimer(int n) override;
    void keyPressEvent(QKeyEvent* event) override;

    // Whether a tick polls: while the page is current.
    virtual bool PollsNow() const { return IsCurrent(); }
    // The poll of a polling page; runs only while PollsNow.
    virtual void PollMeter() {}

    // Every polling page uses timer 1 on its own window.
    static constexpr int kPollTimer = 1;

    IMainWindow& Main() const { return m_main; }
    CGridCtrl& Grid() const;
    // Sets SlaveId from the ID box as a poll does: the number its leading digits make, 0 when none.
    void TakeSlaveIdFromPanel() const;
    // Fills a settings list with its choices in register order and leaves it without a selection.
    void FillList(int listId, std::span<const char* const> items) const;

    enum class PollResult
    {
        Passed,
        Failed,
        Stopped,
        Skipped // nothing counted: the port is not open, or the user left the page during the poll
    };
    // The poll of the table pages that give up after repeated failures: the block's read
    // (ReadMeasurements), then the items' values into the grid when it passed, and a redraw
    // unless polling stopped or nothing was asked.
    PollResult PollTable(const PageReads::Request& block, std::span<const MeasurementItem> items,
                         FailureLimit& failures);

    // Offers "Show trend" on the grid's cells of items (the grid's context menu, and Ctrl+T on
    // its focus cell) and hands the values of items to the main window after each poll.
    void OfferTrends(std::span<const MeasurementItem> items);
    // The trend items' values as the poll just wrote them; nothing when the page offers no trends.
    void FeedTrends() const;

private:
    // Slave address from the ID box, ratio refresh, then the block. The sixth failure in a row
    // stops timer 1 and shows "Communication Fail!". While the port is not open nothing is
    // asked and nothing is counted (Skipped): a closed port is no sign of a silent meter.
    PollResult ReadMeasurements(const PageReads::Request& block, FailureLimit& failures);
    // The trend item whose name or value sits in the cell, or none.
    const MeasurementItem* TrendItemAt(int row, int column) const;
    void ShowTrendMenu(const QPoint& point);
    void AskForTrend(int row, int column);

    IMainWindow& m_main;
    int m_pageNumber;
    std::span<const MeasurementItem> m_trendItems;
};

// Decimal conversion of the leading digits of text, with C's atoi rules.
int32_t LeadingNumber(const QString& text);
