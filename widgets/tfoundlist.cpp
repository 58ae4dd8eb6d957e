#include "widgets/tfoundlist.h"

#include <QHeaderView>
#include <QItemSelectionModel>
#include <QMouseEvent>

TFoundList::TFoundList(TFoundListModel::TLess less, QWidget* parent)
    : QTableView(parent), foundItems(new TFoundListModel(std::move(less), this)) {
    setModel(foundItems);
    setShowGrid(true);
    setSelectionBehavior(QAbstractItemView::SelectRows);
    setSelectionMode(QAbstractItemView::ExtendedSelection);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setWordWrap(false);
    setTextElideMode(Qt::ElideNone);
    setHorizontalScrollMode(QAbstractItemView::ScrollPerPixel);
    verticalHeader()->hide();
    verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    verticalHeader()->setDefaultSectionSize(fontMetrics().height() + 4);
    horizontalHeader()->setSectionResizeMode(QHeaderView::Interactive);
    horizontalHeader()->setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    horizontalHeader()->setHighlightSections(false);
    horizontalHeader()->setSectionsClickable(false);

    // The selection keeps its active colours when the list loses the focus.
    QPalette colours = palette();
    colours.setColor(QPalette::Inactive, QPalette::Highlight,
                     colours.color(QPalette::Active, QPalette::Highlight));
    colours.setColor(QPalette::Inactive, QPalette::HighlightedText,
                     colours.color(QPalette::Active, QPalette::HighlightedText));
    setPalette(colours);

    // Hand cursor over items only.
    setMouseTracking(true);
    viewport()->setMouseTracking(true);
    connect(this, &QAbstractItemView::entered, this,
            [this](const QModelIndex&) { viewport()->setCursor(Qt::PointingHandCursor); });
    connect(this, &QAbstractItemView::viewportEntered, this, [this] { viewport()->unsetCursor(); });
}

int TFoundList::Add(const QString& text) {
    return foundItems->Add(text);
}

void TFoundList::Clear() {
    foundItems->Clear();
}

void TFoundList::SetMultiSelect(bool on) {
    multiSelect = on;
    if (!on)
        SelectNone();
    setSelectionMode(on ? QAbstractItemView::ExtendedSelection
                        : QAbstractItemView::SingleSelection);
}

bool TFoundList::IsSelected(int row) const {
    return selectionModel()->isRowSelected(row, QModelIndex());
}

void TFoundList::SetSelected(int row, bool selected) {
    if (row < 0 || row >= Count())
        return;
    const QModelIndex index = foundItems->index(row, 0);
    if (!selected) {
        selectionModel()->select(index, QItemSelectionModel::Deselect | QItemSelectionModel::Rows);
        return;
    }
    QItemSelectionModel::SelectionFlags flags =
        QItemSelectionModel::Select | QItemSelectionModel::Rows;
    if (!multiSelect)
        flags |= QItemSelectionModel::Clear;
    selectionModel()->select(index, flags);
    selectionModel()->setCurrentIndex(index, QItemSelectionModel::NoUpdate);
}

void TFoundList::SelectNone() {
    selectionModel()->clearSelection();
}

int TFoundList::NextSelected(int from) const {
    // Selection ranges are few compared with the items, so walk the ranges, not the rows.
    int best = -1;
    for (const QItemSelectionRange& range : selectionModel()->selection()) {
        const int top = range.top();
        const int bottom = range.bottom();
        if (bottom < from)
            continue;
        const int candidate = std::max(top, from);
        if (best < 0 || candidate < best)
            best = candidate;
    }
    return best;
}

int TFoundList::SelectedCount() const {
    return static_cast<int>(selectionModel()->selectedRows().size());
}

void TFoundList::mouseReleaseEvent(QMouseEvent* event) {
    QTableView::mouseReleaseEvent(event);
    if (event->button() == Qt::LeftButton)
        emit Click();
}
