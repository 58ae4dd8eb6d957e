#pragma once

#include <QCoreApplication>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QString>
#include <QTemporaryDir>
#include <QTimer>
#include <QWidget>

#include <gtest/gtest.h>

#include <memory>

#include "app/tconvert.h"
#include "controls/tthpanel.h"
#include "controls/tthtrackbar.h"
#include "search/tlmdsearchfilegrep.h"
#include "tests/app/qtprinters.h"
#include "tests/app/scripteduserdialogs.h"
#include "widgets/tborder.h"
#include "widgets/tdirectorylistbox.h"
#include "widgets/tdrivecombobox.h"
#include "widgets/tfilelistbox.h"
#include "widgets/tfoundlist.h"
#include "widgets/tglyphbutton.h"
#include "widgets/tgradientpanel.h"
#include "widgets/tpaintbox.h"
#include "widgets/tradiogroup.h"
#include "widgets/tstatuspanel.h"

// The window's controls are all complete types here, for the tests to drive them.
// A window built over a fresh temporary directory standing for the executable's directory
// (its path contains spaces), with scripted dialogs; shown on the offscreen platform.
class WindowTest : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    // The control of the window with that object name; fails the test when there is none.
    template <class Widget = QWidget> Widget* Control(const char* name) const {
        auto* control = window->findChild<Widget*>(QString::fromUtf8(name));
        EXPECT_NE(control, nullptr) << "no control " << name;
        return control;
    }

    // Processes events until the search component is idle (its empty runs end with a
    // notification on the event loop).
    void Settle() const;

    QTemporaryDir temp;
    QString baseDir;
    QString previousCurrentDir;
    ScriptedUserDialogs dialogs;
    std::unique_ptr<TConvert> window;
};

// Pixels (colour only) in which the two pictures differ; -1 when their sizes differ.
int DifferingPixels(const QImage& a, const QImage& b);

// Pixels that are not black.
int LitPixels(const QImage& picture);
