#include "app/tdirectorylistbox.h"

#include <QApplication>
#include <QDir>
#include <QFileInfo>
#include <QLabel>
#include <QStyle>
#include <QStyledItemDelegate>

#include <algorithm>

#include "app/einouterror.h"
#include "app/tdrivecombobox.h"
#include "app/tfilelistbox.h"

namespace {

constexpr int pathRole = Qt::UserRole;
constexpr int levelRole = Qt::UserRole + 1;
constexpr int indentStep = 10;
constexpr int labelRightMargin = 6;

// Indents every item by its level in the tree.
class TIndentDelegate : public QStyledItemDelegate {
public:
    using QStyledItemDelegate::QStyledItemDelegate;

    void paint(QPainter* painter, const QStyleOptionViewItem& option,
               const QModelIndex& index) const override {
        QStyleOptionViewItem indented = option;
        indented.rect.adjust(index.data(levelRole).toInt() * indentStep, 0, 0, 0);
        QStyledItemDelegate::paint(painter, indented, index);
    }

    QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override {
        QSize size = QStyledItemDelegate::sizeHint(option, index);
        size.rwidth() += index.data(levelRole).toInt() * indentStep;
        return size;
    }
};

} // namespace

TDirectoryListBox::TDirectoryListBox(QWidget* parent) : QListWidget(parent) {
    setSelectionMode(QAbstractItemView::SingleSelection);
    setItemDelegate(new TIndentDelegate(this));
    connect(this, &QListWidget::itemActivated, this, &TDirectoryListBox::Activated);
}

void TDirectoryListBox::SetDirectory(const QString& dir) {
    const QFileInfo info(dir);
    if (dir.isEmpty() || !info.isDir())
        throw EInOutError("I/O error: the directory \"" + dir.toStdString() + "\" does not exist.");
    directory = QDir::cleanPath(info.absoluteFilePath());
    QDir::setCurrent(directory);
    Update();
    if (fileList)
        fileList->SetDirectory(directory);
    ShowPathInLabel();
    if (driveCombo)
        driveCombo->ShowDriveOf(directory);
    emit DirectoryChanged(directory);
}

void TDirectoryListBox::SetFileList(TFileListBox* list) {
    fileList = list;
    if (fileList && !directory.isEmpty())
        fileList->SetDirectory(directory);
}

void TDirectoryListBox::SetDirLabel(QLabel* label) {
    dirLabel = label;
    ShowPathInLabel();
}

void TDirectoryListBox::Update() {
    clear();
    if (directory.isEmpty())
        return;
    const QIcon open = style()->standardIcon(QStyle::SP_DirOpenIcon);
    const QIcon closed = style()->standardIcon(QStyle::SP_DirClosedIcon);

    QStringList chain; // "/", "/home", "/home/user", ...
    for (QDir up(directory);;) {
        chain.prepend(up.absolutePath());
        if (up.isRoot() || !up.cdUp())
            break;
    }
    int level = 0;
    for (const QString& path : chain) {
        const QString name = QDir(path).isRoot() ? path : QFileInfo(path).fileName();
        auto* entry = new QListWidgetItem(open, name, this);
        entry->setData(pathRole, path);
        entry->setData(levelRole, level++);
    }
    setCurrentRow(count() - 1);

    QDir current(directory);
    const QStringList subdirectories =
        current.entryList(QDir::Dirs | QDir::NoDotAndDotDot, QDir::Name | QDir::IgnoreCase);
    for (const QString& name : subdirectories) {
        auto* entry = new QListWidgetItem(closed, name, this);
        entry->setData(pathRole, current.absoluteFilePath(name));
        entry->setData(levelRole, level);
    }
}

void TDirectoryListBox::Activated(QListWidgetItem* item) {
    if (!item)
        return;
    const QString path = item->data(pathRole).toString();
    if (path != directory)
        SetDirectory(path);
}

void TDirectoryListBox::ShowPathInLabel() {
    if (!dirLabel || directory.isEmpty())
        return;
    // Shortened to the part of the label its parent shows, a little inside its right edge.
    int room = dirLabel->width();
    if (const QWidget* parent = dirLabel->parentWidget())
        room = std::min(room, parent->width() - dirLabel->x() - labelRightMargin);
    const QString shown = dirLabel->fontMetrics().elidedText(QDir::toNativeSeparators(directory),
                                                             Qt::ElideMiddle, std::max(room, 0));
    dirLabel->setText(shown);
}
