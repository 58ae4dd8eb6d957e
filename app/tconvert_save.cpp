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
#include <memory>
#include <new>

#include "app/tfileobjects.h"
#include "app/tfilewrite.h"
#include "ilda/cilda.h"
#include "model/cchannel.h"
#include "model/cscene.h"
#include "search/filenamecodec.h"
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
    int item = fl->NextSelected(0);
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

    // The files this save has written, each with the found file it came from: two found files
    // of one name from different folders would otherwise meet in one file unasked.
    QHash<QString, QString> savedFrom;
    int saved = 0;
    bool destinationFailed = false;
    while (item >= 0 && !destinationFailed) {
        const QString path = fl->Item(item);
        sp1->SetPathCaption(QStringLiteral("Saving File "), DisplayedFileName(path));
        sp1->repaint();

        TFileObjects file;
        if (file.Create()) {
            QString name;
            bool saving = false;
            try {
                const int palette = RzRadioGroup1->ItemIndex();
                const bool loaded = file.reader->Load(EncodeFileName(path), file.channel, palette);
                name = FileNamePart(path);
                ShowWorkingDirectory(DirectoryListBox1, ildaDirectory);
                const QString target = ildaDirectory + u'/' + name;
                // A file that could not be opened has been reported by the reader; its one
                // empty frame must not replace a file of that name. A file that is there, or
                // that this save wrote, is replaced only when the user says so.
                bool replace = loaded;
                if (replace && savedFrom.contains(target))
                    replace =
                        dialogs->Confirm(ReplaceSavedQuestion(target, savedFrom[target], path),
                                         TConfirmButtons::YesNo, TAnswer::No) == TAnswer::Yes;
                else if (replace && PathExists(target))
                    replace = dialogs->Confirm(ReplaceQuestion(target), TConfirmButtons::YesNo,
                                               TAnswer::No) == TAnswer::Yes;
                saving = replace;
                if (replace) {
                    TFileWrite write(target);
                    if (write.Run([&] {
                            return file.reader->Save(EncodeFileName(target), file.channel, palette);
                        })) {
                        ++saved;
                        savedFrom.insert(target, path);
                    } else {
                        destinationFailed = write.DestinationFailed();
                        write.Report(destinationFailed ? destinationEnding : QString());
                    }
                }
            } catch (const std::bad_alloc&) {
                // Nothing is written: the copy is put in place only once complete. The batch
                // goes on, as after any error of a file.
                file.Release();
                dialogs->Information(
                    saving ? NotEnoughMemoryMessage("save", ildaDirectory + u'/' + name)
                           : NotEnoughMemoryMessage("load", path));
                fl->repaint();
            } catch (const std::exception&) {
                // The name is known once the file has been read. Nothing is deleted: the
                // writer leaves an existing file of that name as it was.
                dialogs->Information(CorruptFileMessage(name.isEmpty() ? path : name));
                fl->repaint();
            }
            FileListBox1->Update();
            FileListBox1->repaint();
            file.Release();
        }
        item = fl->NextSelected(item + 1);
    }

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
    int item = fl->NextSelected(0);
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

    int saved = 0;
    while (item >= 0) {
        const QString path = fl->Item(item);
        sp1->SetPathCaption(QStringLiteral("Saving File "), DisplayedFileName(path));
        sp1->repaint();

        TFileObjects file;
        if (file.Create()) {
            QString savingTo; // the copy being written, once it is
            try {
                const int palette = RzRadioGroup1->ItemIndex();
                const bool loaded = file.reader->Load(EncodeFileName(path), file.channel, palette);
                const QString name = FileNamePart(path);
                // The dialog is shown the name as it displays; it starts in the folder chosen
                // last in this run, the ILDA directory until one is.
                const QString shownName = DisplayedFileName(name);
                SaveDialog1.SetFileName(shownName);
                SaveDialog1.SetInitialDir(SaveDialog1.LastDirectory().isEmpty()
                                              ? ildaDirectory
                                              : SaveDialog1.LastDirectory());
                // A file that could not be opened (the reader said so) is not offered for
                // saving: there is nothing of it to write.
                if (loaded && SaveDialog1.Execute()) {
                    const QString chosen = QDir::cleanPath(SaveDialog1.FileName());
                    const QFileInfo chosenInfo(chosen);
                    // The dialog gives the path as Qt shows it: a directory whose name is not
                    // valid UTF-8 is found again under its own bytes. The name confirmed is the
                    // file's name, typed or not; the file's own name left as shown keeps its
                    // bytes, and the dialog's overwrite question was then about another name,
                    // so replacing a file of the own name is asked here.
                    const QString directory = PathFromDialog(chosenInfo.absolutePath());
                    const bool ownName = chosenInfo.fileName() == shownName;
                    const QString target =
                        directory + u'/' + (ownName ? name : chosenInfo.fileName());
                    const bool replaceAsked = QDir::cleanPath(target) == chosen;
                    if (replaceAsked || !PathExists(target) ||
                        dialogs->Confirm(ReplaceQuestion(target), TConfirmButtons::YesNo,
                                         TAnswer::No) == TAnswer::Yes) {
                        savingTo = target;
                        TFileWrite write(target);
                        // A directory that cannot be written fails this file only: the next
                        // file has a dialog of its own.
                        if (write.Run([&] {
                                return file.reader->Save(EncodeFileName(target), file.channel,
                                                         palette);
                            }))
                            ++saved;
                        else
                            write.Report(write.DestinationFailed()
                                             ? QStringLiteral("Nothing can be written to this "
                                                              "directory.")
                                             : QString());
                    }
                }
            } catch (const std::bad_alloc&) {
                // As after any error of a file: nothing written for it, the batch ends.
                file.Release();
                dialogs->Information(savingTo.isEmpty() ? NotEnoughMemoryMessage("load", path)
                                                        : NotEnoughMemoryMessage("save", savingTo));
                RzBitBtn1->setEnabled(true);
                RzBitBtn2->setEnabled(true);
                RzBitBtn4->setEnabled(true);
                Panel1->repaint();
                break;
            } catch (const std::exception&) {
                // Nothing has been written for this file: the writer puts a file in place
                // only once it is complete.
                dialogs->Information(CorruptFileMessage(path));
                file.Release();
                RzBitBtn1->setEnabled(true);
                RzBitBtn2->setEnabled(true);
                RzBitBtn4->setEnabled(true);
                Panel1->repaint();
                break;
            }
            file.Release();
        }
        item = fl->NextSelected(item + 1);
    }

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
