#include <gio/gio.h>
#include <gtest/gtest.h>

#include <QString>
#include <QStringList>

#include "platform/gnome/GnomeShortcuts.h"

// Runs with GSETTINGS_BACKEND=memory (from CTest) against the schemas GNOME installs: nothing
// reaches the user's settings database.
namespace quillet {
namespace {

const char* const kList = "org.gnome.settings-daemon.plugins.media-keys";
const char* const kBinding = "org.gnome.settings-daemon.plugins.media-keys.custom-keybinding";
const QString kTheirs =
    QStringLiteral("/org/gnome/settings-daemon/plugins/media-keys/custom-keybindings/custom0/");

GSettings* open(const char* schema, const QString& path = {}) {
    GSettingsSchema* found =
        g_settings_schema_source_lookup(g_settings_schema_source_get_default(), schema, TRUE);
    GSettings* settings =
        g_settings_new_full(found, nullptr, path.isEmpty() ? nullptr : qPrintable(path));
    g_settings_schema_unref(found);
    return settings;
}

QStringList listed() {
    GSettings* list = open(kList);
    gchar** values = g_settings_get_strv(list, "custom-keybindings");
    QStringList result;
    for (gchar** value = values; *value; ++value) result << QString::fromUtf8(*value);
    g_strfreev(values);
    g_object_unref(list);
    return result;
}

QString stored(const QString& path, const char* key) {
    GSettings* entry = open(kBinding, path);
    gchar* value = g_settings_get_string(entry, key);
    const QString result = QString::fromUtf8(value);
    g_free(value);
    g_object_unref(entry);
    return result;
}

bool setByUser(const QString& path, const char* key) {
    GSettings* entry = open(kBinding, path);
    GVariant* value = g_settings_get_user_value(entry, key);
    if (value) g_variant_unref(value);
    g_object_unref(entry);
    return value != nullptr;
}

class GnomeShortcutsTest : public ::testing::Test {
protected:
    // The user's own shortcut, which every change of ours must leave as it is.
    void SetUp() override {
        ASSERT_STREQ(g_getenv("GSETTINGS_BACKEND"), "memory");
        GSettings* theirs = open(kBinding, kTheirs);
        g_settings_set_string(theirs, "name", "Terminal");
        g_settings_set_string(theirs, "command", "gnome-terminal");
        g_settings_set_string(theirs, "binding", "<Super>t");
        g_object_unref(theirs);
        GSettings* list = open(kList);
        const QByteArray path = kTheirs.toUtf8();
        const gchar* const paths[] = {path.constData(), nullptr};
        g_settings_set_strv(list, "custom-keybindings", paths);
        g_object_unref(list);
    }

    static std::vector<DesktopShortcuts::Shortcut> ourPair(quint32 historyKey, quint32 modifiers) {
        return {{"history-menu", "Quillet: clipboard history menu", "history-menu", historyKey,
                 modifiers},
                {"phrase-menu", "Quillet: phrase menu", "phrase-menu", 8, 0x0300}};
    }

    void expectTheirsUntouched() {
        EXPECT_TRUE(listed().contains(kTheirs));
        EXPECT_EQ(stored(kTheirs, "name"), "Terminal");
        EXPECT_EQ(stored(kTheirs, "command"), "gnome-terminal");
        EXPECT_EQ(stored(kTheirs, "binding"), "<Super>t");
    }

