#include "search/tlmdsearchfilegrep.h"

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <string>
#include <vector>

#include <QCoreApplication>
#include <QDir>
#include <QEventLoop>
#include <QTemporaryDir>
#include <QTimer>

#include <gtest/gtest.h>
#include <linux/magic.h>
#include <sys/stat.h>
#include <sys/statfs.h>
#include <sys/wait.h>
#include <unistd.h>

#include "search/cfilemask.h"
#include "search/filenamecodec.h"
#include "tests/platform/unprivileged.h"

namespace {

// A directory tree made on disk for one test.
class TempTree {
public:
    TempTree() { EXPECT_TRUE(dir_.isValid()); }

    // The root without a trailing "/".
    [[nodiscard]] QString Root() const { return dir_.path(); }
    [[nodiscard]] QString Path(const QString& relative) const { return Root() + "/" + relative; }

    void Dir(const QString& relative) const { ASSERT_TRUE(QDir().mkpath(Path(relative))); }
    void File(const QString& relative, const std::string& contents = "") const {
        std::ofstream out(Path(relative).toStdString(), std::ios::binary);
        out << contents;
        ASSERT_TRUE(out.good()) << relative.toStdString();
    }
    void Link(const QString& target, const QString& relative) const {
        ASSERT_EQ(::symlink(target.toStdString().c_str(), Path(relative).toStdString().c_str()), 0);
    }

private:
    QTemporaryDir dir_;
};

// Binds every notification of an engine and logs them in order, paths made relative to the
// tree's root ("<root>/").
class Recorder {
public:
    Recorder(TLMDSearchFileGrep& engine, const QString& root) : root_(root) {
        engine.OnDirChange = [this](QObject*, const QString& dir) {
            log.push_back("dir " + Relative(dir));
            if (onDirChange)
                onDirChange(dir);
        };
        engine.OnFileChange = [this](QObject*, const QString& name) {
            log.push_back("file " + name.toStdString());
            if (onFileChange)
                onFileChange(name);
        };
        engine.OnFound = [this](QObject*, const TLMDSPFileRecord& record) {
            log.push_back("found " + Relative(record.dir + record.fileName));
            records.push_back(record);
            if (onFound)
                onFound(record);
        };
        engine.OnFinished = [this](QObject*) { log.push_back("finished"); };
        engine.OnCancel = [this](QObject*) { log.push_back("cancel"); };
        engine.OnEnd = [this](QObject*) {
            log.push_back("end");
            ++ends;
        };
    }

    // Events of one kind ("dir", "found"...), in order.
    [[nodiscard]] std::vector<std::string> Only(const std::string& kind) const {
        std::vector<std::string> out;
        for (const std::string& line : log) {
            if (line.rfind(kind + " ", 0) == 0)
                out.push_back(line.substr(kind.size() + 1));
        }
        return out;
    }
    [[nodiscard]] std::vector<std::string> SortedFound() const {
        std::vector<std::string> found = Only("found");
        std::sort(found.begin(), found.end());
        return found;
    }

    std::vector<std::string> log;
    std::vector<TLMDSPFileRecord> records;
    int ends = 0;
    std::function<void(const QString&)> onDirChange;
    std::function<void(const QString&)> onFileChange;
    std::function<void(const TLMDSPFileRecord&)> onFound;

private:
    std::string Relative(const QString& path) const {
        const QString prefix = root_ + "/";
        if (path.startsWith(prefix))
            return "<root>/" + path.mid(prefix.size()).toStdString();
        return path.toStdString();
    }

