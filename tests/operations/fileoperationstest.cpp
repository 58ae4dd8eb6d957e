// The per-file operations the window and trellion-cli share: what each gives back, what it
// reports, and the bytes it leaves on disk.

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include <atomic>
#include <cerrno>
#include <cstdlib>
#include <malloc.h>
#include <new>
#include <stdexcept>
#include <string>
#include <sys/stat.h>
#include <vector>

#include "ilda/cilda.h"
#include "model/cchannel.h"
#include "model/cscene.h"
#include "model/geometry.h"
#include "operations/fileoperations.h"
#include "platform/messagehook.h"
#include "scene/scenefile.h"
#include "settings/settings.h"
#include "tests/ilda/ildabuilder.h"
#include "tests/platform/unprivileged.h"

// The replacement operator new pairs malloc with free; GCC cannot see that through the inlined
// library code and would warn at every delete.
#if defined(__GNUC__) && !defined(__clang__)
#pragma GCC diagnostic ignored "-Wmismatched-new-delete"
#endif

// Counts the heap bytes alive; while armed, the allocation past a budget of allocations throws
// std::bad_alloc and disarms, as memory running out would.
namespace {
std::atomic<long long> liveHeapBytes{0};
std::atomic<bool> budgetArmed{false};
std::atomic<long long> budgetLeft{0};
} // namespace

void* operator new(std::size_t size) {
    if (budgetArmed.load(std::memory_order_relaxed) &&
        budgetLeft.fetch_sub(1, std::memory_order_relaxed) <= 0) {
        budgetArmed.store(false);
        throw std::bad_alloc();
    }
    void* p = std::malloc(size == 0 ? 1 : size);
    if (p == nullptr)
        throw std::bad_alloc();
    liveHeapBytes.fetch_add(static_cast<long long>(::malloc_usable_size(p)));
    return p;
}
void operator delete(void* p) noexcept {
    if (p != nullptr)
        liveHeapBytes.fetch_sub(static_cast<long long>(::malloc_usable_size(p)));
    std::free(p);
}
void operator delete(void* p, std::size_t) noexcept {
    operator delete(p);
}
void* operator new[](std::size_t size) {
    return operator new(size);
}
void operator delete[](void* p) noexcept {
    operator delete(p);
}
void operator delete[](void* p, std::size_t) noexcept {
    operator delete(p);
}
void* operator new(std::size_t size, const std::nothrow_t&) noexcept {
    try {
        return operator new(size);
    } catch (const std::bad_alloc&) {
        return nullptr;
    }
}
void* operator new[](std::size_t size, const std::nothrow_t&) noexcept {
    return operator new(size, std::nothrow);
}
void operator delete(void* p, const std::nothrow_t&) noexcept {
    operator delete(p);
}
void operator delete[](void* p, const std::nothrow_t&) noexcept {
    operator delete(p);
}

namespace {

std::vector<uint8_t> Bytes(const std::string& path) {
    QFile file(QString::fromStdString(path));
    if (!file.open(QIODevice::ReadOnly))
        return {};
    const QByteArray data = file.readAll();
    return {data.begin(), data.end()};
}

bool Exists(const std::string& path) {
    struct stat st {};
    return ::lstat(path.c_str(), &st) == 0;
}

void Write(const std::string& path, const std::vector<uint8_t>& bytes) {
    QFile file(QString::fromStdString(path));
    ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate)) << path;
    ASSERT_EQ(
        file.write(reinterpret_cast<const char*>(bytes.data()), static_cast<qint64>(bytes.size())),
        static_cast<qint64>(bytes.size()));
}

// Three frames of 10, 20 and 30 points, colour indices that differ between the palettes.
std::vector<uint8_t> ShowFile() {
    IldaBuilder b;
    b.Frame3D(10, 0, 3).Frame3D(20, 1, 3).Frame3D(30, 2, 3).End(3);
    return b.Data();
}

// Bytes the reader passes over whole: loads, as one empty frame.
std::vector<uint8_t> NotIlda() {
    return std::vector<uint8_t>(4096, 0x5A);
}

// The scene file the batch conversion has always written for a file: the reader into a fresh
// scene's channel, channel type 1, the scene writer.
std::vector<uint8_t> ReferenceSceneBytes(const std::string& source, int palette,
                                         const std::string& scratch) {
    CScene scene(DefaultSettings());
    CChannel* channel = scene.AddChannel();
    CIlda reader;
    if (!reader.Load(source, channel, palette))
        return {};
    channel->type = 1;
    if (!SaveSceneFile(&scene, scratch))
        return {};
    return Bytes(scratch);
}

