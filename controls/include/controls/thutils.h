#pragma once

#include <QColor>
#include <QFont>
#include <QPoint>
#include <QRect>

#include <cstdint>

class QPainter;

// Colours of the themed controls are 0x00BBGGRR values (red in the low byte).
inline constexpr std::int32_t thFace = 0xD2D2D2;
inline constexpr std::int32_t thHighlight = 0xF0F0F0;
inline constexpr std::int32_t thBorder = 0xB19278;
inline constexpr std::int32_t thPanelColour = 0xCCCCCC;
inline constexpr std::int32_t thTitleRampStart = 0xF0D8C9;
inline constexpr std::int32_t thTitleRampEnd = 0xD0B8A9;
inline constexpr std::int32_t thButtonRampStart = 0xE8E8EA;
inline constexpr std::int32_t thButtonRampEnd = 0xC7C7C9;
inline constexpr std::int32_t thPressedRampStart = 0xC5B2A5;
inline constexpr std::int32_t thPressedRampEnd = 0xAB988B;

// Converts a 0x00BBGGRR colour into an opaque QColor.
[[nodiscard]] QColor ThColour(std::int32_t bbggrr);

// Converts a QColor into 0x00BBGGRR (alpha dropped).
[[nodiscard]] std::int32_t ThColourValue(const QColor& colour);

// The small sans face that stands in for the toolkit's default bitmap face at every size the
// themed controls ask for (it has no smaller rendering than about 8 points).
[[nodiscard]] QFont ThemeFont(bool bold = false);

// Draws a line with the canvas pen from `from` towards `to`, leaving out the end point, so
// that consecutive lines share corners without drawing them twice. Only horizontal and
// vertical lines are supported; a zero-length line draws nothing. The painter should have
// antialiasing off for the result to be pixel-exact.
void DrawLineExcludingEnd(QPainter& canvas, QPoint from, QPoint to);

// Paints rect (QRect: right edge exclusive is left() + width()) with a ramp from startColour to
// endColour (both 0x00BBGGRR): one line per column from left to right when byColumns is true,
// else one line per row from top to bottom. Line i takes each channel i / count of the way,
// truncated towards zero, so the first line is exactly startColour and a rising channel never
// quite reaches its end value. An empty or inverted rect draws nothing. Only the pen colour is
// changed while drawing; the pen (colour, style, width) and the composition mode are restored.
void GradientFill(QPainter& canvas, const QRect& rect, bool byColumns, std::int32_t startColour,
                  std::int32_t endColour);
