// Saving found files into the ILDA directory or into directories the user picks.
//
// Each selected file is read into a scratch scene with the chosen palette and written again as
// an ILDA file with the same palette, so the copy carries that palette's colour indices. The
// saving runs inside the Save click; only the save dialog and the message boxes process events
// while it runs, so every status text is repainted as soon as it changes.
//
// Nothing is lost on the way: the writer replaces a file only once the new one is complete
// (the file being re-saved may be the very file read), so a failure never deletes anything; a
// file the reader could not open is not written at all; and no existing file is replaced that
// the user was not asked about.

#include "app/tconvert.h"

#include <QDir>
#include <QFileInfo>
#include <QHash>
#include <QLabel>
#include <QPalette>

#include <exception>
#include <new>

#include "app/filemessages.h"
#include "app/tfilewrite.h"
#include "ilda/cilda.h"
#include "model/cchannel.h"
#include "model/cscene.h"
#include "operations/fileoperations.h"
#include "search/filenamecodec.h"
#include "settings/settings.h"
#include "widgets/directoryentries.h"
#include "widgets/tdirectorylistbox.h"
#include "widgets/tdrivecombobox.h"
#include "widgets/tfilelistbox.h"
#include "widgets/tfoundlist.h"
#include "widgets/tglyphbutton.h"
#include "widgets/tradiogroup.h"
#include "widgets/tstatuspanel.h"

namespace {

const QString destinationQuestion =
    QStringLiteral("Please Follow the Instructions below\n \n    YES :: Save all Selected files "
                   "\n    to the ILDA Files Directory\n\n        NO :: Select different\n       "
                   "directories for each file\n\n  CANCEL :: Cancel Saving Files\n");

const QString selectionQuestion =
    QStringLiteral(" Follow the Instructions below\n \nYES::Leave all Files Highlighted \n     "
                   "and Selected as Reference\n\n     NO::De-Select all Files\n");

// The closing texts name only where the files went, and say how many of the selection were
// saved when that is not all of them (a file the reader could not open, a replacement declined,
// a dialog cancelled, a failed write, a batch ended early).
QString IldaDirectoryClosing(int saved, int selected, const char* lead) {
    if (saved == selected)
        return QString::fromLatin1(lead) +
               QStringLiteral("Finished Saving Selected Files to ILDA Files Directory");
    return QString::fromLatin1(lead) +
           QStringLiteral("Saved %1 of %2 Files to ILDA Files Directory").arg(saved).arg(selected);
}

QString ChosenDirectoriesClosing(int saved, int selected, const char* lead) {
    if (saved == selected)
        return QString::fromLatin1(lead) +
               QStringLiteral("Finished Saving Selected Files to Chosen Directories");
    return QString::fromLatin1(lead) +
           QStringLiteral("Saved %1 of %2 Files to Chosen Directories").arg(saved).arg(selected);
}

const QString destinationEnding =
    QStringLiteral("Nothing can be written to this directory: saving ends here.");

QString CorruptFileMessage(const QString& file) {
    const QString shown = DisplayedFileName(file);
    return QStringLiteral("        The Following File is Corrupt  ") + shown +
           QStringLiteral(" \n Remove  ") + shown + QStringLiteral("  from the Files to be Saved");
}

// Asked, with No as the default, before a file is replaced that nobody was asked about: an
// existing file of the name in the ILDA directory, or one the save dialog's own question did
// not cover.
QString ReplaceQuestion(const QString& target) {
    return QStringLiteral("  The File  ") + DisplayedFileName(QDir::toNativeSeparators(target)) +
           QStringLiteral("  Already Exists\n \n    YES :: Replace the Existing File\n\n     "
                          "NO :: Keep the Existing File\n     and do not Save this File\n");
}

// Asked, with No as the default, when this save has already written the file from another
// found file of the same name.
QString ReplaceSavedQuestion(const QString& target, const QString& savedFrom, const QString& path) {
    return QStringLiteral("  The File  ") + DisplayedFileName(QDir::toNativeSeparators(target)) +
           QStringLiteral("  Was Just Saved from\n  ") +
           DisplayedFileName(QDir::toNativeSeparators(savedFrom)) +
           QStringLiteral("\n \n    YES :: Replace it with\n  ") +
           DisplayedFileName(QDir::toNativeSeparators(path)) +
           QStringLiteral("\n\n     NO :: Keep it\n     and do not Save this File\n");
}

// The question at the end of either save. True for No, after which multi-selection of the list
// is off (which deselects every item) until the caller turns it on again at the end. Closing
// the box answers as Yes does: the selection stays and the search panel comes back whole;
// without an ending, Save and the directory list would stay disabled until the mode was left.
bool AnswerClosingQuestion(IUserDialogs& dialogs, TFoundList* list) {
    const TAnswer answer = dialogs.Confirm(selectionQuestion, TConfirmButtons::YesNo);
    if (answer == TAnswer::No)
        list->SetMultiSelect(false);
    return answer == TAnswer::No;
}

void SetFontColour(QLabel* label, const QColor& colour) {
    QPalette colours = label->palette();
    colours.setColor(QPalette::WindowText, colour);
    label->setPalette(colours);
}

} // namespace

