// scene-info: what a scene file holds, read back through the scene reader.
#include <cerrno>
#include <cinttypes>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <exception>
#include <memory>
#include <new>
#include <string>
#include <type_traits>
#include <vector>

#include <QByteArray>
#include <QJsonArray>
#include <QJsonObject>
#include <QJsonValue>

#include "model/cchannel.h"
#include "model/cframe.h"
#include "model/cpoly.h"
#include "model/cscene.h"
#include "model/cthing.h"
#include "model/geometry.h"
#include "scene/scenefields.h"
#include "scene/scenefile.h"
#include "settings/settings.h"
#include "tools/commandregistry.h"
#include "tools/jsonoutput.h"
#include "tools/outofmemory.h"

namespace {

CommandSpec DescribeSceneInfo() {
    CommandSpec spec;
    spec.usage = "usage: trellion-cli scene-info [--settings FILE] [--frame-limit N] [--json]\n"
                 "                             FILE.scn...\n";
    spec.description =
        "Reads each scene file (versions 1 to 7) and prints its scene record, its\n"
        "channels, and per frame its things with their poly and vertex counts. Of the\n"
        "settings fields, only those that differ from a new scene's or channel's are\n"
        "shown.\n";
    spec.options = {
        Valued({"settings"}, "FILE",
               "take the defaults compared against from FILE instead of\n"
               "the show software's Tarvexa.ini",
               {}, FilesNamed("ini")),
        Valued({"frame-limit"}, "N", "read at most N frames per channel (0: all)", "0"),
        Flag({"json"}, "print one JSON document with the same facts instead:\n"
                       "{\"files\": [{\"file\", \"version\", \"bytes\", \"scene\",\n"
                       "\"channels\"}, ...]}, a file that failed as\n"
                       "{\"file\", \"error\"}. The README lists every key."),
    };
    spec.closing = "Exit status: 0 all read, 1 any file failed, 2 usage error.\n";
    spec.helpColumn = 21;
    spec.operands = {FilesNamed("scn")};
    return spec;
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

// Calls report(name, readValue, freshValue) for each listed field of `read` that differs from
// `fresh`, byte for byte.
template <class Object, class Walk, class Report>
void ForEachDifference(const Object& read, const Object& fresh, Walk walk, Report report) {
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
            report(name, a, b);
        return true;
    });
}

constexpr auto kSceneFields = [](int v, auto&& visit) { return ForEachSceneField(v, visit); };
constexpr auto kChannelFields = [](int v, auto&& visit) { return ForEachChannelField(v, visit); };

template <class Object, class Walk>
void PrintDifferences(const Object& read, const Object& fresh, const char* what, Walk walk) {
    ForEachDifference(read, fresh, walk, [&](const char* name, const auto& a, const auto& b) {
        std::printf("  %s = %s (new %s: %s)\n", name, Show(name, a).c_str(), what,
                    Show(name, b).c_str());
    });
}

bool IsMoved(const CMatrix& m, const CMatrix& fresh) {
    return std::memcmp(m.rotation, fresh.rotation, sizeof m.rotation) != 0 ||
           m.translation.x != fresh.translation.x || m.translation.y != fresh.translation.y ||
           m.translation.z != fresh.translation.z;
}

void PrintMatrixIfMoved(const CMatrix& m, const CMatrix& fresh) {
    if (!IsMoved(m, fresh))
        return;
    std::printf("  transform = [");
    for (int i = 0; i < 9; ++i)
        std::printf(i == 0 ? "%g" : " %g", double(m.rotation[i]));
    std::printf("] + (%g, %g, %g)\n", double(m.translation.x), double(m.translation.y),
                double(m.translation.z));
}

long long PolyVertices(const CThing& t) {
    long long vertices = 0;
    for (CPoly* p = t.FirstPoly(); p != nullptr; p = p->Next(false))
        vertices += p->VertexCount();
    return vertices;
}

