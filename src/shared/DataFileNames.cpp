// SPDX-License-Identifier: GPL-3.0-or-later
#include "DataFileNames.h"

#include "DataFiles.h"
#include "Errors.h"
#include "TextEncoding.h"
#include "QmrM.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>

#include <algorithm>

namespace QmrM {

QString itemsFileName()
{
    return resolveDataFileName(kItemsFile);
}

QString settingsFileName()
{
    return resolveDataFileName(kSettingsFile);
}

QString historyFileName(const QString& itemName)
{
    return itemName + QStringLiteral(".txt");
}

namespace {

bool isDataFileName(const QString& fileName)
{
    return fileName.compare(kItemsFile, Qt::CaseInsensitive) == 0 ||
           fileName.compare(kSettingsFile, Qt::CaseInsensitive) == 0;
}

// Most file systems allow 255 bytes (Linux, UTF-8) or 255 UTF-16 units (Windows) per name.
bool isTooLongForAFileName(const QString& fileName)
{
    return fileName.toUtf8().size() > 255 || fileName.size() > 255;
}

}  // namespace

QString storedItemName(const QString& name)
{
    return cp932StoredForm(name).value_or(name);
}

std::optional<QString> itemNameProblem(const QString& name)
{
    if (name.contains(u'"'))
        return QCoreApplication::translate("QmrM", "項目名に \" (ダブルクォーテーション) は使えません。");
    static const QString forbidden = QStringLiteral("\\/:*?\"<>|");
    if (std::any_of(name.begin(), name.end(),
                    [](QChar c) { return c.unicode() < 0x20 || c.unicode() == 0x7F || forbidden.contains(c); }))
        return QCoreApplication::translate("QmrM", "項目名に次の文字は使えません。\n\\ / : * ? \" < > | と制御文字");
    for (qsizetype i = 0; i < name.size();) {
        const bool pair = name[i].isHighSurrogate() && i + 1 < name.size() && name[i + 1].isLowSurrogate();
        const char32_t code = pair ? QChar::surrogateToUcs4(name[i], name[i + 1]) : name[i].unicode();
        const qsizetype length = pair ? 2 : 1;
        const QString character = name.mid(i, length);
        if (cp932StoredForm(character) != character) {
            // The first character code page 932 cannot hold, as shown: a combining mark with its letter ("é").
            const QString shown = QChar::isMark(code) && i > 0 ? name.mid(i - 1, length + 1) : character;
            //: %1 is the character, %2 its code point in hexadecimal
            return QCoreApplication::translate("QmrM",
                                               "項目名に Shift-JIS で保存できない文字「%1」（U+%2）があります。")
                .arg(shown, QString::number(code, 16).toUpper().rightJustified(4, u'0'));
        }
        i += length;
    }
    const QString fileName = historyFileName(name);
    if (isDataFileName(fileName))
        return QCoreApplication::translate("QmrM", "「%1」はデータファイルと同じ名前になるため、項目名に使えません。")
            .arg(name);
    // Device names that Windows reserves whatever the extension. Compared without a regular expression: the
    // items are checked at every start, and the pattern engine would stay in memory through the wait.
    const QString upper = name.toUpper();
    static const QStringList devices = {QStringLiteral("CON"), QStringLiteral("PRN"), QStringLiteral("AUX"),
                                        QStringLiteral("NUL")};
    const bool numbered = upper.size() == 4 &&
                          (upper.startsWith(QLatin1String("COM")) || upper.startsWith(QLatin1String("LPT"))) &&
                          upper[3] >= u'1' && upper[3] <= u'9';
    if (devices.contains(upper) || numbered)
        return QCoreApplication::translate("QmrM", "「%1」は装置名のため、項目名に使えません。").arg(name);
    if (name == QLatin1String(".") || name == QLatin1String(".."))
        return QCoreApplication::translate("QmrM", "「%1」は項目名に使えません。").arg(name);
    if (isTooLongForAFileName(fileName))
        return QCoreApplication::translate("QmrM", "項目名が長すぎます。");
    return std::nullopt;
}

QString historyNameProblem(const QString& name)
{
    if (name.contains(u'/') || name.contains(u'\\') || name == QLatin1String("..") || name == QLatin1String("."))
        return QCoreApplication::translate("QmrM", "項目名にフォルダーの区切り文字があります");
    if (isDataFileName(historyFileName(name)))
        return QCoreApplication::translate("QmrM", "項目名の履歴ファイルがデータファイルと同じ名前になります");
    if (isTooLongForAFileName(historyFileName(name)))
        return QCoreApplication::translate("QmrM", "項目名が長すぎてファイル名にできません");
    return QString();
}

bool historyNameIsSafe(const QString& name)
{
    return historyNameProblem(name).isEmpty();
}

QString programFileAt(const QString& path)
{
    QString target;
    try {
        target = writeTarget(path);
    } catch (const DataFileError&) {
        return QString();  // a link no write follows leads nowhere
    }
    const QFileInfo info(target);
    // The loaders find a data file whatever the case of its name's letters, so the names are compared so too.
    const bool inDataFolder = isSameFile(info.absolutePath(), QDir::currentPath());
    // The program's own files: its data files and the histories of the registered items.
    QStringList names{kItemsFile, kSettingsFile, kOwnOptionsFile, kLockFile, kDeletionFile};
    for (int k = 1; k <= gKoumokuSu; ++k) {
        if (historyNameIsSafe(gKoumoku[k]))
            names.append(historyFileName(gKoumoku[k]));
    }
    for (const QString& name : std::as_const(names)) {
        if (inDataFolder && isTemporaryFileOf(info.fileName(), name))
            return info.fileName();
        if ((inDataFolder && info.fileName().compare(name, Qt::CaseInsensitive) == 0) ||
            isSameFile(target, resolveDataFileName(name)))
            return name;
    }
    return QString();
}

}  // namespace QmrM
