// The window's plain widgets: the found-file list, the file and directory lists, the palette
// group and the drawing area.

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QRadioButton>
#include <QRandomGenerator>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>

#include "search/foundorder.h"
#include "tests/app/qtprinters.h"
#include "widgets/einouterror.h"
#include "widgets/tdirectorylistbox.h"
#include "widgets/tfilelistbox.h"
#include "widgets/tfoundlist.h"
#include "widgets/tpaintbox.h"
#include "widgets/tradiogroup.h"

namespace {

void Touch(const QString& path) {
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly)) << path.toStdString();
}

std::vector<QString> ItemsOf(const TFoundList& list) {
    std::vector<QString> items;
    for (int i = 0; i < list.Count(); ++i)
        items.push_back(list.Item(i));
    return items;
}

TEST(FoundList, KeepsItemsInTheListOrderWithDuplicates) {
    QWidget parent;
    TFoundList list(&FoundOrderLess, &parent);
    for (const char* text :
         {"/shows/b.ild", "/shows/B.ILD", "/shows/a.ild", "/shows/C.ild", "/shows/b.ild"})
        list.Add(QString::fromUtf8(text));
    EXPECT_EQ(ItemsOf(list), (std::vector<QString>{"/shows/a.ild", "/shows/b.ild", "/shows/b.ild",
                                                   "/shows/B.ILD", "/shows/C.ild"}));
}

TEST(FoundList, ManyInsertionsEndInTheSortedOrder) {
    QWidget parent;
    TFoundList list(&FoundOrderLess, &parent);
    QRandomGenerator random(7);
    std::vector<QString> texts;
    for (int i = 0; i < 3000; ++i) {
        QString text = QStringLiteral("/d%1/").arg(random.bounded(50));
        for (int c = 0; c < 6; ++c)
            text += QChar(u"aAbBzZ_."[random.bounded(8)]);
        texts.push_back(text);
        list.Add(text);
    }
    std::stable_sort(texts.begin(), texts.end(), &FoundOrderLess);
    EXPECT_EQ(ItemsOf(list), texts);
}

TEST(FoundList, AddingKeepsTheSelectionOnItsItems) {
    QWidget parent;
    TFoundList list(&FoundOrderLess, &parent);
    list.Add(QStringLiteral("/m.ild"));
    list.SetSelected(0, true);
    list.Add(QStringLiteral("/a.ild"));
    EXPECT_FALSE(list.IsSelected(0));
    EXPECT_TRUE(list.IsSelected(1));
    EXPECT_EQ(list.NextSelected(), 1);
}

TEST(FoundList, MultiSelectionOffClearsTheSelectionAndAllowsOneItem) {
    QWidget parent;
    TFoundList list(&FoundOrderLess, &parent);
    for (const char* text : {"/a.ild", "/b.ild", "/c.ild", "/d.ild"})
        list.Add(QString::fromUtf8(text));
    list.SetSelected(1, true);
    list.SetSelected(3, true);
    EXPECT_EQ(list.SelectedCount(), 2);
    EXPECT_EQ(list.NextSelected(0), 1);
    EXPECT_EQ(list.NextSelected(2), 3);
    EXPECT_EQ(list.NextSelected(4), -1);
    list.SetMultiSelect(false);
    EXPECT_EQ(list.SelectedCount(), 0);
    list.SetSelected(0, true);
    list.SetSelected(2, true);
    EXPECT_EQ(list.SelectedCount(), 1);
    EXPECT_TRUE(list.IsSelected(2));
    list.Clear();
    EXPECT_EQ(list.Count(), 0);
    EXPECT_EQ(list.NextSelected(), -1);
}

TEST(FoundList, AClickOnAnItemSelectsItAndNotifies) {
    TFoundList list(&FoundOrderLess, nullptr);
    list.resize(248, 282);
    list.SetColumnWidth(517);
    list.Add(QStringLiteral("/a.ild"));
    list.Add(QStringLiteral("/b.ild"));
    list.show();
    QSignalSpy clicks(&list, &TFoundList::Click);
    const QRect second = list.visualRect(list.Model()->index(1, 0));
    QTest::mouseClick(list.viewport(), Qt::LeftButton, Qt::NoModifier, second.center());
    EXPECT_EQ(clicks.count(), 1);
    EXPECT_TRUE(list.IsSelected(1));
    EXPECT_FALSE(list.IsSelected(0));
}

// Counts the paints a widget receives.
class PaintCounter : public QObject {
public:
    explicit PaintCounter(QWidget* widget) { widget->installEventFilter(this); }
    int paints = 0;

protected:
    bool eventFilter(QObject*, QEvent* event) override {
        if (event->type() == QEvent::Paint)
            ++paints;
        return false;
    }
};

