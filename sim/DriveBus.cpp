#include "DriveBus.h"

#include <algorithm>

namespace {

constexpr quint8 kBroadcast = 0x00;
constexpr quint8 kFailureBit = 0x80;
constexpr quint8 kReadRegisters = 0x03;
constexpr quint8 kWriteRegisters = 0x10;
constexpr int kMaxReadQuantity = 125;
constexpr int kMaxWriteQuantity = 123;
// A reply of "8-byte length" holds six bytes before its CRC.
constexpr qsizetype kPaddedReplyBytes = 6;

namespace ModbusException {
constexpr quint8 IllegalFunction = 0x01;
constexpr quint8 IllegalDataAddress = 0x02;
constexpr quint8 IllegalDataValue = 0x03;
} // namespace ModbusException

quint8 byteAt(QByteArrayView bytes, qsizetype index) {
    return static_cast<quint8>(bytes[index]);
}

// Hex pairs only; anything else (odd count, other characters) gives nullopt.
std::optional<QByteArray> strictHex(QByteArrayView text) {
    if (text.size() % 2 != 0) {
        return std::nullopt;
    }
    QByteArray bytes;
    bytes.reserve(text.size() / 2);
    for (qsizetype i = 0; i < text.size(); i += 2) {
        const int high = hexDigitValue(text[i]);
        const int low = hexDigitValue(text[i + 1]);
        if (high < 0 || low < 0) {
            return std::nullopt;
        }
        bytes.append(static_cast<char>(high * 16 + low));
    }
    return bytes;
}

QByteArray requestBytes(quint8 address, quint8 code, QByteArrayView data) {
    QByteArray bytes;
    bytes.append(static_cast<char>(address));
    bytes.append(static_cast<char>(code));
    bytes.append(static_cast<char>(data.size()));
    bytes.append(data.data(), data.size());
    return bytes;
}

QByteArray plcException(quint8 address, quint8 function, quint8 exception) {
    QByteArray bytes;
    bytes.append(static_cast<char>(address));
    bytes.append(static_cast<char>(function | kFailureBit));
    bytes.append(static_cast<char>(exception));
    return bytes;
}

// The data bytes a register write carries for the command: writes are padded with zeros to
// whole register pairs, so take as many bytes as the command needs.
std::optional<QByteArray> commandDataFromRegisters(const CommandShape& shape,
                                                   QByteArrayView payload) {
    if (shape.code == Cmd::StoreIoCommand) {
        if (payload.isEmpty()) {
            return std::nullopt;
        }
        // A zero code after the input number is padding: the entry is to be cleared.
        if (payload.size() < 3 || byteAt(payload, 1) == 0) {
            return payload.first(1).toByteArray();
        }
        const qsizetype total = 3 + byteAt(payload, 2);
        if (total > payload.size()) {
            return std::nullopt;
        }
        return payload.first(total).toByteArray();
    }
    if (shape.minDataLength != shape.maxDataLength) {
        return payload.first(std::min<qsizetype>(payload.size(), shape.maxDataLength))
            .toByteArray();
    }
    if (payload.size() < shape.minDataLength) {
        return std::nullopt;
    }
    return payload.first(shape.minDataLength).toByteArray();
}

} // namespace

DriveBus::DriveBus(const QList<quint8>& addresses, SwitchLayout switches, quint8 baudCode) {
    for (const quint8 address : addresses) {
        drivers_.append(SimulatedDriver(address, switches, baudCode));
    }
}

void DriveBus::advanceTo(qint64 nowMs) {
    for (SimulatedDriver& driver : drivers_) {
        driver.advanceTo(nowMs);
    }
}

SimulatedDriver* DriveBus::driverAt(quint8 address) {
    for (SimulatedDriver& driver : drivers_) {
        if (driver.address() == address) {
            return &driver;
        }
    }
    return nullptr;
}

std::optional<quint8> DriveBus::takeBaudChange() {
    return std::exchange(baudChange_, std::nullopt);
}

SimulatedDriver::Outcome DriveBus::run(SimulatedDriver& driver, quint8 code, QByteArrayView data,
                                       qint64 nowMs) {
    const CommandShape* shape = findCommand(code);
    if (shape == nullptr) {
        return {DriveError::UnknownCommand, {}};
    }
    if (data.size() < shape->minDataLength || data.size() > shape->maxDataLength) {
        return {DriveError::DataLength, {}};
    }
    // Two drivers with one address would both answer: refuse to create that.
    if (code == Cmd::SetAddress) {
        const SimulatedDriver* holder = driverAt(byteAt(data, 0));
        if (holder != nullptr && holder != &driver) {
            return {DriveError::OutOfRange, {}};
        }
    }
    SimulatedDriver::Outcome outcome = driver.execute(code, data, nowMs);
    if (code == Cmd::SetBaud && outcome.error == DriveError::None) {
        baudChange_ = driver.baudCode();
    }
    return outcome;
}

