#pragma once

#include <QColor>
#include <QWidget>

#include <cstdint>

// A panel whose background is a vertical colour ramp (0x00BBGGRR colours, first row exactly
// the start colour), framed by a one-pixel flat border.
class TGradientPanel : public QWidget {
    Q_OBJECT

public:
    TGradientPanel(std::int32_t startColour, std::int32_t endColour, QColor borderColour,
                   QWidget* parent);

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    std::int32_t startColour;
    std::int32_t endColour;
    QColor borderColour;
};
