// Opening what the desktop hands the window: file arguments at start and files or folders
// dropped on it. Files are listed as a search would list them and previewed; folders are
// searched. The event handlers only read the drag and call OpenNames.

#include <QDragEnterEvent>
#include <QDragMoveEvent>
#include <QDropEvent>
#include <QLineEdit>
#include <QMimeData>

#include "app/openednames.h"
#include "app/tconvert.h"
#include "controls/tthpanel.h"
#include "search/filenamecodec.h"
#include "search/tlmdsearchfilegrep.h"
#include "widgets/tdirectorylistbox.h"
#include "widgets/tfilelistbox.h"
#include "widgets/tfoundlist.h"
#include "widgets/tglyphbutton.h"
#include "widgets/tgradientpanel.h"
#include "widgets/tradiogroup.h"
#include "widgets/tstatuspanel.h"

namespace {

// The height of the directory list and the found-file list while the search panel shows.
constexpr int searchListHeight = 281;

std::string NotOpenedMessage(const std::vector<std::string>& names) {
    std::string text = names.size() == 1
                           ? "This is neither a file nor a folder, so it was not opened:\n"
                           : "These are neither files nor folders, so they were not opened:\n";
    // Quoted, so that a name stays one name where the box runs the lines together.
    for (const std::string& name : names)
        text += "\n\"" + DisplayedFileName(DecodeFileName(name)).toStdString() + "\"";
    return text;
}

// Whether a drag carries anything OpenNames would take.
bool CarriesLocalNames(const QMimeData* data) {
    return data != nullptr && data->hasUrls() && !DroppedFileNames(*data).empty();
}

} // namespace

void TConvert::TakeDrops() {
    setAcceptDrops(true);
    for (QLineEdit* edit : findChildren<QLineEdit*>())
        edit->setAcceptDrops(false);
}

bool TConvert::TakesOpenedNames() const {
    // Outside preview mode, search Start is disabled only while a search, a save or a batch
    // conversion runs; a search may also run beside a preview shown by a click in the list.
    return !lf->IsSearching() && (RzBitBtn1->isEnabled() || ThPanel1->isVisible());
}

void TConvert::OpenNames(const std::vector<std::string>& names) {
    if (!TakesOpenedNames())
        return;
    const TOpenedNames sorted = SortOpenedNames(names);
    if (!sorted.missing.empty())
        (void)dialogs->ThemedMessage(NotOpenedMessage(sorted.missing), mtWarning, mbOK);
    if (!sorted.directories.empty())
        SearchOpenedDirectories(sorted.directories, sorted.files);
    else if (!sorted.files.empty())
        PreviewOpenedFiles(sorted.files);
}

void TConvert::SearchOpenedDirectories(const std::vector<std::string>& directories,
                                       const std::vector<std::string>& files) {
    if (ThPanel1->isVisible())
        PreviewClose();
    // As if the first had been chosen in the directory list.
    DirectoryListBox1->SetDirectory(DecodeFileName(directories.front()));
    QString dirs;
    for (const std::string& directory : directories) {
        if (!dirs.isEmpty())
            dirs += u';';
        dirs += DecodeFileName(directory);
    }
    StartSearch(dirs, fl->Count() > 0);
    // Cancel answered: no search (Start is enabled again; the engine's empty run that follows
    // the answer also counts as searching), and nothing is listed.
    if (!RzBitBtn1->isEnabled())
        AddOpenedFiles(files);
}

void TConvert::PreviewOpenedFiles(const std::vector<std::string>& files) {
    // From welcome or convert mode, the search panel as a first search shows it, at its end.
    if (BitBtn1->isEnabled()) {
        ShowSearchPanel();
        BitBtn1->setEnabled(false);
        BitBtn2->setEnabled(false);
        BitBtn3->setEnabled(false);
        fl->setEnabled(true);
        fl->show();
        sp1->show();
        lfFinished(lf);
    }
    AddOpenedFiles(files);

    const QString first = DecodeFileName(files.front());
    fl->SelectNone();
    for (int row = 0; row < fl->Count(); ++row) {
        if (fl->Item(row) == first) {
            fl->SetSelected(row, true);
            fl->scrollTo(fl->model()->index(row, 0));
            break;
        }
    }
    // In preview mode Preview is disabled and FileNext loads the selected file; on the idle
    // search panel Preview enters preview mode.
    if (ThPanel1->isVisible())
        FileNext();
    else
        Preview();
}

void TConvert::AddOpenedFiles(const std::vector<std::string>& files) {
    for (const std::string& file : files) {
        const QString path = DecodeFileName(file);
        if (!fl->Contains(path))
            fl->Add(path);
    }
}

void TConvert::dragEnterEvent(QDragEnterEvent* event) {
    if (TakesOpenedNames() && CarriesLocalNames(event->mimeData()))
        event->acceptProposedAction();
    else
        event->ignore();
}

void TConvert::dragMoveEvent(QDragMoveEvent* event) {
    // Moves come only after an accepted enter, which looked at the names; fetching them again
    // from the source at every move costs a round trip each. A workflow may have started since.
    if (TakesOpenedNames() && event->mimeData() != nullptr && event->mimeData()->hasUrls())
        event->acceptProposedAction();
    else
        event->ignore();
}

void TConvert::dropEvent(QDropEvent* event) {
    if (!TakesOpenedNames() || event->mimeData() == nullptr) {
        event->ignore();
        return;
    }
    const std::vector<std::string> names = DroppedFileNames(*event->mimeData());
    if (names.empty()) {
        event->ignore();
        return;
    }
    event->acceptProposedAction();
    // Opened once the drop has ended: a question or message shown inside the drop would keep
    // the file manager's drag waiting for its answer.
    QMetaObject::invokeMethod(
        this, [this, names] { OpenNames(names); }, Qt::QueuedConnection);
}