BusReply DriveBus::handleRequest(QByteArrayView frame, qint64 nowMs) {
    advanceTo(nowMs);
    if (frame.isEmpty()) {
        return {};
    }
    if (frame[0] == ':') {
        QByteArrayView text = frame.sliced(1);
        while (!text.isEmpty() && (text.back() == '\n' || text.back() == '\r')) {
            text.chop(1);
        }
        const std::optional<QByteArray> bytes = strictHex(text);
        if (!bytes || bytes->size() < 3) {
            // Unreadable text: answer as a checksum failure if address and code can be read.
            const std::optional<QByteArray> head =
                strictHex(text.first(std::min<qsizetype>(text.size(), 4)));
            if (head && head->size() == 2) {
                return handleDriverRequest(*head, false, ProtocolMode::Asc, nowMs);
            }
            return {};
        }
        const QByteArrayView request = QByteArrayView(*bytes).chopped(1);
        const bool checksumOk = ComputeLrc(request) == static_cast<quint8>(bytes->back());
        return handleDriverRequest(request, checksumOk, ProtocolMode::Asc, nowMs);
    }
    if (frame.size() >= 2 && byteAt(frame, 1) < Cmd::Handshake) {
        return handlePlcRequest(frame, nowMs);
    }
    if (frame.size() < 5) {
        return handleDriverRequest(frame, false, ProtocolMode::Rtu, nowMs);
    }
    const QByteArrayView request = frame.chopped(2);
    const quint16 crc = quint16(byteAt(frame, frame.size() - 2)) |
                        quint16(quint16(byteAt(frame, frame.size() - 1)) << 8);
    return handleDriverRequest(request, crc16Modbus(request) == crc, ProtocolMode::Rtu, nowMs);
}

BusReply DriveBus::handleDriverRequest(QByteArrayView request, bool checksumOk, ProtocolMode mode,
                                       qint64 nowMs) {
    if (request.size() < 2 || drivers_.isEmpty()) {
        return {};
    }
    const quint8 address = byteAt(request, 0);
    const quint8 code = byteAt(request, 1);
    const bool lengthOk = request.size() >= 3 && byteAt(request, 2) == request.size() - 3;
    const QByteArrayView data = request.size() > 3 ? request.sliced(3) : QByteArrayView();
    SimulatedDriver* driver = nullptr;
    if (address == kBroadcast && code == Cmd::QueryAddress) {
        driver = &drivers_.first();
    } else if (address == kBroadcast) {
        if (checksumOk && lengthOk) {
            for (SimulatedDriver& each : drivers_) {
                run(each, code, data, nowMs);
            }
        }
        return {};
    } else {
        driver = driverAt(address);
    }
    if (driver == nullptr) {
        return {};
    }
    const quint8 replyAddress = driver->address();
    QByteArray reply;
    quint8 error = DriveError::None;
    if (!checksumOk && !driver->checksumIgnored()) {
        error = DriveError::Checksum;
    } else if (!lengthOk) {
        error = findCommand(code) == nullptr ? DriveError::UnknownCommand : DriveError::DataLength;
    } else {
        SimulatedDriver::Outcome outcome = run(*driver, code, data, nowMs);
        error = outcome.error;
        reply = requestBytes(replyAddress, code, outcome.data);
    }
    if (error != DriveError::None) {
        reply = requestBytes(replyAddress, code | kFailureBit, QByteArray(1, char(error)));
    }
    if (driver->padsReplies()) {
        while (reply.size() < kPaddedReplyBytes) {
            reply.append('\0');
        }
        reply[2] = static_cast<char>(reply.size() - 3);
    }
    BusReply result;
    result.frame = BuildFrame(reply, mode);
    if (const auto last = driver->lastCharacter()) {
        result.trailer = QByteArray(1, static_cast<char>(*last));
    }
    return result;
}

