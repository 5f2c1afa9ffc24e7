#pragma once

#include "commands/Catalogue.h"

#include <QObject>

#include <functional>

class QWidget;

// Wires every catalogue button and companion found in the window to the common procedure:
// PLC option, request, framing, capture, recording, transmission.
class CommandButtons : public QObject {
    Q_OBJECT
public:
    using Send = std::function<void(const QByteArray& frame)>;
    using Report = std::function<void(const QString& message)>;

    CommandButtons(QWidget& window, FormState& state, Send send, Report report);

    // Connects the buttons that exist now; call once the panels are built.
    void connectButtons();
    void perform(const CommandRow& row);

private:
    QString controlText(const char* name) const;
    void selectPlcOption(PlcOption option);
    void setPlcMode(bool on);
    void highlight(const QString& control);
    void afterSend(const CommandRow& row);

    QWidget& m_window;
    FormState& m_state;
    Send m_send;
    Report m_report;
};
