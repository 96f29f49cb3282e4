// SPDX-License-Identifier: GPL-3.0-or-later
#include "SaveFile.h"

#include "CsvExport.h"
#include "HistoryDates.h"

#include "platform/Dialogs.h"
#include "platform/SingleInstance.h"
#include "shared/DataFiles.h"
#include "shared/Errors.h"
#include "shared/ItemNames.h"
#include "shared/QmrM.h"
#include "shared/Seams.h"

#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QLineEdit>
#include <QStandardPaths>

#include <filesystem>

namespace chart {
namespace {

// The folder the last export went to during this run.
QString& lastFolder()
{
    static QString folder;
    return folder;
}

// Where the save dialog opens: the folder last chosen, else the user's documents folder (or home).
QString exportFolder()
{
    if (!lastFolder().isEmpty() && QFileInfo(lastFolder()).isDir())
        return lastFolder();
    const QString documents = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
    return !documents.isEmpty() && QFileInfo(documents).isDir() ? documents : QDir::homePath();
}

// Qt's own dialog reads a name typed with double quotes as a list of quoted names ("a" "b") and keeps the
// first alone: `-x "q" ...` would become q. A save dialog takes one name, so a name typed with quotes is
// taken whole, in the folder shown, with the suffix added as the dialog adds it.
QString nameTypedWithQuotes(const QFileDialog& dialog, const QString& suffix)
{
    const auto* typed = dialog.findChild<QLineEdit*>(QStringLiteral("fileNameEdit"));
    if (!typed || !typed->text().contains(u'"'))
        return QString();
    QString path = dialog.directory().absoluteFilePath(typed->text());
    if (!suffix.isEmpty() && !QFileInfo(path).fileName().contains(u'.'))
        path += u'.' + suffix;
    return path;
}

QString askWithQtDialog(QWidget* parent, const SaveRequest& request, const QString& suggested)
{
    QFileDialog dialog(parent, request.title, suggested, request.filter);
    dialog.setObjectName(QStringLiteral("SaveFileDialog"));
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setFileMode(QFileDialog::AnyFile);
    dialog.setDefaultSuffix(request.suffix);
    // Replacing a file is asked after the data files are refused, through the program's own box.
    dialog.setOption(QFileDialog::DontConfirmOverwrite);
    if (dialog.exec() != QDialog::Accepted)
        return QString();
    const QString quoted = nameTypedWithQuotes(dialog, request.suffix);
    return quoted.isEmpty() ? dialog.selectedFiles().value(0) : quoted;
}

QString askSaveFileName(QWidget* parent, const SaveRequest& request, const QString& suggested)
{
    if (const auto& replacement = QmrM::seams().saveFileName)
        return replacement(request.title, suggested, request.filter);
    return askWithQtDialog(parent, request, suggested);
}

// Whether two paths name the same file (links followed); false when either does not exist.
bool sameFile(const QString& a, const QString& b)
{
    std::error_code error;
    const bool same = std::filesystem::equivalent(QFileInfo(a).filesystemAbsoluteFilePath(),
                                                  QFileInfo(b).filesystemAbsoluteFilePath(), error);
    return same && !error;
}

// The names of the program's files in the data folder: the items list, the settings, the lock and the
// history of every registered item.
QStringList dataFileNames()
{
    QStringList names{QmrM::kItemsFile, QmrM::kSettingsFile, platform::SingleInstance::kLockFileName};
    for (int k = 1; k <= QmrM::gKoumokuSu; ++k) {
        if (QmrM::historyNameIsSafe(QmrM::gKoumoku[k]))
            names.append(QmrM::historyFileName(QmrM::gKoumoku[k]));
    }
    return names;
}

bool askToReplace(const QString& path, const QString& title)
{
    const QString text = QStringLiteral("「%1」は既にあります。\n置き換えますか？").arg(QFileInfo(path).fileName());
    return platform::MsgBox(text, platform::vbOKCancel | platform::vbExclamation, title) == platform::vbOK;
}

// The data file of the program that `path` would replace, as named in the data folder; empty when none.
QString dataFileAt(const QString& path)
{
    const QFileInfo target(path);
    // The loaders find a data file whatever the case of its name's letters, so the names are compared so too.
    const bool inDataFolder = sameFile(target.absolutePath(), QDir::currentPath());
    for (const QString& name : dataFileNames()) {
        if (inDataFolder && target.fileName().compare(name, Qt::CaseInsensitive) == 0)
            return name;
        if (sameFile(path, QmrM::resolveDataFileName(name)))
            return name;
    }
    return QString();
}

// The file the bytes go to: a link's target, so the link stays what the user made it.
QString resolvedTarget(const QString& path)
{
    const QFileInfo info(path);
    if (info.isSymLink()) {
        const QString target = info.canonicalFilePath();
        if (!target.isEmpty())
            return target;
    }
    return path;
}

}  // namespace

QString chooseExportFile(QWidget* parent, const SaveRequest& request)
{
    QString folder = exportFolder();
    for (;;) {
        const QString path = askSaveFileName(parent, request, QDir(folder).filePath(request.suggestedName));
        if (path.isEmpty())
            return QString();
        folder = QFileInfo(path).absolutePath();
        if (const QString dataFile = dataFileAt(path); !dataFile.isEmpty()) {
            platform::MsgBox(QStringLiteral("「%1」は Quillmora のデータファイルなので、書き出し先にできません。\n"
                                            "別の名前か別のフォルダーを選んでください。")
                                 .arg(dataFile),
                             platform::vbExclamation, request.title);
            continue;
        }
        if (QFileInfo(path).isFile() && !askToReplace(path, request.title))
            continue;
        lastFolder() = folder;
        return path;
    }
}

bool writeWholeFile(const QString& path, const QByteArray& content, const QString& title)
{
    const QString target = resolvedTarget(path);
    try {
        const QFileInfo info(target);
        // Renaming over a device such as /dev/full would replace the device itself.
        if (info.exists() && !info.isFile() && !info.isDir())
            throw QmrM::DataFileError(QmrM::DataFileError::Write, path,
                                      QStringLiteral("書き出し先がふつうのファイルではありません"));
        QmrM::replaceFileAtomically(target, content);
        return true;
    } catch (const QmrM::DataFileError& error) {
        platform::MsgBox(error.description() + QStringLiteral("\n書き出しは行われませんでした。"),
                         platform::vbExclamation, title);
        return false;
    }
}

QString exportCsv(QWidget* caller, int item)
{
    const QStringList names = historyNamesFor(item);
    if (names.isEmpty()) {
        platform::MsgBox(QStringLiteral("書き出す項目がありません。"), platform::vbExclamation, kExportCsvTitle);
        return QString();
    }
    const QString stem = item == 0 ? QStringLiteral("全項目") : names.front();
    const QString path =
        chooseExportFile(caller, SaveRequest{kExportCsvTitle, stem + QStringLiteral(".csv"),
                                             QStringLiteral("CSV ファイル (*.csv)"), QStringLiteral("csv")});
    if (path.isEmpty())
        return QString();
    std::vector<ItemHistory> histories;
    try {
        for (const QString& name : names)
            histories.push_back(readItemHistory(name));
    } catch (const QmrM::DataFileError& error) {
        platform::MsgBox(error.description() + QStringLiteral("\n書き出しは行われませんでした。"),
                         platform::vbExclamation, kExportCsvTitle);
        return QString();
    }
    return writeWholeFile(path, csvBytes(histories), kExportCsvTitle) ? path : QString();
}

}  // namespace chart
