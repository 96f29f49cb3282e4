// SPDX-License-Identifier: GPL-3.0-or-later
// What keeps the user busy, read from each desktop's own service or socket, here the test's fakes of them:
// sway's interface (a window full screen, not a workspace; a socket that stays silent, speaks another
// protocol or floods), and on a private session bus KWin's scripting, the screen saver, Xfce's and
// dunst's do-not-disturb and GNOME's banners (GSettings). A source tells its condition within two seconds
// or counts as absent; one whose service leaves the bus no longer holds a pass; a flood of change signals
// costs few readings. GNOME's idle monitor tells only its own watch, and counts as absent once gone.

#include "platform/BusySource.h"
#include "platform/DesktopBusy.h"

#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QDBusPendingCall>
#include <QDBusVariant>
#include <QDBusVirtualObject>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QGuiApplication>
#include <QJsonDocument>
#include <QRegularExpression>
#include <QSignalSpy>
#include <QSocketNotifier>
#include <QTemporaryDir>
#include <QTest>
#include <QtEndian>

#include <cstring>
#include <functional>
#include <memory>

#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

using QmrM::BusyReason;
using QmrM::BusyReasons;

namespace {

// sway's interface as a test plays it, on a socket of its own: answers the tree it is given, or stays
// silent, or sends what is not sway's protocol.
class FakeSway : public QObject {
public:
    enum class Speaks { Sway, Nothing, Garbage, HugeLength };

    explicit FakeSway(Speaks speaks) : mSpeaks(speaks), mPath(mDir.filePath(QStringLiteral("sway-ipc.sock")))
    {
        mListening = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0);
        sockaddr_un address{};
        address.sun_family = AF_UNIX;
        std::strncpy(address.sun_path, QFile::encodeName(mPath).constData(), sizeof address.sun_path - 1);
        ::bind(mListening, reinterpret_cast<sockaddr*>(&address), sizeof address);
        ::listen(mListening, 1);
        mAccepting = std::make_unique<QSocketNotifier>(mListening, QSocketNotifier::Read);
        connect(mAccepting.get(), &QSocketNotifier::activated, this, [this] { accept(); });
    }
    ~FakeSway() override
    {
        mReading.reset();
        mAccepting.reset();
        for (const int fd : {mClient, mListening}) {
            if (fd >= 0)
                ::close(fd);
        }
    }
    QString path() const { return mPath; }
    // The tree sway answers from now on; with `event`, sway tells of a window event first.
    void setTree(const QByteArray& tree, bool event = false)
    {
        mTree = tree;
        if (event)
            send(message(0x80000003u, R"({"change":"fullscreen_mode"})"));
    }
    // Whether the program let go of its connection.
    bool clientLeft()
    {
        char buffer[4096];
        ssize_t got = 1;
        while (mClient >= 0 && got > 0)
            got = ::recv(mClient, buffer, sizeof buffer, MSG_DONTWAIT);
        return got == 0;
    }

private:
    static QByteArray message(quint32 type, const QByteArray& payload)
    {
        QByteArray bytes = "i3-ipc" + QByteArray(8, '\0') + payload;
        qToLittleEndian<quint32>(quint32(payload.size()), bytes.data() + 6);
        qToLittleEndian<quint32>(type, bytes.data() + 10);
        return bytes;
    }
    void send(const QByteArray& bytes)
    {
        if (mClient >= 0)
            (void)::send(mClient, bytes.constData(), size_t(bytes.size()), MSG_NOSIGNAL);
    }
    void accept()
    {
        mClient = ::accept4(mListening, nullptr, nullptr, SOCK_CLOEXEC);
        mAccepting.reset();
        if (mSpeaks == Speaks::Garbage)
            send(QByteArray(1 << 16, 'x'));
        if (mSpeaks == Speaks::HugeLength)
            send(message(4, QByteArray()).replace(6, 4, QByteArray("\xff\xff\xff\x7f", 4)));
        if (mSpeaks != Speaks::Sway)
            return;
        mReading = std::make_unique<QSocketNotifier>(mClient, QSocketNotifier::Read);
        connect(mReading.get(), &QSocketNotifier::activated, this, [this] { answer(); });
    }
    void answer()
    {
        char buffer[4096];
        const ssize_t got = ::recv(mClient, buffer, sizeof buffer, MSG_DONTWAIT);
        if (got <= 0) {
            mReading.reset();
            return;
        }
        mReceived.append(buffer, got);
        while (mReceived.size() >= 14) {
            const quint32 length = qFromLittleEndian<quint32>(mReceived.constData() + 6);
            const quint32 type = qFromLittleEndian<quint32>(mReceived.constData() + 10);
            mReceived.remove(0, 14 + length);
            send(message(type, type == 4 ? mTree : QByteArray(R"({"success":true})")));
        }
    }

