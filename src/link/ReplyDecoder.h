#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QString>

#include <vector>

// What one received chunk means for the window. The decoder never touches a widget: it says
// which control gets which text and which lamp goes on or off, and the window applies it.
struct ReplyDecoding {
    struct TextUpdate {
        const char* control;
        QString text;
    };
    struct LampUpdate {
        const char* lamp;
        bool on;
    };
    QString logLine; // the plain-language line with its LF CR, or empty
    std::vector<TextUpdate> texts;
    std::vector<LampUpdate> lamps;
};

// Decodes one reply by its command byte. RTU chunks are decoded only when their CRC is right;
// ASC chunks (":" first) are read back from their hex text and decoded when their LRC is
// right. A chunk with a wrong checksum gets a line saying so and changes no control.
ReplyDecoding decodeReply(QByteArrayView chunk);

// Value text of a decoded number: a blank before zero and positive values, "-" otherwise.
QString valueText(qint64 value);

// The receive log's dump lines for a chunk, "RecAsc:" line first: each ends with LF.
QString receiveDumpLines(QByteArrayView chunk);
