#include "files/FileIo.h"

#include <QDir>
#include <QFile>
#include <QSaveFile>

namespace sw {

bool saveFileAtomically(const QString &path, const QByteArray &bytes, QString *error)
{
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly)) {
        if (error)
            *error = QStringLiteral("Cannot write file %1:\n%2.")
                             .arg(QDir::toNativeSeparators(path), file.errorString());
        return false;
    }
    const bool written = file.write(bytes) == bytes.size() && file.flush();
    // A short write can go unreported by write() when the file system takes
    // only part of the bytes (a full disk, a file-size limit); the size of
    // what reached the temporary file tells.
    const qint64 reached = file.size();
    if (written && reached != bytes.size()) {
        if (error)
            *error = QStringLiteral("Cannot write file %1:\nonly %2 of %3 bytes could be written; the disk may be full.")
                             .arg(QDir::toNativeSeparators(path))
                             .arg(reached)
                             .arg(bytes.size());
        file.cancelWriting();
        return false;
    }
    if (!written || !file.commit()) {
        if (error)
            *error = QStringLiteral("Cannot write file %1:\n%2.")
                             .arg(QDir::toNativeSeparators(path), file.errorString());
        file.cancelWriting();
        return false;
    }
    return true;
}

std::optional<QByteArray> loadFile(const QString &path, QString *error)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        if (error)
            *error = QStringLiteral("Cannot read file %1:\n%2.")
                             .arg(QDir::toNativeSeparators(path), file.errorString());
        return std::nullopt;
    }
    if (file.size() > MaxLoadFileSize) {
        if (error)
            *error = QStringLiteral("Cannot read file %1:\nIt is too large to be a lap-time file.")
                             .arg(QDir::toNativeSeparators(path));
        return std::nullopt;
    }
    QByteArray bytes = file.read(MaxLoadFileSize + 1);
    if (file.error() != QFileDevice::NoError) {
        if (error)
            *error = QStringLiteral("Cannot read file %1:\n%2.")
                             .arg(QDir::toNativeSeparators(path), file.errorString());
        return std::nullopt;
    }
    if (bytes.size() > MaxLoadFileSize) {
        if (error)
            *error = QStringLiteral("Cannot read file %1:\nIt is too large to be a lap-time file.")
                             .arg(QDir::toNativeSeparators(path));
        return std::nullopt;
    }
    return bytes;
}

} // namespace sw
