#pragma once

#include <QString>
#include <QStringList>

class QCoreApplication;

namespace quillet::Catalogue {

// The catalogue for the user's UI languages, most preferred first (as
// QLocale::uiLanguages() gives them, which follows LANGUAGE and LANG): "ja" when Japanese comes
// before English, otherwise "en".
QString languageFor(const QStringList& uiLanguages);

// Installs the built-in catalogue of `language` ("en" or "ja") into the application; false
// when there is none. Texts missing from it show their default.
bool install(QCoreApplication& app, const QString& language);

}  // namespace quillet::Catalogue
