#include "scene/scenefile.h"

#include <algorithm>
#include <bit>
#include <cerrno>
#include <cstring>
#include <exception>
#include <new>
#include <sys/stat.h>
#include <type_traits>
#include <unistd.h>
#include <vector>

#include "model/cbeam.h"
#include "model/cchannel.h"
#include "model/cframe.h"
#include "model/cmatrix.h"
#include "model/cpoly.h"
#include "model/cscene.h"
#include "model/cthing.h"
#include "model/cvector.h"
#include "platform/inputfile.h"
#include "platform/messagehook.h"
#include "platform/outputfile.h"
#include "scene/cscenestream.h"
#include "scene/scenefields.h"

const int32_t ScanRateTable[100] = {
    65535, 61063, 56897, 53015, 49398, 46028, 42887, 39961, 37235, 34694, //
    32327, 30121, 28066, 26151, 24367, 22705, 21155, 19712, 18367, 17114, //
    15946, 14858, 13844, 12900, 12020, 11200, 10435, 9723,  9060,  8442,  //
    7866,  7329,  6829,  6363,  5929,  5524,  5147,  4796,  4469,  4164,  //
    3880,  3615,  3368,  3139,  2924,  2725,  2539,  2366,  2204,  2054,  //
    1914,  1783,  1661,  1548,  1442,  1344,  1252,  1167,  1087,  1013,  //
    944,   879,   819,   763,   711,   663,   617,   575,   536,   499,   //
    465,   433,   404,   376,   351,   327,   304,   284,   264,   246,   //
    229,   214,   199,   185,   173,   161,   150,   140,   130,   121,   //
    113,   105,   98,    91,    85,    79,    74,    69,    64,    60,    //
};

