#include <gtest/gtest.h>

#include "controls/thutils.h"
#include "controls/tthstatictext.h"
#include "tests/controls/pixeltools.h"

namespace {

TEST(TThStaticText, PlacesTheLineByAlignmentAndLayout) {
    struct Row {
        const char* name;
        Qt::Alignment alignment;
        TTextLayout layout;
    };
    const Row rows[] = {
        {"left_top", Qt::AlignLeft, tlTop},
        {"centre_centre", Qt::AlignHCenter, tlCenter},
        {"right_bottom", Qt::AlignRight, tlBottom},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        TThStaticText text;
        text.setAlignment(row.alignment);
        text.SetLayout(row.layout);
        text.setText(QStringLiteral("Cannot open Ilda file."));
        text.resize(200, 64);
        const QImage image = Render(text);
        EXPECT_EQ(PixelAt(image, 199, 0), thFace);
        const QRect ink = BoundingBoxOf(image, IsDark);
        ASSERT_FALSE(ink.isNull());
        ASSERT_LT(ink.height(), 16) << "one line";
        if (row.alignment == Qt::AlignLeft) {
            EXPECT_LE(ink.left(), 2);
        } else if (row.alignment == Qt::AlignRight) {
            EXPECT_GE(ink.right(), 196);
        } else {
            EXPECT_NEAR(ink.center().x(), 100, 2);
        }
        if (row.layout == tlTop) {
            EXPECT_LE(ink.top(), 4);
        } else if (row.layout == tlBottom) {
            EXPECT_GE(ink.bottom(), 58);
        } else {
            EXPECT_NEAR(ink.center().y(), 32, 3);
        }
    }
}

} // namespace
