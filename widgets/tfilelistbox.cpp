#include "widgets/tfilelistbox.h"

#include <QLineEdit>

#include <algorithm>
#include <vector>

#include "search/cfilemask.h"
#include "search/filenamecodec.h"
#include "widgets/directoryentries.h"

namespace {

// The item's data role that holds the name itself; the item's text is what is shown of it.
constexpr int nameRole = Qt::UserRole;

} // namespace

TFileListBox::TFileListBox(QWidget* parent) : QListWidget(parent) {
    setSelectionMode(QAbstractItemView::SingleSelection);
    setUniformItemSizes(true);
    connect(this, &QListWidget::itemClicked, this, &TFileListBox::Chosen);
    connect(this, &QListWidget::itemActivated, this, &TFileListBox::Chosen);
    showHeld.setSingleShot(true);
    connect(&showHeld, &QTimer::timeout, this, [this] {
        setUpdatesEnabled(true);
        sinceShown.restart();
    });
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
        std::vector<CFileMask> masks;
        for (const QString& piece : mask.split(u';', Qt::SkipEmptyParts))
            masks.emplace_back(piece.trimmed());
        for (const QString& name : DirectoryEntries(directory, TEntryKind::Files)) {
            const std::string bytes = EncodeFileName(name);
            if (std::any_of(masks.begin(), masks.end(),
                            [&](const CFileMask& m) { return m.Matches(bytes); }))
                names.append(name);
        }
    }
    std::sort(names.begin(), names.end(), &TFileListBox::NameLess);
    clear();
    for (int row = 0; row < names.size(); ++row)
        InsertName(row, names.at(row));
}

QString TFileListBox::Item(int row) const {
    const QListWidgetItem* entry = item(row);
    return entry ? entry->data(nameRole).toString() : QString();
}

QStringList TFileListBox::Items() const {
    QStringList names;
    names.reserve(count());
    for (int row = 0; row < count(); ++row)
        names << Item(row);
    return names;
}

void TFileListBox::AddItem(const QString& name) {
    int low = 0;
    int high = count();
    while (low < high) {
        const int middle = (low + high) / 2;
        if (NameLess(name, Item(middle)))
            high = middle;
        else
            low = middle + 1;
    }
    InsertName(low, name);
    if (!adding)
        return;
    const std::chrono::milliseconds shownAgo{sinceShown.elapsed()};
    if (shownAgo >= addingInterval) {
        // Shown with the next paint, also when names are still held because no pass of the
        // event loop came since; the interval counts from here.
        if (!updatesEnabled()) {
            showHeld.stop();
            setUpdatesEnabled(true);
        }
        sinceShown.restart();
    } else if (updatesEnabled()) {
        setUpdatesEnabled(false);
        showHeld.start(addingInterval - shownAgo);
    }
}

void TFileListBox::BeginAdding(std::chrono::milliseconds interval) {
    adding = true;
    addingInterval = interval;
    sinceShown.start();
}

void TFileListBox::EndAdding() {
    adding = false;
    showHeld.stop();
    setUpdatesEnabled(true);
}

void TFileListBox::InsertName(int row, const QString& name) {
    auto* entry = new QListWidgetItem(DisplayedFileName(name));
    entry->setData(nameRole, name);
    insertItem(row, entry);
}

void TFileListBox::Chosen(QListWidgetItem* item) {
    if (fileEdit && item)
        fileEdit->setText(item->text());
}
