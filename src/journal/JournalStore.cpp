#include "journal/JournalStore.h"

#include <QDir>
#include <QFile>
#include <QStandardPaths>

#include <chrono>
#include <limits>

#ifdef Q_OS_UNIX
#include <cerrno>
#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>
#endif

namespace sw {

JournalStore::JournalStore(const QString &folder) : m_folder(folder) {}

QString JournalStore::defaultFolder()
{
    return QStandardPaths::writableLocation(QStandardPaths::AppLocalDataLocation) + QStringLiteral("/journal");
}

QString JournalStore::fileNameFor(qint64 pid, qint64 armWallMs)
{
    // UTC, so names sort by arm time across a change of daylight saving time.
    const QString when = QDateTime::fromMSecsSinceEpoch(armWallMs, QTimeZone::utc())
                             .toString(QStringLiteral("yyyyMMdd-HHmmss-zzz"));
    return QStringLiteral("race-%1-%2.swj").arg(when).arg(pid);
}

std::vector<JournalFound> JournalStore::unfinished() const
{
    std::vector<JournalFound> found;
    const QDir dir(m_folder);
    const QStringList names = dir.entryList({QStringLiteral("*.swj")}, QDir::Files, QDir::Name);
    for (const QString &name : names) {
        const QString path = dir.filePath(name);
        if (isLive(path))
            continue;
        QFile f(path);
        if (!f.open(QIODevice::ReadOnly))
            continue;
        JournalFound j{path, readJournal(f.readAll())};
        if (j.read.usable() && j.read.race.closed != JournalClose::Open)
            continue; // saved or discarded; only the deletion did not happen
        found.push_back(std::move(j));
    }
    return found;
}

bool JournalStore::remove(const QString &path) const
{
    return QFile::remove(path) || !QFile::exists(path);
}

bool JournalStore::isLive(const QString &path)
{
#ifdef Q_OS_UNIX
    const QByteArray native = QFile::encodeName(path);
    const int fd = ::open(native.constData(), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return false;
    const bool locked = ::flock(fd, LOCK_SH | LOCK_NB) != 0 && errno == EWOULDBLOCK;
    ::close(fd); // also releases the shared lock if it was taken
    return locked;
#else
    Q_UNUSED(path);
    return false;
#endif
}

QByteArray JournalStore::currentBootId()
{
#ifdef Q_OS_LINUX
    QFile f(QStringLiteral("/proc/sys/kernel/random/boot_id"));
    if (f.open(QIODevice::ReadOnly))
        return f.readAll().trimmed().left(JournalArm::BootIdSize - 1);
#endif
    return QByteArray();
}

qint64 JournalStore::monotonicNowNs()
{
    return std::chrono::duration_cast<std::chrono::nanoseconds>(
               std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

qint64 resumeTickCount(const JournalArm &arm, qint64 nowNs)
{
    if (arm.timerIntervalMs <= 0 || nowNs < arm.monotonicNs)
        return 0;
    return (nowNs - arm.monotonicNs) / (qint64(arm.timerIntervalMs) * 1000000);
}

JournalResume resumeMode(const JournalRace &race, const QByteArray &bootId, qint64 nowNs)
{
    const JournalArm &arm = race.arm;
    if (race.finished || bootId.isEmpty() || bootId != QByteArray(arm.bootId) || nowNs < arm.monotonicNs
        || arm.timerIntervalMs <= 0)
        return JournalResume::Finished;
    return JournalResume::Running;
}

QString recoverRaceText(const JournalRace &race, const QTimeZone &zone)
{
    const QDateTime armed = QDateTime::fromMSecsSinceEpoch(race.arm.wallMs, zone);
    QString text = QStringLiteral("A race armed on %1 at %2 was not saved.  ")
                       .arg(armed.toString(QStringLiteral("yyyy-MM-dd")), armed.toString(QStringLiteral("HH:mm:ss")));
    const int laps = race.completedLaps();
    const int segments = race.segmentCount();
    const std::optional<qint64> last = race.lastPressUs();
    if (!last) {
        text += QStringLiteral("It was armed but not started.  ");
    } else {
        // The race clock counts from arming, so the last press lies that far
        // after the arm time.
        const QDateTime lastAt = armed.addMSecs(*last / 1000);
        text += QStringLiteral("It holds %1 %2 (%3 %4); the last press was at %5.  ")
                    .arg(laps)
                    .arg(laps == 1 ? QStringLiteral("lap") : QStringLiteral("laps"))
                    .arg(segments)
                    .arg(segments == 1 ? QStringLiteral("segment") : QStringLiteral("segments"))
                    .arg(lastAt.toString(QStringLiteral("HH:mm:ss")));
    }
    return text + QStringLiteral("Do you want to recover it?");
}

} // namespace sw