namespace {

// Smallest size of one record of each counted kind, used to reject a count that cannot fit in
// the bytes left before anything is allocated for it.
constexpr uint64_t OffsetSize = 4;
constexpr uint64_t ValueSize = 4;
constexpr uint64_t BeamSize = 12;
constexpr uint64_t MatrixSize = 48;
constexpr uint64_t FrameMinSize = MatrixSize + 4; // transform, thing count
constexpr uint64_t ThingMinSize = 4 + 4 + 1;      // poly count, vertex count, thing_flag
constexpr uint64_t PolyMinSize = 4 + 1;           // vertex count, two_sided
constexpr uint64_t VertexSize = 21;

// Little-endian encoding of one value of 1, 2 or 4 bytes.
template <class T> void PutLittle(T value, uint8_t* out) {
    static_assert(sizeof(T) == 1 || sizeof(T) == 2 || sizeof(T) == 4);
    using U = std::conditional_t<sizeof(T) == 1, uint8_t,
                                 std::conditional_t<sizeof(T) == 2, uint16_t, uint32_t>>;
    U bits;
    std::memcpy(&bits, &value, sizeof bits);
    for (size_t i = 0; i < sizeof bits; ++i)
        out[i] = static_cast<uint8_t>(bits >> (8 * i));
}

template <class T> T GetLittle(const uint8_t* in) {
    static_assert(sizeof(T) == 1 || sizeof(T) == 2 || sizeof(T) == 4);
    using U = std::conditional_t<sizeof(T) == 1, uint8_t,
                                 std::conditional_t<sizeof(T) == 2, uint16_t, uint32_t>>;
    U bits = 0;
    for (size_t i = 0; i < sizeof bits; ++i)
        bits = static_cast<U>(bits | (static_cast<U>(in[i]) << (8 * i)));
    T value;
    std::memcpy(&value, &bits, sizeof value);
    return value;
}

// One plain field. Flags are one byte 0 or 1; any non-zero byte reads as true.
template <class T> bool Move(CSceneStream& file, bool writing, T& value) {
    static_assert(std::is_arithmetic_v<T>, "a plain field is a number or a flag");
    uint8_t bytes[sizeof(T)];
    if (writing) {
        if constexpr (std::is_same_v<T, bool>)
            bytes[0] = value ? 1 : 0;
        else
            PutLittle(value, bytes);
        return file.Write(bytes, sizeof bytes);
    }
    if (!file.Read(bytes, sizeof bytes))
        return false;
    if constexpr (std::is_same_v<T, bool>)
        value = bytes[0] != 0;
    else
        value = GetLittle<T>(bytes);
    return true;
}

// A channel text in its fixed character buffer: the length up to the terminator, then the
// characters. Reading terminates the text after the characters.
template <size_t N> bool Move(CSceneStream& file, bool writing, char (&text)[N], const char* name) {
    static_assert(N == SceneTextMaxLength + 1);
    if (writing) {
        int32_t length = static_cast<int32_t>(::strnlen(text, N - 1));
        return Move(file, true, length) && file.Write(text, static_cast<size_t>(length));
    }
    const uint64_t at = file.Tell();
    int32_t length = 0;
    if (!Move(file, false, length))
        return false;
    if (length < 0 || length > SceneTextMaxLength)
        return file.Fail(std::string(name) + " length " + std::to_string(length) + " at byte " +
                         std::to_string(at) + " is outside 0 to " +
                         std::to_string(SceneTextMaxLength));
    char read[N];
    if (!file.Read(read, static_cast<size_t>(length)))
        return false;
    read[length] = '\0';
    std::memcpy(text, read, static_cast<size_t>(length) + 1);
    return true;
}

// A count of records that follow, each at least minRecordSize bytes. Reading rejects a
// negative count and one that the remaining bytes cannot hold.
bool MoveCount(CSceneStream& file, bool writing, int32_t& count, uint64_t minRecordSize,
               const char* what) {
    const uint64_t at = file.Tell();
    if (!Move(file, writing, count))
        return false;
    if (writing)
        return true;
    if (count < 0)
        return file.Fail(std::string(what) + " " + std::to_string(count) + " at byte " +
                         std::to_string(at) + " is negative");
    if (static_cast<uint64_t>(count) > file.Remaining() / minRecordSize) {
        const bool overlap = static_cast<uint64_t>(count) <= file.BytesAfter() / minRecordSize;
        return file.Fail(std::string(what) + " " + std::to_string(count) + " at byte " +
                         std::to_string(at) +
                         (overlap ? " needs bytes already read: records overlap"
                                  : " runs past the end of the file"));
    }
    return true;
}

// Visitor over the plain fields of a record (scene/scenefields.h).
template <class Object> auto FieldMover(Object* object, CSceneStream& file, bool writing) {
    return [object, &file, writing](const char* name, auto member) {
        auto& field = object->*member;
        if constexpr (std::is_array_v<std::remove_reference_t<decltype(field)>>)
            return Move(file, writing, field, name);
        else
            return Move(file, writing, field);
    };
}

// The vertex record's layout, in both directions.
void PackVertex(const CVector& vertex, uint8_t* bytes) {
    PutLittle(vertex.x, bytes);
    PutLittle(vertex.y, bytes + 4);
    PutLittle(vertex.z, bytes + 8);
    PutLittle(vertex.reserved, bytes + 12);
    PutLittle(vertex.colour, bytes + 16);
    bytes[20] = vertex.blank;
}

void UnpackVertex(const uint8_t* bytes, CVector& vertex) {
    vertex.x = GetLittle<float>(bytes);
    vertex.y = GetLittle<float>(bytes + 4);
    vertex.z = GetLittle<float>(bytes + 8);
    vertex.reserved = GetLittle<uint32_t>(bytes + 12);
    vertex.colour = GetLittle<uint32_t>(bytes + 16);
    vertex.blank = bytes[20];
}

// Vertices are the bulk of every file: a list of them is packed in runs straight into the
// output's buffer, rather than passed through the stream one record at a time. Writes the
// `count` vertices from `first` along the list; a list that ends before its count fails.
bool WriteVertexRuns(const CVector* first, int32_t count, CSceneStream& file) {
    const size_t runLength = std::max<size_t>(file.MaxAppend() / VertexSize, 1);
    const CVector* vertex = first;
    for (size_t left = static_cast<size_t>(count); left > 0;) {
        const size_t run = std::min(left, runLength);
        uint8_t* bytes = file.Append(run * VertexSize);
        if (bytes == nullptr)
            return false;
        for (size_t i = 0; i < run; ++i, bytes += VertexSize, vertex = vertex->next) {
            if (vertex == nullptr)
                return file.Fail("a vertex list is shorter than its count");
            PackVertex(*vertex, bytes);
        }
        left -= run;
    }
    return true;
}

bool ReportSaveFailure() {
    ShowThemedMessage("Cannot save file.", mtError, mbOK);
    return false;
}

} // namespace

