// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QByteArray>
#include <QObject>
#include <QString>

#include <memory>

namespace platform {

// A connection to a local socket that another program listens on (sway's interface, SWAYSOCK), both
// ways, read as it comes.
class LocalConnection : public QObject {
    Q_OBJECT
public:
    explicit LocalConnection(QObject* parent = nullptr);
    ~LocalConnection() override;

    // Connects to the socket at `path`; false when nothing listens there.
    bool connectTo(const QString& path);
    void write(const QByteArray& bytes);

signals:
    // What came since the last time.
    void received(const QByteArray& bytes);
    // The other side closed the connection, or it broke.
    void closed();

private:
    struct Connection;
    std::unique_ptr<Connection> mConnection;
};

}  // namespace platform
