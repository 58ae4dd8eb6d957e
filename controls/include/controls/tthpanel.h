#pragma once

#include <QString>
#include <QWidget>

#include <cstdint>

enum TAlignment : int {
    taLeftJustify = 0,
    taRightJustify = 1,
    taCenter = 2,
};

enum TBorderStyle : int {
    bsNone = 0,
    bsSingle = 1,
};

// A panel that paints itself in the themed look: face fill, its caption in black, highlight
// on the left and top edges and the border colour on the bottom and right edges. Its Color
// property (0xCCCCCC after construction) plays no part in the painting.
//
// With a single border style a one-pixel black window frame surrounds the panel and the
// themed painting covers the client area inside it. Children are positioned in widget
// coordinates; the client area starts at (BorderWidth(), BorderWidth()).
class TThPanel : public QWidget {
    Q_OBJECT

public:
    explicit TThPanel(QWidget* parent = nullptr);

    [[nodiscard]] QString Caption() const { return caption; }
    void SetCaption(const QString& text);

    [[nodiscard]] TAlignment Alignment() const { return alignment; }
    void SetAlignment(TAlignment value);

    [[nodiscard]] TBorderStyle BorderStyle() const { return borderStyle; }
    void SetBorderStyle(TBorderStyle value);
    // 1 with a single border, else 0.
    [[nodiscard]] int BorderWidth() const { return borderStyle == bsSingle ? 1 : 0; }
    [[nodiscard]] int ClientWidth() const { return width() - 2 * BorderWidth(); }
    [[nodiscard]] int ClientHeight() const { return height() - 2 * BorderWidth(); }

    // 0x00BBGGRR; stored only.
    [[nodiscard]] std::int32_t Color() const { return color; }
    void SetColor(std::int32_t value) { color = value; }

protected:
    // Paints the client area (ClientWidth() × ClientHeight(), origin at the client's top left)
    // on canvas, whose font is the panel's font.
    virtual void Paint(QPainter& canvas);

    void paintEvent(QPaintEvent* event) override;

private:
    QString caption;
    TAlignment alignment = taCenter;
    TBorderStyle borderStyle = bsNone;
    std::int32_t color = 0xCCCCCC;
};
