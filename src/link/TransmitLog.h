#pragma once

#include "link/LogModel.h"

#include <QByteArrayView>
#include <QString>

#include <optional>

// Command code a frame carries: byte 1 of an RTU frame; for an ASC frame (":" first) the
// code decoded from its hex text (characters 3 and 4), so ASC requests get the right label.
std::optional<quint8> frameCommandCode(QByteArrayView frame);

// Plain-language send-log label of a command code, or an empty text.
QString sendLabel(quint8 code);

// The send log's entry for one transmission, written on top of the log: the label line of
// `frame`'s command (LF CR), the PLC marker line in PLC mode (LF CR), then the hex and
// character dumps of `outgoing` (LF each). The caller has applied the size rule first.
void logTransmission(LogModel& log, QByteArrayView frame, QByteArrayView outgoing, bool plcMode);

// The send log's entry for a frame that PLC mode cannot map: the label line, the PLC marker
// line and the reason, nothing sent and nothing counted.
void logUnmappable(LogModel& log, QByteArrayView frame, const QString& reason);
