#include "ui/TextFit.h"

#include <QAbstractButton>
#include <QComboBox>
#include <QGroupBox>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QStyle>
#include <QStyleOptionComboBox>
#include <QTableView>

namespace sw {

namespace {

QStringList textsOf(const QWidget *w, const QString &shown)
{
    QStringList texts = w->property("fitTexts").toStringList();
    if (!shown.isEmpty() && !texts.contains(shown))
        texts << shown;
    return texts;
}

QString plain(QString t)
{
    t.remove(QLatin1Char('&'));
    return t;
}

void checkLabel(QLabel *l, QList<TextMisfit> &out)
{
    if (!l->pixmap().isNull() || l->textFormat() == Qt::RichText)
        return;
    const QRect room = l->contentsRect().adjusted(l->margin(), l->margin(), -l->margin(), -l->margin());
    const QFontMetrics fm(l->font());
    for (const QString &raw : textsOf(l, l->text())) {
        QString t = raw;
        t.replace(QLatin1String("\r\n"), QLatin1String("\n")).replace(QLatin1Char('\r'), QLatin1Char('\n'));
        if (l->wordWrap()) {
            const QRect need = fm.boundingRect(QRect(0, 0, room.width(), 100000),
                                               Qt::TextWordWrap | int(l->alignment()), t);
            if (need.height() > room.height())
                out.push_back({l, raw, need.height(), room.height(), true});
            else if (need.width() > room.width())
                out.push_back({l, raw, need.width(), room.width()});
        } else {
            int width = 0;
            for (const QString &line : t.split(QLatin1Char('\n')))
                width = qMax(width, fm.horizontalAdvance(line));
            const int lines = int(t.count(QLatin1Char('\n'))) + 1;
            if (width > room.width())
                out.push_back({l, raw, width, room.width()});
            else if (lines * fm.height() > room.height() + 2)
                out.push_back({l, raw, lines * fm.height(), room.height(), true});
        }
    }
}

void checkButton(QAbstractButton *b, QList<TextMisfit> &out)
{
    const QString t = plain(b->text());
    if (t.isEmpty())
        return;
    const QFontMetrics fm(b->font());
    int room = b->width();
    if (qobject_cast<QRadioButton *>(b)) {
        room -= b->style()->pixelMetric(QStyle::PM_ExclusiveIndicatorWidth, nullptr, b)
            + b->style()->pixelMetric(QStyle::PM_RadioButtonLabelSpacing, nullptr, b);
    } else {
        room -= 2 * b->style()->pixelMetric(QStyle::PM_ButtonMargin, nullptr, b) / 2 + 4;
    }
    const int need = fm.horizontalAdvance(t);
    if (need > room)
        out.push_back({b, t, need, room});
}

void checkCombo(QComboBox *c, QList<TextMisfit> &out)
{
    QStyleOptionComboBox opt;
    opt.initFrom(c);
    opt.editable = c->isEditable();
    const QRect field = c->style()->subControlRect(QStyle::CC_ComboBox, &opt, QStyle::SC_ComboBoxEditField, c);
    const QFontMetrics fm(c->font());
    for (int i = 0; i < c->count(); ++i) {
        const int need = fm.horizontalAdvance(c->itemText(i));
        if (need > field.width())
            out.push_back({c, c->itemText(i), need, field.width()});
    }
}

int lineEditRoom(const QLineEdit *e)
{
    const QMargins m = e->textMargins();
    // QLineEdit keeps 2 pixels beside the text and the frame's width.
    const int frame = e->hasFrame() ? e->style()->pixelMetric(QStyle::PM_DefaultFrameWidth, nullptr, e) : 0;
    return e->contentsRect().width() - m.left() - m.right() - 2 * frame - 4;
}

void checkLineEdit(QLineEdit *e, QList<TextMisfit> &out)
{
    if (!e->property("fitTexts").isValid())
        return;
    const QFontMetrics fm(e->font());
    const int room = lineEditRoom(e);
    for (const QString &t : textsOf(e, e->text())) {
        const int need = fm.horizontalAdvance(t);
        if (need > room)
            out.push_back({e, t, need, room});
    }
}

void checkTable(QTableView *v, QList<TextMisfit> &out)
{
    QAbstractItemModel *m = v->model();
    if (!m)
        return;
    QHeaderView *h = v->horizontalHeader();
    QFont headFont = h->font();
    headFont.setBold(h->highlightSections());
    const QFontMetrics hfm(headFont);
    const QFontMetrics cfm(v->font());
    const QVariantList columnTexts = v->property("fitColumnTexts").toList();
    for (int c = 0; c < m->columnCount(); ++c) {
        const QStringList cellTexts = c < columnTexts.size() ? columnTexts[c].toStringList() : QStringList();
        const int width = v->columnWidth(c);
        if (v->isColumnHidden(c) || width < 5)
            continue; // a column a few pixels wide is hidden by design
        const QString head = m->headerData(c, Qt::Horizontal).toString();
        const int room = width - 2 * h->style()->pixelMetric(QStyle::PM_HeaderMargin, nullptr, h);
        if (hfm.horizontalAdvance(head) > room)
            out.push_back({v, head, hfm.horizontalAdvance(head), room});
        for (const QString &t : cellTexts) {
            const int need = cfm.horizontalAdvance(t) + 6; // the cell's text margins
            if (need > width)
                out.push_back({v, t, need, width});
        }
    }
    QHeaderView *rows = v->verticalHeader();
    const QString lastRow = m->headerData(m->rowCount() - 1, Qt::Vertical).toString();
    const int room = rows->width() - 2 * rows->style()->pixelMetric(QStyle::PM_HeaderMargin, nullptr, rows);
    if (QFontMetrics(rows->font()).horizontalAdvance(lastRow) > room)
        out.push_back({v, lastRow, QFontMetrics(rows->font()).horizontalAdvance(lastRow), room});
}

} // namespace

QList<TextMisfit> textMisfits(QWidget *root, bool visibleOnly)
{
    QList<TextMisfit> out;
    QList<QWidget *> all = root->findChildren<QWidget *>();
    all.prepend(root);
    for (QWidget *w : all) {
        if (visibleOnly && !w->isVisible())
            continue;
        const QVariant design = w->property("designTwips");
        if (design.isValid() && design.toRect().left() < 0)
            continue; // out of sight by design
        if (!design.isValid() && !visibleOnly && w != root && !w->property("fitTexts").isValid())
            continue; // only the placed widgets, unless asked for everything shown
        if (auto *l = qobject_cast<QLabel *>(w))
            checkLabel(l, out);
        else if (auto *b = qobject_cast<QAbstractButton *>(w))
            checkButton(b, out);
        else if (auto *c = qobject_cast<QComboBox *>(w))
            checkCombo(c, out);
        else if (auto *e = qobject_cast<QLineEdit *>(w))
            checkLineEdit(e, out);
        else if (auto *v = qobject_cast<QTableView *>(w))
            checkTable(v, out);
        else if (auto *g = qobject_cast<QGroupBox *>(w)) {
            const int need = QFontMetrics(g->font()).horizontalAdvance(g->title());
            if (need > g->width() - 8)
                out.push_back({g, g->title(), need, g->width() - 8});
        }
    }
    return out;
}

void fitFieldFont(QLineEdit *field)
{
    const QVariant design = field->property("designPointSize");
    if (!design.isValid() || design.toDouble() <= 0)
        return;
    // The size the field was designed with; designPointSize follows the
    // text so that a zoom keeps the smaller size.
    if (!field->property("fullPointSize").isValid())
        field->setProperty("fullPointSize", design);
    const double full = field->property("fullPointSize").toDouble();
    const double zoom = field->font().pointSizeF() / design.toDouble();
    const int room = lineEditRoom(field);
    QFont f = field->font();
    double points = full;
    for (; points > 0.6 * full; points -= 0.25) {
        f.setPointSizeF(points * zoom);
        if (QFontMetrics(f).horizontalAdvance(field->text()) <= room)
            break;
    }
    if (points == design.toDouble())
        return;
    field->setProperty("designPointSize", points);
    f.setPointSizeF(points * zoom);
    field->setFont(f);
}

QString describe(const TextMisfit &m)
{
    return QStringLiteral("%1 \"%2\": needs %3 px, has %4")
        .arg(m.widget ? m.widget->objectName() + QLatin1Char('(') + QLatin1String(m.widget->metaObject()->className())
                            + QLatin1Char(')')
                      : QString(),
             m.text)
        .arg(m.needed)
        .arg(m.available);
}

} // namespace sw
