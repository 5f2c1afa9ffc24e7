#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QString>

// Standard Modbus RTU register request for a driver request: a read (function 3) or a write
// (function 16) at register base + command code.
struct PlcMapping {
    QByteArray request; // empty when the frame cannot be mapped
    QString problem;    // why not, for the send log
};

// `frame` is an RTU frame, or an ASC frame (":" first) that is read back into its request
// bytes first. `baseText` is the register base as typed; `read` selects function 3.
PlcMapping MapToPlcRequest(QByteArrayView frame, const QString& baseText, bool read);

// Register number: (base + code) rounded, ties to even, modulo 65536.
quint16 plcRegisterNumber(double base, quint8 code);
