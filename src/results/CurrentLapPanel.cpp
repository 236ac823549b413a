#include "results/CurrentLapPanel.h"

#include "race/ConditionLists.h"
#include "race/NumberText.h"
#include "race/Race.h"
#include "ui/ClickPanel.h"
#include "ui/Geometry.h"
#include "ui/Prompts.h"
#include "ui/TextFit.h"

#include <QApplication>
#include <QDialog>
#include <QFocusEvent>
#include <QPointer>
#include <QSignalBlocker>
#include <QTimer>
#include <QWindow>

namespace sw {

CurrentLapPanel::CurrentLapPanel(Race &race, MainWindowControls &ui, Prompts &prompts, QWidget *window)
    : QObject(window), m_race(race), m_ui(ui), m_prompts(prompts), m_window(window)
{
    for (int i = 1; i <= 4; ++i) {
        ui.segmentFields[size_t(i)]->installEventFilter(this);
        connect(ui.segmentFields[size_t(i)], &QLineEdit::textChanged, this, [this, i] { textChanged(i); });
        QLineEdit *field = ui.segmentFields[size_t(i)];
        connect(field, &QLineEdit::textChanged, field, [field] { fitFieldFont(field); });
    }
    for (int i : {0, 5, 6, 7, 10})
        ui.listField(i)->installEventFilter(this);
    for (int i : {0, 5, 6, 7})
        connect(ui.listField(i), qOverload<int>(&QComboBox::currentIndexChanged), this,
                [this, i] { listClick(i); });
    for (int i = 0; i < 8; ++i)
        connect(ui.fieldCaptions[size_t(i)], &ClickPanel::clicked, this, [this, i] { onFieldCaptionClicked(i); });
    connect(ui.optionsMenu, &QMenu::aboutToShow, this, &CurrentLapPanel::onOptionsMenuOpening);
    connect(ui.numberOfSegmentsAction, &QAction::triggered, this, &CurrentLapPanel::changeNumberOfSegments);

    // The lists are filled once; a refill is not a change by the operator.
    auto fill = [](QComboBox *c, const QStringList &items) {
        const QSignalBlocker b(c);
        c->clear();
        c->addItems(items);
    };
    fill(ui.lapList, lapItems());
    fill(ui.flagList, flagItems());
    fill(ui.positionList, positionItems());
    fill(ui.trafficList, trafficItems());
    ui.lapList->setCurrentIndex(0);
    showConditionsNow();

    connect(&race, &Race::readingRecorded, this, &CurrentLapPanel::showRecordedSegments);
    connect(&race, &Race::conditionsChanged, this, &CurrentLapPanel::showConditionsNow);
    connect(&race, &Race::selectedLapChanged, this, &CurrentLapPanel::showSelectedLap);
    // A race put back whole while it runs shows the lap last recorded.
    connect(&race, &Race::recordChanged, this, [this] {
        if (m_race.state() != RaceState::Running)
            return;
        const int lap = m_race.currentSegment() > 1 ? m_race.currentLap() : m_race.currentLap() - 1;
        const int seg = m_race.currentSegment() > 1 ? m_race.currentSegment() - 1 : m_race.segmentsPerLap();
        showRecordedSegments(lap, seg);
    });
    connect(&race, &Race::replaced, this, [this] {
        const QSignalBlocker b(m_ui.lapList);
        m_ui.lapList->setCurrentIndex(0);
    });
    connect(&race, &Race::stateChanged, this, [this](RaceState state) {
        if (state == RaceState::Armed) {
            const QSignalBlocker b(m_ui.lapList);
            m_ui.lapList->setCurrentIndex(0);
        }
        if (state != RaceState::Finished)
            showConditionsNow();
    });

    // Tab order of the "Current Lap" frame; the hidden focus field and the
    // arrow buttons stay out of it.
    QWidget *order[] = {ui.lapList, ui.segmentFields[1], ui.segmentFields[2], ui.segmentFields[3],
                        ui.segmentFields[4],    ui.flagList, ui.positionList, ui.trafficList,
                        ui.insertButton,    ui.deleteButton,  ui.startRestartButton,  ui.finishKeepButton,
                        ui.cancelChangesButton,    ui.graphQuantityList};
    for (size_t k = 0; k + 1 < sizeof order / sizeof order[0]; ++k)
        QWidget::setTabOrder(order[k], order[k + 1]);
    ui.timingFocusHolder->setFocusPolicy(Qt::ClickFocus);

    // Which window had the focus before the main window got it back.
    connect(qApp, &QGuiApplication::focusWindowChanged, this, &CurrentLapPanel::noteFocusWindow);
    for (QPushButton *b : ui.arrowButtons)
        b->setFocusPolicy(Qt::NoFocus);
}

int CurrentLapPanel::textFieldIndex(const QObject *o) const
{
    for (int i = 1; i <= 4; ++i)
        if (m_ui.segmentFields[size_t(i)] == o)
            return i;
    return 0;
}

int CurrentLapPanel::listIndex(const QObject *o) const
{
    for (int i : {0, 5, 6, 7, 10})
        if (m_ui.listField(i) == o)
            return i;
    return -1;
}

bool CurrentLapPanel::eventFilter(QObject *o, QEvent *e)
{
    if (e->type() != QEvent::FocusIn && e->type() != QEvent::FocusOut)
        return false;
    // Switching to another program or opening a list's popup is no move
    // between fields.
    const Qt::FocusReason reason = static_cast<QFocusEvent *>(e)->reason();
    if (reason == Qt::ActiveWindowFocusReason || reason == Qt::PopupFocusReason) {
        // A field can be given the focus while the window is inactive (after
        // a warning, before the window manager hands the window back): it
        // then only learns it has the focus on activation.
        const int t = textFieldIndex(o);
        if (t && e->type() == QEvent::FocusIn && m_focusText != t)
            textGotFocus(t);
        return false;
    }
    if (const int t = textFieldIndex(o)) {
        if (e->type() == QEvent::FocusIn)
            textGotFocus(t);
        else if (m_focusText == t)
            textLostFocus(t);
    } else {
        const int l = listIndex(o);
        if (l >= 0) {
            if (e->type() == QEvent::FocusIn)
                listGotFocus(l);
        }
    }
    return false;
}

void CurrentLapPanel::textGotFocus(int i)
{
    m_focusText = i;
    currentField = i;
    m_ui.helpLine->clear(); // the fields carry no help text
    fieldOldValue = m_ui.segmentFields[size_t(i)]->text();
    m_ui.segmentFields[size_t(i)]->selectAll();
}

void CurrentLapPanel::textChanged(int i)
{
    // The program rewrote the field being edited (another lap shown, or the
    // same lap shown again): what leaves it is compared with the new text.
    QLineEdit *field = m_ui.segmentFields[size_t(i)];
    if (!field->isModified() && i == m_focusText)
        fieldOldValue = field->text();
}

void CurrentLapPanel::textLostFocus(int i)
{
    auto &ui = m_ui;
    m_focusText = 0;
    QLineEdit *field = ui.segmentFields[size_t(i)];
    const QString t = field->text();
    // A field the focus only passes through on its way back to a refused
    // entry is left as it is.
    const bool passingThrough = m_returnTo != 0 && m_returnTo != i && t == fieldOldValue;
    if (!t.isEmpty() && !passingThrough) {
        ui.helpLine->clear();
        const double v = val(t);
        field->setText(plainNumber(v));
        // Every value the operator changed is checked, whatever happened
        // before; a value left as the program wrote it is the record's own.
        if (t != fieldOldValue) {
            // Compared in double precision, so no value above 1000 slips
            // through a single-precision rounding.
            if (v > maxSegmentSeconds || v < minSegmentSeconds) {
                m_prompts.message({QStringLiteral("Warning"),
                                       ui.fieldCaptions[size_t(i)]->text() + QStringLiteral(" = ") + field->text()
                                           + QStringLiteral(".  Value must be between ")
                                           + numberText(minSegmentSeconds) + QStringLiteral(" and ")
                                           + numberText(maxSegmentSeconds) + QStringLiteral(" ."),
                                       Buttons::Ok, Icon::Exclamation, Answer::Ok});
                field->setText(fieldOldValue);
                // The focus has already moved on when the field is left: it
                // comes back here once the warning is done. The field it
                // passed through is unchanged, so it is not checked.
                if (field->isEnabled()) {
                    m_returnTo = i;
                    QPointer<QLineEdit> back(field);
                    QTimer::singleShot(0, this, [this, back] {
                        if (back)
                            back->setFocus(Qt::OtherFocusReason);
                        m_returnTo = 0;
                    });
                }
            }
        }
    }
    if (i >= 1 && i <= 3) {
        // The time taken from (or given to) this segment goes to the next
        // one, so the lap time on screen stays the same.
        const double d = val(field->text()) - val(fieldOldValue);
        QLineEdit *next = ui.segmentFields[size_t(i + 1)];
        next->setText(formatTime(val(next->text()) - d));
    }
}

void CurrentLapPanel::listGotFocus(int)
{
    m_ui.helpLine->clear();
}

Conditions CurrentLapPanel::listConditions() const
{
    return {m_ui.flagList->currentIndex(), m_ui.positionList->currentIndex(), m_ui.trafficList->currentIndex()};
}

std::array<double, 5> CurrentLapPanel::fieldTimes() const
{
    std::array<double, 5> values{};
    for (int n = 1; n <= 4; ++n)
        values[size_t(n)] = val(m_ui.segmentFields[size_t(n)]->text());
    return values;
}

void CurrentLapPanel::showConditionsNow()
{
    if (m_race.state() == RaceState::Finished)
        return;
    const Conditions c = m_race.conditionsNow();
    for (QComboBox *list : {m_ui.flagList, m_ui.positionList, m_ui.trafficList}) {
        const QSignalBlocker b(list);
        list->setCurrentIndex(list == m_ui.flagList ? c.flag : list == m_ui.positionList ? c.position : c.traffic);
    }
}

void CurrentLapPanel::showRecordedSegments(int lap, int segment)
{
    if (lap < 1)
        return; // the start press ends no segment
    for (int i = 1; i <= segment; ++i) {
        const std::optional<double> t = m_race.segmentTime(lap, i);
        m_ui.segmentFields[size_t(i)]->setText(t ? formatTime(*t) : QString());
    }
}

void CurrentLapPanel::showSelectedLap()
{
    if (m_race.state() != RaceState::Finished)
        return;
    const int lap = m_race.selectedLap();
    if (lap < 1) {
        // A race finished without a lap: no lap to show.
        const QSignalBlocker blockLaps(m_ui.lapList);
        m_ui.lapList->setCurrentIndex(-1);
        return;
    }
    const QSignalBlocker blockLaps(m_ui.lapList);
    m_ui.lapList->setCurrentIndex(lap - 1);
    for (int i = 1; i <= m_race.segmentsPerLap(); ++i) {
        const std::optional<double> t = m_race.segmentTime(lap, i);
        m_ui.segmentFields[size_t(i)]->setText(t ? formatTime(*t) : QString());
    }
    const Conditions c = m_race.lapConditions(lap);
    for (QComboBox *list : {m_ui.flagList, m_ui.positionList, m_ui.trafficList}) {
        const QSignalBlocker b(list);
        list->setCurrentIndex(list == m_ui.flagList ? c.flag : list == m_ui.positionList ? c.position : c.traffic);
    }
}

void CurrentLapPanel::listClick(int i)
{
    const int pos = m_ui.listField(i)->currentIndex();

    if (m_race.state() == RaceState::Finished) {
        // The lap list shows another lap; a condition chosen waits for Keep
        // Changes.
        if (i == LapField)
            m_race.selectLap(pos + 1);
        return;
    }
    // The list chosen in sets its own condition; the others stay as they are.
    if (i == FlagField || i == PositionField || i == TrafficField) {
        Conditions now = m_race.conditionsNow();
        now.set(Condition(i - FlagField), pos);
        m_race.setConditions(now);
    }
}

void CurrentLapPanel::onFieldCaptionClicked(int i)
{
    auto &ui = m_ui;
    ui.helpLine->clear();
    QWidget *target = isListField(i) ? static_cast<QWidget *>(ui.listField(i))
                                    : static_cast<QWidget *>(ui.segmentFields[size_t(i)]);
    if (target && target->isVisible())
        target->setFocus(Qt::MouseFocusReason);
}

bool CurrentLapPanel::handlesArrowFor(QWidget *w) const
{
    if (textFieldIndex(w) || listIndex(w) >= 0)
        return true;
    for (QPushButton *b : m_ui.arrowButtons)
        if (b == w)
            return true;
    return false;
}

bool CurrentLapPanel::fieldKeyDown(QWidget *w, int key)
{
    const RaceState state = m_race.state();
    if (state == RaceState::Armed || state == RaceState::Running) {
        emit conditionKey(key);
        return true;
    }
    if (state == RaceState::Finished) {
        // The selectors are hidden in the editing face and pick nothing; the
        // key stays with the field, so Left and Right move the caret in a
        // segment field and Up and Down step a list (the lap list then
        // shows the next or previous lap).
        return false;
    }
    // During setup Up and Down move between the fields (a list keeps its
    // item: the key never reaches it).
    Q_UNUSED(w);
    if (key == Qt::Key_Up || key == Qt::Key_Down) {
        emit moveFocus(key == Qt::Key_Down);
        return true;
    }
    return false; // Left and Right move the cursor in a text field
}

void CurrentLapPanel::noteFocusWindow(QWindow *window)
{
    if (window && window == m_window->windowHandle())
        return;
    // Only another window of the program (the comments or about window)
    // counts as leaving the main window. A message box, an input box, a file
    // dialog or a list's popup is part of the work in hand on the main
    // window, and coming back from another program is no change either.
    m_returnRefills = false;
    if (!window)
        return;
    const QWidgetList tops = QApplication::topLevelWidgets();
    for (QWidget *t : tops) {
        if (t->windowHandle() == window) {
            m_returnRefills = t->windowType() == Qt::Window && !qobject_cast<QDialog *>(t);
            return;
        }
    }
}

void CurrentLapPanel::refillOnActivate()
{
    const bool refill = m_firstActivation || m_returnRefills;
    m_firstActivation = false;
    m_returnRefills = false;
    if (!refill)
        return;
    // During a race and after it the fields show the lap being timed or
    // edited, and the lists hold the conditions the next laps carry: they
    // are kept, so coming back to the window loses nothing.
    if (m_race.state() != RaceState::Setup)
        return;
    for (int i = 1; i <= 4; ++i)
        m_ui.segmentFields[size_t(i)]->clear();
    {
        const QSignalBlocker b(m_ui.lapList);
        m_ui.lapList->setCurrentIndex(-1);
    }
    // A set-up race has no conditions chosen until the operator chooses
    // (arming gives the unchosen ones their defaults).
    m_race.setConditions({-1, -1, -1});
}

void CurrentLapPanel::onOptionsMenuOpening()
{
    m_ui.numberOfSegmentsAction->setText(QStringLiteral("Change Number Segments (currently")
                                         + numberText(m_race.segmentsPerLap()) + QStringLiteral(")"));
}

void CurrentLapPanel::changeNumberOfSegments()
{
    Prompts &p = m_prompts;
    p.info(QStringLiteral("Changing the number of segments will restart the race timing, and erase "
                          "any results you have not saved."));
    for (;;) {
        const std::optional<QString> answer =
            p.input(QStringLiteral("Number of Segments"),
                    QStringLiteral("Enter the number of segments, a number from 1 to 4.  (Entering 1 "
                                   "means you will record complete lap times only.)"),
                    numberText(m_race.segmentsPerLap()));
        if (!answer || answer->isEmpty())
            return;
        const double v = val(*answer);
        if (startsWithNumber(*answer) && v >= 1 && v <= 4) {
            m_race.setSegmentsPerLap(int(roundHalfEven(v)));
            return;
        }
        p.info(QStringLiteral("You must enter a number from 1 to 4.  Try again."));
    }
}

} // namespace sw
