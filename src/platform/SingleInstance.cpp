// SPDX-License-Identifier: GPL-3.0-or-later
#include "SingleInstance.h"

#include "LocalChannel.h"

#include "shared/DataFileNames.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>
#include <QtDebug>

#include <algorithm>
#include <optional>

namespace platform {
namespace {

// A later start's message: "show", and the activation token its launcher gave it on a line of its own.
constexpr char kShowRequest[] = "show\n";
constexpr char kTokenLine[] = "activation-token ";
constexpr qsizetype kMaxTokenLength = 255;
constexpr int kConnectTries = 20;
constexpr int kConnectWaitMs = 100;

QString canonicalFolder(const QString& folder)
{
    const QString canonical = QFileInfo(folder).canonicalFilePath();
    return canonical.isEmpty() ? folder : canonical;
}

// The launcher's token for bringing a window forward: Wayland launchers set XDG_ACTIVATION_TOKEN; GLib before
// 2.76 (GNOME 43's launchers) sets only DESKTOP_STARTUP_ID, which Mutter takes as a token too.
QByteArray launchTokenInTheEnvironment()
{
    for (const char* variable : {"XDG_ACTIVATION_TOKEN", "DESKTOP_STARTUP_ID"}) {
        if (const QByteArray token = qgetenv(variable); !token.isEmpty())
            return token;
    }
    return QByteArray();
}

std::optional<QByteArray> gKeptLaunchToken;

// A token is printable ASCII without spaces; anything else in the message is ignored.
bool plausibleToken(const QByteArray& token)
{
    return !token.isEmpty() && token.size() <= kMaxTokenLength &&
           std::all_of(token.begin(), token.end(), [](char c) { return c > ' ' && c < 0x7f; });
}

QByteArray showRequest()
{
    const QByteArray token = gKeptLaunchToken.value_or(launchTokenInTheEnvironment());
    return plausibleToken(token) ? kShowRequest + (kTokenLine + token) + '\n' : QByteArray(kShowRequest);
}

}  // namespace

void SingleInstance::keepLaunchToken()
{
    gKeptLaunchToken = launchTokenInTheEnvironment();
}

SingleInstance::SingleInstance(const QString& folder)
    : mFolder(canonicalFolder(folder)), mServerName(serverName(mFolder)), mLock(QDir(mFolder).filePath(QmrM::kLockFile))
{
}

QString SingleInstance::serverName(const QString& folder)
{
    // Qt gives no runtime location unless it is the user's own folder, no link, and only the user may enter (0700).
    const QString privateFolder = QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation);
    if (privateFolder.isEmpty())
        return QString();
    const QByteArray hash =
        QCryptographicHash::hash(canonicalFolder(folder).toUtf8(), QCryptographicHash::Sha256).toHex();
    return QDir(privateFolder).filePath(QStringLiteral("quillmora-") + QString::fromLatin1(hash.left(24)));
}

SingleInstance::Outcome SingleInstance::claim()
{
    const QmrM::FolderLock::Taking taking = mLock.take();
    // Lock taken: no copy runs in this folder (one in another may still rewrite the same files through links).
    if (taking == QmrM::FolderLock::Taking::Taken)
        return runWithTheLock() ? Outcome::Running : Outcome::FilesInUse;
    if (taking == QmrM::FolderLock::Taking::CannotBeMade) {
        // No lock file can be made (read-only folder, or files rewritable only in place): the files are the lock.
        if (lockDataFiles(true)) {
            if (mRewriteLocks.holdsAny())
                listen();
            return Outcome::Running;
        }
        return tellRunningCopy() ? Outcome::HandedOver : Outcome::FilesInUse;
    }
    // A copy on another computer cannot be reached through this computer's socket: the user is asked at once.
    const LockHolder holder = lockHolder();
    if (holder.known && !holder.onThisComputer)
        return Outcome::OtherSilent;
    return tellRunningCopy() ? Outcome::HandedOver : Outcome::OtherSilent;
}

bool SingleInstance::lockDataFiles(bool inPlace)
{
    const QDir folder(mFolder);
    mBlockedFile =
        mRewriteLocks.take({folder.filePath(QmrM::kItemsFile), folder.filePath(QmrM::kSettingsFile)}, inPlace);
    return mBlockedFile.isEmpty();
}

bool SingleInstance::takeOver()
{
    return mLock.removeStale() && mLock.take() == QmrM::FolderLock::Taking::Taken && runWithTheLock();
}

bool SingleInstance::runWithTheLock()
{
    if (!lockDataFiles(false)) {
        mLock.release();
        return false;
    }
    listen();
    return true;
}

void SingleInstance::listen()
{
    auto* listener = new LocalListener(this);
    const QString problem =
        mServerName.isEmpty() ? QStringLiteral("no private runtime folder") : listener->listen(mServerName);
    if (!problem.isEmpty()) {
        qWarning("Quillmora: later starts in this folder cannot reach this copy: %s", qPrintable(problem));
        return;
    }
    connect(listener, &LocalListener::received, this, [this](const QByteArray& message) {
        const QList<QByteArray> lines = message.split('\n');
        if (!lines.contains(QByteArrayLiteral("show")))
            return;
        QString token;
        for (const QByteArray& line : lines) {
            if (line.startsWith(kTokenLine) && plausibleToken(line.mid(qsizetype(sizeof kTokenLine) - 1)))
                token = QString::fromLatin1(line.mid(qsizetype(sizeof kTokenLine) - 1));
        }
        emit anotherStart(token);
    });
}

bool SingleInstance::tellRunningCopy() const
{
    return !mServerName.isEmpty() && sendToListener(mServerName, showRequest(), kConnectTries, kConnectWaitMs);
}

}  // namespace platform
