#include <gtest/gtest.h>

#include <QCoreApplication>
#include <cstdio>

#include "e2e/E2EEnvironment.h"

namespace quillet::test {
const XvfbSession* e2eDisplay = nullptr;
}

// One X server with a window manager for the whole run; each test starts its own quillet.
int main(int argc, char** argv) {
    ::testing::InitGoogleTest(&argc, argv);
    QString error;
    auto x = quillet::test::XvfbSession::start({.windowManager = true}, &error);
    if (!x) {
        std::fprintf(stderr, "cannot start Xvfb with openbox: %s\n", qPrintable(error));
        return 1;
    }
    x->exportDisplay();
    quillet::test::e2eDisplay = x.get();
    QCoreApplication app(argc, argv);
    return RUN_ALL_TESTS();
}
