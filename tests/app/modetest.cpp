// The mode table of the window: what each mode shows and enables, as set by the operation
// that enters it. One row per mode; each row names how the mode is entered and what every
// control it constrains must be. Further modes are added as rows.

#include <QAbstractButton>

#include <functional>
#include <string_view>
#include <vector>

#include "search/tlmdsearchfilegrep.h"
#include "tests/app/flowfiles.h"
#include "tests/app/windowfixture.h"
#include "widgets/tfilelistbox.h"
#include "widgets/tfoundlist.h"
#include "widgets/tglyphbutton.h"

namespace {

enum class Aspect {
    Shown,        // the control's own visibility flag is set
    Hidden,       // the flag is clear
    UnderWelcome, // shown, and stacked below the welcome panel RzPanel3
    OnTop,        // shown, and the topmost child of its parent
    Above,        // stacked above `other` (siblings)
    Below,        // stacked below `other` (siblings)
    Enabled,
    Disabled,
    Height, // value
    Empty,  // the found-file list holds no items
};

struct Check {
    const char* control;
    Aspect aspect;
    int value = 0;
    const char* other = nullptr;
};

struct ModeCase {
    const char* name;
    // Brings a freshly built window into the mode.
    std::function<void(TConvert&)> enter;
    std::vector<Check> checks;
    // Whether the window's event loop runs before the checks (a started search would end).
    bool settle = true;
    // For a mode that lasts only inside its workflow (converting, saving): runs the workflow
    // from a fresh window and calls `verify` once from inside it, in place of enter.
    std::function<void(TConvert&, const std::function<void()>& verify)> within = nullptr;
};

// Position of a child among its parent's children: later means drawn above.
int StackIndex(const QWidget* widget) {
    return static_cast<int>(widget->parentWidget()->children().indexOf(widget));
}

const std::vector<Check> welcomeChecks = {
    {"RzPanel3", Aspect::OnTop},
    {"PC1", Aspect::UnderWelcome},
    {"PS1", Aspect::UnderWelcome},
    {"ThPanel1", Aspect::Hidden},
    {"sp1", Aspect::UnderWelcome},
    {"fl", Aspect::UnderWelcome},
    {"FileListBox1", Aspect::UnderWelcome},
    {"Edit1", Aspect::UnderWelcome},
    {"Edit2", Aspect::UnderWelcome},
    {"DirectoryListBox1", Aspect::Height, 145},
    {"RzRadioGroup1", Aspect::Enabled},
    {"BitBtn1", Aspect::Enabled},
    {"BitBtn3", Aspect::Disabled},
    {"BitBtn2", Aspect::Enabled},
    {"RzBitBtn1", Aspect::Enabled},
    {"RzBitBtn3", Aspect::Disabled},
    {"RzBitBtn2", Aspect::Disabled},
    {"RzBitBtn4", Aspect::Disabled},
    {"RzBitBtn5", Aspect::Disabled},
    {"RzBitBtn6", Aspect::Disabled},
    {"DriveComboBox1", Aspect::Enabled},
};

const std::vector<Check> convertChecks = {
    {"RzPanel3", Aspect::Hidden},
    {"PC1", Aspect::Shown},
    {"PS1", Aspect::Hidden},
    {"ThPanel1", Aspect::Hidden},
    {"sp1", Aspect::Hidden},
    {"fl", Aspect::Hidden},
    {"fl", Aspect::Empty},
    {"fl", Aspect::Height, 282},
    {"FileListBox1", Aspect::Shown},
    {"Edit1", Aspect::Shown},
    {"Edit2", Aspect::Shown},
    {"DirectoryListBox1", Aspect::Height, 145},
    {"RzRadioGroup1", Aspect::Enabled},
    {"BitBtn1", Aspect::Enabled},
    {"BitBtn3", Aspect::Disabled},
    {"BitBtn2", Aspect::Enabled},
    {"RzBitBtn1", Aspect::Enabled},
    {"RzBitBtn3", Aspect::Disabled},
    {"RzBitBtn2", Aspect::Disabled},
    {"RzBitBtn4", Aspect::Disabled},
    {"RzBitBtn5", Aspect::Disabled},
    {"RzBitBtn6", Aspect::Disabled},
    {"DriveComboBox1", Aspect::Enabled},
    // The convert-mode layout: PC1 covers the search rows except Start and Preview.
    {"PC1", Aspect::Above, 0, "RzBitBtn3"},
    {"PC1", Aspect::Above, 0, "RzBitBtn4"},
};

// A search sets every control when it starts; the walk itself changes texts only.
const std::vector<Check> searchingChecks = {
    {"RzPanel3", Aspect::Hidden},
    {"PC1", Aspect::Hidden},
    {"PS1", Aspect::OnTop},
    {"ThPanel1", Aspect::Hidden},
    {"sp1", Aspect::Shown},
    {"fl", Aspect::Shown},
    {"fl", Aspect::Height, 281},
    {"FileListBox1", Aspect::Hidden},
    {"Edit1", Aspect::Hidden},
    {"Edit2", Aspect::Hidden},
    {"DirectoryListBox1", Aspect::Height, 281},
    {"RzRadioGroup1", Aspect::Disabled},
    {"RzRadioGroup1", Aspect::Below, 0, "PS1"},
    {"BitBtn1", Aspect::Disabled},
    {"BitBtn3", Aspect::Disabled},
    {"BitBtn2", Aspect::Disabled},
    {"RzBitBtn1", Aspect::Disabled},
    {"RzBitBtn3", Aspect::Enabled},
    {"RzBitBtn2", Aspect::Disabled},
    {"RzBitBtn4", Aspect::Disabled},
    {"RzBitBtn5", Aspect::Disabled},
    {"RzBitBtn6", Aspect::Disabled},
};

const std::vector<Check> searchIdleChecks = {
    {"RzPanel3", Aspect::Hidden},
    {"PC1", Aspect::Hidden},
    {"PS1", Aspect::Shown},
    {"ThPanel1", Aspect::Hidden},
    {"sp1", Aspect::Shown},
    {"fl", Aspect::Shown},
    {"fl", Aspect::Height, 281},
    {"FileListBox1", Aspect::Hidden},
    {"Edit1", Aspect::Hidden},
    {"Edit2", Aspect::Hidden},
    {"DirectoryListBox1", Aspect::Height, 281},
    {"RzRadioGroup1", Aspect::Enabled},
    {"RzRadioGroup1", Aspect::Shown},
    {"RzRadioGroup1", Aspect::Below, 0, "PS1"},
    {"BitBtn1", Aspect::Disabled},
    {"BitBtn3", Aspect::Disabled},
    {"BitBtn2", Aspect::Disabled},
    {"RzBitBtn1", Aspect::Enabled},
    {"RzBitBtn3", Aspect::Disabled},
    {"RzBitBtn2", Aspect::Enabled},
    {"RzBitBtn4", Aspect::Enabled},
    {"RzBitBtn5", Aspect::Enabled},
    {"RzBitBtn6", Aspect::Enabled},
    {"DriveComboBox1", Aspect::Enabled},
};

// base with each check of `changes` replacing the check of the same control and kind.
std::vector<Check> With(std::vector<Check> base, std::initializer_list<Check> changes) {
    const auto kind = [](Aspect aspect) {
        return aspect == Aspect::Disabled ? Aspect::Enabled
               : aspect == Aspect::Hidden ? Aspect::Shown
                                          : aspect;
    };
    for (const Check& change : changes) {
        std::erase_if(base, [&](const Check& check) {
            return std::string_view(check.control) == change.control &&
                   kind(check.aspect) == kind(change.aspect);
        });
        base.push_back(change);
    }
    return base;
}

// The conversion's own states; sp1 shows the file being converted.
const std::vector<Check> convertingChecks =
    With(convertChecks, {{"sp1", Aspect::Shown},
                         {"RzRadioGroup1", Aspect::Disabled},
                         {"BitBtn1", Aspect::Disabled},
                         {"BitBtn3", Aspect::Enabled},
                         {"RzBitBtn1", Aspect::Disabled},
                         {"DriveComboBox1", Aspect::Disabled}});

// Saving starts from the idle search panel and disables all of it.
const std::vector<Check> savingChecks =
    With(searchIdleChecks, {{"RzRadioGroup1", Aspect::Disabled},
                            {"RzBitBtn1", Aspect::Disabled},
                            {"RzBitBtn2", Aspect::Disabled},
                            {"RzBitBtn4", Aspect::Disabled},
                            {"RzBitBtn5", Aspect::Disabled},
                            {"RzBitBtn6", Aspect::Disabled},
                            {"DriveComboBox1", Aspect::Disabled}});

// Converting a.ild and b.ild of the ILDA directory; b.ild cannot be opened, and the reader's
// report of it is where the window is looked at, in the middle of the batch.
void WithinConversion(TConvert& w, const std::function<void()>& verify) {
    w.Convert->click();
    while (w.lf->IsSearching())
        QCoreApplication::processEvents();
    flowfiles::WriteFile(w.IldaDirectory() + QStringLiteral("/a.ild"), flowfiles::IldaFile(1, 4));
    flowfiles::WriteFile(w.IldaDirectory() + QStringLiteral("/b.ild"), flowfiles::IldaFile(1, 4));
    w.FileListBox1->Update();
    flowfiles::MakeUnopenable(w.IldaDirectory() + QStringLiteral("/b.ild"));
    flowfiles::DuringReports look([&](const std::string&) { verify(); });
    w.BitBtn1->click();
}

// A search of the ILDA directory finds a.ild and b.ild; b.ild is gone before Save is pressed
// with both selected, and the reader's report of it is where the window is looked at.
void WithinSaving(TConvert& w, TAnswer destination, const std::function<void()>& verify) {
    flowfiles::WriteFile(w.IldaDirectory() + QStringLiteral("/a.ild"), flowfiles::IldaFile(1, 4));
    flowfiles::WriteFile(w.IldaDirectory() + QStringLiteral("/b.ild"), flowfiles::IldaFile(2, 4));
    w.Search->click();
    while (w.lf->IsSearching())
        QCoreApplication::processEvents();
    ASSERT_EQ(w.fl->Count(), 2);
    QFile::remove(w.IldaDirectory() + QStringLiteral("/b.ild"));
    w.fl->SetSelected(0, true);
    w.fl->SetSelected(1, true);
    auto& dialogs = static_cast<ScriptedUserDialogs&>(w.Dialogs());
    // Saved into the ILDA directory, a.ild replaces itself there once that is answered Yes.
    if (destination == TAnswer::Yes)
        dialogs.confirmAnswers = {destination, TAnswer::Yes, TAnswer::Yes};
    else
        dialogs.confirmAnswers = {destination, TAnswer::Yes};
    dialogs.saveAnswers = {w.SceneDirectory() + QStringLiteral("/a.ild")};
    flowfiles::DuringReports look([&](const std::string&) { verify(); });
    w.RzBitBtn2->click();
}

// Preview brings fl and then the palette group above the preview panel and sends PS1 to the
// back; the playback controls start in the stepping state.
const std::vector<Check> previewChecks = {
    {"RzPanel3", Aspect::Hidden},
    {"PC1", Aspect::Hidden},
    {"PS1", Aspect::Shown},
    {"PS1", Aspect::Below, 0, "Label1"},
    {"ThPanel1", Aspect::Shown},
    {"sp1", Aspect::Shown},
    {"fl", Aspect::Shown},
    {"fl", Aspect::Above, 0, "ThPanel1"},
    {"fl", Aspect::Height, 282},
    {"FileListBox1", Aspect::Hidden},
    {"Edit1", Aspect::Hidden},
    {"Edit2", Aspect::Hidden},
    {"DirectoryListBox1", Aspect::Height, 281},
    {"RzRadioGroup1", Aspect::Enabled},
    {"RzRadioGroup1", Aspect::Above, 0, "ThPanel1"},
    {"RzRadioGroup1", Aspect::Above, 0, "fl"},
    {"BitBtn1", Aspect::Disabled},
    {"BitBtn3", Aspect::Disabled},
    {"BitBtn2", Aspect::Disabled},
    {"RzBitBtn1", Aspect::Disabled},
    {"RzBitBtn3", Aspect::Disabled},
    {"RzBitBtn2", Aspect::Disabled},
    {"RzBitBtn4", Aspect::Disabled},
    {"RzBitBtn5", Aspect::Disabled},
    {"RzBitBtn6", Aspect::Enabled},
    {"DriveComboBox1", Aspect::Disabled},
    {"RxBitBtn8", Aspect::Enabled},
    {"RzBitBtn7", Aspect::Enabled},
    {"RzBitBtn9", Aspect::Enabled},
    {"RzBitBtn8", Aspect::Disabled},
};

// A search of the ILDA directory finds a.ild; Preview on the idle search panel.
void EnterPreview(TConvert& w) {
    flowfiles::WriteFile(w.IldaDirectory() + QStringLiteral("/a.ild"), flowfiles::IldaFile(2, 4));
    w.Search->click();
    while (w.lf->IsSearching())
        QCoreApplication::processEvents();
    ASSERT_EQ(w.fl->Count(), 1);
    w.RzBitBtn5->click();
}

// Answers the later start's question.
void AnswerNext(TConvert& w, TAnswer answer) {
    static_cast<ScriptedUserDialogs&>(w.Dialogs()).confirmAnswers.push_back(answer);
}

const std::vector<ModeCase> modeCases = {
    {"SearchingFirstStartFromWelcome", [](TConvert& w) { w.Search->click(); },
     With(searchingChecks, {{"DriveComboBox1", Aspect::Disabled}}), false},
    {"SearchingFirstStartFromConvert",
     [](TConvert& w) {
         w.Convert->click();
         while (w.lf->IsSearching())
             QCoreApplication::processEvents();
         w.RzBitBtn1->click();
     },
     With(searchingChecks, {{"DriveComboBox1", Aspect::Disabled}}), false},
    {"SearchingLaterStart",
     [](TConvert& w) {
         w.Search->click();
         while (w.lf->IsSearching())
             QCoreApplication::processEvents();
         AnswerNext(w, TAnswer::Yes);
         w.RzBitBtn1->click();
     },
     With(searchingChecks, {{"DriveComboBox1", Aspect::Enabled}}), false},
    {"SearchIdleAfterTheSearch", [](TConvert& w) { w.Search->click(); }, searchIdleChecks},
    {"SearchIdleAfterCancelAnswer",
     [](TConvert& w) {
         w.Search->click();
         while (w.lf->IsSearching())
             QCoreApplication::processEvents();
         AnswerNext(w, TAnswer::Cancel);
         w.RzBitBtn1->click();
     },
     // The Cancel answer gives the whole idle panel back, Save included.
     searchIdleChecks},
    {"ConvertFromSearchIdle",
     [](TConvert& w) {
         w.Search->click();
         while (w.lf->IsSearching())
             QCoreApplication::processEvents();
         w.RzBitBtn4->click();
     },
     convertChecks},

    {"Converting", nullptr, convertingChecks, false, &WithinConversion},
    {"SavingIntoTheIldaDirectory", nullptr, savingChecks, false,
     [](TConvert& w, const std::function<void()>& verify) {
         WithinSaving(w, TAnswer::Yes, verify);
     }},
    {"SavingIntoChosenDirectories", nullptr, savingChecks, false,
     [](TConvert& w, const std::function<void()>& verify) {
         WithinSaving(w, TAnswer::No, verify);
     }},

    {"Preview", &EnterPreview, previewChecks},
    {"Welcome", [](TConvert&) {}, welcomeChecks},
    {"ConvertFromWelcome", [](TConvert& w) { w.Convert->click(); }, convertChecks},
    {"ConvertFromPreviewButton",
     [](TConvert& w) {
         // Left from a preview-like state: the list holds a selected item, the preview panel
         // is shown and the list has its search-mode height.
         w.Convert->click();
         w.fl->show();
         w.fl->Add(QStringLiteral("/shows/a.ild"));
         w.fl->SetSelected(0, true);
         w.fl->resize(w.fl->width(), 281);
         w.ThPanel1->show();
         w.RzBitBtn13->click();
     },
     convertChecks},
};

class ModeTest : public WindowTest, public ::testing::WithParamInterface<ModeCase> {
protected:
    void Verify(const std::vector<Check>& checks);

