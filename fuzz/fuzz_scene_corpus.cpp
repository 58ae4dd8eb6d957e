// Writes the seed corpus of fuzz_scene: small valid scene files of every version, made by the
// scene writer itself, and broken ones made from them by cutting them short or overwriting one
// count, length or offset.
//
//   fuzz_scene_corpus DIR           writes the files into DIR
//   fuzz_scene_corpus --check DIR   exit status 1 unless DIR holds exactly these files
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <string>
#include <vector>

#include "model/cchannel.h"
#include "model/cframe.h"
#include "model/cpoly.h"
#include "model/cscene.h"
#include "model/cthing.h"
#include "model/geometry.h"
#include "platform/outputfile.h"
#include "scene/cscenestream.h"
#include "scene/scenefile.h"
#include "settings/settings.h"

namespace fs = std::filesystem;

namespace {

using Bytes = std::vector<uint8_t>;

Bytes ReadAll(const fs::path& p) {
    std::ifstream in(p, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// The scene as the writer stores it in the given version ("SCN" and the version digit first).
Bytes Write(CScene* scene, int version, const fs::path& scratch) {
    COutputFile out(scratch.string());
    if (!out.Open())
        return {};
    CSceneStream file(out);
    const char magic[4] = {'S', 'C', 'N', static_cast<char>('0' + version)};
    if (!file.Write(magic, 4) || !SerializeScene(scene, file, true, version, 0) || !out.Commit())
        return {};
    return ReadAll(scratch);
}

void PutI32(Bytes& b, size_t at, int32_t value) {
    for (int i = 0; i < 4; ++i)
        b[at + i] = static_cast<uint8_t>(static_cast<uint32_t>(value) >> (8 * i));
}

std::map<std::string, Bytes> MakeCorpus(const fs::path& scratch) {
    std::map<std::string, Bytes> corpus;

    CScene empty(DefaultSettings());
    corpus["v7-no-channels.scn"] = Write(&empty, 7, scratch);

    // As the conversion makes it: one channel of type 1, one thing of free vertices per frame.
    CScene converted(DefaultSettings());
    CChannel* channel = converted.AddChannel();
    channel->type = 1;
    for (int points : {2, 0, 3}) {
        CThing* thing = channel->AddFrame()->AddThing();
        for (int i = 0; i < points; ++i)
            (void)thing->AddVertex(float(i * 10), float(-i), 0, 0x0000FF00u, uint8_t(i == 0));
    }
    for (int version = 1; version <= 7; ++version)
        corpus["v" + std::to_string(version) + "-converted.scn"] =
            Write(&converted, version, scratch);

    // Everything the format holds: a name, values, beams, polys (one of two vertices), two
    // channels.
    CScene rich(DefaultSettings());
    rich.name = "abc";
    rich.value_list = {1, -2, 3};
    CChannel* first = rich.AddChannel();
    CBeam* beam = first->AddBeam();
    beam->value_a = 4;
    (void)first->AddBeam();
    CThing* thing = first->AddFrame()->AddThing();
    CPoly* triangle = thing->AddPoly();
    (void)triangle->AddVertex(0, 0, 5, 1, 0);
    (void)triangle->AddVertex(1, 0, 5, 2, 0);
    (void)triangle->AddVertex(0, 1, 5, 3, 1);
    triangle->two_sided = 1;
    CPoly* line = thing->AddPoly();
    (void)line->AddVertex(0, 0, 0, 4, 0);
    (void)line->AddVertex(2, 2, 2, 5, 0);
    (void)thing->AddVertex(7, 8, 9, 6, 0);
    thing->thing_flag = 1;
    (void)first->AddFrame();
    CChannel* second = rich.AddChannel();
    (void)second->AddFrame()->AddThing()->AddVertex(1, 1, 1, 1, 1);
    corpus["v7-rich.scn"] = Write(&rich, 7, scratch);
    corpus["v4-rich.scn"] = Write(&rich, 4, scratch);

    // Records that cost a few bytes in the file and a large object in memory.
    CScene emptyPolys(DefaultSettings());
    CThing* polyOwner = emptyPolys.AddChannel()->AddFrame()->AddThing();
    for (int i = 0; i < 1000; ++i)
        (void)polyOwner->AddPoly();
    corpus["v7-many-empty-polys.scn"] = Write(&emptyPolys, 7, scratch);

    // The base of the broken files: one channel with one beam and one frame of one thing that
    // holds a poly of one vertex and one free vertex. Where its counts stand:
    CScene base(DefaultSettings());
    CChannel* c = base.AddChannel();
    (void)c->AddBeam();
    CThing* t = c->AddFrame()->AddThing();
    (void)t->AddPoly()->AddVertex(1, 2, 3, 4, 0);
    (void)t->AddVertex(1, 2, 3, 4, 0);
    const Bytes valid = Write(&base, 7, scratch);
    const size_t channelAt = 269;
    const size_t text = channelAt + 250;
    const size_t font = text + 4 + 10 + 4;
    const size_t beams = channelAt + 365;
    const size_t frames = beams + 4 + 12;
    const size_t things = frames + 4 + 48;
    const size_t polys = things + 4;
    const size_t polyVertices = polys + 4;
    const size_t vertices = polyVertices + 4 + 21 + 1;
    corpus["v7-base.scn"] = valid;

    const struct {
        const char* name;
        size_t at;
        int32_t value;
    } overwrites[] = {
        {"bad-negative-channel-count", 4, -1},
        {"bad-huge-channel-count", 4, 0x7FFFFFFF},
        {"bad-negative-offset", 8, -1},
        {"bad-offset-beyond-end", 8, 100000},
        {"bad-offset-into-header", 8, 12},
        {"bad-negative-name-length", 12, -5},
        {"bad-huge-name-length", 12, 0x40000000},
        {"bad-negative-value-count", 265, -1},
        {"bad-huge-value-count", 265, 0x10000000},
        {"bad-text-length-260", text, 260},
        {"bad-negative-text-length", text, -1},
        {"bad-font-name-length-1000", font, 1000},
        {"bad-huge-beam-count", beams, 0x01000000},
        {"bad-negative-frame-count", frames, -7},
        {"bad-huge-frame-count", frames, 0x7FFFFFFF},
        {"bad-huge-thing-count", things, 0x00100000},
        {"bad-negative-poly-count", polys, -1},
        {"bad-huge-poly-vertex-count", polyVertices, 0x7FFFFFFF},
        {"bad-huge-vertex-count", vertices, 0x7FFFFFFF},
    };
    for (const auto& o : overwrites) {
        Bytes b = valid;
        PutI32(b, o.at, o.value);
        corpus[std::string(o.name) + ".scn"] = b;
    }
    for (size_t cut : {size_t{0}, size_t{3}, size_t{4}, size_t{8}, size_t{100}, size_t{269},
                       text + 6, frames + 2, vertices + 10, valid.size() - 1}) {
        corpus["cut-" + std::to_string(cut) + ".scn"] = Bytes(valid.begin(), valid.begin() + cut);
    }
    {
        Bytes b = corpus["v7-rich.scn"];
        std::memcpy(b.data() + 12, b.data() + 8, 4); // both channels at the first's offset
        corpus["bad-overlapping-channels.scn"] = b;
    }
    for (const char* magic : {"SCN8", "SCN0", "SCN3"}) {
        Bytes b = valid;
        std::memcpy(b.data(), magic, 4);
        corpus[std::string("magic-") + magic + ".scn"] = b;
    }
    return corpus;
}

} // namespace

int main(int argc, char** argv) {
    const bool check = argc == 3 && std::strcmp(argv[1], "--check") == 0;
    if (argc != 2 && !check) {
        std::fprintf(stderr, "usage: fuzz_scene_corpus [--check] DIR\n");
        return 2;
    }
    const fs::path dir = argv[argc - 1];
    FillAngleTables();
    char scratchName[] = "/tmp/fuzz_scene_corpus-XXXXXX";
    if (::mkdtemp(scratchName) == nullptr) {
        std::perror("mkdtemp");
        return 1;
    }
    const fs::path scratchDir = scratchName;
    const std::map<std::string, Bytes> corpus = MakeCorpus(scratchDir / "scratch.scn");
    std::error_code ec;
    fs::remove_all(scratchDir, ec);

    int problems = 0;
    if (check) {
        size_t found = 0;
        for (const auto& entry : fs::directory_iterator(dir, ec)) {
            ++found;
            const auto it = corpus.find(entry.path().filename().string());
            if (it == corpus.end() || ReadAll(entry.path()) != it->second) {
                std::fprintf(stderr, "%s: not what the generator makes\n", entry.path().c_str());
                ++problems;
            }
        }
        if (found != corpus.size()) {
            std::fprintf(stderr, "%s: %zu files, the generator makes %zu\n", dir.c_str(), found,
                         corpus.size());
            ++problems;
        }
        return problems == 0 ? 0 : 1;
    }
    fs::create_directories(dir, ec);
    for (const auto& [name, bytes] : corpus) {
        std::ofstream out(dir / name, std::ios::binary | std::ios::trunc);
        out.write(reinterpret_cast<const char*>(bytes.data()),
                  static_cast<std::streamsize>(bytes.size()));
        if (!out) {
            std::fprintf(stderr, "%s: cannot write\n", (dir / name).c_str());
            ++problems;
        }
    }
    std::printf("%zu files in %s\n", corpus.size(), dir.c_str());
    return problems == 0 ? 0 : 1;
}
