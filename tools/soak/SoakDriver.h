#pragma once

#include "SoakRules.h"

#include <chrono>
#include <cstdint>

class CMainDlg;
class CMeterPage;
class CSimMeter;

// Plays the user of a soak: walks the navigation tree through the nine pages
// and, on each visit, presses one of the page's buttons with valid entries,
// telling the rules which writes that press may make.
class SoakDriver
{
public:
    SoakDriver(CMainDlg& main, CSimMeter& meter, SoakRules& rules);

    // Chooses the page at position n of the navigation tree (0 to 8); returns its page number.
    int Choose(int treePosition);
    // The next step of the walk: every other step moves on to the next page,
    // the others press the current page's next button.
    void Step();
    std::size_t Commands() const { return m_commands; }

    // Lets the events run for a while, as the window does between user actions.
    static void RunEventsFor(std::chrono::milliseconds time);

private:
    void PressNextButton();
    void Press(int id);
    void AllowLoaded(AllowedWrite& allowed, int start, int count) const;
    void TypeCtPrimaryAndSet(CMeterPage& page);

    CMainDlg& m_main;
    CSimMeter& m_meter;
    SoakRules& m_rules;
    int m_treePosition = -1;
    int m_page = 0;
    bool m_pressNext = false;
    int m_presses[10] = {};
    std::size_t m_commands = 0;
    int m_ctPrimary = 100;
};
