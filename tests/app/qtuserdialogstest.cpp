// The desktop's confirmation boxes answered from the keyboard: Enter presses the default button,
// Escape and the close box give no answer of Yes or No.

#include <QApplication>

#include <gtest/gtest.h>

#include <algorithm>

#include "app/qtuserdialogs.h"
#include "tests/app/modalboxkeys.h"
#include "tests/app/qtprinters.h"

namespace {

struct ConfirmKeyCase {
    const char* name;
    TConfirmButtons buttons;
    TAnswer defaultButton;
    int key;
    TAnswer expected;
};

class ConfirmKeyTest : public ::testing::TestWithParam<ConfirmKeyCase> {};

TEST_P(ConfirmKeyTest, AnswersAsTheKeyPressed) {
    const ConfirmKeyCase& row = GetParam();
    QtUserDialogs dialogs;
    ModalBoxKeys keys({row.key});
    EXPECT_EQ(dialogs.Confirm(QStringLiteral("Replace?"), row.buttons, row.defaultButton),
              row.expected);
    ASSERT_EQ(keys.seen.size(), 1u);
    QStringList shown = keys.seen[0].shownButtons;
    shown.sort();
    const bool withCancel = row.buttons == TConfirmButtons::YesNoCancel;
    EXPECT_EQ(shown,
              withCancel ? QStringList({"&No", "&Yes", "Cancel"}) : QStringList({"&No", "&Yes"}));
    EXPECT_EQ(keys.seen[0].defaultButton, row.defaultButton == TAnswer::No ? "&No" : "&Yes");
}

INSTANTIATE_TEST_SUITE_P(
    Keys, ConfirmKeyTest,
    ::testing::Values(ConfirmKeyCase{"EnterOnYesNo", TConfirmButtons::YesNo, TAnswer::Yes,
                                     Qt::Key_Return, TAnswer::Yes},
                      ConfirmKeyCase{"EnterWithNoAsDefault", TConfirmButtons::YesNo, TAnswer::No,
                                     Qt::Key_Return, TAnswer::No},
                      ConfirmKeyCase{"EscapeOnYesNo", TConfirmButtons::YesNo, TAnswer::Yes,
                                     Qt::Key_Escape, TAnswer::Cancel},
                      ConfirmKeyCase{"CloseBoxOnYesNo", TConfirmButtons::YesNo, TAnswer::Yes,
                                     ModalBoxKeys::closeBox, TAnswer::Cancel},
                      ConfirmKeyCase{"LetterNOnYesNo", TConfirmButtons::YesNo, TAnswer::Yes,
                                     Qt::Key_N, TAnswer::No},
                      ConfirmKeyCase{"EnterOnYesNoCancel", TConfirmButtons::YesNoCancel,
                                     TAnswer::Yes, Qt::Key_Return, TAnswer::Yes},
                      ConfirmKeyCase{"EscapeOnYesNoCancel", TConfirmButtons::YesNoCancel,
                                     TAnswer::Yes, Qt::Key_Escape, TAnswer::Cancel},
                      ConfirmKeyCase{"CloseBoxOnYesNoCancel", TConfirmButtons::YesNoCancel,
                                     TAnswer::Yes, ModalBoxKeys::closeBox, TAnswer::Cancel}),
    [](const ::testing::TestParamInfo<ConfirmKeyCase>& info) {
        return std::string(info.param.name);
    });

} // namespace
