#include "watch/partswatcher.h"

#include <QtTest>

#include <memory>

namespace {

// korvu-check's own timing: the gaps between the pieces of a write stay well
// inside its quiet spell, also on a loaded machine.
const PartsWatcher::Timing timing;
const int pieceGapMsecs = 20;
// Long enough for a change to be reported, had there been one.
const int reportedWithinMsecs = 2 * (timing.quietMsecs + timing.settleMsecs);

bool writeInPieces(const QString &path, const QByteArray &content, QFile::Permissions permissions)
{
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate))
        return false;
    for (int at = 0; at < content.size(); at += 4) {
        file.write(content.mid(at, 4));
        file.flush();
        QTest::qWait(pieceGapMsecs);
    }
    file.close();
    return file.setPermissions(permissions);
}

const QFile::Permissions executable = QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner;
const QFile::Permissions readable = QFile::ReadOwner | QFile::WriteOwner;

} // namespace

class TestPartsWatcher : public QObject
{
    Q_OBJECT
private slots:
    void init();
    void cleanup();
    void testRenamedOverCountsOnce();
    void testWrittenInPiecesCountsOnce();
    void testMissingPartIsWaitedFor();
    void testOnlyThePartsCount();

private:
    QString path(const QString &name) const { return m_dir->filePath(name); }

    std::unique_ptr<QTemporaryDir> m_dir;
    std::unique_ptr<PartsWatcher> m_watcher;
    std::unique_ptr<QSignalSpy> m_changed;
    std::unique_ptr<QSignalSpy> m_waiting;
};

// A daemon file, and a plug-in folder beside other files as in a build tree.
void TestPartsWatcher::init()
{
    m_dir = std::make_unique<QTemporaryDir>();
    QVERIFY(m_dir->isValid());
    QVERIFY(writeInPieces(path("korvud"), "first build", executable));
    QVERIFY(QDir().mkpath(path("plugins")));
    QVERIFY(writeInPieces(path("plugins/libmocks.so"), "mocks", readable));
    const QString daemon = path("korvud");
    const auto readiness = [daemon] {
        const QFileInfo info(daemon);
        if (!info.exists())
            return QStringLiteral("daemon not found: ") + daemon;
        return info.isExecutable() ? QString() : QStringLiteral("daemon is not an executable file: ") + daemon;
    };
    m_watcher = std::make_unique<PartsWatcher>(QStringList{daemon, path("plugins")}, readiness, timing);
    m_changed = std::make_unique<QSignalSpy>(m_watcher.get(), &PartsWatcher::changed);
    m_waiting = std::make_unique<QSignalSpy>(m_watcher.get(), &PartsWatcher::waiting);
}

void TestPartsWatcher::cleanup()
{
    m_waiting.reset();
    m_changed.reset();
    m_watcher.reset();
    m_dir.reset();
}

// As a linker that writes a temporary file and renames it over the old one.
void TestPartsWatcher::testRenamedOverCountsOnce()
{
    QVERIFY(writeInPieces(path("korvud.tmp"), "second build, written in pieces", executable));
    QCOMPARE(::rename(qPrintable(path("korvud.tmp")), qPrintable(path("korvud"))), 0);

    QTRY_COMPARE(m_changed->count(), 1);
    QCOMPARE(m_changed->at(0).at(0).toStringList(), QStringList{path("korvud")});
    QVERIFY(m_watcher->isCurrent());
    // The file renamed over is watched in turn.
    QVERIFY(writeInPieces(path("korvud"), "third build", executable));
    QTRY_COMPARE(m_changed->count(), 2);
    QTest::qWait(reportedWithinMsecs);
    QCOMPARE(m_changed->count(), 2);
    QCOMPARE(m_waiting->count(), 0);
}

void TestPartsWatcher::testWrittenInPiecesCountsOnce()
{
    QVERIFY(writeInPieces(path("plugins/libmocks.so"), "a plug-in rebuilt in many small pieces", readable));
    QTRY_COMPARE(m_changed->count(), 1);
    QCOMPARE(m_changed->at(0).at(0).toStringList(), QStringList{path("plugins")});
    QTest::qWait(reportedWithinMsecs);
    QCOMPARE(m_changed->count(), 1);
}

// As a build that removes the daemon, and a linker that makes its output
// executable only once it is whole.
void TestPartsWatcher::testMissingPartIsWaitedFor()
{
    QVERIFY(QFile::remove(path("korvud")));
    QTRY_COMPARE(m_waiting->count(), 1);
    QCOMPARE(m_waiting->at(0).at(0).toString(), QStringLiteral("daemon not found: ") + path("korvud"));
    QVERIFY(writeInPieces(path("korvud"), "rebuilt", readable));
    QTest::qWait(reportedWithinMsecs);
    QCOMPARE(m_waiting->count(), 1);
    QCOMPARE(m_changed->count(), 0);

    QVERIFY(QFile::setPermissions(path("korvud"), executable));
    QTRY_COMPARE(m_changed->count(), 1);
    QCOMPARE(m_waiting->count(), 1);
}

void TestPartsWatcher::testOnlyThePartsCount()
{
    QVERIFY(writeInPieces(path("korvu-check.xml"), "a report beside the daemon", readable));
    QVERIFY(writeInPieces(path("plugins/mocks.o"), "an object file", readable));
    QVERIFY(QDir().mkpath(path("plugins/CMakeFiles")));
    QTest::qWait(reportedWithinMsecs);
    QCOMPARE(m_changed->count(), 0);

    QVERIFY(writeInPieces(path("plugins/libexperience.so"), "a new plug-in", readable));
    QTRY_COMPARE(m_changed->count(), 1);
    QCOMPARE(m_changed->at(0).at(0).toStringList(), QStringList{path("plugins")});
}

QTEST_GUILESS_MAIN(TestPartsWatcher)
#include "tst_partswatcher.moc"
