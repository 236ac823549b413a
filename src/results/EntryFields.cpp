#include "results/EntryFields.h"

#include "state/AppState.h"
#include "app/FrmHead.h"
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

EntryFields::EntryFields(FrmHead &w) : QObject(&w), m_w(w)
{
    auto &ui = w.ui;
    for (int i = 1; i <= 4; ++i) {
        ui.SpecData[i]->installEventFilter(this);
        connect(ui.SpecData[i], &QLineEdit::textChanged, this, [this, i] { textChanged(i); });
    }
    for (int i : {0, 5, 6, 7, 10}) {
        ui.cmbSpecData[i]->installEventFilter(this);
        connect(ui.cmbSpecData[i], qOverload<int>(&QComboBox::currentIndexChanged), this,
                [this, i] { listClick(i); });
    }
    for (int i = 0; i < 8; ++i)
        connect(ui.SpecName[i], &ClickPanel::clicked, this, [this, i] { SpecName_Click(i); });
    connect(ui.mnuOptions, &QMenu::aboutToShow, this, &EntryFields::mnuOptions_Opening);
    connect(ui.mnuNumSeg, &QAction::triggered, this, &EntryFields::mnuNumSeg_Click);

    // Tab order of the "Current Lap" frame; the hidden focus field and the
    // arrow buttons stay out of it.
    QWidget *order[] = {ui.cmbSpecData[0], ui.SpecData[1], ui.SpecData[2], ui.SpecData[3],
                        ui.SpecData[4],    ui.cmbSpecData[5], ui.cmbSpecData[6], ui.cmbSpecData[7],
                        ui.Command3[0],    ui.Command3[1],  ui.Command3[2],  ui.Command3[3],
                        ui.Command3[4],    ui.cmbSpecData[10]};
    for (size_t k = 0; k + 1 < sizeof order / sizeof order[0]; ++k)
        QWidget::setTabOrder(order[k], order[k + 1]);
    ui.Text2->setFocusPolicy(Qt::ClickFocus);

    // Which window had the focus before the main window got it back.
    connect(qApp, &QGuiApplication::focusWindowChanged, this, &EntryFields::noteFocusWindow);
    for (QPushButton *b : ui.Command1)
        b->setFocusPolicy(Qt::NoFocus);
}

int EntryFields::textFieldIndex(const QObject *o) const
{
    for (int i = 1; i <= 4; ++i)
        if (m_w.ui.SpecData[i] == o)
            return i;
    return 0;
}

int EntryFields::listIndex(const QObject *o) const
{
    for (int i : {0, 5, 6, 7, 10})
        if (m_w.ui.cmbSpecData[i] == o)
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
    if (reason == Qt::ActiveWindowFocusReason || reason == Qt::PopupFocusReason)
        return false;
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
    CurSpecIndex = i;
    m_w.ui.Label2->clear(); // the fields carry no help text
    SpecOldValue = m_w.ui.SpecData[i]->text();
    m_w.ui.SpecData[i]->selectAll();
}

void EntryFields::textChanged(int)
{
    m_w.state().unsavedChanges = true;
}

void EntryFields::textLostFocus(int i)
{
    AppState &s = m_w.state();
    auto &ui = m_w.ui;
    m_focusText = 0;
    QLineEdit *field = ui.SpecData[i];
    const QString t = field->text();
    if (!t.isEmpty()) {
        ui.Label2->clear();
        if (!s.rangeCheckSuspended) {
            const double v = val(t);
            field->setText(plainNumber(v));
            // Compared in double precision, so no value above 1000 slips
            // through a single-precision rounding.
            if (v > SpecMax || v < SpecMin) {
                s.rangeCheckSuspended = true;
                m_w.prompts().message({QStringLiteral("Warning"),
                                       ui.SpecName[i]->text() + QStringLiteral(" = ") + field->text()
                                           + QStringLiteral(".  Value must be between ")
                                           + numberText(SpecMin) + QStringLiteral(" and ")
                                           + numberText(SpecMax) + QStringLiteral(" ."),
                                       Buttons::Ok, Icon::Exclamation, Answer::Ok});
                field->setText(SpecOldValue);
                // The focus has already moved on when the field is left, and
                // the field it reached has reset the check flag: set it again,
                // so that field is not checked (and rewritten, or warned about
                // a second time) when the focus comes back here.
                if (field->isEnabled()) {
                    QPointer<QLineEdit> back(field);
                    QTimer::singleShot(0, this, [this, back] {
                        if (!back)
                            return;
                        m_w.state().rangeCheckSuspended = true;
                        back->setFocus(Qt::OtherFocusReason);
                    });
                }
            }
        }
    }
    if (i >= 1 && i <= 3) {
        // The time taken from (or given to) this segment goes to the next
        // one, so the lap time on screen stays the same.
        const double d = val(field->text()) - val(SpecOldValue);
        QLineEdit *next = ui.SpecData[i + 1];
        next->setText(formatTime(val(next->text()) - d));
    }
}

