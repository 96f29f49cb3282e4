// SPDX-License-Identifier: GPL-3.0-or-later
// Arbitrary bytes as the content of each of the three kinds of data file: the items list, the
// settings and an item's history. Whatever the bytes, reading either succeeds with values in range or
// ends in a DataFileError about the file's content, and a failed load leaves the shared state as it was.

#include "FuzzSupport.h"

#include "shared/Errors.h"
#include "shared/HistoryFile.h"
#include "shared/QmrM.h"

#include <QFile>

#include <cmath>
#include <cstdio>

using namespace QmrM;

namespace {

const QString kHistoryItem = QStringLiteral("腕立て伏せ");
const QByteArray kItemsPath = QFile::encodeName(QStringLiteral("項目一覧.txt"));
const QByteArray kSettingsPath = QFile::encodeName(QStringLiteral("設定.txt"));
const QByteArray kHistoryPath = QFile::encodeName(historyFileName(kHistoryItem));

// Lines are ended by CR LF, LF or CR; none of these bytes occurs inside a code page 932 character.
int maxLines(const uint8_t* data, size_t size)
{
    int lines = 1;
    for (size_t i = 0; i < size; ++i)
        lines += data[i] == '\r' || data[i] == '\n';
    return lines;
}

void checkFormatError(const DataFileError& error, int lines)
{
    FUZZ_CHECK(error.kind() == DataFileError::Format, error.description());
    FUZZ_CHECK(error.line() >= 0 && error.line() <= lines, error.description());
    FUZZ_CHECK(!error.description().isEmpty(), QString());
}

void putSentinelState()
{
    gKoumokuSu = 1;
    gKoumoku = {QString(), QStringLiteral("sentinel")};
    gShijiSu = {0, 7};
    gRandomTim = 3;
    gRandomKaisu = 4;
    gWaitJikan = 99.0f;
}

void readAsItemsList(int lines)
{
    putSentinelState();
    try {
        LoadItems();
    } catch (const DataFileError& error) {
        checkFormatError(error, lines);
        FUZZ_CHECK(gKoumokuSu == 1 && gKoumoku.size() == 2 && gShijiSu.size() == 2, QString());
        FUZZ_CHECK(gKoumoku[1] == QLatin1String("sentinel") && gShijiSu[1] == 7, QString());
        return;
    }
    FUZZ_CHECK(gKoumokuSu >= 0 && gKoumokuSu <= kMaxItems, QString::number(gKoumokuSu));
    FUZZ_CHECK(gKoumoku.size() == size_t(gKoumokuSu) + 1 && gShijiSu.size() == size_t(gKoumokuSu) + 1, QString());
}

void readAsSettings(int lines)
{
    putSentinelState();
    try {
        LoadSettings();
    } catch (const DataFileError& error) {
        checkFormatError(error, lines);
        FUZZ_CHECK(gRandomTim == 3 && gRandomKaisu == 4 && gWaitJikan == 99.0f, QString());
        return;
    }
    FUZZ_CHECK(gWaitJikan >= 1.0f && gWaitJikan <= 60.0f, QString::number(double(gWaitJikan)));
}

void readAsHistory(int lines)
{
    try {
        bool missing = true;
        const HistoryIndex history = readHistoryIndex(kHistoryItem, &missing);
        FUZZ_CHECK(!missing, QString());
        FUZZ_CHECK(history.size() <= lines, QString::number(history.size()));
    } catch (const DataFileError& error) {
        checkFormatError(error, lines);
    }
}

void rename(const QByteArray& from, const QByteArray& to)
{
    if (std::rename(from.constData(), to.constData()) != 0)
        fuzz::fail("rename", QString::fromUtf8(from + " -> " + to));
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv)
{
    fuzz::enterScratchFolder(argc, argv);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const int lines = maxLines(data, size);
    // One write, then the same file under each name in turn.
    fuzz::writeFile(kItemsPath, data, size);
    readAsItemsList(lines);
    rename(kItemsPath, kSettingsPath);
    readAsSettings(lines);
    rename(kSettingsPath, kHistoryPath);
    readAsHistory(lines);
    rename(kHistoryPath, kItemsPath);
    return 0;
}
