#pragma once

#include "SerialLine.h"

#include <QSocketNotifier>

// A pseudo-terminal in raw mode. The simulator holds the master side and keeps the slave
// side open too, so clients can open and close the slave path without hanging up the line.
class PtyLine : public SerialLine {
    Q_OBJECT
public:
    explicit PtyLine(QObject* parent = nullptr);
    ~PtyLine() override;

    bool open(QString* error);
    // A symlink to the slave path, replaced if one exists there; removed by the destructor.
    bool createLink(const QString& linkPath, QString* error);
    QString slavePath() const { return slavePath_; }

    void write(const QByteArray& bytes) override;
    // A pseudo-terminal has no line speed.
    void setSpeedAfterOutput(int) override {}

private:
    void readAvailable();
    void writePending();

    int master_ = -1;
    int slave_ = -1;
    QString slavePath_;
    QString linkPath_;
    QByteArray pending_;
    QSocketNotifier* readNotifier_ = nullptr;
    QSocketNotifier* writeNotifier_ = nullptr;
};
