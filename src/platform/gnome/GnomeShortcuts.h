#pragma once

#include <QString>
#include <optional>

#include "platform/DesktopShortcuts.h"

// GIO's type, named here so that its headers stay out of ours.
typedef struct _GSettingsSchema GSettingsSchema;

namespace quillet {

// The schemas GNOME keeps its custom keyboard shortcuts under.
struct GnomeShortcutSchemas {
    QString list = QStringLiteral("org.gnome.settings-daemon.plugins.media-keys");
    QString binding =
        QStringLiteral("org.gnome.settings-daemon.plugins.media-keys.custom-keybinding");
};

// GNOME's custom keyboard shortcuts, through GSettings: the media-keys plugin keeps a list of
// paths, and at each path a name, a command and a binding. Ours live at paths of their own
// (".../custom-keybindings/quillet-history-menu/"), so the user's shortcuts are never read
// for ours nor touched. Writes go through the GSettings backend asynchronously (dconf); only
// a key GSettings refuses at once (locked down, not writable) reports a failure.
class GnomeShortcuts final : public DesktopShortcuts {
public:
    // `program` is what the keys run, followed by the request's option.
    explicit GnomeShortcuts(QString program, const GnomeShortcutSchemas& schemas = {});
    ~GnomeShortcuts() override;

    bool isAvailable() const override;
    bool contains(const QStringList& ids) const override;
    bool write(const std::vector<Shortcut>& shortcuts, QString* error) override;
    bool remove(const QStringList& ids, QString* error) override;

    // Where the shortcut with this id lives.
    static QString pathFor(const QString& id);
    // A stored hot key in GTK's accelerator syntax ("<Shift><Super>v"); nullopt for a key
    // without a keysym name.
    static std::optional<QString> accelerator(quint32 keyCode, quint32 modifiers);
    // The command line GNOME runs (it splits it as a shell would).
    static QString commandLine(const QString& program, const QString& request);

private:
    QString m_program;
    GSettingsSchema* m_listSchema = nullptr;
    GSettingsSchema* m_bindingSchema = nullptr;
};

}  // namespace quillet
