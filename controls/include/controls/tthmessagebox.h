#pragma once

#include <QObject>
#include <QString>

#include <array>

#include "controls/tthbitbtn.h"

class QDialog;
class QLabel;
class TThPanel;
class TThStaticText;

// Shows a message in a borderless, draggable modal window in the themed look: a gradient
// title bar with a small icon and the message type as title, a body with the 32 × 32 type
// icon, the message centred and a row of themed buttons. The message is one line unless it
// holds line breaks; the window is never wider than the screen's available area, and a
// message too wide for that is wrapped to it (between words, or inside a word that alone is
// too wide), the body growing by the extra lines.
//
// Types are TMsgDlgType values and button sets TMsgDlgBtn bits (platform/messagehook.h).
// Enter clicks the focused button, else the OK or Yes button; Escape clicks the Cancel button,
// else the No button. A box none of whose buttons closes it (no buttons, or Help only) is
// closed by Escape; closing the window without a button answers mrCancel.
class TThMessageBox : public QObject {
    Q_OBJECT

public:
    static constexpr int maxButtons = 11;

    explicit TThMessageBox(QObject* owner = nullptr);
    ~TThMessageBox() override;

    // Builds the window, shows it modally and destroys it; returns the modal result of the
    // button pressed. helpContext is not used.
    int Display(const QString& text, int type, unsigned buttonSet, int helpContext = 0);

    // One-line use: a box with no owner shows the message; returns Display's result.
    static int ShowMessage(const QString& text, int type, unsigned buttonSet);

    // The two halves of Display, for callers that examine or drive the window themselves:
    // BuildForm makes the window (not shown) with everything in place; DestroyForm destroys
    // it. BuildForm destroys a window still built.
    void BuildForm(const QString& text, int type, unsigned buttons);
    void DestroyForm();

    // The built window's parts; null when no window is built.
    [[nodiscard]] QDialog* Form() const { return form; }
    [[nodiscard]] TThPanel* TitlePanel() const { return titlePanel; }
    [[nodiscard]] TThPanel* BodyPanel() const { return bodyPanel; }
    // Its text is the message as shown, with the line breaks of any wrapping.
    [[nodiscard]] TThStaticText* MessageText() const { return messageText; }
    [[nodiscard]] QLabel* Icon() const { return icon; }
    [[nodiscard]] int ButtonCount() const { return buttonCount; }
    // Slot i (0-based, creation order); null when empty.
    [[nodiscard]] TThBitBtn* Button(int i) const;
    [[nodiscard]] bool Dragging() const { return dragging; }

    // Title-bar mouse handlers, (x, y) in the title panel.
    void Panel1MouseDown(int x, int y);
    void Panel1MouseMove(int x, int y);
    void Panel1MouseUp(int x, int y);

protected:
    // Width of text in the default font, as the window's width rule measures it.
    [[nodiscard]] virtual int MeasureText(const QString& text) const;

    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void CreateButton(TBitBtnKind kind);
    // The title panel's replacement painting and message handling; true when the event is
    // consumed.
    bool NewPanelWP(QEvent* event);
    // Escape and Enter roles and closing of the window; true when the event is consumed.
    bool FormEvent(QEvent* event);

    QDialog* form = nullptr;
    std::array<TThBitBtn*, maxButtons> buttons{};
    TThStaticText* messageText = nullptr;
    TThPanel* titlePanel = nullptr;
    TThPanel* bodyPanel = nullptr;
    QLabel* icon = nullptr;
    bool dragging = false;
    int dragX = 0;
    int dragY = 0;
    int buttonCount = 0;
    // The title panel's painting and mouse events go through NewPanelWP.
    bool panelHooked = false;
};
