// The window in each of its modes, entered through its workflows, as a person sees it: each
// mode's panels lie where the layout puts them, no text shown is cut off, and a picture of the
// mode is written into the test's own temporary directory.

#include <QAbstractButton>
#include <QDir>
#include <QFontMetrics>
#include <QLabel>

#include <string>
#include <vector>

#include "controls/tthpanel.h"
#include "tests/app/flowfiles.h"
#include "tests/app/windowfixture.h"
#include "widgets/tfoundlist.h"
#include "widgets/tstatuspanel.h"

namespace {

// Seen at the centre of `control`: the control named `top` (or a child of it). With `whole`,
// the covering control lies over all of it, so that no edge of it shows beside.
struct Covering {
    const char* control;
    const char* top;
    bool whole = false;
};

class WindowGrab : public WindowTest {
protected:
    // The window's picture in the test's temporary directory; the layout checks of one mode.
    void Look(const char* mode, const std::vector<Covering>& expected) {
        SCOPED_TRACE(mode);
        QCoreApplication::processEvents();
        const QString picture = temp.filePath(QStringLiteral("window-%1.png").arg(mode));
        EXPECT_TRUE(window->grab().save(picture)) << picture.toStdString();
        for (const Covering& row : expected) {
            EXPECT_EQ(TopAt(row.control), row.top) << "at the centre of " << row.control;
            if (row.whole) {
                EXPECT_TRUE(WindowRect(row.top).contains(WindowRect(row.control)))
                    << row.top << " leaves part of " << row.control << " showing";
            }
        }
        ExpectNoTextCut();
        ExpectInsideTheirParents();
    }

    [[nodiscard]] QRect WindowRect(const char* name) const {
        const QWidget* control = Control(name);
        return control ? QRect(control->mapTo(window.get(), QPoint(0, 0)), control->size())
                       : QRect();
    }

    // Every control shown lies within its parent's client area (inside a bordered panel's
    // frame), so that none runs past an edge that cuts its own frame off.
    void ExpectInsideTheirParents() const {
        for (const QWidget* control : window->findChildren<QWidget*>()) {
            const QWidget* parent = control->parentWidget();
            if (!control->isVisible() || parent == nullptr || control->objectName().isEmpty() ||
                control->objectName().startsWith(u"qt_"))
                continue;
            QRect client = parent->rect();
            if (const auto* panel = qobject_cast<const TThPanel*>(parent))
                client.adjust(panel->BorderWidth(), panel->BorderWidth(), -panel->BorderWidth(),
                              -panel->BorderWidth());
            EXPECT_TRUE(client.contains(control->geometry()))
                << control->objectName().toStdString() << " at " << control->x() << ","
                << control->y() << " " << control->width() << "x" << control->height()
                << " runs past " << parent->objectName().toStdString();
        }
    }

    // The name of the nearest named widget at the control's centre among the `top` names of
    // the mode, or of the widget hit there.
    std::string TopAt(const char* name) const {
        const QWidget* control = Control(name);
        if (control == nullptr)
            return {};
        const QPoint centre = control->mapTo(window.get(), control->rect().center());
        const QWidget* hit = window->childAt(centre);
        std::string path;
        for (const QWidget* w = hit; w != nullptr && w != window.get(); w = w->parentWidget()) {
            if (w->objectName().isEmpty())
                continue;
            if (path.empty())
                path = w->objectName().toStdString();
            if (IsMainPanel(w))
                return w->objectName().toStdString();
        }
        return path;
    }

    // The panels and controls that lie directly on the window's main panel, the level at
    // which the modes re-stack.
    bool IsMainPanel(const QWidget* w) const {
        return w->parentWidget() == window->Panel1 || w->parentWidget() == window.get();
    }

