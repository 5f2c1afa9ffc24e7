#include "ui/LogPane.h"

#include "link/LogModel.h"

#include <QLabel>
#include <QTextCursor>

LogPane::LogPane(const QString& name, LogModel& model, QLabel& counter, QWidget* parent)
    : QPlainTextEdit(parent), m_model(model), m_counter(counter) {
    setObjectName(name);
    setReadOnly(true);
    setUndoRedoEnabled(false);
    setLineWrapMode(QPlainTextEdit::WidgetWidth);
    m_refresh.setSingleShot(true);
    // 20 refreshes a second read as live and leave the UI thread idle under a full line.
    m_refresh.setInterval(50);
    connect(&m_refresh, &QTimer::timeout, this, &LogPane::refresh);
    connect(&m_model, &LogModel::prepended, this, [this](qsizetype count) {
        m_newAtTop += count;
        scheduleRefresh();
    });
    connect(&m_model, &LogModel::cleared, this, [this] {
        m_reset = true;
        m_newAtTop = 0;
        scheduleRefresh();
    });
    connect(&m_model, &LogModel::byteCountChanged, this, &LogPane::scheduleRefresh);
}

void LogPane::scheduleRefresh() {
    m_dirty = true;
    if (!m_refresh.isActive()) {
        m_refresh.start();
    }
}

void LogPane::refresh() {
    if (!m_dirty) {
        return;
    }
    m_dirty = false;
    m_counter.setText(QString::number(m_model.byteCount()));
    if (m_reset) {
        setPlainText(m_model.text());
    } else if (m_newAtTop > 0) {
        QTextCursor top(document());
        top.movePosition(QTextCursor::Start);
        top.insertText(m_model.text().left(m_newAtTop));
    }
    m_reset = false;
    m_newAtTop = 0;
}
