// CScreen: drawing one frame of a channel into the segment and dot buffers.
#include <cmath>

#include <QGuiApplication>
#include <QImage>
#include <QPainter>

#include "model/cchannel.h"
#include "model/cframe.h"
#include "model/cpoly.h"
#include "model/cthing.h"
#include "model/cvector.h"
#include "render/cscreen.h"
#include "render/drawbuffers.h"

namespace {

// Model colours (0x00BBGGRR) of the colour cycle, indexed by (phase >> 8) & 7.
constexpr uint32_t kCycleColours[8] = {
    0x0000FF, // red
    0x00FF00, // green
    0xFF0000, // blue
    0x00FFFF, // yellow
    0xFFFF00, // cyan
    0xFF00FF, // magenta
    0xFFFFFF, // white
    0x00C0FF, // orange
};

// Outcode bits of a point in eye space.
constexpr uint32_t kNear = 1;
constexpr uint32_t kFar = 2;
constexpr uint32_t kLeft = 4;
constexpr uint32_t kRight = 8;
constexpr uint32_t kTop = 16;
constexpr uint32_t kBottom = 32;

bool EyeFinite(const CVector& p) {
    return std::isfinite(p.view_x) && std::isfinite(p.view_y) && std::isfinite(p.view_z);
}

} // namespace

void CScreen::RenderFrame(const CPlacement* placement, const COuterPlacement* outerPlacement,
                          CScene* scene, CChannel* channel, CFrame* frame, int32_t time) {
    const int32_t s0 = segmentCount;
    CSegment* const added = firstSegment + s0;

    if (channel != nullptr && channel->type == 3)
        DrawLabels();

    if (frame != nullptr) {
        SetupEffects(placement, outerPlacement, scene, channel, frame, time);
        ComposeView(placement, outerPlacement, scene, channel, frame);
        for (CThing* thing = frame->FirstThing(); thing != nullptr; thing = thing->Next(false)) {
            for (CPoly* poly = thing->FirstPoly(); poly != nullptr; poly = poly->Next(false))
                DrawPoly(poly);
            // The free vertices form one open path. Each inner point is coloured twice (as the
            // look-ahead of one edge and as the end of the next), which the cycled colours
            // depend on.
            CVector* prev = thing->FirstVertex();
            if (prev == nullptr)
                continue;
            PointColour(prev);
            CVector* cur = prev->Next(false);
            while (cur != nullptr) {
                PointColour(cur);
                CVector* next = cur->Next(false);
                if (next != nullptr) {
                    PointColour(next);
                    DrawEdge(prev, cur, true, false);
                } else {
                    DrawEdge(prev, cur, true, true);
                }
                prev = cur;
                cur = next;
            }
        }
        colourCycling = false;
    }

    if (channel == nullptr)
        return;
    if (channel->type == 2)
        MakeBeams(added, segmentCount - s0);
    if (frame != nullptr && channel->write_out_busy != 0) {
        if (writeOutActive && writeOutForward) {
            if (writeOutCount < segmentCount)
                segmentCount = writeOutCount;
            else
                channel->write_out_busy = 0;
        } else if (writeOutActive) {
            if (writeOutCount < segmentCount) {
                firstSegment = SegmentBuffer + writeOutCount;
                segmentCount -= writeOutCount;
            } else {
                segmentCount = 0;
                channel->write_out_busy = 0;
            }
        } else {
            channel->write_out_busy = 0;
        }
    }
}

void CScreen::DrawLabels() {
    // Qt's text engine cannot run without a GUI application object (it needs the font
    // database); callers without one get the picture without labels.
    if (!bitmap || bitmap->isNull() || qobject_cast<QGuiApplication*>(qApp) == nullptr)
        return;
    const int x = bitmap->width() / 2 - 16;
    const int y = bitmap->height() / 2 - 16;
    QPainter painter(bitmap.get());
    painter.setFont(canvasFont);
    painter.setPen(QColor(0xFF, 0xFF, 0xFF));
    painter.setBackgroundMode(Qt::TransparentMode);
    // Positions are the top-left corner of the text, rows counted from the top.
    const int flags = Qt::AlignLeft | Qt::AlignTop | Qt::TextDontClip;
    painter.drawText(QRect(x, y, 0, 0), flags, QStringLiteral("Beam"));
    painter.drawText(QRect(x, y + 16, 0, 0), flags, QStringLiteral("Table"));
    painter.end();
    // A painter detaches an image whose pixels are shared with a copy; the rows the rasteriser
    // writes must be the ones the bitmap now holds.
    if (bits != nullptr) {
        bits = reinterpret_cast<uint32_t*>(bitmap->scanLine(bitmap->height() - 1));
        pitch = -static_cast<int32_t>(bitmap->bytesPerLine() / 4);
    }
}

