#pragma once

#include <QPlainTextEdit>
#include <QTimer>

class LogModel;

// Read-only view of a LogModel. The model changes on every frame; the view copies it at
// most about 30 times a second, so a fast stream of frames never stalls the window.
class LogPane : public QPlainTextEdit {
    Q_OBJECT
public:
    LogPane(const QString& name, LogModel& model, QWidget* parent = nullptr);

    const LogModel& model() const { return m_model; }
    // Brings the view up to date now (tests, screenshots).
    void refresh();

private:
    void scheduleRefresh();

    LogModel& m_model;
    QTimer m_refresh;
    bool m_dirty = false;
};