// The ILDA file a re-save has always written: the reader's own bytes for the loaded channel.
std::vector<uint8_t> ReferenceIldaBytes(const std::string& source, int palette) {
    CScene scene(DefaultSettings());
    CChannel* channel = scene.AddChannel();
    CIlda reader;
    if (!reader.Load(source, channel, palette))
        return {};
    return reader.SaveBytes(channel, palette);
}

FileResult Resave(const std::string& source, const std::string& target, int palette) {
    LoadedIlda file;
    const FileResult loaded = LoadIldaFile(source, palette, DefaultSettings(), file);
    if (loaded.outcome != FileOutcome::Loaded)
        return loaded;
    return SaveAsIldaFile(file, target);
}

// Every report of the file code while it lives, answered with OK; with `raise`, the report is
// thrown as a std::runtime_error from the message box instead, so the exception starts inside
// the file code.
class Reports {
public:
    explicit Reports(bool raise = false)
        : previous(SetMessageHook([this, raise](const std::string& text, int, unsigned) {
              texts.push_back(text);
              if (raise)
                  throw std::runtime_error("raised: " + text);
              return int{mrOk};
          })) {}
    ~Reports() { SetMessageHook(previous); }
    Reports(const Reports&) = delete;
    Reports& operator=(const Reports&) = delete;

    std::vector<std::string> texts;

private:
    MessageHook previous;
};

class FileOperationsTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() { FillAngleTables(); }
    void SetUp() override { ASSERT_TRUE(dir.isValid()); }

    std::string Path(const char* name) const { return dir.filePath(name).toStdString(); }

    QTemporaryDir dir;
};

enum class Op { Convert, Resave };
enum class Source { Show, NotIlda, Missing, Directory };
enum class Target { Fresh, Existing, Directory, MissingFolder };

struct OperationCase {
    const char* name;
    Op op;
    Source source;
    Target target;
    int palette;
    FileOutcome outcome;
    FileStep step;
    int frames;
    long long points;
    const char* report; // the file code's one report, "" for none
    bool destination;   // WriteFailed: the destination at fault
    int error;          // WriteFailed: the output file's error number
};

const OperationCase operationCases[] = {
    {"ConvertShow", Op::Convert, Source::Show, Target::Fresh, 1, FileOutcome::Written,
     FileStep::Save, 3, 60, "", false, 0},
    {"ConvertReplacesExisting", Op::Convert, Source::Show, Target::Existing, 0,
     FileOutcome::Written, FileStep::Save, 3, 60, "", false, 0},
    {"ConvertNoPoints", Op::Convert, Source::NotIlda, Target::Fresh, 1, FileOutcome::Written,
     FileStep::Save, 1, 0, "", false, 0},
    {"ConvertMissingKeepsExisting", Op::Convert, Source::Missing, Target::Existing, 1,
     FileOutcome::Unreadable, FileStep::Load, 0, 0, "Cannot open Ilda file.", false, 0},
    {"ConvertDirectorySource", Op::Convert, Source::Directory, Target::Fresh, 1,
     FileOutcome::Unreadable, FileStep::Load, 0, 0, "Cannot open Ilda file.", false, 0},
    {"ConvertIntoDirectory", Op::Convert, Source::Show, Target::Directory, 1,
     FileOutcome::WriteFailed, FileStep::Save, 3, 60, "Cannot save file.", false, EISDIR},
    {"ConvertIntoMissingFolder", Op::Convert, Source::Show, Target::MissingFolder, 1,
     FileOutcome::WriteFailed, FileStep::Save, 3, 60, "Cannot save file.", true, ENOENT},
    {"ResaveShowPangolin", Op::Resave, Source::Show, Target::Fresh, 0, FileOutcome::Written,
     FileStep::Save, 3, 60, "", false, 0},
    {"ResaveShowX29", Op::Resave, Source::Show, Target::Existing, 2, FileOutcome::Written,
     FileStep::Save, 3, 60, "", false, 0},
    {"ResaveNoPoints", Op::Resave, Source::NotIlda, Target::Fresh, 1, FileOutcome::Written,
     FileStep::Save, 1, 0, "", false, 0},
    {"ResaveMissingKeepsExisting", Op::Resave, Source::Missing, Target::Existing, 1,
     FileOutcome::Unreadable, FileStep::Load, 0, 0, "Cannot open Ilda file.", false, 0},
    {"ResaveIntoDirectory", Op::Resave, Source::Show, Target::Directory, 1,
     FileOutcome::WriteFailed, FileStep::Save, 3, 60, "Cannot open Ilda file.", false, EISDIR},
    {"ResaveIntoMissingFolder", Op::Resave, Source::Show, Target::MissingFolder, 1,
     FileOutcome::WriteFailed, FileStep::Save, 3, 60, "Cannot open Ilda file.", true, ENOENT},
};

