#include "support/TempDir.h"

#include <QDir>

namespace quillet::test {

TempDir::TempDir() : m_dir(QDir::tempPath() + QStringLiteral("/quillet-test-XXXXXX")) {}

}  // namespace quillet::test
