#pragma once

#include <QSlider>

// The themed track bar: the toolkit track bar unchanged. It starts with the toolkit track
// bar's defaults: horizontal, range 0 to 10, position 0, a tick at every step below the bar.
class TThTrackBar : public QSlider {
    Q_OBJECT

public:
    explicit TThTrackBar(QWidget* parent = nullptr);
};