    Speaks mSpeaks;
    QTemporaryDir mDir;
    QString mPath;
    int mListening = -1;
    int mClient = -1;
    std::unique_ptr<QSocketNotifier> mAccepting;
    std::unique_ptr<QSocketNotifier> mReading;
    QByteArray mReceived;
    QByteArray mTree;
};

// sway's tree: an output with a workspace holding the given containers; the focused node is marked.
QByteArray swayTree(const QString& workspace)
{
    return QStringLiteral(R"({"type":"root","nodes":[{"type":"output","name":"HEADLESS-1","nodes":[%1]}]})")
        .arg(workspace)
        .toUtf8();
}

// Starts the source and waits (real time) until it has told its condition.
bool settle(platform::BusySource& source, QElapsedTimer* took = nullptr)
{
    if (took)
        took->start();
    source.start();
    return QTest::qWaitFor([&] { return source.settled(); }, 5000);
}

// A desktop's service on a connection of the test's own to the session bus: answers the calls it is told
// to (others get an error), counts every call, sends signals, and leaves the bus or comes back.
class FakeService : public QDBusVirtualObject {
public:
    using Answer = std::function<QVariantList(const QVariantList& arguments)>;

    FakeService(const QString& service, const QString& path) : mService(service), mPath(path)
    {
        bus().registerVirtualObject(path, this);
        come();
    }
    ~FakeService() override
    {
        leave();
        bus().unregisterObject(mPath);
    }
    static QDBusConnection bus() { return QDBusConnection::connectToBus(QDBusConnection::SessionBus, "fake"); }

    // Answers `member` (for a property read: "Get <interface>.<name>").
    void answer(const QString& member, Answer answer) { mAnswers.insert(member, std::move(answer)); }
    void answerValue(const QString& member, const QVariant& value)
    {
        answer(member, [value](const QVariantList&) { return QVariantList{value}; });
    }
    int calls() const { return int(mMembers.size()); }
    void send(const QString& interface, const QString& name, const QVariantList& arguments)
    {
        QDBusMessage signal = QDBusMessage::createSignal(mPath, interface, name);
        signal.setArguments(arguments);
        bus().send(signal);
    }
    void leave() { bus().unregisterService(mService); }
    void come() { bus().registerService(mService); }

    QString introspect(const QString&) const override { return QString(); }
    // The members called, in order.
    QStringList members() const { return mMembers; }
    bool handleMessage(const QDBusMessage& message, const QDBusConnection& connection) override
    {
        mMembers.append(message.member());
        QString member = message.member();
        if (member == QLatin1String("Get") && message.arguments().size() == 2)
            member += u' ' + message.arguments()[0].toString() + u'.' + message.arguments()[1].toString();
        const auto found = mAnswers.constFind(member);
        connection.send(found == mAnswers.constEnd() ? message.createErrorReply(QDBusError::UnknownMethod, member)
                                                     : message.createReply((*found)(message.arguments())));
        return true;
    }

private:
    QString mService;
    QString mPath;
    QHash<QString, Answer> mAnswers;
    QStringList mMembers;
};

QVariant wrapped(const QVariant& value)
{
    return QVariant::fromValue(QDBusVariant(value));
}

// Watches the desktop as the schedule does when a pass falls due, and returns what it read once settled.
BusyReasons readTheDesktop()
{
    QmrM::UserBusy& busy = platform::desktopBusy();
    busy.watch();
    if (!QTest::qWaitFor([&] { return busy.settled(); }, 5000))
        QTest::qFail("the desktop's sources did not settle", __FILE__, __LINE__);
    QTest::qWait(50);  // the changes told from the event loop
    return busy.reasons();
}

const QString kGnomeKeyfile = QStringLiteral("glib-2.0/settings/keyfile");

}  // namespace

