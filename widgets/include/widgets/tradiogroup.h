#pragma once

#include <QGroupBox>
#include <QStringList>

#include <vector>

class QButtonGroup;
class QRadioButton;

// A captioned group of radio buttons laid out in columns, one of which is chosen. Its item
// index is the row-major position of the chosen button, -1 when none is.
class TRadioGroup : public QGroupBox {
    Q_OBJECT

public:
    TRadioGroup(const QString& caption, const QStringList& items, int columns, QWidget* parent);

    [[nodiscard]] int ItemIndex() const;
    // Chooses item `index` (-1 chooses none) without the Click notification.
    void SetItemIndex(int index);
    [[nodiscard]] int Count() const { return static_cast<int>(buttons.size()); }
    [[nodiscard]] QRadioButton* Button(int index) const { return buttons.at(index); }

signals:
    // The user clicked an item.
    void Click();

protected:
    void resizeEvent(QResizeEvent* event) override;

private:
    void PlaceButtons();

    QButtonGroup* group = nullptr;
    std::vector<QRadioButton*> buttons;
    int columns;
};
