// SPDX-License-Identifier: GPL-3.0-or-later
// Arbitrary bytes as a compiled help file: the reader either refuses the file or lists and reads
// what it holds, ending within seconds (libFuzzer's -timeout), without allocating beyond its limit
// (-malloc_limit_mb), also in chmlib, and without touching memory that is not its own; nothing it
// reads is longer than it was allowed to be. Seeds: a file compiled by chmcmd from a page and a
// contents file, and a small hand-made one without compression whose directory has an index block.

#include "FuzzSupport.h"

#include "help/ChmFile.h"

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv)
{
    fuzz::enterScratchFolder(argc, argv);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    fuzz::writeFile("help.chm", data, size);
    help::ChmFile chm;
    if (!chm.open(QStringLiteral("help.chm")))
        return 0;
    const QString topic = chm.defaultTopic();
    FUZZ_CHECK(topic.isEmpty() || topic.startsWith(QLatin1Char('/')), topic);
    for (const QString& path : chm.files()) {
        FUZZ_CHECK(path.startsWith(QLatin1Char('/')), path);
        bool ok = false;
        const QByteArray page = chm.read(path, &ok, help::ChmFile::kMaxPageSize);
        FUZZ_CHECK(page.size() <= help::ChmFile::kMaxPageSize && (ok || page.isEmpty()), path);
        chm.holds(path);
    }
    chm.read(chm.contentsFile());
    return 0;
}
