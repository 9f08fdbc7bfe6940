// Every text a dialog template puts on the screen fits its control in the dialog font, and the main window
// fits a laptop screen. Clipped text fails here rather than in a picture someone has to look at.
#include "app/MainDlg.h"
#include "pages/MeterPage.h"

#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QStyle>
#include <QStyleOption>
#include <gtest/gtest.h>

#include <algorithm>
#include <optional>

namespace {
// The room a control draws its text in, and what the text needs there.
struct TextFit
{
    QString text;
    QSize needed;
    QSize room;
};

TextFit LabelFit(const QLabel& label)
{
    const QRect room = label.contentsRect();
    const QRect needed = label.fontMetrics().boundingRect(
        QRect(0, 0, room.width(), QWIDGETSIZE_MAX), int(label.alignment()) | Qt::TextWordWrap, label.text());
    return {label.text(), needed.size(), room.size()};
}

TextFit ButtonFit(const QAbstractButton& button, QStyle::SubElement contents)
{
    QStyleOptionButton option;
    option.initFrom(&button);
    option.text = button.text();
    const QRect room = button.style()->subElementRect(contents, &option, &button);
    return {button.text(), button.fontMetrics().size(Qt::TextShowMnemonic, button.text()), room.size()};
}

// The title's rectangle, as the style places it, must lie inside the box.
TextFit GroupBoxFit(const QGroupBox& group)
{
    QStyleOptionGroupBox option;
    option.initFrom(&group);
    option.text = group.title();
    option.textAlignment = group.alignment();
    option.subControls = QStyle::SC_GroupBoxFrame | QStyle::SC_GroupBoxLabel;
    const QRect title =
        group.style()->subControlRect(QStyle::CC_GroupBox, &option, QStyle::SC_GroupBoxLabel, &group);
    const QSize textSize = group.fontMetrics().size(0, group.title());
    return {group.title(), QSize(std::max(title.left(), 0) + textSize.width(), textSize.height()),
            QSize(group.width() - std::max(title.left(), 0), title.height())};
}

// The closed box shows its current item in the edit field, one pixel in from either side.
std::optional<TextFit> ComboBoxFit(const QComboBox& box)
{
    if (box.count() == 0)
        return std::nullopt;
    QString longest;
    for (int i = 0; i < box.count(); ++i)
        if (box.fontMetrics().horizontalAdvance(box.itemText(i)) >
            box.fontMetrics().horizontalAdvance(longest))
            longest = box.itemText(i);
    QStyleOptionComboBox option;
    option.initFrom(&box);
    option.frame = box.hasFrame();
    const QRect field =
        box.style()->subControlRect(QStyle::CC_ComboBox, &option, QStyle::SC_ComboBoxEditField, &box);
    return TextFit{longest, box.fontMetrics().size(0, longest), field.size() - QSize(2, 0)};
}

std::optional<TextFit> FitOf(const QWidget& control)
{
    if (auto* label = qobject_cast<const QLabel*>(&control))
        return label->text().isEmpty() ? std::nullopt : std::optional(LabelFit(*label));
    if (auto* button = qobject_cast<const QPushButton*>(&control))
        return ButtonFit(*button, QStyle::SE_PushButtonContents);
    if (auto* radio = qobject_cast<const QRadioButton*>(&control))
        return ButtonFit(*radio, QStyle::SE_RadioButtonContents);
    if (auto* group = qobject_cast<const QGroupBox*>(&control))
        return GroupBoxFit(*group);
    if (auto* box = qobject_cast<const QComboBox*>(&control))
        return ComboBoxFit(*box);
    return std::nullopt;
}

// How many controls of the template carry a text the checks above measure.
int TextControlsOf(const DialogTemplate& dialog, const CDialog& built)
{
    int count = 0;
    for (const ControlTemplate& c : dialog.controls) {
        if (c.hidden)
            continue;
        switch (c.kind) {
        case ControlKind::Label:
            count += *c.text ? 1 : 0;
            break;
        case ControlKind::ComboBox:
            count += built.ComboBox(c.id)->count() > 0 ? 1 : 0;
            break;
        case ControlKind::Button:
        case ControlKind::RadioButton:
        case ControlKind::GroupBox:
            ++count;
            break;
        default:
            break;
        }
    }
    return count;
}

class DialogFit : public ::testing::TestWithParam<int>
{
protected:
    void SetUp() override { main.Create(); }

    // The main window for template 102, else the page built from the template.
    const CDialog& Dialog() const
    {
        for (int n = 1; n <= CMainDlg::kPageCount; ++n)
            if (main.Page(n)->Template().id == GetParam())
                return *main.Page(n);
        return main;
    }

    CMainDlg main;
};

TEST_P(DialogFit, EveryTextFitsItsControl)
{
    const CDialog& dialog = Dialog();
    ASSERT_EQ(dialog.Template().id, GetParam());
    int measured = 0;
    for (const QWidget* control : dialog.findChildren<QWidget*>(Qt::FindDirectChildrenOnly)) {
        if (control->isHidden())
            continue;
        const std::optional<TextFit> fit = FitOf(*control);
        if (!fit)
            continue;
        ++measured;
        EXPECT_TRUE(fit->needed.width() <= fit->room.width() && fit->needed.height() <= fit->room.height())
            << "\"" << fit->text.toStdString() << "\" needs " << fit->needed.width() << " x "
            << fit->needed.height() << " px, has " << fit->room.width() << " x " << fit->room.height();
    }
    EXPECT_EQ(measured, TextControlsOf(dialog.Template(), dialog));
}

INSTANTIATE_TEST_SUITE_P(AllTemplates, DialogFit,
                         ::testing::Values(102, 104, 105, 106, 108, 109, 130, 110, 138, 133),
                         [](const ::testing::TestParamInfo<int>& info) {
                             return std::to_string(info.param);
                         });

// A laptop screen of 1366 x 768 with a 40-pixel panel and a 30-pixel title bar; at a scale of 1.5 the window,
// the title bar and the panel all grow on a 1920 x 1080 screen.
TEST(MainWindowSize, FitsALaptopScreenAtScaleOneAndAFullHdScreenAtOneAndAHalf)
{
    CMainDlg main;
    main.Create();
    constexpr int kTitleBar = 30;
    constexpr int kPanel = 40;
    EXPECT_LE(main.width(), 1366);
    EXPECT_LE(main.height() + kTitleBar + kPanel, 768);
    EXPECT_LE(main.width() * 1.5, 1920);
    EXPECT_LE((main.height() + kTitleBar + kPanel) * 1.5, 1080);
}
} // namespace
