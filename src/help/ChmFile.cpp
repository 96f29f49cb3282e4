// SPDX-License-Identifier: GPL-3.0-or-later
#include "ChmFile.h"

#include "ChmDirectory.h"
#include "shared/TextEncoding.h"

#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QtEndian>

#include <chm_lib.h>

#include <cstring>

namespace help {

namespace {

// The compressed section's tables are a few kilobytes, as long as the section is large.
constexpr LONGUINT64 kMaxTableSize = 1024u * 1024u;
// LZX output comes in frames of 32 KiB, and the decoder starts afresh every few frames (every two in
// every compiler's output). To reach an object chmlib decompresses from the last fresh start before it:
// a damaged count would make it decompress up to the whole section for every object read.
constexpr quint64 kLzxFrame = 0x8000;
constexpr quint64 kMaxFramesPerReset = 64;

// Record codes of the "/#SYSTEM" object.
constexpr quint16 kSystemContentsFile = 0;
constexpr quint16 kSystemIndexFile = 1;
constexpr quint16 kSystemDefaultTopic = 2;
constexpr quint16 kSystemTitle = 3;

bool isPagePath(const QString& path)
{
    return path.endsWith(QLatin1String(".htm"), Qt::CaseInsensitive) ||
           path.endsWith(QLatin1String(".html"), Qt::CaseInsensitive);
}

// Reads one of the compressed section's own tables, which are always stored uncompressed;
// an entry that places one in the compressed section is damage, and reading it would start
// the decompressor before its parameters are checked.
bool readTable(chmFile* h, chmUnitInfo* ui, QByteArray* out)
{
    if (ui->space != CHM_UNCOMPRESSED || ui->length > kMaxTableSize)
        return false;
    out->resize(static_cast<qsizetype>(ui->length));
    return chm_retrieve_object(h, ui, reinterpret_cast<unsigned char*>(out->data()), 0,
                               static_cast<LONGINT64>(ui->length)) == static_cast<LONGINT64>(ui->length);
}

// The LZX parameters: chmlib divides by values derived from them and sets its decoder up
// with the window size, without checking either.
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

// Checks the compressed section's tables before anything is read from it: the LZX
// parameters, and the reset table against the section, so that no block read by chmlib can
// be longer than the buffer it reads into (block length + 6144 bytes) or lie outside the
// section. A file without a compressed section has nothing to check.
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

int collectFile(chmFile*, chmUnitInfo* ui, void* context)
{
    auto* list = static_cast<QStringList*>(context);
    const QString path = QString::fromUtf8(ui->path);
    if (path.startsWith(QLatin1Char('/')) && !path.endsWith(QLatin1Char('/')))
        list->append(path);
    return CHM_ENUMERATOR_CONTINUE;
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
    // chm_open returns null for a missing file or a bad header; a directory or a device
    // must not reach it at all.
    const QFileInfo info(fileName);
    if (!info.isFile() || !info.isReadable() || !chmIsSafeToOpen(fileName))
        return false;

    mHandle = chm_open(QFile::encodeName(fileName).constData());
    if (!mHandle)
        return false;
    if (!compressedSectionIsSound(mHandle)) {
        chm_close(mHandle);
        mHandle = nullptr;
        return false;
    }
    mFileName = fileName;
    readSystemRecords();
    if (mDefaultTopic.isEmpty() || !contains(mDefaultTopic))
        mDefaultTopic = fallbackTopic();
    // Older compilers name the contents and index files only in other records; the file
    // itself is still there under its own name.
    if (mContentsFile.isEmpty() || !contains(mContentsFile))
        mContentsFile = storedFileEndingIn(QStringLiteral(".hhc"));
    if (mIndexFile.isEmpty() || !contains(mIndexFile))
        mIndexFile = storedFileEndingIn(QStringLiteral(".hhk"));
    return true;
}

void ChmFile::readSystemRecords()
{
    bool ok = false;
    const QByteArray sys = read(QStringLiteral("/#SYSTEM"), &ok);
    if (!ok)
        return;
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

QString ChmFile::storedFileEndingIn(const QString& suffix) const
{
    for (const QString& path : files()) {
        if (path.endsWith(suffix, Qt::CaseInsensitive))
            return path;
    }
    return QString();
}

QStringList ChmFile::pages() const
{
    QStringList list;
    for (const QString& path : files()) {
        if (isPagePath(path))
            list.append(path);
    }
    return list;
}

QString ChmFile::fallbackTopic() const
{
    static const char* const kCandidates[] = {"/index.html", "/index.htm", "/default.html", "/default.htm"};
    for (const char* name : kCandidates) {
        if (contains(QLatin1String(name)))
            return QLatin1String(name);
    }
    return pages().value(0);
}

bool ChmFile::resolve(const QString& path, chmUnitInfo* ui) const
{
    if (!mHandle || path.isEmpty())
        return false;
    const QByteArray name = normalizePath(path).toUtf8();
    return name.size() <= CHM_MAX_PATHLEN && chm_resolve_object(mHandle, name.constData(), ui) == CHM_RESOLVE_SUCCESS;
}

bool ChmFile::contains(const QString& path) const
{
    chmUnitInfo ui;
    return resolve(path, &ui);
}

QByteArray ChmFile::read(const QString& path, bool* ok, qint64 maxSize) const
{
    if (ok)
        *ok = false;
    chmUnitInfo ui;
    if (!resolve(path, &ui) || ui.length > static_cast<LONGUINT64>(qMax<qint64>(maxSize, 0)))
        return QByteArray();
    QByteArray data;
    data.resize(static_cast<qsizetype>(ui.length));
    if (ui.length > 0) {
        const LONGINT64 got = chm_retrieve_object(mHandle, &ui, reinterpret_cast<unsigned char*>(data.data()), 0,
                                                  static_cast<LONGINT64>(ui.length));
        if (got != static_cast<LONGINT64>(ui.length))
            return QByteArray();
    }
    if (ok)
        *ok = true;
    return data;
}

QStringList ChmFile::files() const
{
    QStringList list;
    if (mHandle)
        chm_enumerate(mHandle, CHM_ENUMERATE_NORMAL | CHM_ENUMERATE_FILES, collectFile, &list);
    return list;
}

QString ChmFile::normalizePath(const QString& path)
{
    QString p = path;
    p.replace(QLatin1Char('\\'), QLatin1Char('/'));
    QStringList out;
    for (const QString& seg : p.split(QLatin1Char('/'), Qt::SkipEmptyParts)) {
        if (seg == QLatin1String("."))
            continue;
        if (seg == QLatin1String("..")) {
            if (!out.isEmpty())
                out.removeLast();
            continue;
        }
        out.append(seg);
    }
    QString result = QLatin1Char('/') + out.join(QLatin1Char('/'));
    if (p.endsWith(QLatin1Char('/')) && !out.isEmpty())
        result += QLatin1Char('/');
    return result;
}

}  // namespace help
