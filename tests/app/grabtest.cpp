// Pictures of the window in its modes, for looking at the layout: written only when
// TRELLION_WINDOW_GRABS names a directory.

#include <QDir>

#include "app/tfoundlist.h"
#include "app/tstatuspanel.h"
#include "controls/tthpanel.h"
#include "tests/app/windowfixture.h"

namespace {

class WindowGrab : public WindowTest {
protected:
    void Grab(const char* mode) {
        QCoreApplication::processEvents();
        const QString path = QDir(directory).filePath(QStringLiteral("window-%1.png").arg(mode));
        EXPECT_TRUE(window->grab().save(path)) << path.toStdString();
    }

    // The search panel as a search leaves it (the search workflow arranges it this way).
    void ArrangeSearchPanel() {
        window->Convert->click();
        Settle();
        window->PC1->hide();
        window->RzRadioGroup1->lower();
        window->PS1->show();
        window->PS1->raise();
        window->FileListBox1->hide();
        window->Edit1->hide();
        window->Edit2->hide();
        window->DirectoryListBox1->resize(window->DirectoryListBox1->width(), 281);
        window->fl->resize(window->fl->width(), 281);
        window->fl->show();
        window->sp1->show();
        window->sp1->SetCaption(QStringLiteral("Last File Found   laser.ild"));
        for (const char* path : {"/home/show/ ILDA Files/laser.ild", "/home/show/intro/Beams.ild",
                                 "/home/show/intro/beams.ild", "/media/usb/A.ILD"})
            window->fl->Add(QString::fromUtf8(path));
        window->fl->SetSelected(1, true);
        window->setWindowTitle(StandardTitle());
        window->RzLabel21->setText(SearchPanelHint());
    }

    QString directory = qEnvironmentVariable("TRELLION_WINDOW_GRABS");
};

TEST_F(WindowGrab, EachMode) {
    if (directory.isEmpty())
        GTEST_SKIP() << "TRELLION_WINDOW_GRABS not set";
    Grab("welcome");
    window->Convert->click();
    Settle();
    Grab("convert");
    ArrangeSearchPanel();
    Grab("search");
    // The preview as its workflow shows it: the list and the palette group above the panel.
    window->fl->resize(window->fl->width(), 282);
    window->fl->raise();
    window->RzRadioGroup1->raise();
    window->PS1->lower();
    window->ThPanel1->show();
    window->sp1->SetCaption(QStringLiteral(" Previewing File /home/show/intro/Beams.ild"));
    Grab("preview");
}

} // namespace
