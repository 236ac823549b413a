#pragma once
// Arithmetic of the post-race edits: Insert (a missed press), Delete (an extra
// press), Keep Changes (a typed segment time) and the plausibility question
// that guards Insert and Delete. Plain functions of the stored cells, so every
// shift can be checked without a window; the race's edit verbs use them and
// the window asks the questions.
//
// The readings of a race form one sequence of cumulative race-clock seconds:
// lap r segments 1..n, then lap r + 1 segment 1 and so on (n segments a
// lap); the reading before (r, 1) is (r - 1, n), and (0, n) is the start
// press. Insert and Delete move readings along that sequence in columns
// 1..n only; a lap's flag, position and traffic (columns 5..7) stay put.

#include "race/Race.h"

#include <QString>

#include <array>
#include <optional>

namespace sw {

// The segment the edit commands work on: the segment field that last had the
// focus when it is one of 1..n, else segment 1.
int selectedSegment(int focusedField, int segmentsPerLap);

struct PlausibilityCheck
{
    bool ask;        // the segment looks right: ask before changing it
    int tolerance;   // whole seconds, at least 3
    int anticipated; // the most frequent whole-second time of the segment
};

// t = Int(a * 0.1 + 0.5), at least 3; ask when |v - a| < t.
PlausibilityCheck checkPlausibility(double segmentValue, int anticipated);

// "Continue with Insert?" / "Continue with Delete?"
QString plausibilityTitle(bool insert);
// The question text; fieldText is the segment field's text as shown.
QString plausibilityText(const QString &fieldText, int tolerance, int anticipated);

// The input box that asks for the amount to insert.
QString insertPromptTitle();   // "Enter Time to Insert"
QString insertPromptDefault(); // "0"
QString insertPromptText(const QString &fieldText);

// The amount typed into the input box (leading-number reading). nullopt, i.e.
// no change, for a cancelled or empty answer, text that is not a number
// ("nan" and "inf" included), a magnitude above 1e15, and exactly 0. A
// negative amount passes.
std::optional<double> insertAmount(const QString &answer);
// As above, and also nullopt unless the segment's time is greater than the
// amount (the split must leave something for the next segment).
std::optional<double> insertAmount(const QString &answer, double segmentValue);

// Splits segment seg of lap lap: its new reading is the reading before it
// plus x; the old reading and every later one move one place on. The reading
// at lap 250, segment n drops off the end; lap 251 is not touched.
// Returns false (record unchanged) when seg is not one of 1..n or
// lap is past 250.
bool insertReading(RaceRecordCells &cells, int segmentsPerLap, int lap, int seg, double x);

// Removes the reading of segment seg of lap lap, so that segment and the
// next become one: every later reading moves one place back, lap 251's
// readings included, and the last place of the sequence (lap 251, segment
// n) becomes empty. Returns false (record unchanged) when seg is not
// one of 1..n or lap is not one of 0..251.
bool deleteReading(RaceRecordCells &cells, int segmentsPerLap, int lap, int seg);

struct KeepChangesResult
{
    int editedSegment; // 1..n; 0 = no segment was edited
    double newReading; // the reading that segment gets (only when edited)
};

// Finds the first segment of lap lap whose field value (fieldValues[n] for
// segment n, as typed) differs from the segment time the record shows there
// by more than half a thousandth. The shown time is the one the grid and the
// fields display: rounded to thousandths, and 0 for a reading smaller than
// the one before it, so an untouched field never counts as an edit.
KeepChangesResult findEditedSegment(const RaceRecordCells &cells, int segmentsPerLap, int lap,
                                    const std::array<double, 5> &fieldValues);


} // namespace sw
