#pragma once

// Real files for the tests of the window's writing workflows (conversion and saving): ILDA
// fixtures made in code, byte-exact reads, a file size limit that makes writes fail for real,
// and a way to make the file code's report of a failure raise, which is how those tests reach
// a workflow's exception handler from inside the reader or the writer.

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QString>

#include <sys/resource.h>

#include <csignal>
#include <functional>
#include <stdexcept>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "platform/messagehook.h"
#include "tests/ilda/ildabuilder.h"

namespace flowfiles {

// Colour indices whose round trip through a palette (index -> colour -> nearest index)
// differs between the three palettes, so a written file shows which palette it went through.
inline const std::vector<uint16_t>& TellingColourIndices() {
    static const std::vector<uint16_t> indices = {1, 3, 58, 74, 85, 231, 255, 20};
    return indices;
}

// `frames` format-0 frames of `points` points each and the closing section; point p of frame
// f has colour index TellingColourIndices()[(f + p) % 8] and lies at (p * 16 - 512, f * 32, 0).
inline QByteArray IldaFile(int frames, int points) {
    IldaBuilder b;
    const std::vector<uint16_t>& colours = TellingColourIndices();
    for (int f = 0; f < frames; ++f) {
        b.Header(0, static_cast<uint16_t>(points), static_cast<uint16_t>(f),
                 static_cast<uint16_t>(frames));
        for (int p = 0; p < points; ++p)
            b.Point3D(static_cast<int16_t>(p * 16 - 512), static_cast<int16_t>(f * 32), 0,
                      colours[static_cast<size_t>(f + p) % colours.size()]);
    }
    b.End(static_cast<uint16_t>(frames));
    return QByteArray(reinterpret_cast<const char*>(b.Data().data()),
                      static_cast<qsizetype>(b.Size()));
}

inline void WriteFile(const QString& path, const QByteArray& bytes) {
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate)) << path.toStdString();
    ASSERT_EQ(file.write(bytes), bytes.size());
}

// The file's bytes; a null array when it cannot be read.
inline QByteArray ReadFile(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return file.readAll();
}

// A file that cannot be opened any more: a link to nothing in its place (as a file deleted or
// locked after a list showed it). Lists read afterwards need not show it.
inline void MakeUnopenable(const QString& path) {
    QFile::remove(path);
    ASSERT_TRUE(QFile::link(path + QStringLiteral(".gone"), path)) << path.toStdString();
}

// The names of the regular files of dir, sorted.
inline QStringList FilesIn(const QString& dir) {
    return QDir(dir).entryList(QDir::Files | QDir::Hidden | QDir::System, QDir::Name);
}

// The reader's report of a file it cannot open, and the writer's of one it cannot create (which
// the window shows with the file and the reason below it).
inline bool IsCannotOpen(const std::string& text) {
    return text.rfind("Cannot open Ilda file.", 0) == 0;
}

// While it lives, reports of the file code whose text `raises` accepts throw a
// std::runtime_error from the message box (after the window's dialogs have recorded them),
// so the exception starts inside CIlda::Load, CIlda::Save or SaveSceneFile.
class RaisingReports {
public:
    explicit RaisingReports(std::function<bool(const std::string& text)> raises) {
        previous_ = SetMessageHook([this, raises = std::move(raises)](const std::string& text,
                                                                      int type, unsigned buttons) {
            const int answer = previous_ ? previous_(text, type, buttons) : int{mrOk};
            if (raises(text)) {
                ++raised;
                throw std::runtime_error("message box failed");
            }
            return answer;
        });
    }
    ~RaisingReports() { SetMessageHook(previous_); }
    RaisingReports(const RaisingReports&) = delete;
    RaisingReports& operator=(const RaisingReports&) = delete;

    int raised = 0;

private:
    MessageHook previous_;
};

// While it lives, a report of the file code runs `during` (a look at the window while its
// workflow is in the middle of a file) before the window's dialogs answer it.
class DuringReports {
public:
    explicit DuringReports(std::function<void(const std::string& text)> during) {
        previous_ = SetMessageHook([this, during = std::move(during)](const std::string& text,
                                                                      int type, unsigned buttons) {
            during(text);
            return previous_ ? previous_(text, type, buttons) : int{mrOk};
        });
    }
    ~DuringReports() { SetMessageHook(previous_); }
    DuringReports(const DuringReports&) = delete;
    DuringReports& operator=(const DuringReports&) = delete;

private:
    MessageHook previous_;
};

// While it lives, this process may not make a file larger than `bytes`: a write past it fails
// with EFBIG instead of raising SIGXFSZ.
class FileSizeLimit {
public:
    explicit FileSizeLimit(rlim_t bytes) {
        ::getrlimit(RLIMIT_FSIZE, &previous_);
        previousHandler_ = std::signal(SIGXFSZ, SIG_IGN);
        struct rlimit limit = previous_;
        limit.rlim_cur = bytes;
        ::setrlimit(RLIMIT_FSIZE, &limit);
    }
    ~FileSizeLimit() {
        ::setrlimit(RLIMIT_FSIZE, &previous_);
        std::signal(SIGXFSZ, previousHandler_);
    }
    FileSizeLimit(const FileSizeLimit&) = delete;
    FileSizeLimit& operator=(const FileSizeLimit&) = delete;

private:
    struct rlimit previous_ {};
    void (*previousHandler_)(int) = SIG_DFL;
};

} // namespace flowfiles
