#pragma once

#include "link/LogModel.h"

#include <QMainWindow>
#include <QTimer>

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
class FrmMain : public QMainWindow {
    Q_OBJECT
public:
    explicit FrmMain(QWidget* parent = nullptr);
    ~FrmMain() override;

    // Form-level state shared by the panels.
    bool RecordToList = false;
    bool CaptureToIoCommand = false;
    bool K1State = false;
    bool K2State = false;
    bool LastChrState = false;
    qint16 ListStepIndex = 0;

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
    void onOpenClicked();
    void onCloseClicked();
    void onPortLost(const QString& message);
    void setPanelOpen(bool open);
    void refreshPortDevice();

    CommPort* m_port = nullptr;
    LogModel m_receiveLog;
    LogModel m_sendLog;
    QTimer m_deviceRefresh;
};