    GnomeShortcuts shortcuts{QStringLiteral("quillet")};
    const QString history = GnomeShortcuts::pathFor("history-menu");
    const QString phrase = GnomeShortcuts::pathFor("phrase-menu");
};

TEST_F(GnomeShortcutsTest, AddingPutsOursBesideTheUsersOwn) {
    ASSERT_TRUE(shortcuts.isAvailable());
    EXPECT_FALSE(shortcuts.contains({"history-menu", "phrase-menu"}));

    QString error;
    ASSERT_TRUE(shortcuts.write(ourPair(9, 0x0300), &error)) << qPrintable(error);
    EXPECT_EQ(listed(), QStringList({kTheirs, history, phrase}));
    EXPECT_TRUE(shortcuts.contains({"history-menu", "phrase-menu"}));
    EXPECT_EQ(stored(history, "name"), "Quillet: clipboard history menu");
    EXPECT_EQ(stored(history, "command"), "quillet --history-menu");
    EXPECT_EQ(stored(history, "binding"), "<Shift><Super>v");
    EXPECT_EQ(stored(phrase, "command"), "quillet --phrase-menu");
    EXPECT_EQ(stored(phrase, "binding"), "<Shift><Super>c");
    expectTheirsUntouched();
}

TEST_F(GnomeShortcutsTest, UpdatingChangesOursInPlace) {
    ASSERT_TRUE(shortcuts.write(ourPair(9, 0x0300), nullptr));
    ASSERT_TRUE(shortcuts.write(ourPair(96, 0x1800), nullptr));  // ⌃⌥F5
    EXPECT_EQ(listed(), QStringList({kTheirs, history, phrase})) << "no second entry";
    EXPECT_EQ(stored(history, "binding"), "<Control><Alt>F5");
    expectTheirsUntouched();
}

TEST_F(GnomeShortcutsTest, RemovingTakesExactlyOursAndLeavesNothingBehind) {
    ASSERT_TRUE(shortcuts.write(ourPair(9, 0x0300), nullptr));
    QString error;
    ASSERT_TRUE(shortcuts.remove({"history-menu", "phrase-menu"}, &error)) << qPrintable(error);
    EXPECT_EQ(listed(), QStringList({kTheirs}));
    EXPECT_FALSE(shortcuts.contains({"history-menu"}));
    for (const char* key : {"name", "command", "binding"}) {
        EXPECT_FALSE(setByUser(history, key)) << key;
        EXPECT_FALSE(setByUser(phrase, key)) << key;
    }
    expectTheirsUntouched();
    // Removing what is not there changes nothing.
    EXPECT_TRUE(shortcuts.remove({"history-menu", "phrase-menu"}, &error));
    EXPECT_EQ(listed(), QStringList({kTheirs}));
}

TEST_F(GnomeShortcutsTest, AKeyWithoutAKeysymNameIsRefusedBeforeAnythingIsWritten) {
    QString error;
    EXPECT_FALSE(shortcuts.write(ourPair(63, 0x0300), &error));  // the fn key
    EXPECT_FALSE(error.isEmpty());
    EXPECT_EQ(listed(), QStringList({kTheirs}));
}

TEST_F(GnomeShortcutsTest, WithoutTheSchemaNothingIsOfferedOrWritten) {
    GnomeShortcuts missing(QStringLiteral("quillet"), {QStringLiteral("org.example.no-such-schema"),
                                                       QString::fromLatin1(kBinding)});
    EXPECT_FALSE(missing.isAvailable());
    EXPECT_FALSE(missing.contains({"history-menu"}));
    QString error;
    EXPECT_FALSE(missing.write(ourPair(9, 0x0300), &error));
    EXPECT_FALSE(error.isEmpty());
    EXPECT_EQ(listed(), QStringList({kTheirs}));
}

TEST(GnomeAccelerator, ModifiersInGtksNamesThenTheKeysym) {
    const struct {
        quint32 key, modifiers;
        const char* expected;
    } cases[] = {
        {9, 0x0300, "<Shift><Super>v"},   {8, 0x1000, "<Control>c"},
        {96, 0x1800, "<Control><Alt>F5"}, {49, 0x1b00, "<Control><Alt><Shift><Super>space"},
        {126, 0x0800, "<Alt>Up"},         {43, 0x0100, "<Super>comma"},
        {82, 0x1000, "<Control>KP_0"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(GnomeShortcuts::accelerator(c.key, c.modifiers), QString(c.expected))
            << c.expected;
    EXPECT_EQ(GnomeShortcuts::accelerator(63, 0x0100), std::nullopt);
    EXPECT_EQ(GnomeShortcuts::accelerator(56, 0x0100), std::nullopt) << "Shift is a modifier";
    EXPECT_EQ(GnomeShortcuts::accelerator(500, 0x0100), std::nullopt);
}

TEST(GnomeCommandLine, APathGnomeWouldSplitIsQuotedAsAShellWould) {
    EXPECT_EQ(GnomeShortcuts::commandLine("quillet", "search"), "quillet --search");
    EXPECT_EQ(GnomeShortcuts::commandLine("/opt/q/bin/quillet", "phrase-menu"),
              "/opt/q/bin/quillet --phrase-menu");
    const QString odd = GnomeShortcuts::commandLine("/home/a b/it's/quillet", "history-menu");
    gchar** argv = nullptr;
    ASSERT_TRUE(g_shell_parse_argv(odd.toUtf8().constData(), nullptr, &argv, nullptr));
    EXPECT_STREQ(argv[0], "/home/a b/it's/quillet");
    EXPECT_STREQ(argv[1], "--history-menu");
    EXPECT_EQ(argv[2], nullptr);
    g_strfreev(argv);
}

}  // namespace
}  // namespace quillet
