// SPDX-License-Identifier: GPL-3.0-or-later
// Start-up as a user sees it: the time from starting a program to its first window being mapped on the X
// server, the processor time it took until then, and its peak memory then, for the program itself (its
// training window, 20 items) and for a bare Qt Widgets window (a label and a button, bare_window), the
// floor, started in turn in the same run so that both meet the same machine. Then the memory each holds
// once started (VmRSS 15 s after the start, each in a home folder of its own): the program on 20 items
// (its training window) and on an empty folder (its message box, the settings window to come), the bare
// window with a Latin label and button, and with a Japanese one, whose font the program's windows need too.
//
//   bench_first_window <runs> <program> <bare window>
//
// Each time is the median of `runs` starts, each memory figure the median of three. The X server (DISPLAY)
// says when a window of the started process is mapped; the process is then asked to close its window, as a
// window manager would, so that the next start finds no lock or socket left over.

#include "BenchSupport.h"

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QString>

#include <xcb/xcb.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <utility>
#include <vector>
#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

struct Start {
    bool ok = false;
    double mappedMs = 0;
    double cpuMs = 0;
    double peakMb = 0;
};

xcb_atom_t atom(xcb_connection_t* x, const char* name)
{
    xcb_intern_atom_reply_t* reply =
        xcb_intern_atom_reply(x, xcb_intern_atom(x, 0, uint16_t(std::strlen(name)), name), nullptr);
    const xcb_atom_t value = reply ? reply->atom : xcb_atom_t(XCB_ATOM_NONE);
    free(reply);
    return value;
}

// The process that owns a window, by its _NET_WM_PID; 0 when it does not say.
pid_t windowPid(xcb_connection_t* x, xcb_window_t window)
{
    static const xcb_atom_t netWmPid = atom(x, "_NET_WM_PID");
    xcb_get_property_reply_t* reply =
        xcb_get_property_reply(x, xcb_get_property(x, 0, window, netWmPid, XCB_ATOM_CARDINAL, 0, 1), nullptr);
    pid_t pid = 0;
    if (reply && xcb_get_property_value_length(reply) == 4)
        pid = pid_t(*static_cast<uint32_t*>(xcb_get_property_value(reply)));
    free(reply);
    return pid;
}

// Processor time of the whole process so far, threads that have ended included, in milliseconds (the kernel
// counts it in ticks of 10 ms: medians over many starts).
double cpuMsOf(pid_t pid)
{
    QFile stat(QStringLiteral("/proc/%1/stat").arg(pid));
    if (!stat.open(QIODevice::ReadOnly))
        return 0;
    // The fields after the command's name, which is in parentheses and may hold blanks.
    const QByteArray text = stat.readAll();
    const QList<QByteArray> fields = text.mid(text.lastIndexOf(')') + 2).split(' ');
    const double ticks = fields.value(11).toDouble() + fields.value(12).toDouble();  // utime, stime
    return ticks * 1000.0 / double(sysconf(_SC_CLK_TCK));
}

double peakMbOf(pid_t pid)
{
    QFile status(QStringLiteral("/proc/%1/status").arg(pid));
    if (!status.open(QIODevice::ReadOnly))
        return 0;
    for (const QByteArray& line : status.readAll().split('\n')) {
        if (line.startsWith("VmHWM:"))
            return line.mid(6).trimmed().split(' ').value(0).toDouble() / 1024.0;
    }
    return 0;
}

// Asks the window to close, as a window manager's close does (WM_DELETE_WINDOW).
void askToClose(xcb_connection_t* x, xcb_window_t window)
{
    xcb_client_message_event_t message{};
    message.response_type = XCB_CLIENT_MESSAGE;
    message.format = 32;
    message.window = window;
    message.type = atom(x, "WM_PROTOCOLS");
    message.data.data32[0] = atom(x, "WM_DELETE_WINDOW");
    message.data.data32[1] = XCB_CURRENT_TIME;
    xcb_send_event(x, 0, window, XCB_EVENT_MASK_NO_EVENT, reinterpret_cast<const char*>(&message));
    xcb_flush(x);
}

double residentMbOf(pid_t pid)
{
    QFile status(QStringLiteral("/proc/%1/status").arg(pid));
    if (!status.open(QIODevice::ReadOnly))
        return 0;
    for (const QByteArray& line : status.readAll().split('\n')) {
        if (line.startsWith("VmRSS:"))
            return line.mid(6).trimmed().split(' ').value(0).toDouble() / 1024.0;
    }
    return 0;
}

