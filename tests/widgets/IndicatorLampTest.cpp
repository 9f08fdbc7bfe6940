#include "widgets/IndicatorLamp.h"

#include <QImage>
#include <QPalette>
#include <QWidget>
#include <gtest/gtest.h>

namespace {
const QColor kBackground(80, 180, 200);
const QColor kLitGreen(0, 255, 0);
const QColor kGrey(192, 192, 192);
const QColor kLitRed(255, 0, 0);
const QColor kMagenta(255, 0, 255);

// A page-coloured window holding one lamp control of the given size at (10, 10).
class LampOnPage
{
public:
    explicit LampOnPage(int size) : lamp(&page)
    {
        QPalette palette = page.palette();
        palette.setColor(QPalette::Window, kBackground);
        page.setPalette(palette);
        page.setAutoFillBackground(true);
        page.resize(60, 60);
        lamp.setGeometry(10, 10, size, size);
    }

    // The page as it reaches the screen, in the lamp control's own coordinates.
    QColor At(int x, int y) const { return Screen().pixelColor(10 + x, 10 + y); }
    QImage Screen() const { return page.grab().toImage(); }

    mutable QWidget page; // grabbing paints it, which Qt counts as a change
    CIndicatorLamp lamp;
};

// The square lamp fills pixels 3 to 13 of its 16 x 16 tile; the rest of the tile is transparent.
void ExpectSquareAt(const LampOnPage& view, QPoint origin, const QColor& colour)
{
    EXPECT_EQ(view.At(origin.x() + 3, origin.y() + 3), colour);
    EXPECT_EQ(view.At(origin.x() + 13, origin.y() + 13), colour);
    EXPECT_EQ(view.At(origin.x() + 8, origin.y() + 8), colour);
    EXPECT_EQ(view.At(origin.x() + 2, origin.y() + 2), kBackground);
    EXPECT_EQ(view.At(origin.x() + 14, origin.y() + 8), kBackground);
}
} // namespace

TEST(IndicatorLamp, litStateShowsTheGreenSquareAndGreyStateTheGreyOne)
{
    LampOnPage view(16);
    view.lamp.SetLamp(32, 0, 48);
    ExpectSquareAt(view, {0, 0}, kLitGreen);
    view.lamp.SetLamp(32, 2, 48);
    ExpectSquareAt(view, {0, 0}, kGrey);
}

TEST(IndicatorLamp, colourAndShapeOffsetsTogetherChooseTheRow)
{
    LampOnPage view(16);
    view.lamp.SetLamp(0, 0, 64); // row 4: the square red lamp
    ExpectSquareAt(view, {0, 0}, kLitRed);
}

TEST(IndicatorLamp, lampIsCentredInALargeControlAndAtTheCornerOfASmallOne)
{
    LampOnPage large(20);
    large.lamp.SetLamp(32, 0, 48);
    ExpectSquareAt(large, {2, 2}, kLitGreen);

    LampOnPage small(12);
    small.lamp.SetLamp(32, 0, 48);
    EXPECT_EQ(small.At(3, 3), kLitGreen);
    EXPECT_EQ(small.At(11, 11), kLitGreen);
    EXPECT_EQ(small.At(2, 2), kBackground);
    // Clipped to the control: the square's last column lies outside it.
    EXPECT_EQ(small.At(13, 5), kBackground);
}

TEST(IndicatorLamp, magentaNeverReachesTheScreen)
{
    for (int state : {0, 1, 2}) {
        for (int row = 0; row < 8; ++row) {
            LampOnPage view(20);
            view.lamp.SetLamp(0, state, row * 16);
            const QImage screen = view.Screen();
            for (int y = 0; y < screen.height(); ++y)
                for (int x = 0; x < screen.width(); ++x)
                    ASSERT_NE(screen.pixelColor(x, y), kMagenta) << "state " << state << " row " << row;
        }
    }
}

TEST(IndicatorLamp, repaintDrawsTheValuesLastGiven)
{
    LampOnPage view(16);
    view.lamp.SetLamp(32, 0, 48);
    view.lamp.SetLamp(32, 2, 48);
    // Grabbing the page paints it afresh, as when it comes back into view.
    ExpectSquareAt(view, {0, 0}, kGrey);
    EXPECT_EQ(view.lamp.ColourOffset(), 32);
    EXPECT_EQ(view.lamp.State(), 2);
    EXPECT_EQ(view.lamp.ShapeOffset(), 48);
}
