#pragma once
// "Program Help": the help document (help/TimerHelp.txt below the program
// folder) opens in an external viewer. The viewers are tried in a fixed
// order, stopping at the first that runs (one that ends with an error at once
// counts as not found); the program does not wait for it. The command object
// may go once showProgramHelp returns; the prompts and the launcher must last
// until the launcher's last verdict.

#include <QString>
#include <QStringList>

#include <vector>

namespace sw {

class ProgramLauncher;
class Prompts;

struct ViewerCommand
{
    QString program;
    QStringList arguments; // the document's path is the last argument
};

class HelpCommand
{
public:
    enum class System { Windows, MacOS, Other };

    HelpCommand(const QString &documentPath, Prompts &prompts, ProgramLauncher &launcher);

    void showProgramHelp();

    // The four viewers in the order they are tried, for the given system.
    static std::vector<ViewerCommand> viewerCommands(const QString &documentPath, System system);
    static System currentSystem();

    static QString finishedViewingText();
    static QString noViewerText();

private:
    QString m_documentPath;
    Prompts &m_prompts;
    ProgramLauncher &m_launcher;
};

} // namespace sw
