#include "widgets/tglyphbutton.h"

TGlyphButton::TGlyphButton(TGlyph glyph, const QString& caption, QWidget* parent)
    : QPushButton(caption, parent), glyph(glyph) {
    setIcon(GlyphIcon(glyph));
    setIconSize(QSize(glyphSize, glyphSize));
    setFocusPolicy(Qt::ClickFocus);
    setAutoDefault(true);
}
