#pragma once
// View > "Race Analysis": opens the analysis window and keeps it following
// the race: the live race's laps after every press and edit (gathered into
// one update when the event loop is next free, so the timing path never
// waits for the chart), the selected lap both ways, and the graph's quantity
// and colouring.

#include <QObject>

#include <memory>

class QSettings;

namespace sw {

class Race;
class Prompts;
class PrinterSource;
class ResultsPanel;
class RaceAnalysisWindow;
struct FileState;
struct MainWindowControls;

class RaceAnalysisLink : public QObject
{
    Q_OBJECT
public:
    RaceAnalysisLink(Race &race, MainWindowControls &ui, ResultsPanel &results, const FileState &files,
                     Prompts &prompts, PrinterSource &printers, QWidget *mainWindow);
    ~RaceAnalysisLink() override;

    void open();
    RaceAnalysisWindow *window() const { return m_window.get(); }

private:
    void scheduleUpdate();
    void update();

    Race &m_race;
    MainWindowControls &m_ui;
    ResultsPanel &m_results;
    const FileState &m_files;
    Prompts &m_prompts;
    PrinterSource &m_printers;
    QWidget *m_mainWindow;
    std::unique_ptr<QSettings> m_settings;
    std::unique_ptr<RaceAnalysisWindow> m_window;
    bool m_updateDue = false;
};

} // namespace sw
