// The ILDA file search workflow: starting and stopping a search, its notifications, the Web
// prompt and the way back to convert mode.
//
// The search component walks the tree on this thread and processes pending events once per
// directory, so every handler here runs between directories or entries, and Stop, clicks in the
// found-file list and repaints are handled at the entry of each directory.

#include "app/tconvert.h"

#include <QCoreApplication>
#include <QLabel>
#include <QLineEdit>

#include <initializer_list>

#include "search/filenamecodec.h"
#include "search/tlmdsearchfilegrep.h"
#include "search/tlmdspfilerecord.h"
#include "widgets/tdirectorylistbox.h"
#include "widgets/tdrivecombobox.h"
#include "widgets/tfilelistbox.h"
#include "widgets/tfoundlist.h"
#include "widgets/tglyphbutton.h"
#include "widgets/tgradientpanel.h"
#include "widgets/tradiogroup.h"
#include "widgets/tstatuslabel.h"
#include "widgets/tstatuspanel.h"

namespace {

// The height of the directory list and the found-file list while the search panel shows.
constexpr int searchListHeight = 281;

// TConvert::searchPaintInterval: a walk enters thousands of directories a second, and painting the
// status text, the status panel and the found-file list at every one of them costs several times
// the walk itself. While a search runs those three are painted at once at most every this many
// milliseconds, in between their paints are held; their texts change at every notification. The
// caption goes the same way: the window system draws it, and handing it a new one costs it a round
// of requests and notifications, so the caption is set at each of those paints, to the directory
// being entered then. A directory entered within the interval after a paint is therefore shown only
// at the next paint, at the entry of a later directory, or not at all when the run ends first.

const QString laterStartQuestion = QStringLiteral(
    "            Please Follow the Instructions Below\n \nYES :: Search Current Drive and "
    "Directory Selected \n             and retain the previously found Files \n\nNO :: Clear "
    "the File List and Start New Search Using\n                  Current Drive and Directory "
    "Selected\n\nCANCEL :: Cancel File Search and Select Different\n                           "
    "      Drive or Directory");

const QString webQuestion = QStringLiteral(
    "         Please Follow the Instructions Below\n \n        YES :: Visit Halvorn Ltd "
    "Website\nand  leave File Search and Preview Mode Enabled\n\n         NO :: Return to Main "
    "Screen so I \n             can Select Different Option\n\n             CANCEL :: Quit this "
    "Program\n");

QString NoBrowserMessage(const QString& address) {
    return QStringLiteral("No web browser could be started to visit the Halvorn Ltd Website.\n\n"
                          "Its address is ") +
           address;
}

// RzLabel21 gets a new colour on every directory of a search; changing the palette only when
// the colour differs spares a palette-change event (and its style work) per directory.
void SetFontColour(QLabel* label, const QColor& colour) {
    if (label->palette().color(QPalette::WindowText) == colour)
        return;
    QPalette colours = label->palette();
    colours.setColor(QPalette::WindowText, colour);
    label->setPalette(colours);
}

void ShowStatus(QLabel* label, const QColor& colour, const QString& text) {
    SetFontColour(label, colour);
    label->setText(text);
}

// Holding a widget's paints keeps what it showed last; releasing them repaints it in full at
// the next chance.
void HoldPaints(std::initializer_list<QWidget*> widgets, bool hold) {
    for (QWidget* widget : widgets)
        widget->setUpdatesEnabled(!hold);
}

// The engine's properties are set before every start: the start directory is the one the
// directory list shows at the moment of the click.
void ExecuteSearchOf(TLMDSearchFileGrep& lf, const QString& directory) {
    lf.SetDirs(directory);
    lf.SetThreadedSearch(true);
    lf.SetThreadPriority(tpIdle);
    lf.Execute();
}

} // namespace

void TConvert::ShowSearchPanel() {
    RzPanel3->hide();
    PC1->hide();
    RzRadioGroup1->lower();
    PS1->show();
    PS1->raise();
    Edit1->hide();
    Edit2->hide();
    FileListBox1->hide();
    DirectoryListBox1->resize(DirectoryListBox1->width(), searchListHeight);
    fl->resize(fl->width(), searchListHeight);
}

