#include "app/WindowZoom.h"

#include "app/MainWindow.h"
#include "results/ResultsPanel.h"
#include "results/ScreenModeRules.h"
#include "ui/Geometry.h"
#include "ui/TextFit.h"

#include <QGuiApplication>
#include <QHeaderView>
#include <QMenuBar>
#include <QScreen>
#include <QSettings>
#include <QStatusBar>

namespace sw {

namespace {

// Every status text the line below the "Current Lap" frame can show.
QStringList allStatusTexts()
{
    QStringList texts;
    for (RaceState s : {RaceState::Setup, RaceState::Armed, RaceState::Running, RaceState::Finished})
        for (bool ravelin : {false, true})
            texts << screenFaceFor(s, ravelin, design::kFrame2Top, design::kFrame2Height).status;
    texts.removeDuplicates();
    return texts;
}

// The large condition displays get the largest size up to their designed 24
// points at which their longest value fits.
void fitDisplayFont(QLabel *display, const QStringList &values)
{
    const int room = display->contentsRect().width();
    double points = 24;
    for (; points > 8; points -= 1) {
        QFont f = display->font();
        f.setPointSizeF(points);
        const QFontMetrics fm(f);
        int widest = 0;
        for (const QString &v : values)
            widest = qMax(widest, fm.horizontalAdvance(v));
        if (widest <= room)
            break;
    }
    display->setProperty("fitTexts", values);
    setDesignFont(display, points, true);
}

QStringList itemsOf(const QComboBox *c)
{
    QStringList items;
    for (int i = 0; i < c->count(); ++i)
        items << c->itemText(i);
    return items;
}

} // namespace

WindowZoom::WindowZoom(MainWindow &w) : QObject(&w), m_w(w)
{
    MainWindowControls &ui = w.ui;
    connect(ui.zoomInAction, &QAction::triggered, this, &WindowZoom::zoomIn);
    connect(ui.zoomOutAction, &QAction::triggered, this, &WindowZoom::zoomOut);
    connect(ui.actualSizeAction, &QAction::triggered, this, &WindowZoom::actualSize);
}

WindowZoom::~WindowZoom() = default;

void WindowZoom::fitToFont()
{
    MainWindowControls &ui = m_w.ui;
    ui.statusLine->setProperty("fitTexts", allStatusTexts());
    // Grid columns: four segments and the lap time, then flag, position and
    // traffic as the lists name them.
    QVariantList columnTexts;
    for (int c = 0; c < 5; ++c)
        columnTexts << QStringList{widestGridCell()};
    columnTexts << QVariant(itemsOf(ui.flagList)) << QVariant(itemsOf(ui.positionList)) << QVariant(itemsOf(ui.trafficList));
    ui.resultsView->setProperty("fitColumnTexts", columnTexts);
    for (int seg = 1; seg <= 4; ++seg)
        ui.segmentFields[seg]->setProperty("fitTexts", QStringList{widestSegmentField()});
    for (QLabel *value : ui.statValueLabels)
        value->setProperty("fitTexts", QStringList{widestGridCell()});
    for (QLabel *clock : {ui.segmentClock, ui.lapClock, ui.raceClock})
        clock->setProperty("fitTexts", QStringList{QStringLiteral("8888.888")});
    for (QLabel *figure : ui.liveFigureValues)
        figure->setProperty("fitTexts", QStringList{QStringLiteral("8888.888 (lap 250)"), QStringLiteral("\u22128888.888")});

    // Grow the layout in small steps at the designed font sizes until every
    // text fits; the condition displays choose their own size instead.
    const QList<QLabel *> displays{ui.flagDisplay, ui.positionDisplay, ui.trafficDisplay};
    const QList<QComboBox *> lists{ui.flagList, ui.positionList, ui.trafficList};
    // Across first (widths), then down (the wrapped texts' heights).
    const auto misfitsAt = [&](double across, double down, bool heights) {
        setScreenScale(across, down);
        rescaleWidgets(&m_w, 1.0);
        ui.applyGridRowSizes();
        m_w.results().resyncColumnWidths();
        for (int i = 0; i < 3; ++i)
            fitDisplayFont(displays[i], itemsOf(lists[i]));
        int n = 0;
        for (const TextMisfit &m : textMisfits(&m_w))
            n += m.down == heights ? 1 : 0;
        return n;
    };
    constexpr double kStep = 0.05, kLargest = 2.0;
    for (m_fit = 1.0; m_fit < kLargest && misfitsAt(m_fit, 1.0, false) > 0; m_fit += kStep) {
    }
    for (m_fitDown = 1.0; m_fitDown < kLargest && misfitsAt(m_fit, m_fitDown, true) > 0; m_fitDown += kStep) {
    }
    apply();
}

bool WindowZoom::fitsScreen(int zoom) const
{
    QSize avail = m_screenSize;
    if (avail.isEmpty()) {
        const QScreen *screen = m_w.screen() ? m_w.screen() : QGuiApplication::primaryScreen();
        if (!screen)
            return true;
        avail = screen->availableGeometry().size();
    }
    const double across = m_fit * zoom / 100.0, down = m_fitDown * zoom / 100.0;
    const int designHeight = m_w.property("designClientHeightTwips").toInt();
    // The window's frame and caption, which the window system adds.
    const int frameWidth = 8, frameHeight = 40;
    const int width = int(std::lround(design::kClientWidth * across / kTwipsPerPixel)) + frameWidth;
    const int height = int(std::lround(designHeight * down / kTwipsPerPixel))
        + m_w.menuBar()->sizeHint().height() + frameHeight;
    return width <= avail.width() && height <= avail.height();
}

int WindowZoom::setZoomPercent(int percent)
{
    int zoom = qBound(kMinZoom, percent - (percent - kMinZoom) % kZoomStep, kMaxZoom);
    while (zoom > kMinZoom && !fitsScreen(zoom))
        zoom -= kZoomStep;
    if (zoom != m_zoom) {
        m_zoom = zoom;
        apply();
        save();
    }
    return m_zoom;
}

void WindowZoom::apply()
{
    MainWindowControls &ui = m_w.ui;
    setScreenScale(m_fit * m_zoom / 100.0, m_fitDown * m_zoom / 100.0);
    rescaleWidgets(&m_w, m_zoom / 100.0);
    ui.applyGridRowSizes();
    fitFace();
}

void WindowZoom::fitFace()
{
    MainWindowControls &ui = m_w.ui;
    m_applying = true;
    const QSize designed = designedSize();
    m_w.setMinimumSize(designed);
    if (!(m_w.windowState() & (Qt::WindowMaximized | Qt::WindowFullScreen)))
        m_w.resize(designed + m_extra);
    ui.zoomInAction->setEnabled(m_zoom < kMaxZoom && fitsScreen(m_zoom + kZoomStep));
    ui.zoomOutAction->setEnabled(m_zoom > kMinZoom);
    // A window grown by the zoom stays on its screen.
    keepOnScreen(true);
    m_applying = false;
    stretch();
}

QSize WindowZoom::designedSize() const
{
    const int designHeight = m_w.property("designClientHeightTwips").toInt();
    // The note that the race is shared takes a line below the controls.
    const QStatusBar *note = m_w.findChild<QStatusBar *>(QString(), Qt::FindDirectChildrenOnly);
    const int noteHeight = note && !note->isHidden() ? note->sizeHint().height() : 0;
    return {tw(design::kClientWidth), (designHeight > 0 ? twy(designHeight) : m_w.height()) + noteHeight};
}

void WindowZoom::resized()
{
    if (m_applying)
        return;
    if (!(m_w.windowState() & (Qt::WindowMaximized | Qt::WindowFullScreen))) {
        m_extra = (m_w.size() - designedSize()).expandedTo(QSize(0, 0));
        if (m_settings)
            m_settings->setValue(QStringLiteral("window/size"), m_w.size());
    }
    stretch();
}

namespace {
// A widget's designed rectangle at the current screen scale.
QRect placedRect(const QWidget *w)
{
    const QRect d = w->property("designTwips").toRect();
    return {tw(d.left()), twy(d.top()), tw(d.width()), twy(d.height())};
}
} // namespace

void WindowZoom::stretch()
{
    MainWindowControls &ui = m_w.ui;
    const QSize designed = designedSize();
    const int dx = qMax(0, m_w.width() - designed.width()), dy = qMax(0, m_w.height() - designed.height());
    const int gridDx = dx / 2;
    const QRect frame = placedRect(ui.recordedTimesFrame);
    const QRect graph = placedRect(ui.graphArea);
    const int width = designed.width(), column = frame.right() + 1;
    // Across the column beside the grid, and across the band below it, the
    // controls keep their proportions.
    const auto inColumn = [&](int x) { return column + gridDx + (x - column) * (width - column + dx - gridDx) / qMax(1, width - column); };
    const auto inBand = [&](int x) { return x + x * dx / qMax(1, width); };
    for (QWidget *w : ui.client->findChildren<QWidget *>(QString(), Qt::FindDirectChildrenOnly)) {
        if (!w->property("designTwips").isValid())
            continue;
        QRect r = placedRect(w);
        if (r.left() < 0) // kept out of sight
            continue;
        if (r.left() >= width) { // beyond the right edge, out of sight
            r.translate(dx, 0);
        } else if (w == ui.recordedTimesFrame) {
            r.adjust(0, 0, gridDx, dy);
        } else if (r.top() > frame.bottom()) {
            r = QRect(inBand(r.left()), r.top() + dy, inBand(r.right() + 1) - inBand(r.left()), r.height());
        } else if (r.left() >= column) {
            r = QRect(inColumn(r.left()), r.top(), inColumn(r.right() + 1) - inColumn(r.left()), r.height());
            if (w == ui.graphArea)
                r.setHeight(r.height() + dy);
            else if (r.top() + twy(60) > graph.bottom()) // the scales, which touch the graph
                r.translate(0, dy);
        }
        w->setGeometry(r);
    }
    const QRect grid = placedRect(ui.resultsView);
    for (QWidget *w : ui.recordedTimesFrame->findChildren<QWidget *>(QString(), Qt::FindDirectChildrenOnly)) {
        if (!w->property("designTwips").isValid())
            continue;
        QRect r = placedRect(w);
        if (w == ui.resultsView)
            r.adjust(0, 0, gridDx, dy);
        else if (r.top() > grid.bottom())
            r.translate(0, dy);
        w->setGeometry(r);
    }
    m_w.results().setExtraRoom(gridDx, dy / qMax(1, ui.resultsView->verticalHeader()->defaultSectionSize()));
    m_w.redrawAfterZoom();
}

QList<QRect> WindowZoom::screens() const
{
    if (!m_screenSize.isEmpty())
        return {QRect(QPoint(0, 0), m_screenSize)};
    QList<QRect> areas;
    for (const QScreen *s : QGuiApplication::screens())
        areas << s->availableGeometry();
    return areas;
}

void WindowZoom::keepOnScreen(bool wholly)
{
    // The frame as the window system has it; without a window manager it
    // is the window itself.
    const QRect frame = m_w.frameGeometry();
    const QPoint to = placedOnScreens(frame, screens(), wholly);
    if (to != frame.topLeft())
        m_w.move(to);
}

QPoint placedOnScreens(const QRect &frame, const QList<QRect> &screens, bool wholly)
{
    if (screens.isEmpty() || frame.isEmpty())
        return frame.topLeft();
    constexpr int kTitleBar = 30;
    const auto area = [](const QRect &r) { return qint64(r.width()) * r.height(); };
    const QRect titleBar(frame.topLeft(), QSize(frame.width(), qMin(kTitleBar, frame.height())));
    const QRect *best = &screens.first();
    qint64 bestArea = 0;
    for (const QRect &s : screens) {
        const QRect title = titleBar & s;
        const qint64 on = area(frame & s);
        if (wholly ? s.contains(frame)
                   : title.height() == titleBar.height() && 2 * title.width() >= frame.width()
                         && 4 * on >= 3 * area(frame))
            return frame.topLeft();
        if (on > bestArea) {
            bestArea = on;
            best = &s;
        }
    }
    const auto into = [](int at, int length, int first, int room) {
        return length >= room ? first : qBound(first, at, first + room - length);
    };
    return {into(frame.left(), frame.width(), best->left(), best->width()),
            into(frame.top(), frame.height(), best->top(), best->height())};
}

void WindowZoom::useSettings(std::unique_ptr<QSettings> settings)
{
    m_settings = std::move(settings);
    if (!m_settings)
        return;
    const QVariant pos = m_settings->value(QStringLiteral("window/position"));
    if (pos.isValid()) {
        // The screens may have changed since (a smaller one, a projector).
        m_w.move(pos.toPoint());
        keepOnScreen(false);
    }
    // A size remembered on a larger screen is reduced to this one.
    const QSize size = m_settings->value(QStringLiteral("window/size")).toSize();
    setZoomPercent(m_settings->value(QStringLiteral("window/zoom"), kMinZoom).toInt());
    if (size.isValid()) {
        QSize room = m_screenSize;
        if (room.isEmpty() && m_w.screen())
            room = m_w.screen()->availableGeometry().size() - QSize(8, 40); // the window system's frame
        const QSize designed = designedSize();
        m_extra = (size.boundedTo(room.isEmpty() ? size : room) - designed).expandedTo(QSize(0, 0));
        apply();
    }
}

void WindowZoom::rememberPosition()
{
    if (m_settings)
        m_settings->setValue(QStringLiteral("window/position"), m_w.pos());
}

void WindowZoom::save()
{
    if (m_settings)
        m_settings->setValue(QStringLiteral("window/zoom"), m_zoom);
}

} // namespace sw
