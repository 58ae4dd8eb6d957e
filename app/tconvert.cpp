#include "app/tconvert.h"

#include <QAbstractItemView>
#include <QApplication>
#include <QCoreApplication>
#include <QDir>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QScreen>
#include <QTimer>

#include <climits>
#include <initializer_list>
#include <string_view>

#include <sys/stat.h>
#include <unistd.h>

#include "app/qtuserdialogs.h"
#include "controls/tthpanel.h"
#include "ilda/cilda.h"
#include "model/cscene.h"
#include "model/geometry.h"
#include "platform/userdirectories.h"
#include "platform/workingdirectories.h"
#include "render/cscreen.h"
#include "search/filenamecodec.h"
#include "search/tlmdsearchfilegrep.h"
#include "settings/settings.h"
#include "widgets/einouterror.h"
#include "widgets/tdirectorylistbox.h"
#include "widgets/tdrivecombobox.h"
#include "widgets/tfilelistbox.h"
#include "widgets/tfoundlist.h"
#include "widgets/tglyphbutton.h"
#include "widgets/tgradientpanel.h"
#include "widgets/tpaintbox.h"
#include "widgets/tradiogroup.h"
#include "widgets/tstatuspanel.h"

namespace {

// An installed copy's working directories: $XDG_DATA_HOME/trellion.
std::string DataDirectory() {
    const std::string data = UserDataDirectory();
    return data.empty() ? data : data + "/trellion";
}

std::string WorkingDirectoriesMissingMessage(const std::string& problem) {
    return "The working directories \"" + IldaDirectoryName().toStdString() + "\" and \"" +
           SceneDirectoryName().toStdString() + "\" could not be created:\n\n" + problem +
           "\nFiles can still be searched, previewed and converted in directories you choose;"
           "\nsaving to the ILDA Files directory fails until one of these places can be written.";
}

// The executable's directory as the file system names it: Qt's own answer loses a name that is
// not valid UTF-8, and the working directories would then be made in a directory that does not
// exist.
QString ExecutableDirectory() {
    char path[PATH_MAX];
    const ssize_t length = ::readlink("/proc/self/exe", path, sizeof path);
    if (length <= 0 || static_cast<size_t>(length) >= sizeof path)
        return QCoreApplication::applicationDirPath();
    const std::string_view file(path, static_cast<size_t>(length));
    return DecodeFileName(file.substr(0, file.rfind('/')));
}

} // namespace

TConvert::THookBinding::THookBinding(TConvert& window)
    : previous(SetMessageHook([&window](const std::string& text, int type, unsigned buttons) {
          return window.FileCodeMessage(text, type, buttons);
      })) {}

TConvert::THookBinding::~THookBinding() {
    SetMessageHook(previous);
}

TConvert::TConvert(IUserDialogs* given, const QString& baseDir, QWidget* owner)
    : QWidget(owner), ownDialogs(given ? nullptr : std::make_unique<QtUserDialogs>()),
      dialogs(given ? given : ownDialogs.get()), hookBinding(*this), SaveDialog1(*dialogs) {
    BuildLayout();
    TakeDrops();

    const TWorkingDirectories place = PlaceWorkingDirectories(
        EncodeFileName(baseDir.isEmpty() ? ExecutableDirectory() : baseDir), DataDirectory(),
        {EncodeFileName(IldaDirectoryName()), EncodeFileName(SceneDirectoryName())});
    const QString base = DecodeFileName(place.base);
    ildaDirectory = base + IldaDirectoryName();
    sceneDirectory = base + SceneDirectoryName();
    if (!place.ready)
        (void)dialogs->ThemedMessage(WorkingDirectoriesMissingMessage(place.problem), mtWarning,
                                     mbOK);

    MyTimer1->stop();

    screen = std::make_unique<CScreen>();
    screen->SetSize(PaintBox->width(), PaintBox->height());

    LoadSettings();
    // After the settings and before any scene or channel exists.
    FillAngleTables();

    ThPanel1->hide();

    for (QWidget* button : {static_cast<QWidget*>(BitBtn3), static_cast<QWidget*>(RzBitBtn2),
                            static_cast<QWidget*>(RzBitBtn3), static_cast<QWidget*>(RzBitBtn4),
                            static_cast<QWidget*>(RzBitBtn5), static_cast<QWidget*>(RzBitBtn6)})
        button->setEnabled(false);

    ShowWorkingDirectory(DirectoryListBox1, ildaDirectory);
    ShowWorkingDirectory(DirectoryListBox2, sceneDirectory);

    Label2->setText(QStringLiteral("Destination Directory For Scene Files"));

    MyTimer1->stop();

    if (const QScreen* display = QGuiApplication::primaryScreen())
        move(display->availableGeometry().center() - rect().center());
    // The first control of the tab order lies under the welcome panel.
    GiveFocusToMode();
}

TConvert::~TConvert() = default;

void TConvert::ShowWorkingDirectory(TDirectoryListBox* list, const QString& dir) {
    struct stat info {};
    if (::stat(EncodeFileName(dir).c_str(), &info) == 0 && S_ISDIR(info.st_mode)) {
        list->SetDirectory(dir);
        return;
    }
    // Reported once at start; the list keeps what it shows, or starts at the home directory.
    if (list->Directory().isEmpty())
        list->SetDirectory(QDir(QDir::homePath()).exists() ? QDir::homePath() : QDir::rootPath());
}

