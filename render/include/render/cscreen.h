#pragma once

#include <cstdint>
#include <memory>

#include <QFont>

#include "model/cmatrix.h"
#include "render/csegment.h"
#include "render/cvertex.h"

class QImage;
class QPainter;
class CVector;
class CScene;
class CChannel;
class CFrame;
class CPoly;
struct CPlacement;
struct COuterPlacement;

// The preview's off-screen drawing surface.
//
// A draw is always BeginDraw, Clear(0), RenderFrame, EndDraw, then CopyTo onto the target.
// RenderFrame fills the process-wide segment and dot buffers (render/drawbuffers.h) with
// projected geometry; EndDraw rasterises it straight into the bitmap's pixels.
//
// Pixel addressing is bottom-up: the pixel at column x, row y is bits[y * pitch + x], row 0 being
// the bottom row of the picture. A pixel holds 0x00RRGGBB; model colours are 0x00BBGGRR and are
// converted when rasterised (PixelFromColour).
//
// The labels of a beam-table channel are drawn with Qt's text engine, which needs a
// QGuiApplication; without one they are left out. Everything else works without an
// application object. Single-threaded.
class CScreen {
public:
    CScreen();
    ~CScreen();

    CScreen(const CScreen&) = delete;
    CScreen& operator=(const CScreen&) = delete;

    // Sizes the bitmap and sets the projection constants that follow from the size. A size that
    // cannot be allocated (or is not positive) leaves an empty bitmap, on which draws do nothing.
    // A draw in progress is abandoned: nothing is rasterised until the next BeginDraw.
    void SetSize(int32_t width, int32_t height);

    // Starts a draw: empties the buffers and fetches the pixel address and row pitch.
    void BeginDraw();
    // Fills every byte of every row with fill.
    void Clear(int8_t fill);
    // Stores a segment between the projected positions (view_x, view_y) of from and to, in the
    // points' cycle_colour while colour cycling, else their colour. False when it was not
    // stored: the draw already holds kMaxSegments, or a position is not finite. Positions
    // outside the bitmap are pulled onto its edge.
    bool AddSegment(const CVector& from, const CVector& to);
    // Stores the projected position of point as a dot. False when the dot buffer is full.
    bool AddDot(CVector& point);
    // Rasterises the stored segments, those ending in a blanked point first so that lit lines
    // lie on top, then (if drawDots) the dots, in white.
    void EndDraw(bool drawDots);
    // Draws the bitmap unscaled with its top-left corner at (0, 0).
    void CopyTo(QPainter& canvas) const;

    // Draws one frame of channel: the labels of a beam-table channel (type 3), then every poly
    // and polyline of frame through the view and effects of the channel and scene at the given
    // animation time. Every argument may be null.
    void RenderFrame(const CPlacement* placement, const COuterPlacement* outerPlacement,
                     CScene* scene, CChannel* channel, CFrame* frame, int32_t time);

    // Computes the starting camera and the per-draw write-out and colour-cycle state from the
    // effect settings of channel and scene and the clock.
    void SetupEffects(const CPlacement* placement, const COuterPlacement* outerPlacement,
                      CScene* scene, CChannel* channel, CFrame* frame, int32_t time);
    // Multiplies the placements into camera and sets view to its inverse.
    void ComposeView(const CPlacement* placement, const COuterPlacement* outerPlacement,
                     CScene* scene, CChannel* channel, CFrame* frame);

    // The off-screen picture (for CopyTo's callers that need the pixels themselves).
    [[nodiscard]] const QImage* Image() const { return bitmap.get(); }

    // Converts a model colour (0x00BBGGRR) to a pixel value (0x00RRGGBB).
    [[nodiscard]] static uint32_t PixelFromColour(uint32_t colour) {
        return ((colour & 0xFF) << 16) | (((colour >> 8) & 0xFF) << 8) | ((colour >> 16) & 0xFF);
    }

    // The surface's state; RenderFrame and the effects read and write these directly.
    std::unique_ptr<QImage> bitmap;
    int32_t segmentCount = 0;
    int32_t dotCount = 0;
    CSegment* firstSegment = nullptr;
    uint32_t* bits = nullptr;
    int32_t pitch = 0;
    int32_t width = 0;
    int32_t height = 0;
    float fieldOfView = 0.0f;
    float focal = 0.0f;
    float nearPlane = 0.0f;
    float farPlane = 0.0f;
    float widthF = 0.0f;
    float heightF = 0.0f;
    float centreX = 0.0f;
    float centreY = 0.0f;
    float marginX = 0.0f;
    float marginY = 0.0f;
    float scaleX = 0.0f;
    float scaleY = 0.0f;
    float halfExtentX = 0.0f;
    float halfExtentY = 0.0f;
    bool writeOutActive = false;
    bool writeOutForward = true;
    bool colourCycling = false;
    int32_t cyclePhase = 0;
    int32_t cycleStep = 0;
    int32_t writeOutCount = 0;
    CMatrix view;
    CMatrix camera;

    // The frame renderer's steps, public so that each can be exercised on its own. They work on
    // the points' view_x, view_y, view_z (eye coordinates, then screen column, row and
    // reciprocal depth), cycle_colour and clip_flags; x, y and z are never changed.

    // Draws the closed outline of a poly of three or more points, unless it faces away from the
    // eye and is not two-sided. Each edge offers its start as a dot.
    void DrawPoly(CPoly* poly);
    // Transforms, clips, projects and stores the edge a-b, and offers a and/or b as dots when
    // they lie inside the view. An edge with a coordinate that is not finite in eye space is
    // dropped whole.
    void DrawEdge(CVector* a, CVector* b, bool pushStart, bool pushEnd);
    // Model point to eye space through view; x and y are scaled by the lens factors.
    void TransformPoint(CVector* p) const;
    // clip_flags = the outcode: 1 near (or depth not a number), 2 far, 4 left, 8 right, 16 top,
    // 32 bottom.
    void ComputeOutcode(CVector* p) const;
    // Clips both ends onto the view volume boundary by boundary and stores what is left.
    void ClipEdge(CVector* a, CVector* b);
    // Moves p along the line towards q onto the boundary of the given outcode bit.
    void ClipToBoundary(CVector* p, CVector* q, uint32_t bit) const;
    // Eye coordinates to screen column and row (from the bottom) and 1 / depth.
    void ProjectPoint(CVector* p) const;
    // While colour cycling: the next colour of the cycle for a lit point, 0 for a black one.
    void PointColour(CVector* p);
    // Moves the start of count segments to the middle of the bottom row.
    void MakeBeams(CSegment* first, int32_t count) const;

private:
    void DrawLabels();
    void RasteriseSegment(const CSegment& segment) const;
    void RasteriseDot(const CVertex& dot) const;
    [[nodiscard]] bool ToPixel(float x, float y, int32_t* column, int32_t* row) const;

    // The canvas font prepared by SetSize: the platform default, bold.
    QFont canvasFont;
};
