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

#include <optional>

namespace {
// What a control's text needs, and the room the style gives it.
struct TextFit
{
    QString text;
    QSize needed;
    QSize room;
};

TextFit ButtonFit(const QAbstractButton& button, QStyle::SubElement contents)
{
    QStyleOptionButton option;
    option.initFrom(&button);
    const QRect room = button.style()->subElementRect(contents, &option, &button);
    return {button.text(), button.fontMetrics().size(Qt::TextShowMnemonic, button.text()), room.size()};
}

// The title as the style places it must end inside the box.
TextFit GroupBoxFit(const QGroupBox& group)
{
    QStyleOptionGroupBox option;
    option.initFrom(&group);
    option.text = group.title();
    option.subControls = QStyle::SC_GroupBoxFrame | QStyle::SC_GroupBoxLabel;
    const QRect title =
        group.style()->subControlRect(QStyle::CC_GroupBox, &option, QStyle::SC_GroupBoxLabel, &group);
    const QSize text = group.fontMetrics().size(0, group.title());
    return {group.title(), QSize(title.left() + text.width(), text.height()),
            QSize(group.width(), title.height())};
}

// The closed box shows an item in its edit field, one pixel in from either side.
std::optional<TextFit> ComboBoxFit(const QComboBox& box)
{
    QString longest;
    for (int i = 0; i < box.count(); ++i)
        if (box.fontMetrics().horizontalAdvance(box.itemText(i)) >
            box.fontMetrics().horizontalAdvance(longest))
            longest = box.itemText(i);
    if (longest.isEmpty())
        return std::nullopt;
    QStyleOptionComboBox option;
    option.initFrom(&box);
    const QRect field =
        box.style()->subControlRect(QStyle::CC_ComboBox, &option, QStyle::SC_ComboBoxEditField, &box);
    return TextFit{longest, box.fontMetrics().size(0, longest), field.size() - QSize(2, 0)};
}

std::optional<TextFit> FitOf(const QWidget& control)
{
    if (auto* label = qobject_cast<const QLabel*>(&control); label && !label->text().isEmpty()) {
        const QRect room = label->contentsRect();
        const QRect needed =
            label->fontMetrics().boundingRect(QRect(0, 0, room.width(), QWIDGETSIZE_MAX),
                                              int(label->alignment()) | Qt::TextWordWrap, label->text());
        return TextFit{label->text(), needed.size(), room.size()};
    }
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

// The visible controls of a template that carry text, so that a walk that misses some is noticed.
int TextControlsOf(const DialogTemplate& dialog)
{
    int count = 0;
    for (const ControlTemplate& c : dialog.controls)
        count += !c.hidden && (c.kind == ControlKind::Button || c.kind == ControlKind::RadioButton ||
                               c.kind == ControlKind::GroupBox || (c.kind == ControlKind::Label && *c.text));
    return count;
}

class DialogFit : public ::testing::TestWithParam<int>
{
protected:
    void SetUp() override { main.Create(); }

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
        const std::optional<TextFit> fit = control->isHidden() ? std::nullopt : FitOf(*control);
        if (!fit)
            continue;
        measured += qobject_cast<const QComboBox*>(control) ? 0 : 1;
        EXPECT_TRUE(fit->needed.width() <= fit->room.width() && fit->needed.height() <= fit->room.height())
            << "\"" << fit->text.toStdString() << "\" needs " << fit->needed.width() << " x "
            << fit->needed.height() << " px, has " << fit->room.width() << " x " << fit->room.height();
    }
    EXPECT_EQ(measured, TextControlsOf(dialog.Template()));
}

INSTANTIATE_TEST_SUITE_P(AllTemplates, DialogFit,
                         ::testing::Values(102, 104, 105, 106, 108, 109, 130, 110, 138, 133),
                         [](const ::testing::TestParamInfo<int>& info) {
                             return std::to_string(info.param);
                         });

// A 1366 x 768 laptop screen with a 40-pixel panel and a 30-pixel title bar; at a scale of 1.5 the window,
// the title bar and the panel all grow on a 1920 x 1080 screen.
TEST(MainWindowSize, FitsALaptopScreenAtScaleOneAndAFullHdScreenAtOneAndAHalf)
{
    CMainDlg main;
    main.Create();
    const int withTitleAndPanel = main.height() + 30 + 40;
    EXPECT_LE(main.width(), 1366);
    EXPECT_LE(withTitleAndPanel, 768);
    EXPECT_LE(main.width() * 1.5, 1920);
    EXPECT_LE(withTitleAndPanel * 1.5, 1080);
}
} // namespace
