#include "journal/JournalWriter.h"

#include "journal/JournalFormat.h"
#include "journal/JournalStore.h"
#include "journal/SpscRing.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QSemaphore>

#include <atomic>
#include <cerrno>
#include <chrono>
#include <condition_variable>
#include <csignal>
#include <limits>
#include <mutex>
#include <thread>

#include <QFile>

#ifdef Q_OS_UNIX
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>
#endif
#ifdef Q_OS_WIN
#include <io.h>
#endif

namespace sw {

namespace {

enum class EntryKind : quint8 { Arm, Press, Conditions, Finish, Comments, Edit, Resume, Close };

struct OpenedJournal;

// One queue slot. Plain bytes; the heap payload of Comments, Edit and
// Resume is owned by the slot and deleted by the writer thread.
struct Entry
{
    EntryKind kind = EntryKind::Press;
    JournalClose close = JournalClose::Discarded;
    qint16 lastLap = 0;
    JournalConditions conditions;
    JournalPress press;
    JournalArm arm;
    qint64 length = 0;         // Resume: bytes to keep
    QString *text = nullptr;   // Comments: the text; Resume: where to copy a damaged journal (or empty)
    JournalSnapshot *snapshot = nullptr;
    OpenedJournal *opened = nullptr; // Arm, Resume: the journal file, already open and locked
};

// A journal file opened and locked by the producer (arm) or taken over from a
// JournalClaim (resume), handed to the writer thread.
struct OpenedJournal
{
    int fd = -1;          // -1: it could not be made; see error
    QString path;
    bool writable = true;
    int error = 0;        // errno: why it could not be made or opened for writing
};

void closeDescriptor(int fd)
{
#ifdef Q_OS_UNIX
    if (fd >= 0)
        ::close(fd);
#else
    Q_UNUSED(fd);
#endif
}

// Frees the heap payload of an entry that is done with or never queued.
void dropPayload(Entry &e)
{
    delete e.text;
    delete e.snapshot;
    if (e.opened)
        closeDescriptor(e.opened->fd);
    delete e.opened;
    e.text = nullptr;
    e.snapshot = nullptr;
    e.opened = nullptr;
}

#ifdef Q_OS_UNIX
// write() of all bytes; 0 or the errno.
int writeAll(int fd, const char *p, qsizetype left)
{
    while (left > 0) {
        const ssize_t n = ::write(fd, p, size_t(left));
        if (n < 0) {
            if (errno == EINTR)
                continue;
            return errno;
        }
        p += n;
        left -= n;
    }
    return 0;
}

int syncData(int fd)
{
#if defined(Q_OS_LINUX)
    return ::fdatasync(fd) == 0 ? 0 : errno;
#else
    return ::fsync(fd) == 0 ? 0 : errno;
#endif
}

void syncFolderOf(const QString &path)
{
    const QByteArray dir = QFile::encodeName(QFileInfo(path).absolutePath());
    const int dirFd = ::open(dir.constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (dirFd >= 0) {
        ::fsync(dirFd);
        ::close(dirFd);
    }
}
#endif

// Makes the new journal of a race: a new file (never an existing one) in
// folder, locked, holding its header and arm lines on disk. Runs on the
// producer's thread at arm time, so that a journal that cannot be written is
// known before the race starts.
OpenedJournal createJournal(const QString &folder, const JournalArm &arm)
{
    OpenedJournal j;
    // When the folder cannot be made, opening the file below fails with
    // the system's reason (read-only, not a folder, no permission).
    QDir().mkpath(folder);
    const QString base = JournalStore::fileNameFor(QCoreApplication::applicationPid(), arm.wallMs);
#ifdef Q_OS_UNIX
    int error = EEXIST;
    for (int n = 1; n <= 9 && error == EEXIST; ++n) {
        j.path = folder + QLatin1Char('/')
            + (n == 1 ? base : QString(base).replace(QLatin1String(".swj"), QStringLiteral("-%1.swj").arg(n)));
        const QByteArray native = QFile::encodeName(j.path);
        do
            j.fd = ::open(native.constData(), O_WRONLY | O_APPEND | O_CLOEXEC | O_CREAT | O_EXCL, 0600);
        while (j.fd < 0 && errno == EINTR);
        error = j.fd < 0 ? errno : 0;
    }
    if (error == 0 && ::flock(j.fd, LOCK_EX | LOCK_NB) != 0)
        error = errno; // held from the first byte: another program must not offer it
    if (error == 0) {
        const QByteArray first = journalHeaderLine() + journalArmLine(arm);
        error = writeAll(j.fd, first.constData(), first.size());
        if (error == 0)
            error = syncData(j.fd);
        if (error == 0)
            syncFolderOf(j.path); // the new name itself must survive a power cut
        else
            ::unlink(QFile::encodeName(j.path).constData()); // not even a header: no race to offer
    }
    if (error != 0) {
        closeDescriptor(j.fd);
        j.fd = -1;
        j.error = error;
    }
#else
    j.path = folder + QLatin1Char('/') + base;
    QFile f(j.path);
    if (!f.open(QIODevice::WriteOnly | QIODevice::NewOnly)
        || f.write(journalHeaderLine() + journalArmLine(arm)) < 0 || !f.flush())
        j.error = EIO;
    else
        j.fd = 0; // reopened by the writer by its path
#endif
    return j;
}

constexpr std::uint64_t NoLoss = std::numeric_limits<std::uint64_t>::max();

// Failure state, so that one failure is announced once.
enum FailState : int { Protected = 0, FailedUnreported = 1, FailedReported = 2 };

// An append-only file with a durable flush.
class AppendFile
{
public:
    ~AppendFile() { closeFile(); }
    bool isOpen() const
    {
#ifdef Q_OS_UNIX
        return m_fd >= 0;
#else
        return m_file.isOpen();
#endif
    }

    // Takes over an open, locked journal file: the lock stays while it is
    // open.
    void adopt(const OpenedJournal &j)
    {
        closeFile();
#ifdef Q_OS_UNIX
        m_fd = j.fd;
#else
        m_file.setFileName(j.path);
        m_file.open(QIODevice::ReadWrite | QIODevice::ExistingOnly);
        m_file.seek(m_file.size());
#endif
        m_path = j.path;
    }

    // A recovered journal: keeps a copy of the whole file at copyPath (unless
    // empty or the file is no longer than keepBytes), cuts the file back to
    // keepBytes and appends from there. Returns 0 or the errno.
    int carryOn(qint64 keepBytes, const QString &copyPath)
    {
#ifdef Q_OS_UNIX
        struct stat st {};
        if (::fstat(m_fd, &st) != 0)
            return errno;
        if (!copyPath.isEmpty() && st.st_size > keepBytes) {
            if (const int error = copyTo(copyPath))
                return error;
        }
        if (::ftruncate(m_fd, keepBytes) != 0)
            return errno;
        const int flags = ::fcntl(m_fd, F_GETFL);
        if (flags < 0 || ::fcntl(m_fd, F_SETFL, flags | O_APPEND) != 0)
            return errno;
        return 0;
#else
        if (!copyPath.isEmpty() && m_file.size() > keepBytes && !QFile::copy(m_path, copyPath))
            return EIO;
        if (!m_file.resize(keepBytes))
            return EIO;
        m_file.seek(m_file.size());
        return 0;
#endif
    }

    // Deletes the file if the name still names the file held open (and
    // locked) here, then closes it. True when it is gone.
    bool removeAndClose()
    {
        bool gone = false;
#ifdef Q_OS_UNIX
        if (m_fd >= 0) {
            const QByteArray native = QFile::encodeName(m_path);
            struct stat held {}, named {};
            if (::fstat(m_fd, &held) == 0 && ::stat(native.constData(), &named) == 0
                && held.st_dev == named.st_dev && held.st_ino == named.st_ino)
                gone = ::unlink(native.constData()) == 0;
        }
#else
        m_file.close();
        gone = QFile::remove(m_path);
#endif
        closeFile();
        return gone;
    }

    qint64 size() const
    {
#ifdef Q_OS_UNIX
        struct stat st {};
        return m_fd >= 0 && ::fstat(m_fd, &st) == 0 ? qint64(st.st_size) : -1;
#else
        return m_file.size();
#endif
    }

    // Writes everything, then makes the data durable. 0 or the error number.
    int append(const QByteArray &bytes)
    {
#ifdef Q_OS_UNIX
        if (const int error = writeAll(m_fd, bytes.constData(), bytes.size()))
            return error;
        return syncData(m_fd);
#else
        if (m_file.write(bytes) != bytes.size() || !m_file.flush())
            return EIO;
#ifdef Q_OS_WIN
        if (::_commit(m_file.handle()) != 0)
            return EIO;
#endif
        return 0;
#endif
    }

    void closeFile()
    {
#ifdef Q_OS_UNIX
        if (m_fd >= 0)
            ::close(m_fd);
        m_fd = -1;
#else
        m_file.close();
#endif
    }

private:
#ifdef Q_OS_UNIX
    // The whole file, as it is now, into a new file at copyPath (an existing
    // copy of the same damage is kept as it is). 0 or the errno.
    int copyTo(const QString &copyPath)
    {
        const int out = ::open(QFile::encodeName(copyPath).constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
        if (out < 0)
            return errno == EEXIST ? 0 : errno;
        char piece[64 * 1024];
        off_t at = 0;
        int error = 0;
        for (;;) {
            const ssize_t n = ::pread(m_fd, piece, sizeof piece, at);
            if (n < 0 && errno == EINTR)
                continue;
            if (n < 0) {
                error = errno;
                break;
            }
            if (n == 0)
                break;
            if ((error = writeAll(out, piece, n)) != 0)
                break;
            at += n;
        }
        if (error == 0 && ::fsync(out) != 0)
            error = errno;
        ::close(out);
        if (error != 0)
            ::unlink(QFile::encodeName(copyPath).constData());
        else
            syncFolderOf(copyPath);
        return error;
    }

    int m_fd = -1;
#else
    QFile m_file;
#endif
    QString m_path;
};

} // namespace

struct JournalWriter::Impl
{
    Impl(const QString &folder, int cycleMs, std::size_t capacity)
        : folder(folder), cycle(qBound(1, cycleMs, 100)), ring(capacity)
    {
    }

    // ---- shared ---------------------------------------------------------
    const QString folder;
    const std::chrono::milliseconds cycle;
    SpscRing<Entry> ring;
    std::atomic<int> failState{Protected};
    std::atomic<int> failErrno{0}; // 0 with a failure: the queue was full
    std::atomic<std::uint64_t> firstLost{NoLoss}; // running number the first refused entry would have had
    std::atomic<std::uint64_t> overflows{0};
    std::atomic<std::uint64_t> settled{0};
    std::atomic<std::uint64_t> syncs{0};

    mutable std::mutex pathMutex; // guards openPath for currentPath(); never taken by the producer
    QString openPath;

    std::mutex wakeMutex;
    std::condition_variable wake;
    bool stopping = false;
    // One release per entry handed over (and one to stop): the thread,
    // idle, sleeps on it instead of waking on a timer. Releasing takes no
    // lock and never blocks the producer.
    QSemaphore queued;
    std::thread thread;

    // The producer's side: a full queue refuses the entry and marks where
    // the gap is.
    bool push(const Entry &e)
    {
        if (ring.push(e)) {
            queued.release();
            return true;
        }
        overflows.fetch_add(1, std::memory_order_relaxed);
        std::uint64_t expected = NoLoss;
        firstLost.compare_exchange_strong(expected, ring.pushed(), std::memory_order_release);
        fail(0);
        Entry dropped = e;
#ifdef Q_OS_UNIX
        if (e.kind == EntryKind::Arm && e.opened && e.opened->fd >= 0) // a journal nobody will write
            ::unlink(QFile::encodeName(e.opened->path).constData());
#endif
        dropPayload(dropped);
        return false;
    }

    // ---- writer thread only -------------------------------------------------
    AppendFile file;
    bool broken = false; // this race's journal stopped at a failure
    QByteArray pending;  // lines of this cycle not yet written

    void fail(int error)
    {
        failErrno.store(error, std::memory_order_relaxed);
        int expected = Protected;
        failState.compare_exchange_strong(expected, FailedUnreported);
    }

    void setPath(const QString &p)
    {
        std::lock_guard<std::mutex> lock(pathMutex);
        openPath = p;
    }

    // Writes the lines of this cycle and makes them durable.
    void flush()
    {
        if (pending.isEmpty())
            return;
        if (file.isOpen() && !broken) {
            const int error = file.append(pending);
            syncs.fetch_add(1, std::memory_order_relaxed);
            if (error != 0) {
                broken = true;
                fail(error);
            }
        }
        pending.clear();
    }

    void queue(const QByteArray &lines)
    {
        if (file.isOpen() && !broken)
            pending += lines;
    }

    // Ends the open journal: the close record, then the file goes. Only the
    // file this writer holds open and locked is deleted. When neither the
    // close record could be written nor the file deleted (a read-only
    // folder), the settled list beside the folder keeps it from being
    // offered again.
    void closeJournal(JournalClose how)
    {
        QString path;
        {
            std::lock_guard<std::mutex> lock(pathMutex);
            path = openPath;
        }
        if (path.isEmpty())
            return;
        queue(journalCloseLine(how));
        flush();
        const bool closeWritten = !broken;
        const qint64 size = file.size();
        if (!file.removeAndClose() && !closeWritten)
            JournalStore::noteSettled(folder, path, size);
        setPath(QString());
        broken = false;
    }

    // Arm: the journal the producer made, or nothing when it could not.
    void startRace(OpenedJournal &j)
    {
        broken = false;
        if (j.fd < 0) {
            broken = true; // the failure was raised by arm() already
            return;
        }
        file.adopt(j);
        j.fd = -1; // the file owns it now
        setPath(j.path);
    }

    void resumeRace(OpenedJournal &j, qint64 keep, const QString &copyPath)
    {
        broken = false;
        file.adopt(j);
        j.fd = -1;
        setPath(j.path); // held until closed, even when it cannot be written
        const int error = j.writable ? file.carryOn(keep, copyPath) : j.error;
        if (error != 0) {
            broken = true;
            fail(error);
        }
    }

    void handle(Entry &e)
    {
        switch (e.kind) {
        case EntryKind::Arm:
            closeJournal(JournalClose::Discarded);
            startRace(*e.opened);
            break;
        case EntryKind::Resume:
            closeJournal(JournalClose::Discarded);
            resumeRace(*e.opened, e.length, *e.text);
            break;
        case EntryKind::Press:
            queue(journalPressLine(e.press));
            break;
        case EntryKind::Conditions:
            queue(journalConditionsLine(e.conditions));
            break;
        case EntryKind::Finish:
            queue(journalFinishLine(e.lastLap));
            break;
        case EntryKind::Comments:
            queue(journalCommentsLine(*e.text));
            break;
        case EntryKind::Edit:
            queue(journalSnapshotLines(*e.snapshot));
            break;
        case EntryKind::Close:
            closeJournal(e.close);
            break;
        }
        dropPayload(e);
    }

    // A refused entry leaves a gap: the journal of that race must stop just
    // before it, or a replay would apply later presses to the wrong segment.
    void stopAtGap()
    {
        std::uint64_t lost = firstLost.load(std::memory_order_acquire);
        if (lost == NoLoss || ring.popped() < lost)
            return;
        flush();
        broken = true;
        firstLost.compare_exchange_strong(lost, NoLoss);
    }

    void runCycle()
    {
        Entry e;
        std::uint64_t seq = 0;
        for (;;) {
            stopAtGap();
            if (!ring.pop(&e, &seq))
                break;
            handle(e);
        }
        flush();
        settled.store(ring.popped(), std::memory_order_release);
    }

    void threadMain()
    {
        // While nothing comes the thread sleeps until an entry is handed over
        // (an idle program costs no wake-ups at all) and writes it at once;
        // after a cycle that wrote something it waits one cycle, so a burst
        // of entries shares one sync.
        bool idle = false;
        for (;;) {
            bool last;
            if (idle) {
                queued.acquire();
            } else {
                std::unique_lock<std::mutex> lock(wakeMutex);
                wake.wait_for(lock, cycle, [this] { return stopping; });
            }
            queued.tryAcquire(queued.available()); // the entries this cycle drains
            {
                std::lock_guard<std::mutex> lock(wakeMutex);
                last = stopping;
            }
            const std::uint64_t before = ring.popped();
            runCycle();
            idle = ring.popped() == before;
            if (last)
                return;
        }
    }
};

JournalWriter::JournalWriter(const QString &folder, bool startThread, int cycleMs, std::size_t capacity)
    : d(std::make_unique<Impl>(folder, cycleMs, capacity))
{
#ifdef Q_OS_UNIX
    // A journal that outgrows the file size limit must fail with EFBIG,
    // not end the program in the middle of a race.
    std::signal(SIGXFSZ, SIG_IGN);
#endif
    if (startThread)
        d->thread = std::thread([this] { d->threadMain(); });
}

JournalWriter::~JournalWriter()
{
    if (d->thread.joinable()) {
        {
            std::lock_guard<std::mutex> lock(d->wakeMutex);
            d->stopping = true;
        }
        d->wake.notify_one();
        d->queued.release();
        d->thread.join();
    } else {
        d->runCycle();
    }
    Entry e;
    while (d->ring.pop(&e)) // only when the thread never ran
        dropPayload(e);
}

bool JournalWriter::arm(const JournalArm &arm)
{
    // A failure of the last race that was never shown stays to be shown.
    int reported = FailedReported;
    d->failState.compare_exchange_strong(reported, Protected);
    Entry e;
    e.kind = EntryKind::Arm;
    e.arm = arm;
    e.opened = new OpenedJournal(createJournal(d->folder, arm));
    const bool made = e.opened->fd >= 0;
    if (!made)
        d->fail(e.opened->error);
    return d->push(e) && made;
}

bool JournalWriter::press(const JournalPress &press)
{
    Entry e;
    e.kind = EntryKind::Press;
    e.press = press;
    return d->push(e);
}

bool JournalWriter::conditions(const JournalConditions &conditions)
{
    Entry e;
    e.kind = EntryKind::Conditions;
    e.conditions = conditions;
    return d->push(e);
}

bool JournalWriter::finish(qint16 lastLap)
{
    Entry e;
    e.kind = EntryKind::Finish;
    e.lastLap = lastLap;
    return d->push(e);
}

bool JournalWriter::comments(const QString &comments)
{
    Entry e;
    e.kind = EntryKind::Comments;
    e.text = new QString(comments);
    return d->push(e);
}

bool JournalWriter::edit(const JournalSnapshot &snapshot)
{
    Entry e;
    e.kind = EntryKind::Edit;
    e.snapshot = new JournalSnapshot(snapshot);
    return d->push(e);
}

bool JournalWriter::resume(JournalClaim &&claim, qint64 goodLength, const QString &damagedCopyPath)
{
    if (!claim.isHeld())
        return false; // another program's journal, or none: never carried on
    Entry e;
    e.kind = EntryKind::Resume;
    e.opened = new OpenedJournal;
    e.opened->path = claim.path();
    e.opened->writable = claim.isWritable();
    e.opened->error = claim.openError();
    e.opened->fd = claim.takeDescriptor();
    e.text = new QString(damagedCopyPath);
    e.length = goodLength;
    return d->push(e);
}

bool JournalWriter::close(JournalClose how)
{
    Entry e;
    e.kind = EntryKind::Close;
    e.close = how;
    return d->push(e);
}

bool JournalWriter::protectionFailed() const { return d->failState.load() != Protected; }

bool JournalWriter::takeFailureNotice()
{
    int expected = FailedUnreported;
    return d->failState.compare_exchange_strong(expected, FailedReported);
}

QString JournalWriter::failureReason() const
{
    if (!protectionFailed())
        return QString();
    const int error = d->failErrno.load();
    if (error == 0)
        return QStringLiteral("the journal queue was full");
    return qt_error_string(error);
}

std::uint64_t JournalWriter::queuedCount() const { return d->ring.pushed(); }
std::uint64_t JournalWriter::settledCount() const { return d->settled.load(std::memory_order_acquire); }
std::uint64_t JournalWriter::overflowCount() const { return d->overflows.load(); }
std::uint64_t JournalWriter::syncCount() const { return d->syncs.load(); }

QString JournalWriter::currentPath() const
{
    std::lock_guard<std::mutex> lock(d->pathMutex);
    return d->openPath;
}

void JournalWriter::runCycle()
{
    Q_ASSERT(!d->thread.joinable());
    d->runCycle();
}

} // namespace sw
