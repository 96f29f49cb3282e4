// SPDX-License-Identifier: GPL-3.0-or-later
#include "DesktopNotifications.h"

#include "platform/Desktop.h"
#include "platform/Guard.h"
#include "platform/SessionBus.h"

#include <QCoreApplication>
#include <QDBusMessage>
#include <QGuiApplication>
#include <QVariantMap>

#include <algorithm>

namespace tray {
namespace {

using platform::sessionBus;

const QString kService = QStringLiteral("org.freedesktop.Notifications");
const QString kPath = QStringLiteral("/org/freedesktop/Notifications");
const QString& kInterface = kService;  // the service names its interface after itself
// Installed with the program into the icon theme.
const QString kIconName = QStringLiteral("quillmora");
// A service that has not answered by then is taken as none.
constexpr int kCallTimeoutMs = 5000;
// A byte on the bus.
constexpr uchar kLowUrgency = 0;
constexpr uchar kNormalUrgency = 1;
const QString kDefaultAction = QStringLiteral("default");

QDBusMessage methodCall(const QString& method, const QVariantList& arguments = {})
{
    QDBusMessage message = QDBusMessage::createMethodCall(kService, kPath, kInterface, method);
    message.setArguments(arguments);
    return message;
}

bool answered(const QDBusMessage& reply)
{
    return reply.type() == QDBusMessage::ReplyMessage && !reply.arguments().isEmpty();
}

void runIfSet(const std::function<void()>& action)
{
    if (action)
        action();
}

QStringList actionsToSend(const QStringList& actions, bool drawsDefault)
{
    const qsizetype defaultAt = actions.indexOf(kDefaultAction);
    if (!drawsDefault || defaultAt < 0 || defaultAt % 2 != 0 || defaultAt + 1 >= actions.size())
        return actions;
    const QString& defaultLabel = actions[defaultAt + 1];
    QStringList kept;
    for (qsizetype i = 0; i + 1 < actions.size(); i += 2) {
        if (i == defaultAt || actions[i + 1] != defaultLabel)
            kept << actions[i] << actions[i + 1];
    }
    return kept;
}

}  // namespace

DesktopNotifications::DesktopNotifications(QObject* parent)
    : QObject(parent), mCalls(new platform::BusCalls(kCallTimeoutMs, this))
{
}

DesktopNotifications::~DesktopNotifications()
{
    // Left behind, a notice would offer choices nobody answers. The program may be ending: the call is sent now.
    for (const uint id : mIds) {
        if (id != 0 && sessionBus().isConnected())
            sessionBus().call(methodCall(QStringLiteral("CloseNotification"), {QVariant::fromValue(id)}), QDBus::Block,
                              1000);
    }
}

void DesktopNotifications::show(Kind kind, const Notice& notice, std::function<void()> unavailable)
{
    const quint64 request = ++mRequests[kind];
    if (!sessionBus().isConnected())
        return runIfSet(unavailable);
    if (!std::exchange(mSignalsConnected, true)) {
        for (const char* name : {"ActionInvoked", "ActivationToken", "NotificationClosed"})
            sessionBus().connect(kService, kPath, kInterface, QLatin1String(name), this,
                                 SLOT(onServiceSignal(QDBusMessage)));
    }
    const auto sendIfWanted = [this, kind, notice, unavailable, request] {
        if (request == mRequests[kind])  // not withdrawn or replaced meanwhile
            send(kind, notice, unavailable);
    };
    if (mBodyMarkup)
        return sendIfWanted();
    // The service's capabilities and name are asked on each notice until it has answered.
    mCalls->call(methodCall(QStringLiteral("GetCapabilities")), [this, sendIfWanted,
                                                                 unavailable](const QDBusMessage& reply) {
        if (!answered(reply))
            return runIfSet(unavailable);
        mBodyMarkup = reply.arguments().first().toStringList().contains(QStringLiteral("body-markup"));
        mCalls->call(methodCall(QStringLiteral("GetServerInformation")),
                     [this, sendIfWanted](const QDBusMessage& information) {
                         if (answered(information))
                             mDrawsDefaultAction =
                                 platform::notificationsDrawDefaultAction(information.arguments().first().toString());
                         sendIfWanted();
                     });
    });
}

void DesktopNotifications::send(Kind kind, const Notice& notice, std::function<void()> unavailable)
{
    const quint64 request = mRequests[kind];
    QVariantMap hints;
    hints.insert(QStringLiteral("desktop-entry"), QGuiApplication::desktopFileName());
    hints.insert(QStringLiteral("urgency"), QVariant::fromValue(notice.quiet ? kLowUrgency : kNormalUrgency));
    // A service that reads markup would take an item named "A&B" or "<腹筋>" as markup.
    const QString body = *mBodyMarkup ? notice.body.toHtmlEscaped() : notice.body;
    const QDBusMessage message =
        methodCall(QStringLiteral("Notify"),
                   {QCoreApplication::applicationName(), QVariant::fromValue(mIds[kind]), kIconName, notice.summary,
                    body, actionsToSend(notice.actions, mDrawsDefaultAction), hints, notice.timeoutMs});
    mCalls->call(message, [this, kind, request, unavailable = std::move(unavailable)](const QDBusMessage& reply) {
        if (!answered(reply))
            return runIfSet(unavailable);
        const uint id = reply.arguments().first().toUInt();
        if (request != mRequests[kind]) {
            closeId(id);  // withdrawn or replaced while it was on its way
            return;
        }
        mIds[kind] = id;
    });
}

void DesktopNotifications::close(Kind kind)
{
    ++mRequests[kind];
    if (const uint id = std::exchange(mIds[kind], 0u))
        closeId(id);
}

void DesktopNotifications::closeId(uint id)
{
    mTokens.remove(id);
    if (sessionBus().isConnected())
        sessionBus().send(methodCall(QStringLiteral("CloseNotification"), {QVariant::fromValue(id)}));
}

void DesktopNotifications::onServiceSignal(const QDBusMessage& signal)
{
    platform::runGuarded([&] {
        const uint id = signal.arguments().value(0).toUInt();
        const QString text = signal.arguments().value(1).toString();
        const auto shown = std::find(mIds.begin(), mIds.end(), id);
        if (signal.member() == QLatin1String("NotificationClosed")) {
            mTokens.remove(id);
            std::replace(mIds.begin(), mIds.end(), id, 0u);
        } else if (id == 0 || shown == mIds.end()) {
            // another program's notice, or one of ours withdrawn since
        } else if (signal.member() == QLatin1String("ActivationToken")) {
            mTokens.insert(id, text);  // sent just before the action it goes with
        } else {
            emit actionInvoked(static_cast<Kind>(shown - mIds.begin()), text, mTokens.take(id));
        }
    });
}

}  // namespace tray
