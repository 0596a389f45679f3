#include <gtest/gtest.h>

#include <QCoreApplication>
#include <cstdio>

#include "e2e/WaylandE2EEnvironment.h"

namespace quillet::test {
const SwaySession* e2eCompositor = nullptr;
}

// One headless compositor for the whole run; each test starts its own quillet.
int main(int argc, char** argv) {
    ::testing::InitGoogleTest(&argc, argv);
    QCoreApplication app(argc, argv);
    QString error;
    auto sway = quillet::test::SwaySession::start({}, &error);
    if (!sway) {
        std::fprintf(stderr, "cannot start a headless sway: %s\n", qPrintable(error));
        return 1;
    }
    quillet::test::e2eCompositor = sway.get();
    return RUN_ALL_TESTS();
}
