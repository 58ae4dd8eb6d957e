#pragma once

#include <QLabel>
#include <QString>

// A label for status texts that change faster than they are painted. A text set with
// SetPathText ends in a path: when the label is too narrow for it, the path is shown with its
// middle left out (ElidedPath) and the whole path is the tooltip. The shortening is worked out
// only when the label paints, so a text replaced many times between two paints costs no
// measuring. A text set with setText shows as a plain label's does.
class TStatusLabel : public QLabel {
    Q_OBJECT

public:
    using QLabel::QLabel;

    // text() becomes prefix + path; path as shown (DisplayedFileName).
    void SetPathText(const QString& prefix, const QString& path);
    // The text as the label's width lets it be painted.
    [[nodiscard]] QString ShownText() const;
    // The path of a text set with SetPathText and shown since; empty otherwise.
    [[nodiscard]] QString PathTip() const;

protected:
    bool event(QEvent* event) override;
    void paintEvent(QPaintEvent* event) override;

private:
    // Whether text() is still the one SetPathText made.
    [[nodiscard]] bool HoldsPath() const;

    QString pathPrefix;
    QString path;
};