QString TConvert::FileNamePart(const QString& path) {
    const qsizetype separator = path.lastIndexOf(u'/');
    return separator < 0 ? path : path.mid(separator + 1);
}

void TConvert::RzBitBtn2Click() {
    RzRadioGroup1->setEnabled(false);
    RzBitBtn1->setEnabled(false);
    RzBitBtn3->setEnabled(false);
    RzBitBtn4->setEnabled(false);
    RzBitBtn5->setEnabled(false);
    RzBitBtn6->setEnabled(false);
    DriveComboBox1->setEnabled(false);
    Panel1->repaint();

    if (fl->NextSelected(0) < 0) {
        dialogs->Information(QStringLiteral("No Files Selected to Save."));
    } else {
        switch (dialogs->Confirm(destinationQuestion, TConfirmButtons::YesNoCancel)) {
        case TAnswer::Yes:
            SaveToIldaDirectory();
            break;
        case TAnswer::No:
            SaveToChosenDirectories();
            break;
        case TAnswer::Cancel:
            break;
        }
    }

    RzBitBtn1->setEnabled(true);
    RzBitBtn4->setEnabled(true);
    RzBitBtn5->setEnabled(true);
    RzBitBtn6->setEnabled(true);
    RzRadioGroup1->setEnabled(true);
    DriveComboBox1->setEnabled(true);
}

void TConvert::SaveToIldaDirectory() {
    const int selected = fl->SelectedCount();
    DirectoryListBox1->setEnabled(false);
    RzBitBtn1->setEnabled(false);
    RzBitBtn2->setEnabled(false);
    RzBitBtn3->setEnabled(false);
    RzBitBtn5->setEnabled(false);
    RzBitBtn6->setEnabled(false);
    DriveComboBox1->setEnabled(false);

    SetFontColour(RzLabel21, Qt::red);
    RzLabel21->setText(QStringLiteral("\n Saving Files to ILDA File Directory :: Please Wait."));
    Panel1->repaint();

    const int saved = SaveSelectedFiles(TSaveDestination::IldaDirectory);

    RzLabel21->setText(IldaDirectoryClosing(saved, selected, "\n "));
    const bool deselect = AnswerClosingQuestion(*dialogs, fl);
    sp1->SetCaption(IldaDirectoryClosing(saved, selected, ""));
    SetFontColour(RzLabel21, Qt::black);
    RzLabel21->setText(SearchPanelHint());
    RzBitBtn1->setEnabled(true);
    RzBitBtn2->setEnabled(true);
    RzBitBtn4->setEnabled(true);
    RzBitBtn3->setEnabled(false);
    RzBitBtn5->setEnabled(true);
    RzBitBtn6->setEnabled(true);
    RzRadioGroup1->setEnabled(true);
    DriveComboBox1->setEnabled(true);
    DirectoryListBox1->setEnabled(true);
    if (deselect)
        fl->SetMultiSelect(true);
}

