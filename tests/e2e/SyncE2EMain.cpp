#include <gtest/gtest.h>

#include <QCoreApplication>
#include <cstdio>

#include "e2e/E2EEnvironment.h"

namespace quillet::test {
const XvfbSession* e2eDisplay = nullptr;
const XvfbSession* e2eSecondDisplay = nullptr;
}  // namespace quillet::test

// Two X servers with a window manager each, one per machine of the sync tests.
int main(int argc, char** argv) {
    ::testing::InitGoogleTest(&argc, argv);
    QString error;
    auto first = quillet::test::XvfbSession::start({.windowManager = true}, &error);
    auto second =
        first ? quillet::test::XvfbSession::start({.windowManager = true}, &error) : nullptr;
    if (!first || !second) {
        std::fprintf(stderr, "cannot start Xvfb with openbox: %s\n", qPrintable(error));
        return 1;
    }
    quillet::test::e2eDisplay = first.get();
    quillet::test::e2eSecondDisplay = second.get();
    QCoreApplication app(argc, argv);
    return RUN_ALL_TESTS();
}
