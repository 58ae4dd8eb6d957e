// The window's fixed layout: every control with its name, bounds, caption, hint, font, colour
// and handler, children in creation order so that later siblings lie above earlier ones.

#include "app/tconvert.h"

#include <QLabel>
#include <QLineEdit>
#include <QTimer>

#include <vector>

#include "controls/thutils.h"
#include "controls/tthpanel.h"
#include "controls/tthtrackbar.h"
#include "search/foundorder.h"
#include "search/tlmdsearchfilegrep.h"
#include "widgets/tborder.h"
#include "widgets/tdirectorylistbox.h"
#include "widgets/tdrivecombobox.h"
#include "widgets/tfilelistbox.h"
#include "widgets/tfoundlist.h"
#include "widgets/tglyphbutton.h"
#include "widgets/tgradientpanel.h"
#include "widgets/tpaintbox.h"
#include "widgets/tradiogroup.h"
#include "widgets/tstatuslabel.h"
#include "widgets/tstatuspanel.h"

namespace {

constexpr int clientWidth = 519;
constexpr int clientHeight = 503;

// Liberation Sans has Arial's metrics. The sizes are pixel sizes chosen so that every text
// fits the bounds the layout gives it (Arial 9 pt, 10 pt and 28 pt at 96 dots per inch would be
// 12, 13 and 37 pixels; the welcome text needs 12 to fit its lines).
constexpr int arial9Pixels = 12;
constexpr int welcomeTextPixels = 12;
constexpr int welcomeTitlePixels = 37;

// The default size of a glyph button the layout gives no size.
constexpr int defaultButtonWidth = 75;
constexpr int defaultButtonHeight = 25;

const QColor lime(0, 255, 0);
const QColor yellow(255, 255, 0);
const QColor green(0, 128, 0);

// The welcome panel's ramp, 0x00BBGGRR: navy at the top down to the classic inactive-caption
// grey.
constexpr std::int32_t welcomeRampStart = 0x800000;
constexpr std::int32_t welcomeRampEnd = 0x808080;

QFont ArialFont(int pixels) {
    QFont font(QStringLiteral("Liberation Sans"));
    font.setStyleHint(QFont::SansSerif);
    font.setPixelSize(pixels);
    return font;
}

// Captions write a line break as "\r".
QString LineBreaks(const char* text) {
    QString caption = QString::fromUtf8(text);
    caption.replace(u'\r', u'\n');
    return caption;
}

void SetTextColour(QWidget* widget, const QColor& colour) {
    QPalette colours = widget->palette();
    colours.setColor(QPalette::WindowText, colour);
    widget->setPalette(colours);
}

void SetHint(QWidget* widget, const char* hint, bool shown = true) {
    widget->setProperty("hint", QString::fromUtf8(hint));
    if (shown)
        widget->setToolTip(QString::fromUtf8(hint));
}

// Creates the children of one parent. Labels and border frames are drawn on the parent's
// surface in the toolkit, under every windowed sibling; Finish puts them there, keeping their
// own order.
class TChildren {
public:
    explicit TChildren(QWidget* parent) : parent(parent) {}

    QLabel* Label(const char* name, int x, int y, const char* text) {
        QLabel* label = NewLabel(name, text);
        label->move(x, y);
        label->adjustSize();
        return label;
    }

    template <class LabelType = QLabel>
    LabelType* Label(const char* name, QRect bounds, const char* text,
                     Qt::Alignment alignment = Qt::AlignLeft | Qt::AlignTop) {
        auto* label = NewLabel<LabelType>(name, text);
        label->setGeometry(bounds);
        label->setAlignment(alignment);
        return label;
    }

    TBorder* Border(const char* name, QRect bounds, QColor colour = QColor()) {
        auto* border = new TBorder(parent, colour);
        border->setObjectName(QString::fromUtf8(name));
        border->setGeometry(bounds);
        graphic.push_back(border);
        return border;
    }

    TGlyphButton* Button(const char* name, QRect bounds, TGlyph glyph, const char* caption,
                         const char* hint) {
        auto* button = new TGlyphButton(glyph, QString::fromUtf8(caption), parent);
        button->setObjectName(QString::fromUtf8(name));
        button->setGeometry(bounds);
        SetHint(button, hint);
        return button;
    }

