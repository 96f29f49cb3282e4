// SPDX-License-Identifier: GPL-3.0-or-later
// One running copy per data folder: a second start hands over, through a socket of the user's alone,
// and touches nothing; a copy that died does not block the next, nor, once the user says so, the lock
// of one elsewhere; other folders run on their own unless they share their files through links, and a
// folder where no lock file can be made is locked all the same; leftovers of interrupted rewrites go.

#include "TestEnv.h"
#include "Windows.h"

#include "app/Program.h"
#include "platform/LocalChannel.h"
#include "platform/SingleInstance.h"
#include "shared/DataFiles.h"
#include "shared/QmrM.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QLockFile>
#include <QProcess>
#include <QRegularExpression>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

#include <QScopeGuard>

#include <algorithm>
#include <cstring>

#ifndef Q_OS_WIN
#include <poll.h>
#include <sys/file.h>
#include <sys/resource.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>
#endif

using platform::SingleInstance;

class TestSingleInstance : public QObject {
    Q_OBJECT

private slots:
    // The sockets go in a private runtime folder of the tests' own.
    void initTestCase() { qputenv("XDG_RUNTIME_DIR", QFile::encodeName(mRuntime.path())); }

    void secondStartInTheSameFolderHandsOver();
    void lockOfACopyThatDiedIsTakenOver();
    void silentLockIsOfferedOnlyWhenMadeElsewhere();
    void otherFoldersRunOnTheirOwn();
    void foldersSharingTheirFilesThroughLinksRunOne();
    void folderWhereNoFileCanBeMadeIsLockedByItsFiles();
    void secondProgramEndsWithoutTouchingTheData();
    void onlyLeftoversOfOurOwnRewritesAreRemoved();
    void lockTellsComputersApartWithoutTheirId();
    void readOnlyFolderIsToldAtTheStart();
    void listenerOutlastsSilentAndSurplusConnections();
    void listenerRestsWhenOutOfDescriptors();

private:
    QTemporaryDir mRuntime;
};

namespace {

// Writes the lock file a copy of the program left on computer `host`, which has the machine id `machine`
// (none in a lock of an earlier version).
void writeLock(const QString& folder, const QString& host, const QByteArray& machine = QByteArray())
{
    // The highest process number is never in use here.
    QByteArray lock = "4194304\nquillmora\n" + host.toUtf8() + "\n";
    if (!machine.isEmpty())
        lock += machine + "\n" + QSysInfo::bootUniqueId() + "\n";
    writeBytes(QDir(folder).filePath(QmrM::kLockFile), lock);
}

}  // namespace

void TestSingleInstance::secondStartInTheSameFolderHandsOver()
{
    QTemporaryDir folder;
    {
        SingleInstance first(folder.path());
        QCOMPARE(first.claim(), SingleInstance::Outcome::Running);
        QSignalSpy asked(&first, &SingleInstance::anotherStart);
        // The token the desktop's launcher gave the second start goes to the running copy, for its window.
        qputenv("XDG_ACTIVATION_TOKEN", "launcher-token_TIME42");
        qputenv("DESKTOP_STARTUP_ID", "older-form_TIME41");
        SingleInstance second(folder.path());
        QCOMPARE(second.claim(), SingleInstance::Outcome::HandedOver);
        qunsetenv("XDG_ACTIVATION_TOKEN");
        qunsetenv("DESKTOP_STARTUP_ID");
        QTRY_COMPARE(asked.count(), 1);
        QCOMPARE(asked.first().first().toString(), QStringLiteral("launcher-token_TIME42"));
#ifndef Q_OS_WIN  // a named pipe there, no file (tst_windows)
        const QFileInfo socket(SingleInstance::serverName(folder.path()));
        QCOMPARE(socket.absolutePath(), mRuntime.path());
        // Only the user may connect to it.
        QVERIFY(socket.exists());
        QCOMPARE(socket.permissions() & (QFile::ReadGroup | QFile::WriteGroup | QFile::ReadOther | QFile::WriteOther),
                 QFile::Permissions());
#endif
    }
    QCOMPARE(QDir(mRuntime.path()).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot), QStringList());
}