void CScreen::DrawPoly(CPoly* poly) {
    const int32_t n = poly->VertexCount();
    if (n <= 2)
        return;
    if (poly->two_sided == 0) {
        const CVector& eye = camera.translation;
        const float facing = poly->normal.x * eye.x + poly->normal.y * eye.y +
                             poly->normal.z * eye.z - poly->distance;
        if (!(facing >= 0.0f))
            return;
    }
    CVector* first = poly->FirstVertex();
    CVector* p = first;
    PointColour(p);
    CVector* q = p->next != nullptr ? p->next : first;
    PointColour(q);
    for (int32_t i = 0; i < n; ++i) {
        DrawEdge(p, q, true, false);
        CVector* r = q->next != nullptr ? q->next : first;
        PointColour(r);
        p = q;
        q = r;
    }
}

void CScreen::DrawEdge(CVector* a, CVector* b, bool pushStart, bool pushEnd) {
    TransformPoint(a);
    TransformPoint(b);
    // A coordinate that is not a number, or one so large that the view transform overflows,
    // has no place on the screen; the outcodes cannot classify it, so the edge is dropped here.
    if (!EyeFinite(*a) || !EyeFinite(*b))
        return;
    ComputeOutcode(a);
    ComputeOutcode(b);
    if ((a->clip_flags & b->clip_flags) != 0)
        return;
    if (a->clip_flags != 0)
        pushStart = false;
    if (b->clip_flags != 0)
        pushEnd = false;
    if (a->clip_flags == 0 && b->clip_flags == 0) {
        ProjectPoint(a);
        ProjectPoint(b);
        AddSegment(*a, *b);
    } else {
        ClipEdge(a, b);
    }
    if (pushStart)
        AddDot(*a);
    if (pushEnd)
        AddDot(*b);
}

void CScreen::TransformPoint(CVector* p) const {
    const float* r = view.rotation;
    const CVector& t = view.translation;
    p->view_x = (p->x * r[0] + p->y * r[3] + p->z * r[6] + t.x) * scaleX;
    p->view_y = (p->x * r[1] + p->y * r[4] + p->z * r[7] + t.y) * scaleY;
    p->view_z = p->x * r[2] + p->y * r[5] + p->z * r[8] + t.z;
}

void CScreen::ComputeOutcode(CVector* p) const {
    const float ex = p->view_x;
    const float ey = p->view_y;
    const float ez = p->view_z;
    uint32_t code = 0;
    if (!(ez >= nearPlane))
        code |= kNear;
    if (ez > farPlane)
        code |= kFar;
    if (ex < -ez)
        code |= kLeft;
    if (ex > ez)
        code |= kRight;
    if (ey > ez)
        code |= kTop;
    if (ey < -ez)
        code |= kBottom;
    p->clip_flags = code;
}

void CScreen::ClipEdge(CVector* a, CVector* b) {
    for (uint32_t bit = kNear; bit <= kBottom; bit <<= 1) {
        if ((a->clip_flags & bit) != 0)
            ClipToBoundary(a, b, bit);
        if ((b->clip_flags & bit) != 0)
            ClipToBoundary(b, a, bit);
    }
    if ((a->clip_flags & b->clip_flags) != 0)
        return;
    ProjectPoint(a);
    ProjectPoint(b);
    AddSegment(*a, *b);
}

void CScreen::ClipToBoundary(CVector* p, CVector* q, uint32_t bit) const {
    float dp = 0.0f;
    float dq = 0.0f;
    switch (bit) {
    case kNear:
        dp = p->view_z - nearPlane;
        dq = q->view_z - nearPlane;
        break;
    case kFar:
        dp = p->view_z - farPlane;
        dq = q->view_z - farPlane;
        break;
    case kLeft:
        dp = p->view_z + p->view_x;
        dq = q->view_z + q->view_x;
        break;
    case kRight:
        dp = p->view_z - p->view_x;
        dq = q->view_z - q->view_x;
        break;
    case kTop:
        dp = p->view_z - p->view_y;
        dq = q->view_z - q->view_y;
        break;
    case kBottom:
        dp = p->view_z + p->view_y;
        dq = q->view_z + q->view_y;
        break;
    default:
        return;
    }
    const float t = dq == dp ? 1.0f : dq / (dq - dp);
    p->view_x = t * p->view_x + (1.0f - t) * q->view_x;
    p->view_y = t * p->view_y + (1.0f - t) * q->view_y;
    p->view_z = t * p->view_z + (1.0f - t) * q->view_z;
    ComputeOutcode(p);
}

void CScreen::ProjectPoint(CVector* p) const {
    const float inv = 1.0f / p->view_z;
    p->view_z = inv;
    p->view_x = p->view_x * halfExtentX * inv + centreX;
    p->view_y = p->view_y * halfExtentY * inv + centreY;
}

void CScreen::PointColour(CVector* p) {
    if (!colourCycling)
        return;
    if (p->colour == 0) {
        p->cycle_colour = 0;
        return;
    }
    p->cycle_colour = kCycleColours[(cyclePhase >> 8) & 7];
    // Wraps like the 32-bit original instead of overflowing.
    cyclePhase =
        static_cast<int32_t>(static_cast<uint32_t>(cyclePhase) + static_cast<uint32_t>(cycleStep));
}

void CScreen::MakeBeams(CSegment* first, int32_t count) const {
    for (int32_t i = 0; i < count; ++i) {
        first[i].start.x = width >> 1;
        first[i].start.y = 0;
    }
}
