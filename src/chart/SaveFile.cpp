// SPDX-License-Identifier: GPL-3.0-or-later
#include "SaveFile.h"

#include "CsvExport.h"
#include "HistoryDates.h"

#include "platform/BackgroundWork.h"
#include "platform/Dialogs.h"
#include "platform/SingleInstance.h"
#include "shared/DataFiles.h"
#include "shared/Errors.h"
#include "shared/HistoryFile.h"
#include "shared/ItemNames.h"
#include "shared/QmrM.h"
#include "shared/Seams.h"

#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QFileInfo>
#include <QLineEdit>
#include <QStandardPaths>
#include <QCoreApplication>

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

// An export as long as this shows its progress from the start: the histories take a moment to read.
constexpr qint64 kLongExportFrom = 8 << 20;

std::filesystem::path toPath(const QString& path)
{
#ifdef Q_OS_WIN
    return std::filesystem::path(path.toStdWString());
#else
    return std::filesystem::path(QFile::encodeName(path).toStdString());
#endif
}

QString fromPath(const std::filesystem::path& path)
{
#ifdef Q_OS_WIN
    return QString::fromStdWString(path.wstring());
#else
    return QFile::decodeName(QByteArray::fromStdString(path.string()));
#endif
}

// The file a write to `path` reaches, found as the system finds it: the folders of the way with their links
// followed before a ".." is taken (…/link/../A.txt lies beside the link's target, not beside the link),
// then the file's own links, also to a file that does not exist yet. Unchanged when a folder on the way
// does not exist (the write fails there). A link of another user's is not followed (as no write of the
// program follows one): the path stops there, and `refusedLink` names it.
QString physicalTarget(const QString& path, QString* refusedLink = nullptr)
{
    // Made absolute as it stands: tidying "link/.." away first would be the mistake this avoids.
    std::filesystem::path file = toPath(QDir::isAbsolutePath(path) ? path : QDir::currentPath() + u'/' + path);
    for (int step = 0; step < 40; ++step) {  // a loop of links ends as the system's own lookup does
        std::error_code error;
        const std::filesystem::path folder = std::filesystem::canonical(file.parent_path(), error);
        if (error)
            return path;
        const std::filesystem::path here = folder / file.filename();
        if (!std::filesystem::is_symlink(here, error))
            return fromPath(here);
        const std::filesystem::path target = std::filesystem::read_symlink(here, error);
        if (error)
            return fromPath(here);
        if (!QmrM::mayFollowLink(fromPath(here))) {
            if (refusedLink)
                *refusedLink = fromPath(here);
            return fromPath(here);
        }
        file = target.is_absolute() ? target : folder / target;
    }
    return path;
}

// Whether two paths name the same file (links followed); false when either does not exist.
bool sameFile(const QString& a, const QString& b)
{
    std::error_code error;
    const bool same = std::filesystem::equivalent(toPath(a), toPath(b), error);
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
    const QString text = QCoreApplication::translate("Chart", "「%1」は既にあります。\n置き換えますか？")
                             .arg(QFileInfo(path).fileName());
    return platform::MsgBox(text, platform::vbOKCancel | platform::vbExclamation, title) == platform::vbOK;
}

// The data file of the program that a write to `path` would replace, as named in the data folder; empty
// when none.
QString dataFileAt(const QString& path)
{
    const QFileInfo target(physicalTarget(path));
    // The loaders find a data file whatever the case of its name's letters, so the names are compared so too.
    const bool inDataFolder = sameFile(target.absolutePath(), QDir::currentPath());
    for (const QString& name : dataFileNames()) {
        if (inDataFolder && target.fileName().compare(name, Qt::CaseInsensitive) == 0)
            return name;
        if (sameFile(target.filePath(), QmrM::resolveDataFileName(name)))
            return name;
    }
    return QString();
}

// The replacement of the file a write to `path` reaches (a link's target, so the link stays what the user
// made it). Throws DataFileError, before anything is written, where no such file can be written.
std::unique_ptr<QmrM::FileReplacement> replacementFor(const QString& path)
{
    QString refusedLink;
    const QString target = physicalTarget(path, &refusedLink);
    if (!refusedLink.isEmpty())
        throw QmrM::DataFileError(
            QmrM::DataFileError::Write, path,
            QCoreApplication::translate("Chart", "「%1」はほかのユーザーが作ったリンクのため、その先には書き込みません")
                .arg(refusedLink));
    const QFileInfo info(target);
    // Renaming over a device such as /dev/full would replace the device itself.
    if (info.exists() && !info.isFile() && !info.isDir())
        throw QmrM::DataFileError(QmrM::DataFileError::Write, path,
                                  QCoreApplication::translate("Chart", "書き出し先がふつうのファイルではありません"));
    return std::make_unique<QmrM::FileReplacement>(target);
}

void tellNothingWritten(const QmrM::DataFileError& error, const QString& title)
{
    //: %1 is why the file could not be written
    platform::MsgBox(
        QCoreApplication::translate("Chart", "%1\n書き出しは行われませんでした。").arg(error.description()),
        platform::vbExclamation, title);
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
            platform::MsgBox(
                QCoreApplication::translate("Chart",
                                            "「%1」は Quillmora のデータファイルなので、書き出し先にできません。\n"
                                            "別の名前か別のフォルダーを選んでください。")
                    .arg(dataFile),
                platform::vbExclamation, request.title);
            continue;
        }
        if (QFileInfo(physicalTarget(path)).isFile() && !askToReplace(path, request.title))
            continue;
        lastFolder() = folder;
        return path;
    }
}

bool writeWholeFile(const QString& path, const QByteArray& content, const QString& title)
{
    try {
        const auto file = replacementFor(path);
        file->write(content);
        file->commit();
        return true;
    } catch (const QmrM::DataFileError& error) {
        tellNothingWritten(error, title);
        return false;
    }
}

QString exportCsv(QWidget* caller, int item, bool* cancelled)
{
    const QStringList names = historyNamesFor(item);
    if (names.isEmpty()) {
        platform::MsgBox(QCoreApplication::translate("Chart", "書き出す項目がありません。"), platform::vbExclamation,
                         exportCsvTitle());
        return QString();
    }
    const QString stem = item == 0 ? QCoreApplication::translate("Chart", "全項目") : names.front();
    const QString path = chooseExportFile(
        caller, SaveRequest{exportCsvTitle(), stem + QStringLiteral(".csv"),
                            QCoreApplication::translate("Chart", "CSV ファイル (*.csv)"), QStringLiteral("csv")});
    if (path.isEmpty())
        return QString();
    std::vector<CsvItem> items;
    for (const QString& name : names)
        items.push_back(CsvItem{name, historyAnchor(name)});
    try {
        // Made first: a target that cannot be written is told before any history is read.
        const auto file = replacementFor(path);
        QmrM::Progress progress;
        bool written = false;
        platform::runWithProgress(
            caller, {exportCsvTitle(), QCoreApplication::translate("Chart", "CSV ファイルに書き出しています…")},
            progress, historyFilesSize(items) >= kLongExportFrom, [&] {
                const auto write = [&file](QByteArrayView piece) { file->write(piece); };
                if (writeCsv(items, write, &progress)) {
                    file->commit();
                    written = true;
                }
            });
        // Stopped by the user: the temporary file goes with the replacement, the old file stays.
        if (cancelled)
            *cancelled = !written && progress.cancelled;
        return written ? path : QString();
    } catch (const QmrM::DataFileError& error) {
        tellNothingWritten(error, exportCsvTitle());
        return QString();
    }
}

}  // namespace chart
