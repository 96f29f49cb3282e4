// SPDX-License-Identifier: GPL-3.0-or-later
// Start-up: wall time from the start of a fresh process to the first frame of its first window, and the
// memory the process holds.
//
//   bench_startup [runs]    starts the program's start-up `runs` times (15 unless given) for each case
//                           on the platform of QT_QPA_PLATFORM, and prints the medians
//
// Each run is a separate process, this same program started with "--child": it starts up exactly as the
// program's main does. The clock starts just before the process is spawned; the child reads the same
// monotonic clock when its window's first paint has been flushed, notes its peak memory then, and one
// second later its resident and peak memory.

#include "BenchSupport.h"

#include "app/Program.h"
#include "platform/Guard.h"

#include <QFile>
#include <QGuiApplication>
#include <QTimer>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;

namespace {

// ---- the child: one start-up of the program ------------------------------------------------------

int child(int argc, char* argv[])
{
    // argv: self --child training|settings <folder> <start ns>
    const bool training = std::strcmp(argv[2], "training") == 0;
    if (chdir(argv[3]) != 0)
        return 3;
    const int64_t startNs = std::strtoll(argv[4], nullptr, 10);

    // What the program's main does, with every message box answered OK at once.
    platform::Application app(argc, argv);
    Program::setUp(app);
    bench::OkDialogs dialogs;
    bench::FrameProbe* probe = nullptr;
    probe = new bench::FrameProbe(training ? QStringLiteral("frmMain") : QStringLiteral("frmSettei"), [&] {
        const double frameMs = static_cast<double>(probe->frameNs() - startNs) / 1e6;
        const long peakAtFrame = bench::procStatusKb("VmHWM");
        QTimer::singleShot(1000, [=, &dialogs] {
            std::printf("%.3f %ld %ld %ld %d\n", frameMs, peakAtFrame, bench::procStatusKb("VmHWM"),
                        bench::procStatusKb("VmRSS"), dialogs.shown);
            std::fflush(stdout);
            QCoreApplication::exit(0);
        });
    });
    const int code = Program::start() ? app.exec() : 1;
    Program::tearDown();
    delete probe;
    return code;
}

// ---- the driver --------------------------------------------------------------------------------

struct Run {
    bool ok = false;
    double frameMs = 0;
    double peakAtFrameKb = 0;
    double peakKb = 0;
    double residentKb = 0;
    int boxes = 0;
};

Run spawnChild(const char* self, const char* scenario, const QString& folder)
{
    Run run;
    int out[2];
    if (pipe(out) != 0)
        return run;
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, out[1], STDOUT_FILENO);
    posix_spawn_file_actions_addclose(&actions, out[0]);
    posix_spawn_file_actions_addclose(&actions, out[1]);

    const QByteArray folderBytes = QFile::encodeName(folder);
    const int64_t startNs = bench::monotonicNs();
    const QByteArray start = QByteArray::number(static_cast<qlonglong>(startNs));
    char* childArgs[] = {const_cast<char*>(self),
                         const_cast<char*>("--child"),
                         const_cast<char*>(scenario),
                         const_cast<char*>(folderBytes.constData()),
                         const_cast<char*>(start.constData()),
                         nullptr};
    pid_t pid = 0;
    const int spawned = posix_spawn(&pid, self, &actions, nullptr, childArgs, environ);
    posix_spawn_file_actions_destroy(&actions);
    close(out[1]);
    if (spawned != 0) {
        close(out[0]);
        return run;
    }

    QByteArray text;
    pollfd fd{out[0], POLLIN, 0};
    const int64_t giveUpNs = startNs + 30'000'000'000LL;
    while (bench::monotonicNs() < giveUpNs) {
        if (poll(&fd, 1, 1000) <= 0)
            continue;
        char buffer[512];
        const ssize_t n = read(out[0], buffer, sizeof buffer);
        if (n <= 0)
            break;
        text.append(buffer, n);
    }
    close(out[0]);
    int status = 0;
    if (bench::monotonicNs() >= giveUpNs)
        kill(pid, SIGKILL);
    waitpid(pid, &status, 0);

