// The save dialog: what it shows and the path it takes, answered through the dialogs interface.

#include <gtest/gtest.h>

#include "app/tsavedialog.h"
#include "tests/app/qtprinters.h"
#include "tests/app/scripteduserdialogs.h"

namespace {

TEST(SaveDialog, ExecuteShowsThePropertiesAndTakesTheChosenPath) {
    ScriptedUserDialogs dialogs;
    TSaveDialog dialog(dialogs);
    dialog.Options().title = QStringLiteral("Save Ilda File");
    dialog.SetInitialDir(QStringLiteral("/base/ ILDA Files"));
    dialog.SetFileName(QStringLiteral("laser.ild"));
    dialogs.saveAnswers = {QStringLiteral("/chosen/laser.ild"), std::nullopt};
    ASSERT_TRUE(dialog.Execute());
    EXPECT_EQ(dialog.FileName(), QStringLiteral("/chosen/laser.ild"));
    ASSERT_EQ(dialogs.asked.size(), 1u);
    EXPECT_EQ(dialogs.asked[0].request.initialDir, QStringLiteral("/base/ ILDA Files"));
    EXPECT_EQ(dialogs.asked[0].request.fileName, QStringLiteral("laser.ild"));
    EXPECT_FALSE(dialog.Execute());
    EXPECT_EQ(dialog.FileName(), QStringLiteral("/chosen/laser.ild"));
}

} // namespace
