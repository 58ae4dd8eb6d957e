#pragma once

#include <QImage>
#include <QWidget>

#include <functional>

// The drawing area: a widget showing its canvas, an image of its own size. Pictures are drawn
// onto the canvas (CScreen::CopyTo through a QPainter on Canvas()), at any time; Present()
// then shows the canvas without raising the paint notification. Every other paint (the
// widget shown, uncovered or resized) first calls the paint notification, whose drawing lands
// on the canvas before it is shown.
class TPaintBox : public QWidget {
    Q_OBJECT

public:
    explicit TPaintBox(QWidget* parent);

    // The canvas, kept at the widget's size and filled with the widget's colour on resizing.
    [[nodiscard]] QImage& Canvas() { return canvas; }

    // Shows the canvas as drawn; no paint notification.
    void Present();

    std::function<void()> OnPaint;

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    QImage canvas;
    bool presentOnly = false;
};
