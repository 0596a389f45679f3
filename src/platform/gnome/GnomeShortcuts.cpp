#include "platform/gnome/GnomeShortcuts.h"

#include <gio/gio.h>

#include <QRegularExpression>

#include "base/KeyTable.h"
#include "base/Logging.h"

namespace quillet {

namespace {

constexpr char kListKey[] = "custom-keybindings";
constexpr const char* kBindingKeys[] = {"name", "command", "binding"};
constexpr char kBasePath[] = "/org/gnome/settings-daemon/plugins/media-keys/custom-keybindings/";

// Owns one GSettings object.
struct Settings {
    explicit Settings(GSettingsSchema* schema, const QString& path = {})
        : object(g_settings_new_full(schema, nullptr,
                                     path.isEmpty() ? nullptr : path.toUtf8().constData())) {}
    ~Settings() { g_object_unref(object); }
    Settings(const Settings&) = delete;
    Settings& operator=(const Settings&) = delete;
    GSettings* object;
};

GSettingsSchema* lookUp(const QString& id, std::initializer_list<const char*> keys) {
    GSettingsSchemaSource* source = g_settings_schema_source_get_default();
    if (!source) return nullptr;
    GSettingsSchema* schema =
        g_settings_schema_source_lookup(source, id.toUtf8().constData(), TRUE);
    if (!schema) return nullptr;
    for (const char* key : keys) {
        if (!g_settings_schema_has_key(schema, key)) {
            qCWarning(lcHotkeys) << "the GSettings schema" << id << "lacks the key" << key;
            g_settings_schema_unref(schema);
            return nullptr;
        }
    }
    return schema;
}

QStringList paths(GSettings* list) {
    QStringList result;
    gchar** values = g_settings_get_strv(list, kListKey);
    for (gchar** value = values; value && *value; ++value) result << QString::fromUtf8(*value);
    g_strfreev(values);
    return result;
}

bool setPaths(GSettings* list, const QStringList& paths) {
    std::vector<QByteArray> bytes;
    for (const QString& path : paths) bytes.push_back(path.toUtf8());
    std::vector<const gchar*> values;
    for (const QByteArray& value : bytes) values.push_back(value.constData());
    values.push_back(nullptr);
    return g_settings_set_strv(list, kListKey, values.data());
}

QString notWritable(const QString& where) {
    //% "GNOME's settings do not let %1 be changed (it may be locked by the administrator)."
    return qtTrId("GNOME_SHORTCUTS_NOT_WRITABLE").arg(where);
}

}  // namespace

GnomeShortcuts::GnomeShortcuts(QString program, const GnomeShortcutSchemas& schemas)
    : m_program(std::move(program)),
      m_listSchema(lookUp(schemas.list, {kListKey})),
      m_bindingSchema(lookUp(schemas.binding, {"name", "command", "binding"})) {
    if (!m_listSchema || !m_bindingSchema)
        qCDebug(lcHotkeys) << "GNOME's custom keyboard shortcuts are not installed here";
}

GnomeShortcuts::~GnomeShortcuts() {
    if (m_listSchema) g_settings_schema_unref(m_listSchema);
    if (m_bindingSchema) g_settings_schema_unref(m_bindingSchema);
}

bool GnomeShortcuts::isAvailable() const {
    return m_listSchema && m_bindingSchema;
}

QString GnomeShortcuts::pathFor(const QString& id) {
    return QLatin1String(kBasePath) + QStringLiteral("quillet-") + id + u'/';
}

std::optional<QString> GnomeShortcuts::accelerator(quint32 keyCode, quint32 modifiers) {
    const PhysicalKey* key = KeyTable::shortcutKey(keyCode);
    if (!key || !key->keysymName) return std::nullopt;
    QString result;
    for (const KeyModifier& modifier : KeyTable::modifiers()) {
        if (modifiers & modifier.hotkeyBit) result += QLatin1String(modifier.gtkName);
    }
    return result + QLatin1String(key->keysymName);
}

QString GnomeShortcuts::commandLine(const QString& program, const QString& request) {
    static const QRegularExpression plain(QStringLiteral("^[A-Za-z0-9_./+-]+$"));
    QString quoted = program;
    if (!plain.match(program).hasMatch())
        quoted = u'\'' + QString(program).replace(u'\'', QStringLiteral("'\\''")) + u'\'';
    return quoted + QStringLiteral(" --") + request;
}

bool GnomeShortcuts::contains(const QStringList& ids) const {
    if (!isAvailable()) return false;
    Settings list(m_listSchema);
    const QStringList present = paths(list.object);
    for (const QString& id : ids)
        if (!present.contains(pathFor(id))) return false;
    return true;
}

bool GnomeShortcuts::write(const std::vector<Shortcut>& shortcuts, QString* error) {
    auto fail = [&](const QString& why) {
        qCWarning(lcHotkeys).noquote() << "GNOME keyboard shortcuts:" << why;
        if (error) *error = why;
        return false;
    };
    //% "GNOME's custom keyboard shortcuts are not installed."
    if (!isAvailable()) return fail(qtTrId("GNOME_SHORTCUTS_MISSING"));
    Settings list(m_listSchema);
    if (!g_settings_is_writable(list.object, kListKey)) return fail(notWritable(kListKey));
    // Every binding is complete before the list names it: the daemon reads it at once.
    QStringList present = paths(list.object);
    for (const Shortcut& shortcut : shortcuts) {
        const std::optional<QString> binding = accelerator(shortcut.keyCode, shortcut.modifiers);
        //% "GNOME has no name for the key of \"%1\"."
        if (!binding) return fail(qtTrId("GNOME_SHORTCUTS_NO_KEY_NAME").arg(shortcut.name));
        const QString path = pathFor(shortcut.id);
        Settings entry(m_bindingSchema, path);
        const QByteArray values[] = {shortcut.name.toUtf8(),
                                     commandLine(m_program, shortcut.request).toUtf8(),
                                     binding->toUtf8()};
        for (std::size_t i = 0; i < std::size(kBindingKeys); ++i) {
            if (!g_settings_set_string(entry.object, kBindingKeys[i], values[i].constData()))
                return fail(notWritable(path + QLatin1String(kBindingKeys[i])));
        }
        if (!present.contains(path)) present << path;
    }
    if (!setPaths(list.object, present)) return fail(notWritable(kListKey));
    return true;
}

bool GnomeShortcuts::remove(const QStringList& ids, QString* error) {
    if (!isAvailable()) return true;
    Settings list(m_listSchema);
    QStringList present = paths(list.object);
    qsizetype removed = 0;
    for (const QString& id : ids) removed += present.removeAll(pathFor(id));
    if (removed > 0 && !setPaths(list.object, present)) {
        qCWarning(lcHotkeys) << "GNOME keyboard shortcuts: cannot change" << kListKey;
        if (error) *error = notWritable(kListKey);
        return false;
    }
    // Nothing of ours stays behind in the user's settings database.
    for (const QString& id : ids) {
        Settings entry(m_bindingSchema, pathFor(id));
        for (const char* key : kBindingKeys) g_settings_reset(entry.object, key);
    }
    return true;
}

}  // namespace quillet
