#include "platform/Catalogue.h"

#include <QCoreApplication>
#include <QTranslator>

namespace quillet::Catalogue {

QString languageFor(const QStringList& uiLanguages) {
    for (const QString& tag : uiLanguages) {
        const QString primary = tag.section(u'-', 0, 0).section(u'_', 0, 0).toLower();
        if (primary == QLatin1String("ja")) return QStringLiteral("ja");
        if (primary == QLatin1String("en")) return QStringLiteral("en");
    }
    return QStringLiteral("en");
}

bool install(QCoreApplication& app, const QString& language) {
    auto* translator = new QTranslator(&app);
    if (!translator->load(QStringLiteral(":/i18n/quillet_%1.qm").arg(language))) {
        delete translator;
        return false;
    }
    return QCoreApplication::installTranslator(translator);
}

}  // namespace quillet::Catalogue
