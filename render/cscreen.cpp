#include "render/cscreen.h"

#include <algorithm>
#include <cassert>
#include <cmath>
#include <cstring>

#include <QImage>
#include <QPainter>

#include "model/cvector.h"
#include "model/geometry.h"
#include "render/drawbuffers.h"

CScreen::CScreen() : bitmap(std::make_unique<QImage>()) {
    MatrixIdentity(&view);
    MatrixIdentity(&camera);
}

CScreen::~CScreen() = default;

void CScreen::SetSize(int32_t newWidth, int32_t newHeight) {
    fieldOfView = 1.0f;
    nearPlane = 1.0f;
    farPlane = 131072.0f;
    marginX = 1.0f;
    marginY = 1.0f;
    widthF = static_cast<float>(newWidth);
    heightF = static_cast<float>(newHeight);
    focal = static_cast<float>(1.0 / std::tan(static_cast<double>(fieldOfView * 0.5f)));
    centreX = widthF * 0.5f;
    centreY = heightF * 0.5f;
    halfExtentX = centreX - marginX;
    halfExtentY = centreY - marginY;
    if (widthF >= heightF) {
        scaleX = focal * heightF / widthF;
        scaleY = focal;
    } else {
        scaleX = focal;
        scaleY = focal * widthF / heightF;
    }
    width = newWidth;
    height = newHeight;
    // Whatever an unfinished draw collected was placed for the old size; the next draw starts
    // with BeginDraw on the new pixels.
    segmentCount = 0;
    dotCount = 0;
    bits = nullptr;
    pitch = 0;
    if (bitmap) {
        // QImage refuses sizes it cannot allocate and stays null; every draw then does nothing.
        if (newWidth > 0 && newHeight > 0)
            *bitmap = QImage(newWidth, newHeight, QImage::Format_RGB32);
        else
            *bitmap = QImage();
        canvasFont = QFont();
        canvasFont.setBold(true);
    }
}

void CScreen::BeginDraw() {
    segmentCount = 0;
    dotCount = 0;
    firstSegment = SegmentBuffer;
    if (!bitmap || bitmap->isNull()) {
        bits = nullptr;
        pitch = 0;
        return;
    }
    // QImage stores its rows top-down, so the bottom row is the last scan line and a step up is
    // a step back by one line.
    bits = reinterpret_cast<uint32_t*>(bitmap->scanLine(bitmap->height() - 1));
    pitch = -static_cast<int32_t>(bitmap->bytesPerLine() / 4);
}

void CScreen::Clear(int8_t fill) {
    if (bits == nullptr)
        return;
    const int rows = bitmap->height();
    const size_t rowBytes = static_cast<size_t>(bitmap->width()) * 4;
    uint32_t* row = bits;
    for (int i = 0; i < rows; ++i, row += pitch)
        std::memset(row, static_cast<unsigned char>(fill), rowBytes);
}

bool CScreen::ToPixel(float x, float y, int32_t* column, int32_t* row) const {
    if (!std::isfinite(x) || !std::isfinite(y) || width <= 0 || height <= 0)
        return false;
    // Clipping leaves every point inside the view, but rounding in the clipper can put a point of
    // an extreme edge a little (or, for coordinates near the float range, far) outside it;
    // pulling it onto the edge keeps every write inside the bitmap.
    x = std::clamp(x, 0.0f, static_cast<float>(width - 1));
    y = std::clamp(y, 0.0f, static_cast<float>(height - 1));
    *column = static_cast<int32_t>(x);
    *row = static_cast<int32_t>(y);
    return true;
}

bool CScreen::AddSegment(const CVector& from, const CVector& to) {
    if (segmentCount >= kMaxSegments)
        return false;
    CSegment::End start{};
    CSegment::End end{};
    if (!ToPixel(from.view_x, from.view_y, &start.x, &start.y) ||
        !ToPixel(to.view_x, to.view_y, &end.x, &end.y))
        return false;
    start.blank = from.blank != 0;
    end.blank = to.blank != 0;
    start.colour = colourCycling ? from.cycle_colour : from.colour;
    end.colour = colourCycling ? to.cycle_colour : to.colour;
    CSegment& segment = SegmentBuffer[segmentCount++];
    segment.start = start;
    segment.end = end;
    return true;
}