class TestBusySources : public QObject {
    Q_OBJECT

private slots:
    void initTestCase()
    {
        QVERIFY2(QDBusConnection::sessionBus().isConnected(), "run on a private session bus (dbus-run-session)");
        // A GNOME desktop whose settings are kept in a key file of the test's own.
        qputenv("XDG_CURRENT_DESKTOP", "GNOME");
        qputenv("GSETTINGS_BACKEND", "keyfile");
        qputenv("XDG_CONFIG_HOME", QFile::encodeName(mConfig.path()));
        QDir(mConfig.path()).mkpath(QStringLiteral("glib-2.0/settings"));
        writeBanners(true);
        qunsetenv("SWAYSOCK");
    }
    void cleanup() { platform::desktopBusy().stop(); }

    void swayTellsAWindowFullScreenNotAWorkspace_data();
    void swayTellsAWindowFullScreenNotAWorkspace();
    void swaySocketThatIsNotSwayCountsAsAbsent_data();
    void swaySocketThatIsNotSwayCountsAsAbsent();
    void doNotDisturbOfEachDesktop_data();
    void doNotDisturbOfEachDesktop();
    void lockedScreenFollowedThroughAFloodAndTheServiceLeaving();
    void kwinsScriptTellsTheFullScreenWindowAndOnlyKWinIsHeard();
    void gnomeIdleMonitorTellsItsOwnWatchAndCountsAsAbsentOnceGone();

private:
    void writeBanners(bool shown)
    {
        QFile file(QDir(mConfig.path()).filePath(kGnomeKeyfile));
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(QByteArray("[org/gnome/desktop/notifications]\nshow-banners=") + (shown ? "true" : "false") + "\n");
    }

    QTemporaryDir mConfig;
};

void TestBusySources::swayTellsAWindowFullScreenNotAWorkspace_data()
{
    QTest::addColumn<QString>("workspace");
    QTest::addColumn<bool>("fullScreen");
    // A fresh sway focuses its empty workspace and marks it full screen.
    QTest::newRow("empty workspace") << R"({"type":"workspace","focused":true,"fullscreen_mode":1,"nodes":[]})"
                                     << false;
    QTest::newRow("window full screen")
        << R"({"type":"workspace","nodes":[{"type":"con","focused":true,"fullscreen_mode":1,"nodes":[]}]})" << true;
    QTest::newRow("window in a full-screen container")
        << R"({"type":"workspace","nodes":[{"type":"con","fullscreen_mode":1,"nodes":[)"
           R"({"type":"con","focused":true,"fullscreen_mode":0,"nodes":[]}]}]})"
        << true;
    QTest::newRow("floating window, another full screen")
        << R"({"type":"workspace","nodes":[{"type":"con","fullscreen_mode":1,"nodes":[]}],)"
           R"("floating_nodes":[{"type":"floating_con","focused":true,"fullscreen_mode":0,"nodes":[]}]})"
        << false;
}

void TestBusySources::swayTellsAWindowFullScreenNotAWorkspace()
{
    QFETCH(QString, workspace);
    QFETCH(bool, fullScreen);
    FakeSway sway(FakeSway::Speaks::Sway);
    sway.setTree(swayTree(workspace));
    qputenv("SWAYSOCK", QFile::encodeName(sway.path()));
    const std::unique_ptr<platform::BusySource> source = platform::swayFullScreenSource();
    qunsetenv("SWAYSOCK");
    QVERIFY(settle(*source));
    QCOMPARE(source->present(), fullScreen);
    if (!fullScreen)
        return;
    // The window leaves full screen: sway tells of the event, and the tree read again says so.
    sway.setTree(swayTree(R"({"type":"workspace","nodes":[{"type":"con","focused":true,"fullscreen_mode":0}]})"), true);
    QTRY_VERIFY(!source->present());
}

void TestBusySources::swaySocketThatIsNotSwayCountsAsAbsent_data()
{
    QTest::addColumn<int>("speaks");
    QTest::newRow("silent") << int(FakeSway::Speaks::Nothing);
    QTest::newRow("another protocol") << int(FakeSway::Speaks::Garbage);
    QTest::newRow("a message longer than any tree") << int(FakeSway::Speaks::HugeLength);
}