// Each operation gives what happened and what was loaded; a written file holds the bytes the
// file code has always written for it, and a failed one leaves the target as it was.
TEST_F(FileOperationsTest, ResultsReportsAndBytes) {
    const std::vector<uint8_t> previous = {'k', 'e', 'e', 'p'};
    for (const OperationCase& c : operationCases) {
        SCOPED_TRACE(c.name);
        const std::string source = Path(c.name) + ".ild";
        switch (c.source) {
        case Source::Show:
            Write(source, ShowFile());
            break;
        case Source::NotIlda:
            Write(source, NotIlda());
            break;
        case Source::Missing:
            break;
        case Source::Directory:
            ASSERT_TRUE(QDir().mkpath(QString::fromStdString(source)));
            break;
        }
        std::string target = Path(c.name) + (c.op == Op::Convert ? ".scn" : ".out.ild");
        if (c.target == Target::Existing)
            Write(target, previous);
        else if (c.target == Target::Directory)
            ASSERT_TRUE(QDir().mkpath(QString::fromStdString(target)));
        else if (c.target == Target::MissingFolder)
            target = Path(c.name) + "-gone/" + c.name + ".out";

        FileResult result;
        std::vector<std::string> reports;
        {
            Reports hook;
            result = c.op == Op::Convert
                         ? ConvertIldaFile(source, target, c.palette, DefaultSettings())
                         : Resave(source, target, c.palette);
            reports = hook.texts;
        }
        EXPECT_EQ(result.outcome, c.outcome);
        EXPECT_EQ(result.step, c.step);
        EXPECT_EQ(result.frames, c.frames);
        EXPECT_EQ(result.points, c.points);
        EXPECT_EQ(result.NoPoints(), c.source == Source::NotIlda);
        EXPECT_EQ(result.Succeeded(), c.outcome == FileOutcome::Written);
        if (*c.report == '\0') {
            EXPECT_TRUE(reports.empty());
        } else {
            ASSERT_EQ(reports.size(), 1u);
            EXPECT_EQ(reports.front().rfind(c.report, 0), 0u) << reports.front();
        }
        EXPECT_EQ(result.failure.destination, c.destination);
        EXPECT_EQ(result.failure.error, c.error);

        if (c.outcome == FileOutcome::Written) {
            const std::vector<uint8_t> expected =
                c.op == Op::Convert ? ReferenceSceneBytes(source, c.palette, Path("reference.scn"))
                                    : ReferenceIldaBytes(source, c.palette);
            ASSERT_FALSE(expected.empty());
            EXPECT_EQ(Bytes(target), expected);
        } else if (c.target == Target::Existing) {
            EXPECT_EQ(Bytes(target), previous);
        } else if (c.target != Target::Directory) {
            EXPECT_FALSE(Exists(target));
        }
    }
}

// A folder the user may not write to fails the destination, with its reason; nothing appears
// there. Run as an ordinary user, since permissions do not hold root back.
TEST_F(FileOperationsTest, AReadOnlyFolderFailsTheDestination) {
    const std::string source = Path("show.ild");
    Write(source, ShowFile());
    const std::string folder = Path("locked");
    ASSERT_TRUE(QDir().mkpath(QString::fromStdString(folder)));
    ASSERT_EQ(::chmod(dir.path().toStdString().c_str(), 0755), 0);
    ASSERT_EQ(::chmod(source.c_str(), 0644), 0);
    ASSERT_EQ(::chmod(folder.c_str(), 0555), 0);
    struct Row {
        const char* name;
        Op op;
    };
    for (const Row row : {Row{"Convert", Op::Convert}, Row{"Resave", Op::Resave}}) {
        SCOPED_TRACE(row.name);
        const std::string target = folder + (row.op == Op::Convert ? "/show.scn" : "/show.ild");
        // 0 when the result is as it should be; otherwise which part is not.
        const int status = RunAsOrdinaryUser([&] {
            Reports hook;
            const FileResult result = row.op == Op::Convert
                                          ? ConvertIldaFile(source, target, 1, DefaultSettings())
                                          : Resave(source, target, 1);
            if (result.outcome != FileOutcome::WriteFailed || result.step != FileStep::Save)
                return 1;
            if (!result.failure.destination || result.failure.error != EACCES)
                return 2;
            if (hook.texts.size() != 1)
                return 3;
            return Exists(target) ? 4 : 0;
        });
        EXPECT_EQ(status, 0) << "1: outcome; 2: not the destination's EACCES; 3: reports; "
                                "4: a file written";
    }
}

