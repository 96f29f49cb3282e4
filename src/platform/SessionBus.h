// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusServiceWatcher>
#include <QPointer>

#include <functional>

namespace platform {

QDBusConnection sessionBus();

// A session bus call that never starts a service: what the desktop does not run, it does not use.
QDBusMessage busCall(const QString& service, const QString& path, const QString& interface, const QString& method,
                     const QVariantList& arguments = {});

// Calls to a desktop service on the session bus. An answer not back within `answerMs` counts as an error reply, so
// a source that does not answer in time counts as absent. Forgotten answers are dropped; followOwner tells of the
// service's owner leaving or a new one taking the name.
class BusCalls : public QObject {
    Q_OBJECT
public:
    explicit BusCalls(int answerMs = 2000, QObject* parent = nullptr);

    // Calls, and hands the reply to `answered`, inside the guard, unless forgotten meanwhile.
    void call(const QDBusMessage& message, std::function<void(const QDBusMessage& reply)> answered);
    void forget();
    // Each time the owner of `service` changes, forgets the answers on their way and tells `changed` if it has one.
    void followOwner(const QString& service, std::function<void(bool owned)> changed);
    void stopFollowing();

private:
    const int mAnswerMs;
    QPointer<QDBusServiceWatcher> mOwner;
};

}  // namespace platform
