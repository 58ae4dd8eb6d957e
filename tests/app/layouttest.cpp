// The fixed layout: names, kinds, bounds, captions and hints of the controls, their stacking,
// and that every text fits the bounds it is given.

#include <QAbstractButton>
#include <QFontMetrics>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QRadioButton>
#include <QStyle>

#include <vector>

#include "controls/tthpanel.h"
#include "controls/tthtrackbar.h"
#include "tests/app/windowfixture.h"
#include "widgets/tborder.h"
#include "widgets/tdirectorylistbox.h"
#include "widgets/tdrivecombobox.h"
#include "widgets/tfilelistbox.h"
#include "widgets/tfoundlist.h"
#include "widgets/tglyphbutton.h"
#include "widgets/tgradientpanel.h"
#include "widgets/tpaintbox.h"
#include "widgets/tradiogroup.h"
#include "widgets/tstatuspanel.h"

namespace {

constexpr int autoSize = -1;

struct Placement {
    const char* name;
    const char* parent;
    const char* kind; // the class name
    int x, y, width, height;
    const char* caption = nullptr;
    const char* hint = nullptr;
};

// Bounds relative to the parent's client area (ThPanel1 has a one-pixel border). Labels the
// layout gives no size are sized to their text.
const std::vector<Placement> placements = {
    {"Panel1", "MainWindow", "QWidget", 0, 0, 519, 503},
    {"Label1", "Panel1", "QLabel", 12, 8, 238, 13,
     "Select Folder or Directory to Start From Below"},
    {"Label2", "Panel1", "QLabel", 272, 8, 240, 13},
    {"RzBorder1", "Panel1", "TBorder", 7, 360, 507, 57},
    {"RzBorder2", "Panel1", "TBorder", 7, 424, 507, 73},
    {"RzLabel1", "Panel1", "QLabel", 200, 396, autoSize, autoSize, "Start Conversion"},
    {"RzLabel2", "Panel1", "QLabel", 311, 396, autoSize, autoSize, "Stop Conversion"},
    {"RzLabel3", "Panel1", "QLabel", 435, 396, autoSize, autoSize, "Quit Program"},
    {"RzLabel4", "Panel1", "QLabel", 96, 435, autoSize, autoSize, "Start Search."},
    {"RzLabel5", "Panel1", "QLabel", 258, 435, autoSize, autoSize, "Stop Search."},
    {"RzLabel6", "Panel1", "QLabel", 426, 436, autoSize, autoSize, "Save Files."},
    {"RzLabel7", "Panel1", "QLabel", 258, 468, autoSize, autoSize, "Convert Mode."},
    {"RzBorder3", "Panel1", "TBorder", 8, 3, 252, 22},
    {"RzBorder4", "Panel1", "TBorder", 264, 3, 251, 22},
    {"RzLabel8", "Panel1", "QLabel", 96, 468, autoSize, autoSize, "Start Preview."},
    {"RzLabel9", "Panel1", "QLabel", 426, 468, autoSize, autoSize, " Quit Program."},
    {"FileListBox2", "Panel1", "TFileListBox", 264, 204, 249, 123},
    {"DriveComboBox1", "Panel1", "TDriveComboBox", 8, 28, 252, 19},
    {"DirectoryListBox1", "Panel1", "TDirectoryListBox", 8, 52, 251, 145},
    {"FileListBox1", "Panel1", "TFileListBox", 8, 204, 251, 123},
    {"BitBtn1", "Panel1", "TGlyphButton", 200, 370, 80, 24, "Start",
     "Start Converting Ilda Files to Scene Files"},
    {"BitBtn2", "Panel1", "TGlyphButton", 425, 370, 80, 24, "&Close", "Close Trellion."},
    {"Edit1", "Panel1", "QLineEdit", 8, 332, 251, 21, "*.ild"},
    {"BitBtn3", "Panel1", "TGlyphButton", 310, 370, 80, 24, "Stop",
     "Stop Converting Ilda Files to scene Files"},
    {"DriveComboBox2", "Panel1", "TDriveComboBox", 264, 28, 251, 19},
    {"DirectoryListBox2", "Panel1", "TDirectoryListBox", 264, 52, 249, 145},
    {"Edit2", "Panel1", "QLineEdit", 264, 332, 249, 21, "*.scn"},
    {"RzRadioGroup1", "Panel1", "TRadioGroup", 16, 364, 168, 45, "Palette",
     "Select Colour Palette"},
    {"RzBitBtn1", "Panel1", "TGlyphButton", 16, 432, 73, 24, "Start",
     "Start searching for Ilda files"},
    {"RzBitBtn2", "Panel1", "TGlyphButton", 346, 432, 73, 24, "Save", "Save Selected Ilda files"},
    {"RzBitBtn3", "Panel1", "TGlyphButton", 178, 432, 73, 24, "Stop",
     "Stop searching for Ilda files"},
    {"RzBitBtn4", "Panel1", "TGlyphButton", 178, 464, 73, 24, "Convert",
     "Close File Searching and Return to Convert Mode."},
    {"sp1", "Panel1", "TStatusPanel", 264, 3, 250, 44, "Ilda File Search "},
    {"RzBitBtn5", "Panel1", "TGlyphButton", 16, 464, 73, 24, "Preview",
     "Preview Selected Ilda Files"},
    {"RzBitBtn6", "Panel1", "TGlyphButton", 346, 464, 73, 24, "Quit", "Quit Program."},
    {"fl", "Panel1", "TFoundList", 265, 53, 248, 282, "Ilda Files Found",
     "Left Click to Select Files to Preview or Save."},
    {"PC1", "Panel1", "QWidget", 173, 430, 334, 58},
    {"RzBorder7", "PC1", "TBorder", 8, 8, 319, 43},
    {"RzLabel20", "PC1", "QLabel", 16, 14, 297, 32,
     "                         Use the Controls to the Left and \n                     Above to "
     "Select Required Functions. "},
    {"PS1", "Panel1", "QWidget", 0, 333, 519, 86},
    {"RzBorder8", "PS1", "TBorder", 8, 8, 505, 74},
    {"RzLabel21", "PS1", "QLabel", 18, 16, 485, 57,
     "\nUse the Controls Below to Search for Ilda Files and Preview the File Selected."},
    {"ThPanel1", "Panel1", "TThPanel", 0, 51, 517, 452},
    {"PaintBox", "ThPanel1", "TPaintBox", 0, 0, 260, 280},
    {"RzPanel1", "ThPanel1", "QWidget", 1, 361, 511, 87},
    {"RzPanel2", "ThPanel1", "QWidget", 1, 280, 511, 86},
    {"RzBorder5", "RzPanel1", "TBorder", 8, 6, 495, 74},
    {"RzLabel10", "RzPanel1", "QLabel", 95, 20, autoSize, autoSize, "Next Frame."},
    {"RzLabel11", "RzPanel1", "QLabel", 95, 52, autoSize, autoSize, "Prev Frame."},
    {"RzLabel12", "RzPanel1", "QLabel", 256, 20, autoSize, autoSize, "Play Frames."},
    {"RzLabel13", "RzPanel1", "QLabel", 256, 52, autoSize, autoSize, "Stop Play."},
    {"RzLabel14", "RzPanel1", "QLabel", 424, 52, autoSize, autoSize, "Search Mode."},
    {"RzLabel15", "RzPanel1", "QLabel", 404, 14, 99, 30, "FPS."},
    {"RxBitBtn8", "RzPanel1", "TGlyphButton", 15, 16, 73, 24, "Next", "Display Next Ilda Frame"},
    {"RzBitBtn7", "RzPanel1", "TGlyphButton", 15, 48, 73, 24, "Prev",
     "Display Previous Ilda Frame"},
    {"RzBitBtn9", "RzPanel1", "TGlyphButton", 175, 16, 73, 24, "Play", "Play Selected File."},
    {"RzBitBtn8", "RzPanel1", "TGlyphButton", 175, 48, 73, 24, "Stop",
     "Stop Playing Selected File."},
    {"TrackBar1", "RzPanel1", "TThTrackBar", 326, 16, 74, 25, nullptr,
     "Frames Per Second for Replaying Graphic when Play Enabled."},
    {"RzBitBtn11", "RzPanel1", "TGlyphButton", 344, 48, 73, 24, "Search",
     "Close Preview and Go to File Searching."},
    {"RzBorder6", "RzPanel2", "TBorder", 8, 5, 495, 77},
    {"RzLabel16", "RzPanel2", "QLabel", 424, 56, autoSize, autoSize, "Quit Program."},
    {"RzLabel17", "RzPanel2", "QLabel", 424, 24, autoSize, autoSize, "Convert Mode."},
    {"RzLabel18", "RzPanel2", "QLabel", 14, 14, autoSize, autoSize,
     " Ilda Palette Selection Control."},
    {"RzLabel19", "RzPanel2", "QLabel", 192, 14, 145, 61,
     "To Change the Colour of \n Graphic to be Displayed\n  Select Ilda Palette First\n        "
     "then the Graphic .\n      "},
    {"RzBitBtn13", "RzPanel2", "TGlyphButton", 342, 19, 73, 24, "Convert",
     "Close File Preview and Go to Convert mode."},
    {"RzBitBtn12", "RzPanel2", "TGlyphButton", 342, 52, 73, 24, "Quit", "Quit Program"},
    {"RzPanel3", "Panel1", "TGradientPanel", 0, 0, 519, 503},
    {"RzLabel22", "RzPanel3", "QLabel", 104, 347, 405, 15,
     "Search this Computer for Ilda Files. (Recommended for First  time Users)"},
    {"RzLabel23", "RzPanel3", "QLabel", 104, 389, 393, 15,
     "   Convert Ilda Files to Scene  Files. (Recommended for Existing Users)"},
    {"RzLabel24", "RzPanel3", "QLabel", 104, 428, 393, 15,
     "Visit Halvorn Ltd Website for more Information and Feedback."},
    {"RzLabel25", "RzPanel3", "QLabel", 104, 467, autoSize, autoSize,
     "       Quit this Application and Returm to My Previous Windows State."},
    {"RzLabel26", "RzPanel3", "QLabel", 8, 16, 497, 49, "Halvorn Ltd"},
    {"RzLabel27", "RzPanel3", "QLabel", 20, 72, 477, 240},
    {"RzBorder9", "RzPanel3", "TBorder", 16, 64, 487, 265},
    {"Search", "RzPanel3", "TGlyphButton", 16, 344, 75, 25, "Search",
     "Search this Computer for Ilda Files."},
    {"Convert", "RzPanel3", "TGlyphButton", 16, 384, 75, 25, "Convert",
     "Convert Existing Files to Halvorn Ltd File Format."},
    {"RzBitBtn15", "RzPanel3", "TGlyphButton", 16, 424, 75, 25, "Web",
     "Visit Halvorn Ltd Website."},
    {"RzBitBtn16", "RzPanel3", "TGlyphButton", 16, 464, 75, 25, "Quit",
     "Exit Halvorn Ltd Trellion."},
};

QString CaptionOf(const QWidget* control) {
    if (auto* label = qobject_cast<const QLabel*>(control))
        return label->text();
    if (auto* button = qobject_cast<const QAbstractButton*>(control))
        return button->text();
    if (auto* edit = qobject_cast<const QLineEdit*>(control))
        return edit->text();
    if (auto* group = qobject_cast<const QGroupBox*>(control))
        return group->title();
    if (auto* status = qobject_cast<const TStatusPanel*>(control))
        return status->Caption();
    if (auto* list = qobject_cast<const TFoundList*>(control))
        return list->Caption();
    return {};
}

TEST_F(WindowTest, EveryControlHasItsNameKindBoundsCaptionAndHint) {
    EXPECT_EQ(window->size(), QSize(519, 503));
    EXPECT_EQ(window->minimumSize(), window->maximumSize());
    EXPECT_FALSE(window->windowFlags() & Qt::WindowMinimizeButtonHint);
    EXPECT_FALSE(window->windowFlags() & Qt::WindowMaximizeButtonHint);
    for (const Placement& row : placements) {
        SCOPED_TRACE(row.name);
        QWidget* control = Control(row.name);
        ASSERT_NE(control, nullptr);
        EXPECT_TRUE(control->inherits(row.kind)) << control->metaObject()->className();
        ASSERT_NE(control->parentWidget(), nullptr);
        EXPECT_EQ(control->parentWidget()->objectName(), QString::fromUtf8(row.parent));
        QPoint position = control->pos();
        if (auto* panel = qobject_cast<TThPanel*>(control->parentWidget()))
            position -= QPoint(panel->BorderWidth(), panel->BorderWidth());
        EXPECT_EQ(position, QPoint(row.x, row.y));
        if (row.width != autoSize) {
            EXPECT_EQ(control->size(), QSize(row.width, row.height));
        }
        if (row.caption) {
            EXPECT_EQ(CaptionOf(control), QString::fromUtf8(row.caption));
        }
        if (row.hint) {
            EXPECT_EQ(control->property("hint").toString(), QString::fromUtf8(row.hint));
        }
        // Tooltips are off for the window itself: the list's hint is never shown.
        const bool tooltipShown = row.hint && std::string_view(row.name) != "fl";
        EXPECT_EQ(control->toolTip(), tooltipShown ? QString::fromUtf8(row.hint) : QString());
    }
}

TEST_F(WindowTest, WindowedSiblingsStackInCreationOrderAboveLabelsAndBorders) {
    // Creation order of each parent's children; the graphic ones (labels, borders) lie
    // under every windowed sibling, each group in creation order.
    for (const char* parentName :
         {"Panel1", "PC1", "PS1", "ThPanel1", "RzPanel1", "RzPanel2", "RzPanel3"}) {
        SCOPED_TRACE(parentName);
        std::vector<QString> graphic, windowed;
        for (const Placement& row : placements) {
            if (std::string_view(row.parent) != parentName)
                continue;
            const bool isGraphic =
                std::string_view(row.kind) == "QLabel" || std::string_view(row.kind) == "TBorder";
            (isGraphic ? graphic : windowed).push_back(QString::fromUtf8(row.name));
        }
        std::vector<QString> expected = graphic;
        expected.insert(expected.end(), windowed.begin(), windowed.end());
        std::vector<QString> actual;
        for (const QObject* child : Control(parentName)->children()) {
            if (child->isWidgetType() && !child->objectName().isEmpty() &&
                !child->objectName().startsWith(u"qt_"))
                actual.push_back(child->objectName());
        }
        EXPECT_EQ(actual, expected);
    }
}

// The size the visible part of a text needs in a font, line breaks kept: trailing spaces and
// trailing lines of nothing but spaces show nothing, so they may lie outside the bounds.
QSize TextSize(const QFont& font, const QString& text) {
    QStringList lines = text.split(u'\n');
    for (QString& line : lines) {
        while (line.endsWith(u' '))
            line.chop(1);
    }
    while (lines.size() > 1 && lines.back().isEmpty())
        lines.removeLast();
    return QFontMetrics(font)
        .boundingRect(QRect(0, 0, 10000, 10000), Qt::TextExpandTabs, lines.join(u'\n'))
        .size();
}

TEST_F(WindowTest, EveryTextFitsItsBoundsUnclipped) {
    for (QLabel* label : window->findChildren<QLabel*>()) {
        SCOPED_TRACE(label->objectName().toStdString());
        const QSize needed = TextSize(label->font(), label->text());
        EXPECT_LE(needed.width(), label->width()) << label->text().toStdString();
        EXPECT_LE(needed.height(), label->height()) << label->text().toStdString();
    }
    for (TGlyphButton* button : window->findChildren<TGlyphButton*>()) {
        SCOPED_TRACE(button->objectName().toStdString());
        QString text = button->text();
        text.remove(u'&');
        const QStyle* style = button->style();
        const int margin = style->pixelMetric(QStyle::PM_ButtonMargin, nullptr, button);
        const int frame = style->pixelMetric(QStyle::PM_DefaultFrameWidth, nullptr, button);
        const int needed = button->iconSize().width() + 4 +
                           button->fontMetrics().horizontalAdvance(text) + 2 * (margin + frame);
        EXPECT_LE(needed, button->width());
        EXPECT_LE(std::max(button->iconSize().height(), button->fontMetrics().height()) + 2 * frame,
                  button->height());
    }
    for (int i = 0; i < window->RzRadioGroup1->Count(); ++i) {
        QRadioButton* item = window->RzRadioGroup1->Button(i);
        SCOPED_TRACE(item->text().toStdString());
        EXPECT_LE(item->sizeHint().width(), item->width());
        EXPECT_LE(item->sizeHint().height(), item->height());
        EXPECT_LE(item->geometry().right(), window->RzRadioGroup1->contentsRect().right());
        EXPECT_LE(item->geometry().bottom(), window->RzRadioGroup1->height());
    }
    EXPECT_LE(TextSize(window->sp1->font(), window->sp1->Caption()).width() + 12,
              window->sp1->width());
}

} // namespace
