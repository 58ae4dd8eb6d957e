// Batch conversion: the conversion row's Start and Stop.
//
// The whole batch runs inside the Start click on the user-interface thread. Between two files
// it dispatches at most one pending event, the way the platform's message loop removes one
// message, translates it and dispatches it; so a click on Stop (or Close) is handled between
// files, never inside one, and the status texts are repainted as soon as they change because
// nothing else paints them while a file is converted.

#include "app/tconvert.h"

#include <QCoreApplication>
#include <QEvent>
#include <QLineEdit>
#include <QStringList>

#include <chrono>
#include <exception>
#include <new>
#include <typeinfo>

#include "app/filemessages.h"
#include "app/tfilewrite.h"
#include "ilda/cilda.h"
#include "model/cchannel.h"
#include "model/cscene.h"
#include "operations/fileoperations.h"
#include "scene/scenefile.h"
#include "search/filenamecodec.h"
#include "settings/settings.h"
#include "widgets/tdirectorylistbox.h"
#include "widgets/tdrivecombobox.h"
#include "widgets/tfilelistbox.h"
#include "widgets/tglyphbutton.h"
#include "widgets/tradiogroup.h"
#include "widgets/tstatuspanel.h"

namespace {

// Delivers at most one of the events waiting for this thread. Qt has no call that dispatches a
// single event, so an application event filter stands at the door during one pass of the
// event loop: the first event that a user or a program sends as a message (input, or an
// event of a program's own type) is delivered, and every later one is put back at the end of
// the queue for a later pass. Everything the delivered event causes passes through, modal
// loops included; so do queued calls, timers and paints, which are not messages of that kind
// and cannot be put back unchanged.
class TOneEventDispatch : public QObject {
public:
    // One pass. True when the application was asked to quit during it (a click on Close).
    [[nodiscard]] static bool Run() {
        QCoreApplication* application = QCoreApplication::instance();
        if (application == nullptr)
            return false;
        TOneEventDispatch gate;
        application->installEventFilter(&gate);
        QCoreApplication::processEvents(QEventLoop::AllEvents);
        application->removeEventFilter(&gate);
        return gate.quitRequested;
    }

protected:
    bool eventFilter(QObject* receiver, QEvent* event) override {
        // QCoreApplication::quit() sends this to the application while the click on Close is
        // delivered; the event loop itself only ends once the batch has returned.
        if (event->type() == QEvent::Quit && receiver == QCoreApplication::instance())
            quitRequested = true;
        if (stage == Stage::Delivering || !IsMessage(event))
            return false;
        if (stage == Stage::Done) {
            QCoreApplication::postEvent(receiver, event->clone());
            return true;
        }
        // Delivered here rather than let through, so that the end of its delivery is known.
        stage = Stage::Delivering;
        QCoreApplication::sendEvent(receiver, event);
        stage = Stage::Done;
        // A mouse or key event the widget ignored would otherwise be offered to its parent,
        // which has already seen it during the delivery above.
        event->setAccepted(true);
        return true;
    }

private:
    static bool IsMessage(const QEvent* event) {
        switch (event->type()) {
        case QEvent::MouseButtonPress:
        case QEvent::MouseButtonRelease:
        case QEvent::MouseButtonDblClick:
        case QEvent::MouseMove:
        case QEvent::KeyPress:
        case QEvent::KeyRelease:
        case QEvent::Wheel:
            return true;
        default:
            // A program's own event type; only a plain QEvent is copied whole by clone().
            return event->type() >= QEvent::User && event->type() <= QEvent::MaxUser &&
                   typeid(*event) == typeid(QEvent);
        }
    }

    enum class Stage { Waiting, Delivering, Done };
    Stage stage = Stage::Waiting;
    bool quitRequested = false;
};

// The scene file's name: the item with its last three characters replaced by "scn"; the case
// and the bytes of the rest stay (SHOW.ILD becomes SHOW.scn, caf\xe9.ild caf\xe9.scn).
QString SceneFileName(const QString& ildaName) {
    return ildaName.left(ildaName.size() >= 3 ? ildaName.size() - 3 : 0) + QStringLiteral("scn");
}

} // namespace

