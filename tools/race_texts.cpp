// race_texts: every text the main window shows, prints, saves or exports for
// a set of races, one dump file per race, so that two builds of the program
// can be compared with diff -r.
//
//   race_texts --seeds A-B [--out DIR]       random races from seeds A..B
//   race_texts --files FILE... [--out DIR]   lap-time files opened as they are
//
// The window runs offscreen on a hand-driven clock with scripted answers to
// its questions. A dump holds no time of day, no temporary path and no
// pointer value: the same build gives the same bytes on every run.
//
// Only the adapter section below knows the program's C++ classes; the rest
// drives the window as its user does (keys, clicks, menu entries) and reads
// only what is on screen, in files or in the printed report.

// ============================================================================
// ADAPTER: the only code that touches the program's internal C++ API. A new
// build of the program needs only this section ported.
// ============================================================================

#include "app/MainWindow.h"
#include "document/FileCommands.h"
#include "files/FileState.h"
#include "printing/PdfPrinterSource.h"
#include "printing/PrintCommands.h"
#include "race/Race.h"
#include "report/ReportLayout.h"
#include "results/ResultsPanel.h"
#include "results/ResultsTexts.h"
#include "timing/HiTime.h"
#include "ui/Prompts.h"

#include <QApplication>
#include <QMainWindow>
#include <QStandardPaths>

#include <algorithm>
#include <cstdint>
#include <memory>
#include <optional>

namespace adapter {

enum class Reply { Ok, Yes, No, Cancel };

// One fresh program: its main window with the file commands and the CSV
// export on File, one segment, a 1 ms timer on a clock that moves only when
// told, and every question answered from queues.
struct Program
{
    explicit Program(const QString &programFolder)
    {
        QStandardPaths::setTestModeEnabled(true); // no settings or journals of the user's
        files.programFolder = programFolder;
        calibration = {1, 1000.0};
        w = std::make_unique<sw::MainWindow>(race, files, prompts, timer, calibration);
        w->fileCommands().endProgram = [] {};
        // Controls that carry no name of their own yet.
        w->ui.graphLeftScale->setObjectName(QStringLiteral("graphLeftScale"));
        w->ui.graphRightScale->setObjectName(QStringLiteral("graphRightScale"));
        w->loadWindow();
        w->show();
        w->onActivated();
        w->ui.timingFocusHolder->setFocus();
    }

    QMainWindow *window() { return w.get(); }

    // Moves the clock to ns after the program was started; it never goes back.
    void setClockNs(std::int64_t ns) { clock.setNs(std::max(clock.nowNs(), kStartNs + ns)); }

    // The next answers to message boxes, input boxes and file dialogs, in
    // order (nullopt: the box or dialog cancelled).
    void answer(Reply r) { prompts.answer(sw::Answer(int(r))); }
    void type(const std::optional<QString> &text) { prompts.type(text); }
    void chooseFile(const QString &path) { prompts.chooseFile(path); }
    void forgetUnusedAnswers()
    {
        prompts.answers.clear();
        prompts.inputs.clear();
        prompts.files.clear();
    }

    // The questions asked since the last call, one line each, as their boxes
    // show them (line breaks as LF, file filters as a Qt dialog lists them).
    QStringList takeAsked()
    {
        QStringList lines;
        for (const auto &a : prompts.asked) {
            using K = sw::ScriptedPrompts::Asked;
            switch (a.kind) {
            case K::Message:
                lines << QStringLiteral("message [%1] [%2] buttons=%3 icon=%4 default=%5")
                             .arg(a.message.title, shownText(a.message.text), buttonsName(a.message.buttons),
                                  iconName(a.message.icon), replyName(a.message.defaultButton));
                break;
            case K::Input:
                lines << QStringLiteral("input [%1] [%2] default=[%3]").arg(a.title, shownText(a.prompt), a.def);
                break;
            case K::OpenFile:
            case K::SaveFile:
                lines << QStringLiteral("%1 [%2] filter=[%3] folder=[%4] name=[%5]")
                             .arg(a.kind == K::OpenFile ? QStringLiteral("open-dialog") : QStringLiteral("save-dialog"),
                                  a.dialog.title, shownFilter(a.dialog.filter), a.dialog.initialFolder,
                                  a.dialog.initialName);
                break;
            case K::PrintSetup:
                lines << QStringLiteral("print-setup");
                break;
            }
        }
        prompts.asked.clear();
        return lines;
    }

    // File > Print All Lap/Segment Times into an A4 PDF file, the report
    // comment typed as given and the print dated 4 Dec 2026 14:35:07.
    void printReport(const QString &pdfPath, const QString &reportComment)
    {
        sw::PdfPrinterSource printers(pdfPath);
        sw::PrintCommands commands(
                w.get(), files, [this] { return sw::reportTableFor(race, w->results().lapFilter()); },
                [this] { return race.comments(); }, prompts, printers);
        commands.now = [] { return QDateTime(QDate(2026, 12, 4), QTime(14, 35, 7)); };
        prompts.type(reportComment);
        commands.printReport();
    }

private:
    static QString shownText(QString t)
    {
        t.replace(QLatin1String("\r\n"), QLatin1String("\n"));
        t.replace(QLatin1Char('\r'), QLatin1Char('\n'));
        return t;
    }
    static QString shownFilter(const QString &filter)
    {
        if (!filter.contains(QLatin1Char('|')))
            return filter;
        const QStringList parts = filter.split(QLatin1Char('|'));
        QStringList out;
        for (int i = 0; i + 1 < parts.size(); i += 2)
            out << QString(parts[i]).replace(QLatin1String("(*.*)"), QLatin1String("(*)"));
        return out.join(QLatin1String(";;"));
    }
    static QString buttonsName(sw::Buttons b)
    {
        return b == sw::Buttons::Ok ? QStringLiteral("Ok") : b == sw::Buttons::YesNo ? QStringLiteral("YesNo")
                                                                                      : QStringLiteral("YesNoCancel");
    }
    static QString iconName(sw::Icon i)
    {
        switch (i) {
        case sw::Icon::None: return QStringLiteral("none");
        case sw::Icon::Question: return QStringLiteral("question");
        case sw::Icon::Exclamation: return QStringLiteral("exclamation");
        case sw::Icon::Critical: return QStringLiteral("critical");
        }
        return QString();
    }
    static QString replyName(sw::Answer a)
    {
        const char *names[] = {"Ok", "Yes", "No", "Cancel"};
        return QString::fromLatin1(names[int(a)]);
    }

