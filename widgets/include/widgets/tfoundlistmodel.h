#pragma once

#include <QAbstractTableModel>
#include <QString>

#include <functional>
#include <vector>

// The items of the found-file list: texts kept in ascending order by a comparison given at
// construction, with a single column headed by a caption. An added text goes into its sorted
// place found by binary search (after the texts it compares equal to). Duplicates are kept.
// The texts are held in sorted runs of bounded length, so that an insertion moves at most one
// run's texts and a row's text is found by a binary search over the runs: filling the list in
// any order is not quadratic in the number of items. The texts are paths made by
// DecodeFileName: Item gives the path itself, the view shows it with a replacement character
// for each byte of a name that is not valid UTF-8.
class TFoundListModel : public QAbstractTableModel {
    Q_OBJECT

public:
    // Returns true when the first text sorts before the second.
    using TLess = std::function<bool(const QString&, const QString&)>;

    TFoundListModel(TLess less, QObject* parent = nullptr);

    [[nodiscard]] int Count() const { return count; }
    // row must lie in [0, Count()).
    [[nodiscard]] const QString& Item(int row) const;
    // Inserts text in its sorted place; returns its row.
    int Add(const QString& text);
    // Whether an item is exactly text (found by binary search).
    [[nodiscard]] bool Contains(const QString& text) const;
    void Clear();

    void SetCaption(const QString& text);
    [[nodiscard]] QString Caption() const { return caption; }

    [[nodiscard]] int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    [[nodiscard]] int columnCount(const QModelIndex& parent = QModelIndex()) const override;
    [[nodiscard]] QVariant data(const QModelIndex& index, int role) const override;
    [[nodiscard]] QVariant headerData(int section, Qt::Orientation orientation,
                                      int role) const override;
    [[nodiscard]] Qt::ItemFlags flags(const QModelIndex& index) const override;

private:
    TLess less;
    // Non-empty sorted runs whose concatenation is the list, and the row of each run's first
    // text.
    std::vector<std::vector<QString>> runs;
    std::vector<int> runStarts;
    int count = 0;
    QString caption;
};
