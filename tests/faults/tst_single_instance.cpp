// SPDX-License-Identifier: GPL-3.0-or-later
// One running copy per data folder: a second start hands over and touches nothing; a copy that died
// does not block the next; other folders run on their own; leftovers of interrupted rewrites go.

#include "TestEnv.h"

#include "platform/SingleInstance.h"
#include "shared/DataFiles.h"
#include "shared/QmrM.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QLockFile>
#include <QProcess>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

using platform::SingleInstance;

class TestSingleInstance : public QObject {
    Q_OBJECT

private slots:
    void secondStartInTheSameFolderHandsOver();
    void lockOfACopyThatDiedIsTakenOver();
    void otherFoldersRunOnTheirOwn();
    void secondProgramEndsWithoutTouchingTheData();
    void onlyLeftoversOfOurOwnRewritesAreRemoved();
};

void TestSingleInstance::secondStartInTheSameFolderHandsOver()
{
    QTemporaryDir folder;
    SingleInstance first(folder.path());
    QCOMPARE(first.claim(), SingleInstance::Outcome::Running);
    QSignalSpy asked(&first, &SingleInstance::anotherStart);
    SingleInstance second(folder.path());
    QCOMPARE(second.claim(), SingleInstance::Outcome::HandedOver);
    QTRY_COMPARE(asked.count(), 1);
}

void TestSingleInstance::lockOfACopyThatDiedIsTakenOver()
{
    QTemporaryDir folder;
    // A lock left by a process that no longer exists (the highest process number is never in use here).
    QFile lock(QDir(folder.path()).filePath(SingleInstance::kLockFileName));
    QVERIFY(lock.open(QIODevice::WriteOnly));
    lock.write("4194304\nquillmora\n" + QSysInfo::machineHostName().toUtf8() + "\n");
    lock.close();
    SingleInstance next(folder.path());
    QCOMPARE(next.claim(), SingleInstance::Outcome::Running);
}

void TestSingleInstance::otherFoldersRunOnTheirOwn()
{
    QTemporaryDir one;
    QTemporaryDir two;
    SingleInstance first(one.path());
    SingleInstance second(two.path());
    QCOMPARE(first.claim(), SingleInstance::Outcome::Running);
    QCOMPARE(second.claim(), SingleInstance::Outcome::Running);
    QVERIFY(SingleInstance::serverName(one.path()) != SingleInstance::serverName(two.path()));
}

void TestSingleInstance::secondProgramEndsWithoutTouchingTheData()
{
    QTemporaryDir folder;
    SingleInstance running(folder.path());
    QCOMPARE(running.claim(), SingleInstance::Outcome::Running);
    QSignalSpy asked(&running, &SingleInstance::anotherStart);
    // Data files the second copy must neither read into a window nor write.
    const QByteArray items = cp932(QStringLiteral("\"A\",5\r\n"));
    QFile file(QDir(folder.path()).filePath(QStringLiteral("項目一覧.txt")));
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(items);
    file.close();
    const QDateTime modified = QFileInfo(file).lastModified();
    QProcess second;
    second.setWorkingDirectory(folder.path());
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    second.setProcessEnvironment(environment);
    second.start(QStringLiteral(QUILLMORA_PROGRAM), {});
    QVERIFY(second.waitForFinished(20000));
    QCOMPARE(second.exitStatus(), QProcess::NormalExit);
    QCOMPARE(second.exitCode(), 0);
    QTRY_COMPARE(asked.count(), 1);
    QDir dir(folder.path());
    QCOMPARE(dir.entryList(QDir::Files | QDir::Hidden),
             QStringList({SingleInstance::kLockFileName, QStringLiteral("項目一覧.txt")}));
    QCOMPARE(readBytes(file.fileName()), items);
    QCOMPARE(QFileInfo(file).lastModified(), modified);
}

void TestSingleInstance::onlyLeftoversOfOurOwnRewritesAreRemoved()
{
    TestEnv env;
    const QStringList leftovers = {QStringLiteral(".項目一覧.txt.quillmora-tmp-Ab12Cd"),
                                   QStringLiteral(".設定.TXT.quillmora-tmp-000000")};
    // The user's own hidden files, some looking much like temporary files.
    const QStringList kept = {QStringLiteral(".項目一覧.txt.backup"), QStringLiteral(".設定.TXT.Old123"),
                              QStringLiteral(".項目一覧.txt.quillmora-tmp-Ab-2C"),
                              QStringLiteral(".A.txt.quillmora-tmp-Ab12Cd"), QStringLiteral(".other")};
    for (const QString& name : leftovers + kept)
        writeBytes(name, "x");
    QCOMPARE(removeLeftoverTemporaryFiles({QmrM::kItemsFile, QmrM::kSettingsFile}), leftovers.size());
    QStringList left = QDir::current().entryList(QDir::Files | QDir::Hidden);
    QStringList expected = kept;
    left.sort();
    expected.sort();
    QCOMPARE(left, expected);
}

QTEST_GUILESS_MAIN(TestSingleInstance)
#include "tst_single_instance.moc"