void TConvert::RzBitBtn1Click() {
    StartSearch(DirectoryListBox1->Directory(), true);
}

void TConvert::StartSearch(const QString& dirs, bool askFirst) {
    RzPanel3->hide();
    fl->setEnabled(true);
    BitBtn3->setEnabled(false);
    BitBtn2->setEnabled(false);
    RzBitBtn3->setEnabled(true);
    RzBitBtn2->setEnabled(false);
    RzBitBtn4->setEnabled(false);
    RzBitBtn1->setEnabled(false);
    RzBitBtn5->setEnabled(false);
    RzBitBtn6->setEnabled(false);
    Label1->setText(QStringLiteral("Drive Volume Indicated Below"));
    RzRadioGroup1->setEnabled(false);
    ShowSearchPanel();

    // The conversion Start button is enabled in welcome and convert mode only: every start
    // disables it, so it tells a first start from one made on the idle search panel.
    if (BitBtn1->isEnabled() || !askFirst) {
        BitBtn1->setEnabled(false);
        fl->show();
        sp1->show();
        ExecuteSearchOf(*lf, dirs);
        setWindowTitle(QStringLiteral("File Searching Started."));
        sp1->SetCaption(QStringLiteral(" Ilda File Search"));
        DriveComboBox1->setEnabled(false);
        GiveFocusToMode();
        return;
    }

    // Cancel leaves the panel as it was before Start, the selection and Save included, so the
    // list keeps multi-selection (and with it the selection) until a search really starts.
    switch (dialogs->Confirm(laterStartQuestion, TConfirmButtons::YesNoCancel)) {
    case TAnswer::Cancel:
        lf->Cancel();
        RzRadioGroup1->setEnabled(true);
        RzRadioGroup1->show();
        DriveComboBox1->setEnabled(true);
        RzBitBtn3->setEnabled(false);
        RzBitBtn1->setEnabled(true);
        RzBitBtn6->setEnabled(true);
        RzBitBtn5->setEnabled(true);
        RzBitBtn4->setEnabled(true);
        RzBitBtn2->setEnabled(true);
        Label1->setText(QStringLiteral("Select Folder or Directory to Start From Below"));
        setWindowTitle(StandardTitle());
        ShowStatus(RzLabel21, Qt::black, SearchPanelHint());
        // The cancel request is still pending, so this run walks no directory and ends with
        // the cancel notification once this handler has returned.
        lf->Execute();
        GiveFocusToMode();
        return;
    case TAnswer::No:
        fl->Clear();
        fl->repaint();
        break;
    case TAnswer::Yes:
        break;
    }
    fl->SetMultiSelect(false);
    Edit1->hide();
    FileListBox1->hide();
    DirectoryListBox1->resize(DirectoryListBox1->width(), searchListHeight);
    BitBtn1->setEnabled(false);
    fl->show();
    sp1->show();
    ExecuteSearchOf(*lf, dirs);
    setWindowTitle(QStringLiteral("File Searching Started."));
    sp1->SetCaption(QStringLiteral(" Ilda File Search"));
    ShowStatus(RzLabel21, Qt::red,
               QStringLiteral("\n    File searching Enabled :: Please Wait Searching."));
    GiveFocusToMode();
}

void TConvert::RzBitBtn3Click() {
    lf->Cancel();
    // The message box and what follows are shown in full.
    ReleaseSearchPaints();
    // The walk is held while the message is up: this handler runs inside it.
    dialogs->Information(QStringLiteral(" File Search Cancelled "));
    // A run is in progress, so this does nothing; the walk stops at its next check and ends
    // with the cancel notification.
    lf->Execute();
    RzBitBtn1->setEnabled(true);
    RzBitBtn3->setEnabled(false);
    RzBitBtn4->setEnabled(true);
    RzBitBtn6->setEnabled(true);
    DriveComboBox1->setEnabled(true);
    fl->SetMultiSelect(true);
    fl->setEnabled(true);
    RzBitBtn2->setEnabled(true);
    RzBitBtn5->setEnabled(true);
    setWindowTitle(StandardTitle());
    ShowStatus(RzLabel21, Qt::black, SearchPanelHint());
    GiveFocusToMode();
}

