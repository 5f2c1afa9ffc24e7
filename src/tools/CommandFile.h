#pragma once

#include <QString>
#include <QStringList>
#include <QStringView>

class QIODevice;

// Command files: plain text in the window's code page (GBK), one list entry per line.

// True when a file or folder of that name exists.
bool FileExists(const QString& path);

struct LoadedCommandFile {
    QStringList entries; // every line, empty lines included
    QString text;        // the lines read, each followed by CR LF
    QString problem;     // why nothing was read; empty on success
};

// Reads a command file. A line ends at CR LF, at CR alone or at LF alone; the last line
// needs no ending.
LoadedCommandFile LoadCommandFile(const QString& path);

// Writes one line and CR LF; false, writing nothing, when the line is empty or the write fails.
bool SaveTextFile(QIODevice& file, QStringView line);

// Saves the non-empty entries, replacing the file as a whole: until the new content is
// complete the old file stays as it was. With nothing to write the file is removed and
// none is created. Returns why it failed, or the empty text on success.
QString SaveCommandFile(const QString& path, const QStringList& entries);
