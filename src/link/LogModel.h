#pragma once

#include <QObject>
#include <QString>

// Text of one log pane and its byte counter. Newest text is on top: every piece is put in
// front of the existing text. The pane is emptied (and the counter reset) when it holds
// more than kLimit characters at the start of an entry.
class LogModel : public QObject {
    Q_OBJECT
public:
    static constexpr qsizetype kLimit = 10000;

    using QObject::QObject;

    const QString& text() const { return m_text; }
    qint64 byteCount() const { return m_bytes; }

    // Applies the size rule; called once at the start of each entry.
    void beginEntry();
    void prepend(const QString& piece);
    void addBytes(qint64 count);
    void clear();

Q_SIGNALS:
    // `count` characters were put in front of the text.
    void prepended(qsizetype count);
    void cleared();
    void byteCountChanged(qint64 count);

private:
    QString m_text;
    qint64 m_bytes = 0;
};