// Standard Modbus RTU: a frame with a bad CRC is not answered, address 0 is a broadcast
// (except for the register that maps to the address query).
BusReply DriveBus::handlePlcRequest(QByteArrayView frame, qint64 nowMs) {
    if (frame.size() < 4 || drivers_.isEmpty()) {
        return {};
    }
    const QByteArrayView body = frame.chopped(2);
    const quint16 crc = quint16(byteAt(frame, frame.size() - 2)) |
                        quint16(quint16(byteAt(frame, frame.size() - 1)) << 8);
    if (crc16Modbus(body) != crc) {
        return {};
    }
    const quint8 address = byteAt(body, 0);
    SimulatedDriver* driver = nullptr;
    if (address == kBroadcast) {
        SimulatedDriver& first = drivers_.first();
        const bool addressQuery =
            body.size() >= 4 && quint16((quint16(byteAt(body, 2)) << 8 | byteAt(body, 3)) -
                                        first.registerBase()) == Cmd::QueryAddress;
        if (!addressQuery) {
            for (SimulatedDriver& each : drivers_) {
                plcReply(each, body, nowMs);
            }
            return {};
        }
        driver = &first;
    } else {
        driver = driverAt(address);
    }
    if (driver == nullptr) {
        return {};
    }
    return {BuildFrame(plcReply(*driver, body, nowMs), ProtocolMode::Rtu), {}};
}

QByteArray DriveBus::plcReply(SimulatedDriver& driver, QByteArrayView body, qint64 nowMs) {
    const quint8 address = driver.address();
    const quint8 function = byteAt(body, 1);
    if (function != kReadRegisters && function != kWriteRegisters) {
        return plcException(address, function, ModbusException::IllegalFunction);
    }
    if (body.size() < 6) {
        return plcException(address, function, ModbusException::IllegalDataValue);
    }
    const quint16 reg = quint16(byteAt(body, 2)) << 8 | byteAt(body, 3);
    const int quantity = int(byteAt(body, 4)) << 8 | byteAt(body, 5);
    const quint16 code = quint16(reg - driver.registerBase());
    const CommandShape* shape = code <= 0xFF ? findCommand(quint8(code)) : nullptr;
    if (shape == nullptr) {
        return plcException(address, function, ModbusException::IllegalDataAddress);
    }
    if (function == kReadRegisters) {
        if (body.size() != 6 || quantity > kMaxReadQuantity || shape->minDataLength > 0) {
            return plcException(address, function, ModbusException::IllegalDataValue);
        }
        const SimulatedDriver::Outcome outcome = run(driver, shape->code, {}, nowMs);
        if (outcome.error != DriveError::None) {
            return plcException(address, function, ModbusException::IllegalDataValue);
        }
        // The registers hold the reply's data bytes, cut or zero-filled to the quantity.
        QByteArray registers = outcome.data;
        registers.resize(2 * quantity, '\0');
        QByteArray reply;
        reply.append(static_cast<char>(address));
        reply.append(static_cast<char>(function));
        reply.append(static_cast<char>(registers.size()));
        reply.append(registers);
        return reply;
    }
    const int byteCount = body.size() >= 7 ? byteAt(body, 6) : -1;
    if (quantity > kMaxWriteQuantity || byteCount != 2 * quantity || body.size() != 7 + byteCount) {
        return plcException(address, function, ModbusException::IllegalDataValue);
    }
    const std::optional<QByteArray> data = commandDataFromRegisters(*shape, body.sliced(7));
    if (!data || run(driver, shape->code, *data, nowMs).error != DriveError::None) {
        return plcException(address, function, ModbusException::IllegalDataValue);
    }
    QByteArray reply = body.first(6).toByteArray();
    reply[0] = static_cast<char>(address);
    return reply;
}

QStringList DriveBus::setInputs(quint8 inputs, std::optional<quint8> address, qint64 nowMs) {
    QStringList lines;
    for (SimulatedDriver& driver : drivers_) {
        if (address && driver.address() != *address) {
            continue;
        }
        const QByteArray command = driver.setInputs(inputs, nowMs);
        if (command.size() < 2) {
            continue;
        }
        const SimulatedDriver::Outcome outcome =
            run(driver, byteAt(command, 0), QByteArrayView(command).sliced(2), nowMs);
        lines << QStringLiteral("driver %1: input number %2 ran %3: %4")
                     .arg(driver.address())
                     .arg(inputs & 0x1F)
                     .arg(FormatHexPairs(command).trimmed())
                     .arg(outcome.error == DriveError::None
                              ? QStringLiteral("done")
                              : QStringLiteral("refused with error %1").arg(outcome.error));
    }
    return lines;
}

QString DriveBus::summary() const {
    QStringList parts;
    for (const SimulatedDriver& driver : drivers_) {
        parts << driver.summary();
    }
    return parts.join(QLatin1Char('\n'));
}
