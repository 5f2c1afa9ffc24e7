#include "tools/CommandFile.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include <csignal>
#include <memory>
#include <sys/resource.h>

namespace {

QByteArray readAll(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<unreadable>");
}

bool writeAll(const QString& path, const QByteArray& bytes) {
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
}

// Lowers the largest file this process may write, as a full disk would; restored on exit.
class FileSizeLimit {
public:
    explicit FileSizeLimit(rlim_t bytes) {
        getrlimit(RLIMIT_FSIZE, &m_old);
        m_oldHandler = std::signal(SIGXFSZ, SIG_IGN);
        rlimit lowered = m_old;
        lowered.rlim_cur = bytes;
        m_active = setrlimit(RLIMIT_FSIZE, &lowered) == 0;
    }
    ~FileSizeLimit() {
        setrlimit(RLIMIT_FSIZE, &m_old);
        std::signal(SIGXFSZ, m_oldHandler);
    }
    FileSizeLimit(const FileSizeLimit&) = delete;
    FileSizeLimit& operator=(const FileSizeLimit&) = delete;
    bool active() const { return m_active; }

private:
    rlimit m_old{};
    void (*m_oldHandler)(int) = nullptr;
    bool m_active = false;
};

} // namespace

class TestCommandFile : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void init() {
        m_dir = std::make_unique<QTemporaryDir>();
        QVERIFY(m_dir->isValid());
    }
    void savedFileFormat();
    void roundTripDropsEmptyEntries();
    void lineEnds_data();
    void lineEnds();
    void unreadableFiles_data();
    void unreadableFiles();
    void fileExists();
    void emptyListRemovesOldFile();
    void failedSaveKeepsOldFile_data();
    void failedSaveKeepsOldFile();
    void interruptedWriteKeepsOldFile();

private:
    QString path(const char* name) const { return m_dir->filePath(QLatin1String(name)); }
    std::unique_ptr<QTemporaryDir> m_dir;
};

void TestCommandFile::savedFileFormat() {
    const QString file = path("format.txt");
    const QStringList entries{"01 20 00 39 C0 ", "", "Delay:300", "中文"};
    QCOMPARE(SaveCommandFile(file, entries), QString());
    // GBK: 中 = D6 D0, 文 = CE C4.
    QCOMPARE(readAll(file), QByteArray("01 20 00 39 C0 \r\nDelay:300\r\n\xD6\xD0\xCE\xC4\r\n"));
}

void TestCommandFile::roundTripDropsEmptyEntries() {
    const QString file = path("roundtrip.txt");
    QCOMPARE(SaveCommandFile(file, {"", "01 36 00 37 A0 ", "", "GoIdx:0", "发字符串", ""}),
             QString());
    const LoadedCommandFile loaded = LoadCommandFile(file);
    QCOMPARE(loaded.problem, QString());
    QCOMPARE(loaded.entries, (QStringList{"01 36 00 37 A0 ", "GoIdx:0", "发字符串"}));
    QCOMPARE(loaded.text, QStringLiteral("01 36 00 37 A0 \r\nGoIdx:0\r\n发字符串\r\n"));
}

void TestCommandFile::lineEnds_data() {
    QTest::addColumn<QByteArray>("content");
    QTest::addColumn<QStringList>("entries");
    QTest::newRow("CR LF") << QByteArray("A\r\nB\r\n") << QStringList{"A", "B"};
    QTest::newRow("LF only, as Linux editors write")
        << QByteArray("A\nB\n") << QStringList{"A", "B"};
    QTest::newRow("CR only") << QByteArray("A\rB\r") << QStringList{"A", "B"};
    QTest::newRow("mixed") << QByteArray("A\nB\r\nC\rD") << QStringList{"A", "B", "C", "D"};
    QTest::newRow("last line without ending") << QByteArray("A\r\nB") << QStringList{"A", "B"};
    QTest::newRow("empty lines are entries")
        << QByteArray("A\r\n\r\nB\n\nC") << QStringList{"A", "", "B", "", "C"};
    QTest::newRow("LF CR is two endings") << QByteArray("A\n\rB") << QStringList{"A", "", "B"};
    QTest::newRow("one empty line") << QByteArray("\r\n") << QStringList{""};
    QTest::newRow("empty file") << QByteArray() << QStringList{};
    QTest::newRow("GBK text") << QByteArray("\xD6\xD0\xCE\xC4\r\n") << QStringList{"中文"};
}

