#include "base/Catalogue.h"

#include <QCoreApplication>
#include <QLibraryInfo>
#include <QTranslator>

#include "base/Logging.h"

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
    // Qt's own texts (file dialogs, a text field's menu, the command line's "Usage:") come
    // from Qt's catalogue, where the system has one; English is Qt's own language.
    if (language != QLatin1String("en")) {
        auto* qtTexts = new QTranslator(&app);
        const QString folder = QLibraryInfo::path(QLibraryInfo::TranslationsPath);
        if (qtTexts->load(QStringLiteral("qtbase_%1").arg(language), folder))
            QCoreApplication::installTranslator(qtTexts);
        else {
            qCWarning(lcApp) << "Qt's own texts stay in English: no qtbase_" << language
                             << "catalogue in" << folder;
            delete qtTexts;
        }
    }
    auto* translator = new QTranslator(&app);
    if (!translator->load(QStringLiteral(":/i18n/quillet_%1.qm").arg(language))) {
        delete translator;
        return false;
    }
    return QCoreApplication::installTranslator(translator);
}

}  // namespace quillet::Catalogue