int32_t ConvertOldScanSpeed(int32_t oldSpeed) {
    const int32_t speed = std::clamp(oldSpeed, 0, 512);
    const int32_t rate = std::clamp((512 - speed) * 128, 60, 65535);
    for (int i = 99; i >= 0; --i) {
        if (ScanRateTable[i] >= rate)
            return i;
    }
    return 0; // not reached: entry 0 is 65535
}

bool WriteCountedText(CSceneStream& file, const std::string& text) {
    if (text.size() > static_cast<size_t>(INT32_MAX))
        return file.Fail("text too long to store");
    int32_t length = static_cast<int32_t>(text.size());
    return Move(file, true, length) && file.Write(text.data(), text.size());
}

bool ReadCountedText(CSceneStream& file, std::string& text) {
    int32_t length = 0;
    if (!MoveCount(file, false, length, 1, "name length"))
        return false;
    std::string read(static_cast<size_t>(length), '\0');
    if (!file.Read(read.data(), read.size()))
        return false;
    text = std::move(read);
    return true;
}

bool SerializeMatrix(CMatrix* matrix, CSceneStream& file, bool writing) {
    uint8_t bytes[MatrixSize];
    if (writing) {
        for (int i = 0; i < 9; ++i)
            PutLittle(matrix->rotation[i], bytes + 4 * i);
        PutLittle(matrix->translation.x, bytes + 36);
        PutLittle(matrix->translation.y, bytes + 40);
        PutLittle(matrix->translation.z, bytes + 44);
        return file.Write(bytes, sizeof bytes);
    }
    if (!file.Read(bytes, sizeof bytes))
        return false;
    for (int i = 0; i < 9; ++i)
        matrix->rotation[i] = GetLittle<float>(bytes + 4 * i);
    matrix->translation.x = GetLittle<float>(bytes + 36);
    matrix->translation.y = GetLittle<float>(bytes + 40);
    matrix->translation.z = GetLittle<float>(bytes + 44);
    return true;
}

bool SerializeVertex(CVector* vertex, CSceneStream& file, bool writing) {
    uint8_t bytes[VertexSize];
    if (writing) {
        PackVertex(*vertex, bytes);
        return file.Write(bytes, sizeof bytes);
    }
    if (!file.Read(bytes, sizeof bytes))
        return false;
    UnpackVertex(bytes, *vertex);
    return true;
}

bool SerializePoly(CPoly* poly, CSceneStream& file, bool writing) {
    int32_t count = writing ? poly->VertexCount() : 0;
    if (!MoveCount(file, writing, count, VertexSize, "poly vertex count"))
        return false;
    if (writing) {
        if (!WriteVertexRuns(poly->FirstVertex(), count, file))
            return false;
    } else {
        if (!file.ChargeModel(static_cast<uint64_t>(count), sizeof(CVector),
                              "poly vertex count " + std::to_string(count)))
            return false;
        for (int32_t i = 0; i < count; ++i) {
            CVector* v = poly->AddVertex(0.0f, 0.0f, 0.0f, 0, 0);
            if (v == nullptr)
                return file.Fail("cannot create a vertex");
            if (!SerializeVertex(v, file, false))
                return false;
        }
    }
    if (!Move(file, writing, poly->two_sided))
        return false;
    if (!writing)
        poly->UpdatePlane();
    return true;
}

