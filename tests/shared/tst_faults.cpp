// SPDX-License-Identifier: GPL-3.0-or-later
// Failures of the file system, simulated as root can see them: a folder standing where a file should be,
// a link to /dev/full (no space left), a file size limit in a child process, files changed behind the
// program's back, a current directory that disappears, a writer killed in the middle of its rewrites, and
// shared folders: links and files of other users, a folder where no file can be made.

#include "TestEnv.h"
#include "Windows.h"

#include "platform/Dialogs.h"
#include "platform/Guard.h"
#include "settings/frmSettei.h"
#include "shared/DataFiles.h"
#include "shared/Errors.h"
#include "shared/HistoryFile.h"
#include "shared/OwnOptions.h"
#include "shared/QmrM.h"

#include <QApplication>
#include <QDeadlineTimer>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QRandomGenerator>
#include <QScrollBar>
#include <QScopeGuard>
#include <QTest>

#include <algorithm>
#include <csignal>
#include <grp.h>
#include <limits>
#include <poll.h>
#include <type_traits>
#include <sys/inotify.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

using namespace QmrM;

namespace {

const QString kItems = QmrM::kItemsFile;
const QString kSettings = QmrM::kSettingsFile;
const char* const kRewriteForever = "--rewrite-items-forever";

template <class F>
bool failsWithDataFileError(F&& action)
{
    try {
        action();
    } catch (const DataFileError&) {
        return true;
    }
    return false;
}

// Twenty items with long names; `variant` makes two different lists of the same shape.
void setTwentyItems(int variant)
{
    QStringList names;
    QList<int> counts;
    for (int i = 1; i <= 20; ++i) {
        names.append(QStringLiteral("とても長い名前のトレーニング項目その%1・版%2").arg(i).arg(variant).repeated(4));
        counts.append(i * 10 + variant);
    }
    setItems(names, counts);
}

QByteArray itemsFileFor(int variant)
{
    QString lines;
    setTwentyItems(variant);
    for (int i = 1; i <= 20; ++i)
        lines += QStringLiteral("\"%1\",%2\r\n").arg(gKoumoku[i]).arg(gShijiSu[i]);
    return cp932(lines);
}

// Sets the wait in the settings window and confirms it with its button, as the user does: the only way
// the settings file is written. Returns whether the window told what was expected: either that the
// settings were saved, or, for a settings file it could not write, the failure naming the file, after
// which the program goes on with the options it had.
bool confirmWaitInSettingsWindow(TestEnv& env, int minutes, bool expectSaved)
{
    frmSettei& form = frmSettei::instance();
    platform::runGuarded([&] { form.Show(); });
    auto* waitBar = control<QScrollBar>(form, QStringLiteral("hsbTime"));
    if (!waitBar)
        return false;
    waitBar->setValue(minutes);
    const float before = gWaitJikan;
    if (expectSaved)
        expectOptionsSaved(env.dialogs());
    else
        env.dialogs().expectAnyMessage(QStringLiteral("保存できません"), platform::vbExclamation);
    clickButton(form, QStringLiteral("cmdSettei"));
    if (!env.dialogs().verify() || !env.endings().isEmpty())
        return false;
    if (expectSaved)
        return gWaitJikan == float(minutes);
    const QString told = env.dialogs().shownTexts().last();
    return gWaitJikan == before && told.contains(kSettings) &&
           told.endsWith(QStringLiteral("変更は保存されていません。"));
}

bool settingsWindowSaves(TestEnv& env, int minutes)
{
    return confirmWaitInSettingsWindow(env, minutes, true);
}

bool settingsWindowFailsToSave(TestEnv& env, int minutes)
{
    return confirmWaitInSettingsWindow(env, minutes, false);
}

// Runs `action` in a child process made ready by `prepare`; returns whether the action failed there: with a
// DataFileError, or as the action itself tells when it returns a bool.
template <class Prepare, class F>
bool failsInChild(Prepare&& prepare, F&& action)
{
    const pid_t child = fork();
    if (child == 0) {
        prepare();
        bool failed = false;
        if constexpr (std::is_same_v<std::invoke_result_t<F>, bool>)
            failed = action();
        else
            failed = failsWithDataFileError(action);
        _exit(failed ? 0 : 1);
    }
    int status = 0;
    waitpid(child, &status, 0);
    if (!WIFEXITED(status) || WEXITSTATUS(status) > 1)
        qWarning() << "child status" << status;
    return WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

// Runs `action` in a child process whose files may not grow beyond `limit` bytes.
template <class F>
bool failsUnderFileSizeLimit(rlim_t limit, F&& action)
{
    return failsInChild(
        [limit] {
            std::signal(SIGXFSZ, SIG_IGN);  // a write beyond the limit then fails with EFBIG
            rlimit rl{limit, limit};
            setrlimit(RLIMIT_FSIZE, &rl);
        },
        std::forward<F>(action));
}

// Runs `action` in a child process of user `uid`, whose only group besides its own is `group`.
template <class F>
bool failsAsUser(uid_t uid, gid_t group, F&& action)
{
    return failsInChild(
        [uid, group] {
            if (::setgroups(1, &group) != 0 || ::setgid(uid) != 0 || ::setuid(uid) != 0)
                _exit(2);
        },
        std::forward<F>(action));
}

// Files made and renamed away in the current directory, as the system tells them.
class FolderWatch {
public:
    FolderWatch() : mFd(inotify_init1(IN_CLOEXEC)) { inotify_add_watch(mFd, ".", IN_CREATE | IN_MOVED_FROM); }
    ~FolderWatch() { ::close(mFd); }
    // Waits for the next event of the given kind; false after 20 s without one.
    bool waitFor(uint32_t kind)
    {
        while (true) {
            while (!mSeen.isEmpty()) {
                if (mSeen.takeFirst() & kind)
                    return true;
            }
            alignas(inotify_event) char buffer[4096];
            pollfd ready{mFd, POLLIN, 0};
            if (poll(&ready, 1, 20000) != 1)
                return false;
            const ssize_t got = read(mFd, buffer, sizeof buffer);
            for (ssize_t at = 0; at < got;) {
                const auto* event = reinterpret_cast<const inotify_event*>(buffer + at);
                mSeen.append(event->mask);
                at += ssize_t(sizeof(inotify_event) + event->len);
            }
        }
    }

private:
    int mFd;
    QList<uint32_t> mSeen;
};

pid_t startRewritingTheItemsForever()
{
    const QByteArray program = QCoreApplication::applicationFilePath().toLocal8Bit();
    const pid_t child = fork();
    if (child == 0) {
        execl(program.constData(), program.constData(), kRewriteForever, static_cast<char*>(nullptr));
        _exit(127);
    }
    return child;
}

}  // namespace

class TestFaults : public QObject {
    Q_OBJECT

private slots:
    void fullDiskLeavesNoPartialHistoryRecord();
    void fileSizeLimitNeverTruncatesAWrittenFile();
    void foldersWhereFilesShouldBe();
    void filesChangedBehindTheProgramsBack();
    void currentDirectoryRemovedWhileRunning();
    void killedRewriterLeavesOldOrNewList();
    void cleanUpLeavesARunningRewriteAlone();
    void folderThatCannotBeWrittenWithFilesThatCan();
    void linksOfOtherUsersLeadNoWriteNorRead();
    void rewriteByAGroupMemberKeepsTheGroup();
    void readersTakeNothingButAFile();
    void deletionIsOneStepWhereverItStops();
};

void TestFaults::fullDiskLeavesNoPartialHistoryRecord()
{
    struct stat device {};
    if (::stat("/dev/full", &device) != 0 || !S_ISCHR(device.st_mode))
        QSKIP("/dev/full is not the full device here");
    TestEnv env;
    QVERIFY(QFile::link(QStringLiteral("/dev/full"), QStringLiteral("満杯.txt")));
    QVERIFY(failsWithDataFileError([] { appendHistoryRecord(QStringLiteral("満杯"), 20); }));
    // A rewrite through the same kind of link replaces the link with a complete file instead of failing.
    QVERIFY(QFile::link(QStringLiteral("/dev/full"), kSettings));
    QVERIFY(settingsWindowSaves(env, 5));
    QCOMPARE(readBytes(kSettings), QByteArray("0,0,5\r\n"));
}

void TestFaults::fileSizeLimitNeverTruncatesAWrittenFile()
{
    TestEnv env;
    const QByteArray oldItems = itemsFileFor(1);
    writeBytes(kItems, oldItems);
    writeBytes(kSettings, QByteArray("1,1,30\r\n"));
    writeBytes(QStringLiteral("履歴.txt"), QByteArray(90, 'x'));

    // Each writer, with no room to write: it reports the failure and the old file stays whole.
    QVERIFY(failsUnderFileSizeLimit(64, [] {
        setTwentyItems(2);
        SaveItems();
    }));
    QCOMPARE(readBytes(kItems), oldItems);
    platform::runGuarded([] { frmSettei::instance().Show(); });  // opened before the limit
    QVERIFY(failsUnderFileSizeLimit(0, [&env] { return settingsWindowFailsToSave(env, 12); }));
    QCOMPARE(readBytes(kSettings), QByteArray("1,1,30\r\n"));
    QVERIFY(failsUnderFileSizeLimit(100, [] { appendHistoryRecord(QStringLiteral("履歴"), 20); }));
    QCOMPARE(readBytes(QStringLiteral("履歴.txt")), QByteArray(90, 'x'));  // no half record appended
    QVERIFY(failsUnderFileSizeLimit(10, [] { appendItemRecord(QStringLiteral("新しい項目"), 3); }));
    QCOMPARE(readBytes(kItems), oldItems);
    // No temporary file is left behind by the failed rewrites.
    QCOMPARE(QDir().entryList(QDir::Files).size(), 3);
}

void TestFaults::foldersWhereFilesShouldBe()
{
    TestEnv env;
    for (const QString& name : {kItems, kSettings, QStringLiteral("A.txt")})
        QVERIFY(QDir().mkdir(name));
    setItems({QStringLiteral("A")}, {1});
    QVERIFY(failsWithDataFileError([] { LoadItems(); }));
    QVERIFY(failsWithDataFileError([] { LoadSettings(); }));
    QVERIFY(failsWithDataFileError([] { SaveItems(); }));
    QVERIFY(failsWithDataFileError([] { appendItemRecord(QStringLiteral("B"), 1); }));
    QVERIFY(failsWithDataFileError([] { appendHistoryRecord(QStringLiteral("A"), 1); }));
    QVERIFY(failsWithDataFileError([] { readHistoryIndex(QStringLiteral("A")); }));
    QVERIFY(failsWithDataFileError([] { createHistoryFile(QStringLiteral("A")); }));
    // With no items the settings window reads no history at its start-up.
    gKoumokuSu = 0;
    QVERIFY(settingsWindowFailsToSave(env, 3));
    for (const QString& name : {kItems, kSettings, QStringLiteral("A.txt")})
        QVERIFY(QFileInfo(name).isDir());  // nothing was removed or replaced
}

void TestFaults::filesChangedBehindTheProgramsBack()
{
    TestEnv env;
    writeDataFile(kItems, QStringLiteral("\"A\",1\r\n\"B\",2\r\n"));
    LoadItems();
    // Another program deletes the list and a history file between two events: the next writes bring
    // back what the program holds instead of failing.
    QFile::remove(kItems);
    appendHistoryRecord(QStringLiteral("A"), 5);
    SaveItems();
    QCOMPARE(readDataFile(kItems), QStringLiteral("\"A\",1\r\n\"B\",2\r\n"));
    QFile::remove(QStringLiteral("A.txt"));
    QCOMPARE(readHistoryIndex(QStringLiteral("A")).size(), 0);
    // Another program appends to a history meanwhile: the next reading sees it.
    appendHistoryRecord(QStringLiteral("B"), 1);
    QFile other(QStringLiteral("B.txt"));
    QVERIFY(other.open(QIODevice::Append));
    other.write(cp932(QStringLiteral("\"01月01日\",\"00時00分00秒\",7\r\n")));
    other.close();
    QCOMPARE(readHistoryIndex(QStringLiteral("B")).size(), 2);
    // A list replaced by one with a bad line is reported, and the state read before stays.
    writeDataFile(kItems, QStringLiteral("\"C\",oops\r\n"));
    QVERIFY(failsWithDataFileError([] { LoadItems(); }));
    QCOMPARE(gKoumoku[2], QStringLiteral("B"));
}

void TestFaults::currentDirectoryRemovedWhileRunning()
{
    TestEnv env;
    QVERIFY(QDir().mkdir(QStringLiteral("gone")));
    QVERIFY(QDir::setCurrent(QStringLiteral("gone")));
    writeDataFile(kItems, QStringLiteral("\"A\",1\r\n"));
    LoadItems();
    QVERIFY(QDir(env.dir()).removeRecursively() || true);
    QVERIFY(!QFileInfo::exists(env.dir() + QStringLiteral("/gone")));
    QVERIFY(failsWithDataFileError([] { appendHistoryRecord(QStringLiteral("A"), 1); }));
    QVERIFY(failsWithDataFileError([] { SaveItems(); }));
    QCOMPARE(readHistoryIndex(QStringLiteral("A")).size(), 0);
    QCOMPARE(gKoumoku[1], QStringLiteral("A"));
    QVERIFY(settingsWindowFailsToSave(env, 3));
    QDir().mkpath(env.dir());  // let the environment clean up
}

void TestFaults::killedRewriterLeavesOldOrNewList()
{
    // Each kill comes in the middle of a rewrite: once the rewriter made its first temporary file, at a random
    // moment within the shortest time a rewrite took here.
    TestEnv env;
    const QByteArray first = itemsFileFor(1);
    const QByteArray second = itemsFileFor(2);
    writeBytes(kItems, first);
    const auto stop = [](pid_t child) {
        kill(child, SIGKILL);
        waitpid(child, nullptr, 0);
    };
    // A rewrite lasts from its temporary file made to that file renamed over the list.
    FolderWatch timedWatch;
    const pid_t timed = startRewritingTheItemsForever();
    QElapsedTimer rewrite;
    qint64 shortestUs = std::numeric_limits<qint64>::max();
    for (int i = 0; i < 8; ++i) {
        QVERIFY(timedWatch.waitFor(IN_CREATE));
        rewrite.start();
        QVERIFY(timedWatch.waitFor(IN_MOVED_FROM));
        shortestUs = std::clamp<qint64>(rewrite.nsecsElapsed() / 1000, 1, shortestUs);
    }
    stop(timed);
    auto* random = QRandomGenerator::global();
    int intact = 0;
    int midRewrite = 0;
    const int kills = 200;
    for (int i = 0; i < kills; ++i) {
        FolderWatch watch;
        const pid_t child = startRewritingTheItemsForever();
        QVERIFY(watch.waitFor(IN_CREATE));
        usleep(useconds_t(random->bounded(shortestUs)));
        stop(child);
        const QByteArray now = readBytes(kItems);
        if (now == first || now == second)
            ++intact;
        else
            qWarning() << "damaged list after kill" << i << "size" << now.size();
        // A temporary file left behind tells that the kill came before the rewrite was done; the clean-up
        // of the next start removes it, and only it.
        if (QDir().entryList(QDir::Files | QDir::Hidden).size() > 1)
            ++midRewrite;
        removeLeftoverTemporaryFiles({kItems, kSettings});
        QCOMPARE(QDir().entryList(QDir::Files | QDir::Hidden), QStringList({kItems}));
    }
    qInfo().noquote() << QStringLiteral(
                             "items list intact after %1 of %2 kills, %3 in the middle of a rewrite "
                             "(a rewrite takes %4 ms or more here)")
                             .arg(intact)
                             .arg(kills)
                             .arg(midRewrite)
                             .arg(double(shortestUs) / 1000.0);
    QCOMPARE(intact, kills);
    QVERIFY(midRewrite >= kills / 4);
}

void TestFaults::cleanUpLeavesARunningRewriteAlone()
{
    // A copy rewrites the list again and again while another starts in the same folder and clears what it
    // takes for leftovers of interrupted rewrites (as a copy that took over the folder's lock would).
    TestEnv env;
    const QByteArray first = itemsFileFor(1);
    writeBytes(kItems, first);
    const pid_t rewriter = startRewritingTheItemsForever();
    bool stopped = false;
    const auto stop = [&] {  // whether the rewriter was still running
        const bool running = waitpid(rewriter, nullptr, WNOHANG) == 0;
        kill(rewriter, SIGKILL);
        waitpid(rewriter, nullptr, 0);
        stopped = true;
        return running;
    };
    const auto stopOnFailure = qScopeGuard([&] {
        if (!stopped)
            stop();
    });
    // Each rewrite is synced to the disk, which a busy machine may take its time over. The list goes back
    // to the first one every other rewrite, so the first look that sees another one is what counts.
    const QDeadlineTimer firstRewrite(60000);
    bool rewritten = false;
    while (!(rewritten = readBytes(kItems) != first) && !firstRewrite.hasExpired())
        QTest::qWait(50);
    QVERIFY(rewritten);
    for (int i = 0; i < 2000; ++i)
        removeLeftoverTemporaryFiles({kItems, kSettings});
    // A rewrite whose temporary file was taken fails, and the rewriter ends.
    QVERIFY(stop());
}

void TestFaults::folderThatCannotBeWrittenWithFilesThatCan()
{
    TestEnv env;
    writeDataFile(kItems, QStringLiteral("\"A\",15\r\n"));
    writeDataFile(QStringLiteral("A.txt"), QString());
    bool failed = true;
    {
        FolderWithoutNewFiles shared({kItems, QStringLiteral("A.txt")});
        QVERIFY(shared.isSetUp());
        // A pass there: the record, then the list's rewrite, in place as no file can be made beside it; the
        // new list is shorter than the old one.
        failed = failsWithDataFileError([] {
            LoadItems();
            appendHistoryRecord(QStringLiteral("A"), 20);
            gShijiSu[1] = 6;
            SaveItems();
        });
    }
    QVERIFY(!failed);
    QCOMPARE(readDataFile(kItems), QStringLiteral("\"A\",6\r\n"));
}

void TestFaults::linksOfOtherUsersLeadNoWriteNorRead()
{
    // In a folder others may write to, a user planted links to a file of ours elsewhere; our own links stay
    // followed (root's here, as the test runs as root).
    if (::geteuid() != 0)
        QSKIP("a link of another user takes root to make");
    TestEnv env;
    QVERIFY(QDir().mkdir(QStringLiteral("home")));
    const QString notes = QStringLiteral("home/notes.txt");
    const QByteArray mine("my notes\n");
    writeBytes(notes, mine);
    for (const QString& name : {kItems, QStringLiteral("A.txt")}) {
        QVERIFY(QFile::link(notes, name));
        QVERIFY(::lchown(QFile::encodeName(name).constData(), 1001, 1001) == 0);
    }
    setItems({QStringLiteral("A")}, {5});
    try {
        SaveItems();
        QFAIL("rewritten through another user's link");
    } catch (const DataFileError& error) {
        QVERIFY2(error.description().contains(QStringLiteral("「%1」").arg(kItems)), qPrintable(error.description()));
    }
    QVERIFY(failsWithDataFileError([] { appendHistoryRecord(QStringLiteral("A"), 1); }));
    QVERIFY(failsWithDataFileError([] { readHistoryIndex(QStringLiteral("A")); }));  // nor read
    QCOMPARE(readBytes(notes), mine);
    QVERIFY(QFileInfo(kItems).isSymLink());
    QVERIFY(::lchown(QFile::encodeName(kItems).constData(), 0, 0) == 0);
    SaveItems();
    QCOMPARE(readDataFile(notes), QStringLiteral("\"A\",5\r\n"));
}

void TestFaults::rewriteByAGroupMemberKeepsTheGroup()
{
    // A folder and a list shared by group 1500: the list belongs to user 1001, and user 1002 of the group
    // rewrites it.
    if (::geteuid() != 0)
        QSKIP("acting as two users takes root");
    TestEnv env;
    writeDataFile(kItems, QStringLiteral("\"A\",5\r\n"));
    const QByteArray items = QFile::encodeName(kItems);
    QVERIFY(::chown(items.constData(), 1001, 1500) == 0 && ::chmod(items.constData(), 0660) == 0);
    QVERIFY(::chown(".", 0, 1500) == 0 && ::chmod(".", 0770) == 0);
    QVERIFY(!failsAsUser(1002, 1500, [] {
        LoadItems();
        gShijiSu[1] = 6;
        SaveItems();
    }));
    QCOMPARE(readDataFile(kItems), QStringLiteral("\"A\",6\r\n"));
    struct stat list {};
    QVERIFY(::stat(items.constData(), &list) == 0);
    QCOMPARE(list.st_gid, gid_t(1500));  // so user 1001 still reads and writes it
    QCOMPARE(list.st_mode & 07777, mode_t(0660));
}

void TestFaults::readersTakeNothingButAFile()
{
    // In a child, so that a reader that waits or reads without end fails the test instead of hanging it.
    TestEnv env;
    QVERIFY(::mkfifo(QFile::encodeName(kOwnOptionsFile).constData(), 0600) == 0);
    QVERIFY(QFile::link(QStringLiteral("/dev/zero"), kItems));
    const bool refused = failsInChild(  // true when the child ends with the check's true
        [] {
            ::alarm(10);
#if !defined(__SANITIZE_ADDRESS__)  // whose shadow memory alone is far more address space than this
            rlimit memory{1 << 30, 1 << 30};
            ::setrlimit(RLIMIT_AS, &memory);
#endif
        },
        [] {
            // A pipe gives the defaults, and is no file of the program's to replace; a device is no list.
            return holdsPassWhileBusy() && failsWithDataFileError([] { setHoldsPassWhileBusy(false); }) &&
                   failsWithDataFileError([] { LoadItems(); });
        });
    QVERIFY(refused);
    QVERIFY(QFileInfo(kOwnOptionsFile).exists() && !QFileInfo(kOwnOptionsFile).isFile());
    // An options file too long to be the program's own is neither taken nor replaced.
    QFile::remove(kOwnOptionsFile);
    writeBytes(kOwnOptionsFile, "holdPassWhileBusy=0\n" + QByteArray(5000, '#'));
    QVERIFY(holdsPassWhileBusy());
    QVERIFY(failsWithDataFileError([] { setHoldsPassWhileBusy(true); }));
    QVERIFY(readBytes(kOwnOptionsFile).startsWith("holdPassWhileBusy=0\n#"));
}

void TestFaults::deletionIsOneStepWhereverItStops()
{
    // Item B's history is long: judging that it holds only records takes a while. The deleting copy is
    // killed the moment a file of the folder is renamed into place (the n-th time); the next start then
    // finds the item and its history either both there or both gone.
    TestEnv env;
    const QByteArray history = cp932(QStringLiteral("\"12月06日\",\"09時18分07秒\",5\r\n")).repeated(1 << 20);
    for (int renames = 1; renames <= 2; ++renames) {
        writeDataFile(kItems, QStringLiteral("\"A\",1\r\n\"B\",2\r\n"));
        writeBytes(QStringLiteral("B.txt"), history);
        FolderWatch watch;
        const pid_t child = fork();
        if (child == 0) {
            LoadItems();
            deleteItem(2);
            _exit(0);
        }
        for (int seen = 0; seen < renames && watch.waitFor(IN_MOVED_FROM);)
            ++seen;
        kill(child, SIGKILL);
        waitpid(child, nullptr, 0);
        finishItemDeletion();
        LoadItems();
        const bool itemThere = gKoumokuSu == 2;
        QVERIFY2(itemThere == QFileInfo::exists(QStringLiteral("B.txt")),
                 qPrintable(QStringLiteral("after %1 renames: item %2").arg(renames).arg(itemThere)));
        if (itemThere)
            QCOMPARE(readBytes(QStringLiteral("B.txt")).size(), history.size());
        QVERIFY(!QFileInfo::exists(kDeletionFile));
    }
}

// The child of the kill test: rewrites the items list in the current directory with two alternating
// lists until it is killed.
static int rewriteItemsForever()
{
    for (int variant = 1;; variant = 3 - variant) {
        setTwentyItems(variant);
        SaveItems();
    }
}

int main(int argc, char** argv)
{
    if (argc > 1 && qstrcmp(argv[1], kRewriteForever) == 0) {
        QCoreApplication app(argc, argv);
        return rewriteItemsForever();
    }
    QApplication app(argc, argv);  // the settings window writes the settings file
    TestFaults test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_faults.moc"
