// Writes the seed corpus of the ILDA fuzz target, or with --check confirms that a directory
// holds exactly that corpus, so the committed files and this generator stay in step.
//
//   ilda_corpus_generator DIR
//   ilda_corpus_generator --check DIR
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <string>
#include <utility>
#include <vector>

#include "tests/ilda/ildabuilder.h"
#include "tests/ilda/wildildafiles.h"

namespace fs = std::filesystem;

namespace {

std::map<std::string, IldaBuilder> Corpus() {
    std::map<std::string, IldaBuilder> c;
    c["valid-one-frame.ild"].Frame3D(5, 0, 1).End(1);
    c["valid-three-frames.ild"].Frame3D(4, 0, 3).Frame3D(9, 1, 3).Frame3D(2, 2, 3).End(3);
    c["valid-no-closing-section.ild"].Frame3D(6, 0, 2).Frame3D(6, 1, 2);
    c["valid-2d.ild"]
        .Header(1, 3, 0, 1)
        .Point2D(-32768, 32767, 0x4001)
        .Point2D(0, 0, 0x0002)
        .Point2D(160, -160, 0x8003)
        .End(1);
    c["valid-palette-then-frame.ild"]
        .Header(2, 3, 0, 0, "PALETTE")
        .PaletteEntry('I', 'L', 'D')
        .PaletteEntry('A', 0, 0)
        .PaletteEntry(255, 0, 0)
        .Frame3D(3, 0, 1)
        .End(1);
    c["valid-two-sequences.ild"].Frame3D(2, 0, 2).Frame3D(3, 1, 2).End(2).Frame3D(4, 0, 1).End(1);
    c["valid-frame-0-of-0.ild"].Frame3D(3, 0, 0).Frame3D(3, 0, 0).Header(0, 0, 0, 0, "END");
    c["valid-format5-first.ild"]
        .Header(5, 2, 0, 3)
        .Point2D(1, 2, 0)
        .Byte(0)
        .Byte(0)
        .Point2D(3, 4, 0)
        .Byte(0)
        .Byte(0)
        .Frame3D(3, 1, 3)
        .Frame3D(3, 2, 3)
        .End(3);
    c["valid-format4.ild"].Header(4, 1, 0, 2).Point3D(1, 2, 3, 0).Byte(9).Byte(9).Frame3D(2, 1, 2);
    // True colour: varied colours (black among them), every status bit, z in format 4.
    IldaBuilder& trueColour = c["valid-format5.ild"];
    for (uint16_t f = 0; f < 4; ++f) {
        trueColour.Header(5, 6, f, 4);
        for (uint16_t p = 0; p < 6; ++p)
            trueColour.Point2DTrueColour(static_cast<int16_t>(p * 4000 - 12000),
                                         static_cast<int16_t>(f * -3000),
                                         static_cast<uint8_t>(p == 2   ? 0x40
                                                              : p == 5 ? 0x80
                                                                       : 0),
                                         static_cast<uint8_t>(p * 51), static_cast<uint8_t>(f * 85),
                                         static_cast<uint8_t>(255 - p * 51));
    }
    trueColour.Header(5, 0, 4, 4, "END");
    c["valid-format4-z.ild"]
        .Header(4, 3, 0, 1)
        .Point3DTrueColour(32767, -32768, 32767, 0x3F, 255, 128, 0)
        .Point3DTrueColour(-1, -16, -32768, 0xC0, 0, 0, 0)
        .Point3DTrueColour(0, 0, 160, 0x80, 1, 2, 3)
        .Header(4, 0, 1, 1, "END");
    c["valid-true-colour-and-indexed.ild"]
        .Header(5, 2, 0, 3)
        .Point2DTrueColour(1, 2, 0, 255, 255, 255)
        .Point2DTrueColour(3, 4, 0x80, 0, 0, 0)
        .Frame3D(3, 1, 3)
        .Header(4, 1, 2, 3)
        .Point3DTrueColour(5, 6, 7, 0, 9, 200, 9)
        .End(3);
    c["valid-format5-early-last-point.ild"]
        .Header(5, 4, 0, 2)
        .Point2DTrueColour(16, 16, 0, 10, 20, 30)
        .Point2DTrueColour(32, 32, 0x80, 10, 20, 30)
        .Point2DTrueColour(48, 48, 0, 10, 20, 30)
        .Point2DTrueColour(64, 64, 0x80, 10, 20, 30)
        .Header(5, 1, 1, 2)
        .Point2DTrueColour(0, 0, 0x80, 255, 0, 0);
    c["valid-extremes.ild"]
        .Header(0, 4, 0, 1)
        .Point3D(32767, 32767, 32767, 0x00FF)
        .Point3D(-32768, -32768, -32768, 0x4000)
        .Point3D(-1, -16, -17, 0x7FFF)
        .Point3D(0, 0, 0, 0xBF3F);
    c["valid-early-last-point.ild"]
        .Header(0, 4, 0, 2)
        .Point3D(16, 16, 0, 1)
        .Point3D(32, 32, 0, 0x8001)
        .Point3D(48, 48, 0, 1)
        .Point3D(64, 64, 0, 0x8001)
        .Frame3D(3, 1, 2)
        .End(2);
    c["valid-large-frame.ild"].Frame3D(2000, 0, 1).End(1);
    c["valid-many-frames.ild"];
    for (uint16_t f = 0; f < 60; ++f)
        c["valid-many-frames.ild"].Frame3D(static_cast<uint16_t>(f % 7), f, 60);
    c["valid-many-frames.ild"].End(60);
    c["valid-empty-frames.ild"].Frame3D(0, 0, 2).Frame3D(0, 1, 2).End(2);

    c["broken-empty.ild"];
    c["broken-magic.ild"].Bytes("ilda").Cut(0).Frame3D(3, 0, 1);
    c["broken-not-ilda.ild"].Bytes("SCN7 this is some other file entirely");
    c["broken-short-header.ild"].Header(0, 3, 0, 1).Cut(1);
    c["broken-header-31.ild"].Frame3D(2, 0, 2).Header(0, 2, 1, 2).Cut(1);
    c["broken-record-cut.ild"].Frame3D(3, 0, 2).Frame3D(4, 1, 2).Cut(3);
    c["broken-count-65535.ild"].Header(0, 65535, 0, 1).Point3D(1, 2, 3, 0).Point3D(4, 5, 6, 0);
    c["broken-count-65535-2d.ild"].Header(1, 65535, 0, 1).Point2D(1, 2, 0);
    c["broken-count-65535-format4.ild"]
        .Header(4, 65535, 0, 1)
        .Point3DTrueColour(1, 2, 3, 0, 4, 5, 6)
        .Point3DTrueColour(7, 8, 9, 0, 10, 11, 12);
    c["broken-format5-record-cut.ild"]
        .Header(5, 2, 0, 2)
        .Point2DTrueColour(1, 1, 0, 50, 60, 70)
        .Point2DTrueColour(2, 2, 0, 50, 60, 70)
        .Header(5, 2, 1, 2)
        .Point2DTrueColour(3, 3, 0, 50, 60, 70)
        .Point2DTrueColour(4, 4, 0x80, 50, 60, 70)
        .Cut(3);
    c["broken-palette-count.ild"].Header(2, 65535, 0, 0).PaletteEntry(1, 2, 3).Frame3D(2, 0, 1);
    c["broken-unknown-format.ild"].Header(200, 50, 0, 2).Bytes("xxxxILDxxx").Frame3D(3, 1, 2);
    c["broken-garbage-between.ild"].Frame3D(3, 0, 3).Bytes("junk").Frame3D(3, 1, 3).End(3);
    c["broken-garbage-after.ild"].Frame3D(3, 0, 1).End(1).Bytes("ILD");
    c["broken-magic-only.ild"].Bytes("ILDAILDAILDAILDAILDAILDAILDAILDAILDAILDA");
    c["broken-header-only.ild"].Header(0, 0, 0, 1);
    c["broken-negative-numbers.ild"]
        .Header(0, 2, 0xFFFF, 0)
        .Point3D(1, 1, 1, 0)
        .Point3D(2, 2, 2, 0)
        .Header(0, 1, 0x8000, 0x8001)
        .Point3D(3, 3, 3, 0);
    c["broken-last-point-beyond-data.ild"]
        .Header(0, 100, 0, 2)
        .Point3D(1, 1, 1, 0x8000)
        .Frame3D(2, 1, 2);
    IldaBuilder& formats = c["broken-every-format.ild"];
    for (int code = 0; code < 256; code += 17)
        formats.Header(code, 1, static_cast<uint16_t>(code), 300)
            .Point3D(1, 2, 3, 4)
            .Byte(5)
            .Byte(6);
    // Files as other programs write them; any colours do for true-colour records here.
    const auto colourOf = [](int i) {
        return static_cast<uint32_t>(0x030507 * (i + 1)) & 0xFFFFFF;
    };
    std::vector<wildilda::File> wild = wildilda::Files(colourOf);
    for (wildilda::File& file : wildilda::OverflowFiles(colourOf))
        wild.push_back(std::move(file));
    for (const wildilda::File& file : wild) {
        std::string name = "wild-" + file.name + ".ild";
        for (char& ch : name)
            ch = ch == ' ' ? '-' : ch;
        c[name].Bytes(std::string(file.bytes.begin(), file.bytes.end()));
    }
    return c;
}

std::string Read(const fs::path& p) {
    std::ifstream in(p, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

} // namespace

int main(int argc, char** argv) {
    const bool check = argc == 3 && std::strcmp(argv[1], "--check") == 0;
    if (argc != 2 && !check) {
        std::fprintf(stderr, "usage: ilda_corpus_generator [--check] DIR\n");
        return 2;
    }
    const fs::path dir = argv[argc - 1];
    const auto corpus = Corpus();
    if (check) {
        int wrong = 0;
        for (const auto& [name, bytes] : corpus) {
            if (Read(dir / name) != bytes.String()) {
                std::fprintf(stderr, "%s differs from the generator's output\n", name.c_str());
                ++wrong;
            }
        }
        std::error_code ec;
        for (const auto& entry : fs::directory_iterator(dir, ec)) {
            if (corpus.count(entry.path().filename().string()) == 0) {
                std::fprintf(stderr, "%s is not made by the generator\n", entry.path().c_str());
                ++wrong;
            }
        }
        return wrong == 0 ? 0 : 1;
    }
    fs::create_directories(dir);
    for (const auto& [name, bytes] : corpus) {
        std::ofstream out(dir / name, std::ios::binary);
        out << bytes.String();
        if (!out) {
            std::fprintf(stderr, "cannot write %s\n", (dir / name).c_str());
            return 1;
        }
    }
    return 0;
}