bool SerializeThing(CThing* thing, CSceneStream& file, bool writing) {
    int32_t polys = writing ? thing->PolyCount() : 0;
    if (!MoveCount(file, writing, polys, PolyMinSize, "poly count"))
        return false;
    if (writing) {
        for (CPoly* p = thing->FirstPoly(); p != nullptr; p = p->Next(false)) {
            if (!SerializePoly(p, file, true))
                return false;
        }
    } else {
        if (!file.ChargeModel(static_cast<uint64_t>(polys), sizeof(CPoly),
                              "poly count " + std::to_string(polys)))
            return false;
        for (int32_t i = 0; i < polys; ++i) {
            CPoly* p = thing->AddPoly();
            if (p == nullptr)
                return file.Fail("cannot create a poly");
            if (!SerializePoly(p, file, false))
                return false;
        }
    }

    int32_t vertices = writing ? thing->VertexCount() : 0;
    if (!MoveCount(file, writing, vertices, VertexSize, "vertex count"))
        return false;
    if (writing) {
        if (!WriteVertexRuns(thing->FirstVertex(), vertices, file))
            return false;
    } else {
        if (!file.ChargeModel(static_cast<uint64_t>(vertices), sizeof(CVector),
                              "vertex count " + std::to_string(vertices)))
            return false;
        for (int32_t i = 0; i < vertices; ++i) {
            CVector* v = thing->AddVertex();
            if (v == nullptr)
                return file.Fail("cannot create a vertex");
            if (!SerializeVertex(v, file, false))
                return false;
        }
    }
    return Move(file, writing, thing->thing_flag);
}

bool SerializeFrame(CFrame* frame, CSceneStream& file, bool writing) {
    if (!SerializeMatrix(&frame->transform, file, writing))
        return false;
    int32_t things = writing ? frame->ThingCount() : 0;
    if (!MoveCount(file, writing, things, ThingMinSize, "thing count"))
        return false;
    if (writing) {
        for (CThing* t = frame->FirstThing(); t != nullptr; t = t->Next(false)) {
            if (!SerializeThing(t, file, true))
                return false;
        }
        return true;
    }
    if (!file.ChargeModel(static_cast<uint64_t>(things), sizeof(CThing),
                          "thing count " + std::to_string(things)))
        return false;
    for (int32_t i = 0; i < things; ++i) {
        CThing* t = frame->AddThing();
        if (t == nullptr)
            return file.Fail("cannot create a thing");
        if (!SerializeThing(t, file, false))
            return false;
    }
    return true;
}

bool SerializeChannelHeader(CChannel* channel, CSceneStream& file, bool writing, int version) {
    if (!ForEachChannelField(version, FieldMover(channel, file, writing)))
        return false;
    if (!SerializeMatrix(&channel->transform, file, writing))
        return false;

    int32_t beams = writing ? static_cast<int32_t>(channel->beams.size()) : 0;
    if (!MoveCount(file, writing, beams, BeamSize, "beam count"))
        return false;
    if (writing) {
        for (const auto& beam : channel->beams) {
            if (!Move(file, true, beam->value_a) || !Move(file, true, beam->value_b) ||
                !Move(file, true, beam->beam_colour))
                return false;
        }
    } else {
        if (!file.ChargeModel(static_cast<uint64_t>(beams),
                              sizeof(CBeam) + sizeof(channel->beams[0]),
                              "beam count " + std::to_string(beams)))
            return false;
        for (int32_t i = 0; i < beams; ++i) {
            CBeam* beam = channel->AddBeam();
            if (beam == nullptr)
                return file.Fail("cannot create a beam");
            if (!Move(file, false, beam->value_a) || !Move(file, false, beam->value_b) ||
                !Move(file, false, beam->beam_colour))
                return false;
        }
        if (version < 6)
            channel->laser_scan_speed = ConvertOldScanSpeed(channel->laser_scan_speed);
    }
    return true;
}

