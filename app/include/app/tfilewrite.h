#pragma once

#include <QString>

#include <functional>
#include <string>
#include <vector>

#include "platform/outputfile.h"

// One write of the file code (SaveSceneFile, CIlda::Save) made by a workflow of the window.
//
// The file code reports a failed write with a fixed text ("Cannot save file.") that names
// neither the file nor the reason. While Run runs, the file code's reports are held back; after
// a failure Report shows one box: that text, the file and the reason the output file met, and
// the workflow learns whether the destination is at fault (it cannot be written, or has no
// room), in which case every further file there would fail alike and the workflow ends.
class TFileWrite {
public:
    explicit TFileWrite(QString target) : target(std::move(target)) {}

    // Runs write (the file code's call for target) and returns its result. Reports the file
    // code makes meanwhile are held back; after a success they are shown as they came.
    bool Run(const std::function<bool()>& write);

    // After a failed Run: whether the destination, not the file, is at fault.
    [[nodiscard]] bool DestinationFailed() const { return failure.destination; }
    // After a failed Run: the system's error number, 0 when the write failed for another reason.
    [[nodiscard]] int Error() const { return failure.error; }

    // The box of a failed Run: the file code's report, a blank line, the target as the lists
    // show it and the reason; then `ending` after a blank line when it is not empty.
    [[nodiscard]] QString ReportText(const QString& ending) const;
    // Shows ReportText(ending) through ShowThemedMessage with the report's type and buttons
    // (an error with OK when the file code reported nothing).
    void Report(const QString& ending) const;

private:
    struct THeld {
        std::string text;
        int type;
        unsigned buttons;
    };

    QString target;
    std::vector<THeld> held;
    COutputFailure failure;
};
