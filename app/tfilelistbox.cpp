#include "app/tfilelistbox.h"

#include <QDir>
#include <QLineEdit>

#include <algorithm>

TFileListBox::TFileListBox(QWidget* parent) : QListWidget(parent) {
    setSelectionMode(QAbstractItemView::SingleSelection);
    setUniformItemSizes(true);
    connect(this, &QListWidget::itemClicked, this, &TFileListBox::Chosen);
    connect(this, &QListWidget::itemActivated, this, &TFileListBox::Chosen);
}

void TFileListBox::SetMask(const QString& value) {
    mask = value;
    Update();
}

void TFileListBox::SetDirectory(const QString& dir) {
    directory = dir;
    Update();
}

bool TFileListBox::NameLess(const QString& a, const QString& b) {
    const int folded = a.compare(b, Qt::CaseInsensitive);
    if (folded != 0)
        return folded < 0;
    return a < b;
}

void TFileListBox::Update() {
    QStringList names;
    if (!directory.isEmpty()) {
        QDir dir(directory);
        // QDir's name filters match without regard to case unless told otherwise.
        dir.setNameFilters(mask.split(u';', Qt::SkipEmptyParts));
        dir.setFilter(QDir::Files);
        names = dir.entryList();
    }
    std::sort(names.begin(), names.end(), &TFileListBox::NameLess);
    clear();
    addItems(names);
}

QString TFileListBox::Item(int row) const {
    const QListWidgetItem* entry = item(row);
    return entry ? entry->text() : QString();
}

QStringList TFileListBox::Items() const {
    QStringList names;
    names.reserve(count());
    for (int row = 0; row < count(); ++row)
        names << item(row)->text();
    return names;
}

void TFileListBox::AddItem(const QString& name) {
    int low = 0;
    int high = count();
    while (low < high) {
        const int middle = (low + high) / 2;
        if (NameLess(name, item(middle)->text()))
            high = middle;
        else
            low = middle + 1;
    }
    insertItem(low, name);
}

void TFileListBox::Chosen(QListWidgetItem* item) {
    if (fileEdit && item)
        fileEdit->setText(item->text());
}
