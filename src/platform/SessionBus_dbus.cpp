// SPDX-License-Identifier: GPL-3.0-or-later
#include "SessionBus.h"

#include "Guard.h"

#include <QDBusPendingCallWatcher>

namespace platform {

QDBusConnection sessionBus()
{
    return QDBusConnection::sessionBus();
}

QDBusMessage busCall(const QString& service, const QString& path, const QString& interface, const QString& method,
                     const QVariantList& arguments)
{
    QDBusMessage message = QDBusMessage::createMethodCall(service, path, interface, method);
    message.setArguments(arguments);
    message.setAutoStartService(false);
    return message;
}

BusCalls::BusCalls(int answerMs, QObject* parent) : QObject(parent), mAnswerMs(answerMs) {}

void BusCalls::call(const QDBusMessage& message, std::function<void(const QDBusMessage& reply)> answered)
{
    auto* watcher = new QDBusPendingCallWatcher(sessionBus().asyncCall(message, mAnswerMs), this);
    connect(watcher, &QDBusPendingCallWatcher::finished, this, [watcher, answered = std::move(answered)] {
        watcher->deleteLater();
        const QDBusMessage reply = watcher->reply();
        runGuarded([&] { answered(reply); });
    });
}

void BusCalls::forget()
{
    // An answer may be the one being handed on now: its watcher goes from the event loop.
    for (QDBusPendingCallWatcher* watcher : findChildren<QDBusPendingCallWatcher*>(Qt::FindDirectChildrenOnly)) {
        disconnect(watcher, nullptr, this, nullptr);
        watcher->deleteLater();
    }
}

void BusCalls::followOwner(const QString& service, std::function<void(bool owned)> changed)
{
    stopFollowing();
    mOwner = new QDBusServiceWatcher(service, sessionBus(), QDBusServiceWatcher::WatchForOwnerChange, this);
    connect(mOwner, &QDBusServiceWatcher::serviceOwnerChanged, this,
            [this, changed = std::move(changed)](const QString&, const QString&, const QString& newOwner) {
                runGuarded([&] {
                    forget();
                    changed(!newOwner.isEmpty());
                });
            });
}

void BusCalls::stopFollowing()
{
    // `changed` may stop following while its watcher is telling it: the watcher goes from the event loop.
    if (mOwner) {
        mOwner->disconnect(this);
        mOwner->deleteLater();
        mOwner = nullptr;
    }
}

}  // namespace platform
