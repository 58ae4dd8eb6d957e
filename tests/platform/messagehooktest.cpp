#include <gtest/gtest.h>

#include "platform/messagehook.h"

TEST(MessageHook, BoundHookReceivesTextTypeAndButtons) {
    std::string seenText;
    int seenType = -1;
    unsigned seenButtons = 0;
    MessageHook previous = SetMessageHook([&](const std::string& text, int type, unsigned b) {
        seenText = text;
        seenType = type;
        seenButtons = b;
        return static_cast<int>(mrYes);
    });
    EXPECT_EQ(ShowThemedMessage("Cannot save file.", mtError, mbOK), mrYes);
    EXPECT_EQ(seenText, "Cannot save file.");
    EXPECT_EQ(seenType, mtError);
    EXPECT_EQ(seenButtons, static_cast<unsigned>(mbOK));
    SetMessageHook(previous);
}

TEST(MessageHook, DefaultWritesToStandardErrorAndAnswersOk) {
    MessageHook previous = SetMessageHook({});
    testing::internal::CaptureStderr();
    const int result = ShowThemedMessage("Cannot open Ilda file.", mtError, mbOK);
    const std::string err = testing::internal::GetCapturedStderr();
    SetMessageHook(previous);
    EXPECT_EQ(result, mrOk);
    EXPECT_EQ(err, "Cannot open Ilda file.\n");
}
