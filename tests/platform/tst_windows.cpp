// SPDX-License-Identifier: GPL-3.0-or-later
// What only Windows does: the data files replaced through the system's own calls and locked per folder,
// the clock's alarm on a waitable timer, the named pipe of later starts, the user's data folder of the
// Start menu's entry. (Run under Wine by ./test --windows.)
#include "TestEnv.h"

#include "platform/AppSetup.h"
#include "platform/LocalChannel.h"
#include "shared/Clock.h"
#include "shared/DataFileNames.h"
#include "shared/DataFiles.h"
#include "shared/Errors.h"
#include "shared/QmrM.h"

#include <QDir>
#include <QFile>
#include <QSignalSpy>
#include <QTest>

#include <windows.h>

using namespace QmrM;

namespace {

// Opens a file as another program that lets no one else at it meanwhile.
HANDLE holdExclusively(const QString& name)
{
    return CreateFileW(reinterpret_cast<const wchar_t*>(name.utf16()), GENERIC_READ | GENERIC_WRITE, 0, nullptr,
                       OPEN_EXISTING, 0, nullptr);
}

DWORD attributesOf(const QString& name)
{
    return GetFileAttributesW(reinterpret_cast<const wchar_t*>(name.utf16()));
}

}  // namespace

// Wine's ReplaceFileW moves the new file over the old one without the old one's attributes; Windows keeps
// them. Under Wine that part is left to a real Windows.
static bool underWine()
{
    return GetProcAddress(GetModuleHandleW(L"ntdll.dll"), "wine_get_version") != nullptr;
}

class TestWindows : public QObject {
    Q_OBJECT

private slots:
    void rewritesKeepTheFilesAttributesAndFailWhole();
    void aFileHasOneIdentityWhateverItsName();
    void theRewriteLocksOfAFolderAreHeldOnce();
    void theClocksAlarmComesAtItsDeadline();
    void laterStartsReachTheFirstListenerOnly();
    void aStartThatHoldsThePipeIsLetGoAndNoStartWaitsOnTheCopy();
    void theMenuEntryRunsInTheUsersDataFolder();
};

void TestWindows::rewritesKeepTheFilesAttributesAndFailWhole()
{
    TestEnv env;
    writeDataFile(kItemsFile, QStringLiteral("\"old\",1\r\n"));
    LoadItems();
    // A hidden file stays hidden: the new content replaces the old (ReplaceFileW), not the file.
    SetFileAttributesW(reinterpret_cast<const wchar_t*>(kItemsFile.utf16()), FILE_ATTRIBUTE_HIDDEN);
    gKoumoku[1] = QStringLiteral("new");
    SaveItems();
    QCOMPARE(readDataFile(kItemsFile), QStringLiteral("\"new\",1\r\n"));
    if (!underWine())
        QVERIFY(attributesOf(kItemsFile) & FILE_ATTRIBUTE_HIDDEN);
    // Another program holds the file: the rewrite fails whole, says why, and leaves no temporary file.
    HANDLE other = holdExclusively(kItemsFile);
    QVERIFY(other != INVALID_HANDLE_VALUE);
    gKoumoku[1] = QStringLiteral("newer");
    QString reason;
    try {
        SaveItems();
    } catch (const DataFileError& error) {
        reason = error.description();
    }
    CloseHandle(other);
    QVERIFY2(reason.contains(QStringLiteral("ほかのプログラムが使用中です")), qPrintable(reason));
    QCOMPARE(readDataFile(kItemsFile), QStringLiteral("\"new\",1\r\n"));
    const QStringList left = QDir().entryList(QDir::Files | QDir::Hidden);
    QCOMPARE(left.filter(QStringLiteral(".quillmora-tmp-")), QStringList());
    if (!underWine())  // whose ReplaceFileW, failing, leaves a temporary file of its own (rf….tmp)
        QCOMPARE(left.size(), 1);
}

void TestWindows::aFileHasOneIdentityWhateverItsName()
{
    TestEnv env;
    writeDataFile(QStringLiteral("a.txt"), QStringLiteral("1"));
    writeDataFile(QStringLiteral("b.txt"), QStringLiteral("1"));
    QVERIFY(CreateHardLinkW(L"linked.txt", L"a.txt", nullptr));
    QVERIFY(isSameFile(QStringLiteral("a.txt"), QStringLiteral("A.TXT")));
    QVERIFY(isSameFile(QStringLiteral("a.txt"), QStringLiteral("linked.txt")));
    QVERIFY(!isSameFile(QStringLiteral("a.txt"), QStringLiteral("b.txt")));
    QVERIFY(!isSameFile(QStringLiteral("a.txt"), QStringLiteral("missing.txt")));
    // A temporary file a rewrite still writes is kept; one left behind goes.
    const QString left = QStringLiteral(".a.txt.quillmora-tmp-abc123");
    writeDataFile(left, QString());
    HANDLE writing = holdExclusively(left);
    QVERIFY(!removeTemporaryFileUnlessInUse(left));
    CloseHandle(writing);
    QVERIFY(removeTemporaryFileUnlessInUse(left));
}

