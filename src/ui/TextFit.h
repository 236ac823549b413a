#pragma once
// Whether the texts of a window fit the room their widgets give them, with
// the fonts they have now. The main window grows its layout until every text
// of both faces fits; tests walk every window with it.
//
// A widget may carry a property "fitTexts" (QStringList): every text it can
// show, not only the one it shows now (the status line of each race state,
// the values of a condition display). A table view carries
// "fitColumnTexts" (QVariantList of QStringList, one per column): the widest
// texts of each column's cells. Widgets placed out of sight by design
// (left < 0) are not checked.

#include <QString>
#include <QStringList>

class QLineEdit;
class QWidget;

namespace sw {

struct TextMisfit
{
    QWidget *widget = nullptr;
    QString text;
    int needed = 0;    // pixels the text needs (width, or height for wrapped texts)
    int available = 0; // pixels the widget gives it
    bool down = false; // the text needs more height (else more width)
};

// Every text below root (root included) that does not fit; hidden widgets
// are checked too unless visibleOnly.
QList<TextMisfit> textMisfits(QWidget *root, bool visibleOnly = false);

// A readable line per misfit, for messages and test failures.
QString describe(const TextMisfit &m);

// Gives a field the largest font up to its designed size (at the zoom it
// has) at which its text fits, down to 60 % of that size: a time read from a
// file may have more digits than the field was designed for.
void fitFieldFont(QLineEdit *field);

// The widest cell text of the results grid and of a segment field.
inline QString widestGridCell() { return QStringLiteral("88888.000"); }
inline QString widestSegmentField() { return QStringLiteral("8888.000"); }

} // namespace sw
