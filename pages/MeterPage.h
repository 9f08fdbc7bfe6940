#pragma once

#include "framework/Dialog.h"

class IMainWindow;

// A page of the tab area: built from its dialog template, reaches the main
// window through IMainWindow, and runs its start action when it is selected.
class CMeterPage : public CDialog
{
    Q_OBJECT
public:
    CMeterPage(int templateId, IMainWindow& main, QWidget* parent);

    // What the page does each time the user selects it; most pages do nothing.
    virtual void Start() {}

protected:
    IMainWindow& Main() const { return m_main; }
    // Sets SlaveId from the ID box as a poll does: the number its leading digits make, 0 when none.
    void TakeSlaveIdFromPanel() const;

private:
    IMainWindow& m_main;
};

// Decimal conversion of the leading digits of text, with C's atoi rules.
int32_t LeadingNumber(const QString& text);
