#pragma once

#include <QByteArray>
#include <QString>
#include <QStringView>
#include <QtGlobal>

#include <functional>
#include <optional>

// The command list as the runner sees it: each entry is one line of text, and one tick of
// the run processes the entry at ListStepIndex.

enum class EntryKind {
    Empty, // the run idles on it
    Delay, // "Delay" + separator + milliseconds
    Jump,  // "GoIdx" + separator + zero-based index
    Hex,   // everything else, sent as the bytes its hex pairs give
};

EntryKind classifyEntry(QStringView entry);

// The number of a delay or jump entry (from its seventh character on), rounded to the
// nearest integer with ties to even; nothing when it cannot be a whole number at all.
std::optional<qint64> entryNumber(QStringView entry);

// The gap between entries typed in Text22: a whole number of milliseconds from 1 to 65535.
std::optional<int> gapFromText(QStringView text);

// Text20 keeps delays within 50..60000 ms: the text to show instead, or nothing when the
// typed text may stay.
std::optional<QString> limitDelayText(QStringView text);

// The entry the runner inserts for the delay typed in Text20.
QString delayEntry(const QString& delayText);

struct ListStep {
    QByteArray frame; // to hand to SendComm; empty when this tick sends nothing
    qint16 nextIndex; // ListStepIndex after the tick
    int interval;     // ms until the next tick; 0 means the ticks stop
};

// One tick of the run: the entry at `index` is processed and the one after it looked at
// (a delay there sets the gap and is stepped over; a jump there moves the position).
// `entryAt` gives the text of an entry 0..count-1; `gap` is the default gap in ms.
ListStep stepCommandList(qsizetype count, const std::function<QString(qsizetype)>& entryAt,
                         qint16 index, int gap);
