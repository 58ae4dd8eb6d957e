#pragma once

// Builds ILDA bytes in memory for tests and the fuzz corpus generator: headers and records
// written field by field, so a fixture says exactly which bytes it holds.

#include <cstdint>
#include <string>
#include <vector>

class IldaBuilder {
public:
    // A section header. Names are padded with spaces (or cut) to 8 bytes.
    IldaBuilder& Header(int formatCode, uint16_t count, uint16_t frameNumber, uint16_t totalFrames,
                        const std::string& frameName = "FRAME",
                        const std::string& company = "TEST") {
        Bytes("ILDA");
        Byte(0);
        Byte(0);
        Byte(0);
        Byte(static_cast<uint8_t>(formatCode));
        Name(frameName);
        Name(company);
        Word(count);
        Word(frameNumber);
        Word(totalFrames);
        Byte(0);
        Byte(0);
        return *this;
    }
    IldaBuilder& Point3D(int16_t x, int16_t y, int16_t z, uint16_t status) {
        Word(static_cast<uint16_t>(x));
        Word(static_cast<uint16_t>(y));
        Word(static_cast<uint16_t>(z));
        return Word(status);
    }
    IldaBuilder& Point2D(int16_t x, int16_t y, uint16_t status) {
        Word(static_cast<uint16_t>(x));
        Word(static_cast<uint16_t>(y));
        return Word(status);
    }
    // True-colour records (formats 4 and 5): the status byte, then blue, green and red, the
    // order in which the format stores them.
    IldaBuilder& Point3DTrueColour(int16_t x, int16_t y, int16_t z, uint8_t status, uint8_t red,
                                   uint8_t green, uint8_t blue) {
        Word(static_cast<uint16_t>(x));
        Word(static_cast<uint16_t>(y));
        Word(static_cast<uint16_t>(z));
        return Byte(status).Byte(blue).Byte(green).Byte(red);
    }
    IldaBuilder& Point2DTrueColour(int16_t x, int16_t y, uint8_t status, uint8_t red, uint8_t green,
                                   uint8_t blue) {
        Word(static_cast<uint16_t>(x));
        Word(static_cast<uint16_t>(y));
        return Byte(status).Byte(blue).Byte(green).Byte(red);
    }
    IldaBuilder& PaletteEntry(uint8_t r, uint8_t g, uint8_t b) {
        Byte(r);
        Byte(g);
        return Byte(b);
    }
    // A whole format-0 frame of `points` points on a small square path, colour index i % 64.
    IldaBuilder& Frame3D(uint16_t points, uint16_t frameNumber, uint16_t totalFrames) {
        Header(0, points, frameNumber, totalFrames);
        for (uint16_t i = 0; i < points; ++i)
            Point3D(static_cast<int16_t>((i % 7) * 160 - 480), static_cast<int16_t>((i % 5) * -320),
                    static_cast<int16_t>(i % 3 * 16), static_cast<uint16_t>(i % 64));
        return *this;
    }
    IldaBuilder& End(uint16_t totalFrames) { return Header(0, 0, totalFrames, totalFrames, "END"); }

    IldaBuilder& Word(uint16_t w) {
        bytes_.push_back(static_cast<uint8_t>(w >> 8));
        return Byte(static_cast<uint8_t>(w));
    }
    IldaBuilder& Byte(uint8_t b) {
        bytes_.push_back(b);
        return *this;
    }
    IldaBuilder& Bytes(const std::string& s) {
        bytes_.insert(bytes_.end(), s.begin(), s.end());
        return *this;
    }
    // Drops the last n bytes (to cut a header or record short).
    IldaBuilder& Cut(size_t n) {
        bytes_.resize(bytes_.size() > n ? bytes_.size() - n : 0);
        return *this;
    }

    const std::vector<uint8_t>& Data() const { return bytes_; }
    std::string String() const { return {bytes_.begin(), bytes_.end()}; }
    size_t Size() const { return bytes_.size(); }

private:
    void Name(const std::string& name) {
        std::string padded = name.substr(0, 8);
        padded.resize(8, ' ');
        Bytes(padded);
    }

    std::vector<uint8_t> bytes_;
};
