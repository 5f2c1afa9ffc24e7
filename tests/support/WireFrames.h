#pragma once

#include "link/FrameCodec.h"

#include <QByteArray>

// Frames of a request given as hex text, for the simulator's tests (the codec is checked
// against the worked examples on its own).
inline QByteArray hex(const char* text) {
    return QByteArray::fromHex(text);
}
inline QByteArray rtu(const char* text) {
    return BuildFrame(hex(text), ProtocolMode::Rtu);
}
inline QByteArray asc(const char* text) {
    return BuildFrame(hex(text), ProtocolMode::Asc);
}