long long ChannelVertices(const CChannel& c) {
    long long vertices = 0;
    for (CFrame* f = c.FirstFrame(); f != nullptr; f = f->Next(false))
        for (CThing* t = f->FirstThing(); t != nullptr; t = t->Next(false))
            vertices += t->VertexCount() + PolyVertices(*t);
    return vertices;
}

void PrintScene(const CScene& scene, const std::string& path, size_t bytes, int version) {
    CScene fresh(Settings);
    CChannel* freshChannel = fresh.AddChannel();

    std::printf("%s: scene file version %d, %zu bytes\n", path.c_str(), version, bytes);
    std::printf("scene: name \"%s\", %d channel%s, %zu value%s\n", scene.name.c_str(),
                scene.ChannelCount(), scene.ChannelCount() == 1 ? "" : "s", scene.value_list.size(),
                scene.value_list.size() == 1 ? "" : "s");
    PrintDifferences(scene, fresh, "scene", kSceneFields);
    PrintMatrixIfMoved(scene.transform, fresh.transform);

    for (CChannel* c = scene.FirstChannel(); c != nullptr; c = c->Next(false)) {
        std::printf("channel %d: %d frame%s, %zu beam%s, %lld vertices\n", c->Index(),
                    c->FrameCount(), c->FrameCount() == 1 ? "" : "s", c->beams.size(),
                    c->beams.size() == 1 ? "" : "s", ChannelVertices(*c));
        PrintDifferences(*c, *freshChannel, "channel", kChannelFields);
        PrintMatrixIfMoved(c->transform, freshChannel->transform);
        for (CFrame* f = c->FirstFrame(); f != nullptr; f = f->Next(false)) {
            std::printf("  frame %d: %d thing%s\n", f->Index(), f->ThingCount(),
                        f->ThingCount() == 1 ? "" : "s");
            for (CThing* t = f->FirstThing(); t != nullptr; t = t->Next(false))
                std::printf("    thing %d: %d polys with %lld vertices, %d free vertices\n",
                            t->Index(), t->PolyCount(), PolyVertices(*t), t->VertexCount());
        }
    }
}

template <class T> QJsonValue JsonOf(const T& value) {
    if constexpr (std::is_same_v<T, bool>)
        return value;
    else if constexpr (std::is_array_v<T>)
        return JsonText(QByteArray(value));
    else
        return static_cast<double>(value);
}

template <class Object, class Walk>
QJsonObject JsonDifferences(const Object& read, const Object& fresh, Walk walk) {
    QJsonObject settings;
    ForEachDifference(read, fresh, walk, [&](const char* name, const auto& a, const auto& b) {
        settings.insert(QString::fromLatin1(name),
                        QJsonObject{{"value", JsonOf(a)}, {"new", JsonOf(b)}});
    });
    return settings;
}

void AddMatrixIfMoved(QJsonObject& object, const CMatrix& m, const CMatrix& fresh) {
    if (!IsMoved(m, fresh))
        return;
    QJsonArray rotation;
    for (float r : m.rotation)
        rotation.append(double(r));
    object.insert("transform", QJsonObject{{"rotation", rotation},
                                           {"translation", QJsonArray{double(m.translation.x),
                                                                      double(m.translation.y),
                                                                      double(m.translation.z)}}});
}

