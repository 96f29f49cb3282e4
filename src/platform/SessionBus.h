// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusServiceWatcher>
#include <QPointer>

#include <functional>

namespace platform {

QDBusConnection sessionBus();

// A method call on the session bus that never starts a service not running already: what the desktop does
// not run, it does not use.
QDBusMessage busCall(const QString& service, const QString& path, const QString& interface, const QString& method,
                     const QVariantList& arguments = {});

// The calls to a service of the desktop on the session bus. Each answer comes within `answerMs` (two
// seconds unless the caller says otherwise), or the call counts as unanswered (an error reply): a desktop
// source that does not answer in time counts as absent. The answers still on their way when the caller
// forgets them are dropped. Where the caller follows the service's name, its owner leaving the bus, or a
// new one taking the name, is told.
class BusCalls : public QObject {
    Q_OBJECT
public:
    explicit BusCalls(int answerMs = 2000, QObject* parent = nullptr);

    // Calls, and hands the reply to `answered`, inside the guard, unless forgotten meanwhile.
    void call(const QDBusMessage& message, std::function<void(const QDBusMessage& reply)> answered);
    // The answers still on their way are not wanted.
    void forget();
    // Follows the owner of `service`: each time it changes, the answers on their way are forgotten and
    // `changed` is told whether the name has an owner now.
    void followOwner(const QString& service, std::function<void(bool owned)> changed);
    void stopFollowing();

private:
    const int mAnswerMs;
    QPointer<QDBusServiceWatcher> mOwner;
};

}  // namespace platform
