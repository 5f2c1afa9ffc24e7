#include "link/LogModel.h"

void LogModel::beginEntry() {
    if (m_text.size() > kLimit) {
        clear();
    }
}

void LogModel::prepend(const QString& piece) {
    m_text.prepend(piece);
    Q_EMIT prepended(piece.size());
}

void LogModel::addBytes(qint64 count) {
    m_bytes += count;
    Q_EMIT byteCountChanged(m_bytes);
}

void LogModel::clear() {
    m_text.clear();
    m_bytes = 0;
    Q_EMIT cleared();
    Q_EMIT byteCountChanged(m_bytes);
}
