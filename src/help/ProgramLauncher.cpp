#include "help/ProgramLauncher.h"

#include <QProcess>
#include <QTimer>

#include <memory>

namespace sw {

ProcessLauncher::~ProcessLauncher()
{
    // A viewer outlives the program that opened it: its process object is
    // let go of (never deleted, which would kill it) and tells no one.
    for (const QPointer<QProcess> &p : std::as_const(m_processes))
        if (p)
            QObject::disconnect(p, nullptr, nullptr, nullptr);
}

void ProcessLauncher::start(const QString &program, const QStringList &arguments, Verdict verdict)
{
    m_processes.removeAll(nullptr);
    auto *process = new QProcess;
    m_processes.append(process);
    auto *grace = new QTimer(process);
    grace->setSingleShot(true);
    auto pending = std::make_shared<Verdict>(std::move(verdict));
    auto tell = [pending, grace](bool runs) {
        grace->stop();
        if (!*pending)
            return;
        const Verdict v = std::move(*pending);
        *pending = nullptr;
        v(runs);
    };
    QObject::connect(grace, &QTimer::timeout, process, [tell] { tell(true); });
    QObject::connect(process, &QProcess::finished, process, [tell, process](int code, QProcess::ExitStatus status) {
        tell(status == QProcess::NormalExit && code == 0);
        process->deleteLater();
    });
    QObject::connect(process, &QProcess::errorOccurred, process, [tell, process](QProcess::ProcessError e) {
        if (e != QProcess::FailedToStart)
            return; // a crash also ends in finished
        tell(false);
        process->deleteLater();
    });
    // Nobody talks to the viewer or reads what it writes; a full pipe must
    // not stall it.
    process->setStandardInputFile(QProcess::nullDevice());
    process->setStandardOutputFile(QProcess::nullDevice());
    process->setStandardErrorFile(QProcess::nullDevice());
    process->setProgram(program);
    process->setArguments(arguments);
    grace->start(m_graceMs);
    process->start();
}

} // namespace sw
