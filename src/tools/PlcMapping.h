#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QString>

#include <optional>

// Standard Modbus RTU register request for a driver request: a read (function 3) or a write
// (function 16) at register base + command code.
struct PlcMapping {
    QByteArray request; // empty when the frame cannot be mapped
    QString problem;    // why not, for the send log
};

// `frame` is an RTU frame (request + CRC), or an ASC frame (":" first) that is read back into
// its request bytes first. `baseText` is the register base as typed; `read` selects function 3.
// Nothing is guessed: a frame that does not hold what the mapping reads is refused.
PlcMapping MapToPlcRequest(QByteArrayView frame, const QString& baseText, bool read);

// Register number: (base + code) rounded, ties to even, modulo 65536; none for a base that is
// not a finite number.
std::optional<quint16> plcRegisterNumber(double base, quint8 code);
