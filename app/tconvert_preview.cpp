// The preview: loading the selected found file, stepping and playing its frames, the palette
// choice and leaving for search mode.
//
// Two kinds of paint reach the drawing area. The preview's own pictures are drawn onto its
// canvas and shown at once with a repaint made while `previewPainting` is set; every other
// paint (the panel shown, the area uncovered) is the system's, and runs PaintBoxPaint, which
// loads the file afresh and shows its first frame. Stepping and playing therefore never load.
//
// A failed load sets `previewLoadFailed`: the system's paints then show the empty picture
// without loading again, because a message box over the drawing area would otherwise be
// answered by a paint that loads and reports the same file again, for ever. Choosing another
// file, a palette or Preview clears it.

#include <QCoreApplication>
#include <QEvent>
#include <QLabel>
#include <QPainter>
#include <QTimer>

#include <algorithm>
#include <exception>
#include <new>

#include "app/filemessages.h"
#include "app/tconvert.h"
#include "controls/tthpanel.h"
#include "controls/tthtrackbar.h"
#include "ilda/cilda.h"
#include "model/cchannel.h"
#include "model/cframe.h"
#include "model/cscene.h"
#include "operations/fileoperations.h"
#include "render/cscreen.h"
#include "search/filenamecodec.h"
#include "settings/settings.h"
#include "widgets/tdrivecombobox.h"
#include "widgets/tfoundlist.h"
#include "widgets/tglyphbutton.h"
#include "widgets/tpaintbox.h"
#include "widgets/tradiogroup.h"
#include "widgets/tstatuspanel.h"

namespace {

// The found-file list's height beside the preview panel.
constexpr int previewListHeight = 282;
// TrackBarChange keeps the interval within these bounds; a tick does not.
constexpr int minimumChangedInterval = 50;
constexpr int maximumChangedInterval = 2000;

// The play interval for the bar's position: (maximum - position) x 14 + 14 ms, from 294 ms at
// 0 to 14 ms at 20.
int PlayInterval(const TThTrackBar& bar) {
    return (bar.maximum() - bar.value()) * 14 + 14;
}

// The path as the list shows it (a name that is no valid text shows replacement characters).
QString CorruptPreviewMessage(const QString& path) {
    const QString shown = DisplayedFileName(path);
    return QStringLiteral("        The Following File is Corrupt  ") + shown +
           QStringLiteral(" \n Remove  ") + shown + QStringLiteral("  from the File List");
}

// Sets a flag for the lifetime of the scope and restores its earlier value, also when an
// exception leaves the scope.
class TFlagScope {
public:
    explicit TFlagScope(bool& flag) : flag(flag), previous(flag) { flag = true; }
    ~TFlagScope() { flag = previous; }
    TFlagScope(const TFlagScope&) = delete;
    TFlagScope& operator=(const TFlagScope&) = delete;

private:
    bool& flag;
    bool previous;
};

} // namespace

void TConvert::Preview() {
    if (fl->Count() == 0) {
        dialogs->Information(QStringLiteral("No Files to Preview."));
        return;
    }
    if (fl->NextSelected() < 0)
        fl->SetSelected(0, true);
    fl->resize(fl->width(), previewListHeight);
    fl->raise();
    RzRadioGroup1->raise();
    Label1->setText(QStringLiteral("Drive Volume Below for Preview Mode"));
    RzBitBtn1->setEnabled(false);
    RzBitBtn2->setEnabled(false);
    RzBitBtn4->setEnabled(false);
    RzBitBtn5->setEnabled(false);
    RzBitBtn6->setEnabled(true);
    RzBitBtn8->setEnabled(false);
    DriveComboBox1->setEnabled(false);
    previewLoadFailed = false;
    PS1->lower();
    ThPanel1->show();
    SetPreviewCaption();
    GiveFocusToMode();
    // The file loads once the window has been painted whole in its new mode: a large file
    // takes a second, and a load inside the paint that showing the panel brings would leave
    // every control not yet painted as it was (the palette group over the search panel) for
    // as long as it takes.
    PostPreviewLoad();
}

void TConvert::PostPreviewLoad() {
    if (previewLoadPending)
        return;
    previewLoadPending = true;
    // Paints are posted at low priority; among posted events of one priority the earlier goes
    // first, so the paint of the switch comes before this.
    QCoreApplication::postEvent(this, new QEvent(previewLoadEvent), Qt::LowEventPriority);
}

