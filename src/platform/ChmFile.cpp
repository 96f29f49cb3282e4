#include "ChmFile.h"

#include <QFile>
#include <QStringDecoder>

#include <chm_lib.h>
#include <iconv.h>

#include <cerrno>
#include <cstring>

namespace platform {

namespace {

// Objects larger than this are refused: a help page or picture is never near it, and a
// damaged directory entry must not make us allocate gigabytes.
constexpr LONGUINT64 kMaxObjectSize = 64u * 1024u * 1024u;

// LZX section objects: chmlib takes the bounds of each compressed block from the reset table
// and trusts them, reading past its block buffer when the table is damaged.
const char* const kResetTable =
    "::DataSpace/Storage/MSCompressed/Transform/{7FC28940-9D31-11D0-9B27-00A0C91E9C7C}/InstanceData/ResetTable";
const char* const kCompressedContent = "::DataSpace/Storage/MSCompressed/Content";

// Record codes of the "/#SYSTEM" object.
constexpr quint16 kSystemDefaultTopic = 2;

QString decodeStoredName(const QByteArray& bytes)
{
    // Names are stored in UTF-8 by current compilers; older files use the ANSI code page of
    // the file's language, which for our Japanese help is CP932.
    QStringDecoder utf8(QStringDecoder::Utf8);
    QString text = utf8(bytes);
    if (!utf8.hasError())
        return text;
    bool ok = false;
    text = decodeCharset(bytes, "CP932", &ok);
    return ok ? text : QString::fromLatin1(bytes);
}

bool isPagePath(const QString& path)
{
    return path.endsWith(QLatin1String(".htm"), Qt::CaseInsensitive)
        || path.endsWith(QLatin1String(".html"), Qt::CaseInsensitive);
}

quint64 readLe(const unsigned char* p, int bytes)
{
    quint64 v = 0;
    for (int i = bytes - 1; i >= 0; --i)
        v = (v << 8) | p[i];
    return v;
}

// Checks the reset table against the compressed section, so that no block read by chmlib can
// be longer than the buffer it reads into (block length + 6144 bytes) or lie outside the
// section. A file without a compressed section has nothing to check.
bool resetTableIsSound(chmFile* h)
{
    chmUnitInfo table;
    chmUnitInfo content;
    if (chm_resolve_object(h, kResetTable, &table) != CHM_RESOLVE_SUCCESS)
        return chm_resolve_object(h, kCompressedContent, &content) != CHM_RESOLVE_SUCCESS;
    if (chm_resolve_object(h, kCompressedContent, &content) != CHM_RESOLVE_SUCCESS)
        return false;
    if (table.length < 40 || table.length > kMaxObjectSize)
        return false;

    QByteArray raw(static_cast<qsizetype>(table.length), Qt::Uninitialized);
    auto* p = reinterpret_cast<unsigned char*>(raw.data());
    if (chm_retrieve_object(h, &table, p, 0, static_cast<LONGINT64>(table.length)) != static_cast<LONGINT64>(table.length))
        return false;

    const quint64 blockCount = readLe(p + 4, 4);
    const quint64 tableOffset = readLe(p + 12, 4);
    const quint64 compressedLength = readLe(p + 24, 8);
    const quint64 blockLength = readLe(p + 32, 8);
    if (blockLength == 0 || blockLength > 0x200000 || compressedLength > content.length)
        return false;
    if (tableOffset > table.length || blockCount > (table.length - tableOffset) / 8)
        return false;
    const quint64 maxBlock = blockLength + 6144;
    quint64 previous = 0;
    for (quint64 i = 0; i < blockCount; ++i) {
        const quint64 start = readLe(p + tableOffset + i * 8, 8);
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

QString decodeCharset(const QByteArray& bytes, const QByteArray& charset, bool* ok)
{
    if (ok)
        *ok = false;
    iconv_t cd = iconv_open("UTF-8", charset.constData());
    if (cd == reinterpret_cast<iconv_t>(-1))
        return QString();

    QByteArray out;
    out.resize(bytes.size() * 3 + 16);
    // iconv's interface is not const-correct; it never writes through the input pointer.
    char* in = const_cast<char*>(bytes.constData());
    size_t inLeft = static_cast<size_t>(bytes.size());
    char* dst = out.data();
    size_t outLeft = static_cast<size_t>(out.size());
    bool good = true;
    while (inLeft > 0) {
        if (iconv(cd, &in, &inLeft, &dst, &outLeft) != static_cast<size_t>(-1))
            continue;
        if (errno == E2BIG) {
            const qsizetype used = dst - out.data();
            out.resize(out.size() * 2);
            dst = out.data() + used;
            outLeft = static_cast<size_t>(out.size() - used);
            continue;
        }
        good = false;  // EILSEQ or EINVAL: invalid or truncated sequence
        break;
    }
    iconv_close(cd);
    out.truncate(dst - out.data());
    if (ok)
        *ok = good;
    return QString::fromUtf8(out);
}

ChmFile::ChmFile(const QString& fileName)
{
    open(fileName);
}

ChmFile::~ChmFile()
{
    close();
}

bool ChmFile::open(const QString& fileName)
{
    close();
    // chm_open prints nothing and returns null for a missing file or a bad header; check
    // for a plain readable file first so a directory name never reaches it.
    QFile probe(fileName);
    if (!probe.exists() || !probe.open(QIODevice::ReadOnly))
        return false;
    probe.close();

    m_handle = chm_open(QFile::encodeName(fileName).constData());
    if (!m_handle)
        return false;
    if (!resetTableIsSound(m_handle)) {
        chm_close(m_handle);
        m_handle = nullptr;
        return false;
    }
    m_fileName = fileName;
    m_defaultTopic = readDefaultTopicRecord();
    if (m_defaultTopic.isEmpty() || !contains(m_defaultTopic))
        m_defaultTopic = fallbackTopic();
    return true;
}

void ChmFile::close()
{
    if (m_handle)
        chm_close(m_handle);
    m_handle = nullptr;
    m_fileName.clear();
    m_defaultTopic.clear();
}

QString ChmFile::defaultTopic() const
{
    return m_defaultTopic;
}

QString ChmFile::readDefaultTopicRecord() const
{
    bool ok = false;
    const QByteArray sys = read(QStringLiteral("/#SYSTEM"), &ok);
    if (!ok)
        return QString();
    // A 32-bit version, then records of: 16-bit code, 16-bit length, data (little-endian).
    const auto* p = reinterpret_cast<const unsigned char*>(sys.constData());
    const qsizetype size = sys.size();
    qsizetype pos = 4;
    while (pos + 4 <= size) {
        const quint16 code = static_cast<quint16>(p[pos] | (p[pos + 1] << 8));
        const quint16 len = static_cast<quint16>(p[pos + 2] | (p[pos + 3] << 8));
        pos += 4;
        if (pos + len > size)
            break;
        if (code == kSystemDefaultTopic) {
            QByteArray value(sys.constData() + pos, len);
            const qsizetype nul = value.indexOf('\0');
            if (nul >= 0)
                value.truncate(nul);
            const QString topic = decodeStoredName(value).trimmed();
            return topic.isEmpty() ? QString() : normalizePath(topic);
        }
        pos += len;
    }
    return QString();
}

QString ChmFile::fallbackTopic() const
{
    static const char* const kCandidates[] = {"/index.html", "/index.htm", "/default.html", "/default.htm"};
    for (const char* name : kCandidates) {
        if (contains(QLatin1String(name)))
            return QLatin1String(name);
    }
    for (const QString& path : files()) {
        if (isPagePath(path))
            return path;
    }
    return QString();
}

bool ChmFile::contains(const QString& path) const
{
    if (!m_handle || path.isEmpty())
        return false;
    chmUnitInfo ui;
    const QByteArray name = normalizePath(path).toUtf8();
    return chm_resolve_object(m_handle, name.constData(), &ui) == CHM_RESOLVE_SUCCESS;
}

QByteArray ChmFile::read(const QString& path, bool* ok) const
{
    if (ok)
        *ok = false;
    if (!m_handle || path.isEmpty())
        return QByteArray();
    const QByteArray name = normalizePath(path).toUtf8();
    if (name.size() > CHM_MAX_PATHLEN)
        return QByteArray();
    chmUnitInfo ui;
    if (chm_resolve_object(m_handle, name.constData(), &ui) != CHM_RESOLVE_SUCCESS)
        return QByteArray();
    if (ui.length > kMaxObjectSize)
        return QByteArray();
    QByteArray data;
    data.resize(static_cast<qsizetype>(ui.length));
    if (ui.length > 0) {
        const LONGINT64 got = chm_retrieve_object(m_handle, &ui, reinterpret_cast<unsigned char*>(data.data()), 0,
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
    if (m_handle)
        chm_enumerate(m_handle, CHM_ENUMERATE_NORMAL | CHM_ENUMERATE_FILES, collectFile, &list);
    return list;
}

QString ChmFile::normalizePath(const QString& path)
{
    QString p = path;
    p.replace(QLatin1Char('\\'), QLatin1Char('/'));
    for (qsizetype i = 0; i < p.size(); ++i) {
        if (p.at(i) == QLatin1Char('#') || p.at(i) == QLatin1Char('?')) {
            p.truncate(i);
            break;
        }
    }
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

}  // namespace platform
