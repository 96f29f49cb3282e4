// SPDX-License-Identifier: GPL-3.0-or-later
#include "ChmFile.h"

#include "shared/TextEncoding.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QList>
#include <QRegularExpression>
#include <QSet>
#include <QtEndian>

#include <chm_lib.h>

#include <algorithm>
#include <cstring>
#include <utility>

namespace help {

namespace {

// The tables of the LZX-compressed section.
constexpr char kResetTableName[] =
    "::DataSpace/Storage/MSCompressed/Transform/{7FC28940-9D31-11D0-9B27-00A0C91E9C7C}/InstanceData/ResetTable";
constexpr char kCompressedContentName[] = "::DataSpace/Storage/MSCompressed/Content";
constexpr char kControlDataName[] = "::DataSpace/Storage/MSCompressed/ControlData";

// Directory blocks are 4 KiB from every compiler; chmlib allocates a block's length per lookup, even one near 4 GB.
constexpr quint32 kMaxDirectoryBlockLength = 64 * 1024;

// What chm_open reads of the file header (any version) and of the directory header (which must say this length).
constexpr qint64 kFileHeaderLength = 0x60;
constexpr qint64 kDirectoryHeaderLength = 0x54;
// Headers of the two kinds of directory block: a listing block ("PMGL") holds entries and names the
// next listing block; an index block ("PMGI") names, for each first name, the block listing it.
constexpr int kListingHeaderLength = 0x14;
constexpr int kIndexHeaderLength = 0x08;
constexpr qint32 kNoBlock = -1;

struct Entry {
    QByteArray name;
    quint64 space = 0;
    quint64 start = 0;
    quint64 length = 0;
};

// Reads `length` bytes at `offset`; false when the file does not hold them all.
bool readAt(QFile& file, quint64 offset, qint64 length, QByteArray* out)
{
    if (!file.seek(static_cast<qint64>(offset)))
        return false;
    *out = file.read(length);
    return out->size() == length;
}

// Reads an ENCINT (7 bits a byte, the high bit set on all but the last), which must end before `end`.
bool readEncInt(const QByteArray& bytes, qsizetype end, qsizetype* pos, quint64* value)
{
    *value = 0;
    for (int i = 0; i < 9 && *pos < end; ++i) {
        const auto byte = static_cast<unsigned char>(bytes[(*pos)++]);
        *value = (*value << 7) | (byte & 0x7f);
        if ((byte & 0x80) == 0)
            return true;
    }
    return false;
}

// The entries of a block, from its header to its free space: a name, then `values` numbers (section, offset and
// length in a listing block; the block listing the name in an index block). chmlib reads an entry whole wherever
// the block ends, copies the name into a CHM_MAX_PATHLEN buffer and reads the letter before its first, so each must
// end inside the part in use with a name of 1 to CHM_MAX_PATHLEN bytes.
template <typename Each>
bool forEachEntry(const QByteArray& block, int headerLength, int values, Each each)
{
    const quint32 freeSpace = qFromLittleEndian<quint32>(block.constData() + 4);
    if (freeSpace > static_cast<quint64>(block.size() - headerLength))
        return false;
    const qsizetype end = block.size() - static_cast<qsizetype>(freeSpace);
    qsizetype pos = headerLength;
    while (pos < end) {
        quint64 nameLength = 0;
        if (!readEncInt(block, end, &pos, &nameLength) || nameLength == 0 || nameLength > CHM_MAX_PATHLEN ||
            nameLength > static_cast<quint64>(end - pos))
            return false;
        Entry entry;
        entry.name = block.mid(pos, static_cast<qsizetype>(nameLength));
        pos += static_cast<qsizetype>(nameLength);
        quint64* numbers[] = {&entry.space, &entry.start, &entry.length};
        for (int i = 0; i < values; ++i) {
            if (!readEncInt(block, end, &pos, numbers[i]))
                return false;
        }
        if (!each(entry))
            return false;
    }
    return true;
}

bool isNamed(const Entry& entry, const char* name)
{
    // chmlib compares names with strcasecmp; the names looked for are ASCII.
    return qstricmp(entry.name.constData(), name) == 0;
}

// Whether chmlib can be given the file without meeting what it does not check: the headers it reads, every
// directory block its listing and lookups reach (in the directory, reached once, of a sane length, its entries
// inside it), and the compressed section's tables, read before their parameters are known. False for a file that is
// not a help file. chmlib follows the listing's chain of next blocks, and the index down from its root, without
// looking where they lead: a chain back to a block read loops forever, a block outside the directory reads elsewhere.
bool chmIsSafeToOpen(const QString& fileName)
{
    QFile file(fileName);
    QByteArray header;
    if (!file.open(QIODevice::ReadOnly) || !readAt(file, 0, kFileHeaderLength, &header) || !header.startsWith("ITSF"))
        return false;
    const auto fileSize = static_cast<quint64>(file.size());
    const char* f = header.constData();
    const quint32 version = qFromLittleEndian<quint32>(f + 4);
    if (version != 2 && version != 3)
        return false;
    const quint64 dirOffset = qFromLittleEndian<quint64>(f + 0x48);
    const quint64 dirLength = qFromLittleEndian<quint64>(f + 0x50);
    if (dirOffset > fileSize || dirLength > fileSize - dirOffset || dirLength < kDirectoryHeaderLength)
        return false;
    const quint64 dataOffset = version == 3 ? qFromLittleEndian<quint64>(f + 0x58) : dirOffset + dirLength;

    QByteArray dir;
    if (!readAt(file, dirOffset, kDirectoryHeaderLength, &dir) || !dir.startsWith("ITSP"))
        return false;
    const char* d = dir.constData();
    if (qFromLittleEndian<quint32>(d + 4) != 1 || qFromLittleEndian<quint32>(d + 8) != kDirectoryHeaderLength)
        return false;
    const quint32 blockLength = qFromLittleEndian<quint32>(d + 0x10);
    const qint32 indexRoot = qFromLittleEndian<qint32>(d + 0x1c);
    const qint32 listingHead = qFromLittleEndian<qint32>(d + 0x20);
    if (blockLength < kListingHeaderLength || blockLength > kMaxDirectoryBlockLength)
        return false;
    const quint64 blocksOffset = dirOffset + kDirectoryHeaderLength;
    const auto blockCount = static_cast<qint64>((dirLength - kDirectoryHeaderLength) / blockLength);
    if (blockCount <= 0)
        return false;

    const auto readBlock = [&](qint64 index, QByteArray* block) {
        return index >= 0 && index < blockCount &&
               readAt(file, blocksOffset + static_cast<quint64>(index) * blockLength, blockLength, block);
    };
    // chm_open reads the reset table and LZX control data before it knows the LZX parameters, then divides by half
    // the window size even in a record it found unusable: a table in the compressed section, or a damaged control
    // record, would end the process. Each table entry is checked where either walk meets it.
    const auto tableIsSafe = [&](const Entry& entry) {
        if (entry.space != CHM_UNCOMPRESSED)
            return false;
        if (!isNamed(entry, kControlDataName))
            return true;
        QByteArray record;
        if (entry.length < 24 || entry.length > 4096 || entry.start > fileSize || dataOffset > fileSize - entry.start ||
            entry.length > fileSize - entry.start - dataOffset || !readAt(file, dataOffset + entry.start, 24, &record))
            return false;
        quint32 window = qFromLittleEndian<quint32>(record.constData() + 16);
        if (qFromLittleEndian<quint32>(record.constData() + 8) == 2)
            window *= 0x8000u;  // chmlib scales it in 32 bits
        return window / 2 != 0;
    };
    const auto checkListingBlock = [&](const QByteArray& block) {
        return forEachEntry(block, kListingHeaderLength, 3, [&](const Entry& entry) {
            return (!isNamed(entry, kResetTableName) && !isNamed(entry, kControlDataName)) || tableIsSafe(entry);
        });
    };

    // The listing.
    QSet<qint64> listed;
    QByteArray block;
    for (qint64 at = listingHead; at != kNoBlock;) {
        if (listed.contains(at) || !readBlock(at, &block) || !block.startsWith("PMGL") || !checkListingBlock(block))
            return false;
        listed.insert(at);
        at = qFromLittleEndian<qint32>(block.constData() + 0x10);
    }
    // The whole index, so that every lookup chmlib makes takes a path that was checked. The root may be a
    // listing block (a file without index blocks names none, or names the listing block).
    QList<qint64> pending{indexRoot <= kNoBlock ? listingHead : indexRoot};
    QSet<qint64> reached;
    const auto addChild = [&](const Entry& entry) {
        // chmlib takes the block number as an int.
        if (entry.space >= static_cast<quint64>(blockCount))
            return false;
        pending.append(static_cast<qint64>(entry.space));
        return true;
    };
    while (!pending.isEmpty()) {
        const qint64 at = pending.takeLast();
        if (at == kNoBlock)
            continue;
        if (reached.contains(at) || !readBlock(at, &block))
            return false;
        reached.insert(at);
        if (block.startsWith("PMGL")) {
            if (!listed.contains(at) && !checkListingBlock(block))
                return false;
        } else if (!block.startsWith("PMGI") || !forEachEntry(block, kIndexHeaderLength, 1, addChild)) {
            return false;
        }
    }
    return true;
}

// The compressed section's tables are a few kilobytes, as long as the section is large.
constexpr LONGUINT64 kMaxTableSize = 1024u * 1024u;
// LZX output comes in 32 KiB frames, the decoder starting afresh every few (two from every compiler). chmlib
// decompresses from the last fresh start before an object: a damaged count would decompress the whole section.
constexpr quint64 kLzxFrame = 0x8000;
constexpr quint64 kMaxFramesPerReset = 64;

// Record codes of the "/#SYSTEM" object.
constexpr quint16 kSystemContentsFile = 0;
constexpr quint16 kSystemIndexFile = 1;
constexpr quint16 kSystemDefaultTopic = 2;
constexpr quint16 kSystemTitle = 3;

// Reads a stored object whole; an empty one reads as 0 bytes, which is all of it.
bool retrieve(chmFile* h, chmUnitInfo* ui, QByteArray* out)
{
    out->resize(static_cast<qsizetype>(ui->length));
    return chm_retrieve_object(h, ui, reinterpret_cast<unsigned char*>(out->data()), 0,
                               static_cast<LONGINT64>(ui->length)) == static_cast<LONGINT64>(ui->length);
}

// Reads one of the compressed section's own tables, always stored uncompressed: one in the compressed section is
// damage, and reading it would start the decompressor before its parameters are checked.
bool readTable(chmFile* h, chmUnitInfo* ui, QByteArray* out)
{
    return ui->space == CHM_UNCOMPRESSED && ui->length <= kMaxTableSize && retrieve(h, ui, out);
}

// The LZX parameters: chmlib divides by values from them and sets its decoder up with the window size, unchecked.
bool controlDataIsSound(chmFile* h)
{
    chmUnitInfo ui;
    QByteArray raw;
    if (chm_resolve_object(h, kControlDataName, &ui) != CHM_RESOLVE_SUCCESS || ui.length < 24 ||
        !readTable(h, &ui, &raw))
        return false;
    const char* p = raw.constData();
    if (std::memcmp(p + 4, "LZXC", 4) != 0)
        return false;
    const quint32 version = qFromLittleEndian<quint32>(p + 8);
    quint64 resetInterval = qFromLittleEndian<quint32>(p + 12);
    quint64 windowSize = qFromLittleEndian<quint32>(p + 16);
    const quint64 windowsPerReset = qFromLittleEndian<quint32>(p + 20);
    if (version == 2) {
        resetInterval *= 0x8000;
        windowSize *= 0x8000;
    }
    // LZX windows are 2^15 to 2^21 bytes.
    if (windowSize < 0x8000 || windowSize > 0x200000 || (windowSize & (windowSize - 1)) != 0)
        return false;
    const quint64 half = windowSize / 2;
    return resetInterval != 0 && resetInterval % half == 0 && windowsPerReset != 0 &&
           resetInterval / half * windowsPerReset <= kMaxFramesPerReset;
}

// Checks the compressed section's tables before anything is read from it: the LZX parameters, and the reset table
// against the section, so no block chmlib reads is longer than its buffer (block length + 6144 bytes) or outside
// the section. A file without a compressed section has nothing to check.
bool compressedSectionIsSound(chmFile* h)
{
    chmUnitInfo table;
    chmUnitInfo content;
    if (chm_resolve_object(h, kResetTableName, &table) != CHM_RESOLVE_SUCCESS)
        return chm_resolve_object(h, kCompressedContentName, &content) != CHM_RESOLVE_SUCCESS;
    if (chm_resolve_object(h, kCompressedContentName, &content) != CHM_RESOLVE_SUCCESS ||
        content.space != CHM_UNCOMPRESSED || !controlDataIsSound(h))
        return false;
    QByteArray raw;
    if (table.length < 40 || !readTable(h, &table, &raw))
        return false;
    const char* p = raw.constData();

    const quint64 blockCount = qFromLittleEndian<quint32>(p + 4);
    const quint64 tableOffset = qFromLittleEndian<quint32>(p + 12);
    const quint64 compressedLength = qFromLittleEndian<quint64>(p + 24);
    const quint64 blockLength = qFromLittleEndian<quint64>(p + 32);
    if (blockLength != kLzxFrame || compressedLength > content.length)
        return false;
    if (tableOffset > table.length || blockCount > (table.length - tableOffset) / 8)
        return false;
    const quint64 maxBlock = blockLength + 6144;
    quint64 previous = 0;
    for (quint64 i = 0; i < blockCount; ++i) {
        const quint64 start = qFromLittleEndian<quint64>(p + tableOffset + i * 8);
        if (start < previous || start > compressedLength || (i > 0 && start - previous > maxBlock))
            return false;
        previous = start;
    }
    return blockCount == 0 || compressedLength - previous <= maxBlock;
}

// The paths that end in `suffix`, a regular expression, in their order.
QStringList endingIn(const QStringList& paths, const QString& suffix)
{
    return paths.filter(QRegularExpression(suffix + QStringLiteral("\\z"), QRegularExpression::CaseInsensitiveOption));
}

}  // namespace

ChmFile::~ChmFile()
{
    if (mHandle)
        chm_close(mHandle);
}

bool ChmFile::open(const QString& fileName)
{
    Q_ASSERT(!mHandle);
    // chm_open returns null for a missing file or a bad header; a directory or a device must not reach it at all.
    const QFileInfo info(fileName);
    if (!info.isFile() || !info.isReadable() || !chmIsSafeToOpen(fileName))
        return false;

    mHandle = chm_open(QFile::encodeName(fileName).constData());
    if (mHandle && !compressedSectionIsSound(mHandle))
        chm_close(std::exchange(mHandle, nullptr));
    if (!mHandle)
        return false;
    mFileName = fileName;
    readSystemRecords();
    // A file named in no record, or in one that names no stored file, is none (holds() is false for both).
    // Without a start page, the first of the usual ones that the file holds, else its first page.
    if (!holds(mDefaultTopic)) {
        static const char* const kStartPages[] = {"/index.html", "/index.htm", "/default.html", "/default.htm"};
        const auto found = std::find_if(std::begin(kStartPages), std::end(kStartPages),
                                        [this](const char* name) { return holds(QLatin1String(name)); });
        mDefaultTopic = found != std::end(kStartPages) ? QString::fromLatin1(*found) : pages().value(0);
    }
    // Older compilers name the contents and index files only in other records; the file is still there by name.
    if (!holds(mContentsFile))
        mContentsFile = endingIn(files(), QStringLiteral("\\.hhc")).value(0);
    if (!holds(mIndexFile))
        mIndexFile = endingIn(files(), QStringLiteral("\\.hhk")).value(0);
    return true;
}

void ChmFile::readSystemRecords()
{
    // Nothing when the file has no records (an empty read).
    const QByteArray sys = read(QStringLiteral("/#SYSTEM"));
    // A 32-bit version, then records of: 16-bit code, 16-bit length, data (little-endian). The records read
    // here hold names, which end at their first NUL.
    QHash<quint16, QByteArray> records;
    const qsizetype size = sys.size();
    qsizetype pos = 4;
    while (pos + 4 <= size) {
        const quint16 code = qFromLittleEndian<quint16>(sys.constData() + pos);
        const quint16 len = qFromLittleEndian<quint16>(sys.constData() + pos + 2);
        pos += 4;
        if (pos + len > size)
            break;
        if (!records.contains(code))
            records.insert(code, QByteArray(sys.constData() + pos, qstrnlen(sys.constData() + pos, len)));
        pos += len;
    }
    // Names are stored in UTF-8 by current compilers, in the Japanese code page by older ones.
    auto text = [&](quint16 code) { return QmrM::decodeUtf8OrCp932(records.value(code)).trimmed(); };
    auto path = [&](quint16 code) {
        const QString name = text(code);
        return name.isEmpty() ? QString() : normalizePath(name);
    };
    mDefaultTopic = path(kSystemDefaultTopic);
    mContentsFile = path(kSystemContentsFile);
    mIndexFile = path(kSystemIndexFile);
    mTitle = text(kSystemTitle);
}

QStringList ChmFile::pages() const
{
    return endingIn(files(), QStringLiteral("\\.html?"));
}

bool ChmFile::resolve(const QString& path, chmUnitInfo* ui) const
{
    if (!mHandle || path.isEmpty())
        return false;
    const QByteArray name = normalizePath(path).toUtf8();
    return name.size() <= CHM_MAX_PATHLEN && chm_resolve_object(mHandle, name.constData(), ui) == CHM_RESOLVE_SUCCESS;
}

bool ChmFile::holds(const QString& path) const
{
    chmUnitInfo ui;
    return resolve(path, &ui);
}

QByteArray ChmFile::read(const QString& path, bool* ok, qint64 maxSize) const
{
    chmUnitInfo ui;
    QByteArray data;
    const bool read = resolve(path, &ui) && ui.length <= static_cast<LONGUINT64>(qMax<qint64>(maxSize, 0)) &&
                      retrieve(mHandle, &ui, &data);
    if (ok)
        *ok = read;
    return read ? data : QByteArray();
}

QStringList ChmFile::files() const
{
    QStringList list;
    const auto collect = [](chmFile*, chmUnitInfo* ui, void* context) {
        const QString path = QString::fromUtf8(ui->path);
        if (path.startsWith(QLatin1Char('/')) && !path.endsWith(QLatin1Char('/')))
            static_cast<QStringList*>(context)->append(path);
        return CHM_ENUMERATOR_CONTINUE;
    };
    if (mHandle)
        chm_enumerate(mHandle, CHM_ENUMERATE_NORMAL | CHM_ENUMERATE_FILES, collect, &list);
    return list;
}

QString ChmFile::normalizePath(const QString& path)
{
    const QString p = QString(path).replace(QLatin1Char('\\'), QLatin1Char('/'));
    QString result = QDir::cleanPath(QLatin1Char('/') + p);
    // A ".." above the root stays at the root.
    while (result.startsWith(QLatin1String("/..")) && (result.size() == 3 || result[3] == QLatin1Char('/')))
        result.remove(0, 3);
    if (result.isEmpty())
        return QStringLiteral("/");
    if (p.endsWith(QLatin1Char('/')) && result.size() > 1)
        result += QLatin1Char('/');
    return result;
}

}  // namespace help