    // Keys typed go to a control the user sees: the window's focus is on a control that is
    // shown, enabled and not covered by another at its centre (or on the window itself).
    void ExpectFocusOnAControlInSight() const {
        const QWidget* focus = window->focusWidget();
        if (focus == nullptr || focus == window.get())
            return;
        SCOPED_TRACE(focus->objectName().toStdString());
        EXPECT_TRUE(focus->isVisible());
        EXPECT_TRUE(focus->isEnabled());
        const QWidget* hit = window->childAt(focus->mapTo(window.get(), focus->rect().center()));
        EXPECT_TRUE(hit == focus || focus->isAncestorOf(hit))
            << "covered by " << (hit ? hit->objectName().toStdString() : "nothing");
    }
};

TEST_P(ModeTest, ControlsAreAsTheModeTableGives) {
    const ModeCase& mode = GetParam();
    if (mode.within) {
        int verified = 0;
        mode.within(*window, [&] {
            ++verified;
            Verify(mode.checks);
        });
        EXPECT_EQ(verified, 1);
        return;
    }
    mode.enter(*window);
    if (mode.settle)
        Settle();
    Verify(mode.checks);
    ExpectFocusOnAControlInSight();
}

void ModeTest::Verify(const std::vector<Check>& checks) {
    const QWidget* welcome = Control("RzPanel3");
    for (const Check& check : checks) {
        SCOPED_TRACE(check.control);
        QWidget* control = Control(check.control);
        ASSERT_NE(control, nullptr);
        switch (check.aspect) {
        case Aspect::Shown:
            EXPECT_FALSE(control->isHidden());
            break;
        case Aspect::Hidden:
            EXPECT_TRUE(control->isHidden());
            break;
        case Aspect::UnderWelcome: {
            EXPECT_FALSE(control->isHidden());
            EXPECT_FALSE(welcome->isHidden());
            // Under the welcome panel: the control's ancestor among the welcome panel's
            // siblings lies below it, and the panel covers the control's area.
            const QWidget* sibling = control;
            while (sibling->parentWidget() != welcome->parentWidget())
                sibling = sibling->parentWidget();
            EXPECT_LT(StackIndex(sibling), StackIndex(welcome));
            const QRect area = QRect(control->mapTo(window.get(), QPoint(0, 0)), control->size())
                                   .intersected(window->rect());
            EXPECT_TRUE(
                QRect(welcome->mapTo(window.get(), QPoint(0, 0)), welcome->size()).contains(area));
            break;
        }
        case Aspect::OnTop: {
            EXPECT_FALSE(control->isHidden());
            const QObjectList& siblings = control->parentWidget()->children();
            const QWidget* topmost = nullptr;
            for (const QObject* object : siblings) {
                if (object->isWidgetType())
                    topmost = static_cast<const QWidget*>(object);
            }
            EXPECT_EQ(topmost, control);
            break;
        }
        case Aspect::Above:
            EXPECT_GT(StackIndex(control), StackIndex(Control(check.other))) << check.other;
            break;
        case Aspect::Below:
            EXPECT_LT(StackIndex(control), StackIndex(Control(check.other))) << check.other;
            break;
        case Aspect::Enabled:
            EXPECT_TRUE(control->isEnabled());
            break;
        case Aspect::Disabled:
            EXPECT_FALSE(control->isEnabled());
            break;
        case Aspect::Height:
            EXPECT_EQ(control->height(), check.value);
            break;
        case Aspect::Empty:
            EXPECT_EQ(qobject_cast<TFoundList*>(control)->Count(), 0);
            break;
        }
    }
}

INSTANTIATE_TEST_SUITE_P(Modes, ModeTest, ::testing::ValuesIn(modeCases),
                         [](const ::testing::TestParamInfo<ModeCase>& info) {
                             return std::string(info.param.name);
                         });

} // namespace