    TGlyphButton* Button(const char* name, int x, int y, TGlyph glyph, const char* caption,
                         const char* hint) {
        return Button(name, QRect(x, y, defaultButtonWidth, defaultButtonHeight), glyph, caption,
                      hint);
    }

    QWidget* Panel(const char* name, QRect bounds) {
        auto* panel = new QWidget(parent);
        panel->setObjectName(QString::fromUtf8(name));
        panel->setGeometry(bounds);
        panel->setAutoFillBackground(true);
        return panel;
    }

    template <class Widget> Widget* Add(Widget* widget, const char* name, QRect bounds) {
        widget->setObjectName(QString::fromUtf8(name));
        widget->setGeometry(bounds);
        return widget;
    }

    void Finish() {
        for (auto it = graphic.rbegin(); it != graphic.rend(); ++it)
            (*it)->lower();
    }

private:
    template <class LabelType = QLabel> LabelType* NewLabel(const char* name, const char* text) {
        auto* label = new LabelType(LineBreaks(text), parent);
        label->setObjectName(QString::fromUtf8(name));
        label->setTextFormat(Qt::PlainText);
        label->setWordWrap(false);
        graphic.push_back(label);
        return label;
    }

    QWidget* parent;
    std::vector<QWidget*> graphic;
};

} // namespace