void TConvert::customEvent(QEvent* event) {
    if (event->type() != previewLoadEvent) {
        QWidget::customEvent(event);
        return;
    }
    // A load made since (another file, a palette) or a preview closed meanwhile leaves
    // nothing to do.
    if (previewLoadPending && ThPanel1->isVisible())
        LoadPreviewFile();
    previewLoadPending = false;
}

void TConvert::SetPreviewCaption() {
    const int row = fl->NextSelected();
    // Without a selected item there is no previewed file; the caption keeps the file shown.
    if (row >= 0)
        sp1->SetPathCaption(QStringLiteral(" Previewing File "), DisplayedFileName(fl->Item(row)));
}

void TConvert::ShowPreviewCaption() {
    SetPreviewCaption();
    sp1->repaint();
}

void TConvert::PaintBoxPaint() {
    // Our own picture, a paint while a load runs (a message box of the load) or after a
    // failed load: the canvas already holds what is to be seen.
    if (previewPainting || previewLoading || previewLoadFailed || previewLoadPending)
        return;
    // The paint in progress shows the canvas once the load has drawn on it.
    TFlagScope painting(previewPainting);
    TFlagScope systemPaint(inSystemPaint);
    LoadPreviewFile();
}

int TConvert::FileCodeMessage(const std::string& text, int type, unsigned buttons) {
    if (!inSystemPaint)
        return dialogs->ThemedMessage(text, type, buttons);
    // The file code reports with an OK button alone and goes on whatever the answer, so the
    // answer it gets now is OK.
    ReportAfterPaint([this, text, type, buttons] { dialogs->ThemedMessage(text, type, buttons); });
    return mrOk;
}

void TConvert::ReportAfterPaint(std::function<void()> report) {
    if (!inSystemPaint) {
        report();
        return;
    }
    // Posted events are handled once the paint event, and with it the window's painting, has
    // ended.
    QMetaObject::invokeMethod(this, std::move(report), Qt::QueuedConnection);
}

void TConvert::LoadPreviewFile() {
    const int row = fl->NextSelected();
    // Nothing selected: nothing to load, and the picture stays as it is.
    if (row < 0 || previewLoading)
        return;
    previewLoadPending = false;
    TFlagScope loading(previewLoading);
    previewLoadFailed = false;

    // The frame and channel pointers go with the scene: nothing may step a deleted frame,
    // also when the new load fails before it sets them again.
    currentFrame = nullptr;
    previewChannel = nullptr;
    previewScene.reset();
    previewReader.reset();

    const QString path = fl->Item(row);
    FileResult result;
    try {
        screen->BeginDraw();
        screen->Clear(0);
        ShowScreenPicture();
        LoadedIlda file;
        result = LoadIldaFile(EncodeFileName(path), RzRadioGroup1->ItemIndex(), Settings, file);
        previewScene = std::move(file.scene);
        previewChannel = file.channel;
        previewReader = std::move(file.reader);
        // A file that cannot be opened is reported by the reader; the channel then holds its
        // one empty frame, which is shown.
        if (result.Succeeded() || result.outcome == FileOutcome::Unreadable) {
            currentFrame = previewChannel->FirstFrame();
            DrawCurrentFrame();
        }
    } catch (const std::bad_alloc&) {
        result.outcome = FileOutcome::NotEnoughMemory;
    } catch (const std::exception&) {
        result.outcome = FileOutcome::Corrupt;
    }
    previewLoadFailed = !result.Succeeded();
    if (result.outcome == FileOutcome::NotEnoughMemory) {
        // Nothing of the file stays: the picture is empty and nothing is stepped.
        currentFrame = nullptr;
        previewChannel = nullptr;
        previewScene.reset();
        previewReader.reset();
        ReportAfterPaint(
            [this, path] { ReportPreviewFailure(NotEnoughMemoryMessage("load", path)); });
    } else if (result.outcome == FileOutcome::Corrupt) {
        ReportAfterPaint([this, path] { ReportPreviewFailure(CorruptPreviewMessage(path)); });
    }
}

void TConvert::DrawCurrentFrame() {
    screen->BeginDraw();
    screen->Clear(0);
    screen->RenderFrame(nullptr, nullptr, nullptr, previewChannel, currentFrame, 0);
    screen->EndDraw(false);
    ShowScreenPicture();
    ShowFramePosition();
}

void TConvert::ShowFramePosition() {
    // The rate of the interval in force: the next tick comes after it.
    const double rate = 1000.0 / std::max(MyTimer1->interval(), 1);
    QString frame;
    if (currentFrame != nullptr && previewChannel != nullptr)
        frame = QStringLiteral("frame %1 of %2")
                    .arg(currentFrame->Index())
                    .arg(previewChannel->FrameCount());
    RzLabel15->setText(frame + u'\n' + QString::number(rate, 'f', 1) + QStringLiteral(" FPS."));
}