    static constexpr std::int64_t kStartNs = 1000000000;
    sw::Race race;
    sw::FileState files;
    sw::TimerCalibration calibration;
    sw::ScriptedPrompts prompts;
    sw::ManualClock clock;
    sw::ManualHiTime timer{clock};
    std::unique_ptr<sw::MainWindow> w; // last: goes first
};

} // namespace adapter

// ============================================================================
// END OF ADAPTER. Below: only widgets by objectName, actions by text, keys,
// clicks, the prompt queues, files and the printed report.
// ============================================================================

#include <QAbstractItemView>
#include <QAction>
#include <QComboBox>
#include <QCryptographicHash>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QProcess>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollBar>
#include <QTableView>
#include <QTemporaryDir>
#include <QTest>

#include <array>
#include <cstdio>
#include <cstdlib>
#include <random>
#include <set>

using adapter::Reply;

namespace {

// ---- text of a dump -----------------------------------------------------------

// One line of text with CR, LF, tab, backslash and other control characters
// written out, so that a dump line is always one line.
QString escaped(const QString &s)
{
    QString out;
    out.reserve(s.size());
    for (QChar c : s) {
        if (c == QLatin1Char('\\'))
            out += QLatin1String("\\\\");
        else if (c == QLatin1Char('\r'))
            out += QLatin1String("\\r");
        else if (c == QLatin1Char('\n'))
            out += QLatin1String("\\n");
        else if (c == QLatin1Char('\t'))
            out += QLatin1String("\\t");
        else if (c.unicode() < 0x20 || c.unicode() == 0x7f)
            out += QStringLiteral("\\x%1").arg(c.unicode(), 2, 16, QLatin1Char('0'));
        else
            out += c;
    }
    return out;
}

// File bytes, one dump line per file line with its line end written out;
// bytes outside printable ASCII as \xNN.
QStringList escapedBytes(const QByteArray &bytes)
{
    QStringList lines;
    QString line;
    for (int i = 0; i < bytes.size(); ++i) {
        const unsigned char b = static_cast<unsigned char>(bytes[i]);
        if (b == '\\')
            line += QLatin1String("\\\\");
        else if (b == '\r')
            line += QLatin1String("\\r");
        else if (b == '\n') {
            lines << line + QLatin1String("\\n");
            line.clear();
        } else if (b < 0x20 || b >= 0x7f)
            line += QStringLiteral("\\x%1").arg(b, 2, 16, QLatin1Char('0'));
        else
            line += QLatin1Char(char(b));
    }
    if (!line.isEmpty())
        lines << line + QLatin1String("<no line end>");
    return lines;
}

QByteArray fileBytes(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

class Dump
{
public:
    // Paths that differ from run to run or tree to tree, written as names.
    QList<std::pair<QString, QString>> pathNames;

    void line(const QString &key, const QString &value) { m_text += key + QLatin1String(": ") + escaped(value) + '\n'; }
    void raw(const QString &text) { m_text += text + '\n'; }
    void bytes(const QString &key, const QByteArray &b, bool exists)
    {
        raw(QStringLiteral("%1: %2 bytes%3").arg(key).arg(b.size()).arg(exists ? QString() : QStringLiteral(" (no file)")));
        for (const QString &l : escapedBytes(b))
            raw(QLatin1String("  |") + l);
    }
    QByteArray result() const
    {
        QString t = m_text;
        for (const auto &[path, name] : pathNames)
            if (!path.isEmpty())
                t.replace(path, name);
        return t.toUtf8();
    }

private:
    QString m_text;
};

// ---- the window as its user sees it --------------------------------------------

class Operator
{
public:
    Operator(adapter::Program &p, Dump &d) : program(p), dump(d), w(p.window()) { QApplication::setActiveWindow(w); }

    adapter::Program &program;
    Dump &dump;
    QMainWindow *w;
    std::int64_t clockNs = 0; // since the program started

    template <class T = QWidget>
    T *named(const QString &name) const
    {
        T *found = w->findChild<T *>(name);
        if (!found)
            qFatal("race_texts: no widget named %s", qPrintable(name));
        return found;
    }
    QLabel *labelCalled(const QString &accessibleName) const
    {
        for (QLabel *l : w->findChildren<QLabel *>())
            if (l->accessibleName() == accessibleName)
                return l;
        qFatal("race_texts: no label for %s", qPrintable(accessibleName));
    }
    static QString plain(QString text) { return text.remove(QLatin1Char('&')); }
    QAction *action(const QString &text) const
    {
        for (QAction *a : w->findChildren<QAction *>())
            if (plain(a->text()).startsWith(text))
                return a;
        qFatal("race_texts: no menu entry %s", qPrintable(text));
    }
    QMenu *menu(const QString &title) const
    {
        for (QAction *a : w->menuBar()->actions())
            if (a->menu() && plain(a->text()).trimmed() == title)
                return a->menu();
        qFatal("race_texts: no menu %s", qPrintable(title));
    }

    void settle() { QCoreApplication::processEvents(); }

    // Writes the step, the questions it asked and a new status line, and
    // drops answers left over.
    void step(const QString &what)
    {
        settle();
        dump.raw(QLatin1String("> ") + escaped(what));
        for (const QString &q : program.takeAsked())
            dump.raw(QLatin1String("  ? ") + escaped(q));
        program.forgetUnusedAnswers();
        const QString status = named<QLabel>(QStringLiteral("statusLine"))->text();
        if (status != m_status)
            dump.raw(QLatin1String("  status: ") + escaped(status));
        m_status = status;
    }

    void clockTo(std::int64_t ns)
    {
        clockNs = std::max(clockNs, ns);
        program.setClockNs(clockNs);
    }

    QWidget *focused() const
    {
        QWidget *f = QApplication::focusWidget();
        return f && f->window() == w ? f : named(QStringLiteral("timingFocusHolder"));
    }
    void key(Qt::Key k) { QTest::keyClick(focused(), k); }
    static QString keyName(Qt::Key k)
    {
        if (k >= Qt::Key_F1 && k <= Qt::Key_F12)
            return QStringLiteral("F%1").arg(int(k) - Qt::Key_F1 + 1);
        switch (k) {
        case Qt::Key_Left: return QStringLiteral("Left");
        case Qt::Key_Right: return QStringLiteral("Right");
        case Qt::Key_Up: return QStringLiteral("Up");
        case Qt::Key_Down: return QStringLiteral("Down");
        case Qt::Key_Return: return QStringLiteral("Return");
        case Qt::Key_Tab: return QStringLiteral("Tab");
        default: return QStringLiteral("key %1").arg(int(k));
        }
    }
    void trigger(const QString &entry)
    {
        action(entry)->trigger();
    }
    void click(QWidget *widget) { QTest::mouseClick(widget, Qt::LeftButton); }
    // A choice in a drop-down list, as its popup makes it.
    void choose(QComboBox *list, int index)
    {
        list->setCurrentIndex(index);
        emit list->activated(index);
        emit list->textActivated(list->itemText(index));
    }
    // A click on the grid cell of lap (1..250) and column (0..7), scrolled into view first.
    void clickGrid(int lap, int column)
    {
        auto *view = named<QTableView>(QStringLiteral("resultsView"));
        const QModelIndex at = view->model()->index(lap - 1, column);
        view->scrollTo(at);
        QTest::mouseClick(view->viewport(), Qt::LeftButton, {}, view->visualRect(at).center());
    }

    // ---- what the window shows ----
    void snapshot(const QString &checkpoint);
    void optionsEntry();

private:
    QString m_status; // as the last step left it
};

QString shownState(const QWidget *widget)
{
    return widget->isVisible() ? (widget->isEnabled() ? QStringLiteral("shown") : QStringLiteral("shown disabled"))
                               : QStringLiteral("hidden");
}

QString comboText(const QComboBox *c)
{
    return QStringLiteral("%1 [%2] of %3 %4").arg(c->currentIndex()).arg(c->currentText()).arg(c->count()).arg(shownState(c));
}

QString colourOf(const QVariant &v)
{
    if (!v.isValid())
        return QString();
    const QColor c = v.canConvert<QBrush>() ? qvariant_cast<QBrush>(v).color() : qvariant_cast<QColor>(v);
    return c.name(QColor::HexArgb);
}

void Operator::snapshot(const QString &checkpoint)
{
    settle();
    dump.raw(QStringLiteral("== %1").arg(checkpoint));
    dump.line(QStringLiteral("caption"), w->windowTitle());
    dump.line(QStringLiteral("status"), named<QLabel>(QStringLiteral("statusLine"))->text());

    // The grid: headings, then every lap row with text or a colour of its own.
    auto *view = named<QTableView>(QStringLiteral("resultsView"));
    const QAbstractItemModel *m = view->model();
    QStringList heads;
    for (int c = 0; c < m->columnCount(); ++c)
        heads << m->headerData(c, Qt::Horizontal).toString();
    dump.line(QStringLiteral("grid.columns"), heads.join(QLatin1Char('|')));
    QStringList laps;
    for (int r = 0; r < m->rowCount(); ++r)
        laps << m->headerData(r, Qt::Vertical).toString();
    dump.line(QStringLiteral("grid.laps"), laps.join(QLatin1Char(',')));
    for (int r = 0; r < m->rowCount(); ++r) {
        QStringList cells, colours;
        bool any = false;
        for (int c = 0; c < m->columnCount(); ++c) {
            const QModelIndex i = m->index(r, c);
            cells << m->data(i, Qt::DisplayRole).toString();
            const QString fg = colourOf(m->data(i, Qt::ForegroundRole));
            const QString bg = colourOf(m->data(i, Qt::BackgroundRole));
            if (!fg.isEmpty() || !bg.isEmpty())
                colours << QStringLiteral("%1:%2/%3").arg(c).arg(fg, bg);
            any = any || !cells.last().isEmpty();
        }
        if (any || !colours.isEmpty())
            dump.line(QStringLiteral("grid.%1").arg(r + 1, 3, 10, QLatin1Char('0')),
                      cells.join(QLatin1Char('|')) + (colours.isEmpty() ? QString() : QLatin1String("  {") + colours.join(' ') + '}'));
    }
    std::set<int> selectedRows, selectedColumns;
    for (const QModelIndex &i : view->selectionModel()->selectedIndexes()) {
        selectedRows.insert(i.row() + 1);
        selectedColumns.insert(i.column());
    }
    QStringList sel;
    for (int r : selectedRows)
        sel << QString::number(r);
    dump.line(QStringLiteral("grid.selected"), QStringLiteral("laps %1, %2 columns").arg(sel.join(','), QString::number(selectedColumns.size())));
    dump.line(QStringLiteral("grid.top"), QString::number(view->verticalScrollBar()->value() + 1));

    // Statistics, the best possible lap, the laps counted.
    for (int i = 0; i < 15; ++i) {
        auto *l = named<QLabel>(QStringLiteral("statValue%1").arg(i));
        dump.line(QStringLiteral("stat.%1").arg(i, 2, 10, QLatin1Char('0')), l->text() + QLatin1String("  (") + shownState(l) + ')');
    }
    auto *best = named<QLabel>(QStringLiteral("bestLapLabel"));
    dump.line(QStringLiteral("bestLap"), best->text() + QLatin1String("  (") + shownState(best) + ')');
    dump.line(QStringLiteral("countLaps"), comboText(named<QComboBox>(QStringLiteral("countLapsList"))));

    // The graph: its choices, scale and picture.
    dump.line(QStringLiteral("graph.quantity"), comboText(named<QComboBox>(QStringLiteral("graphQuantityList"))));
    QStringList options;
    for (int i = 0; i < 3; ++i)
        options << (named<QRadioButton>(QStringLiteral("graphColourOption%1").arg(i))->isChecked() ? QStringLiteral("x") : QStringLiteral("-"));
    dump.line(QStringLiteral("graph.colouring"), options.join(QString()));
    dump.line(QStringLiteral("graph.scale"), named<QLabel>(QStringLiteral("graphLeftScale"))->text() + QLatin1String(" .. ")
                                                 + named<QLabel>(QStringLiteral("graphRightScale"))->text());
    QWidget *graph = named(QStringLiteral("graphArea"));
    if (graph->isVisible()) {
        const QImage picture = graph->grab().toImage().convertToFormat(QImage::Format_ARGB32);
        dump.line(QStringLiteral("graph.picture"),
                  QString::fromLatin1(QCryptographicHash::hash(QByteArrayView(picture.constBits(), picture.sizeInBytes()),
                                                               QCryptographicHash::Md5).toHex()));
    } else {
        dump.line(QStringLiteral("graph.picture"), QStringLiteral("hidden"));
    }

    // The Current Lap frame and the timing face.
    dump.line(QStringLiteral("field.lap"), comboText(named<QComboBox>(QStringLiteral("lapList"))));
    for (int s = 1; s <= 4; ++s) {
        auto *e = named<QLineEdit>(QStringLiteral("segmentField%1").arg(s));
        dump.line(QStringLiteral("field.seg%1").arg(s), e->text() + QLatin1String("  (") + shownState(e) + ')');
    }
    for (const char *name : {"flagList", "positionList", "trafficList"})
        dump.line(QStringLiteral("field.") + QLatin1String(name), comboText(named<QComboBox>(QLatin1String(name))));
    for (const char *name : {"insertButton", "deleteButton", "startRestartButton", "finishKeepButton", "cancelChangesButton"}) {
        auto *b = named<QPushButton>(QLatin1String(name));
        dump.line(QStringLiteral("button.") + QLatin1String(name), b->text() + QLatin1String("  (") + shownState(b) + ')');
    }
    for (const char *name : {"Current lap", "Current segment", "Current Flag", "Current Position", "Current Traffic"}) {
        QLabel *l = labelCalled(QLatin1String(name));
        dump.line(QLatin1String(name), l->text() + QLatin1String("  (") + shownState(l) + ')');
    }
    optionsEntry();
    QWidget *f = QApplication::focusWidget();
    dump.line(QStringLiteral("focus"), f ? f->objectName() : QStringLiteral("none"));
}

// The Options menu's entry, as the menu shows it when opened.
void Operator::optionsEntry()
{
    QMenu *options = menu(QStringLiteral("Options"));
    emit options->aboutToShow();
    dump.line(QStringLiteral("menu.segments"), plain(action(QStringLiteral("Change Number Segments"))->text()));
    emit options->aboutToHide();
}

// ---- random races -----------------------------------------------------------------

class Dice
{
public:
    explicit Dice(unsigned seed) : m_gen(seed) {}
    // 0..n-1 (n >= 1); the same on every standard library.
    int below(int n) { return n <= 1 ? 0 : int(m_gen() % unsigned(n)); }
    bool oneIn(int n) { return below(n) == 0; }
    std::int64_t between(std::int64_t lo, std::int64_t hi) // lo..hi
    {
        const std::uint64_t span = std::uint64_t(hi - lo) + 1;
        const std::uint64_t r = (std::uint64_t(m_gen()) << 32) | m_gen();
        return lo + std::int64_t(r % span);
    }

private:
    std::mt19937 m_gen;
};

const Qt::Key kConditionKeys[] = {Qt::Key_F4, Qt::Key_F5, Qt::Key_F6, Qt::Key_F7, Qt::Key_F8, Qt::Key_F9,
                                  Qt::Key_Left, Qt::Key_Right, Qt::Key_Up, Qt::Key_Down};

QString secondsText(std::int64_t ns)
{
    return QString::number(double(ns) / 1e9, 'f', 6);
}

struct Output
{
    QString folder;
    bool ok = true;
    void write(const QString &name, const QByteArray &bytes)
    {
        QFile f(QDir(folder).filePath(name));
        if (!f.open(QIODevice::WriteOnly | QIODevice::Truncate) || f.write(bytes) != bytes.size()) {
            std::fprintf(stderr, "race_texts: cannot write %s\n", qPrintable(f.fileName()));
            ok = false;
        }
    }
};

// The report of File > Print All Lap/Segment Times, as pdftotext -layout reads it.
void dumpReport(Operator &op, const QString &pdf, const QString &comment)
{
    op.program.printReport(pdf, comment);
    op.step(QStringLiteral("File > Print All Lap/Segment Times, comment [%1]").arg(comment));
    QProcess p;
    p.start(QStringLiteral("pdftotext"), {QStringLiteral("-layout"), pdf, QStringLiteral("-")});
    const bool read = p.waitForFinished(60000) && p.exitStatus() == QProcess::NormalExit && p.exitCode() == 0;
    op.dump.raw(QStringLiteral("report: %1").arg(read ? QStringLiteral("read") : QStringLiteral("NOT READ")));
    for (const QString &l : QString::fromUtf8(p.readAllStandardOutput()).split(QLatin1Char('\n')))
        op.dump.raw(QLatin1String("  |") + escaped(l));
}

void saveAs(Operator &op, const QString &path, const QString &key)
{
    op.program.chooseFile(path);
    op.program.answer(Reply::Yes); // "Save anyway?" when the comments hold characters the file cannot
    op.trigger(QStringLiteral("Save Lap Times As"));
    op.step(QStringLiteral("File > Save Lap Times As %1").arg(QFileInfo(path).fileName()));
    op.dump.bytes(key, fileBytes(path), QFileInfo::exists(path));
}

void exportCsv(Operator &op, const QString &path, const QString &key)
{
    op.program.chooseFile(path);
    op.trigger(QStringLiteral("Export as CSV"));
    op.step(QStringLiteral("File > Export as CSV %1").arg(QFileInfo(path).fileName()));
    op.dump.bytes(key, fileBytes(path), QFileInfo::exists(path));
}

void openFile(Operator &op, const QString &path)
{
    op.program.chooseFile(path);
    op.trigger(QStringLiteral("Open Lap Times File"));
    op.step(QStringLiteral("File > Open Lap Times File %1").arg(QFileInfo(path).fileName()));
}

// The last lap the grid shows a time for (0: none).
int lastShownLap(Operator &op)
{
    const QAbstractItemModel *m = op.named<QTableView>(QStringLiteral("resultsView"))->model();
    for (int r = m->rowCount() - 1; r >= 0; --r)
        for (int c = 0; c < 5 && c < m->columnCount(); ++c)
            if (!m->data(m->index(r, c)).toString().isEmpty())
                return r + 1;
    return 0;
}

// A lap to work on: mostly one of the race, now and then one beyond it.
int someLap(Operator &op, Dice &dice)
{
    const int last = lastShownLap(op);
    return dice.oneIn(8) ? 1 + dice.below(250) : std::min(250, 1 + dice.below(last + 2));
}

// One random edit of the finished race.
void randomEdit(Operator &op, Dice &dice, int segments)
{
    auto *lapList = op.named<QComboBox>(QStringLiteral("lapList"));
    const auto segmentField = [&](int s) { return op.named<QLineEdit>(QStringLiteral("segmentField%1").arg(s)); };
    const int kind = dice.below(20);
    if (kind < 3) {
        const int i = std::max(0, std::min(lapList->count(), someLap(op, dice)) - 1);
        op.choose(lapList, i);
        op.step(QStringLiteral("lap list: item %1").arg(i));
    } else if (kind < 6) {
        const int lap = someLap(op, dice);
        const int column = dice.below(8);
        op.clickGrid(lap, column);
        op.step(QStringLiteral("grid click: lap %1 column %2").arg(lap).arg(column));
    } else if (kind < 10) {
        // A time typed over a segment field: near the one shown, any time, or
        // one the range check refuses; then Keep Changes or not.
        const int s = 1 + dice.below(segments);
        QLineEdit *e = segmentField(s);
        op.click(e);
        static const char *odd[] = {"0.5", "2000", "-3", "abc", "", "1000", "1", "0", "12,5", "1e2"};
        QString text;
        const int how = dice.below(6);
        if (how == 0) {
            text = QString::fromLatin1(odd[dice.below(10)]);
        } else if (how == 1) {
            const double seconds = double(dice.between(1000, 90000)) / 1000.0;
            text = QString::number(seconds, 'f', dice.below(4));
        } else {
            const double shown = e->text().toDouble();
            const double seconds = std::max(0.0, shown + double(dice.between(-5000, 5000)) / 1000.0);
            text = QString::number(seconds, 'f', 3);
        }
        QTest::keyClick(e, Qt::Key_A, Qt::ControlModifier);
        QTest::keyClick(e, Qt::Key_Backspace);
        QTest::keyClicks(e, text);
        const Qt::Key leave = dice.oneIn(2) ? Qt::Key_Return : Qt::Key_Tab;
        QTest::keyClick(QApplication::focusWidget() ? QApplication::focusWidget() : e, leave);
        op.step(QStringLiteral("Seg %1 typed [%2] %3").arg(s).arg(text, Operator::keyName(leave)));
        if (dice.oneIn(2)) {
            op.click(op.named(QStringLiteral("finishKeepButton")));
            op.step(QStringLiteral("Keep Changes"));
        }
    } else if (kind < 12) {
        static const char *lists[] = {"flagList", "positionList", "trafficList"};
        auto *list = op.named<QComboBox>(QLatin1String(lists[dice.below(3)]));
        const int i = dice.below(std::max(1, std::min(list->count(), 12)));
        op.choose(list, i);
        op.step(QStringLiteral("%1: item %2").arg(list->objectName()).arg(i));
        if (dice.oneIn(2)) {
            op.click(op.named(QStringLiteral("finishKeepButton")));
            op.step(QStringLiteral("Keep Changes"));
        }
    } else if (kind < 13) {
        const bool keep = dice.oneIn(2);
        op.click(op.named(keep ? QStringLiteral("finishKeepButton") : QStringLiteral("cancelChangesButton")));
        op.step(keep ? QStringLiteral("Keep Changes") : QStringLiteral("Cancel Changes"));
    } else if (kind < 16) {
        const bool insert = kind < 15;
        const int s = 1 + dice.below(segments);
        op.click(segmentField(s));
        const bool yes = dice.oneIn(2);
        op.program.answer(yes ? Reply::Yes : Reply::No);
        std::optional<QString> amount;
        if (insert) {
            static const char *amounts[] = {"0", "-2.5", "9999", "abc", "1", "0.001"};
            const int a = dice.below(10);
            if (a < 6)
                amount = QString::fromLatin1(amounts[a]);
            else if (a < 9)
                amount = QString::number(double(dice.between(100, 40000)) / 1000.0, 'f', 3);
            op.program.type(amount);
        }
        op.click(op.named(insert ? QStringLiteral("insertButton") : QStringLiteral("deleteButton")));
        op.step(QStringLiteral("%1 at Seg %2, answers %3%4")
                    .arg(insert ? QStringLiteral("Insert") : QStringLiteral("Delete"))
                    .arg(s)
                    .arg(yes ? QStringLiteral("Yes") : QStringLiteral("No"))
                    .arg(insert ? QStringLiteral(", amount [%1]").arg(amount.value_or(QStringLiteral("<cancel>"))) : QString()));
    } else if (kind < 17) {
        auto *list = op.named<QComboBox>(QStringLiteral("countLapsList"));
        const int i = dice.below(std::max(1, list->count()));
        op.choose(list, i);
        op.step(QStringLiteral("count laps: item %1").arg(i));
    } else if (kind < 18) {
        auto *list = op.named<QComboBox>(QStringLiteral("graphQuantityList"));
        const int i = dice.below(std::max(1, list->count()));
        op.choose(list, i);
        op.step(QStringLiteral("graph quantity: item %1").arg(i));
    } else {
        const int i = dice.below(3);
        op.click(op.named(QStringLiteral("graphColourOption%1").arg(i)));
        op.step(QStringLiteral("graph colouring: option %1").arg(i));
    }
}

// Comments > typed lines (some long enough to wrap on the report, some with
// commas and quotes), now and then a pasted line with characters a lap-time
// file cannot hold; then OK, or Cancel.
void typeComments(Operator &op, Dice &dice)
{
    op.trigger(QStringLiteral("Comments"));
    op.settle();
    auto *window = op.w->findChild<QWidget *>(QStringLiteral("CommentsWindow"));
    auto *edit = window ? window->findChild<QPlainTextEdit *>(QStringLiteral("commentsEdit")) : nullptr;
    if (!edit) {
        op.step(QStringLiteral("Comments: no window"));
        return;
    }
    static const char *words[] = {"wet", "track", "heat", "2", "lap,", "\"slow\"", "tyres", "cafe", "oil", "pit",
                                  "stop", "12.5", "yellow", "traffic", "kerb", "100%"};
    QStringList typed;
    QTest::keyClick(edit, Qt::Key_A, Qt::ControlModifier);
    for (int line = dice.below(5); line >= 0; --line) {
        QStringList l;
        for (int n = dice.oneIn(4) ? 20 + dice.below(30) : 1 + dice.below(8); n > 0; --n)
            l << QString::fromUtf8(words[dice.below(16)]);
        const QString text = l.join(QLatin1Char(' '));
        QTest::keyClicks(edit, text);
        typed << text;
        if (dice.oneIn(6)) {
            const QString pasted = QStringLiteral(" café €5 Ω ✓");
            edit->insertPlainText(pasted); // pasted: the test keys carry ASCII only
            typed.last() += pasted;
        }
        if (line > 0 || dice.oneIn(2)) {
            QTest::keyClick(edit, Qt::Key_Return);
            typed.last() += QLatin1Char('\n');
        }
    }
    const bool ok = !dice.oneIn(5);
    op.click(window->findChild<QPushButton *>(ok ? QStringLiteral("okButton") : QStringLiteral("cancelButton")));
    op.step(QStringLiteral("Comments typed [%1], %2").arg(typed.join(QString()), ok ? QStringLiteral("OK") : QStringLiteral("Cancel")));
    QApplication::setActiveWindow(op.w);
    op.settle();
}

// Condition keys between two moments of the race clock.
void conditionKeys(Operator &op, Dice &dice, std::int64_t fromNs, std::int64_t toNs)
{
    const int n = 1 + dice.below(3);
    for (int i = 0; i < n; ++i) {
        op.clockTo(dice.between(fromNs, std::max(fromNs, toNs - 1)));
        const Qt::Key k = kConditionKeys[dice.below(10)];
        op.key(k);
        op.step(Operator::keyName(k));
    }
}

QByteArray raceDump(int seed)
{
    Dice dice{unsigned(seed)};
    QTemporaryDir dir;
    Dump dump;
    dump.pathNames = {{dir.path(), QStringLiteral("<DIR>")}};
    adapter::Program program(dir.path());
    Operator op(program, dump);
    op.settle();
    const QString file = dir.filePath(QStringLiteral("race%1.txt").arg(seed));

    dump.raw(QStringLiteral("race %1").arg(seed));
    op.snapshot(QStringLiteral("started"));

    // Setup: the number of segments, the starting conditions.
    const int segments = 1 + dice.below(4);
    if (segments != 1 || dice.oneIn(4)) {
        static const char *refused[] = {"5", "0", "two", "", "-1"};
        if (dice.oneIn(5))
            program.type(QString::fromLatin1(refused[dice.below(5)]));
        program.type(QString::number(segments));
        op.trigger(QStringLiteral("Change Number Segments"));
        op.step(QStringLiteral("Options > Change Number Segments: %1").arg(segments));
    }
    op.clockTo(op.clockNs + dice.between(100000000, 5000000000));
    for (int i = dice.below(5); i > 0; --i) {
        const Qt::Key k = kConditionKeys[dice.below(10)];
        op.key(k);
        op.step(Operator::keyName(k));
    }
    if (dice.oneIn(20)) {
        op.key(Qt::Key_F2);
        op.step(QStringLiteral("F2 before arming"));
    }
    if (dice.oneIn(8))
        typeComments(op, dice);
    op.clockTo(op.clockNs + dice.between(1000000, 3000000000));
    op.key(Qt::Key_F12);
    op.step(QStringLiteral("F12 at %1").arg(secondsText(op.clockNs)));
    std::int64_t armNs = op.clockNs; // the race clock counts from here

    // Presses at increasing times; now and then a bounce, a condition change
    // between presses, a save in the middle of the race.
    // About one race in 50 goes on past lap 250 (the laps are full).
    const bool full = seed % 50 == 25 || dice.oneIn(100);
    const int laps = full ? 251 + dice.below(10) : dice.oneIn(4) ? dice.below(41) : dice.below(16);
    int presses = 1 + laps * segments + (dice.oneIn(3) ? dice.below(segments) : 0);
    if (!full && dice.oneIn(15))
        presses = 1; // finished right after the start press
    if (!full && dice.oneIn(40))
        presses = 0; // finished before the start
    const int saveAfter = dice.oneIn(8) ? dice.below(presses + 1) : -1;
    // Half the races are driven steadily: each segment lasts its own typical
    // time give or take 1.5 s (so the most frequent whole second means
    // something), with now and then a missed press or one too early; the
    // others have segments of any length from 5 to 40 s.
    const bool steady = dice.oneIn(2);
    std::array<std::int64_t, 4> typical{};
    for (std::int64_t &ns : typical)
        ns = dice.between(8000000000, 45000000000);
    std::int64_t t = armNs;
    for (int i = 0; i < presses; ++i) {
        // A bounce (under a second) is not recorded: one press more keeps the laps planned.
        const bool bounce = dice.oneIn(20);
        const std::int64_t usual = typical[std::size_t(std::max(0, i - 1) % segments)];
        std::int64_t gap = 0;
        if (bounce)
            gap = dice.between(300000000, 999999999);
        else if (dice.oneIn(10))
            gap = dice.between(1000000000, 120000000000);
        else if (!steady)
            gap = dice.between(5000000000, 40000000000);
        else if (dice.oneIn(25)) // a press missed: two segments in one
            gap = 2 * usual + dice.between(-1500000000, 1500000000);
        else if (dice.oneIn(25)) // a press too early
            gap = usual * (3 + dice.below(5)) / 10;
        else
            gap = usual + dice.between(-1500000, 1500000) * 1000;
        if (bounce && presses < 2000)
            ++presses;
        if (dice.oneIn(6))
            conditionKeys(op, dice, t, t + gap);
        t += gap;
        op.clockTo(t);
        op.key(Qt::Key_F2);
        op.step(QStringLiteral("F2 at %1").arg(secondsText(t - armNs)));
        if (i == saveAfter)
            saveAs(op, dir.filePath(QStringLiteral("midrace.txt")), QStringLiteral("file.midrace"));
        if (!full && dice.oneIn(400)) { // F12 in the race: the restart question
            const bool restart = dice.oneIn(3);
            program.answer(restart ? Reply::Yes : Reply::No);
            op.clockTo(t + 100000000);
            op.key(Qt::Key_F12);
            op.step(QStringLiteral("F12 in the race, answered %1").arg(restart ? QStringLiteral("Yes") : QStringLiteral("No")));
            if (restart) // armed again: the race clock starts anew
                t = armNs = op.clockNs;
        }
    }
    if (dice.oneIn(6))
        conditionKeys(op, dice, t, t + 2000000000);
    op.clockTo(t + dice.between(1000000, 20000000000));
    if (dice.oneIn(10)) {
        program.answer(Reply::No);
        op.key(Qt::Key_F11);
        op.step(QStringLiteral("F11, answered No"));
    }
    program.answer(Reply::Yes);
    op.key(Qt::Key_F11);
    op.step(QStringLiteral("F11, answered Yes"));
    op.snapshot(QStringLiteral("finished"));

    // Editing.
    if (dice.oneIn(5))
        typeComments(op, dice);
    for (int i = dice.below(16); i > 0; --i)
        randomEdit(op, dice, segments);
    op.snapshot(QStringLiteral("edited"));

    saveAs(op, file, QStringLiteral("file.saved"));
    exportCsv(op, dir.filePath(QStringLiteral("race.csv")), QStringLiteral("csv.saved"));
    if (seed % 10 == 0)
        dumpReport(op, dir.filePath(QStringLiteral("report.pdf")), QStringLiteral("Race %1").arg(seed));

    program.answer(Reply::Yes);
    op.trigger(QStringLiteral("New"));
    op.step(QStringLiteral("File > New, answered Yes"));
    op.snapshot(QStringLiteral("new"));

    openFile(op, file);
    op.snapshot(QStringLiteral("reopened"));
    saveAs(op, dir.filePath(QStringLiteral("again.txt")), QStringLiteral("file.again"));
    exportCsv(op, dir.filePath(QStringLiteral("again.csv")), QStringLiteral("csv.again"));
    return dump.result();
}

// A lap-time file opened, shown, saved again, exported and printed.
QByteArray fileDump(const QString &path)
{
    const QFileInfo info(path);
    QTemporaryDir dir;
    Dump dump;
    dump.pathNames = {{dir.path(), QStringLiteral("<DIR>")}, {info.absolutePath(), QStringLiteral("<SOURCE>")}};
    adapter::Program program(dir.path());
    Operator op(program, dump);
    op.settle();
    dump.raw(QStringLiteral("file %1").arg(info.fileName()));
    dump.bytes(QStringLiteral("file.original"), fileBytes(path), info.exists());
    openFile(op, info.absoluteFilePath());
    op.snapshot(QStringLiteral("opened"));
    saveAs(op, dir.filePath(info.fileName()), QStringLiteral("file.saved"));
    exportCsv(op, dir.filePath(QStringLiteral("export.csv")), QStringLiteral("csv.saved"));
    dumpReport(op, dir.filePath(QStringLiteral("report.pdf")), QStringLiteral("Corpus"));
    return dump.result();
}

// The offscreen platform says for every window what it cannot do (raise,
// size hints); those lines drown the tool's own. Everything else is shown.
void quietPlatform(QtMsgType type, const QMessageLogContext &context, const QString &message)
{
    if (type == QtWarningMsg && message.startsWith(QLatin1String("This plugin does not support")))
        return;
    std::fprintf(stderr, "%s\n", qPrintable(qFormatLogMessage(type, context, message)));
    if (type == QtFatalMsg)
        std::abort();
}

int usage()
{
    std::fprintf(stderr, "usage: race_texts --seeds A-B [--out DIR]\n"
                         "       race_texts --files FILE... [--out DIR]\n");
    return 2;
}

} // namespace

int main(int argc, char **argv)
{
    // The same numbers on every machine: C locale, no display.
    qputenv("LC_ALL", "C.UTF-8");
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    qInstallMessageHandler(quietPlatform);
    QApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("SplitwatchRaceTexts"));