void TestSingleInstance::lockOfACopyThatDiedIsTakenOver()
{
    QTemporaryDir folder;
    writeLock(folder.path(), QSysInfo::machineHostName());
    SingleInstance next(folder.path());
    QCOMPARE(next.claim(), SingleInstance::Outcome::Running);
}

void TestSingleInstance::silentLockIsOfferedOnlyWhenMadeElsewhere()
{
    TestEnv env;
#ifndef Q_OS_WIN  // a pipe's name has no folder to be too deep
    // A copy that cannot listen (its runtime folder's path leaves no room for a socket's name) runs on; a
    // later start is told so, and offered no take-over of the copy that runs.
    QTemporaryDir runtime;
    const QString deep = QDir(runtime.path()).filePath(QString(100, u'r'));
    QVERIFY(QDir().mkdir(deep) &&
            QFile::setPermissions(deep, QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner));
    qputenv("XDG_RUNTIME_DIR", QFile::encodeName(deep));
    {
        SingleInstance running(env.dir());
        QTest::ignoreMessage(QtWarningMsg, QRegularExpression(QStringLiteral("cannot reach this copy")));
        QCOMPARE(running.claim(), SingleInstance::Outcome::Running);
        env.dialogs().expectAnyMessage(QStringLiteral("Quillmora"), platform::vbExclamation);
        QVERIFY(!Program::claimDataFolder());
    }
    qputenv("XDG_RUNTIME_DIR", QFile::encodeName(mRuntime.path()));
#endif

    // The lock of a copy on another computer sharing the folder, told by its machine id even under this
    // computer's host name, or by its host name in a lock of an earlier version: named, and taken over once
    // the user says so, Cancel being the default.
    const QString lock = QDir(QFileInfo(env.dir()).canonicalFilePath()).filePath(QmrM::kLockFile);
    const int confirmation = platform::vbOKCancel | platform::vbExclamation | platform::vbDefaultButton2;
    const QByteArray otherMachine("0123456789abcdef0123456789abcdef");
    if (QSysInfo::machineUniqueId().isEmpty() || QSysInfo::machineUniqueId() == otherMachine)
        qInfo("No machine id here: the lock of a computer of the same host name is not told apart");
    else {
        writeLock(env.dir(), QSysInfo::machineHostName(), otherMachine);
        env.dialogs().expectAnyMessage(QStringLiteral("Quillmora"), confirmation, platform::vbCancel);
        QVERIFY(!Program::claimDataFolder());
        QVERIFY(env.dialogs().verify());
        QVERIFY(readBytes(lock).contains(otherMachine));
    }
    writeLock(env.dir(), QStringLiteral("old-name"));
    env.dialogs()
        .expectAnyMessage(QStringLiteral("Quillmora"), confirmation, platform::vbCancel)
        .expectAnyMessage(QStringLiteral("Quillmora"), confirmation, platform::vbOK);
    QVERIFY(!Program::claimDataFolder());
    QVERIFY(Program::claimDataFolder());
    QVERIFY(env.dialogs().shownTexts().last().contains(QStringLiteral("「old-name」")));
    QVERIFY(env.dialogs().shownTexts().last().contains(QDir::toNativeSeparators(lock)));
    QVERIFY(readBytes(lock).startsWith(QByteArray::number(QCoreApplication::applicationPid()) + '\n'));
    QVERIFY(env.dialogs().verify());
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

void TestSingleInstance::foldersSharingTheirFilesThroughLinksRunOne()
{
    // The second folder's items list is a link to the first's: a copy in each would undo the other's changes.
    QUILLMORA_SKIP_ON_WINDOWS("a link a user makes is a .lnk shortcut there, which no file operation follows");
    TestEnv env;
    QTemporaryDir first;
    const QString items = QDir(QFileInfo(first.path()).canonicalFilePath()).filePath(QmrM::kItemsFile);
    writeBytes(items, "\"A\",5\r\n");
    QVERIFY(QFile::link(items, QmrM::kItemsFile));
    SingleInstance running(first.path());
    QCOMPARE(running.claim(), SingleInstance::Outcome::Running);
    env.dialogs().expectAnyMessage(QStringLiteral("Quillmora"), platform::vbExclamation);
    QVERIFY(!Program::claimDataFolder());
    QVERIFY(env.dialogs().verify());
    QVERIFY(env.dialogs().shownTexts().last().contains(QStringLiteral("「%1」").arg(items)));
    QVERIFY(!QFile::exists(QmrM::kLockFile));  // no lock of the folder is left either
}

void TestSingleInstance::folderWhereNoFileCanBeMadeIsLockedByItsFiles()
{
#ifdef Q_OS_WIN
    QSKIP("Wine keeps no access lists on files: such a folder cannot be made there (tst_windows locks the files)");
#else
    TestEnv env;
    writeBytes(QmrM::kItemsFile, "\"A\",5\r\n");
    QTemporaryDir runtime;  // the sockets' folder of the user the test acts as
    qputenv("XDG_RUNTIME_DIR", QFile::encodeName(runtime.path()));
    {
        FolderWithoutNewFiles shared({QmrM::kItemsFile}, runtime.path());
        QVERIFY(shared.isSetUp());
        SingleInstance running(env.dir());
        QCOMPARE(running.claim(), SingleInstance::Outcome::Running);
        QSignalSpy asked(&running, &SingleInstance::anotherStart);
        SingleInstance second(env.dir());
        QCOMPARE(second.claim(), SingleInstance::Outcome::HandedOver);
        QTRY_COMPARE(asked.count(), 1);
        // The list itself is locked, as a copy on another computer sharing the folder sees it.
        const int list = ::open(QFile::encodeName(QmrM::kItemsFile).constData(), O_RDONLY);
        QVERIFY(list >= 0 && ::flock(list, LOCK_SH | LOCK_NB) != 0);
        ::close(list);
    }
    qputenv("XDG_RUNTIME_DIR", QFile::encodeName(mRuntime.path()));
    QCOMPARE(QDir().entryList(QDir::Files | QDir::Hidden), QStringList({QmrM::kItemsFile}));
#endif
}

void TestSingleInstance::secondProgramEndsWithoutTouchingTheData()
{
    QTemporaryDir folder;
    SingleInstance running(folder.path());
    QCOMPARE(running.claim(), SingleInstance::Outcome::Running);
    QSignalSpy asked(&running, &SingleInstance::anotherStart);
    // Data files the second copy must neither read into a window nor write.
    const QByteArray items = cp932(QStringLiteral("\"A\",5\r\n"));
    const QString itemsFile = QDir(folder.path()).filePath(QmrM::kItemsFile);
    writeBytes(itemsFile, items);
    const QDateTime modified = QFileInfo(itemsFile).lastModified();
    QProcess second;
    second.setWorkingDirectory(folder.path());
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    // GLib's launchers before 2.76 (GNOME 43's) give the token as the startup id only.
    environment.remove(QStringLiteral("XDG_ACTIVATION_TOKEN"));
    environment.insert(QStringLiteral("DESKTOP_STARTUP_ID"), QStringLiteral("shell-launch_TIME7"));
    second.setProcessEnvironment(environment);
    second.start(QStringLiteral(QUILLMORA_PROGRAM), {});
    QVERIFY(second.waitForFinished(20000));
    QCOMPARE(second.exitStatus(), QProcess::NormalExit);
    QCOMPARE(second.exitCode(), 0);
    QTRY_COMPARE(asked.count(), 1);
    QCOMPARE(asked.first().first().toString(), QStringLiteral("shell-launch_TIME7"));
    QDir dir(folder.path());
    QCOMPARE(dir.entryList(QDir::Files | QDir::Hidden), QStringList({QmrM::kLockFile, QmrM::kItemsFile}));
    QCOMPARE(readBytes(itemsFile), items);
    QCOMPARE(QFileInfo(itemsFile).lastModified(), modified);
}

void TestSingleInstance::onlyLeftoversOfOurOwnRewritesAreRemoved()
{
    TestEnv env;
    const QStringList leftovers = {QStringLiteral(".項目一覧.txt.quillmora-tmp-Ab12Cd"),
                                   QStringLiteral(".設定.TXT.quillmora-tmp-000000")};
    // The user's own hidden files, some looking much like temporary files.
    const QStringList kept = {QStringLiteral(".項目一覧.txt.backup"),
                              QStringLiteral(".設定.TXT.Old123"),
                              QStringLiteral(".項目一覧.txt.quillmora-tmp-Ab-2C"),
                              QStringLiteral(".項目一覧.txt.quillmora-tmp-Ab12Cd7"),
                              QStringLiteral(".A.txt.quillmora-tmp-Ab12Cd"),
                              QStringLiteral(".other")};
    for (const QString& name : leftovers + kept)
        writeBytes(name, "x");
    QCOMPARE(QmrM::removeLeftoverTemporaryFiles({QmrM::kItemsFile, QmrM::kSettingsFile}), leftovers.size());
    QStringList left = QDir::current().entryList(QDir::Files | QDir::Hidden);
    QStringList expected = kept;
    left.sort();
    expected.sort();
    QCOMPARE(left, expected);
}

void TestSingleInstance::lockTellsComputersApartWithoutTheirId()
{
    const QByteArray machine = QSysInfo::machineUniqueId();
    if (machine.isEmpty())
        QSKIP("no machine id here");
    // Whoever reads the folder finds no id of the computer in the lock of a copy that runs...
    QTemporaryDir folder;
    const QString lock = QDir(folder.path()).filePath(QmrM::kLockFile);
    QByteArray written;
    {
        SingleInstance running(folder.path());
        QCOMPARE(running.claim(), SingleInstance::Outcome::Running);
        written = readBytes(lock);
    }
    QVERIFY2(!written.contains(machine), written.constData());
    // ...and yet the lock tells this computer from another of the same host name: left by a copy that died
    // here it is taken over at once, while one that names another machine waits for the user.
    writeBytes(lock, written);
    {
        SingleInstance next(folder.path());
        QCOMPARE(next.claim(), SingleInstance::Outcome::Running);
    }
    written.replace(QmrM::FolderLock::machineMark(), QByteArray(32, 'f'));
    writeBytes(lock, written);
    SingleInstance elsewhere(folder.path());
    QCOMPARE(elsewhere.claim(), SingleInstance::Outcome::OtherSilent);
}

void TestSingleInstance::readOnlyFolderIsToldAtTheStart()
{
    QUILLMORA_SKIP_ON_WINDOWS("Wine keeps no access lists on files: such a folder cannot be made there");
    TestEnv env;
    writeBytes(QmrM::kItemsFile, "\"A\",5\r\n");
    QTemporaryDir runtime;  // the sockets' folder of the user the test acts as
    qputenv("XDG_RUNTIME_DIR", QFile::encodeName(runtime.path()));
    {
        FolderWithoutNewFiles readOnly({}, runtime.path());  // the list is another user's too
        QVERIFY(readOnly.isSetUp());
        env.dialogs().expectAnyMessage(QStringLiteral("Quillmora"), platform::vbExclamation);
        QVERIFY(Program::claimDataFolder());
        QVERIFY(env.dialogs().verify());
        QVERIFY(env.dialogs().shownTexts().last().startsWith(QStringLiteral("このフォルダーには書き込めない")));
    }
    qputenv("XDG_RUNTIME_DIR", QFile::encodeName(mRuntime.path()));
}

void TestSingleInstance::listenerOutlastsSilentAndSurplusConnections()
{
#ifdef Q_OS_WIN
    QSKIP("A socket of the system's own; the named pipe's limits are tested in tst_windows");
#else
    QTemporaryDir folder;
    SingleInstance running(folder.path());
    QCOMPARE(running.claim(), SingleInstance::Outcome::Running);
    QSignalSpy asked(&running, &SingleInstance::anotherStart);
    const QByteArray path = QFile::encodeName(SingleInstance::serverName(folder.path()));
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    std::memcpy(address.sun_path, path.constData(), size_t(path.size()));
    // Silent connections, more than the listener reads at once and more than its queue holds.
    std::vector<int> silent;
    for (int i = 0; i < 24; ++i) {
        const int client = ::socket(AF_UNIX, SOCK_STREAM | SOCK_NONBLOCK, 0);
        if (::connect(client, reinterpret_cast<const sockaddr*>(&address), sizeof address) == 0)
            silent.push_back(client);
        else
            ::close(client);  // the queue is full
    }
    QVERIFY(silent.size() > 8);
    const auto closeSilent = qScopeGuard([&] {
        for (const int client : silent)
            ::close(client);
    });
    // A later start gets through meanwhile, without waiting on the listener: its tries come again.
    QVERIFY(QTest::qWaitFor([&] { return platform::sendToListener(QString::fromLocal8Bit(path), "show\n", 1, 0); }));
    QTRY_COMPARE(asked.count(), 1);
    // Each silent one is closed by the listener: its end reads the end of the stream.
    for (const int client : silent) {
        pollfd closed{client, POLLIN, 0};
        QTRY_VERIFY(::poll(&closed, 1, 0) == 1);
        char byte;
        QCOMPARE(::read(client, &byte, 1), ssize_t(0));
    }
#endif
}

namespace {

// Counts the socket notifiers' activations on this thread while it lives.
class NotifierActivations : public QObject {
public:
    NotifierActivations() { QCoreApplication::instance()->installEventFilter(this); }
    ~NotifierActivations() override { QCoreApplication::instance()->removeEventFilter(this); }
    int count = 0;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        count += event->type() == QEvent::SockAct;
        return QObject::eventFilter(watched, event);
    }
};

}  // namespace

