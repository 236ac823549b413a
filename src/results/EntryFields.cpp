#include "results/EntryFields.h"

#include "state/AppState.h"
#include "ui/MainWindowBase.h"
#include "timing/NumberText.h"
#include "ui/ClickPanel.h"
#include "ui/Geometry.h"
#include "ui/Prompts.h"

#include <QApplication>
#include <QDialog>
#include <QFocusEvent>
#include <QPointer>
#include <QSignalBlocker>
#include <QTimer>
#include <QWindow>

namespace sw {

EntryFields::EntryFields(MainWindowBase &w) : QObject(&w), m_w(w)
{
    auto &ui = w.ui;
    for (int i = 1; i <= 4; ++i) {
        ui.segmentFields[i]->installEventFilter(this);
        connect(ui.segmentFields[i], &QLineEdit::textChanged, this, [this, i] { textChanged(i); });
    }
    for (int i : {0, 5, 6, 7, 10}) {
        ui.listField(i)->installEventFilter(this);
        connect(ui.listField(i), qOverload<int>(&QComboBox::currentIndexChanged), this,
                [this, i] { listClick(i); });
    }
    for (int i = 0; i < 8; ++i)
        connect(ui.fieldCaptions[i], &ClickPanel::clicked, this, [this, i] { onFieldCaptionClicked(i); });
    connect(ui.optionsMenu, &QMenu::aboutToShow, this, &EntryFields::onOptionsMenuOpening);
    connect(ui.numberOfSegmentsAction, &QAction::triggered, this, &EntryFields::changeNumberOfSegments);

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
    connect(qApp, &QGuiApplication::focusWindowChanged, this, &EntryFields::noteFocusWindow);
    for (QPushButton *b : ui.arrowButtons)
        b->setFocusPolicy(Qt::NoFocus);
}

int EntryFields::textFieldIndex(const QObject *o) const
{
    for (int i = 1; i <= 4; ++i)
        if (m_w.ui.segmentFields[i] == o)
            return i;
    return 0;
}

int EntryFields::listIndex(const QObject *o) const
{
    for (int i : {0, 5, 6, 7, 10})
        if (m_w.ui.listField(i) == o)
            return i;
    return -1;
}

bool EntryFields::eventFilter(QObject *o, QEvent *e)
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
            else
                listLostFocus(l);
        }
    }
    return false;
}

void EntryFields::textGotFocus(int i)
{
    AppState &s = m_w.state();
    m_focusText = i;
    s.rangeCheckSuspended = false;
    currentField = i;
    m_w.ui.helpLine->clear(); // the fields carry no help text
    fieldOldValue = m_w.ui.segmentFields[i]->text();
    m_w.ui.segmentFields[i]->selectAll();
}

void EntryFields::textChanged(int i)
{
    // Only typing is a change of the operator's; the program rewriting the
    // fields to show a lap is none.
    QLineEdit *field = m_w.ui.segmentFields[i];
    if (field->isModified())
        m_w.state().unsavedChanges = true;
    // The program rewrote the field being edited (another lap shown, or the
    // same lap shown again): what leaves it is compared with the new text.
    else if (i == m_focusText)
        fieldOldValue = field->text();
}

