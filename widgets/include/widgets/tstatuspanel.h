#pragma once

#include <QColor>
#include <QString>
#include <QWidget>

// A status panel: a caption on one line, left-aligned and centred vertically inside a grooved
// border in the border colour. A caption too long for the panel is cut at its right end,
// except a caption that ends in a path (SetPathCaption): that path loses its middle instead, so
// that the file's name still shows, and the whole path is the panel's tooltip. The shortening is
// worked out when the panel paints.
class TStatusPanel : public QWidget {
    Q_OBJECT

public:
    TStatusPanel(const QString& caption, QColor borderColour, QWidget* parent);

    [[nodiscard]] QString Caption() const { return caption; }
    // A plain caption; the panel then has no tooltip.
    void SetCaption(const QString& text);
    // The caption prefix + path, path as shown (DisplayedFileName).
    void SetPathCaption(const QString& prefix, const QString& path);
    // The caption as the panel's width lets it be painted.
    [[nodiscard]] QString ShownCaption() const;
    // The path of a caption set with SetPathCaption; empty for a plain caption.
    [[nodiscard]] QString PathTip() const;

    [[nodiscard]] QColor FontColour() const { return fontColour; }
    void SetFontColour(QColor colour);

protected:
    bool event(QEvent* event) override;
    void paintEvent(QPaintEvent* event) override;

private:
    QString caption;
    // The length of the caption's path part, at its end; 0 for a plain caption.
    qsizetype pathLength = 0;
    QColor borderColour;
    QColor fontColour = Qt::black;
};
