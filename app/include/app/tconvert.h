#pragma once

#include <QElapsedTimer>
#include <QEvent>
#include <QHash>
#include <QString>
#include <QWidget>

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "app/tsavedialog.h"
#include "app/userdialogs.h"
#include "platform/messagehook.h"
#include "widgets/tstatuslabel.h"

class QLabel;
class QLineEdit;
class QTimer;
class CChannel;
class CFrame;
class CIlda;
class CScene;
class CScreen;
class TBorder;
class TDirectoryListBox;
class TDriveComboBox;
class TFileListBox;
class TFoundList;
class TGlyphButton;
class TGradientPanel;
class TLMDSearchFileGrep;
class TPaintBox;
class TRadioGroup;
class TStatusPanel;
class TThPanel;
class TThTrackBar;
struct TLMDSPFileRecord;

// The window caption outside a search: the maker's name and the utility's name, with a full
// stop. The window starts with the same text without the full stop.
[[nodiscard]] inline QString StandardTitle() {
    return QStringLiteral("Halvorn Ltd Trellion.");
}
[[nodiscard]] inline QString StartTitle() {
    return QStringLiteral("Halvorn Ltd Trellion");
}
// RzLabel21's text whenever the search panel is idle, in black.
[[nodiscard]] inline QString SearchPanelHint() {
    return QStringLiteral("\n Use the Controls Below to Search for Ilda Files and Preview the File "
                          "Selected.\n To Convert Files Save the Files for Conversion before "
                          "Selecting Convert.");
}
// The maker's web site, opened by the Web prompt.
[[nodiscard]] inline QString WebSiteAddress() {
    return QStringLiteral("https://trellion.example/");
}
// The working directories' names, each appended to the executable's directory.
[[nodiscard]] inline QString IldaDirectoryName() {
    return QStringLiteral(" ILDA Files");
}
[[nodiscard]] inline QString SceneDirectoryName() {
    return QStringLiteral(" SCENE Files");
}

// The utility's one window, in four modes (welcome, convert, search, preview) made by showing,
// hiding and re-stacking its panels and enabling and disabling its buttons. It owns every
// control, the search component, the save dialog, the preview timer, the drawing surface and
// the objects of the file being previewed. Every question to the user goes through the
// IUserDialogs given at construction, and while the window lives the file code's reporting
// hook (ShowThemedMessage) is bound to its themed message box.
class TConvert : public QWidget {
    Q_OBJECT

    // Binds the file code's reporting hook to the window's dialogs for the window's lifetime,
    // including a construction that fails part way.
    class THookBinding {
    public:
        explicit THookBinding(TConvert& window);
        ~THookBinding();
        THookBinding(const THookBinding&) = delete;
        THookBinding& operator=(const THookBinding&) = delete;

    private:
        MessageHook previous;
    };

    // Declared before the controls: SaveDialog1 and the hook need the dialogs.
    std::unique_ptr<IUserDialogs> ownDialogs;
    IUserDialogs* dialogs;
    THookBinding hookBinding;

public:
    // Builds the window in welcome mode; dialogs defaults to the desktop's. The working
    // directories are created in baseDir (default: the executable's directory) when it can be
    // written, otherwise in $XDG_DATA_HOME/trellion (PlaceWorkingDirectories). When neither
    // place will do, one themed warning says so and the window goes on without them: the
    // directory lists start at the home directory.
    explicit TConvert(IUserDialogs* dialogs = nullptr, const QString& baseDir = QString(),
                      QWidget* owner = nullptr);
    ~TConvert() override;

    [[nodiscard]] IUserDialogs& Dialogs() const { return *dialogs; }
    // The chosen place followed by " ILDA Files" / " SCENE Files".
    [[nodiscard]] const QString& IldaDirectory() const { return ildaDirectory; }
    [[nodiscard]] const QString& SceneDirectory() const { return sceneDirectory; }

    // Switches to convert mode: empties and hides the found-file list, shows the conversion
    // columns and sets the buttons for a conversion.
    void ShowConvertMode();

