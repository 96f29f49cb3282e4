// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "shared/DataFiles.h"

#include <QObject>
#include <QString>

namespace platform {

// One running copy of the program per data folder. It holds a lock file in the folder (taking over that of a
// copy that died on this computer) and listens on a socket named after the folder's canonical path, in the
// user's private runtime folder, where no other user can take the name or listen in. A later start there tells
// it through the socket (with the launcher's activation token, so its window may take the keyboard) and ends
// without touching any data file. Copies in other folders run independently, unless their files link to the same
// files: the running copy also locks what its rewrites replace (RewriteLocks), the only lock where no lock file
// can be made.
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
    Outcome claim();

    // As the lock file tells. One on this computer runs: the lock of a copy that died here is taken over.
    using LockHolder = QmrM::FolderLock::Holder;
    LockHolder lockHolder() const { return mLock.holder(); }
    QString lockFilePath() const { return mLock.fileName(); }

    // Removes a silent holder's lock and becomes the running copy. Fails while a process holds the lock file open
    // (here, or as the file system reports) or a copy holds the files (blockedFile()).
    bool takeOver();
    // The data file (the end of its links) whose lock another copy holds, after FilesInUse or a failed takeOver().
    QString blockedFile() const { return mBlockedFile; }

    // The local socket's full path for a folder; empty when the user has no private runtime folder.
    static QString serverName(const QString& folder);
    // Call before Qt starts: its X11 platform takes DESKTOP_STARTUP_ID out of the environment (else read at the claim).
    static void keepLaunchToken();

signals:
    // `activationToken` is what the launcher gave that start: with it a window may come in front on Wayland.
    void anotherStart(const QString& activationToken);

private:
    // When it cannot, the copy runs on and says why on its error output; a later start, unanswered, tells the user.
    void listen();
    bool tellRunningCopy() const;
    // With the folder's lock taken; lets go of it and returns false when another copy holds the files.
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