    // Every label and button shown has room for its text.
    void ExpectNoTextCut() const {
        for (const QLabel* label : window->findChildren<QLabel*>()) {
            if (!label->isVisible() || label->text().isEmpty())
                continue;
            const QRect room = label->contentsRect();
            int flags = static_cast<int>(label->alignment());
            if (label->wordWrap())
                flags |= Qt::TextWordWrap;
            // Trailing blanks and empty lines show nothing, so nothing of them can be cut.
            QString text = label->text();
            while (!text.isEmpty() && text.back().isSpace())
                text.chop(1);
            const QRect needed = label->fontMetrics().boundingRect(room, flags, text);
            EXPECT_TRUE(room.contains(needed))
                << label->objectName().toStdString() << " needs " << needed.width() << "x"
                << needed.height() << " and has " << room.width() << "x" << room.height();
        }
        for (const QAbstractButton* button : window->findChildren<QAbstractButton*>()) {
            if (!button->isVisible() || button->text().isEmpty())
                continue;
            QString text = button->text();
            text.remove(u'&');
            const int icon = button->icon().isNull() ? 0 : button->iconSize().width() + 4;
            const int needed = button->fontMetrics().horizontalAdvance(text) + icon;
            EXPECT_LE(needed, button->width()) << button->objectName().toStdString();
        }
    }
};

TEST_F(WindowGrab, EachModeShowsItsPanelsWhereTheLayoutPutsThem) {
    flowfiles::WriteFile(window->IldaDirectory() + QStringLiteral("/star.ild"),
                         flowfiles::IldaFile(2, 30));
    flowfiles::WriteFile(window->IldaDirectory() + QStringLiteral("/Beams.ild"),
                         flowfiles::IldaFile(1, 12));

    Look("welcome", {{"Search", "RzPanel3"},
                     {"BitBtn1", "RzPanel3"},
                     {"fl", "RzPanel3"},
                     {"RzRadioGroup1", "RzPanel3"}});

    window->Convert->click();
    Settle();
    // Convert mode: PC1 covers the search rows but Start and Preview.
    Look("convert", {{"FileListBox1", "FileListBox1"},
                     {"FileListBox2", "FileListBox2"},
                     {"Edit1", "Edit1"},
                     {"BitBtn1", "BitBtn1"},
                     {"RzBitBtn1", "RzBitBtn1"},
                     {"RzBitBtn5", "RzBitBtn5"},
                     {"RzBitBtn2", "PC1", true},
                     {"RzBitBtn3", "PC1", true},
                     {"RzBitBtn4", "PC1", true},
                     {"RzBitBtn6", "PC1", true},
                     {"RzRadioGroup1", "RzRadioGroup1"}});

    window->RzBitBtn1->click();
    Settle();
    ASSERT_EQ(window->fl->Count(), 2);
    // Search mode: PS1 covers the conversion row and the edit boxes, fl the right-hand
    // lists, sp1 the destination label.
    Look("search", {{"BitBtn1", "PS1", true},
                    {"Edit1", "PS1"},
                    {"Edit2", "PS1"},
                    {"FileListBox2", "fl"},
                    {"DirectoryListBox2", "fl"},
                    {"Label2", "sp1"},
                    {"DirectoryListBox1", "DirectoryListBox1"},
                    {"RzBitBtn2", "RzBitBtn2"},
                    {"RzBitBtn5", "RzBitBtn5"},
                    {"RzRadioGroup1", "PS1"}});

    window->fl->SetSelected(0, true);
    window->RzBitBtn5->click();
    QCoreApplication::processEvents();
    // Preview mode: the preview panel covers everything below the top rows but the list and
    // the palette group; Label1, the drive selector and sp1 stay above it.
    Look("preview", {{"BitBtn1", "ThPanel1", true},
                     {"RzBitBtn2", "ThPanel1", true},
                     {"RzBitBtn6", "ThPanel1", true},
                     {"DirectoryListBox1", "ThPanel1"},
                     {"PaintBox", "ThPanel1"},
                     {"TrackBar1", "ThPanel1"},
                     {"fl", "fl"},
                     {"RzRadioGroup1", "RzRadioGroup1"},
                     {"Label1", "Label1"},
                     {"DriveComboBox1", "DriveComboBox1"},
                     {"sp1", "sp1"}});
    EXPECT_EQ(window->TrackBar1->ThumbLength(), 15);
}

} // namespace
