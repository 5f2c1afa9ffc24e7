#pragma once

#include <QByteArray>

// Checksums written independently of the product's codec, for building expected frames.
inline QByteArray withReferenceCrc(QByteArray bytes) {
    unsigned crc = 0xFFFF;
    for (const char c : bytes) {
        crc ^= static_cast<unsigned char>(c);
        for (int i = 0; i < 8; ++i) {
            crc = (crc & 1U) ? (crc >> 1) ^ 0xA001U : crc >> 1;
        }
    }
    bytes.append(static_cast<char>(crc & 0xFF));
    bytes.append(static_cast<char>(crc >> 8));
    return bytes;
}

inline QByteArray asReferenceAsc(const QByteArray& bytes) {
    unsigned sum = 0;
    for (const char c : bytes) {
        sum += static_cast<unsigned char>(c);
    }
    const QByteArray lrc(1, static_cast<char>((0x100 - (sum & 0xFF)) & 0xFF));
    return ':' + bytes.toHex().toUpper() + lrc.toHex().toUpper() + "\r\n";
}
