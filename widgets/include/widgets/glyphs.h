#pragma once

#include <QIcon>
#include <QImage>

// The 16 × 16 two-state glyphs of the window's buttons, drawn in code.
enum class TGlyph {
    Start,   // green arrow to the right
    Stop,    // red square
    Cancel,  // red cross (the toolkit's standard cancel glyph)
    Close,   // open door with an arrow leaving it
    Quit,    // red circle with a white cross
    Search,  // magnifying glass
    Save,    // floppy disk
    Convert, // document with an arrow into a second one
    Preview, // screen showing a beam figure
    Next,    // triangle to the right with a bar
    Prev,    // bar with a triangle to the left
    Play,    // green triangle
    Web,     // globe
};

inline constexpr int glyphSize = 16;

// The glyph's image, 16 × 16 with a transparent background: in colour when enabled, else the
// toolkit's disabled look (grey with a white shadow below and to the right).
[[nodiscard]] QImage GlyphImage(TGlyph glyph, bool enabled);

// An icon carrying both images, the disabled one for QIcon::Disabled.
[[nodiscard]] QIcon GlyphIcon(TGlyph glyph);
