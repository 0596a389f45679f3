#pragma once

#include <QString>
#include <QTemporaryDir>

namespace quillet::test {

// A private temporary folder removed with the object.
class TempDir {
public:
    TempDir();
    QString path() const { return m_dir.path(); }
    QString file(const QString& name) const { return m_dir.filePath(name); }

private:
    QTemporaryDir m_dir;
};

}  // namespace quillet::test