void TConvert::SaveToChosenDirectories() {
    const int selected = fl->SelectedCount();
    DirectoryListBox1->setEnabled(false);
    RzBitBtn1->setEnabled(false);
    RzBitBtn2->setEnabled(false);
    RzBitBtn3->setEnabled(false);
    DriveComboBox1->setEnabled(false);

    SetFontColour(RzLabel21, Qt::red);
    RzLabel21->setText(
        QStringLiteral("\n Manual File Saving Enabled :: Please Select Destination Directory."));
    Panel1->repaint();

    const int saved = SaveSelectedFiles(TSaveDestination::ChosenDirectories);

    RzLabel21->setText(ChosenDirectoriesClosing(saved, selected, "\n "));
    const bool deselect = AnswerClosingQuestion(*dialogs, fl);
    SetFontColour(RzLabel21, Qt::black);
    RzLabel21->setText(SearchPanelHint());
    sp1->SetCaption(saved == selected ? QStringLiteral("Finished Saving Files to Chosen Directory")
                                      : ChosenDirectoriesClosing(saved, selected, ""));
    RzBitBtn1->setEnabled(true);
    RzBitBtn2->setEnabled(true);
    RzBitBtn4->setEnabled(true);
    RzBitBtn3->setEnabled(false);
    RzBitBtn6->setEnabled(true);
    RzRadioGroup1->setEnabled(true);
    DriveComboBox1->setEnabled(true);
    DirectoryListBox1->setEnabled(true);
    if (deselect)
        fl->SetMultiSelect(true);
}

// The two saves differ in where a file goes and in what ends them: into the ILDA directory a
// destination that cannot be written ends the save (every file would fail alike) and a file's
// own error does not; into chosen directories the next file has a dialog of its own, so a
// destination failure ends nothing, while a file's error ends the save.
int TConvert::SaveSelectedFiles(TSaveDestination destination) {
    const bool intoIldaDirectory = destination == TSaveDestination::IldaDirectory;
    QHash<QString, QString> savedFrom;
    int saved = 0;
    for (int item = fl->NextSelected(0); item >= 0; item = fl->NextSelected(item + 1)) {
        const QString path = fl->Item(item);
        sp1->SetPathCaption(QStringLiteral("Saving File "), DisplayedFileName(path));
        sp1->repaint();

        LoadedIlda file;
        FileResult result;
        QString target;
        bool read = false;   // the load has ended, the file's name is known
        bool saving = false; // a copy is being written to target
        bool destinationEnds = false;
        // The boxes shown on the way (the writer's report among them) may throw as the file
        // code may: the file is then reported as corrupt, as an error of the file code is.
        try {
            result = LoadIldaFile(EncodeFileName(path), RzRadioGroup1->ItemIndex(), Settings, file);
            const bool loaded = result.outcome == FileOutcome::Loaded;
            read = loaded || result.outcome == FileOutcome::Unreadable;
            // A file that could not be opened has been reported by the reader; it is not
            // saved, as its one empty frame must not replace a file of that name.
            if (read)
                target = intoIldaDirectory ? IldaDirectoryTarget(path, loaded, savedFrom)
                                           : ChosenDirectoryTarget(path, loaded);
            saving = !target.isEmpty();
            if (saving) {
                TFileWrite write(target);
                if (write.Run([&] {
                        result = SaveAsIldaFile(file, EncodeFileName(target));
                        return result.outcome == FileOutcome::Written;
                    })) {
                    ++saved;
                    savedFrom.insert(target, path);
                } else if (result.outcome == FileOutcome::WriteFailed) {
                    destinationEnds = intoIldaDirectory && write.DestinationFailed();
                    const QString ending = intoIldaDirectory
                                               ? destinationEnding
                                               : QStringLiteral("Nothing can be written to this "
                                                                "directory.");
                    write.Report(write.DestinationFailed() ? ending : QString());
                }
            }
        } catch (const std::bad_alloc&) {
            result.outcome = FileOutcome::NotEnoughMemory;
        } catch (const std::exception&) {
            result.outcome = FileOutcome::Corrupt;
        }
        file.Release();

        const bool fileError = result.outcome == FileOutcome::NotEnoughMemory ||
                               result.outcome == FileOutcome::Corrupt;
        if (result.outcome == FileOutcome::NotEnoughMemory)
            // Nothing is written: the copy is put in place only once complete.
            dialogs->Information(saving ? NotEnoughMemoryMessage("save", target)
                                        : NotEnoughMemoryMessage("load", path));
        else if (result.outcome == FileOutcome::Corrupt)
            // Nothing has been written for this file: the writer puts a file in place only
            // once it is complete. Into the ILDA directory it is named as saved once read.
            dialogs->Information(
                CorruptFileMessage(intoIldaDirectory && read ? FileNamePart(path) : path));
        if (fileError && !intoIldaDirectory) {
            RzBitBtn1->setEnabled(true);
            RzBitBtn2->setEnabled(true);
            RzBitBtn4->setEnabled(true);
            Panel1->repaint();
            break;
        }
        if (fileError)
            fl->repaint();
        if (intoIldaDirectory) {
            FileListBox1->Update();
            FileListBox1->repaint();
        }
        if (destinationEnds)
            break;
    }
    return saved;
}