void TConvert::BuildLayout() {
    setObjectName(QStringLiteral("MainWindow"));
    setWindowTitle(StartTitle());
    setWindowFlags(Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                   Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint);
    setFixedSize(clientWidth, clientHeight);
    setFont(ThemeFont());
    setAutoFillBackground(true);

    Panel1 = new QWidget(this);
    Panel1->setObjectName(QStringLiteral("Panel1"));
    Panel1->setGeometry(0, 0, clientWidth, clientHeight);
    Panel1->setAutoFillBackground(true);

    TChildren c(Panel1);
    Label1 =
        c.Label("Label1", QRect(12, 8, 238, 13), "Select Folder or Directory to Start From Below");
    // Inside its frame RzBorder4 and the window.
    Label2 = c.Label("Label2", QRect(272, 8, 240, 13), "");
    RzBorder1 = c.Border("RzBorder1", QRect(7, 360, 507, 57));
    RzBorder2 = c.Border("RzBorder2", QRect(7, 424, 507, 73));
    RzLabel1 = c.Label("RzLabel1", 200, 396, "Start Conversion");
    RzLabel2 = c.Label("RzLabel2", 311, 396, "Stop Conversion");
    RzLabel3 = c.Label("RzLabel3", 435, 396, "Quit Program");
    const QFont arial9 = ArialFont(arial9Pixels);
    for (auto [label, name, x, y, text] : {
             std::tuple{&RzLabel4, "RzLabel4", 96, 435, "Start Search."},
             std::tuple{&RzLabel5, "RzLabel5", 258, 435, "Stop Search."},
             std::tuple{&RzLabel6, "RzLabel6", 426, 436, "Save Files."},
             std::tuple{&RzLabel7, "RzLabel7", 258, 468, "Convert Mode."},
         }) {
        *label = c.Label(name, x, y, text);
        (*label)->setFont(arial9);
        (*label)->adjustSize();
    }
    RzBorder3 = c.Border("RzBorder3", QRect(8, 3, 252, 22), lime);
    RzBorder4 = c.Border("RzBorder4", QRect(264, 3, 251, 22), lime);
    for (auto [label, name, x, y, text] : {
             std::tuple{&RzLabel8, "RzLabel8", 96, 468, "Start Preview."},
             std::tuple{&RzLabel9, "RzLabel9", 426, 468, " Quit Program."},
         }) {
        *label = c.Label(name, x, y, text);
        (*label)->setFont(arial9);
        (*label)->adjustSize();
    }

    FileListBox2 = c.Add(new TFileListBox(Panel1), "FileListBox2", QRect(264, 204, 249, 123));
    DriveComboBox1 = c.Add(new TDriveComboBox(Panel1), "DriveComboBox1", QRect(8, 28, 252, 19));
    DirectoryListBox1 =
        c.Add(new TDirectoryListBox(Panel1), "DirectoryListBox1", QRect(8, 52, 251, 145));
    FileListBox1 = c.Add(new TFileListBox(Panel1), "FileListBox1", QRect(8, 204, 251, 123));
    BitBtn1 = c.Button("BitBtn1", QRect(200, 370, 80, 24), TGlyph::Start, "Start",
                       "Start Converting Ilda Files to Scene Files");
    BitBtn2 =
        c.Button("BitBtn2", QRect(425, 370, 80, 24), TGlyph::Close, "&Close", "Close Trellion.");
    BitBtn2->setDefault(true);
    Edit1 = c.Add(new QLineEdit(QStringLiteral("*.ild"), Panel1), "Edit1", QRect(8, 332, 251, 21));
    BitBtn3 = c.Button("BitBtn3", QRect(310, 370, 80, 24), TGlyph::Cancel, "Stop",
                       "Stop Converting Ilda Files to scene Files");
    DriveComboBox2 = c.Add(new TDriveComboBox(Panel1), "DriveComboBox2", QRect(264, 28, 251, 19));
    DirectoryListBox2 =
        c.Add(new TDirectoryListBox(Panel1), "DirectoryListBox2", QRect(264, 52, 249, 145));
    Edit2 =
        c.Add(new QLineEdit(QStringLiteral("*.scn"), Panel1), "Edit2", QRect(264, 332, 249, 21));
    RzRadioGroup1 = c.Add(
        new TRadioGroup(QStringLiteral("Palette"),
                        {QStringLiteral("Pangolin"), QStringLiteral("Ilda"), QStringLiteral("X29")},
                        3, Panel1),
        "RzRadioGroup1", QRect(16, 364, 168, 45));
    RzRadioGroup1->SetItemIndex(1);
    SetHint(RzRadioGroup1, "Select Colour Palette");
    RzBitBtn1 = c.Button("RzBitBtn1", QRect(16, 432, 73, 24), TGlyph::Search, "Start",
                         "Start searching for Ilda files");
    RzBitBtn2 = c.Button("RzBitBtn2", QRect(346, 432, 73, 24), TGlyph::Save, "Save",
                         "Save Selected Ilda files");
    RzBitBtn3 = c.Button("RzBitBtn3", QRect(178, 432, 73, 24), TGlyph::Stop, "Stop",
                         "Stop searching for Ilda files");
    RzBitBtn4 = c.Button("RzBitBtn4", QRect(178, 464, 73, 24), TGlyph::Convert, "Convert",
                         "Close File Searching and Return to Convert Mode.");
    sp1 = c.Add(new TStatusPanel(QStringLiteral("Ilda File Search "), lime, Panel1), "sp1",
                QRect(264, 3, 250, 44));
    RzBitBtn5 = c.Button("RzBitBtn5", QRect(16, 464, 73, 24), TGlyph::Preview, "Preview",
                         "Preview Selected Ilda Files");
    RzBitBtn6 =
        c.Button("RzBitBtn6", QRect(346, 464, 73, 24), TGlyph::Quit, "Quit", "Quit Program.");
    fl = c.Add(new TFoundList(&FoundOrderLess, Panel1), "fl", QRect(265, 53, 248, 282));
    fl->SetCaption(QStringLiteral("Ilda Files Found"));
    fl->SetColumnWidth(517);
    // Tooltips are off for the window itself, so this hint is kept but never shown.
    SetHint(fl, "Left Click to Select Files to Preview or Save.", false);

    // One row taller than the search rows' buttons reach, so that none of them shows below it.
    PC1 = c.Panel("PC1", QRect(173, 430, 334, 58));
    {
        TChildren pc(PC1);
        RzBorder7 = pc.Border("RzBorder7", QRect(8, 8, 319, 43), lime);
        RzLabel20 = pc.Label("RzLabel20", QRect(16, 14, 297, 32),
                             "                         Use the Controls to the Left and \r       "
                             "              Above to Select Required Functions. ");
        RzLabel20->setFont(arial9);
        pc.Finish();
    }

    PS1 = c.Panel("PS1", QRect(0, 333, clientWidth, 86));
    {
        TChildren ps(PS1);
        RzBorder8 = ps.Border("RzBorder8", QRect(8, 8, 505, 74));
        RzLabel21 = ps.Label<TStatusLabel>(
            "RzLabel21", QRect(18, 16, 485, 57),
            "\rUse the Controls Below to Search for Ilda Files and Preview the "
            "File Selected.",
            Qt::AlignHCenter | Qt::AlignTop);
        RzLabel21->setFont(arial9);
        SetTextColour(RzLabel21, Qt::black);
        // A search changes this text at every directory; at a fixed size a new text does not
        // ask the panel to lay its children out again each time.
        RzLabel21->setFixedSize(RzLabel21->size());
        ps.Finish();
    }

    // Down to the window's bottom edge, so that its frame shows all round.
    ThPanel1 = c.Add(new TThPanel(Panel1), "ThPanel1", QRect(0, 51, 517, clientHeight - 51));
    ThPanel1->SetBorderStyle(bsSingle);
    BuildPreviewPanel();

    RzPanel3 = c.Add(new TGradientPanel(welcomeRampStart, welcomeRampEnd, lime, Panel1), "RzPanel3",
                     QRect(0, 0, clientWidth, clientHeight));
    BuildWelcomePanel();
    c.Finish();

    BuildNonVisualComponents();
    LinkFileSystemControls();
    ConnectHandlers();
}

