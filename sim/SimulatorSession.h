#pragma once

#include "DriveBus.h"
#include "ReplyFaults.h"
#include "RequestGatherer.h"
#include "SimOptions.h"

#include <QElapsedTimer>
#include <QObject>
#include <QSocketNotifier>
#include <QTimer>

#include <optional>

class SerialLine;

// Runs the simulated drivers on a line: gathers requests, answers them through the fault
// injection, keeps the drivers' clocks going, and reads console lines from standard input.
class SimulatorSession : public QObject {
    Q_OBJECT
public:
    SimulatorSession(const SimOptions& options, SerialLine* line, QObject* parent = nullptr);

    void start();

Q_SIGNALS:
    void finished(int exitCode);

private:
    struct OutputPiece {
        int pauseBeforeMs;
        QByteArray bytes;
        std::optional<int> speedAfter;
    };

    qint64 now() const { return clock_.elapsed(); }
    void received(const QByteArray& bytes);
    void answer(const QByteArray& request);
    void queueOutput(QList<ScheduledPiece> pieces);
    void writeNextPiece();
    void readStandardInput();
    void runConsoleLines();
    void log(const QString& line) const;

    SimOptions options_;
    SerialLine* line_;
    DriveBus bus_;
    RequestGatherer gatherer_;
    ReplyFaults faults_;
    QElapsedTimer clock_;
    QTimer gapTimer_;
    QTimer tickTimer_;
    QTimer outputTimer_;
    QList<OutputPiece> output_;
    QSocketNotifier* stdinNotifier_ = nullptr;
    QByteArray stdinBuffer_;
};
