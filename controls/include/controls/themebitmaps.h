#pragma once

#include <QPixmap>
#include <QString>

#include "controls/tthbitbtn.h"

// The bitmap resources of the themed controls, drawn in code: the 32 × 32 type icons
// "ID_BITMAP_WARNING", "ID_BITMAP_ERROR", "ID_BITMAP_INFORMATION", "ID_BITMAP_CONFIRMATION"
// and the 16 × 16 title-bar icon "ID_BITMAP_ICON". An unknown name gives a null pixmap.
[[nodiscard]] QPixmap LoadThemeBitmap(const QString& name);

// The glyph strip of a standard button kind: two 16 × 16 images side by side, normal and
// disabled. bkCustom gives a null pixmap.
[[nodiscard]] QPixmap KindGlyph(TBitBtnKind kind);
