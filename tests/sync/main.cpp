#include <QCoreApplication>
#include <gtest/gtest.h>

// The sync tests need an event loop for Qt Network; servers are started by the tests
// themselves (tests/support/sync) and stopped when the program ends.
int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
