// SPDX-License-Identifier: GPL-3.0-or-later
// The channel of later starts on Windows: a named pipe, without Qt's network module. Only the user may connect,
// remote clients are refused, and listening fails if another program made a pipe of that name first. There is
// no sway socket (connectToLocalSocket) here.
#include "LocalChannel.h"

#include "shared/DataFilesSystem.h"

#include <QThread>
#include <QTimer>
#include <QWinEventNotifier>

#include <windows.h>

#include <sddl.h>

namespace platform {
namespace {

constexpr qsizetype kMaxMessage = 1024;
// A start sends its few bytes at once: a connection still open this long after it came is dropped.
constexpr int kSilentForMs = 1000;
// How long the listener rests when the system refuses to wait for a connection, rather than spin.
constexpr int kRestWhenRefusedMs = 250;

// "\\.\pipe\" and the path (in the user's folder), whose backslashes would make folders of the pipe namespace.
std::wstring pipeName(const QString& path)
{
    return (QStringLiteral("\\\\.\\pipe\\") + QString(path).replace(u'\\', u'/')).toStdWString();
}

// A security descriptor that gives the current user alone every right; null when it cannot be made.
PSECURITY_DESCRIPTOR userOnlyDescriptor()
{
    HANDLE token = nullptr;
    if (!OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, &token))
        return nullptr;
    DWORD size = 0;
    GetTokenInformation(token, TokenUser, nullptr, 0, &size);
    std::unique_ptr<BYTE[]> user(new BYTE[size ? size : 1]);
    wchar_t* sid = nullptr;
    PSECURITY_DESCRIPTOR descriptor = nullptr;
    if (size && GetTokenInformation(token, TokenUser, user.get(), size, &size) &&
        ConvertSidToStringSidW(reinterpret_cast<TOKEN_USER*>(user.get())->User.Sid, &sid)) {
        const std::wstring sddl = L"D:P(A;;GA;;;" + std::wstring(sid) + L")";
        ConvertStringSecurityDescriptorToSecurityDescriptorW(sddl.c_str(), SDDL_REVISION_1, &descriptor, nullptr);
        LocalFree(sid);
    }
    CloseHandle(token);
    return descriptor;
}

}  // namespace

// One pipe instance takes one start at a time (others find it busy and retry): it waits for a connection, reads
// until the start closes, hands the message on and waits again; each step is overlapped, on one watched event.
struct LocalListener::Listening {
    HANDLE pipe = INVALID_HANDLE_VALUE;
    HANDLE event = nullptr;
    OVERLAPPED overlapped{};
    bool reading = false;  // the step under way reads what a start sends, else it waits for one to connect
    bool dropped = false;  // the start was let go: what it sent is not a message
    char buffer[256];
    QByteArray message;
    std::unique_ptr<QWinEventNotifier> notifier;
    QTimer clientTimeout;
    std::function<void(const QByteArray&)> deliver;

    ~Listening()
    {
        notifier.reset();
        if (pipe != INVALID_HANDLE_VALUE) {
            // Nothing may write into `overlapped` once it is gone.
            DWORD ignored = 0;
            if (CancelIoEx(pipe, &overlapped))
                GetOverlappedResult(pipe, &overlapped, &ignored, TRUE);
            CloseHandle(pipe);
        }
        if (event)
            CloseHandle(event);
    }

    void waitForConnection()
    {
        for (int attempt = 0; attempt < 2; ++attempt) {
            reading = false;
            message.clear();
            ResetEvent(event);
            overlapped = OVERLAPPED{};
            overlapped.hEvent = event;
            if (ConnectNamedPipe(pipe, &overlapped))
                return;  // signalled
            const DWORD error = GetLastError();
            if (error == ERROR_IO_PENDING)
                return;
            if (error == ERROR_PIPE_CONNECTED) {
                beginClient();  // a start connected before we asked
                return;
            }
            DisconnectNamedPipe(pipe);  // a start that connected and went: the next one is waited for
        }
        // The system refused twice: asked again in a moment (not once the listener has gone).
        QTimer::singleShot(kRestWhenRefusedMs, notifier.get(), [this] { waitForConnection(); });
    }

    void beginClient()
    {
        dropped = false;
        clientTimeout.start(kSilentForMs);
        readMore();
    }

    void readMore()
    {
        reading = true;
        ResetEvent(event);
        overlapped = OVERLAPPED{};
        overlapped.hEvent = event;
        if (!ReadFile(pipe, buffer, sizeof buffer, nullptr, &overlapped) && GetLastError() != ERROR_IO_PENDING)
            finishClient();  // the start has sent all and closed
    }

