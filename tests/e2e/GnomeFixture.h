#pragma once

#include <gtest/gtest.h>

#include <QElapsedTimer>
#include <QFile>
#include <algorithm>
#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "e2e/GnomeE2EEnvironment.h"
#include "e2e/QuilletDriver.h"
#include "support/Wait.h"

namespace quillet::test {

// evdev codes of the keys the tests press on the seat's virtual keyboard
constexpr quint32 kGnomeKeyTwo = 3;

// A Wayland client of the shared Mutter.
inline ChildProcess::Options gnomeClientOptions() {
    ChildProcess::Options options;
    options.environment = gnomeDesktop->environment() << QStringLiteral("QT_QPA_PLATFORM=wayland");
    return options;
}

inline bool wlCopy(const QString& text) {
    return runCommand({"wl-copy", text}, std::chrono::seconds(5), gnomeClientOptions()).exitCode ==
           0;
}

// An X11 program copies through XWayland (xclip stays as the owner until the next copy).
inline bool xCopy(const QString& text) {
    ChildProcess::Options options = ChildProcess::silent(gnomeDesktop->environment());
    options.input = text.toUtf8();
    return runCommand(gnomeDesktop->command({"xclip", "-selection", "clipboard", "-i"}),
                      std::chrono::seconds(5), options)
               .exitCode == 0;
}

inline QString wlPaste() {
    const CommandResult paste =
        runCommand({"wl-paste", "--no-newline"}, std::chrono::seconds(5), gnomeClientOptions());
    return paste.exitCode == 0 ? QString::fromUtf8(paste.output) : QStringLiteral("<no paste>");
}

// Prints the median of a timing measured from outside and keeps it in the test's report.
inline void reportMedian(const char* what, std::vector<qint64> values) {
    std::sort(values.begin(), values.end());
    const qint64 median = values.empty() ? -1 : values[values.size() / 2];
    std::fprintf(stderr, "%s: median %lld ms over %zu\n", what, static_cast<long long>(median),
                 values.size());
    ::testing::Test::RecordProperty(what, std::to_string(median));
}

// Quillet on the shared Mutter, and a Qt text window on Wayland to take the keyboard from.
class GnomeFixture : public ::testing::Test {
protected:
    void SetUp() override {
        if (!gnomeDesktop) GTEST_SKIP() << qPrintable(gnomeUnavailable);
        startQuillet();
    }
    void TearDown() override {
        // Keys chosen by a failed round must not reach the next test's windows.
        if (target.isRunning()) target.stop();
        // A failure is read from the log: whether Quillet still ran, and what it last said.
        if (HasFailure() && quillet) {
            ChildProcess& process = quillet->process();
            const QString state = process.isRunning()
                                      ? QStringLiteral("still runs")
                                      : QStringLiteral("ended with status %1")
                                            .arg(process.exitCode().value_or(-1));
            ADD_FAILURE() << "Quillet " << qPrintable(state) << "; its last output:\n"
                          << process.output().right(4000).constData();
        }
    }
    void startQuillet() {
        quillet = std::make_unique<QuilletDriver>(*gnomeDesktop);
        quillet->keepErrors();
        ASSERT_TRUE(started(*quillet));
        targetFile = quillet->home().path() + QStringLiteral("/target.txt");
    }
    // A window of another program with the keyboard, which tells us when it loses it.
    void startTarget() {
        ASSERT_TRUE(
            target.start({QStringLiteral(TARGET_BINARY), targetFile}, gnomeClientOptions()));
        ASSERT_TRUE(waitFor([&] { return focusLog().endsWith("in\n"); }, std::chrono::seconds(10)))
            << "the target never got the keyboard";
    }
    QByteArray focusLog() const {
        QFile file(targetFile + QStringLiteral(".focus"));
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    }
    QString targetText() const {
        QFile file(targetFile);
        return file.open(QIODevice::ReadOnly) ? QString::fromUtf8(file.readAll()) : QString();
    }
    // Milliseconds until one of our windows took the keyboard from the target; -1 if none did.
    qint64 keyboardTakenAfter(const char* request) {
        const QByteArray before = focusLog();
        QElapsedTimer timer;
        timer.start();
        if (quillet->command(QString::fromLatin1(request)) != 0) return -1;
        if (!waitFor([&] { return focusLog().size() > before.size(); }, std::chrono::seconds(5)))
            return -1;
        return focusLog().endsWith("out\n") ? timer.elapsed() : -1;
    }

    std::unique_ptr<QuilletDriver> quillet;
    QString targetFile;
    ChildProcess target;
};

}  // namespace quillet::test