void TestWindows::theRewriteLocksOfAFolderAreHeldOnce()
{
    TestEnv env;
    writeDataFile(kItemsFile, QString());
    RewriteLocks first;
    QVERIFY(first.take({kItemsFile, kSettingsFile}, true).isEmpty());
    QVERIFY(first.holdsAny());
    // A second copy, through another spelling of the same folder, finds it held.
    RewriteLocks second;
    const QString spelled = QDir::toNativeSeparators(QDir::currentPath().toUpper()) + QStringLiteral("\\") + kItemsFile;
    QVERIFY(!second.take({spelled}, false).isEmpty());
    QVERIFY(!second.holdsAny());
    // The file rewritten in place is locked beyond its end: it can still be read and written.
    SaveItems();
    first.release();
    QVERIFY(second.take({spelled}, false).isEmpty());
}

void TestWindows::theClocksAlarmComesAtItsDeadline()
{
    Clock& clock = systemClock();
    const qint64 deadline = clock.elapsedMs() + 300;
    qint64 wokenAt = -1;
    auto alarm = clock.alarmAt(deadline, [&] { wokenAt = clock.elapsedMs(); });
    bool cancelledCame = false;
    clock.alarmAt(clock.elapsedMs() + 100, [&] { cancelledCame = true; }).reset();
    QTRY_VERIFY_WITH_TIMEOUT(wokenAt >= 0, 5000);
    QVERIFY2(wokenAt >= deadline, qPrintable(QStringLiteral("%1 < %2").arg(wokenAt).arg(deadline)));
    QTest::qWait(300);
    QVERIFY(!cancelledCame);
}

void TestWindows::laterStartsReachTheFirstListenerOnly()
{
    const QString path = QDir::tempPath() + QStringLiteral("/quillmora-test-%1").arg(GetCurrentProcessId());
    platform::LocalListener listener;
    QVERIFY(listener.listen(path).isEmpty());
    QSignalSpy received(&listener, &platform::LocalListener::received);
    // A second listener at the same name cannot take the starts.
    platform::LocalListener impostor;
    QVERIFY(!impostor.listen(path).isEmpty());
    // One start at a time (the pipe has one instance): the next comes once the copy has read the first.
    QVERIFY(platform::sendToListener(path, "show\n", 3, 100));
    QTRY_COMPARE(received.size(), 1);
    QVERIFY(platform::sendToListener(path, "again\n", 3, 100));
    QTRY_COMPARE(received.size(), 2);
    QCOMPARE(received.at(0).at(0).toByteArray(), QByteArray("show\n"));
    QCOMPARE(received.at(1).at(0).toByteArray(), QByteArray("again\n"));
    QVERIFY(!platform::sendToListener(path + QStringLiteral("-none"), "show\n", 2, 50));
}

void TestWindows::aStartThatHoldsThePipeIsLetGoAndNoStartWaitsOnTheCopy()
{
    const QString path = QDir::tempPath() + QStringLiteral("/quillmora-held-%1").arg(GetCurrentProcessId());
    const std::wstring pipe = (QStringLiteral("\\\\.\\pipe\\") + path).toStdWString();
    {
        platform::LocalListener listener;
        QVERIFY(listener.listen(path).isEmpty());
        QSignalSpy received(&listener, &platform::LocalListener::received);
        // A program connects, sends half a message and falls silent: the listener lets it go without taking
        // the half for a message, and the next start is heard.
        HANDLE silent = CreateFileW(pipe.c_str(), GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr);
        QVERIFY(silent != INVALID_HANDLE_VALUE);
        DWORD written = 0;
        QVERIFY(WriteFile(silent, "sh", 2, &written, nullptr));
        QVERIFY(QTest::qWaitFor([&] { return platform::sendToListener(path, "show\n", 1, 0); }, 10000));
        QTRY_COMPARE(received.size(), 1);
        QCOMPARE(received.at(0).at(0).toByteArray(), QByteArray("show\n"));
        QVERIFY(!WriteFile(silent, "x", 1, &written, nullptr));  // its end of the pipe is closed
        CloseHandle(silent);
    }
    // A copy that takes the connection and never reads: a message larger than the pipe holds is given up
    // rather than waited on.
    HANDLE deaf = CreateNamedPipeW(pipe.c_str(), PIPE_ACCESS_INBOUND, PIPE_TYPE_BYTE, 1, 0, 16, 0, nullptr);
    QVERIFY(deaf != INVALID_HANDLE_VALUE);
    QVERIFY(!platform::sendToListener(path, QByteArray(64 * 1024, 'x'), 1, 100));
    CloseHandle(deaf);
}

void TestWindows::theMenuEntryRunsInTheUsersDataFolder()
{
    TestEnv env;
    QVERIFY(platform::enterDataFolderAskedFor({QStringLiteral("quillmora.exe")}));
    QCOMPARE(QDir::currentPath(), env.dir());
    QVERIFY(platform::enterDataFolderAskedFor({QStringLiteral("quillmora.exe"), platform::kUserDataFolderArgument}));
    const QString expected = QDir::fromNativeSeparators(qEnvironmentVariable("APPDATA")) + QStringLiteral("/Quillmora");
    QCOMPARE(QDir::currentPath().toLower(), expected.toLower());
    QVERIFY(QDir::setCurrent(env.dir()));
}

QTEST_MAIN(TestWindows)
#include "tst_windows.moc"
