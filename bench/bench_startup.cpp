// SPDX-License-Identifier: GPL-3.0-or-later
// Start-up: wall time from the start of a fresh process to the first frame of its first window, and the
// memory the process holds.
//
//   bench_startup [runs]    starts the program's start-up `runs` times (15 unless given) for each case
//                           on the platform of QT_QPA_PLATFORM, the cases in turn, and prints the medians
//
// Each run is a separate process, this same program started with "--child": it starts up exactly as the
// program's main does, or, as the floor, shows a bare Qt Widgets window (a label and a button). The clock starts just
// before the process is spawned; the child reads the same monotonic clock when its window's first paint has been
// flushed, notes its peak memory then, and one second later its resident and peak memory.

#include "BenchSupport.h"

#include "app/Program.h"
#include "platform/AppSetup.h"
#include "platform/Guard.h"

#include <QFile>
#include <QApplication>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>
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

// The floor: the least a Qt Widgets program does to show a window, a label and a button.
int bareChild(int argc, char* argv[], int64_t startNs)
{
    QApplication app(argc, argv);
    QWidget window;
    window.setObjectName(QStringLiteral("bare"));
    auto* layout = new QVBoxLayout(&window);
    layout->addWidget(new QLabel(QStringLiteral("Quillmora")));
    layout->addWidget(new QPushButton(QStringLiteral("OK")));
    bench::FrameProbe* probe = nullptr;
    probe = new bench::FrameProbe(QStringLiteral("bare"), [&] {
        const double frameMs = static_cast<double>(probe->frameNs() - startNs) / 1e6;
        const long peakAtFrame = bench::procStatusKb("VmHWM");
        QTimer::singleShot(1000, [=] {
            std::printf("%.3f %ld %ld %ld 0\n", frameMs, peakAtFrame, bench::procStatusKb("VmHWM"),
                        bench::procStatusKb("VmRSS"));
            std::fflush(stdout);
            QCoreApplication::exit(0);
        });
    });
    window.show();
    const int code = app.exec();
    delete probe;
    return code;
}

int child(int argc, char* argv[])
{
    // argv: self --child training|settings|bare <folder> <start ns>
    const bool training = std::strcmp(argv[2], "training") == 0;
    if (chdir(argv[3]) != 0)
        return 3;
    const int64_t startNs = std::strtoll(argv[4], nullptr, 10);
    if (std::strcmp(argv[2], "bare") == 0)
        return bareChild(argc, argv, startNs);

    // What the program's main does, with every message box answered OK at once.
    std::thread fonts = platform::readFontConfiguration();
    platform::Application app(argc, argv);
    Program::setUp(app);
    if (fonts.joinable())
        fonts.join();
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
        std::unique_ptr<bench::DataFolder> folder;
        std::vector<double> frame, peak, resident;
    };
    Case cases[] = {
        {"training", 20, 0, QStringLiteral("training window, 20 items"), {}, {}, {}, {}},
        {"settings", 0, 1, QStringLiteral("settings window, empty folder"), {}, {}, {}, {}},
        {"bare", 0, 0, QStringLiteral("bare Qt Widgets window (a label and a button)"), {}, {}, {}, {}},
    };
    for (Case& c : cases) {
        c.folder = std::make_unique<bench::DataFolder>();
        if (c.items > 0)
            bench::writeItems(c.items);
        spawnChild(self, c.scenario, c.folder->path());  // warms the file cache; not counted
    }
    int failures = 0;
    // The cases in turn, so that the machine's ups and downs meet them all alike.
    for (int i = 0; i < runs; ++i) {
        for (Case& c : cases) {
            const Run run = spawnChild(self, c.scenario, c.folder->path());
            if (!run.ok || run.boxes != c.expectedBoxes) {
                std::fprintf(stderr, "bench_startup: run %d of %s failed\n", i + 1, c.scenario);
                ++failures;
                continue;
            }
            c.frame.push_back(run.frameMs);
            c.peak.push_back(run.peakKb / 1024.0);
            c.resident.push_back(run.residentKb / 1024.0);
        }
    }
    for (const Case& c : cases) {
        if (c.frame.empty())
            continue;
        const QString where = QStringLiteral("%1, %2").arg(c.label, platformName);
        const double f = bench::median(c.frame);
        const bool floor = std::strcmp(c.scenario, "bare") == 0;
        bench::row(QStringLiteral("2. start-up to first frame, %1 (median of %2)").arg(where).arg(c.frame.size()),
                   QStringLiteral("%1 (%2-%3)")
                       .arg(bench::ms(f))
                       .arg(bench::minimum(c.frame), 0, 'f', 1)
                       .arg(bench::maximum(c.frame), 0, 'f', 1),
                   floor ? QString() : QStringLiteral("< 150 ms"), floor ? QString() : bench::verdict(f < 150.0));
        if (floor) {
            const double over = bench::median(cases[0].frame) - f;
            bench::row(
                QStringLiteral("2. first frame: training window over the bare window, same run, %1").arg(platformName),
                bench::ms(over), QStringLiteral("<= 20 ms"), bench::verdict(over <= 20.0));
            continue;
        }
        const double p = bench::median(c.peak);
        bench::row(QStringLiteral("2. peak resident memory (VmHWM), %1").arg(where),
                   QStringLiteral("%1 MB").arg(p, 0, 'f', 1), QStringLiteral("< 45 MB"), bench::verdict(p < 45.0));
        const double r = bench::median(c.resident);
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
