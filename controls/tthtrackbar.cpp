#include "controls/tthtrackbar.h"

TThTrackBar::TThTrackBar(QWidget* parent) : QSlider(Qt::Horizontal, parent) {
    setRange(0, 10);
    setValue(0);
    setTickPosition(QSlider::TicksBelow);
    setTickInterval(1);
    setPageStep(2);
}
