#include "help/HelpCommand.h"

#include "help/ProgramLauncher.h"
#include "ui/Prompts.h"

#include <functional>
#include <memory>

namespace sw {

HelpCommand::HelpCommand(const QString &documentPath, Prompts &prompts,
                         ProgramLauncher &launcher)
    : m_documentPath(documentPath), m_prompts(prompts), m_launcher(launcher)
{
}

QString HelpCommand::finishedViewingText()
{
    return QStringLiteral("When you are finished viewing the Help document, click on the [X] "
                          "box in the upper right corner to return to the Splitwatch.");
}

QString HelpCommand::noViewerText()
{
    return QStringLiteral("An appropriate viewer was not found on your system.");
}

HelpCommand::System HelpCommand::currentSystem()
{
#if defined(Q_OS_WIN)
    return System::Windows;
#elif defined(Q_OS_MACOS)
    return System::MacOS;
#else
    return System::Other;
#endif
}

std::vector<ViewerCommand> HelpCommand::viewerCommands(const QString &documentPath,
                                                       System system)
{
    // The path goes over as one argument, so blanks in it do no harm.
    switch (system) {
    case System::Windows: {
        // Windows paths, whatever system the list is made on.
        const QString doc = QString(documentPath).replace(QLatin1Char('/'), QLatin1Char('\\'));
        return {{QStringLiteral("C:\\Progra~1\\Access~1\\WORDPAD.EXE"), {doc}},
                {QStringLiteral("C:\\Windows\\WORDPAD.EXE"), {doc}},
                {QStringLiteral("notepad"), {doc}},
                {QStringLiteral("c:\\Windows\\notepad"), {doc}}};
    }
    case System::MacOS:
        return {{QStringLiteral("open"), {QStringLiteral("-e"), documentPath}},
                {QStringLiteral("open"), {documentPath}},
                {QStringLiteral("xdg-open"), {documentPath}},
                {QStringLiteral("xterm"), {QStringLiteral("-e"), QStringLiteral("less"), documentPath}}};
    case System::Other:
        break;
    }
    return {{QStringLiteral("xdg-open"), {documentPath}},
            {QStringLiteral("gio"), {QStringLiteral("open"), documentPath}},
            {QStringLiteral("gedit"), {documentPath}},
            {QStringLiteral("xterm"), {QStringLiteral("-e"), QStringLiteral("less"), documentPath}}};
}

void HelpCommand::showProgramHelp()
{
    m_prompts.info(finishedViewingText());
    // The verdict on each viewer comes later from the event loop, so the
    // window is not held up while one is watched; the next is tried only
    // when one fails.
    struct Attempts
    {
        std::vector<ViewerCommand> viewers;
        size_t next = 0;
        Prompts *prompts;
        ProgramLauncher *launcher;
    };
    auto attempts = std::make_shared<Attempts>(
            Attempts{viewerCommands(m_documentPath, currentSystem()), 0, &m_prompts, &m_launcher});
    auto tryNext = std::make_shared<std::function<void()>>();
    *tryNext = [attempts, weak = std::weak_ptr<std::function<void()>>(tryNext)] {
        if (attempts->next >= attempts->viewers.size()) {
            attempts->prompts->info(noViewerText());
            return;
        }
        const ViewerCommand &v = attempts->viewers[attempts->next++];
        const std::shared_ptr<std::function<void()>> again = weak.lock();
        attempts->launcher->start(v.program, v.arguments, [again](bool runs) {
            if (!runs)
                (*again)();
        });
    };
    (*tryNext)();
}

} // namespace sw