    const QStringList args = QCoreApplication::arguments().mid(1);
    Output out{QStringLiteral("race_texts_out")};
    int first = -1, last = -1;
    QStringList files;
    for (int i = 0; i < args.size(); ++i) {
        if (args[i] == QLatin1String("--out") && i + 1 < args.size()) {
            out.folder = args[++i];
        } else if (args[i] == QLatin1String("--seeds") && i + 1 < args.size()) {
            const QStringList range = args[++i].split(QLatin1Char('-'));
            bool ok1 = false, ok2 = false;
            first = range.value(0).toInt(&ok1);
            last = range.size() > 1 ? range.value(1).toInt(&ok2) : first;
            if (!ok1 || (range.size() > 1 && !ok2) || first < 0 || last < first)
                return usage();
        } else if (args[i] == QLatin1String("--files")) {
            while (i + 1 < args.size() && !args[i + 1].startsWith(QLatin1String("--")))
                files << args[++i];
        } else {
            return usage();
        }
    }
    if (first < 0 && files.isEmpty())
        return usage();
    if (!QDir().mkpath(out.folder)) {
        std::fprintf(stderr, "race_texts: cannot make %s\n", qPrintable(out.folder));
        return 1;
    }

    QElapsedTimer took;
    took.start();
    int count = 0;
    for (int seed = first; first >= 0 && seed <= last; ++seed, ++count)
        out.write(QStringLiteral("seed-%1.txt").arg(seed, 6, 10, QLatin1Char('0')), raceDump(seed));
    for (const QString &path : files) {
        const QFileInfo info(path);
        // Two corpus folders may hold the same name: the folder is part of the dump's name.
        QDir folder = info.absoluteDir();
        const QString inner = folder.dirName();
        folder.cdUp();
        out.write(QStringLiteral("file-%1-%2-%3.txt").arg(folder.dirName(), inner, info.fileName()), fileDump(path));
        ++count;
    }
    std::fprintf(stderr, "race_texts: %d dumps in %.1f s\n", count, took.elapsed() / 1000.0);
    return out.ok ? 0 : 1;
}
