#pragma once

#include <QColor>
#include <QWidget>

// A border frame drawn on its parent's surface: a one-pixel rectangle in its colour, or, with
// no colour, the toolkit's sunken etched frame. It takes no mouse input, and the window
// places it under its windowed siblings.
class TBorder : public QWidget {
    Q_OBJECT

public:
    explicit TBorder(QWidget* parent, QColor colour = QColor());

    [[nodiscard]] QColor Colour() const { return colour; }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QColor colour;
};
