#include <QFontMetrics>

#include <gtest/gtest.h>

#include "controls/thutils.h"
#include "controls/tthpanel.h"
#include "tests/controls/pixeltools.h"

namespace {

TEST(TThPanel, EdgesOfAnEmptyPanel) {
    TThPanel panel;
    panel.resize(100, 50);
    const QImage image = Render(panel);
    ASSERT_EQ(image.size(), QSize(100, 50));
    for (int y = 0; y < 50; ++y) {
        for (int x = 0; x < 100; ++x) {
            std::int32_t expected = thFace;
            if ((x == 0 && y <= 48) || (y == 0 && x <= 98))
                expected = thHighlight;
            if ((y == 49 && x <= 98) || (x == 99 && y >= 1))
                expected = thBorder;
            ASSERT_EQ(PixelAt(image, x, y), expected) << "at " << x << "," << y;
        }
    }
    EXPECT_EQ(PixelAt(image, 99, 0), thFace);
    EXPECT_EQ(panel.Color(), 0xCCCCCC);
}

TEST(TThPanel, SingleBorderFramesTheThemedClientArea) {
    TThPanel panel;
    panel.SetBorderStyle(bsSingle);
    panel.resize(60, 30);
    const QImage image = Render(panel);
    EXPECT_EQ(PixelAt(image, 0, 0), 0x000000);
    EXPECT_EQ(PixelAt(image, 59, 29), 0x000000);
    EXPECT_EQ(PixelAt(image, 30, 0), 0x000000);
    EXPECT_EQ(PixelAt(image, 1, 10), thHighlight);
    EXPECT_EQ(PixelAt(image, 30, 1), thHighlight);
    EXPECT_EQ(PixelAt(image, 30, 28), thBorder);
    EXPECT_EQ(PixelAt(image, 58, 10), thBorder);
    EXPECT_EQ(PixelAt(image, 58, 1), thFace);
    EXPECT_EQ(PixelAt(image, 30, 15), thFace);
}

// A caption of full blocks drawn without antialiasing starts exactly at its text column.
TEST(TThPanel, CaptionColumnFollowsAlignment) {
    QFont font(QStringLiteral("DejaVu Sans"));
    font.setPixelSize(20);
    font.setStyleStrategy(QFont::NoAntialias);
    const QString caption = QString(3, QChar(0x2588));
    const int textWidth = QFontMetrics(font).horizontalAdvance(caption);
    ASSERT_GT(textWidth, 10);

    struct Row {
        const char* name;
        TAlignment alignment;
        int column;
    };
    const Row rows[] = {
        {"left", taLeftJustify, 1},
        {"right", taRightJustify, 100 - textWidth - 1},
        {"centre", taCenter, (100 - textWidth) / 2},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        TThPanel panel;
        panel.setFont(font);
        panel.SetCaption(caption);
        panel.SetAlignment(row.alignment);
        panel.resize(100, 50);
        const QImage image = Render(panel);
        const QRect text = BoundingBoxOf(image, IsDark);
        ASSERT_FALSE(text.isNull());
        EXPECT_EQ(text.left(), row.column);
        EXPECT_EQ(text.right(), row.column + textWidth - 1);
        // Vertically centred within the font's height.
        const int top = (50 - QFontMetrics(font).height()) >> 1;
        EXPECT_GE(text.top(), top);
        EXPECT_LE(text.bottom(), top + QFontMetrics(font).height() - 1);
    }
}

} // namespace
