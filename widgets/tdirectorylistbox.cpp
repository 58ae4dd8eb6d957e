#include "widgets/tdirectorylistbox.h"

#include <QApplication>
#include <QDir>
#include <QLabel>
#include <QStyle>
#include <QStyledItemDelegate>

#include <algorithm>
#include <cstdlib>

#include <unistd.h>

#include "search/filenamecodec.h"
#include "widgets/directoryentries.h"
#include "widgets/einouterror.h"
#include "widgets/tdrivecombobox.h"
#include "widgets/tfilelistbox.h"

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
    if (dir.isEmpty() || !IsDirectoryPath(dir))
        throw EInOutError("I/O error: the directory \"" + DisplayedFileName(dir).toStdString() +
                          "\" does not exist.");
    QString absolute = dir;
    if (!dir.startsWith(u'/')) {
        // The process's current directory, as the file system names it.
        if (char* current = ::getcwd(nullptr, 0)) {
            absolute = DecodeFileName(current) + u'/' + dir;
            std::free(current);
        }
    }
    directory = QDir::cleanPath(absolute);
    // The directory becomes the current one where it can; one that cannot be entered leaves
    // the current directory as it was, and the lists show it empty.
    [[maybe_unused]] const bool entered = ::chdir(EncodeFileName(directory).c_str()) == 0;
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

    // "/", "/home", "/home/user", ...: the directory's own path cut at each separator, so that
    // no ancestor is looked up by a name other than its own.
    QStringList chain{QStringLiteral("/")};
    QStringList names{QStringLiteral("/")};
    for (const QString& part : directory.split(u'/', Qt::SkipEmptyParts)) {
        chain.append((chain.size() == 1 ? QString() : chain.last()) + u'/' + part);
        names.append(part);
    }
    int level = 0;
    for (qsizetype i = 0; i < chain.size(); ++i) {
        auto* entry = new QListWidgetItem(open, DisplayedFileName(names.at(i)), this);
        entry->setData(pathRole, chain.at(i));
        entry->setData(levelRole, level++);
    }
    setCurrentRow(count() - 1);

    QStringList subdirectories = DirectoryEntries(directory, TEntryKind::Directories);
    std::sort(subdirectories.begin(), subdirectories.end(), &TFileListBox::NameLess);
    const QString prefix = directory == QStringLiteral("/") ? directory : directory + u'/';
    for (const QString& name : subdirectories) {
        auto* entry = new QListWidgetItem(closed, DisplayedFileName(name), this);
        entry->setData(pathRole, prefix + name);
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
    const QString shown = dirLabel->fontMetrics().elidedText(
        DisplayedFileName(QDir::toNativeSeparators(directory)), Qt::ElideMiddle, std::max(room, 0));
    dirLabel->setText(shown);
}