bool CScreen::AddDot(CVector& point) {
    if (dotCount >= kDotBufferSize)
        return false;
    CVertex& dot = DotBuffer[dotCount++];
    dot.x = point.view_x;
    dot.y = point.view_y;
    dot.colour = point.cycle_colour;
    dot.blank = point.blank != 0;
    dot.flag = 0;
    dot.source = &point;
    return true;
}

void CScreen::EndDraw(bool drawDots) {
    if (bits == nullptr)
        return;
    for (int32_t i = 0; i < segmentCount; ++i)
        if (firstSegment[i].end.blank)
            RasteriseSegment(firstSegment[i]);
    for (int32_t i = 0; i < segmentCount; ++i)
        if (!firstSegment[i].end.blank)
            RasteriseSegment(firstSegment[i]);
    if (drawDots)
        for (int32_t i = 0; i < dotCount; ++i)
            RasteriseDot(DotBuffer[i]);
}

// Bresenham without bounds checks: AddSegment only stores endpoints inside the bitmap, and the
// line between two inside points stays inside. Note the two thresholds: the mostly horizontal
// branch steps a row when the error exceeds dx, the mostly vertical one steps a column as soon as
// the error is positive; the picture depends on exactly this.
void CScreen::RasteriseSegment(const CSegment& segment) const {
    const int32_t x0 = segment.start.x;
    const int32_t y0 = segment.start.y;
    const int32_t x1 = segment.end.x;
    const int32_t y1 = segment.end.y;
    assert(x0 >= 0 && x0 < width && y0 >= 0 && y0 < height);
    assert(x1 >= 0 && x1 < width && y1 >= 0 && y1 < height);
    const uint32_t pixel = PixelFromColour(segment.end.colour);
    int32_t dx = x1 - x0;
    int32_t dy = y1 - y0;
    const ptrdiff_t columnStep = dx >= 0 ? 1 : -1;
    const ptrdiff_t rowStep = dy >= 0 ? pitch : -static_cast<ptrdiff_t>(pitch);
    dx = std::abs(dx);
    dy = std::abs(dy);
    int32_t error = 0;
    uint32_t* out = bits + static_cast<ptrdiff_t>(pitch) * y0 + x0;
    if (dy < dx) {
        for (int32_t i = 0; i <= dx; ++i) {
            *out = pixel;
            error += dy;
            if (error > dx) {
                error -= dx;
                out += rowStep;
            }
            out += columnStep;
        }
    } else {
        for (int32_t i = 0; i <= dy; ++i) {
            *out = pixel;
            error += dx;
            if (error > 0) {
                error -= dy;
                out += columnStep;
            }
            out += rowStep;
        }
    }
}

void CScreen::RasteriseDot(const CVertex& dot) const {
    // Compared as floats first so that only values inside the bitmap are converted; the outer
    // ring of pixels never receives a dot, which leaves room for the 3 x 3 block.
    if (!(dot.x >= 1.0f && dot.x < static_cast<float>(width - 1)) ||
        !(dot.y >= 1.0f && dot.y < static_cast<float>(height - 1)))
        return;
    const int32_t ix = static_cast<int32_t>(dot.x);
    const int32_t iy = static_cast<int32_t>(dot.y);
    uint32_t* centre = bits + static_cast<ptrdiff_t>(pitch) * iy + ix;
    constexpr uint32_t kWhite = 0xFFFFFF;
    if (dot.source != nullptr && dot.source->marked != 0) {
        for (int row = -1; row <= 1; ++row)
            for (int column = -1; column <= 1; ++column)
                centre[static_cast<ptrdiff_t>(pitch) * row + column] = kWhite;
    } else {
        *centre = kWhite;
    }
}

void CScreen::CopyTo(QPainter& canvas) const {
    if (bitmap && !bitmap->isNull())
        canvas.drawImage(0, 0, *bitmap);
}
