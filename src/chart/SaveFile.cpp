// SPDX-License-Identifier: GPL-3.0-or-later
#include "SaveFile.h"

#include "CsvExport.h"
#include "DailyHistories.h"

#include "platform/BackgroundWork.h"
#include "platform/Dialogs.h"
#include "shared/DataFiles.h"
#include "shared/Errors.h"
#include "shared/Seams.h"

#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QLineEdit>
#include <QStandardPaths>
#include <QCoreApplication>

namespace chart {
namespace {

// Where the save dialog opens: the folder last chosen, else the user's documents folder (or home).
QString exportFolder(const QString& lastFolder)
{
    if (!lastFolder.isEmpty() && QFileInfo(lastFolder).isDir())
        return lastFolder;
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

QString askSaveFileName(QWidget* parent, const SaveRequest& request, const QString& suggested)
{
    if (const auto& replacement = QmrM::seams().saveFileName)
        return replacement(request.title, suggested, request.filter);
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

// An export as long as this shows its progress from the start: the histories take a moment to read.
constexpr qint64 kLongExportFrom = 8 << 20;

// Whether a write to `path` replaces a file; a link that no write follows leads to none.
bool replacesAFile(const QString& path)
{
    try {
        return QFileInfo(QmrM::writeTarget(path)).isFile();
    } catch (const QmrM::DataFileError&) {
        return false;
    }
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
    static QString lastFolder;  // the folder the last export went to during this run
    QString folder = exportFolder(lastFolder);
    for (;;) {
        const QString path = askSaveFileName(parent, request, QDir(folder).filePath(request.suggestedName));
        if (path.isEmpty())
            return QString();
        folder = QFileInfo(path).absolutePath();
        if (const QString dataFile = QmrM::programFileAt(path); !dataFile.isEmpty()) {
            platform::MsgBox(
                QCoreApplication::translate("Chart",
                                            "「%1」は Quillmora のデータファイルなので、書き出し先にできません。\n"
                                            "別の名前か別のフォルダーを選んでください。")
                    .arg(dataFile),
                platform::vbExclamation, request.title);
            continue;
        }
        if (replacesAFile(path) &&
            platform::MsgBox(QCoreApplication::translate("Chart", "「%1」は既にあります。\n置き換えますか？")
                                 .arg(QFileInfo(path).fileName()),
                             platform::vbOKCancel | platform::vbExclamation, request.title) != platform::vbOK)
            continue;
        lastFolder = folder;
        return path;
    }
}

bool writeWholeFile(const QString& path, const QByteArray& content, const QString& title)
{
    try {
        QmrM::FileReplacement file(path);
        file.write(content);
        file.commit();
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
        QmrM::FileReplacement file(path);
        bool written = false;
        platform::runWithProgress(
            caller, {exportCsvTitle(), QCoreApplication::translate("Chart", "CSV ファイルに書き出しています…")},
            historyFilesSize(items) >= kLongExportFrom, [&](QmrM::Progress& progress) {
                const auto write = [&file](QByteArrayView piece) { file.write(piece); };
                written = writeCsv(items, write, &progress);
                if (written)
                    file.commit();
            });
        // Not written, and nothing thrown: the user stopped it, the one way writeCsv ends without the file. The
        // temporary file goes with the replacement, the old file stays.
        if (cancelled)
            *cancelled = !written;
        return written ? path : QString();
    } catch (const QmrM::DataFileError& error) {
        tellNothingWritten(error, exportCsvTitle());
        return QString();
    }
}

}  // namespace chart