bool waitForExit(pid_t pid, int ms)
{
    for (int waited = 0; waited < ms; waited += 10) {
        if (waitpid(pid, nullptr, WNOHANG) == pid)
            return true;
        usleep(10000);
    }
    return false;
}

// Starts the program in the folder, its output thrown away; `home`, when given, becomes its home folder.
pid_t spawn(const char* program, const char* argument, const QString& folder, const QString& home = QString())
{
    const QByteArray where = QFile::encodeName(folder);
    const QByteArray homePath = QFile::encodeName(home);
    const pid_t pid = fork();
    if (pid == 0) {
        if (chdir(where.constData()) != 0)
            _exit(126);
        if (!homePath.isEmpty())
            setenv("HOME", homePath.constData(), 1);
        const int quiet = open("/dev/null", O_WRONLY);
        dup2(quiet, STDOUT_FILENO);
        dup2(quiet, STDERR_FILENO);
        execl(program, program, argument, static_cast<char*>(nullptr));
        _exit(127);
    }
    return pid;
}

Start startOnce(xcb_connection_t* x, const char* program, const QString& folder)
{
    Start start;
    const int64_t startNs = bench::monotonicNs();
    const pid_t pid = spawn(program, nullptr, folder);
    if (pid < 0)
        return start;
    pollfd fd{xcb_get_file_descriptor(x), POLLIN, 0};
    xcb_window_t mapped = XCB_NONE;
    const int64_t giveUpNs = startNs + 20'000'000'000LL;
    while (mapped == XCB_NONE && bench::monotonicNs() < giveUpNs) {
        xcb_generic_event_t* event = xcb_poll_for_event(x);
        if (!event) {
            poll(&fd, 1, 100);
            continue;
        }
        if ((event->response_type & 0x7f) == XCB_MAP_NOTIFY) {
            const auto* map = reinterpret_cast<xcb_map_notify_event_t*>(event);
            const int64_t seenNs = bench::monotonicNs();
            if (!map->override_redirect && windowPid(x, map->window) == pid) {
                mapped = map->window;
                start.mappedMs = double(seenNs - startNs) / 1e6;
                start.cpuMs = cpuMsOf(pid);
                start.peakMb = peakMbOf(pid);
            }
        }
        free(event);
    }
    if (mapped != XCB_NONE)
        askToClose(x, mapped);
    start.ok = mapped != XCB_NONE && waitForExit(pid, 5000);
    if (!start.ok) {
        kill(pid, SIGKILL);
        waitpid(pid, nullptr, 0);
    }
    return start;
}

// What each of the programs holds 15 s after they were started side by side, each with a fresh home and
// data folder; then they are ended (a killed copy leaves its lock in a folder nobody uses again).
std::vector<double> residentAfterStart(const std::vector<std::pair<const char*, const char*>>& programs,
                                       const std::vector<bool>& withItems)
{
    std::vector<std::unique_ptr<bench::DataFolder>> folders;
    std::vector<pid_t> pids;
    for (size_t i = 0; i < programs.size(); ++i) {
        folders.push_back(std::make_unique<bench::DataFolder>());
        if (withItems[i])
            bench::writeItems(20);
        QDir(folders.back()->path()).mkdir(QStringLiteral("home"));
        pids.push_back(spawn(programs[i].first, programs[i].second, folders.back()->path(),
                             folders.back()->path() + QStringLiteral("/home")));
    }
    sleep(15);
    std::vector<double> resident;
    for (const pid_t pid : pids) {
        resident.push_back(pid > 0 ? residentMbOf(pid) : 0);
        if (pid > 0) {
            kill(pid, SIGKILL);
            waitpid(pid, nullptr, 0);
        }
    }
    while (!folders.empty())
        folders.pop_back();  // the current folder goes back in the order it was changed
    return resident;
}

struct Figures {
    std::vector<double> mapped, cpu, peak;
    void add(const Start& start)
    {
        mapped.push_back(start.mappedMs);
        cpu.push_back(start.cpuMs);
        peak.push_back(start.peakMb);
    }
};

QString spread(const std::vector<double>& values)
{
    return QStringLiteral("%1 (%2-%3)")
        .arg(bench::ms(bench::median(values)))
        .arg(bench::minimum(values), 0, 'f', 1)
        .arg(bench::maximum(values), 0, 'f', 1);
}

}  // namespace

