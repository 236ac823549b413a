// What a screen reader says for every control the operator uses, in the
// timing face and in the editing face: each has a name, the name says what
// the control is, and no two controls share a name (so the segment fields,
// the clocks, the lists and the buttons can be told apart by ear).

#include "support/RaceFixture.h"
#include "ui/ClickPanel.h"

#include <QAccessible>
#include <QRegularExpression>
#include <QtTest>

#include <memory>
#include <vector>

using namespace sw;

namespace {

struct Control
{
    QString tag;
    QWidget *widget;
    QString mustMention; // case-insensitive pattern the spoken name must match
};

std::vector<Control> operatorControls(FrmHeadControls &ui)
{
    std::vector<Control> c;
    for (int i = 1; i <= 4; ++i)
        c.push_back({QStringLiteral("SpecData%1").arg(i), ui.SpecData[i], QStringLiteral("seg(ment)? %1").arg(i)});
    const std::pair<int, const char *> lists[] = {{0, "lap"}, {5, "flag"}, {6, "position"}, {7, "traffic"}, {10, "graph"}};
    for (const auto &[i, word] : lists)
        c.push_back({QStringLiteral("cmbSpecData%1").arg(i), ui.cmbSpecData[i], QString::fromLatin1(word)});
    const char *label1[8] = {"lap", "seg", "position", "traffic", "flag", "segment.*clock|clock.*segment",
                             "lap.*clock|clock.*lap", "race.*clock|clock.*race"};
    for (int i = 0; i < 8; ++i)
        c.push_back({QStringLiteral("Label1_%1").arg(i), ui.Label1[i], QString::fromLatin1(label1[i])});
    // Arrow buttons: which condition and which way.
    const char *command1[6] = {"position.*up", "position.*down", "traffic.*up", "traffic.*down", "flag.*up", "flag.*down"};
    for (int i = 0; i < 6; ++i)
        c.push_back({QStringLiteral("Command1_%1").arg(i), ui.Command1[i], QString::fromLatin1(command1[i])});
    const char *command3[5] = {"insert", "delete", "start", "finish|keep", "cancel"};
    for (int i = 0; i < 5; ++i)
        c.push_back({QStringLiteral("Command3_%1").arg(i), ui.Command3[i], QString::fromLatin1(command3[i])});
    const char *option1[3] = {"graph.*flag", "graph.*position", "graph.*traffic"};
    for (int i = 0; i < 3; ++i)
        c.push_back({QStringLiteral("Option1_%1").arg(i), ui.Option1[i], QString::fromLatin1(option1[i])});
    c.push_back({QStringLiteral("Grid1"), ui.Grid1, QStringLiteral("times")});
    c.push_back({QStringLiteral("Picture1"), ui.Picture1, QStringLiteral("graph")});
    c.push_back({QStringLiteral("Text2"), ui.Text2, QStringLiteral("timing")});
    const char *specName[8] = {"lap", "seg 1", "seg 2", "seg 3", "seg 4", "flag", "position", "traffic"};
    for (int i = 0; i < 8; ++i)
        c.push_back({QStringLiteral("SpecName%1").arg(i), ui.SpecName[i], QString::fromLatin1(specName[i])});
    return c;
}

// The name a screen reader announces: the accessible name, or for buttons
// and labels without one, their visible text. On Linux a list's own name is
// the item it shows, so the reader announces it by the label tied to it.
QString spokenName(QWidget *w)
{
    QAccessibleInterface *iface = QAccessible::queryAccessibleInterface(w);
    if (!iface)
        return QString();
    QString name = iface->text(QAccessible::Name).simplified();
    if (iface->role() == QAccessible::ComboBox && name == iface->text(QAccessible::Value).simplified()) {
        QStringList labels;
        for (const auto &rel : iface->relations(QAccessible::Label))
            labels << rel.first->text(QAccessible::Name).simplified();
        name = labels.join(QLatin1Char(' '));
    }
    return name;
}

// A caption tied to a field is heard as that field's label, not as a
// control of its own.
bool labelsAField(QWidget *w)
{
    auto *l = qobject_cast<QLabel *>(w);
    return l && l->buddy();
}

} // namespace

class TstAccessibility : public QObject
{
    Q_OBJECT

    std::unique_ptr<RaceFixture> m_timing;  // armed, clocks running
    std::unique_ptr<RaceFixture> m_editing; // finished race, editing face

    RaceFixture &face(const QString &name) { return name == QLatin1String("editing") ? *m_editing : *m_timing; }

private slots:
    void initTestCase()
    {
        m_timing = std::make_unique<RaceFixture>(4);
        m_timing->armAndPress({1.0, 2.0});
        m_editing = std::make_unique<RaceFixture>(4);
        m_editing->armAndPress({1.0, 2.0, 3.0, 4.0, 5.0});
        m_editing->finish();
        QCOMPARE(m_editing->state.rec.RaceState, qint16(RaceFinished));
    }

    void cleanupTestCase()
    {
        m_editing.reset();
        m_timing.reset();
    }

    void everyControlIsNamed_data()
    {
        QTest::addColumn<QString>("face");
        QTest::addColumn<int>("index");
        for (const char *f : {"timing", "editing"}) {
            const std::vector<Control> controls = operatorControls(face(QString::fromLatin1(f)).w->ui);
            for (int i = 0; i < int(controls.size()); ++i)
                QTest::addRow("%s/%s", f, qPrintable(controls[i].tag)) << QString::fromLatin1(f) << i;
        }
    }

    void everyControlIsNamed()
    {
        QFETCH(QString, face);
        QFETCH(int, index);
        const Control c = operatorControls(this->face(face).w->ui).at(index);
        QVERIFY(c.widget);
        QVERIFY2(QAccessible::queryAccessibleInterface(c.widget), qPrintable(c.tag));
        const QString name = spokenName(c.widget);
        QVERIFY2(!name.isEmpty(), qPrintable(c.tag + QLatin1String(" has no name")));
        const QRegularExpression says(c.mustMention, QRegularExpression::CaseInsensitiveOption);
        QVERIFY2(says.match(name).hasMatch(),
                 qPrintable(QStringLiteral("%1 is read as \"%2\"").arg(c.tag, name)));
    }

    void namesAreDistinct_data()
    {
        QTest::addColumn<QString>("face");
        QTest::newRow("timing") << QStringLiteral("timing");
        QTest::newRow("editing") << QStringLiteral("editing");
    }

    void namesAreDistinct()
    {
        QFETCH(QString, face);
        QHash<QString, QString> owner; // spoken name, lower case -> control
        QStringList clashes;
        for (const Control &c : operatorControls(this->face(face).w->ui)) {
            if (labelsAField(c.widget))
                continue;
            const QString key = spokenName(c.widget).toLower();
            if (owner.contains(key))
                clashes << QStringLiteral("%1 and %2: \"%3\"").arg(owner.value(key), c.tag, key);
            else
                owner.insert(key, c.tag);
        }
        QCOMPARE(clashes.join(QLatin1String("; ")), QString());
    }
};

QTEST_MAIN(TstAccessibility)
#include "tst_accessibility.moc"