void TestSingleInstance::listenerRestsWhenOutOfDescriptors()
{
#ifdef Q_OS_WIN
    QSKIP("Descriptors and their limit are POSIX's; the named pipe takes no descriptor per start");
#else
#if defined(__SANITIZE_ADDRESS__)
    QSKIP("the sanitizers' own checks need descriptors: with none left they report every object as of no type");
#endif
    QTemporaryDir folder;
    SingleInstance running(folder.path());
    QCOMPARE(running.claim(), SingleInstance::Outcome::Running);
    QSignalSpy asked(&running, &SingleInstance::anotherStart);
    // A start sends its message while the running copy has no descriptor left to take the connection with.
    rlimit limit{};
    QVERIFY(::getrlimit(RLIMIT_NOFILE, &limit) == 0);
    const rlimit before = limit;
    limit.rlim_cur = std::min<rlim_t>(limit.rlim_cur, 512);
    QVERIFY(::setrlimit(RLIMIT_NOFILE, &limit) == 0);
    std::vector<int> taken;
    for (int fd; (fd = ::dup(0)) >= 0;)
        taken.push_back(fd);
    ::close(taken.back());  // room for the start's socket alone
    taken.pop_back();
    const bool sent = platform::sendToListener(SingleInstance::serverName(folder.path()), "show\n", 1, 0);
    taken.push_back(::dup(0));  // and none left once it is sent
    {
        NotifierActivations activations;
        QTest::qWait(600);
        QVERIFY2(activations.count < 10, qPrintable(QStringLiteral("%1 activations").arg(activations.count)));
    }
    for (const int fd : taken)
        ::close(fd);
    QVERIFY(::setrlimit(RLIMIT_NOFILE, &before) == 0);
    // Once descriptors are free again, the waiting start is heard.
    QVERIFY(sent);
    QTRY_COMPARE(asked.count(), 1);
#endif
}

QTEST_GUILESS_MAIN(TestSingleInstance)
#include "tst_single_instance.moc"
