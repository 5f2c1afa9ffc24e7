#pragma once

#include "SimulatedDriver.h"
#include "link/FrameCodec.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QList>
#include <QStringList>

#include <optional>

// What goes back on the line for one request.
struct BusReply {
    QByteArray frame;   // empty when nobody answers
    QByteArray trailer; // the LastChr character, sent right after the frame
};

// The drivers on one RS-485 line and the protocol between the line and them: framing in
// and out (RTU, ASC, standard Modbus function 3/16), addressing, checksum and length
// checks, failure replies.
class DriveBus {
public:
    DriveBus(const QList<quint8>& addresses, SwitchLayout switches, quint8 baudCode);

    // One gathered request, as it came off the line.
    BusReply handleRequest(QByteArrayView frame, qint64 nowMs);
    void advanceTo(qint64 nowMs);

    // Sets the inputs of every driver, or of the driver at address, and runs the IO
    // substitution commands the new combination selects. One line per command run.
    QStringList setInputs(quint8 inputs, std::optional<quint8> address, qint64 nowMs);

    // The baud-rate code last set by a command since the previous call.
    std::optional<quint8> takeBaudChange();

    QString summary() const;
    const QList<SimulatedDriver>& drivers() const { return drivers_; }

private:
    SimulatedDriver* driverAt(quint8 address);
    SimulatedDriver::Outcome run(SimulatedDriver& driver, quint8 code, QByteArrayView data,
                                 qint64 nowMs);
    BusReply handleDriverRequest(QByteArrayView request, bool checksumOk, ProtocolMode mode,
                                 qint64 nowMs);
    BusReply handlePlcRequest(QByteArrayView frame, qint64 nowMs);
    QByteArray plcReply(SimulatedDriver& driver, QByteArrayView body, qint64 nowMs);

    QList<SimulatedDriver> drivers_;
    std::optional<quint8> baudChange_;
};