// The components that are not drawn: the file search, the save dialog's settings and the
// playback timer.
void TConvert::BuildNonVisualComponents() {
    lf = new TLMDSearchFileGrep(this);
    lf->setObjectName(QStringLiteral("lf"));
    lf->SetFileMasks(QStringLiteral("*.ild"));
    lf->SetAnySingleCharacter(u'?');
    lf->SetAnySequenceCharacter(u'*');
    lf->SetInternalFoundList(false);

    TSaveFileRequest& save = SaveDialog1.Options();
    save.title = QStringLiteral("Save Ilda File");
    save.defaultExt = QStringLiteral(".ild");
    save.filter = QStringLiteral("Ilda File(.ild)|*.ild");
    save.overwritePrompt = true;
    save.hideReadOnly = true;
    save.resizable = true;

    MyTimer1 = new QTimer(this);
    MyTimer1->setObjectName(QStringLiteral("MyTimer1"));
    MyTimer1->setTimerType(Qt::PreciseTimer);
    MyTimer1->setInterval(500);
}

void TConvert::LinkFileSystemControls() {
    // The links between the file-system controls.
    DriveComboBox1->SetDirList(DirectoryListBox1);
    DirectoryListBox1->SetDriveCombo(DriveComboBox1);
    DirectoryListBox1->SetFileList(FileListBox1);
    FileListBox1->SetMask(QStringLiteral("*.ild"));
    FileListBox1->SetFileEdit(Edit1);
    DriveComboBox2->SetDirList(DirectoryListBox2);
    DirectoryListBox2->SetDriveCombo(DriveComboBox2);
    DirectoryListBox2->SetFileList(FileListBox2);
    DirectoryListBox2->SetDirLabel(Label2);
    FileListBox2->SetMask(QStringLiteral("*.scn"));
    FileListBox2->SetFileEdit(Edit2);

    // Most controls are out of the keyboard tab order.
    for (QWidget* control : std::initializer_list<QWidget*>{
             DriveComboBox1, DriveComboBox2, DirectoryListBox1, DirectoryListBox2, FileListBox1,
             FileListBox2, fl, RzRadioGroup1, TrackBar1})
        control->setFocusPolicy(Qt::ClickFocus);
}

