#include "framework/Dialog.h"

#include "framework/DialogColours.h"
#include "framework/DialogFont.h"
#include "framework/SequenceQueue.h"
#include "framework/TabArea.h"

#include <QAbstractButton>
#include <QComboBox>
#include <QGroupBox>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPointer>
#include <QPushButton>
#include <QRadioButton>
#include <QTimerEvent>
#include <QTreeWidget>
#include <map>

namespace {
QComboBox* NewComboBox(const ControlTemplate& control, QWidget* parent)
{
    auto* box = new QComboBox(parent);
    const QString items = QString::fromUtf8(control.text);
    if (!items.isEmpty())
        box->addItems(items.split(QLatin1Char('\n')));
    box->setCurrentIndex(-1);
    return box;
}

QTreeWidget* NewTree(QWidget* parent)
{
    auto* tree = new QTreeWidget(parent);
    tree->setHeaderHidden(true);
    tree->setRootIsDecorated(true);
    return tree;
}

std::map<ControlKind, CDialog::ControlMaker>& ControlMakers()
{
    static std::map<ControlKind, CDialog::ControlMaker> makers;
    return makers;
}

// A grid or lamp whose maker nobody registered is an empty frame in its place.
QWidget* NewRegisteredControl(ControlKind kind, QWidget* parent)
{
    const auto maker = ControlMakers().find(kind);
    return maker != ControlMakers().end() ? maker->second(parent) : new QWidget(parent);
}
} // namespace

void CDialog::RegisterControl(ControlKind kind, ControlMaker maker)
{
    ControlMakers()[kind] = std::move(maker);
}

CDialog::CDialog(const DialogTemplate& dialogTemplate, QWidget* parent)
    : QWidget(parent), m_template(dialogTemplate)
{
    setFont(DialogFont(m_template));
    const QSize base = DialogBaseUnits(m_template);
    m_baseUnitX = base.width();
    m_baseUnitY = base.height();
    ApplyDialogColours(*this);
    if (m_template.caption && *m_template.caption)
        setWindowTitle(QString::fromUtf8(m_template.caption));
}

QPoint CDialog::DialogUnitsToPixels(int x, int y) const
{
    return {(x * m_baseUnitX + 2) / 4, (y * m_baseUnitY + 4) / 8};
}

void CDialog::Create()
{
    const QPoint size = DialogUnitsToPixels(m_template.width, m_template.height);
    resize(size.x(), size.y());
    for (const ControlTemplate& control : m_template.controls) {
        QWidget* widget = CreateControl(control);
        PlaceControl(*widget, control);
        if (control.id != -1)
            m_controls.insert(control.id, widget);
    }
    // Group boxes are frames drawn behind the controls they surround, never in their way.
    for (QGroupBox* group : findChildren<QGroupBox*>(Qt::FindDirectChildrenOnly)) {
        group->lower();
        group->setAttribute(Qt::WA_TransparentForMouseEvents);
    }
    OnInitDialog();
}

QWidget* CDialog::CreateControl(const ControlTemplate& control)
{
    const QString text = QString::fromUtf8(control.text);
    QAbstractButton* button = nullptr;
    switch (control.kind) {
    case ControlKind::Label: {
        auto* label = new QLabel(text, this);
        label->setWordWrap(true);
        label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
        return label;
    }
    case ControlKind::Edit:
        return new QLineEdit(this);
    case ControlKind::ReadOnlyEdit: {
        auto* edit = new QLineEdit(this);
        edit->setReadOnly(true);
        return edit;
    }
    case ControlKind::GroupBox:
        return new QGroupBox(text, this);
    case ControlKind::ComboBox:
        return NewComboBox(control, this);
    case ControlKind::Tree:
        return NewTree(this);
    case ControlKind::TabControl:
        return new CTabArea(this);
    case ControlKind::Grid:
    case ControlKind::Lamp:
        return NewRegisteredControl(control.kind, this);
    case ControlKind::Button:
        button = new QPushButton(text, this);
        break;
    case ControlKind::RadioButton:
        button = new QRadioButton(text, this);
        break;
    }
    const int id = control.id;
    connect(button, &QAbstractButton::clicked, this, [this, id] {
        SequenceQueue().Run([window = QPointer<CDialog>(this), id] {
            if (window)
                window->OnCommand(id);
        });
    });
    return button;
}

