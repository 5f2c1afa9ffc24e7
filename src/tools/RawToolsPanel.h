#pragma once

#include "commands/FormState.h"
#include "tools/RawFrames.h"

#include <QObject>

#include <functional>

class QLineEdit;
class QWidget;

// The raw frame tools below the logs: send typed hex as it is or framed with CRC or LRC, send
// a text, turn a text into hex, show the CRC of typed bytes in either byte order.
class RawToolsPanel : public QObject {
    Q_OBJECT
public:
    struct Hooks {
        std::function<void(const QByteArray& frame)> send; // the transmit path
        std::function<void(const QString& entry)> record;  // appends an entry to the command list
        std::function<void()> plcModeOff;                  // unticks the PLC mode
        std::function<void(const QString& message)> report;
    };

    // Builds the three rows into `host`. The ">" companions are wired by the catalogue.
    RawToolsPanel(QWidget& host, FormState& state, Hooks hooks);

private:
    void sendHex(RawFraming framing);
    void sendString();
    void convertToHex();
    void showCrc(bool highFirst);

    FormState& m_state;
    Hooks m_hooks;
    QLineEdit* m_text = nullptr;     // Text5
    QLineEdit* m_hex = nullptr;      // Text1
    QLineEdit* m_crcFirst = nullptr; // Text2
    QLineEdit* m_crcSecond = nullptr;
};