void TConvert::BuildPreviewPanel() {
    // Children of a bordered panel are placed relative to its client area.
    const int inset = ThPanel1->BorderWidth();
    const auto at = [inset](int x, int y, int w, int h) {
        return QRect(x + inset, y + inset, w, h);
    };
    const QFont arial9 = ArialFont(arial9Pixels);

    TChildren c(ThPanel1);
    PaintBox = c.Add(new TPaintBox(ThPanel1), "PaintBox", at(0, 0, 260, 280));
    RzPanel1 = c.Panel("RzPanel1", at(1, 361, 511, 87));
    RzPanel2 = c.Panel("RzPanel2", at(1, 280, 511, 86));
    c.Finish();

    TChildren p1(RzPanel1);
    // The frames keep the same margin at the right as at the left of their panels.
    RzBorder5 = p1.Border("RzBorder5", QRect(8, 6, 495, 74));
    RzLabel10 = p1.Label("RzLabel10", 95, 20, "Next Frame.");
    RzLabel11 = p1.Label("RzLabel11", 95, 52, "Prev Frame.");
    RzLabel12 = p1.Label("RzLabel12", 256, 20, "Play Frames.");
    RzLabel13 = p1.Label("RzLabel13", 256, 52, "Stop Play.");
    RzLabel14 = p1.Label("RzLabel14", 424, 52, "Search Mode.");
    // The frame shown and the playing rate, on two lines beside the track bar.
    RzLabel15 = p1.Label("RzLabel15", QRect(404, 14, 99, 30), "FPS.");
    RxBitBtn8 = p1.Button("RxBitBtn8", QRect(15, 16, 73, 24), TGlyph::Next, "Next",
                          "Display Next Ilda Frame");
    RzBitBtn7 = p1.Button("RzBitBtn7", QRect(15, 48, 73, 24), TGlyph::Prev, "Prev",
                          "Display Previous Ilda Frame");
    RzBitBtn9 =
        p1.Button("RzBitBtn9", QRect(175, 16, 73, 24), TGlyph::Play, "Play", "Play Selected File.");
    RzBitBtn8 = p1.Button("RzBitBtn8", QRect(175, 48, 73, 24), TGlyph::Stop, "Stop",
                          "Stop Playing Selected File.");
    TrackBar1 = p1.Add(new TThTrackBar(RzPanel1), "TrackBar1", QRect(326, 16, 74, 25));
    TrackBar1->setOrientation(Qt::Horizontal);
    TrackBar1->setRange(0, 20);
    TrackBar1->setValue(10);
    TrackBar1->setTickInterval(1);
    TrackBar1->setTickPosition(QSlider::TicksBelow);
    TrackBar1->SetThumbLength(15);
    SetHint(TrackBar1, "Frames Per Second for Replaying Graphic when Play Enabled.");
    RzBitBtn11 = p1.Button("RzBitBtn11", QRect(344, 48, 73, 24), TGlyph::Search, "Search",
                           "Close Preview and Go to File Searching.");
    p1.Finish();

    TChildren p2(RzPanel2);
    RzBorder6 = p2.Border("RzBorder6", QRect(8, 5, 495, 77));
    RzLabel16 = p2.Label("RzLabel16", 424, 56, "Quit Program.");
    RzLabel17 = p2.Label("RzLabel17", 424, 24, "Convert Mode.");
    RzLabel18 = p2.Label("RzLabel18", 14, 14, " Ilda Palette Selection Control.");
    RzLabel19 = p2.Label("RzLabel19", QRect(192, 14, 145, 61),
                         "To Change the Colour of \r Graphic to be Displayed\r  Select Ilda "
                         "Palette First\r        then the Graphic .\r      ");
    RzLabel19->setFont(arial9);
    SetTextColour(RzLabel19, green);
    RzBitBtn13 = p2.Button("RzBitBtn13", QRect(342, 19, 73, 24), TGlyph::Convert, "Convert",
                           "Close File Preview and Go to Convert mode.");
    RzBitBtn12 =
        p2.Button("RzBitBtn12", QRect(342, 52, 73, 24), TGlyph::Quit, "Quit", "Quit Program");
    p2.Finish();
}

