// SPDX-License-Identifier: GPL-3.0-or-later
#include "ChmDirectory.h"

#include <QByteArray>
#include <QFile>
#include <QList>
#include <QSet>

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
    const quint64 freeSpace = readLittleEndian(reinterpret_cast<const unsigned char*>(block.constData()) + 4, 4);
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
    // Every entry of the compressed section's tables met on either walk.
    const QList<Entry>& tableEntries() const { return mTableEntries; }
    quint64 dataOffset() const { return mDataOffset; }
    quint64 fileSize() const { return mFileSize; }

private:
    bool readBlock(qint64 index, QByteArray* block);
    bool checkListingBlock(const QByteArray& block);
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
    QList<Entry> mTableEntries;
};

bool RawDirectory::readHeaders()
{
    if (!mFile.seek(0))
        return false;
    const QByteArray file = mFile.read(kFileHeaderLength);
    if (file.size() != kFileHeaderLength || !file.startsWith("ITSF"))
        return false;
    const auto* f = reinterpret_cast<const unsigned char*>(file.constData());
    const quint64 version = readLittleEndian(f + 4, 4);
    if (version != 2 && version != 3)
        return false;
    const quint64 dirOffset = readLittleEndian(f + 0x48, 8);
    const quint64 dirLength = readLittleEndian(f + 0x50, 8);
    if (dirOffset > mFileSize || dirLength > mFileSize - dirOffset || dirLength < kDirectoryHeaderLength)
        return false;
    mDataOffset = version == 3 ? readLittleEndian(f + 0x58, 8) : dirOffset + dirLength;

    if (!mFile.seek(static_cast<qint64>(dirOffset)))
        return false;
    const QByteArray dir = mFile.read(kDirectoryHeaderLength);
    if (dir.size() != kDirectoryHeaderLength || !dir.startsWith("ITSP"))
        return false;
    const auto* d = reinterpret_cast<const unsigned char*>(dir.constData());
    if (readLittleEndian(d + 4, 4) != 1 || readLittleEndian(d + 8, 4) != kDirectoryHeaderLength)
        return false;
    mBlockLength = static_cast<quint32>(readLittleEndian(d + 0x10, 4));
    mIndexRoot = static_cast<qint32>(readLittleEndian(d + 0x1c, 4));
    mListingHead = static_cast<qint32>(readLittleEndian(d + 0x20, 4));
    if (mBlockLength < kListingHeaderLength || mBlockLength > kMaxDirectoryBlockLength)
        return false;
    mBlocksOffset = dirOffset + kDirectoryHeaderLength;
    mBlockCount = static_cast<qint64>((dirLength - kDirectoryHeaderLength) / mBlockLength);
    return mBlockCount > 0;
}

bool RawDirectory::readBlock(qint64 index, QByteArray* block)
{
    if (index < 0 || index >= mBlockCount || !mFile.seek(static_cast<qint64>(mBlocksOffset) + index * mBlockLength))
        return false;
    *block = mFile.read(mBlockLength);
    return block->size() == static_cast<qsizetype>(mBlockLength);
}

bool RawDirectory::checkListingBlock(const QByteArray& block)
{
    return forEachEntry(block, kListingHeaderLength, 3, [this](const Entry& entry) {
        if (isNamed(entry, kResetTableName) || isNamed(entry, kControlDataName))
            mTableEntries.append(entry);
        return true;
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
        at = static_cast<qint32>(readLittleEndian(reinterpret_cast<const unsigned char*>(block.constData()) + 0x10, 4));
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
// damaged control record, would end the process there.
bool tablesAreSafe(const RawDirectory& directory, QFile& file)
{
    const quint64 fileSize = directory.fileSize();
    const quint64 dataOffset = directory.dataOffset();
    for (const Entry& entry : directory.tableEntries()) {
        if (entry.space != CHM_UNCOMPRESSED)
            return false;
        if (!isNamed(entry, kControlDataName))
            continue;
        if (entry.length < 24 || entry.length > 4096 || entry.start > fileSize || dataOffset > fileSize - entry.start ||
            entry.length > fileSize - entry.start - dataOffset)
            return false;
        if (!file.seek(static_cast<qint64>(dataOffset + entry.start)))
            return false;
        const QByteArray record = file.read(24);
        if (record.size() != 24)
            return false;
        const auto* r = reinterpret_cast<const unsigned char*>(record.constData());
        quint32 window = static_cast<quint32>(readLittleEndian(r + 16, 4));
        if (readLittleEndian(r + 8, 4) == 2)
            window *= 0x8000u;  // chmlib scales it in 32 bits
        if (window / 2 == 0)
            return false;
    }
    return true;
}

}  // namespace

quint64 readLittleEndian(const unsigned char* p, int bytes)
{
    quint64 v = 0;
    for (int i = bytes - 1; i >= 0; --i)
        v = (v << 8) | p[i];
    return v;
}

bool chmIsSafeToOpen(const QString& fileName)
{
    QFile file(fileName);
    if (!file.open(QIODevice::ReadOnly))
        return false;
    RawDirectory directory(file);
    return directory.readHeaders() && directory.walkListing() && directory.walkIndex() &&
           tablesAreSafe(directory, file);
}

}  // namespace help
