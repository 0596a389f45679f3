#include <gtest/gtest.h>

#include <QApplication>

#include "base/Catalogue.h"

// Widget and model tests share one QApplication (offscreen, set by CTest's environment).
int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    // Texts are checked in English, whatever the machine's language.
    quillet::Catalogue::install(app, QStringLiteral("en"));
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