    QString root_;
};

// Lets the event loop run until the engine has sent OnEnd (or a few seconds have passed).
void WaitForEnd(const Recorder& recorder, int ends = 1) {
    QEventLoop loop;
    QTimer poll;
    QObject::connect(&poll, &QTimer::timeout, &loop, [&] {
        if (recorder.ends >= ends)
            loop.quit();
    });
    poll.start(1);
    QTimer::singleShot(10000, &loop, &QEventLoop::quit);
    loop.exec();
}

// Lets the event loop run for a while, for tests that check nothing more happens.
void SettleEvents(int milliseconds = 100) {
    QEventLoop loop;
    QTimer::singleShot(milliseconds, &loop, &QEventLoop::quit);
    loop.exec();
}

using Log = std::vector<std::string>;

TEST(SearchWalk, DepthFirstWithEachDirectorysFilesBeforeItsSubdirectories) {
    TempTree tree;
    tree.Dir("a/b");
    tree.File("r.ild");
    tree.File("r.txt");
    tree.File("a/a.ild");
    tree.File("a/b/b.ild");
    tree.File("a/b/notes");

    TLMDSearchFileGrep engine;
    Recorder recorder(engine, tree.Root());
    engine.SetDirs(tree.Root());
    engine.SetFileMasks("*.ild");
    engine.Execute();
    WaitForEnd(recorder);

    const Log expected = {
        "dir <root>/",     "file r.ild", "found <root>/r.ild",
        "dir <root>/a/",   "file a.ild", "found <root>/a/a.ild",
        "dir <root>/a/b/", "file b.ild", "found <root>/a/b/b.ild",
        "finished",        "end",
    };
    EXPECT_EQ(recorder.log, expected);
}

TEST(SearchWalk, ThreadedExecuteReturnsAtOnceAndRunsOnTheEventLoop) {
    TempTree tree;
    tree.File("x.ild");
    TLMDSearchFileGrep engine;
    Recorder recorder(engine, tree.Root());
    engine.SetDirs(tree.Root());
    engine.SetFileMasks("*.ild");
    engine.Execute();
    EXPECT_TRUE(recorder.log.empty());
    EXPECT_TRUE(engine.IsSearching());
    WaitForEnd(recorder);
    EXPECT_FALSE(engine.IsSearching());
    EXPECT_EQ(recorder.Only("found"), Log{"<root>/x.ild"});
}

TEST(SearchWalk, UnthreadedRunWalksInsideExecute) {
    TempTree tree;
    tree.File("x.ild");
    TLMDSearchFileGrep engine;
    Recorder recorder(engine, tree.Root());
    engine.SetDirs(tree.Root());
    engine.SetFileMasks("*.ild");
    engine.SetThreadedSearch(false);
    engine.Execute();
    EXPECT_EQ(recorder.log,
              (Log{"dir <root>/", "file x.ild", "found <root>/x.ild", "finished", "end"}));
}

TEST(SearchWalk, MaskListReportsEachFileOncePerMaskInMaskOrder) {
    TempTree tree;
    tree.File("one.ild");
    tree.File("two.scn");
    tree.File("three.ILD");
    tree.File("four.txt");

    TLMDSearchFileGrep engine;
    Recorder recorder(engine, tree.Root());
    engine.SetDirs(tree.Root());
    engine.SetFileMasks(" *.ild;;*.scn;*.ild");
    engine.Execute();
    WaitForEnd(recorder);

    const Log found = recorder.Only("found");
    ASSERT_EQ(found.size(), 3u);
    // Both matches of the first mask come before the match of the second.
    EXPECT_EQ(found[2], "<root>/two.scn");
    EXPECT_EQ(recorder.SortedFound(),
              (Log{"<root>/one.ild", "<root>/three.ILD", "<root>/two.scn"}));
}

TEST(SearchWalk, MatchesWithoutRegardToCaseAndNotOnALongerExtension) {
    TempTree tree;
    tree.File("a.ild");
    tree.File("B.ILD");
    tree.File("c.ild.bak");
    TLMDSearchFileGrep engine;
    Recorder recorder(engine, tree.Root());
    engine.SetDirs(tree.Root());
    engine.SetFileMasks("*.ild");
    engine.Execute();
    WaitForEnd(recorder);
    EXPECT_EQ(recorder.SortedFound(), (Log{"<root>/B.ILD", "<root>/a.ild"}));
}

TEST(SearchWalk, StartDirectoriesGetATrailingSlashAndAreWalkedInOrder) {
    TempTree tree;
    tree.Dir("first");
    tree.Dir("second");
    tree.File("first/f.ild");
    tree.File("second/s.ild");

    TLMDSearchFileGrep engine;
    Recorder recorder(engine, tree.Root());
    engine.SetDirs(tree.Path("second") + " ; ;" + tree.Path("missing") + ";" + tree.Path("first") +
                   "/");
    engine.SetFileMasks("*.ild");
    engine.Execute();
    WaitForEnd(recorder);

    EXPECT_EQ(recorder.Only("dir"), (Log{"<root>/second/", "<root>/missing/", "<root>/first/"}));
    ASSERT_EQ(recorder.records.size(), 2u);
    EXPECT_EQ(recorder.records[0].dir, tree.Path("second/"));
    EXPECT_EQ(recorder.records[0].fileName, "s.ild");
    EXPECT_EQ(recorder.log.back(), "end");
    EXPECT_EQ(recorder.log[recorder.log.size() - 2], "finished");
}

TEST(SearchWalk, HiddenDirectoriesAreEnteredAndDirectoriesMatchingAMaskAreFound) {
    TempTree tree;
    tree.Dir(".hidden/deeper");
    tree.Dir("show.ild");
    tree.File(".hidden/deeper/h.ild");
    tree.File("show.ild/inner.ild");

    TLMDSearchFileGrep engine;
    Recorder recorder(engine, tree.Root());
    engine.SetDirs(tree.Root());
    engine.SetFileMasks("*.ild");
    engine.Execute();
    WaitForEnd(recorder);
    EXPECT_EQ(recorder.SortedFound(),
              (Log{"<root>/.hidden/deeper/h.ild", "<root>/show.ild", "<root>/show.ild/inner.ild"}));
}

TEST(SearchWalk, DotEntriesReachOnFileChangeButAreNeverFound) {
    TempTree tree;
    tree.File("plain");
    TLMDSearchFileGrep engine;
    Recorder recorder(engine, tree.Root());
    engine.SetDirs(tree.Root());
    engine.SetRecurseSubDirs(false);
    engine.Execute();
    WaitForEnd(recorder);

    Log files = recorder.Only("file");
    std::sort(files.begin(), files.end());
    EXPECT_EQ(files, (Log{".", "..", "plain"}));
    EXPECT_EQ(recorder.Only("found"), Log{"<root>/plain"});
}

TEST(SearchWalk, WithoutRecursionOnlyTheStartDirectoryIsWalked) {
    TempTree tree;
    tree.Dir("sub");
    tree.File("top.ild");
    tree.File("sub/below.ild");
    TLMDSearchFileGrep engine;
    Recorder recorder(engine, tree.Root());
    engine.SetDirs(tree.Root());
    engine.SetFileMasks("*.ild");
    engine.SetRecurseSubDirs(false);
    engine.Execute();
    WaitForEnd(recorder);
    EXPECT_EQ(recorder.Only("dir"), Log{"<root>/"});
    EXPECT_EQ(recorder.Only("found"), Log{"<root>/top.ild"});
}

TEST(SearchRun, SecondExecuteBeforeTheWalkStartsOrWhileItRunsDoesNothing) {
    TempTree tree;
    tree.Dir("a");
    tree.File("x.ild");
    tree.File("a/y.ild");
    TLMDSearchFileGrep engine;
    Recorder recorder(engine, tree.Root());
    recorder.onDirChange = [&](const QString&) { engine.Execute(); };
    engine.SetDirs(tree.Root());
    engine.SetFileMasks("*.ild");
    engine.Execute();
    engine.Execute();
    WaitForEnd(recorder);
    SettleEvents();

    EXPECT_EQ(recorder.ends, 1);
    EXPECT_EQ(recorder.SortedFound(), (Log{"<root>/a/y.ild", "<root>/x.ild"}));
}

TEST(SearchRun, UnthreadedExecuteFromAHandlerDoesNotNestASecondRun) {
    TempTree tree;
    tree.File("x.ild");
    TLMDSearchFileGrep engine;
    Recorder recorder(engine, tree.Root());
    engine.SetThreadedSearch(false);
    recorder.onFound = [&](const TLMDSPFileRecord&) { engine.Execute(); };
    engine.SetDirs(tree.Root());
    engine.SetFileMasks("*.ild");
    engine.Execute();
    EXPECT_EQ(recorder.ends, 1);
    EXPECT_EQ(recorder.Only("found").size(), 1u);
}

TEST(SearchRun, CancelThenExecuteGivesAnEmptyCancelledRunThenNormalRunsAgain) {
    TempTree tree;
    tree.Dir("a");
    tree.File("x.ild");
    tree.File("a/y.ild");
    TLMDSearchFileGrep engine;
    Recorder recorder(engine, tree.Root());
    engine.SetDirs(tree.Root());
    engine.SetFileMasks("*.ild");

    engine.Cancel();
    engine.Execute();
    WaitForEnd(recorder);
    EXPECT_EQ(recorder.log, (Log{"cancel", "end"}));

    recorder.log.clear();
    engine.Execute();
    WaitForEnd(recorder, 2);
    EXPECT_EQ(recorder.SortedFound(), (Log{"<root>/a/y.ild", "<root>/x.ild"}));
    EXPECT_EQ(recorder.log.back(), "end");
    EXPECT_EQ(recorder.log[recorder.log.size() - 2], "finished");
}

TEST(SearchRun, UnthreadedCancelThenExecuteEntersEachStartDirectoryOnly) {
    TempTree tree;
    tree.Dir("a");
    tree.Dir("b");
    tree.File("a/x.ild");
    tree.File("a/y.ild");
    tree.Dir("a/deeper");
    TLMDSearchFileGrep engine;
    Recorder recorder(engine, tree.Root());
    engine.SetThreadedSearch(false);
    engine.SetDirs(tree.Path("a") + ";" + tree.Path("b"));
    engine.SetFileMasks("*.ild");
    engine.Cancel();
    engine.Execute();
    EXPECT_EQ(recorder.log, (Log{"dir <root>/a/", "dir <root>/b/", "cancel", "end"}));
}

TEST(SearchRun, CancelFromAHandlerEndsTheEnumerationAtTheNextEntry) {
    TempTree tree;
    tree.Dir("sub");
    tree.File("f1.ild");
    tree.File("f2.ild");
    tree.File("f3.ild");
    tree.File("sub/s.ild");
    TLMDSearchFileGrep engine;
    Recorder recorder(engine, tree.Root());
    recorder.onFileChange = [&](const QString&) { engine.Cancel(); };
    engine.SetDirs(tree.Root());
    engine.SetFileMasks("*.ild;*.*");
    engine.Execute();
    WaitForEnd(recorder);

    ASSERT_EQ(recorder.log.size(), 5u);
    EXPECT_EQ(recorder.log[0], "dir <root>/");
    // The entry being reported completes; the next one is not reached, nor is the second mask
    // or the subdirectory.
    EXPECT_EQ(recorder.Only("file").size(), 1u);
    EXPECT_EQ(recorder.Only("found").size(), 1u);
    EXPECT_EQ(recorder.log[3], "cancel");
    EXPECT_EQ(recorder.log[4], "end");
}

TEST(SearchRun, CancelFromAnEventHandledBetweenDirectoriesStopsBeforeGoingDeeper) {
    // The window's Stop button is a click handled while the walk processes pending events on
    // entering a directory; a posted call stands for it here.
    TempTree tree;
    tree.Dir("a/b");
    tree.File("top.ild");
    tree.File("a/mid.ild");
    tree.File("a/b/deep.ild");
    TLMDSearchFileGrep engine;
    Recorder recorder(engine, tree.Root());
    recorder.onFound = [&](const TLMDSPFileRecord& record) {
        if (record.fileName == "top.ild")
            QTimer::singleShot(0, &engine, [&] { engine.Cancel(); });
    };
    engine.SetDirs(tree.Root());
    engine.SetFileMasks("*.ild");
    engine.Execute();
    WaitForEnd(recorder);

    EXPECT_EQ(recorder.log, (Log{"dir <root>/", "file top.ild", "found <root>/top.ild",
                                 "dir <root>/a/", "cancel", "end"}));
}

TEST(SearchRun, CancelInOnEndHoldsForTheNextRun) {
    TempTree tree;
    tree.File("x.ild");
    TLMDSearchFileGrep engine;
    Recorder recorder(engine, tree.Root());
    engine.SetDirs(tree.Root());
    engine.SetFileMasks("*.ild");
    engine.SetThreadedSearch(false);
    engine.OnEnd = [&](QObject*) {
        recorder.log.push_back("end");
        if (++recorder.ends == 1)
            engine.Cancel();
    };
    engine.Execute();
    engine.SetThreadedSearch(true);
    engine.Execute();
    WaitForEnd(recorder, 2);
    EXPECT_EQ(recorder.log, (Log{"dir <root>/", "file x.ild", "found <root>/x.ild", "finished",
                                 "end", "cancel", "end"}));
}

TEST(SearchRun, ExecuteFromTheEndNotificationStartsTheNextRun) {
    TempTree tree;
    tree.File("x.ild");
    TLMDSearchFileGrep engine;
    Recorder recorder(engine, tree.Root());
    engine.SetDirs(tree.Root());
    engine.SetFileMasks("*.ild");
    engine.OnFinished = [&](QObject*) {
        recorder.log.push_back("finished");
        if (recorder.Only("found").size() == 1)
            engine.Execute();
    };
    engine.Execute();
    WaitForEnd(recorder, 2);
    EXPECT_EQ(recorder.ends, 2);
    EXPECT_EQ(recorder.Only("found").size(), 2u);
}

TEST(SearchRun, ApplicationQuitStopsTheWalkAndEndsWithFinished) {
    struct Case {
        const char* name;
        bool threaded;
        bool alsoCancel;
        Log expected;
    };
    const Case cases[] = {
        {"threaded_quit", true, false, {"dir <root>/", "finished", "end"}},
        {"threaded_quit_and_cancel", true, true, {"dir <root>/", "cancel", "end"}},
        {"unthreaded_quit", false, false, {"dir <root>/", "finished", "end"}},
    };
    for (const Case& row : cases) {
        SCOPED_TRACE(row.name);
        TempTree tree;
        tree.Dir("sub");
        tree.File("x.ild");
        tree.File("sub/y.ild");
        TLMDSearchFileGrep engine;
        Recorder recorder(engine, tree.Root());
        recorder.onDirChange = [&](const QString&) {
            QCoreApplication::quit();
            if (row.alsoCancel)
                engine.Cancel();
        };
        engine.SetDirs(tree.Root());
        engine.SetFileMasks("*.ild");
        engine.SetThreadedSearch(row.threaded);
        // Started from inside the application's event loop, as the window's handlers do.
        QTimer::singleShot(0, &engine, [&] { engine.Execute(); });
        // A stuck walk must not hang the test.
        QTimer limit;
        limit.setSingleShot(true);
        QObject::connect(&limit, &QTimer::timeout, QCoreApplication::instance(),
                         &QCoreApplication::quit);
        limit.start(10000);
        QCoreApplication::exec();
        EXPECT_EQ(recorder.log, row.expected);
    }
}

TEST(SearchRun, AComponentDeletedByItsHandlerEndsTheWalkSafely) {
    TempTree tree;
    tree.Dir("sub");
    tree.File("x.ild");
    tree.File("y.ild");
    tree.File("sub/z.ild");
    auto* engine = new TLMDSearchFileGrep;
    int found = 0;
    engine->OnFound = [&](QObject*, const TLMDSPFileRecord&) {
        ++found;
        delete engine;
    };
    engine->SetDirs(tree.Root());
    engine->SetFileMasks("*.ild");
    engine->SetThreadedSearch(false);
    engine->Execute();
    EXPECT_EQ(found, 1);
}

TEST(SearchRun, InternalFoundListCollectsPathsAndIsEmptiedByExecute) {
    TempTree tree;
    tree.File("x.ild");
    TLMDSearchFileGrep engine;
    EXPECT_TRUE(engine.InternalFoundList());
    engine.SetDirs(tree.Root());
    engine.SetFileMasks("*.ild");
    engine.SetThreadedSearch(false);
    engine.Execute();
    EXPECT_EQ(engine.FoundList(), QStringList{tree.Path("x.ild")});
    engine.Execute();
    EXPECT_EQ(engine.FoundList(), QStringList{tree.Path("x.ild")});
    engine.SetInternalFoundList(false);
    engine.Execute();
    EXPECT_TRUE(engine.FoundList().isEmpty());
}

TEST(SearchLinux, SymbolicLinkCyclesEndWithEveryRealFileReportedOnce) {
    TempTree tree;
    tree.Dir("a/b");
    tree.Dir("x");
    tree.Dir("y");
    tree.File("r.ild");
    tree.File("a/a.ild");
    tree.File("a/b/b.ild");
    tree.File("x/x.ild");
    tree.File("y/y.ild");
    tree.Link(".", "self");
    tree.Link("..", "a/b/up");
    tree.Link(tree.Root(), "a/root");
    tree.Link("../y", "x/to_y");
    tree.Link("../x", "y/to_x");

    TLMDSearchFileGrep engine;
    Recorder recorder(engine, tree.Root());
    engine.SetDirs(tree.Root());
    engine.SetFileMasks("*.ild");
    engine.Execute();
    WaitForEnd(recorder);

    // x and y are each entered once, through whichever of the directory and the link to it
    // the walk meets first, so a file is reported under one of its paths.
    Log names;
    for (const std::string& found : recorder.Only("found"))
        names.push_back(found.substr(found.rfind('/') + 1));
    std::sort(names.begin(), names.end());
    EXPECT_EQ(names, (Log{"a.ild", "b.ild", "r.ild", "x.ild", "y.ild"}));
    EXPECT_EQ(recorder.Only("dir").size(), 5u);
    EXPECT_EQ(recorder.log.back(), "end");
}

// A show folder kept elsewhere and linked into the searched tree is searched; a link whose own
// name matches is also reported as an entry, and links to files or to nothing are not entered.
TEST(SearchLinux, LinksToDirectoriesAreFollowed) {
    TempTree tree;
    tree.Dir("tree/shows");
    tree.Dir("elsewhere/show/deeper");
    tree.File("elsewhere/show/linked.ild");
    tree.File("elsewhere/show/deeper/deep.ild");
    tree.File("elsewhere/plain.ild");
    tree.Link(tree.Path("elsewhere/show"), "tree/shows/show");
    tree.Link(tree.Path("elsewhere/show"), "tree/show.ild");
    tree.Link(tree.Path("elsewhere/plain.ild"), "tree/plain.ild");
    tree.Link(tree.Path("missing"), "tree/dangling");
    TLMDSearchFileGrep engine;
    Recorder recorder(engine, tree.Root());
    engine.SetDirs(tree.Path("tree"));
    engine.SetFileMasks("*.ild");
    engine.Execute();
    WaitForEnd(recorder);

    // The show folder is entered once, through one of its two links.
    const Log dirs = recorder.Only("dir");
    ASSERT_EQ(dirs.size(), 4u);
    EXPECT_EQ(dirs[0], "<root>/tree/");
    const std::string show =
        std::find(dirs.begin(), dirs.end(), "<root>/tree/show.ild/") != dirs.end()
            ? "<root>/tree/show.ild/"
            : "<root>/tree/shows/show/";
    Log expected{"<root>/tree/plain.ild", "<root>/tree/show.ild", show + "deeper/deep.ild",
                 show + "linked.ild"};
    std::sort(expected.begin(), expected.end());
    EXPECT_EQ(recorder.SortedFound(), expected);
    EXPECT_EQ(recorder.log.back(), "end");
}

TEST(SearchLinux, AStartDirectoryThatIsALinkIsFollowed) {
    TempTree tree;
    tree.Dir("real");
    tree.File("real/inside.ild");
    tree.Link("real", "start");
    TLMDSearchFileGrep engine;
    Recorder recorder(engine, tree.Root());
    engine.SetDirs(tree.Path("start"));
    engine.SetFileMasks("*.ild");
    engine.Execute();
    WaitForEnd(recorder);
    EXPECT_EQ(recorder.Only("found"), Log{"<root>/start/inside.ild"});
}

TEST(SearchLinux, NoDirectoryIsEnteredTwiceInOneRun) {
    TempTree tree;
    tree.Dir("a");
    tree.File("a/x.ild");
    TLMDSearchFileGrep engine;
    Recorder recorder(engine, tree.Root());
    // The same directory twice, and once through a start directory below it.
    engine.SetDirs(tree.Root() + ";" + tree.Root() + ";" + tree.Path("a"));
    engine.SetFileMasks("*.ild");
    engine.Execute();
    WaitForEnd(recorder);
    EXPECT_EQ(recorder.Only("found"), Log{"<root>/a/x.ild"});
    EXPECT_EQ(recorder.Only("dir"), (Log{"<root>/", "<root>/a/"}));
}

TEST(SearchLinux, PseudoFileSystemsBelowTheStartAreSkipped) {
    // /dev/pts is the devpts file system mounted below /dev on every Linux system with
    // terminals; a search of /dev walks /dev but does not enter it.
    struct statfs info {};
    if (::statfs("/dev/pts", &info) != 0 || info.f_type != DEVPTS_SUPER_MAGIC)
        GTEST_SKIP() << "no devpts at /dev/pts";
    TLMDSearchFileGrep engine;
    Log directories;
    engine.OnDirChange = [&](QObject*, const QString& dir) {
        directories.push_back(dir.toStdString());
    };
    engine.SetDirs("/dev;/dev/pts");
    engine.SetFileMasks("no-such-name");
    engine.SetThreadedSearch(false);
    engine.Execute();
    ASSERT_FALSE(directories.empty());
    EXPECT_EQ(directories.front(), "/dev/");
    // Named as a start directory, the pseudo file system is walked.
    EXPECT_EQ(std::count(directories.begin(), directories.end(), "/dev/pts/"), 1);
    EXPECT_EQ(directories.back(), "/dev/pts/");
}

TEST(SearchFailures, UnreadableDirectoryIsPassedOverWithoutEndingTheRun) {
    TempTree tree;
    tree.Dir("locked/inner");
    tree.Dir("open");
    tree.File("locked/hidden.ild");
    tree.File("open/o.ild");
    ASSERT_EQ(::chmod(tree.Root().toStdString().c_str(), 0755), 0);
    ASSERT_EQ(::chmod(tree.Path("locked").toStdString().c_str(), 0), 0);

    auto search = [&]() -> Log {
        TLMDSearchFileGrep engine;
        Recorder recorder(engine, tree.Root());
        engine.SetDirs(tree.Root());
        engine.SetFileMasks("*.ild");
        engine.SetThreadedSearch(false);
        engine.Execute();
        return recorder.log;
    };
    // Root reads every directory whatever its mode; the search runs as an ordinary user and
    // reports through its exit status.
    const int status = RunAsOrdinaryUser([&] {
        const Log log = search();
        const bool ok = std::count(log.begin(), log.end(), "found <root>/open/o.ild") == 1 &&
                        std::count(log.begin(), log.end(), "dir <root>/locked/") == 1 &&
                        std::count(log.begin(), log.end(), "dir <root>/locked/inner/") == 0 &&
                        log.size() >= 2 && log[log.size() - 2] == "finished";
        return ok ? 0 : 1;
    });
    EXPECT_EQ(status, 0);
    ASSERT_EQ(::chmod(tree.Path("locked").toStdString().c_str(), 0755), 0);
}

TEST(SearchFailures, DirectoryRemovedDuringTheWalkYieldsNothing) {
    TempTree tree;
    tree.Dir("gone/deeper");
    tree.File("gone/deeper/g.ild");
    tree.File("top.ild");
    TLMDSearchFileGrep engine;
    Recorder recorder(engine, tree.Root());
    recorder.onFound = [&](const TLMDSPFileRecord&) {
        QDir(tree.Path("gone")).removeRecursively();
    };
    engine.SetDirs(tree.Root());
    engine.SetFileMasks("*.ild");
    engine.Execute();
    WaitForEnd(recorder);
    EXPECT_EQ(recorder.log, (Log{"dir <root>/", "file top.ild", "found <root>/top.ild",
                                 "dir <root>/gone/", "finished", "end"}));
}

TEST(SearchRecord, ResultValuesSelectTheFilledFields) {
    TempTree tree;
    tree.Dir("sub.ild");
    tree.File("data.ild", std::string(1234, 'x'));
    tree.File(".dot.ild");
    ASSERT_EQ(::chmod(tree.Path("data.ild").toStdString().c_str(), 0444), 0);

    TLMDSearchFileGrep engine;
    Recorder recorder(engine, tree.Root());
    engine.SetDirs(tree.Root());
    engine.SetFileMasks("*.ild");
    engine.SetRecurseSubDirs(false);
    engine.SetResultValues(srsFilename | srsAttr | srsSize | srsCreateDate | srsLastAccessDate |
                           srsLastModifiedDate);
    engine.SetThreadedSearch(false);
    engine.Execute();

    ASSERT_EQ(recorder.records.size(), 3u);
    for (const TLMDSPFileRecord& record : recorder.records) {
        SCOPED_TRACE(record.fileName.toStdString());
        EXPECT_TRUE(record.dir.isEmpty());
        EXPECT_TRUE(record.lastModifiedTime.isValid());
        EXPECT_TRUE(record.createTime.isValid());
        EXPECT_TRUE(record.lastAccessTime.isValid());
        EXPECT_LE(qAbs(record.lastModifiedTime.secsTo(QDateTime::currentDateTime())), 600);
        if (record.fileName == "data.ild") {
            EXPECT_EQ(record.size, 1234);
            EXPECT_EQ(record.attrLetters, "r");
            EXPECT_EQ(record.attributes, TLMDFileAttributes(fmReadOnly));
        } else if (record.fileName == "sub.ild") {
            EXPECT_EQ(record.size, 0);
            EXPECT_EQ(record.attrLetters, "d");
        } else {
            EXPECT_EQ(record.fileName, ".dot.ild");
            EXPECT_EQ(record.attrLetters, "h");
            EXPECT_EQ(record.attributes, TLMDFileAttributes(fmHidden));
        }
    }
}

TEST(SearchRecord, DefaultRecordHoldsOnlyDirectoryAndName) {
    TempTree tree;
    tree.File("data.ild", "abc");
    TLMDSearchFileGrep engine;
    Recorder recorder(engine, tree.Root());
    engine.SetDirs(tree.Root());
    engine.SetFileMasks("*.ild");
    engine.SetThreadedSearch(false);
    engine.Execute();
    ASSERT_EQ(recorder.records.size(), 1u);
    const TLMDSPFileRecord& record = recorder.records[0];
    EXPECT_EQ(record.dir, tree.Root() + "/");
    EXPECT_EQ(record.fileName, "data.ild");
    EXPECT_EQ(record.size, 0);
    EXPECT_TRUE(record.attrLetters.isEmpty());
    EXPECT_FALSE(record.lastModifiedTime.isValid());
}

// Names from older disks are often Latin-1, not UTF-8: what the search reports must lead back
// to the very bytes, for the file itself and for the directories on its way.
TEST(SearchRecord, NamesThatAreNotUtf8KeepTheirBytes) {
    TempTree tree;
    const std::string root = EncodeFileName(tree.Root());
    // QTemporaryDir cannot remove what it cannot name.
    struct RemoveAtEnd {
        ~RemoveAtEnd() { std::filesystem::remove_all(path); }
        std::string path;
    } removeAtEnd{root};
    struct Entry {
        std::string relative;
        std::string contents;
    };
    const Entry entries[] = {{"caf\xe9.ild", "latin-1 file"},
                             {"\xc3\xa9t\xc3\xa9.ild", "utf-8 file"},
                             {"Sh\xf6ws/x\xe9.ild", "in a latin-1 directory"}};
    ASSERT_EQ(::mkdir((root + "/Sh\xf6ws").c_str(), 0755), 0);
    for (const Entry& entry : entries) {
        std::ofstream out(root + "/" + entry.relative, std::ios::binary);
        out << entry.contents;
    }
    const auto readFound = [](const TLMDSPFileRecord& record) {
        std::ifstream in(EncodeFileName(record.dir + record.fileName), std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(in), {});
    };

    const auto search = [&](const QString& dirs) {
        TLMDSearchFileGrep engine;
        Recorder recorder(engine, tree.Root());
        engine.SetDirs(dirs);
        engine.SetFileMasks("*.ild");
        engine.SetThreadedSearch(false);
        engine.Execute();
        return recorder.records;
    };

    // Each found path, and what reading it gives.
    std::map<std::string, std::string> found;
    for (const TLMDSPFileRecord& record : search(tree.Root()))
        found[EncodeFileName(record.dir + record.fileName)] = readFound(record);
    std::map<std::string, std::string> expected;
    for (const Entry& entry : entries)
        expected[root + "/" + entry.relative] = entry.contents;
    EXPECT_EQ(found, expected);

    // A start directory whose own name is not UTF-8.
    const std::vector<TLMDSPFileRecord> inner = search(DecodeFileName(root + "/Sh\xf6ws"));
    ASSERT_EQ(inner.size(), 1u);
    EXPECT_EQ(EncodeFileName(inner[0].dir), root + "/Sh\xf6ws/");
    EXPECT_EQ(readFound(inner[0]), "in a latin-1 directory");
}

TEST(SearchFilters, DefaultsLetEverythingThroughAndFiltersSelect) {
    TempTree tree;
    tree.File("small.ild", "ab");
    tree.File("large.ild", std::string(5000, 'z'));
    tree.File(".hidden.ild", "the LASER show");
    tree.File("words.ild", "lasers everywhere");
    tree.Dir("folder.ild");

    struct Case {
        const char* name;
        std::function<void(TLMDSearchFileGrep&)> configure;
        Log expected;
    };
    const QDateTime past = QDateTime::currentDateTime().addDays(-1);
    const QDateTime future = QDateTime::currentDateTime().addDays(1);
    const Case cases[] = {
        {"defaults",
         [](TLMDSearchFileGrep&) {},
         {".hidden.ild", "folder.ild", "large.ild", "small.ild", "words.ild"}},
        {"min_size", [](TLMDSearchFileGrep& e) { e.SetMinSize(100); }, {"large.ild"}},
        {"max_size",
         [](TLMDSearchFileGrep& e) { e.SetMaxSize(14); },
         {".hidden.ild", "folder.ild", "small.ild"}},
        {"hidden_attribute",
         [](TLMDSearchFileGrep& e) { e.SetAttributes(fmHidden); },
         {".hidden.ild"}},
        {"modified_before_yesterday",
         [&](TLMDSearchFileGrep& e) {
             e.SetCheckDates(scdModifiedBefore);
             e.SetModifiedBefore(past);
         },
         {}},
        {"modified_after_yesterday_before_tomorrow",
         [&](TLMDSearchFileGrep& e) {
             e.SetCheckDates(scdModifiedAfter | scdModifiedBefore);
             e.SetModifiedAfter(past);
             e.SetModifiedBefore(future);
         },
         {".hidden.ild", "folder.ild", "large.ild", "small.ild", "words.ild"}},
        {"bound_not_checked_is_ignored",
         [&](TLMDSearchFileGrep& e) { e.SetModifiedBefore(past); },
         {".hidden.ild", "folder.ild", "large.ild", "small.ild", "words.ild"}},
        {"content_any_case",
         [](TLMDSearchFileGrep& e) { e.SetSearchString("laser"); },
         {".hidden.ild", "words.ild"}},
        {"content_match_case",
         [](TLMDSearchFileGrep& e) {
             e.SetSearchString("laser");
             e.SetSearchOptions(ssoMatchCase);
         },
         {"words.ild"}},
        {"content_whole_words",
         [](TLMDSearchFileGrep& e) {
             e.SetSearchString("laser");
             e.SetSearchOptions(ssoWholeWords);
         },
         {".hidden.ild"}},
        {"content_wildcards",
         [](TLMDSearchFileGrep& e) { e.SetSearchString("l?ser*where"); },
         {"words.ild"}},
    };
    for (const Case& row : cases) {
        SCOPED_TRACE(row.name);
        TLMDSearchFileGrep engine;
        Recorder recorder(engine, tree.Root());
        engine.SetDirs(tree.Root());
        engine.SetFileMasks("*.ild");
        engine.SetThreadedSearch(false);
        row.configure(engine);
        engine.Execute();
        std::vector<std::string> names;
        for (const TLMDSPFileRecord& record : recorder.records)
            names.push_back(record.fileName.toStdString());
        std::sort(names.begin(), names.end());
        EXPECT_EQ(names, row.expected);
    }
}

TEST(SearchFilters, ContentSearchReportsInvalidTemplatesAndUnreadableFiles) {
    TempTree tree;
    tree.File("a.ild", "x");
    tree.Link("missing-target", "broken.ild");

    TLMDSearchFileGrep engine;
    Recorder recorder(engine, tree.Root());
    int invalid = 0;
    QStringList unreadable;
    engine.OnTemplateInvalid = [&](QObject*) { ++invalid; };
    engine.OnErrorOpenFile = [&](QObject*, const QString& path) { unreadable.append(path); };
    engine.SetDirs(tree.Root());
    engine.SetFileMasks("*.ild");
    engine.SetThreadedSearch(false);

    engine.SetSearchString("**?");
    engine.Execute();
    EXPECT_EQ(invalid, 1);
    EXPECT_TRUE(recorder.Only("dir").empty());
    EXPECT_EQ(recorder.log.back(), "end");

    engine.SetSearchString("x");
    engine.Execute();
    EXPECT_EQ(recorder.Only("found"), Log{"<root>/a.ild"});
    EXPECT_EQ(unreadable, QStringList{tree.Path("broken.ild")});
}

TEST(SearchFilters, ContentSearchDoesNotBlockOnAFifo) {
    TempTree tree;
    ASSERT_EQ(::mkfifo(tree.Path("pipe.ild").toStdString().c_str(), 0644), 0);
    TLMDSearchFileGrep engine;
    Recorder recorder(engine, tree.Root());
    engine.SetDirs(tree.Root());
    engine.SetFileMasks("*.ild");
    engine.SetThreadedSearch(false);
    engine.SetSearchString("x");
    engine.Execute();
    EXPECT_TRUE(recorder.Only("found").empty());
    EXPECT_EQ(recorder.log.back(), "end");
}

} // namespace