void TConvert::ShowConvertMode() {
    fl->hide();
    fl->Clear();
    sp1->hide();
    fl->resize(fl->width(), 282);
    DirectoryListBox1->resize(DirectoryListBox1->width(), 145);
    FileListBox1->show();
    FileListBox2->show();
    Edit1->show();
    Edit2->show();
    BitBtn1->setEnabled(true);
    BitBtn2->setEnabled(true);
    BitBtn3->setEnabled(false);
    RzBitBtn1->setEnabled(true);
    RzBitBtn2->setEnabled(false);
    RzBitBtn3->setEnabled(false);
    RzBitBtn4->setEnabled(false);
    RzBitBtn5->setEnabled(false);
    RzBitBtn6->setEnabled(false);
    DriveComboBox1->setEnabled(true);
    fl->SetMultiSelect(true);
    Label1->setText(QStringLiteral("Select Folder or Directory to Start From Below"));
    setWindowTitle(StandardTitle());
    QPalette colours = RzLabel21->palette();
    colours.setColor(QPalette::WindowText, Qt::black);
    RzLabel21->setPalette(colours);
    RzLabel21->setText(SearchPanelHint());
}

void TConvert::PreviewClose2() {
    ShowWorkingDirectory(DirectoryListBox1, ildaDirectory);
    RzPanel3->hide();
    ThPanel1->hide();
    MyTimer1->stop();
    RzBitBtn1->setEnabled(true);
    RzBitBtn2->setEnabled(true);
    RzBitBtn4->setEnabled(true);
    RxBitBtn8->setEnabled(true);
    RzBitBtn7->setEnabled(true);
    RzBitBtn8->setEnabled(false);
    RzBitBtn9->setEnabled(true);
    PS1->hide();
    DriveComboBox1->setEnabled(true);
    Label1->setText(QStringLiteral("Select Folder or Directory to Start From Below"));
    sp1->SetCaption(QStringLiteral("Search Mode Enabled"));
    sp1->repaint();
    Panel1->repaint();
    fl->SetMultiSelect(true);
    // No search runs here, so Execute makes an empty run that ends with the cancel
    // notification (lfCancel1) once this handler has returned.
    lf->Cancel();
    ShowConvertMode();
    lf->Execute();
    RzBitBtn6->setEnabled(false);
    RzBitBtn5->setEnabled(false);
    PC1->show();
    GiveFocusToMode();
}

namespace {

// Whether a sibling stacked above `control` or above one of its ancestors (up to `top`) lies
// over the control's centre. The children of a widget are kept in stacking order.
bool Covered(const QWidget* control, const QWidget* top) {
    for (const QWidget* w = control; w != top && w->parentWidget() != nullptr;
         w = w->parentWidget()) {
        const QWidget* parent = w->parentWidget();
        const QPoint centre = control->mapTo(parent, control->rect().center());
        bool above = false;
        for (const QObject* child : parent->children()) {
            if (child == w) {
                above = true;
                continue;
            }
            const auto* sibling = qobject_cast<const QWidget*>(child);
            if (above && sibling != nullptr && !sibling->isWindow() && !sibling->isHidden() &&
                sibling->geometry().contains(centre))
                return true;
        }
        if (parent == top)
            break;
    }
    return false;
}

} // namespace

void TConvert::GiveFocusToMode() {
    const auto usable = [this](const QWidget* control) {
        return control != nullptr && control->isVisibleTo(this) && control->isEnabled() &&
               !Covered(control, this);
    };
    QWidget* focus = focusWidget();
    if (focus != nullptr && focus != this && usable(focus))
        return;
    // In the order of the modes' own controls; a hidden, covered or disabled one is passed.
    for (QWidget* control :
         std::initializer_list<QWidget*>{Search, RzBitBtn8, RxBitBtn8, RzBitBtn9, BitBtn3,
                                         RzBitBtn3, BitBtn1, RzBitBtn1, RzBitBtn5, RzBitBtn11}) {
        if (usable(control)) {
            control->setFocus(Qt::OtherFocusReason);
            return;
        }
    }
    setFocus(Qt::OtherFocusReason);
}

bool TConvert::focusNextPrevChild(bool next) {
    // The controls of the other modes stay in the tab chain under the panel that covers them;
    // Tab steps over them, as it does over hidden ones.
    const QWidget* start = focusWidget();
    for (int step = 0; step < 512; ++step) {
        if (!QWidget::focusNextPrevChild(next))
            return false;
        const QWidget* now = focusWidget();
        if (now == nullptr || !Covered(now, this))
            return true;
        if (now == start)
            break;
    }
    GiveFocusToMode();
    return true;
}

void TConvert::BitBtn2Click() {
    QCoreApplication::quit();
}

void TConvert::RzBitBtn16Click() {
    QCoreApplication::quit();
}

void TConvert::RzBitBtn6Click() {
    QCoreApplication::quit();
}

void TConvert::RzBitBtn12Click() {
    QCoreApplication::quit();
}

void TConvert::keyPressEvent(QKeyEvent* event) {
    const int key = event->key();
    const bool plain = (event->modifiers() & ~Qt::KeypadModifier) == Qt::NoModifier;
    const bool enter = key == Qt::Key_Return || key == Qt::Key_Enter;
    // A list uses Enter itself (it opens a directory or chooses an item); Qt's item views
    // activate the item and then pass the key on, which must not reach the default button.
    if (enter && qobject_cast<QAbstractItemView*>(QApplication::focusWidget())) {
        event->accept();
        return;
    }
    // The conversion row stays visible under the welcome and search panels; a covered button is
    // not the window's to press (Enter would end the program from the welcome panel).
    if (plain && enter && BitBtn2->isVisible() && BitBtn2->isEnabled() && !Covered(BitBtn2, this)) {
        BitBtn2->click();
        return;
    }
    if (plain && key == Qt::Key_Escape && BitBtn3->isVisible() && BitBtn3->isEnabled() &&
        !Covered(BitBtn3, this)) {
        BitBtn3->click();
        return;
    }
    QWidget::keyPressEvent(event);
}
