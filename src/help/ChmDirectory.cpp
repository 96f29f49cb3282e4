// SPDX-License-Identifier: GPL-3.0-or-later
#include "ChmDirectory.h"

#include <QByteArray>
#include <QFile>
#include <QList>
#include <QSet>
#include <QtEndian>

#include <chm_lib.h>

namespace help {

namespace {

// chm_open reads this much of the file header, whatever its version, and this much of the
// directory header, which must say this length.
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

// The entries of a block, from its header to the free space at its end: a name, then `values`
// numbers (section, offset and length in a listing block; the block listing the name in an index
// block). chmlib reads each entry whole without looking where the block ends, copies the name into
// a buffer of CHM_MAX_PATHLEN and takes the last letter of the name before its first, so each must
// end inside the part in use and have a name of 1 to CHM_MAX_PATHLEN bytes.
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

// The directory as chmlib walks it: its listing from the first listing block along the chain of
// next blocks (the file list), and its lookups from the root block down the index (every name
// resolved). chmlib follows both without looking where they lead: a chain that comes back to a block
// it has read makes it loop forever, and a block number outside the directory makes it read from
// elsewhere in the file.
class RawDirectory {
public:
    explicit RawDirectory(QFile& file) : mFile(file), mFileSize(static_cast<quint64>(file.size())) {}

    bool readHeaders();
    bool walkListing();
    bool walkIndex();

private:
    bool readBlock(qint64 index, QByteArray* block);
    bool tableIsSafe(const Entry& entry) const;
    bool checkListingBlock(const QByteArray& block) const;
    bool indexChildren(const QByteArray& block, QList<qint64>* children) const;

    QFile& mFile;
    quint64 mFileSize = 0;
    quint64 mDataOffset = 0;
    quint64 mBlocksOffset = 0;
    quint32 mBlockLength = 0;
    qint64 mBlockCount = 0;
    qint32 mIndexRoot = kNoBlock;
    qint32 mListingHead = kNoBlock;
    QSet<qint64> mListed;
};

bool RawDirectory::readHeaders()
{
    QByteArray file;
    if (!readAt(mFile, 0, kFileHeaderLength, &file) || !file.startsWith("ITSF"))
        return false;
    const char* f = file.constData();
    const quint32 version = qFromLittleEndian<quint32>(f + 4);
    if (version != 2 && version != 3)
        return false;
    const quint64 dirOffset = qFromLittleEndian<quint64>(f + 0x48);
    const quint64 dirLength = qFromLittleEndian<quint64>(f + 0x50);
    if (dirOffset > mFileSize || dirLength > mFileSize - dirOffset || dirLength < kDirectoryHeaderLength)
        return false;
    mDataOffset = version == 3 ? qFromLittleEndian<quint64>(f + 0x58) : dirOffset + dirLength;

    QByteArray dir;
    if (!readAt(mFile, dirOffset, kDirectoryHeaderLength, &dir) || !dir.startsWith("ITSP"))
        return false;
    const char* d = dir.constData();
    if (qFromLittleEndian<quint32>(d + 4) != 1 || qFromLittleEndian<quint32>(d + 8) != kDirectoryHeaderLength)
        return false;
    mBlockLength = qFromLittleEndian<quint32>(d + 0x10);
    mIndexRoot = qFromLittleEndian<qint32>(d + 0x1c);
    mListingHead = qFromLittleEndian<qint32>(d + 0x20);
    if (mBlockLength < kListingHeaderLength || mBlockLength > kMaxDirectoryBlockLength)
        return false;
    mBlocksOffset = dirOffset + kDirectoryHeaderLength;
    mBlockCount = static_cast<qint64>((dirLength - kDirectoryHeaderLength) / mBlockLength);
    return mBlockCount > 0;
}

bool RawDirectory::readBlock(qint64 index, QByteArray* block)
{
    return index >= 0 && index < mBlockCount &&
           readAt(mFile, mBlocksOffset + static_cast<quint64>(index) * mBlockLength, mBlockLength, block);
}

bool RawDirectory::checkListingBlock(const QByteArray& block) const
{
    return forEachEntry(block, kListingHeaderLength, 3, [this](const Entry& entry) {
        return (!isNamed(entry, kResetTableName) && !isNamed(entry, kControlDataName)) || tableIsSafe(entry);
    });
}

bool RawDirectory::indexChildren(const QByteArray& block, QList<qint64>* children) const
{
    return forEachEntry(block, kIndexHeaderLength, 1, [&](const Entry& entry) {
        // chmlib takes the block number as an int.
        if (entry.space >= static_cast<quint64>(mBlockCount))
            return false;
        children->append(static_cast<qint64>(entry.space));
        return true;
    });
}

bool RawDirectory::walkListing()
{
    QByteArray block;
    for (qint64 at = mListingHead; at != kNoBlock;) {
        if (mListed.contains(at) || !readBlock(at, &block) || !block.startsWith("PMGL") || !checkListingBlock(block))
            return false;
        mListed.insert(at);
        at = qFromLittleEndian<qint32>(block.constData() + 0x10);
    }
    return true;
}

// Walks the whole index, so that every lookup chmlib makes takes a path that was checked. The root
// may be a listing block (a file without index blocks names none, or names the listing block).
bool RawDirectory::walkIndex()
{
    QList<qint64> pending{mIndexRoot <= kNoBlock ? mListingHead : mIndexRoot};
    QSet<qint64> reached;
    QByteArray block;
    while (!pending.isEmpty()) {
        const qint64 at = pending.takeLast();
        if (at == kNoBlock)
            continue;
        if (reached.contains(at) || !readBlock(at, &block))
            return false;
        reached.insert(at);
        if (block.startsWith("PMGL")) {
            if (!mListed.contains(at) && !checkListingBlock(block))
                return false;
        } else if (!block.startsWith("PMGI") || !indexChildren(block, &pending)) {
            return false;
        }
    }
    return true;
}

// The compressed section's tables: chm_open reads the reset table and the LZX control data through
// the general object reader before it knows the LZX parameters, and then divides by half the window
// size even when it has just found the record unusable. A table in the compressed section, or a
// damaged control record, would end the process there. Each entry of a table is checked where either
// walk meets it.
bool RawDirectory::tableIsSafe(const Entry& entry) const
{
    if (entry.space != CHM_UNCOMPRESSED)
        return false;
    if (!isNamed(entry, kControlDataName))
        return true;
    QByteArray record;
    if (entry.length < 24 || entry.length > 4096 || entry.start > mFileSize || mDataOffset > mFileSize - entry.start ||
        entry.length > mFileSize - entry.start - mDataOffset || !readAt(mFile, mDataOffset + entry.start, 24, &record))
        return false;
    quint32 window = qFromLittleEndian<quint32>(record.constData() + 16);
    if (qFromLittleEndian<quint32>(record.constData() + 8) == 2)
        window *= 0x8000u;  // chmlib scales it in 32 bits
    return window / 2 != 0;
}

}  // namespace

bool chmIsSafeToOpen(const QString& fileName)
{
    QFile file(fileName);
    if (!file.open(QIODevice::ReadOnly))
        return false;
    RawDirectory directory(file);
    return directory.readHeaders() && directory.walkListing() && directory.walkIndex();
}

}  // namespace help
