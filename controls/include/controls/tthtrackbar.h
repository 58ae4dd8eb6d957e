#pragma once

#include <QSlider>

// The themed track bar: the toolkit track bar's interface, drawn in the themed look. A
// horizontal bar shows a channel framed in the border colour, a tick below the channel at every
// Frequency (tickInterval) step when ticks are below, and a thumb pointing down at them, filled
// with the button ramp (the pressed ramp while it is dragged) and outlined in the border colour.
// ThumbLength is the thumb's extent across the channel, as in the toolkit; the thumb is about
// half as wide. A vertical bar is drawn by the application style.
//
// It starts with the toolkit track bar's defaults: horizontal, range 0 to 10, position 0, a
// tick at every step below the bar, thumb length 20.
class TThTrackBar : public QSlider {
    Q_OBJECT

public:
    explicit TThTrackBar(QWidget* parent = nullptr);

    [[nodiscard]] int ThumbLength() const { return thumbLength; }
    void SetThumbLength(int length);

private:
    int thumbLength = 20;
};