void CDialog::PlaceControl(QWidget& widget, const ControlTemplate& control)
{
    const QPoint topLeft = DialogUnitsToPixels(control.x, control.y);
    const QPoint size = DialogUnitsToPixels(control.width, control.height);
    // A list's template height includes its drop-down part; the closed box is one line high.
    const int height = control.kind == ControlKind::ComboBox ? widget.sizeHint().height() : size.y();
    QRect place(topLeft.x(), topLeft.y(), size.x(), height);
    // The face the controls are drawn in may be wider and taller than the one the layout was measured
    // in: a label grows right and down until its whole text shows, so no letter or descender is cut off.
    if (auto* label = qobject_cast<QLabel*>(&widget)) {
        const QRect text =
            label->fontMetrics().boundingRect(QRect(0, 0, place.width(), QWIDGETSIZE_MAX),
                                              int(label->alignment()) | Qt::TextWordWrap, label->text());
        place.setSize(place.size().expandedTo(text.size()));
    }
    widget.setGeometry(place);
    if (control.hidden)
        widget.hide();
    if (control.disabled)
        widget.setEnabled(false);
}

QString CDialog::GetDlgItemText(int id) const
{
    QWidget* item = GetDlgItem(id);
    if (auto* edit = qobject_cast<QLineEdit*>(item))
        return edit->text();
    if (auto* box = qobject_cast<QComboBox*>(item))
        return box->currentText();
    if (auto* label = qobject_cast<QLabel*>(item))
        return label->text();
    if (auto* button = qobject_cast<QAbstractButton*>(item))
        return button->text();
    return {};
}

void CDialog::SetDlgItemText(int id, const QString& text)
{
    QWidget* item = GetDlgItem(id);
    if (auto* edit = qobject_cast<QLineEdit*>(item))
        edit->setText(text);
    else if (auto* label = qobject_cast<QLabel*>(item))
        label->setText(text);
    else if (auto* button = qobject_cast<QAbstractButton*>(item))
        button->setText(text);
}

bool CDialog::IsDlgButtonChecked(int id) const
{
    auto* button = DlgItem<QAbstractButton>(id);
    return button && button->isChecked();
}

void CDialog::CheckDlgButton(int id, bool checked)
{
    auto* button = DlgItem<QAbstractButton>(id);
    if (!button)
        return;
    const bool exclusive = button->autoExclusive();
    button->setAutoExclusive(false);
    button->setChecked(checked);
    button->setAutoExclusive(exclusive);
}

QComboBox* CDialog::ComboBox(int id) const
{
    return DlgItem<QComboBox>(id);
}

void CDialog::SetTimer(int n, int milliseconds)
{
    KillTimer(n);
    m_timers.insert(n, startTimer(milliseconds));
}

void CDialog::KillTimer(int n)
{
    if (const auto it = m_timers.find(n); it != m_timers.end()) {
        killTimer(it.value());
        m_timers.erase(it);
    }
}

// A tick waits its turn on the line; a timer killed meanwhile no longer ticks.
void CDialog::timerEvent(QTimerEvent* event)
{
    for (auto it = m_timers.cbegin(); it != m_timers.cend(); ++it) {
        if (it.value() == event->timerId()) {
            const int n = it.key();
            SequenceQueue().RunTick(this, n, [window = QPointer<CDialog>(this), n] {
                if (window && window->IsTimerRunning(n))
                    window->OnTimer(n);
            });
            return;
        }
    }
    QWidget::timerEvent(event);
}

void CDialog::CenterIn(const QWidget& area)
{
    move((area.width() - width()) / 2, (area.height() - height()) / 2);
}
