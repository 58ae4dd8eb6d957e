#pragma once

#include <QColor>
#include <QString>
#include <QWidget>

// A status panel: a caption on one line, left-aligned and centred vertically inside a grooved
// border in the border colour. A caption too long for the panel is cut at its right end.
class TStatusPanel : public QWidget {
    Q_OBJECT

public:
    TStatusPanel(const QString& caption, QColor borderColour, QWidget* parent);

    [[nodiscard]] QString Caption() const { return caption; }
    void SetCaption(const QString& text);

    [[nodiscard]] QColor FontColour() const { return fontColour; }
    void SetFontColour(QColor colour);

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QString caption;
    QColor borderColour;
    QColor fontColour = Qt::black;
};
