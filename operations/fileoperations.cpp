#include "operations/fileoperations.h"

#include <exception>
#include <new>

#include "ilda/cilda.h"
#include "model/cchannel.h"
#include "model/cframe.h"
#include "model/cpoly.h"
#include "model/cscene.h"
#include "model/cthing.h"
#include "scene/scenefile.h"
#include "settings/settings.h"

namespace {

// From the lengths of the lists, without walking the points.
long long PointsOf(const CChannel& channel) {
    long long points = 0;
    for (CFrame* frame = channel.FirstFrame(); frame != nullptr; frame = frame->Next(false)) {
        for (CThing* thing = frame->FirstThing(); thing != nullptr; thing = thing->Next(false)) {
            points += thing->VertexCount();
            for (CPoly* poly = thing->FirstPoly(); poly != nullptr; poly = poly->Next(false))
                points += poly->VertexCount();
        }
    }
    return points;
}

// Runs one write of a loaded file; the file code reports a failed write itself and gives its
// caller no reason, which the output file has kept.
template <typename Write> FileResult SaveStep(LoadedIlda& file, const Write& write) {
    FileResult result;
    result.step = FileStep::Save;
    result.frames = file.frames;
    result.points = file.points;
    try {
        ClearLastOutputFailure();
        if (write()) {
            result.outcome = FileOutcome::Written;
        } else {
            result.outcome = FileOutcome::WriteFailed;
            result.failure = LastOutputFailure();
        }
    } catch (const std::bad_alloc&) {
        // Nothing is written: the output is put in place only once complete.
        result.outcome = FileOutcome::NotEnoughMemory;
    } catch (const std::exception& e) {
        result.outcome = FileOutcome::Corrupt;
        result.detail = e.what();
    }
    return result;
}

} // namespace

LoadedIlda::LoadedIlda() = default;
LoadedIlda::~LoadedIlda() = default;

void LoadedIlda::Release() {
    channel = nullptr;
    frames = 0;
    points = 0;
    reader.reset();
    scene.reset();
}

FileResult LoadIldaFile(const std::string& name, int palette, const TSettings& defaults,
                        LoadedIlda& file) {
    FileResult result;
    file.Release();
    file.palette = palette;
    try {
        file.scene = std::make_unique<CScene>(defaults);
        file.reader = std::make_unique<CIlda>();
        file.channel = file.scene->AddChannel();
        const bool loaded = file.reader->Load(name, file.channel, palette);
        // The model holds everything loaded; the file's bytes would otherwise stay beside it
        // while it is shown or written.
        file.reader->ReleaseInput();
        if (!loaded)
            return result;
        result.outcome = FileOutcome::Loaded;
        file.frames = result.frames = file.channel->FrameCount();
        file.points = result.points = PointsOf(*file.channel);
    } catch (const std::bad_alloc&) {
        // What was loaded goes at once: memory, not the file, is at fault.
        file.Release();
        result.outcome = FileOutcome::NotEnoughMemory;
    } catch (const std::exception& e) {
        result.outcome = FileOutcome::Corrupt;
        result.detail = e.what();
    }
    return result;
}

FileResult SaveAsSceneFile(LoadedIlda& file, const std::string& target) {
    return SaveStep(file, [&] {
        file.channel->type = 1;
        return SaveSceneFile(file.scene.get(), target);
    });
}

FileResult SaveAsIldaFile(LoadedIlda& file, const std::string& target) {
    return SaveStep(file, [&] { return file.reader->Save(target, file.channel, file.palette); });
}

FileResult ConvertIldaFile(const std::string& source, const std::string& target, int palette,
                           const TSettings& defaults) {
    LoadedIlda file;
    const FileResult loaded = LoadIldaFile(source, palette, defaults, file);
    if (loaded.outcome != FileOutcome::Loaded)
        return loaded;
    return SaveAsSceneFile(file, target);
}