void TestBusySources::swaySocketThatIsNotSwayCountsAsAbsent()
{
    QFETCH(int, speaks);
    FakeSway sway(static_cast<FakeSway::Speaks>(speaks));
    qputenv("SWAYSOCK", QFile::encodeName(sway.path()));
    const std::unique_ptr<platform::BusySource> source = platform::swayFullScreenSource();
    qunsetenv("SWAYSOCK");
    QElapsedTimer took;
    QVERIFY(settle(*source, &took));
    QVERIFY(!source->present());
    QVERIFY2(took.elapsed() < platform::BusySource::kSettleMs + 1000, qPrintable(QString::number(took.elapsed())));
    // What is not sway is let go of; a silent one is waited for no longer than the rest.
    if (speaks != int(FakeSway::Speaks::Nothing))
        QTRY_VERIFY(sway.clientLeft());
}

void TestBusySources::doNotDisturbOfEachDesktop_data()
{
    QTest::addColumn<QString>("desktop");
    QTest::newRow("GNOME: banners off") << QStringLiteral("gnome");
    QTest::newRow("Xfce: xfconf") << QStringLiteral("xfce");
    QTest::newRow("dunst: paused") << QStringLiteral("dunst");
}

void TestBusySources::doNotDisturbOfEachDesktop()
{
    QFETCH(QString, desktop);
    std::unique_ptr<FakeService> service;
    bool on = true;
    std::function<void()> turnOff;
    if (desktop == QLatin1String("gnome")) {
        writeBanners(false);
        turnOff = [this] { writeBanners(true); };
    } else if (desktop == QLatin1String("xfce")) {
        service = std::make_unique<FakeService>(QStringLiteral("org.xfce.Xfconf"), QStringLiteral("/org/xfce/Xfconf"));
        service->answer(QStringLiteral("GetProperty"), [&](const QVariantList& arguments) {
            return arguments == QVariantList{QStringLiteral("xfce4-notifyd"), QStringLiteral("/do-not-disturb")}
                       ? QVariantList{wrapped(on)}
                       : QVariantList{wrapped(QStringLiteral("other"))};
        });
        turnOff = [&] {
            on = false;
            service->send(QStringLiteral("org.xfce.Xfconf"), QStringLiteral("PropertyChanged"),
                          {QStringLiteral("xfce4-notifyd"), QStringLiteral("/do-not-disturb"), wrapped(false)});
        };
    } else {
        service = std::make_unique<FakeService>(QStringLiteral("org.freedesktop.Notifications"),
                                                QStringLiteral("/org/freedesktop/Notifications"));
        service->answer(QStringLiteral("Get org.dunstproject.cmd0.paused"),
                        [&](const QVariantList&) { return QVariantList{wrapped(on)}; });
        turnOff = [&] {
            on = false;
            service->send(QStringLiteral("org.freedesktop.DBus.Properties"), QStringLiteral("PropertiesChanged"),
                          {QStringLiteral("org.dunstproject.cmd0"), QVariantMap{{QStringLiteral("paused"), false}},
                           QStringList()});
        };
    }
    QCOMPARE(readTheDesktop(), BusyReasons(BusyReason::DoNotDisturb));
    turnOff();
    QTRY_COMPARE(platform::desktopBusy().reasons(), BusyReasons());
}

void TestBusySources::lockedScreenFollowedThroughAFloodAndTheServiceLeaving()
{
    const QString name = QStringLiteral("org.freedesktop.ScreenSaver");
    FakeService screenSaver(name, QStringLiteral("/org/freedesktop/ScreenSaver"));
    bool locked = true;
    screenSaver.answer(QStringLiteral("GetActive"), [&](const QVariantList&) { return QVariantList{locked}; });
    QCOMPARE(readTheDesktop(), BusyReasons(BusyReason::ScreenLocked));
    // The service says it changed as fast as it can; the last word is "unlocked".
    const int before = screenSaver.calls();
    for (int i = 0; i < 20000; ++i)
        screenSaver.send(name, QStringLiteral("ActiveChanged"), {i % 2 == 0});
    locked = false;
    screenSaver.send(name, QStringLiteral("ActiveChanged"), {false});
    QTRY_COMPARE(platform::desktopBusy().reasons(), BusyReasons());
    QTest::qWait(200);
    QVERIFY2(screenSaver.calls() - before <= 10, qPrintable(QString::number(screenSaver.calls() - before)));
    // Locked again, then the service goes away (it crashed): nothing holds the pass any more.
    locked = true;
    screenSaver.send(name, QStringLiteral("ActiveChanged"), {true});
    QTRY_COMPARE(platform::desktopBusy().reasons(), BusyReasons(BusyReason::ScreenLocked));
    screenSaver.leave();
    QTRY_COMPARE(platform::desktopBusy().reasons(), BusyReasons());
    // A screen saver that takes the name again is read again.
    screenSaver.come();
    QTRY_COMPARE(platform::desktopBusy().reasons(), BusyReasons(BusyReason::ScreenLocked));
}