    // The preview. LoadPreviewFile replaces previewScene, previewChannel and previewReader by a
    // fresh load of the first selected item of fl with the chosen palette and shows its first
    // frame (nothing happens while no item is selected); an error raised by the load is
    // reported as a corrupt file. DrawCurrentFrame draws currentFrame and shows it at once,
    // without a load. ShowPreviewCaption puts the previewed file's path into sp1.
    void LoadPreviewFile();
    void DrawCurrentFrame();
    void ShowPreviewCaption();
    // Operations of the save workflow.
    void SaveToIldaDirectory();
    void SaveToChosenDirectories();
    // The text after the last separator of path (the name a saved file keeps); path itself
    // when it has none.
    [[nodiscard]] static QString FileNamePart(const QString& path);

    // Opens what the desktop hands the window (the file arguments, a drop), names as bytes,
    // absolute. Names that are neither files nor directories are listed in one themed warning.
    // With a directory among them: a search of the directories (the directory list shows the
    // first), as Start would make it, asking the search question only when files are listed
    // already; given files are listed beside what it finds. Otherwise the files are added to
    // the found-file list as a search would add them (each once; one already listed is not
    // added again) and the first of them is previewed from its first frame with the chosen
    // palette, from any mode. Does nothing while TakesOpenedNames() is false.
    void OpenNames(const std::vector<std::string>& names);
    // False while a search, a save or a batch conversion runs; drops are then refused.
    [[nodiscard]] bool TakesOpenedNames() const;

public slots:
    // Batch conversion.
    void BitBtn1Click();
    void BitBtn3Click();
    // Conversion row Close.
    void BitBtn2Click();
    // File search.
    void RzBitBtn1Click();
    void RzBitBtn3Click();
    void RzBitBtn4Click();
    void RzBitBtn15Click();
    // Saving found files.
    void RzBitBtn2Click();
    // Preview.
    void Preview();
    void PreviewClose();
    void PaintBoxPaint();
    void FileNext();
    void RxBitBtn8Click();
    void RzBitBtn7Click();
    void RzBitBtn9Click();
    void RzBitBtn8Click();
    void TimerTick();
    void TrackBarChange();
    void CCP();
    // Welcome Convert and preview Convert.
    void PreviewClose2();
    // The Quit buttons of the welcome, search and preview panels.
    void RzBitBtn16Click();
    void RzBitBtn6Click();
    void RzBitBtn12Click();

public:
    // Notifications of the search component.
    void lfDirChange(QObject* sender, const QString& dir);
    void lfFileChange(QObject* sender, const QString& name);
    void lfFound(QObject* sender, const TLMDSPFileRecord& record);
    void lfFinished(QObject* sender);
    void lfCancel1(QObject* sender);

    // Controls, by parent in creation order (later siblings lie above earlier ones).
    QWidget* Panel1 = nullptr;
    QLabel* Label1 = nullptr;
    QLabel* Label2 = nullptr;
    TBorder* RzBorder1 = nullptr;
    TBorder* RzBorder2 = nullptr;
    QLabel* RzLabel1 = nullptr;
    QLabel* RzLabel2 = nullptr;
    QLabel* RzLabel3 = nullptr;
    QLabel* RzLabel4 = nullptr;
    QLabel* RzLabel5 = nullptr;
    QLabel* RzLabel6 = nullptr;
    QLabel* RzLabel7 = nullptr;
    TBorder* RzBorder3 = nullptr;
    TBorder* RzBorder4 = nullptr;
    QLabel* RzLabel8 = nullptr;
    QLabel* RzLabel9 = nullptr;
    TFileListBox* FileListBox2 = nullptr;
    TDriveComboBox* DriveComboBox1 = nullptr;
    TDirectoryListBox* DirectoryListBox1 = nullptr;
    TFileListBox* FileListBox1 = nullptr;
    TGlyphButton* BitBtn1 = nullptr;
    TGlyphButton* BitBtn2 = nullptr;
    QLineEdit* Edit1 = nullptr;
    TGlyphButton* BitBtn3 = nullptr;
    TDriveComboBox* DriveComboBox2 = nullptr;
    TDirectoryListBox* DirectoryListBox2 = nullptr;
    QLineEdit* Edit2 = nullptr;
    TRadioGroup* RzRadioGroup1 = nullptr;
    TGlyphButton* RzBitBtn1 = nullptr;
    TGlyphButton* RzBitBtn2 = nullptr;
    TGlyphButton* RzBitBtn3 = nullptr;
    TGlyphButton* RzBitBtn4 = nullptr;
    TStatusPanel* sp1 = nullptr;
    TGlyphButton* RzBitBtn5 = nullptr;
    TGlyphButton* RzBitBtn6 = nullptr;
    TFoundList* fl = nullptr;
    QWidget* PC1 = nullptr;
    TBorder* RzBorder7 = nullptr;
    QLabel* RzLabel20 = nullptr;
    QWidget* PS1 = nullptr;
    TBorder* RzBorder8 = nullptr;
    TStatusLabel* RzLabel21 = nullptr;
    TThPanel* ThPanel1 = nullptr;
    TGradientPanel* RzPanel3 = nullptr;