void TConvert::ShowScreenPicture() {
    {
        QPainter canvas(&PaintBox->Canvas());
        screen->CopyTo(canvas);
    }
    // Inside PaintBoxPaint the paint in progress shows the canvas.
    if (previewPainting)
        return;
    TFlagScope painting(previewPainting);
    PaintBox->repaint();
}

void TConvert::FileNext() {
    if (RzBitBtn5->isEnabled()) {
        RzRadioGroup1->setEnabled(true);
        fl->SetMultiSelect(true);
        return;
    }
    fl->resize(fl->width(), previewListHeight);
    RzRadioGroup1->setEnabled(true);
    previewLoadFailed = false;
    if (ThPanel1->isHidden()) {
        // The panel opens over the search panel (a click during a search): as for Preview,
        // the window is painted in its new mode before the file loads.
        ThPanel1->show();
        SetPreviewCaption();
        GiveFocusToMode();
        PostPreviewLoad();
        return;
    }
    ShowPreviewCaption();
    LoadPreviewFile();
}

void TConvert::StepPreviewFrame(bool forward) {
    const int row = fl->NextSelected();
    // Without a selected item, or with no frame loaded, the picture stays as it is.
    if (row < 0 || previewLoading || currentFrame == nullptr)
        return;
    const QString path = fl->Item(row);
    try {
        currentFrame = forward ? currentFrame->Next(true) : currentFrame->Prev(true);
        DrawCurrentFrame();
    } catch (const std::bad_alloc&) {
        ReportPreviewFailure(NotEnoughMemoryMessage("load", path));
    } catch (const std::exception&) {
        ReportPreviewFailure(CorruptPreviewMessage(path));
    }
}

void TConvert::RxBitBtn8Click() {
    if (RxBitBtn8->isEnabled())
        StepPreviewFrame(true);
}

void TConvert::RzBitBtn7Click() {
    if (RzBitBtn7->isEnabled())
        StepPreviewFrame(false);
}

void TConvert::TimerTick() {
    // Unbounded: only TrackBarChange keeps the interval at 50 ms or more.
    MyTimer1->setInterval(PlayInterval(*TrackBar1));
    StepPreviewFrame(true);
}

void TConvert::RzBitBtn9Click() {
    RxBitBtn8->setEnabled(false);
    RzBitBtn7->setEnabled(false);
    RzBitBtn9->setEnabled(false);
    RzBitBtn8->setEnabled(true);
    MyTimer1->start();
    GiveFocusToMode();
}

void TConvert::RzBitBtn8Click() {
    RxBitBtn8->setEnabled(true);
    RzBitBtn7->setEnabled(true);
    RzBitBtn9->setEnabled(true);
    RzBitBtn8->setEnabled(false);
    MyTimer1->stop();
    GiveFocusToMode();
}

void TConvert::TrackBarChange() {
    MyTimer1->setInterval(
        std::clamp(PlayInterval(*TrackBar1), minimumChangedInterval, maximumChangedInterval));
    ShowFramePosition();
}

void TConvert::CCP() {
    // Without a preview shown the choice waits for the next conversion, save or preview.
    if (ThPanel1->isVisible())
        FileNext();
}

void TConvert::ReportPreviewFailure(const QString& text) {
    MyTimer1->stop();
    dialogs->Information(text);
    RxBitBtn8->setEnabled(true);
    RzBitBtn7->setEnabled(true);
    RzBitBtn9->setEnabled(true);
    RzBitBtn8->setEnabled(false);
}

void TConvert::PreviewClose() {
    ThPanel1->hide();
    MyTimer1->stop();
    RzBitBtn1->setEnabled(true);
    RzBitBtn2->setEnabled(true);
    RzBitBtn4->setEnabled(true);
    RzBitBtn5->setEnabled(true);
    RzBitBtn6->setEnabled(true);
    RxBitBtn8->setEnabled(true);
    RzBitBtn7->setEnabled(true);
    RzBitBtn8->setEnabled(false);
    RzBitBtn9->setEnabled(true);
    DriveComboBox1->setEnabled(true);
    Label1->setText(QStringLiteral("Select Folder or Directory to Start From Below"));
    sp1->SetCaption(QStringLiteral("Search Mode Enabled"));
    sp1->repaint();
    PS1->raise();
    fl->resize(fl->width(), previewListHeight);
    GiveFocusToMode();
}
