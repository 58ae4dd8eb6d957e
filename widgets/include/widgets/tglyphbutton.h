#pragma once

#include <QPushButton>

#include "widgets/glyphs.h"

// A push button with a 16 × 16 two-state glyph (normal and disabled) left of its caption.
// It takes the keyboard focus only when clicked, and a focused one answers Enter itself.
class TGlyphButton : public QPushButton {
    Q_OBJECT

public:
    TGlyphButton(TGlyph glyph, const QString& caption, QWidget* parent);

    [[nodiscard]] TGlyph Glyph() const { return glyph; }

private:
    TGlyph glyph;
};