    void finishClient()
    {
        clientTimeout.stop();
        DisconnectNamedPipe(pipe);
        const QByteArray received = std::exchange(message, QByteArray());
        waitForConnection();
        if (!received.isEmpty() && !dropped)
            deliver(received);  // may destroy this
    }

    void signalled()
    {
        DWORD got = 0;
        const bool done = GetOverlappedResult(pipe, &overlapped, &got, FALSE);
        if (!reading) {
            if (done)
                beginClient();
            else
                waitForConnection();
            return;
        }
        // A read that failed ends the start: it has sent all and closed, or was let go.
        if (done)
            message.append(buffer, qsizetype(got));
        if (!done || message.size() >= kMaxMessage)
            finishClient();
        else
            readMore();
    }

    void dropClient()
    {
        dropped = true;
        CancelIoEx(pipe, &overlapped);  // the read ends, failed, and the next connection is waited for
    }
};

LocalListener::LocalListener(QObject* parent) : QObject(parent) {}

LocalListener::~LocalListener() = default;

QString LocalListener::listen(const QString& path)
{
    auto listening = std::make_unique<Listening>();
    SECURITY_ATTRIBUTES attributes{};
    attributes.nLength = sizeof attributes;
    attributes.lpSecurityDescriptor = userOnlyDescriptor();
    if (!attributes.lpSecurityDescriptor)
        return QmrM::sys::systemMessage(GetLastError());
    listening->pipe = CreateNamedPipeW(pipeName(path).c_str(),
                                       PIPE_ACCESS_INBOUND | FILE_FLAG_OVERLAPPED | FILE_FLAG_FIRST_PIPE_INSTANCE,
                                       PIPE_TYPE_BYTE | PIPE_READMODE_BYTE | PIPE_WAIT | PIPE_REJECT_REMOTE_CLIENTS, 1,
                                       0, DWORD(kMaxMessage), 0, &attributes);
    const DWORD error = GetLastError();
    LocalFree(attributes.lpSecurityDescriptor);
    if (listening->pipe == INVALID_HANDLE_VALUE)
        return QmrM::sys::systemMessage(error);
    listening->event = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    if (!listening->event)
        return QmrM::sys::systemMessage(GetLastError());
    Listening* l = listening.get();
    l->deliver = [this](const QByteArray& message) { emit received(message); };
    l->notifier = std::make_unique<QWinEventNotifier>(l->event);
    connect(l->notifier.get(), &QWinEventNotifier::activated, this, [l] { l->signalled(); });
    l->clientTimeout.setSingleShot(true);
    connect(&l->clientTimeout, &QTimer::timeout, this, [l] { l->dropClient(); });
    l->waitForConnection();
    mListening = std::move(listening);
    return QString();
}

namespace {

// Waits at most `waitMs` for room in the pipe's buffer: a running copy that does not read is not waited for.
bool writeWithin(HANDLE pipe, const QByteArray& message, int waitMs)
{
    HANDLE event = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    if (!event)
        return false;
    OVERLAPPED overlapped{};
    overlapped.hEvent = event;
    DWORD written = 0;
    bool sent = WriteFile(pipe, message.constData(), DWORD(message.size()), nullptr, &overlapped) ||
                GetLastError() == ERROR_IO_PENDING;
    if (sent && WaitForSingleObject(event, DWORD(waitMs)) != WAIT_OBJECT_0)
        CancelIoEx(pipe, &overlapped);
    // Waits only for the cancelled write to end, so that nothing writes into `overlapped` once it is gone.
    sent = sent && GetOverlappedResult(pipe, &overlapped, &written, TRUE) && written == DWORD(message.size());
    CloseHandle(event);
    return sent;
}

}  // namespace

bool sendToListener(const QString& path, const QByteArray& message, int tries, int waitMs)
{
    const std::wstring name = pipeName(path);
    for (int attempt = 0; attempt < tries; ++attempt) {
        if (attempt > 0)
            QThread::msleep(static_cast<unsigned long>(waitMs));
        HANDLE pipe =
            CreateFileW(name.c_str(), GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, FILE_FLAG_OVERLAPPED, nullptr);
        if (pipe == INVALID_HANDLE_VALUE)
            continue;  // busy with another start, or the copy may only just start
        // Windows lets the running copy come to the front only when this program, which the user started, allows it.
        ULONG server = 0;
        if (GetNamedPipeServerProcessId(pipe, &server))
            AllowSetForegroundWindow(server);
        // The bytes stay in the pipe for the running copy after the handle closes; a flush would wait for it.
        const bool sent = writeWithin(pipe, message, waitMs);
        CloseHandle(pipe);
        return sent;
    }
    return false;
}

}  // namespace platform
