#include "ui/LogPane.h"

#include "link/LogModel.h"

LogPane::LogPane(const QString& name, LogModel& model, QWidget* parent)
    : QPlainTextEdit(parent), m_model(model) {
    setObjectName(name);
    setReadOnly(true);
    setUndoRedoEnabled(false);
    setLineWrapMode(QPlainTextEdit::WidgetWidth);
    m_refresh.setSingleShot(true);
    m_refresh.setInterval(33);
    connect(&m_refresh, &QTimer::timeout, this, &LogPane::refresh);
    connect(&m_model, &LogModel::textChanged, this, &LogPane::scheduleRefresh);
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
    // Newest text is on top, so the view stays scrolled to the top.
    setPlainText(m_model.text());
}
