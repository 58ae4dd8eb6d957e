// The search engine schedules threaded runs on the event loop and processes pending events in
// every directory, so its tests run inside a real QCoreApplication.
#include <QCoreApplication>

#include <gtest/gtest.h>

int main(int argc, char** argv) {
    testing::InitGoogleTest(&argc, argv);
    QCoreApplication application(argc, argv);
    return RUN_ALL_TESTS();
}
