#pragma once

#include <QObject>
#include <QSocketNotifier>

// SIGINT, SIGTERM and SIGHUP delivered through a self-pipe to the event loop, so the
// program leaves through its normal exit path (and removes its symlink). SIGPIPE is ignored.
class TerminationSignals : public QObject {
    Q_OBJECT
public:
    explicit TerminationSignals(QObject* parent = nullptr);
    ~TerminationSignals() override;

    bool install(QString* error);

Q_SIGNALS:
    void received(int signalNumber);

private:
    static void handle(int signalNumber);
    void readPipe();

    QSocketNotifier* notifier_ = nullptr;
};
