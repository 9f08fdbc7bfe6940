// Every text a dialog template puts on the screen fits its control in the dialog font, and the main window
// fits a laptop screen. Clipped text fails here rather than in a picture someone has to look at.
#include "app/MainDlg.h"
#include "pages/MeterPage.h"

#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QRadioButton>
#include <QStyle>
#include <QStyleOption>
#include <gtest/gtest.h>

#include <optional>

namespace {
// What a control's text needs, and the room its style gives the text.
struct TextFit
{
    QString text;
    QSize needed;
    QSize room;
};

std::optional<TextFit> FitOf(const QWidget& control)
{
    const QStyle& style = *control.style();
    const QFontMetrics metrics = control.fontMetrics();
    if (auto* label = qobject_cast<const QLabel*>(&control); label && !label->text().isEmpty()) {
        const QRect room = label->contentsRect();
        const int flags = int(label->alignment()) | Qt::TextWordWrap;
        const QRect needed =
            metrics.boundingRect(QRect(0, 0, room.width(), QWIDGETSIZE_MAX), flags, label->text());
        return TextFit{label->text(), needed.size(), room.size()};
    }
    if (auto* button = qobject_cast<const QAbstractButton*>(&control)) {
        QStyleOptionButton option;
        option.initFrom(button);
        const auto contents = qobject_cast<const QRadioButton*>(button) ? QStyle::SE_RadioButtonContents
                                                                        : QStyle::SE_PushButtonContents;
        const QSize room = style.subElementRect(contents, &option, button).size();
        return TextFit{button->text(), metrics.size(Qt::TextShowMnemonic, button->text()), room};
    }
    if (auto* group = qobject_cast<const QGroupBox*>(&control)) {
        // The title, where the style places it, must end inside the box.
        QStyleOptionGroupBox option;
        option.initFrom(group);
        option.text = group->title();
        option.subControls = QStyle::SC_GroupBoxFrame | QStyle::SC_GroupBoxLabel;
        const QRect title =
            style.subControlRect(QStyle::CC_GroupBox, &option, QStyle::SC_GroupBoxLabel, group);
        const QSize text = metrics.size(0, group->title());
        return TextFit{
            group->title(), {title.left() + text.width(), text.height()}, {group->width(), title.height()}};
    }
    if (auto* box = qobject_cast<const QComboBox*>(&control); box && box->count() > 0) {
        // The closed box shows an item in its edit field, one pixel in from either side.
        QString longest;
        for (int i = 0; i < box->count(); ++i)
            if (metrics.horizontalAdvance(box->itemText(i)) > metrics.horizontalAdvance(longest))
                longest = box->itemText(i);
        QStyleOptionComboBox option;
        option.initFrom(box);
        const QRect field =
            style.subControlRect(QStyle::CC_ComboBox, &option, QStyle::SC_ComboBoxEditField, box);
        return TextFit{longest, metrics.size(0, longest), field.size() - QSize(2, 0)};
    }
    return std::nullopt;
}

// The visible controls of a template with a fixed text, so that a walk that misses some is noticed.
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
    CMainDlg main;
};

TEST_P(DialogFit, EveryTextFitsItsControl)
{
    const CDialog* dialog = &main;
    for (int n = 1; n <= CMainDlg::kPageCount; ++n)
        if (main.Page(n)->Template().id == GetParam())
            dialog = main.Page(n);
    ASSERT_EQ(dialog->Template().id, GetParam());
    int measured = 0;
    for (const QWidget* control : dialog->findChildren<QWidget*>(Qt::FindDirectChildrenOnly)) {
        const std::optional<TextFit> fit = control->isHidden() ? std::nullopt : FitOf(*control);
        if (!fit)
            continue;
        measured += qobject_cast<const QComboBox*>(control) ? 0 : 1;
        EXPECT_TRUE(fit->needed.width() <= fit->room.width() && fit->needed.height() <= fit->room.height())
            << "\"" << fit->text.toStdString() << "\" needs " << fit->needed.width() << " x "
            << fit->needed.height() << " px, has " << fit->room.width() << " x " << fit->room.height();
    }
    EXPECT_EQ(measured, TextControlsOf(dialog->Template()));
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
