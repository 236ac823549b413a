#include "charts/RaceAnalysisLink.h"

#include "analysis/RecordSeries.h"
#include "charts/RaceAnalysisWindow.h"
#include "files/FileState.h"
#include "graph/GraphRules.h"
#include "race/Race.h"
#include "results/ResultsPanel.h"
#include "ui/MainWindowControls.h"

#include <QSettings>
#include <QTimer>

namespace sw {

RaceAnalysisLink::RaceAnalysisLink(Race &race, MainWindowControls &ui, ResultsPanel &results,
                                   const FileState &files, Prompts &prompts, PrinterSource &printers,
                                   QWidget *mainWindow)
    : QObject(mainWindow), m_race(race), m_ui(ui), m_results(results), m_files(files), m_prompts(prompts),
      m_printers(printers), m_mainWindow(mainWindow)
{
    connect(ui.raceAnalysisAction, &QAction::triggered, this, &RaceAnalysisLink::open);
    connect(&race, &Race::readingRecorded, this, &RaceAnalysisLink::scheduleUpdate);
    connect(&race, &Race::recordChanged, this, &RaceAnalysisLink::scheduleUpdate);
    connect(&race, &Race::stateChanged, this, &RaceAnalysisLink::scheduleUpdate);
    connect(&results, &ResultsPanel::lapFilterChanged, this, &RaceAnalysisLink::scheduleUpdate);
    connect(&race, &Race::selectedLapChanged, this, [this](int lap) {
        if (m_window)
            m_window->setSelectedLap(lap);
    });
    connect(ui.graphQuantityList, qOverload<int>(&QComboBox::currentIndexChanged), this, [this](int i) {
        if (m_window && i >= 0)
            m_window->setQuantity(i);
    });
    for (int i = 0; i < 3; ++i)
        connect(ui.graphColourOptions[size_t(i)], &QRadioButton::clicked, this, [this, i] {
            if (m_window)
                m_window->setColouring(graphColouringFromIndex(i));
        });
}

RaceAnalysisLink::~RaceAnalysisLink() = default;

void RaceAnalysisLink::open()
{
    if (!m_window) {
        m_settings = std::make_unique<QSettings>(QStringLiteral("Splitwatch"), QStringLiteral("Splitwatch"));
        m_window = std::make_unique<RaceAnalysisWindow>(m_prompts, m_printers, *m_settings, m_mainWindow);
        connect(m_window.get(), &RaceAnalysisWindow::lapClicked, &m_results, &ResultsPanel::pickFromGraph);
        update();
        m_window->setSelectedLap(m_race.selectedLap());
    }
    m_window->show();
    m_window->raise();
    m_window->activateWindow();
}

void RaceAnalysisLink::scheduleUpdate()
{
    if (!m_window || m_updateDue)
        return;
    m_updateDue = true;
    QTimer::singleShot(0, this, &RaceAnalysisLink::update);
}

void RaceAnalysisLink::update()
{
    m_updateDue = false;
    if (!m_window)
        return;
    const QString name = m_files.fileTitle.isEmpty() ? QStringLiteral("This race") : m_files.fileTitle;
    m_window->setLapFilter(m_results.lapFilter());
    m_window->setTiming(m_race.isTiming());
    m_window->setLiveSeries(lapSeriesFromRace(m_race, name, m_results.lapFilter()));
}

} // namespace sw
