#include "app/tradiogroup.h"

#include <QButtonGroup>
#include <QRadioButton>

TRadioGroup::TRadioGroup(const QString& caption, const QStringList& items, int columns,
                         QWidget* parent)
    : QGroupBox(caption, parent), columns(std::max(columns, 1)) {
    auto* group = new QButtonGroup(this);
    group->setExclusive(true);
    for (const QString& text : items) {
        auto* button = new QRadioButton(text, this);
        button->setFocusPolicy(Qt::ClickFocus);
        button->setAttribute(Qt::WA_Hover);
        group->addButton(button);
        buttons.push_back(button);
        connect(button, &QRadioButton::clicked, this, &TRadioGroup::Click);
    }
    PlaceButtons();
}

int TRadioGroup::ItemIndex() const {
    for (size_t i = 0; i < buttons.size(); ++i) {
        if (buttons[i]->isChecked())
            return static_cast<int>(i);
    }
    return -1;
}

void TRadioGroup::SetItemIndex(int index) {
    if (index >= 0 && index < Count()) {
        buttons[static_cast<size_t>(index)]->setChecked(true);
        return;
    }
    // An exclusive group cannot uncheck its last button; lift the rule for the moment.
    for (QRadioButton* button : buttons) {
        button->setAutoExclusive(false);
        button->setChecked(false);
        button->setAutoExclusive(true);
    }
}

void TRadioGroup::resizeEvent(QResizeEvent* event) {
    QGroupBox::resizeEvent(event);
    PlaceButtons();
}

// The toolkit's layout: the client area below the caption is divided into equal columns and
// rows, each button filling its cell's height and starting a few pixels into its column.
void TRadioGroup::PlaceButtons() {
    if (buttons.empty())
        return;
    const int top = fontMetrics().height();
    const int left = 6;
    const int usableWidth = width() - 2 * left;
    const int rows = (Count() + columns - 1) / columns;
    const int usableHeight = height() - top - 4;
    const int cellWidth = usableWidth / columns;
    const int cellHeight = usableHeight / rows;
    for (int i = 0; i < Count(); ++i) {
        const int column = i % columns;
        const int row = i / columns;
        buttons[static_cast<size_t>(i)]->setGeometry(left + column * cellWidth,
                                                     top + row * cellHeight, cellWidth, cellHeight);
    }
}
