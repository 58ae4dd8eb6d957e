#include "widgets/tradiogroup.h"

#include <QButtonGroup>
#include <QRadioButton>

#include <algorithm>

TRadioGroup::TRadioGroup(const QString& caption, const QStringList& items, int columns,
                         QWidget* parent)
    : QGroupBox(caption, parent), columns(std::max(columns, 1)) {
    group = new QButtonGroup(this);
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
    group->setExclusive(false);
    for (QRadioButton* button : buttons)
        button->setChecked(false);
    group->setExclusive(true);
}

void TRadioGroup::resizeEvent(QResizeEvent* event) {
    QGroupBox::resizeEvent(event);
    PlaceButtons();
}

// The client area below the caption is divided into columns and rows. Each column is as wide
// as its widest button needs, and what is left over is shared out equally, so that the columns
// are equal when the captions are short and no caption is cut when one is long.
void TRadioGroup::PlaceButtons() {
    if (buttons.empty())
        return;
    const int top = fontMetrics().height();
    const int left = 4;
    const int usableWidth = width() - 2 * left;
    const int rows = (Count() + columns - 1) / columns;
    const int usableHeight = height() - top - 4;
    const int cellHeight = usableHeight / rows;

    std::vector<int> columnWidth(static_cast<size_t>(columns), 0);
    for (int i = 0; i < Count(); ++i) {
        int& needed = columnWidth[static_cast<size_t>(i % columns)];
        needed = std::max(needed, buttons[static_cast<size_t>(i)]->sizeHint().width());
    }
    int total = 0;
    for (int needed : columnWidth)
        total += needed;
    if (total <= usableWidth) {
        const int extra = (usableWidth - total) / columns;
        for (int& w : columnWidth)
            w += extra;
    } else {
        std::fill(columnWidth.begin(), columnWidth.end(), usableWidth / columns);
    }

    for (int i = 0; i < Count(); ++i) {
        const int column = i % columns;
        const int row = i / columns;
        int x = left;
        for (int c = 0; c < column; ++c)
            x += columnWidth[static_cast<size_t>(c)];
        buttons[static_cast<size_t>(i)]->setGeometry(
            x, top + row * cellHeight, columnWidth[static_cast<size_t>(column)], cellHeight);
    }
}