void TConvert::BitBtn1Click() {
    // The batch as the list shows it now; the directory lists stay disabled while it runs.
    const QStringList batch = FileListBox1->Items();
    const int count = static_cast<int>(batch.size());
    if (count == 0) {
        dialogs->Information(QStringLiteral("No Files to Convert."));
        return;
    }
    const QString sourceDir = DirectoryListBox1->Directory();
    const QString targetDir = DirectoryListBox2->Directory();

    stopRequested = false;

    sp1->show();
    // Start gives the keyboard focus to Stop. Disabled with the focus, Start would pass it on
    // along the tab order, into the status box below, which would show a caret and a focus
    // frame in the progress text for the whole batch.
    BitBtn3->setEnabled(true);
    if (BitBtn1->hasFocus())
        BitBtn3->setFocus(Qt::OtherFocusReason);
    RzRadioGroup1->setEnabled(false);
    BitBtn1->setEnabled(false);
    RzBitBtn1->setEnabled(false);
    DriveComboBox1->setEnabled(false);
    DriveComboBox2->setEnabled(false);
    DirectoryListBox1->setEnabled(false);
    DirectoryListBox2->setEnabled(false);

    sp1->SetFontColour(Qt::red);
    sp1->SetCaption(QStringLiteral("File Conversion Started"));
    Panel1->repaint();

    // Scene files written in quick succession are shown a few times a second, not one by one.
    FileListBox2->BeginAdding(std::chrono::milliseconds(50));
    // Only the scene files actually written count as converted.
    int written = 0;
    for (int i = 0; i < count; ++i) {
        // A click on Close quits the application: the batch ends here like a Stop.
        if (TOneEventDispatch::Run())
            stopRequested = true;
        if (stopRequested)
            break;

        if (ConvertBatchFile(sourceDir, batch.at(i), targetDir, i, count))
            ++written;
    }

    const QString final =
        QStringLiteral("Finished converting %1 of %2 files.").arg(written).arg(count);
    sp1->SetFontColour(Qt::black);
    sp1->hide();
    Edit1->setText(final);
    Edit1->repaint();

    FileListBox2->EndAdding();
    FileListBox1->Update();
    FileListBox2->Update();
    FileListBox1->repaint();
    FileListBox2->repaint();

    BitBtn1->setEnabled(true);
    // And Stop gives it back.
    if (BitBtn3->hasFocus())
        BitBtn1->setFocus(Qt::OtherFocusReason);
    BitBtn3->setEnabled(false);
    RzBitBtn1->setEnabled(true);
    RzRadioGroup1->setEnabled(true);
    DriveComboBox1->setEnabled(true);
    DriveComboBox2->setEnabled(true);
    DirectoryListBox1->setEnabled(true);
    DirectoryListBox2->setEnabled(true);
}

bool TConvert::ConvertBatchFile(const QString& sourceDir, const QString& item,
                                const QString& targetDir, int index, int count) {
    const QString progress = QStringLiteral("Converting File %1 of %2 %3")
                                 .arg(index + 1)
                                 .arg(count)
                                 .arg(DisplayedFileName(item));
    sp1->SetPathCaption(QStringLiteral("Writing File :: "), DisplayedFileName(item));
    sp1->repaint();
    Edit1->setText(progress);
    Edit1->repaint();

    const QString source = sourceDir + u'/' + item;
    const QString name = SceneFileName(item);
    const QString target = targetDir + u'/' + name;
    LoadedIlda file;
    FileResult result;
    bool read = false;   // the load has ended: the file is named by its scene file
    bool loaded = false; // and loaded: a scene file is being written
    // The boxes shown on the way (the writer's report among them) may throw as the file code
    // may: the file is then reported as corrupt, as an error of the file code is.
    try {
        result = LoadIldaFile(EncodeFileName(source), RzRadioGroup1->ItemIndex(), Settings, file);
        loaded = result.outcome == FileOutcome::Loaded;
        read = loaded || result.outcome == FileOutcome::Unreadable;
        // A file the reader could not open has been reported by it; writing its one empty
        // frame would replace a scene file of that name with nothing.
        if (loaded) {
            // No deletion first: the scene file replaces an existing one only once it is
            // complete, so a failed write leaves the previous file in place.
            TFileWrite write(target);
            const bool written = write.Run([&] {
                result = SaveAsSceneFile(file, EncodeFileName(target));
                return result.outcome == FileOutcome::Written;
            });
            if (written) {
                Edit2->setText(QStringLiteral("Saving File :: ") + DisplayedFileName(name));
                Edit2->repaint();
                FileListBox2->AddItem(name);
                return true;
            }
            if (result.outcome == FileOutcome::WriteFailed) {
                Edit2->setText(QStringLiteral("Not Saved :: ") + DisplayedFileName(name));
                Edit2->repaint();
                // A directory that cannot be written, or is full, fails every file alike: one
                // box, and the batch ends. A file's own failure is reported and the batch goes
                // on.
                const bool destination = write.DestinationFailed();
                write.Report(destination ? QStringLiteral("Nothing can be written to this "
                                                          "directory: the conversion ends here.")
                                         : QString());
                if (destination)
                    stopRequested = true;
            }
        }
    } catch (const std::bad_alloc&) {
        result.outcome = FileOutcome::NotEnoughMemory;
    } catch (const std::exception&) {
        result.outcome = FileOutcome::Corrupt;
    }
    file.Release();

    if (result.outcome == FileOutcome::NotEnoughMemory) {
        // Memory, not the file, is at fault; nothing was written for the file, and the batch
        // ends as after any error.
        const QString message =
            NotEnoughMemoryMessage(loaded ? "save" : "load", loaded ? target : source);
        dialogs->Information(message);
        Edit1->setText(message);
        Edit1->repaint();
        stopRequested = true;
    } else if (result.outcome == FileOutcome::Corrupt) {
        // Named as the list shows it until it was read, then by the scene file being written.
        const QString shown = DisplayedFileName(read ? name : item);
        dialogs->Information(QStringLiteral("        The Following File is Corrupt  ") + shown +
                             QStringLiteral(" \n Remove  ") + shown +
                             QStringLiteral("  from the Files to be Converted"));
        Edit1->setText(QStringLiteral(" Remove Corrupt File :: ") + shown);
        Edit1->repaint();
        stopRequested = true;
    }
    return false;
}

void TConvert::BitBtn3Click() {
    stopRequested = true;
    sp1->hide();
    DriveComboBox1->setEnabled(true);
    DriveComboBox2->setEnabled(true);
    DirectoryListBox1->setEnabled(true);
    DirectoryListBox2->setEnabled(true);
    Panel1->repaint();
}
