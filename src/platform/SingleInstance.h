// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "shared/DataFiles.h"

#include <QObject>
#include <QString>

namespace platform {

// One running copy of the program per data folder. The running copy holds a lock file in the folder (the
// lock of a copy that died on this computer is taken over) and listens on a local socket named after the
// folder's canonical path, in the user's private runtime folder ($XDG_RUNTIME_DIR, or a folder of the
// user's own that only the user may enter), where no other user can take the name or listen in. A later
// start in the same folder finds the lock taken, tells the running copy through the socket (with the activation
// token the desktop's launcher gave it, so that the running copy's window may take the keyboard), and ends
// without reading or writing any data file. Copies in different folders run independently, unless their
// files are links to the same files: the running copy also locks what its rewrites replace (RewriteLocks),
// which in a folder where no lock file can be made is the only lock.
class SingleInstance : public QObject {
    Q_OBJECT
public:
    explicit SingleInstance(const QString& folder);

    enum class Outcome {
        Running,      // this is the running copy of the folder
        HandedOver,   // another copy runs there and has been told of this start
        OtherSilent,  // another copy holds the folder but could not be reached
        FilesInUse,   // a copy elsewhere (or one that cannot be reached) rewrites the same files: blockedFile()
    };
    // Becomes the running copy of the folder, or hands this start over to the one that is.
    Outcome claim();

    // Who holds the folder's lock, as its lock file tells. One on this computer runs: the lock of a copy
    // that died here is taken over.
    using LockHolder = QmrM::FolderLock::Holder;
    LockHolder lockHolder() const { return mLock.holder(); }
    QString lockFilePath() const { return mLock.fileName(); }

    // Removes the lock of a silent holder and becomes the running copy. Fails, leaving the lock, while a
    // process holds the lock file open (a copy running on this computer, or one the file system reports), or
    // a copy holds the files (blockedFile()).
    bool takeOver();
    // The data file (the end of its links) whose lock another copy holds, after FilesInUse or a failed takeOver().
    QString blockedFile() const { return mBlockedFile; }

    // The local socket's full path for a folder; empty when the user has no private runtime folder.
    static QString serverName(const QString& folder);
    // Keeps the token the launcher gave this start, read before the toolkit starts: Qt's X11 platform takes
    // DESKTOP_STARTUP_ID out of the environment as it starts. Without it the environment is read at the claim.
    static void keepLaunchToken();

signals:
    // Another start in the same folder asked this copy to show itself. `activationToken` is what the
    // desktop's launcher gave that start (empty if nothing): with it a window may come to the front on Wayland.
    void anotherStart(const QString& activationToken);

private:
    // Listens for later starts; when it cannot, the copy runs on and says why on its error output, and a
    // later start, finding the lock held by a copy that does not answer, tells the user.
    void listen();
    bool tellRunningCopy() const;
    // With the folder's lock taken: locks the files too and listens, or lets go of the lock and returns false
    // when another copy holds the files (blockedFile()).
    bool runWithTheLock();
    // Locks what the rewrites replace; false (blockedFile() set) when another copy holds it.
    bool lockDataFiles(bool inPlace);

    QString mFolder;
    QString mServerName;
    QmrM::FolderLock mLock;
    QmrM::RewriteLocks mRewriteLocks;
    QString mBlockedFile;
};

}  // namespace platform
