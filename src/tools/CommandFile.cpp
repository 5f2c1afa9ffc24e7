#include "tools/CommandFile.h"

#include "link/CodePage.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

#include <algorithm>

namespace {

// A command file is a few hundred lines; anything this large is not one.
constexpr qint64 kLargestCommandFile = 4 * 1024 * 1024;

QString nativeName(const QString& path) {
    return QDir::toNativeSeparators(path);
}

} // namespace

bool FileExists(const QString& path) {
    return !path.isEmpty() && QFileInfo::exists(path);
}

LoadedCommandFile LoadCommandFile(const QString& path) {
    LoadedCommandFile loaded;
    if (path.isEmpty()) {
        return loaded;
    }
    QFile file(path);
    if (QFileInfo(path).isDir() || !file.open(QIODevice::ReadOnly)) {
        loaded.problem =
            QStringLiteral("无法读取命令文件 %1：%2").arg(nativeName(path), file.errorString());
        return loaded;
    }
    if (file.size() > kLargestCommandFile) {
        loaded.problem = QStringLiteral("%1 不是命令文件：大于4 MB").arg(nativeName(path));
        return loaded;
    }
    const QByteArray bytes = file.read(kLargestCommandFile + 1);
    if (file.error() != QFileDevice::NoError || bytes.size() > kLargestCommandFile) {
        loaded.problem =
            QStringLiteral("无法读取命令文件 %1：%2").arg(nativeName(path), file.errorString());
        return loaded;
    }
    // CR and LF never occur inside a GBK double-byte character, so lines split after decoding.
    const QString content = fromCodePage(bytes);
    qsizetype start = 0;
    while (start < content.size()) {
        qsizetype end = start;
        while (end < content.size() && content[end] != u'\r' && content[end] != u'\n') {
            ++end;
        }
        loaded.entries << content.mid(start, end - start);
        if (end < content.size() && content[end] == u'\r' && end + 1 < content.size() &&
            content[end + 1] == u'\n') {
            ++end;
        }
        start = end + 1;
    }
    for (const QString& entry : std::as_const(loaded.entries)) {
        loaded.text += entry + QStringLiteral("\r\n");
    }
    return loaded;
}

bool SaveTextFile(QIODevice& file, QStringView line) {
    if (line.isEmpty()) {
        return false;
    }
    const QByteArray bytes = toCodePage(line) + "\r\n";
    return file.write(bytes) == bytes.size();
}

QString SaveCommandFile(const QString& path, const QStringList& entries) {
    if (QFileInfo(path).isDir()) {
        return QStringLiteral("命令文件未保存：%1 是文件夹").arg(nativeName(path));
    }
    const bool nothingToWrite =
        std::all_of(entries.begin(), entries.end(), [](const QString& e) { return e.isEmpty(); });
    if (nothingToWrite) {
        if (QFileInfo::exists(path) && !QFile::remove(path)) {
            return QStringLiteral("无法删除文件 %1").arg(nativeName(path));
        }
        return {};
    }
    QSaveFile file(path);
    // Unbuffered, so that a failing write shows at that write and not in a flush at commit,
    // where this Qt version does not always report it.
    if (!file.open(QIODevice::WriteOnly | QIODevice::Unbuffered)) {
        return QStringLiteral("命令文件未保存 %1：%2").arg(nativeName(path), file.errorString());
    }
    for (const QString& entry : entries) {
        if (!entry.isEmpty() && !SaveTextFile(file, entry)) {
            // The unfinished copy is discarded; the old file is left as it was.
            return QStringLiteral("命令文件未保存 %1：%2，原文件未改动")
                .arg(nativeName(path), file.errorString());
        }
    }
    if (!file.commit()) {
        return QStringLiteral("命令文件未保存 %1：%2，原文件未改动")
            .arg(nativeName(path), file.errorString());
    }
    return {};
}
