// Reading and writing .syx files for the windows, each failure said in the file commands'
// words.
#include "support/preset_file_io.h"

#include "platform/atomic_file.h"
#include "support/local_path.h"
#include "support/user_interaction.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QMimeData>
#include <QUrl>

namespace tarnwick {

QString PresetStartFolder() {
    const QDir syx(QStringLiteral("Syx"));
    return syx.exists() ? syx.absolutePath() : QDir::currentPath();
}

SyxFileRead ReadPresetFile(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly) || file.size() > qint64(kMaxInputSize)) {
        SyxFileRead unread;
        unread.stop = SyxStop::BadMessage;
        unread.error = {1, 0, DecodeErrorText(DecodeError::UnexpectedEnd),
                        DecodeError::UnexpectedEnd};
        return unread;
    }
    return ReadSyxFile(file.readAll().toStdString());
}

void ReportTooSmallForBank(UserInteraction& interaction) {
    interaction.message(QStringLiteral("File Open Error!"),
                        QStringLiteral("This file is not big enough to be a 100 Preset file."),
                        QMessageBox::NoIcon, QMessageBox::Ok);
}

std::optional<QString> DroppedPresetFile(const QMimeData* data) {
    if (!data || !data->hasUrls() || data->urls().size() != 1 ||
        !data->urls().first().isLocalFile()) {
        return std::nullopt;
    }
    const QFileInfo file(data->urls().first().toLocalFile());
    if (!file.isFile() || file.suffix().compare(QStringLiteral("syx"), Qt::CaseInsensitive) != 0) {
        return std::nullopt;
    }
    return file.filePath();
}

void ReportWriteFailure(UserInteraction& interaction) {
    interaction.message(QStringLiteral("Error"), QStringLiteral("Error opening output file."),
                        QMessageBox::NoIcon, QMessageBox::Ok);
}

void ReportDecodeFailure(UserInteraction& interaction, DecodeError error) {
    interaction.message(QStringLiteral("File Open Error!"),
                        QString::fromLatin1(DecodeErrorText(error)), QMessageBox::NoIcon,
                        QMessageBox::Ok);
}

bool WriteMessageFile(UserInteraction& interaction, const QString& path,
                      const PresetMessage& message) {
    AtomicFile file(LocalPath(path));
    if (!file.open() || !file.write(message.data(), message.size()) || !file.commit()) {
        ReportWriteFailure(interaction);
        return false;
    }
    return true;
}

std::optional<std::vector<PresetRecord>> ReadDroppedPresets(UserInteraction& interaction,
                                                            const QString& path) {
    if (!QFileInfo(path).isFile()) {
        return std::nullopt;
    }
    SyxFileRead read = ReadPresetFile(path);
    switch (read.stop) {
    case SyxStop::None:
        return std::move(read.records);
    case SyxStop::TooFew:
        ReportTooSmallForBank(interaction);
        return std::nullopt;
    case SyxStop::BadMessage:
        ReportDecodeFailure(interaction, read.error.decode);
        return std::nullopt;
    }
    return std::nullopt;
}

} // namespace tarnwick