int main(int argc, char* argv[])
{
    if (argc != 4)
        return 2;
    const int runs = std::max(1, std::atoi(argv[1]));
    xcb_connection_t* x = xcb_connect(nullptr, nullptr);
    if (xcb_connection_has_error(x))
        return 3;
    const xcb_window_t root = xcb_setup_roots_iterator(xcb_get_setup(x)).data->root;
    const uint32_t mask = XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY;
    xcb_change_window_attributes(x, root, XCB_CW_EVENT_MASK, &mask);
    xcb_flush(x);

    bench::DataFolder folder;
    bench::writeItems(20);
    Figures program;
    Figures bare;
    int failures = 0;
    // Not counted: the first start of each fills the file cache.
    startOnce(x, argv[2], folder.path());
    startOnce(x, argv[3], folder.path());
    for (int i = 0; i < runs; ++i) {
        // In turn, the order changing every run, so that neither always follows the other.
        for (int which = 0; which < 2; ++which) {
            const bool programFirst = (i % 2 == 0) == (which == 0);
            const Start start = startOnce(x, programFirst ? argv[2] : argv[3], folder.path());
            if (!start.ok) {
                std::fprintf(stderr, "bench_first_window: run %d of %s failed\n", i + 1,
                             programFirst ? argv[2] : argv[3]);
                ++failures;
                continue;
            }
            (programFirst ? program : bare).add(start);
        }
    }
    xcb_disconnect(x);
    if (program.mapped.empty() || bare.mapped.empty())
        return 1;

    // The four side by side, three times: memory is little disturbed by the others' load.
    const std::vector<std::pair<const char*, const char*>> held = {
        {argv[2], nullptr}, {argv[2], nullptr}, {argv[3], nullptr}, {argv[3], "japanese"}};
    std::vector<std::vector<double>> resident(held.size());
    for (int round = 0; round < 3; ++round) {
        const std::vector<double> figures = residentAfterStart(held, {true, false, false, false});
        for (size_t i = 0; i < held.size(); ++i)
            resident[i].push_back(figures[i]);
    }

    const QString where = QStringLiteral("Xvfb with a tray and a D-Bus session");
    bench::row(QStringLiteral("2. first window mapped, training window, 20 items, %1 (median of %2)")
                   .arg(where)
                   .arg(program.mapped.size()),
               spread(program.mapped));
    bench::row(QStringLiteral("2. first window mapped, bare Qt Widgets window (a label and a button), same run"),
               spread(bare.mapped));
    const double over = bench::median(program.mapped) - bench::median(bare.mapped);
    bench::row(QStringLiteral("2. first window: the program's over the bare window's"), bench::ms(over),
               QStringLiteral("<= 20 ms"), bench::verdict(over <= 20.0));
    bench::row(
        QStringLiteral("2. processor time to the first window, program / bare window"),
        QStringLiteral("%1 / %2").arg(bench::ms(bench::median(program.cpu)), bench::ms(bench::median(bare.cpu))));
    bench::row(QStringLiteral("2. peak memory (VmHWM) at the first window, program / bare window"),
               QStringLiteral("%1 MB / %2 MB")
                   .arg(bench::median(program.peak), 0, 'f', 1)
                   .arg(bench::median(bare.peak), 0, 'f', 1));
    const auto mib = [](double value) { return QStringLiteral("%1 MiB").arg(value, 0, 'f', 1); };
    const double training = bench::median(resident[0]);
    const double emptyFolder = bench::median(resident[1]);
    const double latin = bench::median(resident[2]);
    const double japanese = bench::median(resident[3]);
    bench::row(QStringLiteral("2. resident memory 15 s after the start (VmRSS, median of 3), %1: training window, 20 "
                              "items / message box of an empty folder")
                   .arg(where),
               QStringLiteral("%1 / %2").arg(mib(training), mib(emptyFolder)));
    bench::row(QStringLiteral("2. same, bare Qt Widgets window: Latin label and button / Japanese label and button"),
               QStringLiteral("%1 / %2").arg(mib(latin), mib(japanese)));
    const double heldOver = std::max(training, emptyFolder) - japanese;
    bench::row(QStringLiteral("2. resident memory 15 s after the start: the program's over the Japanese bare window's"),
               mib(heldOver), QStringLiteral("<= 3.0 MiB"), bench::verdict(heldOver <= 3.0));
    return failures == 0 ? 0 : 1;
}