bool SerializeChannel(CChannel* channel, CSceneStream& file, bool writing, int version,
                      int frameLimit) {
    if (!SerializeChannelHeader(channel, file, writing, version))
        return false;
    int32_t frames = writing ? channel->FrameCount() : 0;
    if (!MoveCount(file, writing, frames, FrameMinSize, "frame count"))
        return false;
    if (writing) {
        for (CFrame* f = channel->FirstFrame(); f != nullptr; f = f->Next(false)) {
            if (!SerializeFrame(f, file, true))
                return false;
        }
        return true;
    }
    if (frameLimit > 0 && frameLimit < frames)
        frames = frameLimit;
    if (!file.ChargeModel(static_cast<uint64_t>(frames), sizeof(CFrame),
                          "frame count " + std::to_string(frames)))
        return false;
    for (int32_t i = 0; i < frames; ++i) {
        CFrame* f = channel->AddFrame();
        if (f == nullptr)
            return file.Fail("cannot create a frame");
        if (!SerializeFrame(f, file, false))
            return false;
    }
    return true;
}

bool SerializeSceneHeader(CScene* scene, CSceneStream& file, bool writing, int version) {
    if (!(writing ? WriteCountedText(file, scene->name) : ReadCountedText(file, scene->name)))
        return false;
    if (!ForEachSceneField(version, FieldMover(scene, file, writing)))
        return false;
    if (!SerializeMatrix(&scene->transform, file, writing))
        return false;

    int32_t values = writing ? static_cast<int32_t>(scene->value_list.size()) : 0;
    if (!MoveCount(file, writing, values, ValueSize, "value count"))
        return false;
    if (writing) {
        for (int32_t value : scene->value_list) {
            if (!Move(file, true, value))
                return false;
        }
        return true;
    }
    if (!file.ChargeModel(static_cast<uint64_t>(values), sizeof(int32_t),
                          "value count " + std::to_string(values)))
        return false;
    for (int32_t i = 0; i < values; ++i) {
        int32_t value = 0;
        if (!Move(file, false, value))
            return false;
        scene->value_list.push_back(value);
    }
    if (version < 6) {
        // Old files predate the output choice: both outputs were always on.
        scene->output_laser_flag = true;
        scene->output_video_flag = true;
        scene->laser_scan_speed = ConvertOldScanSpeed(scene->laser_scan_speed);
    }
    return true;
}

bool SerializeScene(CScene* scene, CSceneStream& file, bool writing, int version, int frameLimit) {
    int32_t channels = writing ? scene->ChannelCount() : 0;
    if (!MoveCount(file, writing, channels, OffsetSize, "channel count"))
        return false;

    if (writing) {
        // The offsets are known only once each channel is written: reserve the table and patch
        // it at the end.
        const uint64_t table = file.Tell();
        std::vector<uint8_t> offsets(static_cast<size_t>(channels) * OffsetSize, 0);
        if (!file.Write(offsets.data(), offsets.size()))
            return false;
        if (!SerializeSceneHeader(scene, file, true, version))
            return false;
        size_t i = 0;
        for (CChannel* c = scene->FirstChannel(); c != nullptr && i < offsets.size() / OffsetSize;
             c = c->Next(false), ++i) {
            const uint64_t at = file.Tell();
            if (at > static_cast<uint64_t>(INT32_MAX))
                return file.Fail("file too large for a channel offset");
            PutLittle(static_cast<int32_t>(at), offsets.data() + OffsetSize * i);
            if (!SerializeChannel(c, file, true, version, 0))
                return false;
        }
        return file.WriteAt(table, offsets.data(), offsets.size());
    }

    std::vector<int32_t> offsets(static_cast<size_t>(channels));
    for (int32_t& offset : offsets) {
        if (!Move(file, false, offset))
            return false;
    }
    if (!SerializeSceneHeader(scene, file, false, version))
        return false;
    for (const int32_t offset : offsets) {
        if (offset < 0)
            return file.Fail("channel offset " + std::to_string(offset) + " is negative");
        if (!file.Seek(static_cast<uint64_t>(offset)))
            return false;
        if (!file.ChargeModel(1, sizeof(CChannel), "channel at offset " + std::to_string(offset)))
            return false;
        CChannel* channel = scene->AddChannel();
        if (channel != nullptr && !SerializeChannel(channel, file, false, version, frameLimit))
            return false;
    }
    return true;
}

