#include <QSignalSpy>
#include <QTest>

#include <gtest/gtest.h>

#include <cstdlib>
#include <utility>
#include <vector>

#include "controls/thutils.h"
#include "controls/tthtrackbar.h"
#include "tests/controls/pixeltools.h"

namespace {

// A colour of the normal button ramp (0xE8E8EA down to 0xC7C7C9): blue equals green, red two
// above them.
bool OnButtonRamp(std::int32_t colour) {
    const int red = colour & 0xFF;
    const int green = (colour >> 8) & 0xFF;
    const int blue = (colour >> 16) & 0xFF;
    return blue == green && red == green + 2 && green >= 0xC7 && green <= 0xE8;
}

bool OnPressedRamp(std::int32_t colour) {
    const int red = colour & 0xFF;
    return colour != thBorder && red >= 0x8B && red <= 0xA5 && ((colour >> 16) & 0xFF) >= 0xAB;
}

// The preview's frames-per-second bar as the window has it.
class TrackBarPicture : public ::testing::Test {
protected:
    void SetUp() override {
        bar.setRange(0, 20);
        bar.setValue(10);
        bar.setTickInterval(1);
        bar.setTickPosition(QSlider::TicksBelow);
        bar.SetThumbLength(15);
        bar.resize(125, 25);
        bar.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&bar));
    }

    // The inside of the thumb: its ramp-coloured pixels.
    QRect Thumb(bool pressed = false) {
        return BoundingBoxOf(Render(bar), pressed ? OnPressedRamp : OnButtonRamp);
    }
    [[nodiscard]] static int CentreOf(const QRect& thumb) {
        return thumb.left() + thumb.width() / 2;
    }
    // The thumb's rows with its outline: the border-colour pixels that continue its centre
    // column above and below the ramp.
    std::pair<int, int> ThumbRows() {
        const QImage image = Render(bar);
        const QRect inside = Thumb();
        const int x = CentreOf(inside);
        int top = inside.top();
        while (top > 0 && PixelAt(image, x, top - 1) == thBorder)
            --top;
        int bottom = inside.bottom();
        while (bottom + 1 < image.height() && PixelAt(image, x, bottom + 1) == thBorder)
            ++bottom;
        return {top, bottom};
    }
    // The columns of the ticks: the pixels of the border colour on the second row below the
    // thumb's tip.
    std::vector<int> Ticks() {
        const QImage image = Render(bar);
        const int row = ThumbRows().second + 2;
        std::vector<int> columns;
        for (int x = 0; x < image.width(); ++x)
            if (PixelAt(image, x, row) == thBorder)
                columns.push_back(x);
        return columns;
    }

    TThTrackBar bar;
};

TEST_F(TrackBarPicture, ThemedThumbOfTheThumbLengthOverATickPerStep) {
    const QRect thumb = Thumb();
    ASSERT_FALSE(thumb.isNull()) << "no thumb in the button ramp";
    const auto [top, bottom] = ThumbRows();
    EXPECT_EQ(bottom - top + 1, 15);
    EXPECT_LT(thumb.width(), thumb.height());

    const std::vector<int> ticks = Ticks();
    ASSERT_EQ(ticks.size(), 21u);
    for (size_t i = 2; i < ticks.size(); ++i)
        EXPECT_LE(std::abs((ticks[i] - ticks[i - 1]) - (ticks[1] - ticks[0])), 1) << i;
    EXPECT_EQ(CentreOf(thumb), ticks[10]);

    // Nothing of the application style's look: no highlight-filled groove.
    const QImage image = Render(bar);
    const std::int32_t highlight = ThColourValue(bar.palette().color(QPalette::Highlight));
    EXPECT_TRUE(BoundingBoxOf(image, [&](std::int32_t c) { return c == highlight; }).isNull());
    // The channel is framed in the border colour on both sides of the thumb.
    EXPECT_FALSE(BoundingBoxOf(image, [](std::int32_t c) { return c == thBorder; })
                     .intersected(QRect(0, 0, thumb.left() - 1, thumb.bottom()))
                     .isNull());
}

TEST_F(TrackBarPicture, TheThumbStandsOverTheTickOfItsPosition) {
    const std::vector<int> ticks = Ticks();
    ASSERT_EQ(ticks.size(), 21u);
    for (int value : {0, 1, 13, 20}) {
        SCOPED_TRACE(value);
        bar.setValue(value);
        EXPECT_EQ(CentreOf(Thumb()), ticks[static_cast<size_t>(value)]);
    }
}

// The thumb is grabbed where it is drawn and follows the pointer to the tick it is let go at,
// in the pressed ramp while it is held.
TEST_F(TrackBarPicture, DraggingTheThumbToATickSetsThatPosition) {
    const std::vector<int> ticks = Ticks();
    ASSERT_EQ(ticks.size(), 21u);
    const QRect thumb = Thumb();
    QSignalSpy changes(&bar, &QSlider::valueChanged);
    QTest::mousePress(&bar, Qt::LeftButton, {}, thumb.center());
    EXPECT_TRUE(bar.isSliderDown());
    EXPECT_FALSE(Thumb(true).isNull()) << "the held thumb is not in the pressed ramp";
    QTest::mouseMove(&bar, QPoint(ticks[17], thumb.center().y()));
    QTest::mouseRelease(&bar, Qt::LeftButton, {}, QPoint(ticks[17], thumb.center().y()));
    EXPECT_EQ(bar.value(), 17);
    EXPECT_GE(changes.count(), 1);
    EXPECT_EQ(CentreOf(Thumb()), ticks[17]);
}

TEST(TThTrackBar, StartsWithTheToolkitDefaults) {
    TThTrackBar bar;
    EXPECT_EQ(bar.orientation(), Qt::Horizontal);
    EXPECT_EQ(bar.minimum(), 0);
    EXPECT_EQ(bar.maximum(), 10);
    EXPECT_EQ(bar.value(), 0);
    EXPECT_EQ(bar.tickPosition(), QSlider::TicksBelow);
    EXPECT_EQ(bar.tickInterval(), 1);
    EXPECT_EQ(bar.ThumbLength(), 20);
}

} // namespace