QJsonObject SceneJson(const CScene& scene, size_t bytes, int version) {
    CScene fresh(Settings);
    CChannel* freshChannel = fresh.AddChannel();

    QJsonObject sceneRecord{{"name", JsonText(QByteArray::fromStdString(scene.name))},
                            {"channels", scene.ChannelCount()},
                            {"values", static_cast<double>(scene.value_list.size())},
                            {"settings", JsonDifferences(scene, fresh, kSceneFields)}};
    AddMatrixIfMoved(sceneRecord, scene.transform, fresh.transform);

    QJsonArray channels;
    for (CChannel* c = scene.FirstChannel(); c != nullptr; c = c->Next(false)) {
        QJsonArray frames;
        for (CFrame* f = c->FirstFrame(); f != nullptr; f = f->Next(false)) {
            QJsonArray things;
            for (CThing* t = f->FirstThing(); t != nullptr; t = t->Next(false))
                things.append(QJsonObject{{"index", t->Index()},
                                          {"polys", t->PolyCount()},
                                          {"poly_vertices", static_cast<double>(PolyVertices(*t))},
                                          {"free_vertices", t->VertexCount()}});
            frames.append(QJsonObject{{"index", f->Index()}, {"things", things}});
        }
        QJsonObject channel{{"index", c->Index()},
                            {"frame_count", c->FrameCount()},
                            {"beams", static_cast<double>(c->beams.size())},
                            {"vertices", static_cast<double>(ChannelVertices(*c))},
                            {"settings", JsonDifferences(*c, *freshChannel, kChannelFields)},
                            {"frames", frames}};
        AddMatrixIfMoved(channel, c->transform, freshChannel->transform);
        channels.append(channel);
    }
    return QJsonObject{{"version", version},
                       {"bytes", static_cast<double>(bytes)},
                       {"scene", sceneRecord},
                       {"channels", channels}};
}

int RunSceneInfo(const CommandLine& line) {
    const bool json = line.IsSet("json");
    const std::string limit = line.Value("frame-limit");
    char* end = nullptr;
    const long n = std::strtol(limit.c_str(), &end, 10);
    if (limit.empty() || *end != '\0' || n < 0 || n > INT32_MAX)
        return line.Fail("bad frame limit '" + limit + "'");
    const int frameLimit = static_cast<int>(n);
    const std::vector<std::string>& inputs = line.Operands();
    if (inputs.empty())
        return line.Fail("no file given", true);

    if (line.IsSet("settings"))
        LoadSettings(line.Value("settings"));
    else
        LoadSettings();
    FillAngleTables();

    int failed = 0;
    QJsonArray files;
    const auto fail = [&](const std::string& path, const std::string& error) {
        std::fprintf(stderr, "trellion-cli scene-info: %s: %s\n", path.c_str(), error.c_str());
        ++failed;
        if (json) {
            QJsonObject entry{{"error", JsonText(QByteArray::fromStdString(error))}};
            SetJsonPath(entry, "file", QByteArray::fromStdString(path));
            files.append(entry);
        }
    };
    for (const std::string& path : inputs) {
        std::vector<uint8_t> bytes;
        std::string error;
        try {
            if (!ReadSceneFileBytes(path, bytes, &error)) {
                fail(path, error);
                continue;
            }
            auto scene = std::make_unique<CScene>(Settings);
            if (!LoadSceneFile(std::span<const uint8_t>(bytes), scene.get(), frameLimit, &error)) {
                fail(path, error);
                continue;
            }
            if (json) {
                QJsonObject entry = SceneJson(*scene, bytes.size(), SceneFileVersionOf(bytes));
                SetJsonPath(entry, "file", QByteArray::fromStdString(path));
                files.append(entry);
            } else {
                PrintScene(*scene, path, bytes.size(), SceneFileVersionOf(bytes));
            }
        } catch (const std::bad_alloc&) {
            std::fflush(stdout);
            ReportOutOfMemory("scene-info", "load", path);
            ++failed;
            if (json) {
                QJsonObject entry{{"error", QStringLiteral("not enough memory")}};
                SetJsonPath(entry, "file", QByteArray::fromStdString(path));
                files.append(entry);
            }
        } catch (const std::exception& e) {
            fail(path, e.what());
        }
    }
    if (json && !WriteJson(QJsonObject{{"files", files}})) {
        std::fprintf(stderr, "trellion-cli scene-info: cannot write to standard output\n");
        return 1;
    }
    return failed == 0 ? 0 : 1;
}

const CommandRegistration registration("scene-info",
                                       "print the channels, frames and settings of scene files",
                                       &DescribeSceneInfo, &RunSceneInfo);

} // namespace
