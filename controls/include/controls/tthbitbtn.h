#pragma once

#include <QPixmap>
#include <QPushButton>

// The toolkit's standard bitmap-button kinds; a kind gives the button its caption, glyph,
// modal result and keyboard role.
enum TBitBtnKind : int {
    bkCustom = 0,
    bkOK,
    bkCancel,
    bkHelp,
    bkYes,
    bkNo,
    bkClose,
    bkAbort,
    bkRetry,
    bkIgnore,
    bkAll,
};

enum TButtonLayout : int {
    blGlyphLeft = 0,
    blGlyphRight,
    blGlyphTop,
    blGlyphBottom,
};

// A bitmap button in the themed look: a grey ramp face (a blue-grey one while pressed), a
// rounded border outline, the glyph image for its paint state and the caption beside it,
// light grey when disabled.
class TThBitBtn : public QPushButton {
    Q_OBJECT

public:
    explicit TThBitBtn(QWidget* parent = nullptr);

    [[nodiscard]] TBitBtnKind Kind() const { return kind; }
    // Sets caption, glyph (with NumGlyphs), modal result and the Enter (Default) and Escape
    // (Cancel) roles of the kind; bkCustom leaves them as they are.
    void SetKind(TBitBtnKind value);

    // The modal result a click gives the owning form; 0 does not close it.
    [[nodiscard]] int ModalResult() const { return modalResult; }
    void SetModalResult(int value) { modalResult = value; }

    // Escape role: Escape in the owning form clicks this button.
    [[nodiscard]] bool Cancel() const { return cancel; }
    void SetCancel(bool value) { cancel = value; }

    // The glyph strip: NumGlyphs images of equal width side by side (normal, disabled,
    // pressed, down).
    [[nodiscard]] QPixmap Glyph() const { return glyph; }
    void SetGlyph(const QPixmap& strip) {
        glyph = strip;
        update();
    }
    [[nodiscard]] int NumGlyphs() const { return numGlyphs; }
    void SetNumGlyphs(int value);

    [[nodiscard]] TButtonLayout GlyphLayout() const { return glyphLayout; }
    void SetGlyphLayout(TButtonLayout value) {
        glyphLayout = value;
        update();
    }

    // 0 normal, 1 disabled, 2 pressed: as last drawn.
    [[nodiscard]] int PaintState() const { return state; }

    // The 1-based glyph image shown for paint state s with n images in the strip.
    [[nodiscard]] static int GlyphIndex(int numGlyphs, int s);

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    // Sizes a transparent pixmap to one image of the strip and copies image index into it.
    [[nodiscard]] QPixmap SetBitmap(const QPixmap& strip, int index) const;
    // Records the owner-draw state: 2 pressed, 0 otherwise, then 1 when disabled.
    void WMDrawItem(bool selected);
    void WMPaint(QPainter& canvas);

    TBitBtnKind kind = bkCustom;
    int modalResult = 0;
    bool cancel = false;
    QPixmap glyph;
    int numGlyphs = 1;
    TButtonLayout glyphLayout = blGlyphLeft;
    int state = 0;
};
