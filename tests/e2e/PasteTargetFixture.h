#pragma once

#include <gtest/gtest.h>

#include <QFile>

#include "e2e/E2EEnvironment.h"
#include "e2e/QuilletDriver.h"
#include "support/Wait.h"

namespace quillet::test {

// Quillet and a foreign text window, the window active: what quillet pastes lands there.
class PasteTargetFixture : public ::testing::Test {
protected:
    void SetUp() override {
        const QByteArray extensions =
            runCommand({"xdpyinfo", "-queryExtensions"}, std::chrono::seconds(5)).output;
        ASSERT_TRUE(extensions.contains("XTEST")) << "xdotool and our paste need XTest";
    }

    void startQuilletAndTarget() {
        ASSERT_TRUE(started(quillet));
        ASSERT_TRUE(
            target.start({targetBinary(), targetFile},
                         ChildProcess::silent({x.displayVariable(), "QT_QPA_PLATFORM=xcb"})));
        ASSERT_TRUE(waitFor([&] { return targetIsActive(x); }, std::chrono::seconds(10)))
            << "the target window became active";
    }

    QString targetText() const {
        QFile file(targetFile);
        return file.open(QIODevice::ReadOnly) ? QString::fromUtf8(file.readAll()) : QString();
    }
    // Where the caret is in the target's text (-1 before it first moved).
    int targetCaret() const {
        QFile file(targetFile + QStringLiteral(".caret"));
        bool ok = false;
        const int at = file.open(QIODevice::ReadOnly) ? file.readAll().toInt(&ok) : -1;
        return ok ? at : -1;
    }
    bool targetReceives(const QString& text) {
        return waitFor([&] { return targetText() == text; }, std::chrono::seconds(5));
    }
    // Copies each text with xclip and waits until quillet has recorded it.
    void copyAll(const QStringList& oldestFirst) {
        for (const QString& text : oldestFirst) {
            copyWithXclip(x, text);
            ASSERT_TRUE(quillet.recordedFirst(text));
        }
    }

    const XvfbSession& x = *e2eDisplay;
    QuilletDriver quillet{x};
    ChildProcess target;
    QString targetFile = quillet.home().file("target.txt");
};

}  // namespace quillet::test