// A batch adds a name per converted file and repaints a status text after each; a repaint
// paints every widget of the window that waits for one, so without a limit the whole list
// would be painted once per file.
TEST(FileList, NamesAddedInQuickSuccessionArePaintedAtMostOncePerInterval) {
    struct Case {
        std::chrono::milliseconds interval;
        int paintsWhileAdding;
    };
    for (const Case& c : {Case{std::chrono::milliseconds(0), 12}, Case{std::chrono::hours(1), 0}}) {
        SCOPED_TRACE(c.interval.count());
        QWidget window;
        window.resize(300, 200);
        TFileListBox files(&window);
        files.setGeometry(0, 0, 200, 120);
        QLabel status(&window);
        status.setGeometry(0, 150, 200, 20);
        window.show();
        QCoreApplication::processEvents();
        PaintCounter counter(files.viewport());

        files.BeginAdding(c.interval);
        QStringList added;
        for (int i = 0; i < 12; ++i) {
            added << QStringLiteral("show%1.scn").arg(i, 2, 10, QChar('0'));
            files.AddItem(added.back());
            status.setText(added.back());
            status.repaint();
            QCoreApplication::processEvents();
        }
        EXPECT_EQ(counter.paints, c.paintsWhileAdding);
        // The items themselves are never held back.
        EXPECT_EQ(files.Items(), added);

        // What was held back is painted once the adding ends.
        files.EndAdding();
        QCoreApplication::processEvents();
        EXPECT_TRUE(files.updatesEnabled());
        EXPECT_GE(counter.paints, 1);
    }
}

TEST(FileList, ANameHeldBackIsPaintedOnceItsIntervalHasPassed) {
    QWidget window;
    window.resize(300, 200);
    TFileListBox files(&window);
    files.setGeometry(0, 0, 200, 120);
    window.show();
    QCoreApplication::processEvents();
    PaintCounter counter(files.viewport());

    files.BeginAdding(std::chrono::milliseconds(200));
    files.AddItem(QStringLiteral("show.scn"));
    QCoreApplication::processEvents();
    EXPECT_EQ(counter.paints, 0);
    // No further name and no EndAdding: the pass of the event loop after the interval shows it.
    QTest::qWait(600);
    EXPECT_GE(counter.paints, 1);
    EXPECT_TRUE(files.updatesEnabled());

    files.EndAdding();

    // Held again, and the interval passes with no pass of the event loop, as in a file that
    // takes longer to convert: the next name is shown with the next paint all the same.
    files.BeginAdding(std::chrono::milliseconds(200));
    files.AddItem(QStringLiteral("show2.scn"));
    ASSERT_FALSE(files.updatesEnabled());
    QTest::qSleep(300);
    files.AddItem(QStringLiteral("show3.scn"));
    EXPECT_TRUE(files.updatesEnabled());
    files.EndAdding();
}

class FileSystemControls : public ::testing::Test {
protected:
    void SetUp() override {
        previousCurrent = QDir::currentPath();
        ASSERT_TRUE(temp.isValid());
        root = QDir::cleanPath(temp.path());
        ASSERT_TRUE(QDir(root).mkpath(QStringLiteral("shows/zeta")));
        ASSERT_TRUE(QDir(root).mkpath(QStringLiteral("shows/Alpha")));
        ASSERT_TRUE(QDir(root).mkpath(QStringLiteral("shows/beta")));
        shows = root + QStringLiteral("/shows");
        for (const char* name : {"b.ild", "A.ILD", "notes.txt", "Z.ild", "c.scn"})
            Touch(shows + u'/' + QString::fromUtf8(name));
    }
    void TearDown() override { QDir::setCurrent(previousCurrent); }

    QTemporaryDir temp;
    QString root;
    QString shows;
    QString previousCurrent;
};

TEST_F(FileSystemControls, FileListShowsMatchingNamesSortedWithoutRegardToCase) {
    QWidget parent;
    TFileListBox files(&parent);
    files.SetMask(QStringLiteral("*.ild"));
    files.SetDirectory(shows);
    EXPECT_EQ(files.Items(), QStringList({"A.ILD", "b.ild", "Z.ild"}));
    files.AddItem(QStringLiteral("m.ild"));
    files.AddItem(QStringLiteral("0.ild"));
    EXPECT_EQ(files.Items(), QStringList({"0.ild", "A.ILD", "b.ild", "m.ild", "Z.ild"}));
    files.Update();
    EXPECT_EQ(files.Items(), QStringList({"A.ILD", "b.ild", "Z.ild"}));
}

TEST_F(FileSystemControls, ChoosingAFileWritesItsNameIntoTheEditBoxButReReadingDoesNot) {
    QWidget parent;
    TFileListBox files(&parent);
    QLineEdit edit(QStringLiteral("*.ild"), &parent);
    files.SetFileEdit(&edit);
    files.SetMask(QStringLiteral("*.ild"));
    files.SetDirectory(shows);
    emit files.itemClicked(files.item(1));
    EXPECT_EQ(edit.text(), QStringLiteral("b.ild"));
    edit.setText(QStringLiteral("Finished converting 3 of 3 files."));
    files.Update();
    EXPECT_EQ(edit.text(), QStringLiteral("Finished converting 3 of 3 files."));
}

