#pragma once

#include <QString>
#include <QUrl>

#include "settings/UpdateInfo.h"

namespace quillet {

// Why an update check failed, in the user's words and language: what went wrong with the
// feed at `feed`, so that a proxy, a firewall or a wrong address can be told apart.
QString updateFailureReason(const UpdateCheckError& error, const QUrl& feed);

}  // namespace quillet
