#pragma once

#include <QLabel>

enum TTextLayout : int {
    tlTop = 0,
    tlCenter = 1,
    tlBottom = 2,
};

// A static text in the themed look: face background, the text on one line in the theme
// font (a text with line breaks: one line for each), placed horizontally by the label's
// alignment and vertically by Layout; a focus rectangle surrounds it while it has the focus.
class TThStaticText : public QLabel {
    Q_OBJECT

public:
    explicit TThStaticText(QWidget* parent = nullptr);

    [[nodiscard]] TTextLayout Layout() const { return layout; }
    // Repaints when the value changes.
    void SetLayout(TTextLayout value);

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    TTextLayout layout = tlTop;
};