QString TConvert::IldaDirectoryTarget(const QString& path, bool loaded,
                                      const QHash<QString, QString>& savedFrom) {
    ShowWorkingDirectory(DirectoryListBox1, ildaDirectory);
    const QString target = ildaDirectory + u'/' + FileNamePart(path);
    // A file that is there, or that this save wrote, is replaced only when the user says so.
    if (!loaded)
        return {};
    if (savedFrom.contains(target))
        return dialogs->Confirm(ReplaceSavedQuestion(target, savedFrom[target], path),
                                TConfirmButtons::YesNo, TAnswer::No) == TAnswer::Yes
                   ? target
                   : QString();
    if (PathExists(target))
        return dialogs->Confirm(ReplaceQuestion(target), TConfirmButtons::YesNo, TAnswer::No) ==
                       TAnswer::Yes
                   ? target
                   : QString();
    return target;
}

QString TConvert::ChosenDirectoryTarget(const QString& path, bool loaded) {
    const QString name = FileNamePart(path);
    // The dialog is shown the name as it displays; it starts in the folder chosen last in this
    // run, the ILDA directory until one is.
    const QString shownName = DisplayedFileName(name);
    SaveDialog1.SetFileName(shownName);
    SaveDialog1.SetInitialDir(SaveDialog1.LastDirectory().isEmpty() ? ildaDirectory
                                                                    : SaveDialog1.LastDirectory());
    if (!loaded || !SaveDialog1.Execute())
        return {};
    const QString chosen = QDir::cleanPath(SaveDialog1.FileName());
    const QFileInfo chosenInfo(chosen);
    // The dialog gives the path as Qt shows it: a directory whose name is not valid UTF-8 is
    // found again under its own bytes. The name confirmed is the file's name, typed or not; the
    // file's own name left as shown keeps its bytes, and the dialog's overwrite question was then
    // about another name, so replacing a file of the own name is asked here.
    const QString directory = PathFromDialog(chosenInfo.absolutePath());
    const bool ownName = chosenInfo.fileName() == shownName;
    const QString target = directory + u'/' + (ownName ? name : chosenInfo.fileName());
    const bool replaceAsked = QDir::cleanPath(target) == chosen;
    if (replaceAsked || !PathExists(target) ||
        dialogs->Confirm(ReplaceQuestion(target), TConfirmButtons::YesNo, TAnswer::No) ==
            TAnswer::Yes)
        return target;
    return {};
}
