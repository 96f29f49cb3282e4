// SPDX-License-Identifier: GPL-3.0-or-later
// An items list that loads must survive being rewritten: SaveItems writes what LoadItems read, and
// reading that file again gives the same names and counts. A second rewrite gives the same bytes.

#include "FuzzSupport.h"

#include "shared/Errors.h"
#include "shared/QmrM.h"

#include <QFile>

using namespace QmrM;

namespace {

const QByteArray kItemsPath = QFile::encodeName(QStringLiteral("項目一覧.txt"));

QString describe(const std::vector<QString>& names, const std::vector<int16_t>& counts)
{
    QStringList items;
    for (size_t k = 1; k < names.size() && k < counts.size(); ++k)
        items << QStringLiteral("[%1] %2").arg(names[k].toHtmlEscaped()).arg(counts[k]);
    return items.join(QLatin1Char(' '));
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv)
{
    fuzz::enterScratchFolder(argc, argv);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    fuzz::writeFile(kItemsPath, data, size);
    try {
        LoadItems();
    } catch (const DataFileError&) {
        return 0;  // not an items list; fuzz_record_files checks how it is refused
    }
    const std::vector<QString> names = gKoumoku;
    const std::vector<int16_t> counts = gShijiSu;

    try {
        SaveItems();
    } catch (const DataFileError& error) {
        fuzz::fail("an items list that loads can be written back", error.description());
    }
    const QByteArray written = fuzz::readFile(kItemsPath);

    resetSharedState();
    try {
        LoadItems();
    } catch (const DataFileError& error) {
        fuzz::fail("a rewritten items list loads", error.description());
    }
    FUZZ_CHECK(gKoumoku == names && gShijiSu == counts,
               describe(names, counts) + QStringLiteral(" became ") + describe(gKoumoku, gShijiSu));

    SaveItems();
    FUZZ_CHECK(fuzz::readFile(kItemsPath) == written, QString::fromLatin1(written.toHex()));
    return 0;
}