bool SaveSceneFile(CScene* scene, const std::string& fileName) {
    if (scene == nullptr)
        return ReportSaveFailure();
    try {
        COutputFile out(fileName);
        if (!out.Open())
            return ReportSaveFailure();
        CSceneStream file(out);
        if (!file.Write("SCN7", 4) || !SerializeScene(scene, file, true, SceneFileVersion, 0))
            return ReportSaveFailure(); // out's destructor removes the partial file
        if (!out.Commit())
            return ReportSaveFailure();
        return true;
    } catch (const std::bad_alloc&) {
        // Not the file's fault: the caller reports it as what it is. out's destructor has
        // removed the partial file.
        throw;
    } catch (const std::exception&) {
        return ReportSaveFailure();
    }
}

int SceneFileVersionOf(std::span<const uint8_t> bytes) {
    if (bytes.size() < 4 || bytes[0] != 'S' || bytes[1] != 'C' || bytes[2] != 'N')
        return 0;
    if (bytes[3] < '1' || bytes[3] > '7')
        return 0;
    return bytes[3] - '0';
}

bool LoadSceneFile(std::span<const uint8_t> bytes, CScene* scene, int frameLimit,
                   std::string* error) {
    const int version = SceneFileVersionOf(bytes);
    if (version == 0 || scene == nullptr) {
        if (error != nullptr)
            *error = scene == nullptr ? "no scene to read into"
                                      : "not a scene file (the magic is not SCN1 to SCN7)";
        return false;
    }
    CSceneStream file(bytes);
    uint8_t magic[4];
    bool ok =
        file.Read(magic, sizeof magic) && SerializeScene(scene, file, false, version, frameLimit);
    if (!ok && error != nullptr)
        *error = file.Error().empty() ? "cannot read the scene" : file.Error();
    return ok;
}

bool ReadSceneFileBytes(const std::string& fileName, std::vector<uint8_t>& bytes,
                        std::string* error) {
    // Only a regular file is read, so a FIFO or a device under the name neither holds the read
    // up nor feeds it without end; no more than the size it had when opened is read.
    bytes.clear();
    struct stat info {};
    std::string why;
    const int fd = OpenRegularFile(fileName, &info, &why);
    if (fd < 0) {
        if (error != nullptr)
            *error = why;
        return false;
    }
    bytes.resize(static_cast<size_t>(std::max<off_t>(info.st_size, 0)));
    const ssize_t got = ReadFully(fd, bytes.data(), bytes.size());
    const int saved = errno;
    ::close(fd);
    if (got < 0) {
        bytes.clear();
        if (error != nullptr)
            *error = std::strerror(saved);
        return false;
    }
    bytes.resize(static_cast<size_t>(got));
    return true;
}

bool LoadSceneFile(const std::string& fileName, CScene* scene, int frameLimit, std::string* error) {
    std::vector<uint8_t> bytes;
    return ReadSceneFileBytes(fileName, bytes, error) &&
           LoadSceneFile(std::span<const uint8_t>(bytes), scene, frameLimit, error);
}
