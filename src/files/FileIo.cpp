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
    // One block of the file's own size: reading up to the limit in one call
    // would set aside 64 MiB even for a file of 20 kB. A file that grows while
    // it is read, or whose size the system does not tell, is read on in
    // pieces up to one byte past the limit.
    QByteArray bytes(file.size(), Qt::Uninitialized);
    qint64 got = file.read(bytes.data(), bytes.size());
    if (got >= 0) {
        bytes.truncate(got);
        char piece[64 * 1024];
        while (bytes.size() <= MaxLoadFileSize
               && (got = file.read(piece, qMin<qint64>(sizeof piece, MaxLoadFileSize + 1 - bytes.size()))) > 0)
            bytes.append(piece, got);
    }
    if (got < 0 || file.error() != QFileDevice::NoError) {
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
