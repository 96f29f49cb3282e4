// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QObject>
#include <QString>

#include <memory>

namespace platform {

// How a later start reaches the running copy: a stream socket in the user's private runtime folder (the
// system's own on Unix, without Qt's network module, which the first window would wait for; a named pipe on
// Windows). Only the user may connect. A message is a few lines, up to a kilobyte, sent at once and closed: the
// listener reads a few connections at a time, drops one silent for a second, and rests a moment when the process
// has no descriptor left, rather than spin; a sender never waits on the listener.
class LocalListener : public QObject {
    Q_OBJECT
public:
    explicit LocalListener(QObject* parent = nullptr);
    ~LocalListener() override;  // stops listening and removes the socket

    // Takes over what a copy that died left at `path`. Returns why it cannot listen, empty when it listens.
    QString listen(const QString& path);

signals:
    void received(const QByteArray& message);

private:
    void acceptWaiting();

    struct Listening;
    std::unique_ptr<Listening> mListening;
};

// Sends a short message to the listener at `path`, trying `tries` times `waitMs` apart (the running copy may
// only just have started); false when none answered.
bool sendToListener(const QString& path, const QByteArray& message, int tries, int waitMs);

// Linux alone: connects to a local socket that another program listens on (sway's interface, SWAYSOCK), a
// stream socket that reads and writes without waiting, closed on exec; -1 when nothing listens at `path`.
int connectToLocalSocket(const QString& path);

}  // namespace platform
