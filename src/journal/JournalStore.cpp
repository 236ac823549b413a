#include "journal/JournalStore.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSet>
#include <QStandardPaths>

#include <chrono>
#include <limits>

#ifdef Q_OS_UNIX
#include <cerrno>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace sw {

// ---------------------------------------------------------------- JournalClaim

JournalClaim::~JournalClaim() { release(); }

JournalClaim::JournalClaim(JournalClaim &&other) noexcept
    : m_fd(other.m_fd), m_path(std::move(other.m_path)), m_writable(other.m_writable),
      m_openError(other.m_openError)
{
    other.m_fd = -1;
}

JournalClaim &JournalClaim::operator=(JournalClaim &&other) noexcept
{
    if (this != &other) {
        release();
        m_fd = other.m_fd;
        m_path = std::move(other.m_path);
        m_writable = other.m_writable;
        m_openError = other.m_openError;
        other.m_fd = -1;
    }
    return *this;
}

JournalClaim JournalClaim::take(const QString &path, Outcome *outcome)
{
    JournalClaim claim;
    Outcome result = CannotOpen;
#ifdef Q_OS_UNIX
    const QByteArray native = QFile::encodeName(path);
    int fd = ::open(native.constData(), O_RDWR | O_CLOEXEC);
    int openError = 0;
    if (fd < 0 && (errno == EACCES || errno == EROFS || errno == EPERM)) {
        // Still recoverable, though it cannot be carried on.
        openError = errno;
        fd = ::open(native.constData(), O_RDONLY | O_CLOEXEC);
    }
    if (fd >= 0) {
        struct stat held {}, named {};
        if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
            result = errno == EWOULDBLOCK ? HeldElsewhere : CannotOpen;
            ::close(fd);
        } else if (::fstat(fd, &held) != 0 || held.st_nlink == 0 || ::stat(native.constData(), &named) != 0
                   || held.st_dev != named.st_dev || held.st_ino != named.st_ino) {
            // Deleted (or replaced) by the program that held it before we got
            // the lock: what we hold is no longer the journal of that name.
            result = Gone;
            ::close(fd);
        } else {
            result = Held;
            claim.m_fd = fd;
            claim.m_path = path;
            claim.m_writable = openError == 0;
            claim.m_openError = openError;
        }
    } else if (errno == ENOENT) {
        result = Gone;
    }
#else
    Q_UNUSED(path);
#endif
    if (outcome)
        *outcome = result;
    return claim;
}

QByteArray JournalClaim::readAll() const
{
    QByteArray bytes;
#ifdef Q_OS_UNIX
    if (m_fd < 0)
        return bytes;
    char piece[64 * 1024];
    off_t at = 0;
    for (;;) {
        const ssize_t n = ::pread(m_fd, piece, sizeof piece, at);
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0)
            return QByteArray();
        if (n == 0)
            break;
        bytes.append(piece, n);
        at += n;
    }
#endif
    return bytes;
}

bool JournalClaim::removeFile()
{
    if (m_fd < 0)
        return false;
    bool gone = false;
#ifdef Q_OS_UNIX
    // Only the file this descriptor holds: a journal put in its place under
    // the same name belongs to someone else.
    const QByteArray native = QFile::encodeName(m_path);
    struct stat held {}, named {};
    if (::fstat(m_fd, &held) == 0 && ::stat(native.constData(), &named) == 0 && held.st_dev == named.st_dev
        && held.st_ino == named.st_ino)
        gone = ::unlink(native.constData()) == 0;
    else
        gone = held.st_nlink == 0;
#endif
    release();
    return gone;
}

void JournalClaim::release()
{
#ifdef Q_OS_UNIX
    if (m_fd >= 0)
        ::close(m_fd); // the lock goes with the descriptor
#endif
    m_fd = -1;
}

int JournalClaim::takeDescriptor()
{
    const int fd = m_fd;
    m_fd = -1;
    return fd;
}

// ---------------------------------------------------------------- JournalStore

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

