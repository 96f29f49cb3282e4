// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QLockFile>
#include <QObject>
#include <QString>

#include <memory>

class QLocalServer;

namespace platform {

// One running copy of the program per data folder. The running copy holds a lock file in the folder (the
// lock of a copy that died is taken over) and listens on a local socket named after the folder's
// canonical path. A later start in the same folder finds the lock taken, tells the running copy through
// the socket, and ends without reading or writing any data file. Copies in different folders run
// independently.
class SingleInstance : public QObject {
    Q_OBJECT
public:
    // The lock file's name inside the data folder.
    static const QString kLockFileName;

    explicit SingleInstance(const QString& folder);
    ~SingleInstance() override;

    enum class Outcome {
        Running,      // this is the running copy of the folder
        HandedOver,   // another copy runs there and has been told of this start
        OtherSilent,  // another copy holds the folder but could not be reached
    };
    // Becomes the running copy of the folder, or hands this start over to the one that is.
    Outcome claim();

    // The local socket's name for a folder.
    static QString serverName(const QString& folder);

signals:
    // Another start in the same folder asked this copy to show itself.
    void anotherStart();

private:
    bool listen();
    bool tellRunningCopy() const;

    QString mFolder;
    QLockFile mLock;
    QLocalServer* mServer = nullptr;
};

}  // namespace platform
