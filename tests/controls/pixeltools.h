#pragma once

#include <QImage>
#include <QRect>
#include <QWidget>

#include <cstdint>
#include <functional>

// Helpers shared by the pixel tests of the themed controls.

// The pixel at (x, y) as a 0x00BBGGRR colour.
[[nodiscard]] std::int32_t PixelAt(const QImage& image, int x, int y);

// The widget rendered into an opaque image of its own size.
[[nodiscard]] QImage Render(QWidget& widget);

// Bounding box of the pixels for which keep(colour) holds; null when there are none.
[[nodiscard]] QRect BoundingBoxOf(const QImage& image,
                                  const std::function<bool(std::int32_t)>& keep);

// A colour whose channels are all below 0x60: text pixels on the light themed faces.
[[nodiscard]] bool IsDark(std::int32_t colour);