void TestBusySources::kwinsScriptTellsTheFullScreenWindowAndOnlyKWinIsHeard()
{
    FakeService kwin(QStringLiteral("org.kde.KWin"), QStringLiteral("/Scripting"));
    QString script;  // as KWin reads it when it runs the script
    QStringList loads;
    kwin.answer(QStringLiteral("loadScript"), [&](const QVariantList& arguments) {
        QFile file(arguments.value(0).toString());
        script = file.open(QIODevice::ReadOnly) ? QString::fromUtf8(file.readAll()) : QString();
        loads.append(arguments.value(1).toString());
        return QVariantList{7};
    });
    const std::unique_ptr<platform::BusySource> source = platform::kwinFullScreenSource();
    source->start();
    QTRY_COMPARE(loads.size(), 1);
    // KWin runs it: the script calls back whom it names.
    const QRegularExpressionMatch callBack =
        QRegularExpression(QStringLiteral("callDBus\\(\"([^\"]+)\", \"([^\"]+)\", \"([^\"]+)\", \"tell\""))
            .match(script);
    QVERIFY2(callBack.hasMatch(), qPrintable(script));
    const auto tell = [&](QDBusConnection from, bool fullScreen) {
        QDBusMessage call = QDBusMessage::createMethodCall(callBack.captured(1), callBack.captured(2),
                                                           callBack.captured(3), QStringLiteral("tell"));
        call << fullScreen;
        const QDBusPendingCall answered = from.asyncCall(call);
        return QTest::qWaitFor([&] { return answered.isFinished(); }, 5000);
    };
    QVERIFY(tell(FakeService::bus(), true));
    QVERIFY(source->present());
    // Another program on the bus saying so is not KWin.
    QVERIFY(tell(QDBusConnection::connectToBus(QDBusConnection::SessionBus, QStringLiteral("impostor")), false));
    QVERIFY(source->present());
    QVERIFY(tell(FakeService::bus(), false));
    QVERIFY(!source->present());
    // KWin crashed with a window full screen: nothing holds the pass; a new KWin is handed the script anew.
    QVERIFY(tell(FakeService::bus(), true));
    QVERIFY(source->present());
    kwin.leave();
    QTRY_VERIFY(!source->present());
    kwin.come();
    QTRY_COMPARE(loads.size(), 2);
    QCOMPARE(loads.first(), loads.last());
    source->stop();
    QTRY_COMPARE(kwin.members().count(QStringLiteral("unloadScript")), 1);
}

void TestBusySources::gnomeIdleMonitorTellsItsOwnWatchAndCountsAsAbsentOnceGone()
{
    const QString name = QStringLiteral("org.gnome.Mutter.IdleMonitor");
    FakeService mutter(name, QStringLiteral("/org/gnome/Mutter/IdleMonitor/Core"));
    mutter.answerValue(QStringLiteral("AddIdleWatch"), QVariant::fromValue(7u));
    const std::unique_ptr<platform::IdleSource> idle = platform::gnomeIdleSource();
    QSignalSpy paused(idle.get(), &QmrM::UserIdle::paused);
    QSignalSpy absent(idle.get(), &QmrM::UserIdle::unavailable);
    idle->awaitPause(60000);
    QTRY_COMPARE(mutter.members().count(QStringLiteral("AddIdleWatch")), 1);
    mutter.send(name, QStringLiteral("WatchFired"), {6u});  // another program's watch
    mutter.send(name, QStringLiteral("WatchFired"), {7u});
    QTRY_COMPARE(paused.size(), 1);
    // Mutter goes away (it crashed, or the session ends) during the next watch: it will never fire.
    idle->awaitPause(60000);
    QTRY_COMPARE(mutter.members().count(QStringLiteral("AddIdleWatch")), 2);
    mutter.leave();
    QTRY_COMPARE(absent.size(), 1);
    QCOMPARE(paused.size(), 1);
}

QTEST_MAIN(TestBusySources)
#include "tst_busy_sources.moc"