// An exception out of the file code (here thrown by the message box it reports through) is a
// corrupt file at the step it came from, with its text; nothing is written.
TEST_F(FileOperationsTest, AnExceptionIsACorruptFileAtItsStep) {
    const std::string show = Path("show.ild");
    Write(show, ShowFile());
    const std::string busy = Path("busy.scn");
    ASSERT_TRUE(QDir().mkpath(QString::fromStdString(busy)));
    struct Row {
        const char* name;
        std::string source;
        std::string target;
        FileStep step;
        const char* detail;
    };
    const Row rows[] = {
        {"WhileLoading", Path("missing.ild"), Path("missing.scn"), FileStep::Load,
         "raised: Cannot open Ilda file."},
        {"WhileSaving", show, busy, FileStep::Save, "raised: Cannot save file."},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        Reports raising(true);
        const FileResult result = ConvertIldaFile(row.source, row.target, 1, DefaultSettings());
        EXPECT_EQ(result.outcome, FileOutcome::Corrupt);
        EXPECT_EQ(result.step, row.step);
        EXPECT_EQ(result.detail.rfind(row.detail, 0), 0u) << result.detail;
        EXPECT_FALSE(result.Succeeded());
    }
    EXPECT_FALSE(Exists(Path("missing.scn")));
    EXPECT_TRUE(QFileInfo(QString::fromStdString(busy)).isDir());
}

// Memory running out is told apart from the file's faults, at the step it happened in; after
// a failed load nothing of the file is held, and nothing is written.
TEST_F(FileOperationsTest, RunningOutOfMemoryIsNotEnoughMemoryAtItsStep) {
    const std::string source = Path("show.ild");
    Write(source, ShowFile());
    // Each frame is a few objects of the model: the budget runs out part way through.
    IldaBuilder many;
    for (uint16_t f = 0; f < 40; ++f)
        many.Frame3D(5, f, 40);
    const std::string manyFrames = Path("many.ild");
    Write(manyFrames, many.End(40).Data());
    struct Row {
        const char* name;
        long long budget; // allocations allowed once armed
    };
    for (const Row row : {Row{"FirstAllocation", 0}, Row{"PartWay", 40}}) {
        SCOPED_TRACE(row.name);
        LoadedIlda file;
        budgetLeft = row.budget;
        budgetArmed = true;
        const FileResult result = LoadIldaFile(manyFrames, 1, DefaultSettings(), file);
        const bool ranOut = !budgetArmed;
        budgetArmed = false;
        ASSERT_TRUE(ranOut) << "the load did not run out of memory";
        EXPECT_EQ(result.outcome, FileOutcome::NotEnoughMemory);
        EXPECT_EQ(result.step, FileStep::Load);
        EXPECT_EQ(file.scene, nullptr);
        EXPECT_EQ(file.channel, nullptr);
        EXPECT_EQ(file.reader, nullptr);
    }

    struct SaveRow {
        const char* name;
        Op op;
    };
    for (const SaveRow row :
         {SaveRow{"SavingAScene", Op::Convert}, SaveRow{"SavingAnIldaFile", Op::Resave}}) {
        SCOPED_TRACE(row.name);
        const std::string target = Path(row.name);
        LoadedIlda file;
        ASSERT_EQ(LoadIldaFile(source, 1, DefaultSettings(), file).outcome, FileOutcome::Loaded);
        budgetLeft = 0;
        budgetArmed = true;
        const FileResult result =
            row.op == Op::Convert ? SaveAsSceneFile(file, target) : SaveAsIldaFile(file, target);
        const bool ranOut = !budgetArmed;
        budgetArmed = false;
        ASSERT_TRUE(ranOut) << "the save did not run out of memory";
        EXPECT_EQ(result.outcome, FileOutcome::NotEnoughMemory);
        EXPECT_EQ(result.step, FileStep::Save);
        EXPECT_EQ(result.frames, 3);
        EXPECT_FALSE(Exists(target));
    }
}

// The file's bytes are let go of once the model holds them: a large file that gives one empty
// frame leaves almost nothing on the heap, not the file.
TEST_F(FileOperationsTest, TheLoadLetsGoOfTheFileBytes) {
    constexpr long long fileBytes = 4 << 20;
    const std::string source = Path("large.ild");
    Write(source, std::vector<uint8_t>(static_cast<size_t>(fileBytes), 0x5A));
    LoadedIlda file;
    const long long before = liveHeapBytes.load();
    const FileResult result = LoadIldaFile(source, 1, DefaultSettings(), file);
    const long long held = liveHeapBytes.load() - before;
    ASSERT_EQ(result.outcome, FileOutcome::Loaded);
    EXPECT_EQ(result.frames, 1);
    EXPECT_LT(held, fileBytes / 16);
    // Saving does not need them back.
    EXPECT_EQ(SaveAsSceneFile(file, Path("large.scn")).outcome, FileOutcome::Written);
}

} // namespace