TEST_F(FileSystemControls, DirectoryListShowsThePathDownToItAndItsSubdirectories) {
    QWidget parent;
    TDirectoryListBox dirs(&parent);
    TFileListBox files(&parent);
    files.SetMask(QStringLiteral("*.scn"));
    QLabel label(&parent);
    label.resize(400, 13);
    dirs.SetFileList(&files);
    dirs.SetDirLabel(&label);
    QSignalSpy changes(&dirs, &TDirectoryListBox::DirectoryChanged);
    dirs.SetDirectory(shows + QStringLiteral("/"));

    EXPECT_EQ(dirs.Directory(), shows);
    EXPECT_EQ(QDir::currentPath(), shows);
    EXPECT_EQ(changes.count(), 1);
    EXPECT_EQ(files.Items(), QStringList({"c.scn"}));
    EXPECT_EQ(label.text(), QDir::toNativeSeparators(shows));
    QStringList texts;
    for (int i = 0; i < dirs.count(); ++i)
        texts << dirs.item(i)->text();
    const QStringList parts = shows.split(u'/', Qt::SkipEmptyParts);
    QStringList expected{QStringLiteral("/")};
    expected << parts;
    expected << QStringLiteral("Alpha") << QStringLiteral("beta") << QStringLiteral("zeta");
    EXPECT_EQ(texts, expected);
    EXPECT_EQ(dirs.currentRow(), static_cast<int>(parts.size()));

    // Activating a subdirectory enters it; activating an ancestor goes back up.
    emit dirs.itemActivated(dirs.item(dirs.count() - 3));
    EXPECT_EQ(dirs.Directory(), shows + QStringLiteral("/Alpha"));
    EXPECT_TRUE(files.Items().isEmpty());
    emit dirs.itemActivated(dirs.item(static_cast<int>(parts.size())));
    EXPECT_EQ(dirs.Directory(), shows);
    emit dirs.itemActivated(dirs.item(0));
    EXPECT_EQ(dirs.Directory(), QStringLiteral("/"));
}

TEST_F(FileSystemControls, MissingDirectoryRaisesAnInOutErrorAndChangesNothing) {
    QWidget parent;
    TDirectoryListBox dirs(&parent);
    dirs.SetDirectory(shows);
    const int items = dirs.count();
    EXPECT_THROW(dirs.SetDirectory(shows + QStringLiteral("/missing")), EInOutError);
    EXPECT_THROW(dirs.SetDirectory(shows + QStringLiteral("/b.ild")), EInOutError);
    EXPECT_THROW(dirs.SetDirectory(QString()), EInOutError);
    EXPECT_EQ(dirs.Directory(), shows);
    EXPECT_EQ(dirs.count(), items);
}

TEST(RadioGroup, ItemIndexFollowsTheChosenButtonAndClicksNotify) {
    QWidget parent;
    TRadioGroup group(QStringLiteral("Palette"), {"Pangolin", "Ilda", "X29"}, 3, &parent);
    group.resize(168, 45);
    EXPECT_EQ(group.ItemIndex(), -1);
    group.SetItemIndex(1);
    EXPECT_EQ(group.ItemIndex(), 1);
    QSignalSpy clicks(&group, &TRadioGroup::Click);
    group.Button(2)->click();
    EXPECT_EQ(group.ItemIndex(), 2);
    EXPECT_EQ(clicks.count(), 1);
    group.SetItemIndex(-1);
    EXPECT_EQ(group.ItemIndex(), -1);
    EXPECT_EQ(clicks.count(), 1);
    // Three columns side by side in one row.
    EXPECT_LT(group.Button(0)->x(), group.Button(1)->x());
    EXPECT_LT(group.Button(1)->x(), group.Button(2)->x());
    EXPECT_EQ(group.Button(0)->y(), group.Button(2)->y());
}

TEST(PaintBox, PresentingTheCanvasRaisesNoPaintNotificationButExposureDoes) {
    TPaintBox box(nullptr);
    box.resize(260, 280);
    int paints = 0;
    box.OnPaint = [&] {
        ++paints;
        box.Canvas().fill(Qt::red);
    };
    box.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&box));
    QApplication::processEvents();
    const int beforeRepaint = paints;
    box.repaint();
    EXPECT_EQ(paints, beforeRepaint + 1);
    EXPECT_EQ(box.Canvas().size(), QSize(260, 280));
    // Grabbing paints too, so the notification runs again.
    EXPECT_EQ(box.grab().toImage().pixelColor(10, 10), QColor(Qt::red));
    const int afterShow = paints;

    box.Canvas().fill(Qt::green);
    box.Present();
    QApplication::processEvents();
    EXPECT_EQ(paints, afterShow);

    box.repaint();
    EXPECT_EQ(paints, afterShow + 1);
}

} // namespace
