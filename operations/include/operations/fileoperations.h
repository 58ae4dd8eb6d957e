#pragma once

#include <memory>
#include <string>

#include "platform/outputfile.h"

class CChannel;
class CIlda;
class CScene;
struct TSettings;

// What became of an operation on one file.
enum class FileOutcome {
    Loaded,          // LoadIldaFile: the channel holds the file
    Written,         // the output file is in place, complete
    Unreadable,      // the file could not be opened or read; the reader has reported it
    NotEnoughMemory, // memory ran out; nothing was written, nothing reported
    WriteFailed,     // the writer could not write the output; it has reported it
    Corrupt,         // the file code threw (other than for memory); nothing was written
};

// The step an operation was at when it ended.
enum class FileStep { Load, Save };

struct FileResult {
    FileOutcome outcome = FileOutcome::Unreadable;
    FileStep step = FileStep::Load;
    // Of the loaded channel, once the load has got through (step Save, or Loaded); 0 otherwise.
    int frames = 0;
    long long points = 0;
    // Corrupt: what the exception said.
    std::string detail;
    // WriteFailed: what the output file met (error 0 when the writer failed before or after
    // the file, as for a frame of too many points).
    COutputFailure failure;

    [[nodiscard]] bool Succeeded() const {
        return outcome == FileOutcome::Loaded || outcome == FileOutcome::Written;
    }
    // The file loaded yet gave no point at all (empty, not ILDA, or only sections the reader
    // passes over): it still counts as loaded, as one empty frame, and is saved as such.
    [[nodiscard]] bool NoPoints() const {
        return (outcome == FileOutcome::Loaded || step == FileStep::Save) && points == 0;
    }
};

// The objects one file is loaded into: a scene of its own with one channel, and the reader
// (which also writes a re-saved copy). They serve that file only.
struct LoadedIlda {
    std::unique_ptr<CScene> scene;
    CChannel* channel = nullptr;
    std::unique_ptr<CIlda> reader;
    int palette = 0;
    // What the load gave, which the saves report again without counting it twice.
    int frames = 0;
    long long points = 0;

    LoadedIlda();
    ~LoadedIlda();
    LoadedIlda(const LoadedIlda&) = delete;
    LoadedIlda& operator=(const LoadedIlda&) = delete;

    // Lets go of the model and the reader.
    void Release();
};

// Loads the ILDA file `name` (its bytes as the file system gave them) into fresh objects in
// `file`, with palette `palette` (0-2), the new scene and channel taking their defaults from
// `defaults` (which must outlive `file`), as every workflow loads a file: afterwards the reader
// has let go of the file's bytes, so that they are not held beside the model while it is shown
// or written. Gives Loaded with the frames and points, or Unreadable (the reader reported it
// through the message hook; the channel holds one empty frame), NotEnoughMemory (`file` is
// released) or Corrupt. The message hook is left as it is: each caller shows the reports its
// own way.
[[nodiscard]] FileResult LoadIldaFile(const std::string& name, int palette,
                                      const TSettings& defaults, LoadedIlda& file);

// Writes a file loaded by LoadIldaFile as the scene file `target`, its channel made of type 1,
// as the batch conversion makes it. Gives Written, WriteFailed (the writer reported "Cannot save
// file."), NotEnoughMemory or Corrupt, each at step Save with the loaded frames and points.
[[nodiscard]] FileResult SaveAsSceneFile(LoadedIlda& file, const std::string& target);

// Writes a file loaded by LoadIldaFile again as the ILDA file `target` with the palette it was
// loaded with. Gives Written, WriteFailed (the reader reported "Cannot open Ilda file."),
// NotEnoughMemory or Corrupt, each at step Save with the loaded frames and points.
[[nodiscard]] FileResult SaveAsIldaFile(LoadedIlda& file, const std::string& target);

// LoadIldaFile, then SaveAsSceneFile when it loaded: a file that could not be read writes
// nothing. Everything is let go before it returns.
[[nodiscard]] FileResult ConvertIldaFile(const std::string& source, const std::string& target,
                                         int palette, const TSettings& defaults);
