#include <QImage>
#include <QPainter>

#include <gtest/gtest.h>

#include "controls/thutils.h"
#include "tests/controls/pixeltools.h"

namespace {

constexpr std::int32_t sentinel = 0x123456;

struct RampCase {
    const char* name;
    int lines;
    std::int32_t start;
    std::int32_t end;
    int line;
    std::int32_t expected;
};

// Colours are 0x00BBGGRR: 0x0000FF is full red.
const RampCase rampCases[] = {
    {"two_rows_first", 2, 0x000000, 0x0000FF, 0, 0x000000},
    {"two_rows_second_is_half_red_truncated", 2, 0x000000, 0x0000FF, 1, 0x00007F},
    {"title_ramp_first", 23, 0xF0D8C9, 0xD0B8A9, 0, 0xF0D8C9},
    {"title_ramp_last_falls_short_by_truncation", 23, 0xF0D8C9, 0xD0B8A9, 22, 0xD1B9AA},
    {"rising_channel_never_reaches_end", 4, 0x000000, 0x030303, 3, 0x020202},
    {"falling_channel_reaches_end", 4, 0x030303, 0x000000, 3, 0x000000},
    {"single_line_is_start", 1, 0x00FF00, 0xFF0000, 0, 0x00FF00},
    {"channels_independent", 3, 0x0000FF, 0xFF0000, 1, 0x5500AA},
};

// Paints a ramp into a sentinel-filled image at an offset and returns the image.
QImage PaintRamp(const QRect& rect, bool byColumns, std::int32_t start, std::int32_t end) {
    QImage image(rect.right() + 4, rect.bottom() + 4, QImage::Format_RGB32);
    image.fill(ThColour(sentinel));
    QPainter canvas(&image);
    GradientFill(canvas, rect, byColumns, start, end);
    return image;
}

TEST(GradientFill, LineColoursByRowsAndByColumns) {
    for (const RampCase& c : rampCases) {
        for (const bool byColumns : {false, true}) {
            SCOPED_TRACE(std::string(c.name) + (byColumns ? " by columns" : " by rows"));
            const int across = 7;
            const QRect rect =
                byColumns ? QRect(3, 2, c.lines, across) : QRect(3, 2, across, c.lines);
            const QImage image = PaintRamp(rect, byColumns, c.start, c.end);
            // Every pixel of the line carries the line's colour.
            for (int k = 0; k < across; ++k) {
                const int x = byColumns ? rect.left() + c.line : rect.left() + k;
                const int y = byColumns ? rect.top() + k : rect.top() + c.line;
                ASSERT_EQ(PixelAt(image, x, y), c.expected) << "at " << x << "," << y;
            }
        }
    }
}

TEST(GradientFill, CoversExactlyTheRectangle) {
    for (const bool byColumns : {false, true}) {
        SCOPED_TRACE(byColumns ? "by columns" : "by rows");
        const QRect rect(2, 3, 9, 5);
        const QImage image = PaintRamp(rect, byColumns, 0x101010, 0xE0E0E0);
        for (int y = 0; y < image.height(); ++y)
            for (int x = 0; x < image.width(); ++x)
                ASSERT_EQ(rect.contains(x, y), PixelAt(image, x, y) != sentinel)
                    << "at " << x << "," << y;
    }
}

TEST(GradientFill, EmptyOrInvertedRectangleDrawsNothing) {
    const QRect rects[] = {QRect(2, 2, 0, 5), QRect(2, 2, 5, 0), QRect(QPoint(6, 6), QPoint(2, 2))};
    for (const QRect& rect : rects) {
        for (const bool byColumns : {false, true}) {
            QImage image(12, 12, QImage::Format_RGB32);
            image.fill(ThColour(sentinel));
            QPainter canvas(&image);
            GradientFill(canvas, rect, byColumns, 0x000000, 0xFFFFFF);
            canvas.end();
            const QRect drawn = BoundingBoxOf(image, [](std::int32_t c) { return c != sentinel; });
            EXPECT_TRUE(drawn.isNull()) << "byColumns " << byColumns;
        }
    }
}

TEST(GradientFill, RestoresPenAndCompositionMode) {
    QImage image(20, 20, QImage::Format_RGB32);
    QPainter canvas(&image);
    QPen pen(QColor(1, 2, 3), 3, Qt::DashLine);
    canvas.setPen(pen);
    canvas.setCompositionMode(QPainter::RasterOp_SourceXorDestination);
    GradientFill(canvas, QRect(0, 0, 10, 10), false, 0x000000, 0xFFFFFF);
    EXPECT_EQ(canvas.pen().color(), QColor(1, 2, 3));
    EXPECT_EQ(canvas.pen().width(), 3);
    EXPECT_EQ(canvas.pen().style(), Qt::DashLine);
    EXPECT_EQ(canvas.compositionMode(), QPainter::RasterOp_SourceXorDestination);

    GradientFill(canvas, QRect(0, 0, 0, 0), true, 0x000000, 0xFFFFFF);
    EXPECT_EQ(canvas.pen().color(), QColor(1, 2, 3));
}

TEST(ThColour, ReadsRedFromTheLowByte) {
    EXPECT_EQ(ThColour(0x0000FF), QColor(255, 0, 0));
    EXPECT_EQ(ThColour(0xB19278), QColor(0x78, 0x92, 0xB1));
    EXPECT_EQ(ThColourValue(QColor(0x78, 0x92, 0xB1)), 0xB19278);
}

} // namespace
