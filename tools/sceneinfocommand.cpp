// scene-info: what a scene file holds, read back through the scene reader.
#include <cerrno>
#include <cinttypes>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <exception>
#include <memory>
#include <string>
#include <type_traits>
#include <vector>

#include "model/cchannel.h"
#include "model/cframe.h"
#include "model/cpoly.h"
#include "model/cscene.h"
#include "model/cthing.h"
#include "model/geometry.h"
#include "scene/scenefields.h"
#include "scene/scenefile.h"
#include "scene/settings.h"
#include "tools/commandregistry.h"

namespace {

void PrintHelp(FILE* out) {
    std::fprintf(out,
                 "usage: trellion-cli scene-info [--settings FILE] [--frame-limit N] FILE.scn...\n"
                 "\n"
                 "Reads each scene file (versions 1 to 7) and prints its scene record, its\n"
                 "channels, and per frame its things with their poly and vertex counts. Of the\n"
                 "settings fields, only those that differ from a new scene's or channel's are\n"
                 "shown.\n"
                 "\n"
                 "  --settings FILE    take the defaults compared against from FILE instead of\n"
                 "                     the show software's Tarvexa.ini\n"
                 "  --frame-limit N    read at most N frames per channel (0: all)\n"
                 "\n"
                 "Exit status: 0 all read, 1 any file failed, 2 usage error.\n");
}

template <class T> std::string Show(const char* name, const T& value) {
    char text[300];
    if constexpr (std::is_same_v<T, bool>) {
        return value ? "true" : "false";
    } else if constexpr (std::is_array_v<T>) {
        // Appended in place: GCC 12 at -O3 misreads the inlined operator+ chain as an
        // overlapping copy (-Wrestrict).
        std::string quoted(1, '"');
        quoted.append(value);
        quoted.push_back('"');
        return quoted;
    } else if constexpr (std::is_floating_point_v<T>) {
        std::snprintf(text, sizeof text, "%g", double(value));
    } else if constexpr (std::is_unsigned_v<T> && sizeof(T) == 4) {
        if (std::strstr(name, "colour") != nullptr)
            std::snprintf(text, sizeof text, "0x%08" PRIX32, uint32_t(value));
        else
            std::snprintf(text, sizeof text, "%" PRIu32, uint32_t(value));
    } else {
        std::snprintf(text, sizeof text, "%lld", static_cast<long long>(value));
    }
    return text;
}

// Prints the listed fields of `read` that differ from `fresh`, byte for byte.
template <class Object, class Walk>
void PrintDifferences(const Object& read, const Object& fresh, const char* what, Walk walk) {
    walk(SceneFileVersion, [&](const char* name, auto member) {
        const auto& a = read.*member;
        const auto& b = fresh.*member;
        using T = std::remove_cvref_t<decltype(a)>;
        bool same;
        if constexpr (std::is_array_v<T>)
            same = std::strcmp(a, b) == 0;
        else
            same = std::memcmp(&a, &b, sizeof a) == 0;
        if (!same)
            std::printf("  %s = %s (new %s: %s)\n", name, Show(name, a).c_str(), what,
                        Show(name, b).c_str());
        return true;
    });
}

void PrintMatrixIfMoved(const CMatrix& m, const CMatrix& fresh) {
    if (std::memcmp(m.rotation, fresh.rotation, sizeof m.rotation) == 0 &&
        m.translation.x == fresh.translation.x && m.translation.y == fresh.translation.y &&
        m.translation.z == fresh.translation.z)
        return;
    std::printf("  transform = [");
    for (int i = 0; i < 9; ++i)
        std::printf(i == 0 ? "%g" : " %g", double(m.rotation[i]));
    std::printf("] + (%g, %g, %g)\n", double(m.translation.x), double(m.translation.y),
                double(m.translation.z));
}

void PrintScene(const CScene& scene, const std::string& path, size_t bytes, int version) {
    CScene fresh(nullptr, nullptr);
    CChannel* freshChannel = fresh.AddChannel();

    std::printf("%s: scene file version %d, %zu bytes\n", path.c_str(), version, bytes);
    std::printf("scene: name \"%s\", %d channel%s, %zu value%s\n", scene.name.c_str(),
                scene.ChannelCount(), scene.ChannelCount() == 1 ? "" : "s", scene.value_list.size(),
                scene.value_list.size() == 1 ? "" : "s");
    PrintDifferences(scene, fresh, "scene",
                     [](int v, auto&& visit) { return ForEachSceneField(v, visit); });
    PrintMatrixIfMoved(scene.transform, fresh.transform);

    for (CChannel* c = scene.FirstChannel(); c != nullptr; c = c->Next(false)) {
        long long vertices = 0;
        for (CFrame* f = c->FirstFrame(); f != nullptr; f = f->Next(false)) {
            for (CThing* t = f->FirstThing(); t != nullptr; t = t->Next(false)) {
                vertices += t->VertexCount();
                for (CPoly* p = t->FirstPoly(); p != nullptr; p = p->Next(false))
                    vertices += p->VertexCount();
            }
        }
        std::printf("channel %d: %d frame%s, %zu beam%s, %lld vertices\n", c->Index(),
                    c->FrameCount(), c->FrameCount() == 1 ? "" : "s", c->beams.size(),
                    c->beams.size() == 1 ? "" : "s", vertices);
        PrintDifferences(*c, *freshChannel, "channel",
                         [](int v, auto&& visit) { return ForEachChannelField(v, visit); });
        PrintMatrixIfMoved(c->transform, freshChannel->transform);
        for (CFrame* f = c->FirstFrame(); f != nullptr; f = f->Next(false)) {
            std::printf("  frame %d: %d thing%s\n", f->Index(), f->ThingCount(),
                        f->ThingCount() == 1 ? "" : "s");
            for (CThing* t = f->FirstThing(); t != nullptr; t = t->Next(false)) {
                long long polyVertices = 0;
                for (CPoly* p = t->FirstPoly(); p != nullptr; p = p->Next(false))
                    polyVertices += p->VertexCount();
                std::printf("    thing %d: %d polys with %lld vertices, %d free vertices\n",
                            t->Index(), t->PolyCount(), polyVertices, t->VertexCount());
            }
        }
    }
}

bool ReadFileBytes(const std::string& path, std::vector<uint8_t>& bytes, std::string& error) {
    FILE* file = std::fopen(path.c_str(), "rb");
    if (file == nullptr) {
        error = std::strerror(errno);
        return false;
    }
    uint8_t block[1 << 16];
    size_t got;
    while ((got = std::fread(block, 1, sizeof block, file)) > 0)
        bytes.insert(bytes.end(), block, block + got);
    const bool ok = std::ferror(file) == 0;
    if (!ok)
        error = std::strerror(errno);
    std::fclose(file);
    return ok;
}

int RunSceneInfo(int argc, char** argv) {
    std::string settingsFile;
    bool haveSettings = false;
    int frameLimit = 0;
    std::vector<std::string> inputs;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg == "--help" || arg == "-h") {
            PrintHelp(stdout);
            return 0;
        }
        if (arg == "--settings" || arg == "--frame-limit") {
            if (i + 1 >= argc) {
                std::fprintf(stderr, "trellion-cli scene-info: %s needs a value\n", arg.c_str());
                return 2;
            }
            const std::string value = argv[++i];
            if (arg == "--settings") {
                settingsFile = value;
                haveSettings = true;
            } else {
                char* end = nullptr;
                const long n = std::strtol(value.c_str(), &end, 10);
                if (value.empty() || *end != '\0' || n < 0 || n > INT32_MAX) {
                    std::fprintf(stderr, "trellion-cli scene-info: bad frame limit '%s'\n",
                                 value.c_str());
                    return 2;
                }
                frameLimit = static_cast<int>(n);
            }
            continue;
        }
        if (arg.size() > 1 && arg[0] == '-') {
            std::fprintf(stderr, "trellion-cli scene-info: unknown option %s\n", arg.c_str());
            return 2;
        }
        inputs.push_back(arg);
    }
    if (inputs.empty()) {
        PrintHelp(stderr);
        return 2;
    }

    if (haveSettings)
        LoadSettings(settingsFile);
    else
        LoadSettings();
    FillAngleTables();

    int failed = 0;
    for (const std::string& path : inputs) {
        std::vector<uint8_t> bytes;
        std::string error;
        try {
            if (!ReadFileBytes(path, bytes, error)) {
                std::fprintf(stderr, "trellion-cli scene-info: %s: %s\n", path.c_str(),
                             error.c_str());
                ++failed;
                continue;
            }
            auto scene = std::make_unique<CScene>(nullptr, nullptr);
            if (!LoadSceneFile(std::span<const uint8_t>(bytes), scene.get(), frameLimit, &error)) {
                std::fprintf(stderr, "trellion-cli scene-info: %s: %s\n", path.c_str(),
                             error.c_str());
                ++failed;
                continue;
            }
            PrintScene(*scene, path, bytes.size(), SceneFileVersionOf(bytes));
        } catch (const std::exception& e) {
            std::fprintf(stderr, "trellion-cli scene-info: %s: %s\n", path.c_str(), e.what());
            ++failed;
        }
    }
    return failed == 0 ? 0 : 1;
}

const CommandRegistration registration("scene-info",
                                       "print the channels, frames and settings of scene files",
                                       &RunSceneInfo);

} // namespace