void TConvert::RzBitBtn4Click() {
    ShowWorkingDirectory(DirectoryListBox1, ildaDirectory);
    PC1->show();
    PS1->hide();
    // No search runs on the idle panel: the run Execute makes walks nothing and ends with the
    // cancel notification, which restores the palette group.
    lf->Cancel();
    ShowConvertMode();
    lf->Execute();
    GiveFocusToMode();
}

void TConvert::RzBitBtn15Click() {
    switch (dialogs->Confirm(webQuestion, TConfirmButtons::YesNoCancel)) {
    case TAnswer::Yes:
        RzBitBtn1Click();
        // Without a web browser nothing would show that the visit did not happen.
        if (!dialogs->OpenUrl(WebSiteAddress()))
            dialogs->Information(NoBrowserMessage(WebSiteAddress()));
        break;
    case TAnswer::No:
        break;
    case TAnswer::Cancel:
        QCoreApplication::quit();
        break;
    }
}

void TConvert::lfDirChange(QObject*, const QString& dir) {
    const QString shown = DisplayedFileName(dir);
    // A path wider than the status text loses its middle when painted, not its ends (the text
    // is centred); the whole path is the tooltip.
    SetFontColour(RzLabel21, Qt::red);
    RzLabel21->SetPathText(QStringLiteral(" \n Searching Directories :: \n "), shown);
    if (!searchPaintClock.isValid() || searchPaintClock.elapsed() >= searchPaintInterval) {
        setWindowTitle(QStringLiteral("  Searching for Files  ") + shown);
        // The walk goes on into this directory before any event is processed again, so the
        // status text is painted here and now, with what the list and the panel have gathered.
        HoldPaints({RzLabel21, sp1, fl}, false);
        RzLabel21->repaint();
        sp1->repaint();
        fl->repaint();
        searchPaintClock.start();
    }
    HoldPaints({RzLabel21, sp1, fl}, true);
}

void TConvert::lfFileChange(QObject*, const QString& name) {
    sp1->SetPathCaption(QStringLiteral("Last File Found   "), DisplayedFileName(name));
}

void TConvert::lfFound(QObject*, const TLMDSPFileRecord& record) {
    // The item is the path as the file system gave it; the list shows what it can of it. A
    // search that keeps the files found before may meet them again: each is listed once.
    const QString path = record.dir + record.fileName;
    if (!fl->Contains(path))
        fl->Add(path);
}

void TConvert::ReleaseSearchPaints() {
    searchPaintClock.invalidate();
    HoldPaints({RzLabel21, sp1, fl}, false);
}

void TConvert::lfFinished(QObject*) {
    ReleaseSearchPaints();
    RzBitBtn1->setEnabled(true);
    RzBitBtn3->setEnabled(false);
    RzBitBtn4->setEnabled(true);
    RzBitBtn6->setEnabled(true);
    DriveComboBox1->setEnabled(true);
    RzRadioGroup1->setEnabled(true);
    ShowStatus(RzLabel21, Qt::black, SearchPanelHint());
    RzBitBtn2->setEnabled(true);
    RzBitBtn5->setEnabled(true);
    fl->SetMultiSelect(true);
    fl->setEnabled(true);
    Label1->setText(QStringLiteral("Select Folder or Directory to Start From Below"));
    setWindowTitle(StandardTitle());
    GiveFocusToMode();
}

void TConvert::lfCancel1(QObject*) {
    ReleaseSearchPaints();
    RzRadioGroup1->setEnabled(true);
    ShowStatus(RzLabel21, Qt::black, SearchPanelHint());
    setWindowTitle(StandardTitle());
    GiveFocusToMode();
}