    // Inside ThPanel1.
    TPaintBox* PaintBox = nullptr;
    QWidget* RzPanel1 = nullptr;
    QWidget* RzPanel2 = nullptr;
    // Inside RzPanel1.
    TBorder* RzBorder5 = nullptr;
    QLabel* RzLabel10 = nullptr;
    QLabel* RzLabel11 = nullptr;
    QLabel* RzLabel12 = nullptr;
    QLabel* RzLabel13 = nullptr;
    QLabel* RzLabel14 = nullptr;
    QLabel* RzLabel15 = nullptr;
    TGlyphButton* RxBitBtn8 = nullptr;
    TGlyphButton* RzBitBtn7 = nullptr;
    TGlyphButton* RzBitBtn9 = nullptr;
    TGlyphButton* RzBitBtn8 = nullptr;
    TThTrackBar* TrackBar1 = nullptr;
    TGlyphButton* RzBitBtn11 = nullptr;
    // Inside RzPanel2.
    TBorder* RzBorder6 = nullptr;
    QLabel* RzLabel16 = nullptr;
    QLabel* RzLabel17 = nullptr;
    QLabel* RzLabel18 = nullptr;
    QLabel* RzLabel19 = nullptr;
    TGlyphButton* RzBitBtn13 = nullptr;
    TGlyphButton* RzBitBtn12 = nullptr;
    // Inside RzPanel3.
    QLabel* RzLabel22 = nullptr;
    QLabel* RzLabel23 = nullptr;
    QLabel* RzLabel24 = nullptr;
    QLabel* RzLabel25 = nullptr;
    QLabel* RzLabel26 = nullptr;
    QLabel* RzLabel27 = nullptr;
    TBorder* RzBorder9 = nullptr;
    TGlyphButton* Search = nullptr;
    TGlyphButton* Convert = nullptr;
    TGlyphButton* RzBitBtn15 = nullptr;
    TGlyphButton* RzBitBtn16 = nullptr;

    // Components without a visual.
    TLMDSearchFileGrep* lf = nullptr;
    TSaveDialog SaveDialog1;
    QTimer* MyTimer1 = nullptr;

    // The conversion's stop request.
    bool stopRequested = false;
    // The preview's drawing surface, sized to PaintBox.
    std::unique_ptr<CScreen> screen;
    // While a search runs, the status texts and the found-file list are painted, and the caption
    // set, at most once per this many milliseconds (see the search workflow).
    static constexpr qint64 searchPaintInterval = 20;

    // The file being previewed: its scene, the channel and shown frame inside it, its reader.
    std::unique_ptr<CScene> previewScene;
    CChannel* previewChannel = nullptr;
    CFrame* currentFrame = nullptr;
    std::unique_ptr<CIlda> previewReader;

protected:
    // Enter clicks BitBtn2 and Escape clicks BitBtn3, each while visible and enabled, when the
    // focused control leaves the key to the window. A focused list keeps Enter for itself.
    void keyPressEvent(QKeyEvent* event) override;
    // Tab and Backtab pass over controls covered by another mode's panel.
    bool focusNextPrevChild(bool next) override;
    // Files and folders dropped from a file manager go to OpenNames; while it would refuse
    // them the drag is ignored, so the cursor shows that no drop is taken.
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dragMoveEvent(QDragMoveEvent* event) override;
    void dropEvent(QDropEvent* event) override;
    // The preview's posted load (PostPreviewLoad).
    void customEvent(QEvent* event) override;

private:
    // Starts a search of dirs (directories joined by ';'): a first start, without the search
    // question, when askFirst is false or from welcome and convert mode; otherwise as Start
    // on the idle search panel, after the question.
    void StartSearch(const QString& dirs, bool askFirst);
    // Shows the search panel over the welcome or convert panel: the panels, edit boxes and lists
    // of search mode, without touching the buttons' states.
    void ShowSearchPanel();
    // Drops land on the window: the edit boxes would otherwise take a dragged name as text.
    void TakeDrops();
    // The steps of OpenNames.
    void SearchOpenedDirectories(const std::vector<std::string>& directories,
                                 const std::vector<std::string>& files);
    void PreviewOpenedFiles(const std::vector<std::string>& files);
    void AddOpenedFiles(const std::vector<std::string>& files);