void TestCommandFile::lineEnds() {
    QFETCH(QByteArray, content);
    QFETCH(QStringList, entries);
    const QString file = path("lines.txt");
    QVERIFY(writeAll(file, content));
    const LoadedCommandFile loaded = LoadCommandFile(file);
    QCOMPARE(loaded.problem, QString());
    QCOMPARE(loaded.entries, entries);
    QCOMPARE(loaded.text, entries.isEmpty() ? QString() : entries.join("\r\n") + "\r\n");
}

void TestCommandFile::unreadableFiles_data() {
    QTest::addColumn<QString>("name");
    QTest::addColumn<bool>("reported");
    QTest::newRow("empty path") << QString() << false;
    QTest::newRow("missing file") << "missing.txt" << true;
    QTest::newRow("folder") << "folder" << true;
    QTest::newRow("too large") << "large.txt" << true;
}

void TestCommandFile::unreadableFiles() {
    QFETCH(QString, name);
    QFETCH(bool, reported);
    QVERIFY(QDir(m_dir->path()).mkpath(QStringLiteral("folder")));
    if (name == QStringLiteral("large.txt")) {
        QVERIFY(writeAll(path("large.txt"), QByteArray(4 * 1024 * 1024 + 1, 'A')));
    }
    const LoadedCommandFile loaded =
        LoadCommandFile(name.isEmpty() ? QString() : m_dir->filePath(name));
    QVERIFY(loaded.entries.isEmpty());
    QCOMPARE(loaded.text, QString());
    QCOMPARE(!loaded.problem.isEmpty(), reported);
}

void TestCommandFile::fileExists() {
    QVERIFY(writeAll(path("there.txt"), "A\r\n"));
    QVERIFY(FileExists(path("there.txt")));
    QVERIFY(FileExists(m_dir->path()));
    QVERIFY(!FileExists(path("not-there.txt")));
    QVERIFY(!FileExists(QString()));
}

void TestCommandFile::emptyListRemovesOldFile() {
    const QString file = path("old.txt");
    QVERIFY(writeAll(file, "OLD\r\n"));
    QCOMPARE(SaveCommandFile(file, {"", ""}), QString());
    QVERIFY(!QFile::exists(file));
    QCOMPARE(SaveCommandFile(file, {}), QString());
    QVERIFY(!QFile::exists(file));
}

void TestCommandFile::failedSaveKeepsOldFile_data() {
    QTest::addColumn<QString>("name");
    QTest::newRow("folder missing") << "no-such-folder/list.txt";
    QTest::newRow("target is a folder") << "folder";
}

void TestCommandFile::failedSaveKeepsOldFile() {
    QFETCH(QString, name);
    QVERIFY(QDir(m_dir->path()).mkpath(QStringLiteral("folder")));
    QVERIFY(writeAll(path("folder/inside.txt"), "KEEP\r\n"));
    const QString target = m_dir->filePath(name);
    QVERIFY(!SaveCommandFile(target, {"01 "}).isEmpty());
    QCOMPARE(readAll(path("folder/inside.txt")), QByteArray("KEEP\r\n"));
    QVERIFY(!QFileInfo(target).isFile());
    QCOMPARE(QDir(m_dir->path()).entryList(QDir::Files), QStringList());
}

void TestCommandFile::interruptedWriteKeepsOldFile() {
    const QString file = path("old.txt");
    const QByteArray old("01 20 00 39 C0 \r\nDelay:300\r\n");
    QVERIFY(writeAll(file, old));
    const QStringList entries(500, QStringLiteral("01 10 04 00 00 01 F4 00 00 "));
    QString problem;
    {
        FileSizeLimit limit(1024);
        QVERIFY(limit.active());
        problem = SaveCommandFile(file, entries);
    }
    QVERIFY(!problem.isEmpty());
    QCOMPARE(readAll(file), old);
    QCOMPARE(QDir(m_dir->path()).entryList(QDir::Files), QStringList{"old.txt"});
    // With room to write, the same save replaces the file as a whole.
    QCOMPARE(SaveCommandFile(file, entries), QString());
    QCOMPARE(readAll(file).size(), qsizetype(500 * 29));
}

QTEST_GUILESS_MAIN(TestCommandFile)
#include "tst_commandfile.moc"
