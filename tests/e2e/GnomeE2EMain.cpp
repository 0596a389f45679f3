#include <gtest/gtest.h>

#include <QCoreApplication>

#include "e2e/GnomeE2EEnvironment.h"

namespace quillet::test {
MutterSession* gnomeDesktop = nullptr;
QString gnomeUnavailable;
}  // namespace quillet::test

// One headless Mutter for the whole run; each test starts its own quillet. Where Mutter
// cannot run (no root for its namespaces), every test skips with the reason.
int main(int argc, char** argv) {
    ::testing::InitGoogleTest(&argc, argv);
    QCoreApplication app(argc, argv);
    using quillet::test::MutterSession;
    std::unique_ptr<MutterSession> mutter;
    quillet::test::gnomeUnavailable = MutterSession::unavailableReason();
    if (quillet::test::gnomeUnavailable.isEmpty()) {
        mutter = MutterSession::start({}, &quillet::test::gnomeUnavailable);
        // A machine that should run it but could not is a failure, not a skip.
        if (!mutter) {
            std::fprintf(stderr, "cannot start a headless Mutter: %s\n",
                         qPrintable(quillet::test::gnomeUnavailable));
            return 1;
        }
    }
    quillet::test::gnomeDesktop = mutter.get();
    return RUN_ALL_TESTS();
}
