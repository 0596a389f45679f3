#pragma once

#include <QObject>
#include <QStringList>

#include "platform/CopySource.h"

class QSettings;

namespace quillet {

// The applications whose copies are never recorded, kept in the settings file. Until the
// user changes it the list holds the common password managers, under the window classes and
// app ids they really use. Names are compared without regard to case.
class IgnoredApplications : public QObject {
    Q_OBJECT
    Q_PROPERTY(QStringList names READ names NOTIFY namesChanged)

public:
    static constexpr const char* key = "privacy/ignoredApplications";
    static QStringList defaults();

    explicit IgnoredApplications(QSettings& settings, QObject* parent = nullptr);

    QStringList names() const { return m_names; }
    // False when `name` is blank or listed already (in any case).
    bool add(const QString& name);
    void remove(const QString& name);

    // How this session tells who copied; the program sets it once its backends exist.
    CopyAttribution attribution() const { return m_attribution; }
    void setAttribution(CopyAttribution attribution);

signals:
    void namesChanged();
    void attributionChanged();

private:
    void store(QStringList names);

    QSettings& m_settings;
    QStringList m_names;
    CopyAttribution m_attribution = CopyAttribution::none;
};

}  // namespace quillet