void EntryFields::listGotFocus(int i)
{
    m_w.ui.Label2->clear();
    ListFocusIndex = m_w.ui.cmbSpecData[i]->currentIndex();
    ListRestore = 0;
    m_w.state().rangeCheckSuspended = false;
}

void EntryFields::listLostFocus(int i)
{
    if (ListRestore == 1) {
        const QSignalBlocker b(m_w.ui.cmbSpecData[i]);
        m_w.ui.cmbSpecData[i]->setCurrentIndex(ListSavedIndex);
        ListRestore = 0;
    }
}

void EntryFields::applyFlagColour()
{
    const int colour = m_w.ui.cmbSpecData[5]->currentIndex() == 0 ? 2 : 14;
    for (int k = 0; k <= 4; ++k)
        setForeColour(m_w.ui.Label1[k], colour);
}

void EntryFields::showConditionTexts()
{
    auto &ui = m_w.ui;
    ui.Label1[2]->setText(ui.cmbSpecData[6]->currentText());
    ui.Label1[4]->setText(ui.cmbSpecData[5]->currentText());
    ui.Label1[3]->setText(ui.cmbSpecData[7]->currentText());
    applyFlagColour();
}

void EntryFields::listClick(int i)
{
    AppState &s = m_w.state();
    auto &ui = m_w.ui;
    QComboBox *list = ui.cmbSpecData[i];
    if (ListRestore == 1) {
        const QSignalBlocker b(list);
        list->setCurrentIndex(ListSavedIndex);
        ListRestore = 0;
        return;
    }
    const int pos = list->currentIndex();
    if (pos != ListFocusIndex)
        s.unsavedChanges = true;
    ListFocusIndex = pos;

    if (s.rec.raceState == RaceState::Finished) {
        if (i == 0) {
            s.grid.Row = pos + 1;
            m_w.gridClick();
            m_w.SetScreenMode();
            m_w.Grph();
        } else if (i == 10) {
            m_w.Grph();
        }
        return;
    }
    if (i == 6) {
        ui.Label1[2]->setText(list->currentText());
    } else if (i == 5) {
        ui.Label1[4]->setText(list->currentText());
        applyFlagColour();
    } else if (i == 7) {
        ui.Label1[3]->setText(list->currentText());
    }
    m_w.SetScreenMode();
}

void EntryFields::SpecName_Click(int i)
{
    auto &ui = m_w.ui;
    ui.Label2->clear();
    QWidget *target = SpecIsList(i) ? static_cast<QWidget *>(ui.cmbSpecData[i])
                                    : static_cast<QWidget *>(ui.SpecData[i]);
    if (target && target->isVisible())
        target->setFocus(Qt::MouseFocusReason);
}

bool EntryFields::handlesArrowFor(QWidget *w) const
{
    if (textFieldIndex(w) || listIndex(w) >= 0)
        return true;
    for (QPushButton *b : m_w.ui.Command1)
        if (b == w)
            return true;
    return false;
}

bool EntryFields::fieldKeyDown(QWidget *w, int keyCode)
{
    const RaceState state = m_w.state().rec.raceState;
    if (state == RaceState::Armed || state == RaceState::Running) {
        m_w.UpdateCurrentArrowKeyPosition(keyCode);
        return true;
    }
    if (state == RaceState::Finished) {
        // The selectors are hidden in the editing face and pick nothing; the
        // key stays with the field, so Left and Right move the caret in a
        // segment field and Up and Down step a list (the lap list then
        // shows the next or previous lap).
        m_w.UpdateCurrentArrowKeyPosition(keyCode);
        return false;
    }
    const int l = listIndex(w);
    if (l >= 0)
        ListRestore = 0;
    if (keyCode == 38 || keyCode == 40) {
        if (l >= 0) {
            ListSavedIndex = m_w.ui.cmbSpecData[l]->currentIndex();
            ListRestore = 1;
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
        ui.SpecData[i]->clear();
    }
    for (int i : {0, 5, 6, 7}) {
        const QSignalBlocker b(ui.cmbSpecData[i]);
        ui.cmbSpecData[i]->setCurrentIndex(-1);
    }
    s.unsavedChanges = specsChanged;
}

void EntryFields::mnuOptions_Opening()
{
    m_w.ui.mnuNumSeg->setText(QStringLiteral("Change Number Segments (currently")
                              + numberText(m_w.state().rec.NumSegs) + QStringLiteral(")"));
}

void EntryFields::mnuNumSeg_Click()
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
            m_w.EraseLapTimes(0);
            m_w.RefreshForm();
            // Show or hide the segment fields for the new count at once.
            m_w.SetScreenMode();
            return;
        }
        p.info(QStringLiteral("You must enter a number from 1 to 4.  Try again."));
    }
}

} // namespace sw
