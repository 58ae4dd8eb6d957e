#include "controls/tthtrackbar.h"

#include <QPainter>
#include <QPainterPath>
#include <QPolygon>
#include <QProxyStyle>
#include <QStyleOptionSlider>

#include <algorithm>

#include "controls/thutils.h"

namespace {

// The thumb's centre never comes nearer than this to either end of the bar.
constexpr int channelInset = 8;
// The thumb's top edge, the channel's height and the ticks' lengths (the end ticks are one
// pixel longer).
constexpr int thumbTop = 2;
constexpr int channelHeight = 4;
constexpr int tickLength = 3;

// Where the parts of a horizontal bar lie, for drawing and for the slider's hit testing and
// dragging alike, so that the thumb is always grabbed where it is drawn.
struct TTrackGeometry {
    TTrackGeometry(const QStyleOptionSlider& option, int thumbLength) {
        const QRect bounds = option.rect;
        thumbWidth = std::max(3, (thumbLength / 2) | 1);
        length = thumbLength;
        firstCentre = bounds.left() + channelInset;
        span = std::max(0, bounds.width() - 1 - 2 * channelInset);
        top = bounds.top() + thumbTop;
        const int body = length - (thumbWidth / 2 + 1);
        channel = QRect(firstCentre - thumbWidth / 2, top + (body - channelHeight) / 2,
                        span + thumbWidth, channelHeight);
        const int centre = CentreOf(option, option.sliderPosition);
        thumb = QRect(centre - thumbWidth / 2, top, thumbWidth, length);
    }

    // The x of the thumb's centre (and of the tick) for a value.
    [[nodiscard]] int CentreOf(const QStyleOptionSlider& option, int value) const {
        return firstCentre + QStyle::sliderPositionFromValue(option.minimum, option.maximum, value,
                                                             span, option.upsideDown);
    }

    // The slider measures its track from the groove's left edge to its right edge less the
    // handle's width: the groove is the span the thumb's rectangle sweeps.
    [[nodiscard]] QRect Groove() const {
        return QRect(firstCentre - thumbWidth / 2, top, span + thumbWidth, length);
    }
    [[nodiscard]] QPolygon ThumbOutline() const {
        const int body = length - (thumbWidth / 2 + 1);
        const int centre = thumb.left() + thumbWidth / 2;
        return QPolygon({QPoint(thumb.left(), thumb.top()), QPoint(thumb.right(), thumb.top()),
                         QPoint(thumb.right(), thumb.top() + body - 1),
                         QPoint(centre, thumb.bottom()),
                         QPoint(thumb.left(), thumb.top() + body - 1)});
    }

    int thumbWidth = 0;
    int length = 0;
    int firstCentre = 0;
    int span = 0;
    int top = 0;
    QRect channel;
    QRect thumb;
};

class TThTrackBarStyle : public QProxyStyle {
public:
    using QProxyStyle::QProxyStyle;

    int pixelMetric(PixelMetric metric, const QStyleOption* option,
                    const QWidget* widget) const override {
        if (const auto* bar = qobject_cast<const TThTrackBar*>(widget)) {
            if (metric == PM_SliderThickness)
                return bar->ThumbLength() + tickLength + 3;
            if (metric == PM_SliderLength)
                return std::max(3, (bar->ThumbLength() / 2) | 1);
        }
        return QProxyStyle::pixelMetric(metric, option, widget);
    }

    QRect subControlRect(ComplexControl control, const QStyleOptionComplex* option, SubControl part,
                         const QWidget* widget) const override {
        const auto* bar = qobject_cast<const TThTrackBar*>(widget);
        const auto* slider = qstyleoption_cast<const QStyleOptionSlider*>(option);
        if (control != CC_Slider || bar == nullptr || slider == nullptr ||
            slider->orientation != Qt::Horizontal)
            return QProxyStyle::subControlRect(control, option, part, widget);
        const TTrackGeometry geometry(*slider, bar->ThumbLength());
        switch (part) {
        case SC_SliderHandle:
            return geometry.thumb;
        case SC_SliderGroove:
            return geometry.Groove();
        default:
            return QProxyStyle::subControlRect(control, option, part, widget);
        }
    }

    void drawComplexControl(ComplexControl control, const QStyleOptionComplex* option,
                            QPainter* painter, const QWidget* widget) const override {
        const auto* bar = qobject_cast<const TThTrackBar*>(widget);
        const auto* slider = qstyleoption_cast<const QStyleOptionSlider*>(option);
        if (control != CC_Slider || bar == nullptr || slider == nullptr ||
            slider->orientation != Qt::Horizontal) {
            QProxyStyle::drawComplexControl(control, option, painter, widget);
            return;
        }
        Draw(*slider, *bar, *painter);
    }

private:
    static void Draw(const QStyleOptionSlider& option, const TThTrackBar& bar, QPainter& canvas) {
        const TTrackGeometry geometry(option, bar.ThumbLength());
        canvas.save();
        canvas.setRenderHint(QPainter::Antialiasing, false);

        // The channel: highlight inside a border-colour frame.
        canvas.fillRect(geometry.channel, ThColour(thHighlight));
        canvas.setPen(ThColour(thBorder));
        canvas.setBrush(Qt::NoBrush);
        canvas.drawRect(geometry.channel.adjusted(0, 0, -1, -1));

        if (option.tickPosition & QSlider::TicksBelow) {
            const int step =
                option.tickInterval > 0 ? option.tickInterval : std::max(1, option.pageStep);
            const int tickTop = geometry.top + geometry.length + 1;
            for (int value = option.minimum; value <= option.maximum; value += step) {
                const int x = geometry.CentreOf(option, value);
                const bool end = value == option.minimum || value + step > option.maximum;
                canvas.drawLine(x, tickTop, x, tickTop + tickLength - (end ? 0 : 1));
            }
        }

        // The thumb: the button ramp inside its outline, pressed while dragged; the disabled
        // bar keeps the normal ramp, as the themed buttons do.
        const QPolygon outline = geometry.ThumbOutline();
        const bool pressed = (option.state & QStyle::State_Sunken) &&
                             (option.activeSubControls & QStyle::SC_SliderHandle);
        canvas.save();
        QPainterPath clip;
        clip.addPolygon(outline);
        clip.closeSubpath();
        canvas.setClipPath(clip);
        GradientFill(canvas, geometry.thumb.adjusted(0, 0, 0, 1), false,
                     pressed ? thPressedRampStart : thButtonRampStart,
                     pressed ? thPressedRampEnd : thButtonRampEnd);
        canvas.restore();
        canvas.setPen(ThColour(thBorder));
        canvas.drawPolygon(outline);

        if (option.state & QStyle::State_HasFocus) {
            QPen dotted(Qt::black);
            dotted.setStyle(Qt::DotLine);
            canvas.setPen(dotted);
            canvas.drawRect(option.rect.adjusted(0, 0, -1, -1));
        }
        canvas.restore();
    }
};

} // namespace

TThTrackBar::TThTrackBar(QWidget* parent) : QSlider(Qt::Horizontal, parent) {
    // The style is a child of the bar: it ends with it.
    auto* themed = new TThTrackBarStyle();
    themed->setParent(this);
    setStyle(themed);
    setRange(0, 10);
    setValue(0);
    setTickPosition(QSlider::TicksBelow);
    setTickInterval(1);
    setPageStep(2);
}

void TThTrackBar::SetThumbLength(int length) {
    if (length == thumbLength)
        return;
    thumbLength = std::max(3, length);
    updateGeometry();
    update();
}
