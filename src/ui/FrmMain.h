#pragma once

#include "commands/FormState.h"
#include "link/LogModel.h"
#include "link/ReplyGatherer.h"

#include <QHash>
#include <QMainWindow>
#include <QTimer>

class CommandButtons;
class CommPort;
class QCheckBox;
class QComboBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;
class QTabWidget;

// The workbench's one window: pages, the controls that belong to no panel, the serial port
// and the state the panels share.
class FrmMain : public QMainWindow, public FormState {
    Q_OBJECT
public:
    explicit FrmMain(QWidget* parent = nullptr);
    ~FrmMain() override;

    // The one road to the line: logs the frame (mapped in PLC mode) and writes it in one
    // write. Frames are dropped while the port is closed.
    void SendComm(const QByteArray& frame);
    // Handles one whole reply: its plain-language line, decoded values and lamps, its dumps
    // in the receive log and its count in Label45.
    qint16 CommRec(const QByteArray& chunk);

    CommPort& port() { return *m_port; }
    LogModel& receiveLog() { return m_receiveLog; }
    LogModel& sendLog() { return m_sendLog; }

    // Says what went wrong in the status bar.
    void showProblem(const QString& text);

    // A control of the window by its documented name.
    template <typename T> T* control(const QString& name) const {
        return findChild<T*>(name, Qt::FindChildrenRecursively);
    }

private:
    QWidget* buildMainPage();
    QWidget* buildTopRows();
    QGroupBox* buildSerialPanel();
    QWidget* buildLogBlock(const QString& title, const QString& titleName,
                           const QString& counterName, const QString& clearName,
                           const QString& paneName, LogModel& model);
    QWidget* buildInformationPage(int page);
    QWidget* buildProtocolPage();
    void wireWindow();

    void onModeTextChanged(const QString& text);
    void onPlcModeToggled(bool on);
    void MSComm1_OnComm(const QByteArray& bytes);
    QWidget* replyTarget(const char* name);
    void onOpenClicked();
    void onCloseClicked();
    void onPortLost(const QString& message);
    void setPanelOpen(bool open);
    void refreshPortDevice();

    CommPort* m_port = nullptr;
    CommandButtons* m_commands = nullptr;
    QWidget* m_mainPage = nullptr;
    LogModel m_receiveLog;
    LogModel m_sendLog;
    ReplyGatherer m_gatherer;
    QTimer m_deviceRefresh;
    QHash<const char*, QWidget*> m_replyTargets;
};
