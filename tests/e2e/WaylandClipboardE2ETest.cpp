#include <gtest/gtest.h>

#include "e2e/QuilletDriver.h"
#include "e2e/WaylandE2EEnvironment.h"

namespace quillet::test {

namespace {

ChildProcess::Options clientOptions(const QByteArray& input = {}) {
    ChildProcess::Options options;
    options.environment = e2eCompositor->environment();
    options.input = input;
    return options;
}

}  // namespace

// The rig itself: a foreign client copies and another pastes through the compositor.
TEST(WaylandRig, ForeignClientsShareTheClipboard) {
    ASSERT_EQ(runCommand({"wl-copy", "through the rig"}, std::chrono::seconds(5), clientOptions())
                  .exitCode,
              0);
    const CommandResult paste =
        runCommand({"wl-paste", "--no-newline"}, std::chrono::seconds(5), clientOptions());
    EXPECT_EQ(paste.output, "through the rig") << qPrintable(e2eCompositor->log());
}

}  // namespace quillet::test
