#include "settings/IgnoredApplications.h"

#include <QSettings>

namespace quillet {

QStringList IgnoredApplications::defaults() {
    // X11 window classes (instance or class) and Wayland app ids.
    return {
        QStringLiteral("keepassxc"),
        QStringLiteral("org.keepassxc.KeePassXC"),
        QStringLiteral("bitwarden"),
        QStringLiteral("com.bitwarden.desktop"),
        QStringLiteral("1password"),
        QStringLiteral("enpass"),
        QStringLiteral("keeweb"),
        QStringLiteral("qtpass"),
        QStringLiteral("org.gnome.World.Secrets"),
        QStringLiteral("seahorse"),
        QStringLiteral("org.gnome.seahorse.Application"),
    };
}

IgnoredApplications::IgnoredApplications(QSettings& settings, QObject* parent)
    : QObject(parent), m_settings(settings) {
    // An emptied list is kept empty: only a missing key means "never chosen".
    const QString name = QLatin1String(key);
    m_names = m_settings.contains(name) ? m_settings.value(name).toStringList() : defaults();
    m_names.removeAll(QString());
}

bool IgnoredApplications::add(const QString& name) {
    const QString trimmed = name.trimmed();
    if (trimmed.isEmpty() || m_names.contains(trimmed, Qt::CaseInsensitive)) return false;
    store(m_names + QStringList{trimmed});
    return true;
}

void IgnoredApplications::remove(const QString& name) {
    QStringList names = m_names;
    if (names.removeAll(name) == 0) return;
    store(names);
}

void IgnoredApplications::setAttribution(CopyAttribution attribution) {
    if (attribution == m_attribution) return;
    m_attribution = attribution;
    emit attributionChanged();
}

void IgnoredApplications::store(QStringList names) {
    m_names = std::move(names);
    m_settings.setValue(QLatin1String(key), m_names);
    emit namesChanged();
}

}  // namespace quillet
