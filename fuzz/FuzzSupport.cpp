// SPDX-License-Identifier: GPL-3.0-or-later
#include "FuzzSupport.h"

#include <QDir>
#include <QFileInfo>
#include <QTemporaryDir>

#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>
#include <fcntl.h>
#include <unistd.h>

namespace fuzz {

namespace {

// The flags of libFuzzer whose value is a path.
const char* const kPathFlags[] = {
    "-dict=",         "-artifact_prefix=",    "-exact_artifact_path=", "-merge_control_file=",
    "-features_dir=", "-mutation_graph_file="};

std::string absolute(const std::string& path, const std::string& cwd)
{
    // Joined as text, not cleaned: an artifact prefix such as "out/" must keep its slash.
    return path.empty() || path[0] == '/' ? path : cwd + '/' + path;
}

}  // namespace

void enterScratchFolder(int* argc, char*** argv)
{
    static std::vector<std::string> arguments;
    static std::vector<char*> pointers;
    const std::string cwd = QDir::currentPath().toStdString();
    for (int i = 0; i < *argc; ++i) {
        std::string argument = (*argv)[i];
        if (i > 0 && !argument.empty() && argument[0] != '-') {
            argument = absolute(argument, cwd);
        } else {
            for (const char* flag : kPathFlags) {
                const size_t n = std::strlen(flag);
                if (argument.compare(0, n, flag) == 0)
                    argument = flag + absolute(argument.substr(n), cwd);
            }
        }
        arguments.push_back(argument);
    }
    for (std::string& argument : arguments)
        pointers.push_back(argument.data());
    pointers.push_back(nullptr);
    *argv = pointers.data();

    // Memory-backed when the system has such a folder: the atomic rewrites flush to disk, and millions
    // of them on a real disk would make the run crawl.
    const QString base =
        QFileInfo(QStringLiteral("/dev/shm")).isWritable() ? QStringLiteral("/dev/shm") : QDir::tempPath();
    // A run that crashed could not remove its folder: clear those of processes that are gone.
    const QString prefix = QStringLiteral("quillmora-fuzz-");
    for (const QString& name : QDir(base).entryList({prefix + QLatin1Char('*')}, QDir::Dirs)) {
        bool isNumber = false;
        const long pid = name.mid(prefix.size()).section(QLatin1Char('-'), 0, 0).toLong(&isNumber);
        if (isNumber && pid > 0 && ::kill(pid_t(pid), 0) != 0 && errno == ESRCH)
            QDir(base + QLatin1Char('/') + name).removeRecursively();
    }
    static QTemporaryDir folder(base + QLatin1Char('/') + prefix + QString::number(::getpid()) +
                                QStringLiteral("-XXXXXX"));
    if (!folder.isValid() || !QDir::setCurrent(folder.path())) {
        std::fprintf(stderr, "cannot make a temporary folder to work in\n");
        std::abort();
    }
}

void writeFile(const QByteArray& localName, const uint8_t* data, size_t size)
{
    // Plain system calls: this runs once or more for every input.
    // Removed and made anew rather than truncated: ext4 flushes a truncated file when it is closed.
    ::unlink(localName.constData());
    const int fd = ::open(localName.constData(), O_WRONLY | O_CREAT | O_EXCL, 0644);
    if (fd < 0)
        fail("open for writing", QString::fromLocal8Bit(localName));
    size_t done = 0;
    while (done < size) {
        const ssize_t n = ::write(fd, data + done, size - done);
        if (n <= 0)
            fail("write", QString::fromLocal8Bit(localName));
        done += static_cast<size_t>(n);
    }
    ::close(fd);
}

QByteArray readFile(const QByteArray& localName)
{
    QByteArray content;
    const int fd = ::open(localName.constData(), O_RDONLY);
    if (fd < 0)
        return content;
    char buffer[4096];
    ssize_t n;
    while ((n = ::read(fd, buffer, sizeof buffer)) > 0)
        content.append(buffer, n);
    ::close(fd);
    return content;
}

void fail(const char* what, const QString& detail)
{
    std::fprintf(stderr, "\n*** property failed: %s\n", what);
    if (!detail.isEmpty())
        std::fprintf(stderr, "*** %s\n", detail.toUtf8().constData());
    std::fflush(stderr);
    std::abort();
}

QString utf16FromBytes(const uint8_t* data, size_t size)
{
    QString text;
    text.reserve(static_cast<qsizetype>(size));
    for (size_t i = 0; i < size;) {
        if (data[i] < 0x80) {
            text.append(QChar(char16_t(data[i])));
            ++i;
        } else if (i + 2 < size) {
            text.append(QChar(char16_t(data[i + 1] | (data[i + 2] << 8))));
            i += 3;
        } else {
            break;
        }
    }
    return text;
}

}  // namespace fuzz
