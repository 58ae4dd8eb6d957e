#include <QFontMetrics>
#include <QPainter>

#include <gtest/gtest.h>

#include "controls/themebitmaps.h"
#include "controls/thutils.h"
#include "controls/tthbitbtn.h"
#include "tests/controls/pixeltools.h"

namespace {

constexpr std::int32_t normalGlyph = 0x0000FF;
constexpr std::int32_t disabledGlyph = 0x00FF00;
constexpr std::int32_t pressedGlyph = 0xFF0000;

// Three solid 8 × 6 images: normal, disabled, pressed.
QPixmap SolidStrip() {
    QPixmap strip(24, 6);
    QPainter p(&strip);
    p.fillRect(0, 0, 8, 6, ThColour(normalGlyph));
    p.fillRect(8, 0, 8, 6, ThColour(disabledGlyph));
    p.fillRect(16, 0, 8, 6, ThColour(pressedGlyph));
    return strip;
}

TEST(TThBitBtn, GlyphImageForPaintState) {
    struct Row {
        int numGlyphs;
        int state;
        int image;
    };
    const Row rows[] = {
        {1, 0, 1}, {1, 1, 1}, {1, 2, 1}, {2, 0, 1}, {2, 1, 2}, {2, 2, 1},
        {3, 0, 1}, {3, 1, 2}, {3, 2, 3}, {4, 0, 1}, {4, 1, 2}, {4, 2, 3},
    };
    for (const Row& row : rows)
        EXPECT_EQ(TThBitBtn::GlyphIndex(row.numGlyphs, row.state), row.image)
            << row.numGlyphs << " glyphs, state " << row.state;
}

TEST(TThBitBtn, PaintsStateRampGlyphAndTextColour) {
    struct Row {
        const char* name;
        bool enabled;
        bool down;
        int state;
        std::int32_t rampStart;
        std::int32_t glyphColour;
    };
    const Row rows[] = {
        {"normal", true, false, 0, thButtonRampStart, normalGlyph},
        {"disabled", false, false, 1, thButtonRampStart, disabledGlyph},
        {"pressed", true, true, 2, thPressedRampStart, pressedGlyph},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        TThBitBtn button;
        button.setText(QStringLiteral("MMMM"));
        button.SetGlyph(SolidStrip());
        button.SetNumGlyphs(3);
        button.resize(66, 24);
        button.setEnabled(row.enabled);
        button.setDown(row.down);
        const QImage image = Render(button);
        EXPECT_EQ(button.PaintState(), row.state);

        // Face outside the rounded outline, outline on the edges, ramp inside.
        EXPECT_EQ(PixelAt(image, 0, 0), thFace);
        EXPECT_EQ(PixelAt(image, 65, 23), thFace);
        EXPECT_EQ(PixelAt(image, 33, 0), thBorder);
        EXPECT_EQ(PixelAt(image, 33, 23), thBorder);
        EXPECT_EQ(PixelAt(image, 0, 12), thBorder);
        EXPECT_EQ(PixelAt(image, 65, 12), thBorder);
        EXPECT_EQ(PixelAt(image, 33, 1), row.rampStart);

        // Glyph left of the caption, both centred together.
        const QSize caption = QFontMetrics(ThemeFont()).size(Qt::TextShowMnemonic, "MMMM");
        const int gx = (66 - 8 - caption.width() - 4) / 2;
        const int gy = (24 - 6) / 2;
        const QRect glyph =
            BoundingBoxOf(image, [&](std::int32_t c) { return c == row.glyphColour; });
        EXPECT_EQ(glyph, QRect(gx, gy, 8, 6));

        const QRect textArea(gx + 12, (24 - caption.height()) / 2, caption.width(),
                             caption.height());
        const QImage text = image.copy(textArea);
        const bool hasLight =
            !BoundingBoxOf(text, [](std::int32_t c) { return c == thHighlight; }).isNull();
        const bool hasDark = !BoundingBoxOf(text, IsDark).isNull();
        EXPECT_EQ(hasLight, !row.enabled);
        EXPECT_EQ(hasDark, row.enabled);
    }
}

TEST(TThBitBtn, KindsGiveCaptionResultRolesAndTwoImageGlyph) {
    struct Row {
        TBitBtnKind kind;
        const char* caption;
        int modalResult;
        bool isDefault;
        bool isCancel;
    };
    const Row rows[] = {
        {bkYes, "&Yes", 6, true, false},        {bkNo, "&No", 7, false, true},
        {bkOK, "OK", 1, true, false},           {bkCancel, "Cancel", 2, false, true},
        {bkAbort, "Abort", 3, false, false},    {bkRetry, "&Retry", 4, false, false},
        {bkIgnore, "&Ignore", 5, false, false}, {bkAll, "&All", 8, false, false},
        {bkHelp, "&Help", 0, false, false},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.caption);
        TThBitBtn button;
        button.SetKind(row.kind);
        EXPECT_EQ(button.text(), QString::fromLatin1(row.caption));
        EXPECT_EQ(button.ModalResult(), row.modalResult);
        EXPECT_EQ(button.isDefault(), row.isDefault);
        EXPECT_EQ(button.Cancel(), row.isCancel);
        EXPECT_EQ(button.NumGlyphs(), 2);
        EXPECT_EQ(button.Glyph().size(), QSize(32, 16));
    }
}

TEST(ThemeBitmaps, EveryNamedBitmapIsDrawn) {
    const char* typeIcons[] = {"ID_BITMAP_WARNING", "ID_BITMAP_ERROR", "ID_BITMAP_INFORMATION",
                               "ID_BITMAP_CONFIRMATION"};
    for (const char* name : typeIcons) {
        const QPixmap icon = LoadThemeBitmap(QString::fromLatin1(name));
        EXPECT_EQ(icon.size(), QSize(32, 32)) << name;
        const QImage image = icon.toImage();
        EXPECT_GT(qAlpha(image.pixel(16, 16)), 0) << name << " is blank in the middle";
    }
    EXPECT_EQ(LoadThemeBitmap(QStringLiteral("ID_BITMAP_ICON")).size(), QSize(16, 16));
    EXPECT_TRUE(LoadThemeBitmap(QStringLiteral("ID_BITMAP_NONE")).isNull());
}

} // namespace