void TConvert::BuildWelcomePanel() {
    const QFont arial9 = ArialFont(arial9Pixels);
    TChildren c(RzPanel3);
    const auto yellowLabel = [&](QLabel* label, const QFont& font) {
        label->setFont(font);
        SetTextColour(label, yellow);
        label->setAttribute(Qt::WA_TranslucentBackground);
        return label;
    };
    RzLabel22 = yellowLabel(
        c.Label("RzLabel22", QRect(104, 347, 405, 15),
                "Search this Computer for Ilda Files. (Recommended for First  time Users)"),
        arial9);
    RzLabel23 = yellowLabel(
        c.Label("RzLabel23", QRect(104, 389, 393, 15),
                "   Convert Ilda Files to Scene  Files. (Recommended for Existing Users)"),
        arial9);
    RzLabel24 = yellowLabel(c.Label("RzLabel24", QRect(104, 428, 393, 15),
                                    "Visit Halvorn Ltd Website for more Information and Feedback."),
                            arial9);
    RzLabel25 = yellowLabel(
        c.Label("RzLabel25", 104, 467,
                "       Quit this Application and Returm to My Previous Windows State."),
        arial9);
    RzLabel25->adjustSize();
    RzLabel26 = yellowLabel(
        c.Label("RzLabel26", QRect(8, 16, 497, 49), "Halvorn Ltd", Qt::AlignHCenter | Qt::AlignTop),
        ArialFont(welcomeTitlePixels));
    RzLabel27 = yellowLabel(
        c.Label("RzLabel27", QRect(20, 72, 477, 240),
                "Welcome to Halvorn Ltd Trellion.\r\rThis Program is Free to Use for Searching, "
                "Saving, Viewing and \rConverting Ilda Files.\rThe Application was designed to "
                "enable users to find Ilda files,\rConvert the existing Colour Palette and Save "
                "the File back into an Ilda \rFormat with the choice of Palette for some of the "
                "most well known laser \rsoftware formats. Included within this application is "
                "a file conversion utility\r that allows the user to convert existing Ilda "
                "Files to Halvorn Ltd \rfile format. \rUsers of this software can convert their "
                "existing Ilda files to Halvorn Ltd\r file format and view the converted files "
                "in any of the software versions we produce. \r(Even Demo Versions).\r\rThank "
                "You for taking the time to read this and view our Software.",
                Qt::AlignHCenter | Qt::AlignTop),
        ArialFont(welcomeTextPixels));
    RzBorder9 = c.Border("RzBorder9", QRect(16, 64, 487, 265), lime);
    Search = c.Button("Search", 16, 344, TGlyph::Search, "Search",
                      "Search this Computer for Ilda Files.");
    Convert = c.Button("Convert", 16, 384, TGlyph::Convert, "Convert",
                       "Convert Existing Files to Halvorn Ltd File Format.");
    RzBitBtn15 = c.Button("RzBitBtn15", 16, 424, TGlyph::Web, "Web", "Visit Halvorn Ltd Website.");
    RzBitBtn16 =
        c.Button("RzBitBtn16", 16, 464, TGlyph::Quit, "Quit", "Exit Halvorn Ltd Trellion.");
    c.Finish();
}

void TConvert::ConnectHandlers() {
    const auto click = [this](QAbstractButton* button, void (TConvert::*handler)()) {
        connect(button, &QAbstractButton::clicked, this, handler);
    };
    click(BitBtn1, &TConvert::BitBtn1Click);
    click(BitBtn2, &TConvert::BitBtn2Click);
    click(BitBtn3, &TConvert::BitBtn3Click);
    click(RzBitBtn1, &TConvert::RzBitBtn1Click);
    click(RzBitBtn2, &TConvert::RzBitBtn2Click);
    click(RzBitBtn3, &TConvert::RzBitBtn3Click);
    click(RzBitBtn4, &TConvert::RzBitBtn4Click);
    click(RzBitBtn5, &TConvert::Preview);
    click(RzBitBtn6, &TConvert::RzBitBtn6Click);
    click(RxBitBtn8, &TConvert::RxBitBtn8Click);
    click(RzBitBtn7, &TConvert::RzBitBtn7Click);
    click(RzBitBtn9, &TConvert::RzBitBtn9Click);
    click(RzBitBtn8, &TConvert::RzBitBtn8Click);
    click(RzBitBtn11, &TConvert::PreviewClose);
    click(RzBitBtn13, &TConvert::PreviewClose2);
    click(RzBitBtn12, &TConvert::RzBitBtn12Click);
    click(Search, &TConvert::RzBitBtn1Click);
    click(Convert, &TConvert::PreviewClose2);
    click(RzBitBtn15, &TConvert::RzBitBtn15Click);
    click(RzBitBtn16, &TConvert::RzBitBtn16Click);
    connect(RzRadioGroup1, &TRadioGroup::Click, this, &TConvert::CCP);
    connect(fl, &TFoundList::Click, this, &TConvert::FileNext);
    connect(TrackBar1, &QSlider::valueChanged, this, &TConvert::TrackBarChange);
    connect(MyTimer1, &QTimer::timeout, this, &TConvert::TimerTick);
    PaintBox->OnPaint = [this] { PaintBoxPaint(); };

    lf->OnDirChange = [this](QObject* sender, const QString& dir) { lfDirChange(sender, dir); };
    lf->OnFileChange = [this](QObject* sender, const QString& name) { lfFileChange(sender, name); };
    lf->OnFound = [this](QObject* sender, const TLMDSPFileRecord& record) {
        lfFound(sender, record);
    };
    lf->OnFinished = [this](QObject* sender) { lfFinished(sender); };
    lf->OnCancel = [this](QObject* sender) { lfCancel1(sender); };
}
