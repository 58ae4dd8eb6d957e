#include "widgets/tfoundlistmodel.h"

#include <algorithm>

#include "search/filenamecodec.h"

TFoundListModel::TFoundListModel(TLess less, QObject* parent)
    : QAbstractTableModel(parent), less(std::move(less)) {}

namespace {

// A run that grows past this many texts is split in two halves.
constexpr size_t maxRunLength = 1024;

} // namespace

const QString& TFoundListModel::Item(int row) const {
    const auto run = std::upper_bound(runStarts.begin(), runStarts.end(), row) - 1;
    const size_t index = static_cast<size_t>(run - runStarts.begin());
    return runs[index][static_cast<size_t>(row - *run)];
}

int TFoundListModel::Add(const QString& text) {
    if (runs.empty()) {
        beginInsertRows(QModelIndex(), 0, 0);
        runs.push_back({text});
        runStarts.push_back(0);
        count = 1;
        endInsertRows();
        return 0;
    }
    // The first text that sorts after `text` lies in the first run whose last text does; when
    // no run has one, the text goes at the very end.
    const auto after =
        std::upper_bound(runs.begin(), runs.end(), text,
                         [this](const QString& value, const std::vector<QString>& run) {
                             return less(value, run.back());
                         });
    const size_t index =
        after == runs.end() ? runs.size() - 1 : static_cast<size_t>(after - runs.begin());
    std::vector<QString>& run = runs[index];
    const auto place = std::upper_bound(run.begin(), run.end(), text, less);
    const int row = runStarts[index] + static_cast<int>(place - run.begin());

    beginInsertRows(QModelIndex(), row, row);
    run.insert(place, text);
    ++count;
    for (size_t later = index + 1; later < runStarts.size(); ++later)
        ++runStarts[later];
    if (run.size() > maxRunLength) {
        const auto half = run.begin() + static_cast<std::ptrdiff_t>(run.size() / 2);
        std::vector<QString> upper(std::make_move_iterator(half),
                                   std::make_move_iterator(run.end()));
        run.erase(half, run.end());
        const int upperStart = runStarts[index] + static_cast<int>(run.size());
        runs.insert(runs.begin() + static_cast<std::ptrdiff_t>(index) + 1, std::move(upper));
        runStarts.insert(runStarts.begin() + static_cast<std::ptrdiff_t>(index) + 1, upperStart);
    }
    endInsertRows();
    return row;
}

bool TFoundListModel::Contains(const QString& text) const {
    if (runs.empty())
        return false;
    // The texts that compare equal to text lie just before the place Add would give it,
    // possibly in earlier runs; the walk back stops at the first that sorts before it.
    const auto after =
        std::upper_bound(runs.begin(), runs.end(), text,
                         [this](const QString& value, const std::vector<QString>& run) {
                             return less(value, run.back());
                         });
    const size_t last =
        after == runs.end() ? runs.size() - 1 : static_cast<size_t>(after - runs.begin());
    for (size_t index = last + 1; index-- > 0;) {
        const std::vector<QString>& run = runs[index];
        auto end = index == last ? std::upper_bound(run.begin(), run.end(), text, less) : run.end();
        while (end != run.begin()) {
            --end;
            if (*end == text)
                return true;
            if (less(*end, text))
                return false;
        }
    }
    return false;
}

void TFoundListModel::Clear() {
    if (count == 0)
        return;
    beginResetModel();
    runs.clear();
    runStarts.clear();
    count = 0;
    endResetModel();
}

void TFoundListModel::SetCaption(const QString& text) {
    caption = text;
    emit headerDataChanged(Qt::Horizontal, 0, 0);
}

int TFoundListModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : Count();
}

int TFoundListModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : 1;
}

QVariant TFoundListModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || index.row() >= Count() || index.column() != 0)
        return {};
    if (role == Qt::DisplayRole)
        return DisplayedFileName(Item(index.row()));
    return {};
}

QVariant TFoundListModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation == Qt::Horizontal && section == 0 && role == Qt::DisplayRole)
        return caption;
    return QAbstractTableModel::headerData(section, orientation, role);
}

Qt::ItemFlags TFoundListModel::flags(const QModelIndex& index) const {
    if (!index.isValid())
        return Qt::NoItemFlags;
    return Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemNeverHasChildren;
}