namespace {

// Where the settled list is kept: beside the journal folder, or, when that
// cannot be written either, in the program's settings folder.
QStringList settledLists(const QString &folder)
{
    return {JournalStore::settledListFor(folder),
            QStandardPaths::writableLocation(QStandardPaths::AppConfigLocation) + QStringLiteral("/journal.settled")};
}

// The settled lists: "<file name> <size>" a line.
QSet<QString> readSettledLists(const QString &folder)
{
    QSet<QString> entries;
    for (const QString &list : settledLists(folder)) {
        QFile f(list);
        if (f.open(QIODevice::ReadOnly))
            for (const QByteArray &line : f.readAll().split('\n'))
                if (!line.isEmpty())
                    entries.insert(QString::fromUtf8(line));
    }
    return entries;
}

QString settledEntry(const QString &journalPath, qint64 size)
{
    return QFileInfo(journalPath).fileName() + QLatin1Char(' ') + QString::number(size);
}

} // namespace

std::vector<JournalFound> JournalStore::unfinished(QStringList *heldElsewhere) const
{
    std::vector<JournalFound> found;
    const QDir dir(m_folder);
    const QStringList names = dir.entryList({QStringLiteral("*.swj")}, QDir::Files, QDir::Name);
    const QSet<QString> settled = names.isEmpty() ? QSet<QString>() : readSettledLists(m_folder);
    for (const QString &name : names) {
        const QString path = dir.filePath(name);
        JournalClaim::Outcome outcome = JournalClaim::CannotOpen;
        JournalClaim claim = JournalClaim::take(path, &outcome);
        if (outcome == JournalClaim::HeldElsewhere && heldElsewhere)
            heldElsewhere->append(path);
        if (!claim.isHeld())
            continue;
        const QByteArray bytes = claim.readAll();
        if (settled.contains(settledEntry(path, bytes.size()))) {
            claim.removeFile(); // saved or discarded; it goes once the folder allows it
            continue;
        }
        JournalFound j{path, readJournal(bytes), std::move(claim)};
        if (j.read.usable() && j.read.race.closed != JournalClose::Open)
            continue; // saved or discarded; only the deletion did not happen
        found.push_back(std::move(j));
    }
    return found;
}

bool JournalStore::remove(JournalFound &found) const
{
    return found.claim.path() == found.path && found.claim.removeFile();
}

QString JournalStore::damagedCopyPath(const QString &journalPath, int goodLines)
{
    QString base = journalPath;
    if (base.endsWith(QLatin1String(".swj")))
        base.chop(4);
    return base + QStringLiteral("-good-to-line-%1.damaged").arg(goodLines);
}

QString JournalStore::settledListFor(const QString &folder)
{
    return QDir::cleanPath(folder) + QStringLiteral(".settled");
}

bool JournalStore::noteSettled(const QString &folder, const QString &journalPath, qint64 size)
{
    const QByteArray line = settledEntry(journalPath, size).toUtf8() + '\n';
    for (const QString &list : settledLists(folder)) {
        QDir().mkpath(QFileInfo(list).absolutePath());
        QFile f(list);
        if (f.open(QIODevice::WriteOnly | QIODevice::Append) && f.write(line) == line.size() && f.flush())
            return true;
    }
    return false;
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

QString recoverRaceQuestion(const JournalFound &found, const QTimeZone &zone)
{
    QString text = recoverRaceText(found.read.race, zone);
    if (found.read.status != JournalReadStatus::Complete)
        text += QStringLiteral("\n\n") + found.read.message;
    const QString copy = damagedCopyFor(found);
    if (!copy.isEmpty())
        text += QStringLiteral("  If you recover it, the damaged journal is first copied to:\n\n    ")
            + QDir::toNativeSeparators(copy);
    return text;
}

QString refusedJournalQuestion(const JournalFound &found)
{
    return QStringLiteral("A race journal can not be recovered:\n\n    ") + QDir::toNativeSeparators(found.path)
        + QStringLiteral("\n\n") + found.read.message + QStringLiteral("\n\nDelete this journal?");
}

QString heldElsewhereText(const QStringList &paths)
{
    QStringList shown;
    for (const QString &p : paths)
        shown << QStringLiteral("    ") + QDir::toNativeSeparators(p);
    return QStringLiteral("%1 held by another Splitwatch that is running now, so it is not offered "
                          "here:\n\n%2\n\nRecover it in that program, or close that program and start this one "
                          "again.")
        .arg(paths.size() == 1 ? QStringLiteral("A race journal is") : QStringLiteral("These race journals are"),
             shown.join(QStringLiteral("\r")));
}

QString damagedCopyFor(const JournalFound &found)
{
    if (found.read.status != JournalReadStatus::DamagedRecovered)
        return QString();
    return JournalStore::damagedCopyPath(found.path, found.read.goodLines);
}

} // namespace sw
