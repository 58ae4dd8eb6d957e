#pragma once

#include <QString>
#include <QTableView>

#include "widgets/tfoundlistmodel.h"

// The report-style list of found files: one column with a caption, grid lines, whole-row
// selection, read-only items kept sorted by text, a selection that stays visible without the
// focus and a hand cursor over items. Rows are indices in list order (0-based).
class TFoundList : public QTableView {
    Q_OBJECT

public:
    TFoundList(TFoundListModel::TLess less, QWidget* parent);

    [[nodiscard]] int Count() const { return foundItems->Count(); }
    [[nodiscard]] QString Item(int row) const { return foundItems->Item(row); }
    // Adds text in its sorted place; the selection stays on the items it was on.
    int Add(const QString& text);
    // Removes every item.
    void Clear();
    // Whether an item is exactly text.
    [[nodiscard]] bool Contains(const QString& text) const { return foundItems->Contains(text); }

    void SetCaption(const QString& text) { foundItems->SetCaption(text); }
    [[nodiscard]] QString Caption() const { return foundItems->Caption(); }
    void SetColumnWidth(int width) { setColumnWidth(0, width); }
    [[nodiscard]] int ColumnWidth() const { return columnWidth(0); }

    // Multi-selection on lets the user select several items; turning it off clears the
    // selection, as the list view of the toolkit does.
    [[nodiscard]] bool MultiSelect() const { return multiSelect; }
    void SetMultiSelect(bool on);

    [[nodiscard]] bool IsSelected(int row) const;
    // Selects or deselects one item; with multi-selection off, selecting an item deselects the
    // others.
    void SetSelected(int row, bool selected);
    void SelectNone();
    // The first selected item at or after `from` in list order, or -1.
    [[nodiscard]] int NextSelected(int from = 0) const;
    [[nodiscard]] int SelectedCount() const;

    [[nodiscard]] TFoundListModel* Model() const { return foundItems; }

signals:
    // A click in the list (after the press and release have updated the selection).
    void Click();

protected:
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    TFoundListModel* foundItems;
    bool multiSelect = true;
};
