// The main of the window's tests: the application object the window needs, then every test.
// The platform is forced to "offscreen" so that the tests run without a display.

#include <gtest/gtest.h>

#include "app/tapplication.h"

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    TApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
