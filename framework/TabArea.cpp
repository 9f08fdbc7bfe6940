#include "framework/TabArea.h"

#include <QTabBar>

CTabArea::CTabArea(QWidget* parent) : QFrame(parent), m_tabs(new QTabBar(this))
{
    setFrameShape(QFrame::StyledPanel);
    m_tabs->setDrawBase(false);
    m_tabs->setExpanding(false);
}

void CTabArea::RaiseTabs()
{
    m_tabs->raise();
}

void CTabArea::resizeEvent(QResizeEvent* event)
{
    QFrame::resizeEvent(event);
    m_tabs->setGeometry(0, 0, width(), m_tabs->sizeHint().height());
}
