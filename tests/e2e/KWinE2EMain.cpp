#include <gtest/gtest.h>

#include <QCoreApplication>
#include <cstdio>

#include "e2e/QuilletDriver.h"
#include "support/KWinSession.h"

namespace quillet::test {
const KWinSession* kwinCompositor = nullptr;
QString kwinUnavailable;
}

// One headless KWin for the whole run; each test starts its own quillet. KWin lets quillet and
// the test's own client use its protocols, as an installed desktop entry would.
int main(int argc, char** argv) {
    ::testing::InitGoogleTest(&argc, argv);
    QCoreApplication app(argc, argv);
    QString error;
    quillet::test::KWinSession::Options options;
    options.trustedPrograms = {quillet::test::quilletBinary(), QStringLiteral(KWIN_CLIENT_BINARY)};
    auto kwin = quillet::test::KWinSession::start(options, &error);
    // A machine that cannot run KWin skips these tests, saying why.
    if (!kwin) quillet::test::kwinUnavailable = error;
    quillet::test::kwinCompositor = kwin.get();
    return RUN_ALL_TESTS();
}
