#pragma once

#include <QFrame>

class QTabBar;

// The tab control of the main window: a row of tabs over a framed area in
// which the pages, its children, are laid.
class CTabArea : public QFrame
{
    Q_OBJECT
public:
    explicit CTabArea(QWidget* parent = nullptr);

    QTabBar& Tabs() const { return *m_tabs; }
    // Keeps the tabs above the pages, which are centred over the whole area.
    void RaiseTabs();

protected:
    void resizeEvent(QResizeEvent* event) override;

private:
    QTabBar* m_tabs;
};
