// SPDX-License-Identifier: GPL-3.0-or-later
// A full-screen window in front under KWin, which on Wayland tells no program of others' windows. A small script
// handed to KWin over the session bus calls back whether the active window is full screen, at once and on every
// change of active window or full screen. Only KWin's own calls are believed.
#include "BusySource.h"
#include "SessionBus.h"

#include <QCoreApplication>
#include <QDBusContext>
#include <QDir>
#include <QTemporaryFile>

namespace platform {
namespace {

const QString kKWin = QStringLiteral("org.kde.KWin");
const QString kScriptingPath = QStringLiteral("/Scripting");
const QString kScripting = QStringLiteral("org.kde.kwin.Scripting");
const QString kPath = QStringLiteral("/io/github/quillmora/FullScreen");
const QString kInterface = QStringLiteral("io.github.quillmora.FullScreen");

// KWin 5 calls windows clients, KWin 6 windows: the script takes whichever names the running one has.
constexpr char kScript[] = R"js((function () {
    function tell() {
        const w = workspace.activeWindow !== undefined ? workspace.activeWindow : workspace.activeClient;
        callDBus("%1", "%2", "%3", "tell", !!(w && w.fullScreen));
    }
    function follow(w) {
        if (w && w.fullScreenChanged)
            w.fullScreenChanged.connect(tell);
    }
    (workspace.windowList ? workspace.windowList() : workspace.clientList()).forEach(follow);
    (workspace.windowAdded || workspace.clientAdded).connect(follow);
    (workspace.windowActivated || workspace.clientActivated).connect(tell);
    tell();
})();
)js";

// No KWin is started where the desktop has another compositor.
QDBusMessage scriptingCall(const QString& method, const QVariantList& arguments = {})
{
    return busCall(kKWin, kScriptingPath, kScripting, method, arguments);
}

class KWinFullScreen final : public BusySource, protected QDBusContext {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "io.github.quillmora.FullScreen")
public:
    KWinFullScreen()
        : BusySource(QmrM::BusyReason::FullScreen),
          mPlugin(QStringLiteral("quillmora-fullscreen-%1").arg(QCoreApplication::applicationPid()))
    {
    }
    // Leaves KWin without the script when the program ends during a wait.
    ~KWinFullScreen() override
    {
        if (QCoreApplication::instance())
            unfollow();
    }

public slots:
    // Anyone on the session bus may call this; only KWin is listened to.
    Q_SCRIPTABLE void tell(bool fullScreen)
    {
        if (calledFromDBus() && !mKWin.isEmpty() && message().service() == mKWin)
            report(fullScreen);
    }

protected:
    void follow() override
    {
        // A KWin that left took the script with it; a new one is handed it anew.
        mCalls.followOwner(kKWin, [this](bool owned) {
            forget();
            if (owned)
                load();
            else
                report(false);
        });
        sessionBus().registerObject(kPath, this, QDBusConnection::ExportScriptableSlots);
        load();
    }

    void unfollow() override
    {
        mCalls.stopFollowing();
        sessionBus().unregisterObject(kPath);
        if (!mKWin.isEmpty())
            sessionBus().send(scriptingCall(QStringLiteral("unloadScript"), {mPlugin}));
        forget();
    }

private:
    void forget()
    {
        mCalls.forget();
        mKWin.clear();
        mScript.reset();
    }

    bool writeScript()
    {
        mScript = std::make_unique<QTemporaryFile>(QDir::temp().filePath(QStringLiteral("quillmora-kwin-XXXXXX.js")));
        if (!mScript->open())
            return false;
        const QString script = QString::fromLatin1(kScript).arg(sessionBus().baseService(), kPath, kInterface);
        const QByteArray bytes = script.toUtf8();
        // KWin reads the file when it runs the script, after this call: it stays until the wait is over.
        return mScript->write(bytes) == bytes.size() && mScript->flush();
    }

    // Hands KWin the script once it is known to be on the bus: no file is written where it is not.
    void load()
    {
        const QString busService = QStringLiteral("org.freedesktop.DBus");
        mCalls.call(busCall(busService, QStringLiteral("/org/freedesktop/DBus"), busService,
                            QStringLiteral("GetNameOwner"), {kKWin}),
                    [this](const QDBusMessage& answer) {
                        if (answer.type() != QDBusMessage::ReplyMessage || !writeScript())
                            return report(false);
                        mKWin = answer.arguments().value(0).toString();
                        mCalls.call(scriptingCall(QStringLiteral("loadScript"), {mScript->fileName(), mPlugin}),
                                    [this](const QDBusMessage& loaded) {
                                        // KWin refused the script: it tells nothing then.
                                        if (loaded.type() != QDBusMessage::ReplyMessage ||
                                            loaded.arguments().value(0).toInt() < 0)
                                            return report(false);
                                        sessionBus().send(scriptingCall(QStringLiteral("start")));
                                    });
                    });
    }

    const QString mPlugin;
    BusCalls mCalls;
    std::unique_ptr<QTemporaryFile> mScript;
    QString mKWin;  // the unique name of the KWin that runs the script
};

}  // namespace

std::unique_ptr<BusySource> kwinFullScreenSource()
{
    if (!sessionBus().isConnected())
        return nullptr;
    return std::make_unique<KWinFullScreen>();
}

}  // namespace platform

#include "BusySources_kwin.moc"
