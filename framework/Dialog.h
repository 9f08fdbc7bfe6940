#pragma once

#include "framework/DialogTemplate.h"

#include <QHash>
#include <QString>
#include <QWidget>
#include <functional>

class QComboBox;
class QTimerEvent;

// A window built from a dialog template: controls looked up by id, buttons
// dispatched to OnCommand by id, and window timers by number as on Windows.
// Commands and timer ticks run through the sequence queue, one at a time.
class CDialog : public QWidget
{
    Q_OBJECT
public:
    explicit CDialog(const DialogTemplate& dialogTemplate, QWidget* parent = nullptr);

    // The grid and the lamp are drawn by code above the framework, which
    // registers how to make them before the first dialog with one is created.
    using ControlMaker = std::function<QWidget*(QWidget* parent)>;
    static void RegisterControl(ControlKind kind, ControlMaker maker);

    // Builds the controls, sizes the window and runs OnInitDialog. The window stays hidden.
    void Create();

    QWidget* GetDlgItem(int id) const { return m_controls.value(id); }
    template <class T> T* DlgItem(int id) const { return qobject_cast<T*>(GetDlgItem(id)); }
    QString GetDlgItemText(int id) const;
    void SetDlgItemText(int id, const QString& text);
    bool IsDlgButtonChecked(int id) const;
    // Also clears a radio button, which Qt's exclusive radio buttons do not allow by themselves.
    void CheckDlgButton(int id, bool checked);
    QComboBox* ComboBox(int id) const;

    // Timer n on this window: SetTimer re-arms (and replaces) it, KillTimer stops it.
    void SetTimer(int n, int milliseconds);
    void KillTimer(int n);
    bool IsTimerRunning(int n) const { return m_timers.contains(n); }

    // Places the window in the middle of area (its parent), as dialogs are centred in the tab control.
    void CenterIn(const QWidget& area);

    const DialogTemplate& Template() const { return m_template; }
    QPoint DialogUnitsToPixels(int x, int y) const;

protected:
    virtual void OnInitDialog() {}
    virtual void OnCommand(int id) { Q_UNUSED(id); }
    virtual void OnTimer(int n) { Q_UNUSED(n); }

    void timerEvent(QTimerEvent* event) override;

private:
    QWidget* CreateControl(const ControlTemplate& control);
    void PlaceControl(QWidget& widget, const ControlTemplate& control);

    const DialogTemplate& m_template;
    QHash<int, QWidget*> m_controls;
    QHash<int, int> m_timers; // timer number -> Qt timer id
    int m_baseUnitX = 0;
    int m_baseUnitY = 0;
};