    const QList<QByteArray> fields = text.trimmed().split(' ');
    if (WIFEXITED(status) && WEXITSTATUS(status) == 0 && fields.size() == 5) {
        run.ok = true;
        run.frameMs = fields[0].toDouble();
        run.peakAtFrameKb = fields[1].toDouble();
        run.peakKb = fields[2].toDouble();
        run.residentKb = fields[3].toDouble();
        run.boxes = fields[4].toInt();
    }
    return run;
}

int driver(const char* self, int runs)
{
    QString platformName = qEnvironmentVariable("QT_QPA_PLATFORM");
    if (platformName.isEmpty())
        platformName = QStringLiteral("default");
    if (platformName == QLatin1String("xcb"))
        platformName = QStringLiteral("Xvfb");

    struct Case {
        const char* scenario;
        int items;
        int expectedBoxes;
        QString label;
    };
    const Case cases[] = {
        {"training", 20, 0, QStringLiteral("training window, 20 items")},
        {"settings", 0, 1, QStringLiteral("settings window, empty folder")},
    };
    int failures = 0;
    for (const Case& c : cases) {
        bench::DataFolder folder;
        if (c.items > 0)
            bench::writeItems(c.items);
        std::vector<double> frame, peak, resident;
        spawnChild(self, c.scenario, folder.path());  // warms the file cache; not counted
        for (int i = 0; i < runs; ++i) {
            const Run run = spawnChild(self, c.scenario, folder.path());
            if (!run.ok || run.boxes != c.expectedBoxes) {
                std::fprintf(stderr, "bench_startup: run %d of %s failed\n", i + 1, c.scenario);
                ++failures;
                continue;
            }
            frame.push_back(run.frameMs);
            peak.push_back(run.peakKb / 1024.0);
            resident.push_back(run.residentKb / 1024.0);
        }
        if (frame.empty())
            continue;
        const QString where = QStringLiteral("%1, %2").arg(c.label, platformName);
        const double f = bench::median(frame);
        bench::row(QStringLiteral("2. start-up to first frame, %1 (median of %2)").arg(where).arg(frame.size()),
                   QStringLiteral("%1 (%2-%3)")
                       .arg(bench::ms(f))
                       .arg(bench::minimum(frame), 0, 'f', 1)
                       .arg(bench::maximum(frame), 0, 'f', 1),
                   QStringLiteral("< 150 ms"), bench::verdict(f < 150.0));
        const double p = bench::median(peak);
        bench::row(QStringLiteral("2. peak resident memory (VmHWM), %1").arg(where),
                   QStringLiteral("%1 MB").arg(p, 0, 'f', 1), QStringLiteral("< 45 MB"), bench::verdict(p < 45.0));
        const double r = bench::median(resident);
        bench::row(QStringLiteral("2. steady resident memory (VmRSS after 1 s), %1").arg(where),
                   QStringLiteral("%1 MB").arg(r, 0, 'f', 1), QStringLiteral("< 45 MB"), bench::verdict(r < 45.0));
    }
    return failures == 0 ? 0 : 1;
}

}  // namespace

int main(int argc, char* argv[])
{
    if (argc == 5 && std::strcmp(argv[1], "--child") == 0)
        return child(argc, argv);
    if (argc == 2 && std::strcmp(argv[1], "--qt-version") == 0) {
        std::printf("%s\n", qVersion());
        return 0;
    }
    const int runs = argc > 1 ? std::max(1, std::atoi(argv[1])) : 15;
    // The children are started through the path of this very executable.
    char self[4096];
    const ssize_t n = readlink("/proc/self/exe", self, sizeof self - 1);
    if (n <= 0)
        return 2;
    self[n] = '\0';
    return driver(self, runs);
}
