#pragma once

#include <QPlainTextEdit>
#include <QTimer>

class LogModel;
class QLabel;

// Read-only view of a LogModel and its byte counter label. The model changes on every frame;
// the view catches up at most about 30 times a second, inserting only the text that is new
// at the top, so a fast stream of frames never stalls the window.
class LogPane : public QPlainTextEdit {
    Q_OBJECT
public:
    LogPane(const QString& name, LogModel& model, QLabel& counter, QWidget* parent = nullptr);

    const LogModel& model() const { return m_model; }
    // Brings the view up to date now (tests, screenshots).
    void refresh();

private:
    void scheduleRefresh();

    LogModel& m_model;
    QLabel& m_counter;
    QTimer m_refresh;
    bool m_dirty = false;
    bool m_reset = false;
    qsizetype m_newAtTop = 0;
};
