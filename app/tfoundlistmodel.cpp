#include "app/tfoundlistmodel.h"

#include <algorithm>

TFoundListModel::TFoundListModel(TLess less, QObject* parent)
    : QAbstractTableModel(parent), less(std::move(less)) {}

int TFoundListModel::Add(const QString& text) {
    const auto place = std::upper_bound(items.begin(), items.end(), text, less);
    const int row = static_cast<int>(place - items.begin());
    beginInsertRows(QModelIndex(), row, row);
    items.insert(place, text);
    endInsertRows();
    return row;
}

void TFoundListModel::Clear() {
    if (items.empty())
        return;
    beginResetModel();
    items.clear();
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
        return Item(index.row());
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