    void BuildLayout();
    void BuildNonVisualComponents();
    void LinkFileSystemControls();
    void BuildPreviewPanel();
    void BuildWelcomePanel();
    void ConnectHandlers();
    // Points a directory list at a working directory; when that does not exist (reported at
    // start) the list keeps its directory, or starts at the home directory.
    void ShowWorkingDirectory(TDirectoryListBox* list, const QString& dir);

    // The preview's steps: show the surface's picture on the drawing area at once; step to the
    // next or previous frame (a tick or a button); report a file that failed while previewed
    // (the text says why) and stop playing it.
    void ShowScreenPicture();
    void StepPreviewFrame(bool forward);
    void ReportPreviewFailure(const QString& text);

    // One file of the batch conversion: item of sourceDir (the index-th of count) converted
    // into a scene file in targetDir, with the status texts and boxes that tell how it went.
    // True when the scene file was written; sets stopRequested when the batch ends here.
    bool ConvertBatchFile(const QString& sourceDir, const QString& item, const QString& targetDir,
                          int index, int count);
    // Where the selected found files are saved to.
    enum class TSaveDestination { IldaDirectory, ChosenDirectories };
    // The loop of both saves: each selected file loaded with the chosen palette and written
    // again where `destination` says, after the questions it asks. Gives the files saved.
    int SaveSelectedFiles(TSaveDestination destination);
    // The file a selected file (loaded or not) is saved as, after the questions that decide
    // it; empty when it is not saved. savedFrom: the files this save has written, each with
    // the found file it came from.
    QString IldaDirectoryTarget(const QString& path, bool loaded,
                                const QHash<QString, QString>& savedFrom);
    QString ChosenDirectoryTarget(const QString& path, bool loaded);

    QString ildaDirectory;
    QString sceneDirectory;

    // While a search runs, the texts it changes per directory are painted at most once per
    // interval (see the search workflow); started at the last of those paints.
    QElapsedTimer searchPaintClock;
    // Ends the pacing: the paced controls are painted normally again.
    void ReleaseSearchPaints();

    // Set while the preview draws on its own (inside PaintBoxPaint or while showing a picture it
    // drew): a paint of the drawing area then only shows the canvas.
    bool previewPainting = false;
    // Set while LoadPreviewFile runs, so that a paint or tick during a message box it shows does
    // not load or step a file being replaced.
    bool previewLoading = false;
    // Set while a paint of the drawing area that is not the preview's own runs. A message
    // raised then (by a load the paint started) is shown once the window has finished painting:
    // a modal box opened inside the paint would stand over a half-drawn window.
    bool inSystemPaint = false;
    // Sets sp1's caption to the previewed file's path without painting it at once.
    void SetPreviewCaption();
    // Loads the previewed file once the events already posted, the window's paint among them,
    // have been handled. While the load is pending, paints of the drawing area do not load.
    void PostPreviewLoad();
    static constexpr QEvent::Type previewLoadEvent = QEvent::User;
    bool previewLoadPending = false;

    // Shows "frame K of N" of the previewed file and the playing rate of the timer's interval
    // in RzLabel15.
    void ShowFramePosition();
    // Leaves the keyboard focus where it is when that control is shown, enabled and not
    // covered by another; otherwise gives it to the first such control of the mode's own
    // buttons (Search on the welcome panel, Stop while a workflow runs, Start, Next), or to
    // the window. Called at the end of every mode switch.
    void GiveFocusToMode();

    // The file code's reporting hook: the window's themed message box, after the paint when
    // inSystemPaint is set.
    int FileCodeMessage(const std::string& text, int type, unsigned buttons);
    // Runs report now, or once the window has finished painting when inSystemPaint is set.
    void ReportAfterPaint(std::function<void()> report);

    // Set when the last load failed (the file could not be opened or raised an error): paints
    // then show the empty picture instead of loading and reporting again, until another file,
    // a palette or Preview is chosen.
    bool previewLoadFailed = false;
};
