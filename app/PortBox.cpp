#include "app/PortBox.h"

#include <QComboBox>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QSignalBlocker>

namespace {
// The ways a drop-down list opens: a click, F4, or Alt with an arrow key.
bool OpensTheList(const QEvent& event)
{
    if (event.type() == QEvent::MouseButtonPress)
        return static_cast<const QMouseEvent&>(event).button() == Qt::LeftButton;
    if (event.type() != QEvent::KeyPress)
        return false;
    const auto& key = static_cast<const QKeyEvent&>(event);
    return key.key() == Qt::Key_F4 ||
           ((key.key() == Qt::Key_Down || key.key() == Qt::Key_Up) && (key.modifiers() & Qt::AltModifier));
}
} // namespace

CPortBox::CPortBox(QComboBox& box, PortSource ports) : QObject(&box), m_box(box), m_ports(std::move(ports))
{
    m_box.setEditable(true);
    // A typed name is used as it stands, never added to the list.
    m_box.setInsertPolicy(QComboBox::NoInsert);
    m_box.installEventFilter(this);
    Refresh();
    m_box.setCurrentIndex(0);
}

void CPortBox::Refresh()
{
    const QString shown = m_box.currentText();
    const QSignalBlocker quiet(m_box);
    m_box.clear();
    for (const std::string& port : m_ports())
        m_box.addItem(QString::fromStdString(port));
    if (const int listed = m_box.findText(shown); listed >= 0)
        m_box.setCurrentIndex(listed);
    else
        m_box.setEditText(shown);
}

QString CPortBox::Name() const
{
    return m_box.currentText().trimmed();
}

bool CPortBox::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == &m_box && OpensTheList(*event))
        Refresh();
    return QObject::eventFilter(watched, event);
}
