#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QTranslator>

#include "base/Catalogue.h"

namespace quillet {
namespace {

TEST(CatalogueTest, JapaneseOnlyWhenItComesBeforeEnglish) {
    EXPECT_EQ(Catalogue::languageFor({"ja-JP", "ja"}), "ja");
    EXPECT_EQ(Catalogue::languageFor({"ja_JP"}), "ja");
    EXPECT_EQ(Catalogue::languageFor({"de-DE", "ja", "en"}), "ja") << "LANGUAGE=de:ja:en";
    EXPECT_EQ(Catalogue::languageFor({"en-GB", "ja"}), "en");
    EXPECT_EQ(Catalogue::languageFor({"fr-FR", "fr"}), "en");
    EXPECT_EQ(Catalogue::languageFor({}), "en");
    EXPECT_EQ(Catalogue::languageFor({"jam"}), "en") << "Jamaican Creole is not Japanese";
}

TEST(CatalogueTest, BothBuiltInCataloguesLoadAndDiffer) {
    // The test program runs with the English catalogue installed (its plurals are checked
    // with the relative times).
    EXPECT_EQ(qtTrId("QUIT_APP"), "Quit");
    QTranslator japanese;
    ASSERT_TRUE(japanese.load(":/i18n/quillet_ja.qm"));
    QCoreApplication::installTranslator(&japanese);
    EXPECT_EQ(qtTrId("QUIT_APP"), "終了");
    EXPECT_EQ(qtTrId("RELATIVE_MINUTES", 3), "3分前");
    QCoreApplication::removeTranslator(&japanese);
    EXPECT_FALSE(Catalogue::install(*QCoreApplication::instance(), "xx"));
}

}  // namespace
}  // namespace quillet