void EntryFields::textLostFocus(int i)
{
    auto &ui = m_w.ui;
    m_focusText = 0;
    QLineEdit *field = ui.segmentFields[i];
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
                m_w.prompts().message({QStringLiteral("Warning"),
                                       ui.fieldCaptions[i]->text() + QStringLiteral(" = ") + field->text()
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
        QLineEdit *next = ui.segmentFields[i + 1];
        next->setText(formatTime(val(next->text()) - d));
    }
}

void EntryFields::listGotFocus(int i)
{
    m_w.ui.helpLine->clear();
    listFocusIndex = m_w.ui.listField(i)->currentIndex();
    listRestore = 0;
    m_w.state().rangeCheckSuspended = false;
}

void EntryFields::listLostFocus(int i)
{
    if (listRestore == 1) {
        const QSignalBlocker b(m_w.ui.listField(i));
        m_w.ui.listField(i)->setCurrentIndex(listSavedIndex);
        listRestore = 0;
    }
}

void EntryFields::applyFlagColour()
{
    const Palette colour = m_w.ui.flagList->currentIndex() == 0 ? Palette::Green : Palette::Yellow;
    for (QLabel *label : m_w.ui.flagColouredLabels())
        setForeColour(label, colour);
}

void EntryFields::showConditionTexts()
{
    auto &ui = m_w.ui;
    ui.positionDisplay->setText(ui.positionList->currentText());
    ui.flagDisplay->setText(ui.flagList->currentText());
    ui.trafficDisplay->setText(ui.trafficList->currentText());
    applyFlagColour();
}

void EntryFields::listClick(int i)
{
    AppState &s = m_w.state();
    auto &ui = m_w.ui;
    QComboBox *list = ui.listField(i);
    if (listRestore == 1) {
        const QSignalBlocker b(list);
        list->setCurrentIndex(listSavedIndex);
        listRestore = 0;
        return;
    }
    const int pos = list->currentIndex();
    if (pos != listFocusIndex)
        s.unsavedChanges = true;
    listFocusIndex = pos;

    if (s.rec.raceState == RaceState::Finished) {
        if (i == 0) {
            s.grid.Row = pos + 1;
            m_w.onGridClicked();
            m_w.showScreenMode();
            m_w.drawGraph();
        } else if (i == 10) {
            m_w.drawGraph();
        }
        return;
    }
    if (i == 6) {
        ui.positionDisplay->setText(list->currentText());
    } else if (i == 5) {
        ui.flagDisplay->setText(list->currentText());
        applyFlagColour();
    } else if (i == 7) {
        ui.trafficDisplay->setText(list->currentText());
    }
    m_w.showScreenMode();
}

void EntryFields::onFieldCaptionClicked(int i)
{
    auto &ui = m_w.ui;
    ui.helpLine->clear();
    QWidget *target = isListField(i) ? static_cast<QWidget *>(ui.listField(i))
                                    : static_cast<QWidget *>(ui.segmentFields[i]);
    if (target && target->isVisible())
        target->setFocus(Qt::MouseFocusReason);
}

bool EntryFields::handlesArrowFor(QWidget *w) const
{
    if (textFieldIndex(w) || listIndex(w) >= 0)
        return true;
    for (QPushButton *b : m_w.ui.arrowButtons)
        if (b == w)
            return true;
    return false;
}

bool EntryFields::fieldKeyDown(QWidget *w, int keyCode)
{
    const RaceState state = m_w.state().rec.raceState;
    if (state == RaceState::Armed || state == RaceState::Running) {
        m_w.moveConditionSelector(keyCode);
        return true;
    }
    if (state == RaceState::Finished) {
        // The selectors are hidden in the editing face and pick nothing; the
        // key stays with the field, so Left and Right move the caret in a
        // segment field and Up and Down step a list (the lap list then
        // shows the next or previous lap).
        m_w.moveConditionSelector(keyCode);
        return false;
    }
    const int l = listIndex(w);
    if (l >= 0)
        listRestore = 0;
    if (keyCode == 38 || keyCode == 40) {
        if (l >= 0) {
            listSavedIndex = m_w.ui.listField(l)->currentIndex();
            listRestore = 1;
        }
        if (keyCode == 38)
            m_w.moveFocus(false);
        else
            m_w.moveFocus(true);
        return true;
    }
    return false; // Left and Right move the cursor in a text field
}

void EntryFields::noteFocusWindow(QWindow *window)
{
    if (window && window == m_w.windowHandle())
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

void EntryFields::refillOnActivate()
{
    const bool refill = m_firstActivation || m_returnRefills;
    m_firstActivation = false;
    m_returnRefills = false;
    if (!refill)
        return;
    AppState &s = m_w.state();
    // During a race and after it the fields show the lap being timed or
    // edited, and the lists hold the conditions the next laps carry: they
    // are kept, so coming back to the window loses nothing.
    if (s.rec.raceState != RaceState::Setup)
        return;
    const bool specsChanged = s.unsavedChanges;
    auto &ui = m_w.ui;
    for (int i = 1; i <= 4; ++i) {
        s.rangeCheckSuspended = true;
        ui.segmentFields[i]->clear();
    }
    for (int i : {0, 5, 6, 7}) {
        const QSignalBlocker b(ui.listField(i));
        ui.listField(i)->setCurrentIndex(-1);
    }
    s.unsavedChanges = specsChanged;
}

void EntryFields::onOptionsMenuOpening()
{
    m_w.ui.numberOfSegmentsAction->setText(QStringLiteral("Change Number Segments (currently")
                              + numberText(m_w.state().rec.NumSegs) + QStringLiteral(")"));
}

void EntryFields::changeNumberOfSegments()
{
    AppState &s = m_w.state();
    Prompts &p = m_w.prompts();
    p.info(QStringLiteral("Changing the number of segments will restart the race timing, and erase "
                          "any results you have not saved."));
    for (;;) {
        const std::optional<QString> answer =
            p.input(QStringLiteral("Number of Segments"),
                    QStringLiteral("Enter the number of segments, a number from 1 to 4.  (Entering 1 "
                                   "means you will record complete lap times only.)"),
                    numberText(s.rec.NumSegs));
        if (!answer || answer->isEmpty())
            return;
        const double v = val(*answer);
        if (startsWithNumber(*answer) && v >= 1 && v <= 4) {
            s.rec.NumSegs = static_cast<qint16>(roundHalfEven(v));
            m_w.eraseLapTimes(RecordErase::RecordAndGrid);
            m_w.refreshResults();
            // Show or hide the segment fields for the new count at once.
            m_w.showScreenMode();
            return;
        }
        p.info(QStringLiteral("You must enter a number from 1 to 4.  Try again."));
    }
}

} // namespace sw
