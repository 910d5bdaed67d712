// A save killed at any moment: a helper process saves a large script over
// an existing file again and again, and is killed with SIGKILL at a random
// moment. Afterwards the file holds one version or the other, whole.
#include "document/script_file.h"
#include "test_files.h"

#include <QDir>
#include <QProcess>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QThread>
#include <QtTest>

#include <csignal>

namespace {

// A script of about `megabytes` MB whose every line carries `version`.
QByteArray script(int megabytes, QStringView version)
{
    QString text;
    for (int i = 0; text.size() < megabytes * 1000 * 1000 / 2; ++i)
        text += QStringLiteral(u"%1 ゆら 「%2行目のせりふ、版は%1。」<P>\r\n").arg(version).arg(i);
    return scriptfile::encode(text).bytes;
}

} // namespace

class TestKilledSave : public QObject
{
    Q_OBJECT

private slots:
    void fileHoldsOneWholeVersionAfterEveryKill();
};

void TestKilledSave::fileHoldsOneWholeVersionAfterEveryKill()
{
    constexpr int rounds = 60;
    QTemporaryDir scratch;
    QTemporaryDir folder;
    QVERIFY(scratch.isValid() && folder.isValid());
    const QByteArray versions[2] = {script(16, u"旧"), script(16, u"新しい")};
    QVERIFY(!versions[0].isEmpty() && versions[0] != versions[1]);
    const QString versionFiles[2] = {scratch.filePath(QStringLiteral("first")), scratch.filePath(QStringLiteral("second"))};
    for (int i = 0; i < 2; ++i)
        QVERIFY(writeFile(versionFiles[i], versions[i]));
    const QString target = folder.filePath(QStringLiteral(u"台本.dnml"));
    QVERIFY(writeFile(target, versions[0]));

    const quint32 seed = qEnvironmentVariableIsSet("SCRIVLET_SEED") ? quint32(qEnvironmentVariableIntValue("SCRIVLET_SEED"))
                                                                    : QRandomGenerator::system()->generate();
    QRandomGenerator random(seed);
    qInfo("seed %u", seed);

    // The kill lands up to two and a half saves after the helper is ready;
    // how long a save takes is seen once, from a helper left to run.
    qint64 saveMs = 0;
    {
        QProcess helper;
        helper.start(QStringLiteral(SAVE_HELPER), {target, versionFiles[0], versionFiles[1]});
        QVERIFY(helper.waitForStarted());
        QElapsedTimer clock;
        int saved = 0;
        while (saved < 4 && helper.waitForReadyRead(60000)) {
            while (helper.canReadLine())
                if (helper.readLine().startsWith("saved") && ++saved == 1)
                    clock.start();
        }
        QCOMPARE(saved, 4);
        saveMs = std::max<qint64>(1, clock.elapsed() / 3);
        helper.kill();
        helper.waitForFinished();
        QVERIFY(readFile(target) == versions[0] || readFile(target) == versions[1]);
    }

    int killedWhileSaving = 0;
    int changed = 0;
    QStringList leftovers;
    for (int round = 1; round <= rounds; ++round) {
        const QByteArray before = readFile(target);
        QProcess helper;
        helper.start(QStringLiteral(SAVE_HELPER), {target, versionFiles[0], versionFiles[1]});
        QVERIFY(helper.waitForStarted());
        QByteArray output;
        while (!output.contains("ready\n") && helper.waitForReadyRead(60000))
            output += helper.readAll();
        QVERIFY2(output.contains("ready\n"), helper.readAllStandardError().constData());
        QThread::usleep(random.bounded(quint64(saveMs) * 2500));
        QCOMPARE(::kill(pid_t(helper.processId()), SIGKILL), 0);
        QVERIFY(helper.waitForFinished());
        QCOMPARE(helper.exitStatus(), QProcess::CrashExit);
        output += helper.readAll();
        const QList<QByteArray> lines = output.trimmed().split('\n');
        killedWhileSaving += lines.last().startsWith("saving");

        const QByteArray after = readFile(target);
        const bool whole = after == versions[0] || after == versions[1];
        QVERIFY2(whole, qPrintable(QStringLiteral("round %1: %2 bytes, neither version (%3 or %4 bytes); helper said %5")
                                       .arg(round)
                                       .arg(after.size())
                                       .arg(versions[0].size())
                                       .arg(versions[1].size())
                                       .arg(QString::fromLatin1(lines.last()))));
        changed += after != before;
        for (const QString &name : QDir(folder.path()).entryList(QDir::Files | QDir::Hidden | QDir::System)) {
            if (name == QFileInfo(target).fileName())
                continue;
            leftovers << name;
            QFile::remove(folder.filePath(name));
        }
    }
    qInfo("%d rounds of about %lld ms saves, each file whole: %d killed while saving, %d changed the file; "
          "temporary files left behind: %lld%s%s",
          rounds, saveMs, killedWhileSaving, changed, qint64(leftovers.size()), leftovers.isEmpty() ? "" : " ",
          qPrintable(leftovers.join(u' ')));
}

QTEST_GUILESS_MAIN(TestKilledSave)
#include "test_killed_save.moc"
