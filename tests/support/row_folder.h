// A folder for the files of one test row: renewed before every row, so that no row ever
// reads what another one wrote.
#pragma once

#include <QByteArray>
#include <QFile>
#include <QString>
#include <QTemporaryDir>

#include <cstdint>
#include <memory>
#include <vector>

namespace tarnwick::testing {

class RowFolder {
public:
    void renew() { m_dir = std::make_unique<QTemporaryDir>(); }

    QString path() const { return m_dir->path(); }
    QString filePath(const QString& name) const { return m_dir->filePath(name); }
    // Writes `data` as the file `name` in the folder; its path.
    QString write(const QString& name, const QByteArray& data) const {
        const QString file = filePath(name);
        QFile out(file);
        if (out.open(QIODevice::WriteOnly)) {
            out.write(data);
        }
        return file;
    }
    QString write(const QString& name, const std::vector<std::uint8_t>& data) const {
        return write(
            name, QByteArray(reinterpret_cast<const char*>(data.data()), qsizetype(data.size())));
    }

private:
    std::unique_ptr<QTemporaryDir> m_dir;
};

} // namespace tarnwick::testing
