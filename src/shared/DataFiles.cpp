#include "DataFiles.h"

#include "Errors.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

namespace {

// Qt reports the operating system's reason in English; say the common ones in Japanese.
QString plainReason(const QFileDevice& file)
{
    const QString reason = file.errorString();
    struct Known {
        const char* phrase;
        const char16_t* japanese;
    };
    static const Known known[] = {
        {"No space left", u"ディスクの空き容量が足りません"},
        {"Permission denied", u"アクセスが拒否されました"},
        {"Is a directory", u"同じ名前のフォルダーがあります"},
        {"No such file", u"ファイルまたはフォルダーが見つかりません"},
        {"Read-only file system", u"読み取り専用の場所です"},
        {"File too large", u"ファイルが大きすぎます"},
        {"File name too long", u"ファイル名が長すぎます"},
        {"Invalid argument", u"ファイル名に使えない文字があります"},
    };
    for (const Known& k : known) {
        if (reason.contains(QLatin1String(k.phrase), Qt::CaseInsensitive))
            return QString::fromUtf16(k.japanese);
    }
    return reason.isEmpty() ? QString() : QStringLiteral("原因: %1").arg(reason);
}

bool isFolder(const QString& fileName)
{
    return QFileInfo(fileName).isDir();
}

[[noreturn]] void fail(DataFileError::Kind kind, const QString& fileName, const QFileDevice& file)
{
    if (isFolder(fileName))
        throw DataFileError(kind, fileName, QStringLiteral("同じ名前のフォルダーがあります"));
    throw DataFileError(kind, fileName, plainReason(file));
}

}  // namespace

QString resolveDataFileName(const QString& name)
{
    if (QFileInfo::exists(name))
        return name;
    const QStringList entries = QDir::current().entryList(QDir::Files | QDir::Hidden | QDir::System);
    for (const QString& entry : entries) {
        if (entry.compare(name, Qt::CaseInsensitive) == 0)
            return entry;
    }
    return name;
}

QByteArray readWholeFile(const QString& fileName, bool* missing)
{
    QFile file(fileName);
    const bool exists = file.exists();
    if (missing)
        *missing = !exists;
    if (!exists)
        return QByteArray();
    if (isFolder(fileName))
        throw DataFileError(DataFileError::Open, fileName, QStringLiteral("同じ名前のフォルダーがあります"));
    if (!file.open(QIODevice::ReadOnly))
        fail(DataFileError::Open, fileName, file);
    QByteArray content = file.readAll();
    if (file.error() != QFileDevice::NoError)
        fail(DataFileError::Read, fileName, file);
    return content;
}

void replaceFileAtomically(const QString& fileName, const QByteArray& content)
{
    if (isFolder(fileName))
        throw DataFileError(DataFileError::Write, fileName, QStringLiteral("同じ名前のフォルダーがあります"));
    QSaveFile file(fileName);
    file.setDirectWriteFallback(false);
    if (!file.open(QIODevice::WriteOnly))
        fail(DataFileError::Write, fileName, file);
    if (file.write(content) != content.size()) {
        const QString reason = plainReason(file);
        file.cancelWriting();
        throw DataFileError(DataFileError::Write, fileName, reason);
    }
    if (!file.commit())
        fail(DataFileError::Write, fileName, file);
}

void appendToFile(const QString& fileName, const QByteArray& content)
{
    QFile file(fileName);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Append | QIODevice::Unbuffered))
        fail(DataFileError::Write, fileName, file);
    const qint64 sizeBefore = file.size();
    if (file.write(content) != content.size()) {
        const QString reason = plainReason(file);
        file.resize(sizeBefore);  // take back a partial record
        throw DataFileError(DataFileError::Write, fileName, reason);
    }
    file.close();
}

void createFileIfMissing(const QString& fileName)
{
    QFile file(fileName);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Append))
        fail(DataFileError::Write, fileName, file);
    file.close();
}

void truncateFile(const QString& fileName)
{
    QFile file(fileName);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate))
        fail(DataFileError::Write, fileName, file);
    file.close();
}

bool removeFile(const QString& fileName)
{
    return QFile::remove(fileName);
}
