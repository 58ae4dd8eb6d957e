// One QApplication for the whole test program; widgets need it before the first test runs.
#include <QApplication>

#include <gtest/gtest.h>

namespace {

class QtApplicationEnvironment : public ::testing::Environment {
public:
    void SetUp() override {
        static int argc = 1;
        static char name[] = "controls_tests";
        static char* argv[] = {name, nullptr};
        app = new QApplication(argc, argv);
    }
    void TearDown() override {
        delete app;
        app = nullptr;
    }

private:
    QApplication* app = nullptr;
};

[[maybe_unused]] ::testing::Environment* const environment =
    ::testing::AddGlobalTestEnvironment(new QtApplicationEnvironment);

} // namespace
