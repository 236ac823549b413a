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
#include <unistd.h>
#endif
#ifdef Q_OS_WIN
#include <io.h>
#endif

namespace sw {

namespace {

enum class EntryKind : quint8 { Arm, Press, Conditions, Finish, Comments, Edit, Resume, Close };

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
    QString *text = nullptr;   // Comments: the text; Resume: the path
    JournalSnapshot *snapshot = nullptr;
};

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

    // Creates a new file (never an existing one) or opens an existing one
    // cut back to keepBytes. Returns 0 or the system's error number.
    int open(const QString &path, bool create, qint64 keepBytes)
    {
        closeFile();
#ifdef Q_OS_UNIX
        const QByteArray native = QFile::encodeName(path);
        const int flags = O_WRONLY | O_APPEND | O_CLOEXEC | (create ? O_CREAT | O_EXCL : 0);
        int fd;
        do
            fd = ::open(native.constData(), flags, 0600);
        while (fd < 0 && errno == EINTR);
        if (fd < 0)
            return errno;
        // Held until the file is closed: tells a second program this journal is live.
        ::flock(fd, LOCK_EX | LOCK_NB);
        if (!create && ::ftruncate(fd, keepBytes) != 0) {
            const int e = errno;
            ::close(fd);
            return e;
        }
        m_fd = fd;
        if (create) { // the new name itself must survive a power cut
            const QByteArray dir = QFile::encodeName(QFileInfo(path).absolutePath());
            const int dirFd = ::open(dir.constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
            if (dirFd >= 0) {
                ::fsync(dirFd);
                ::close(dirFd);
            }
        }
        return 0;
#else
        m_file.setFileName(path);
        if (create && m_file.exists())
            return EEXIST;
        if (!m_file.open(QIODevice::ReadWrite | (create ? QIODevice::NewOnly : QIODevice::ExistingOnly)))
            return EIO;
        if (!create && !m_file.resize(keepBytes))
            return EIO;
        m_file.seek(m_file.size());
        return 0;
#endif
    }

    // Writes everything, then makes the data durable. 0 or the error number.
    int append(const QByteArray &bytes)
    {
#ifdef Q_OS_UNIX
        const char *p = bytes.constData();
        qsizetype left = bytes.size();
        while (left > 0) {
            const ssize_t n = ::write(m_fd, p, size_t(left));
            if (n < 0) {
                if (errno == EINTR)
                    continue;
                return errno;
            }
            p += n;
            left -= n;
        }
#if defined(Q_OS_LINUX)
        if (::fdatasync(m_fd) != 0)
            return errno;
#else
        if (::fsync(m_fd) != 0)
            return errno;
#endif
        return 0;
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
    int m_fd = -1;
#else
    QFile m_file;
#endif
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
        delete e.text;
        delete e.snapshot;
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

    // Ends the open journal: the close record, then the file goes.
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
        file.closeFile();
        QFile::remove(path);
        setPath(QString());
        broken = false;
    }

    void startRace(const JournalArm &arm)
    {
        // A failure of the last race that was never shown stays to be shown.
        int reported = FailedReported;
        failState.compare_exchange_strong(reported, Protected);
        broken = false;
        // When the folder cannot be made, opening the file below fails with
        // the system's reason (read-only, not a folder, no permission).
        QDir().mkpath(folder);
        const QString base = JournalStore::fileNameFor(QCoreApplication::applicationPid(), arm.wallMs);
        int error = EEXIST;
        QString path;
        for (int n = 1; n <= 9 && error == EEXIST; ++n) {
            path = folder + QLatin1Char('/')
                + (n == 1 ? base : QString(base).replace(QLatin1String(".swj"), QStringLiteral("-%1.swj").arg(n)));
            error = file.open(path, true, 0);
        }
        if (error != 0) {
            broken = true;
            fail(error);
            return;
        }
        setPath(path);
        queue(journalHeaderLine() + journalArmLine(arm));
    }

    void resumeRace(const QString &path, qint64 keep)
    {
        broken = false;
        const int error = file.open(path, false, keep);
        if (error != 0) {
            broken = true;
            fail(error);
            return;
        }
        setPath(path);
    }

    void handle(Entry &e)
    {
        switch (e.kind) {
        case EntryKind::Arm:
            closeJournal(JournalClose::Discarded);
            startRace(e.arm);
            break;
        case EntryKind::Resume:
            closeJournal(JournalClose::Discarded);
            resumeRace(*e.text, e.length);
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
        delete e.text;
        delete e.snapshot;
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
    while (d->ring.pop(&e)) { // only when the thread never ran
        delete e.text;
        delete e.snapshot;
    }
}

bool JournalWriter::arm(const JournalArm &arm)
{
    Entry e;
    e.kind = EntryKind::Arm;
    e.arm = arm;
    return d->push(e);
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

bool JournalWriter::resume(const QString &path, qint64 goodLength)
{
    Entry e;
    e.kind = EntryKind::Resume;
    e.text = new QString(path);
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
