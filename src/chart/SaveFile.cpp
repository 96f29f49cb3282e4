// SPDX-License-Identifier: GPL-3.0-or-later
#include "SaveFile.h"

#include "platform/Dialogs.h"
#include "shared/DataFiles.h"
#include "shared/Errors.h"
#include "shared/Seams.h"

#include <QFileDialog>
#include <QFileInfo>

namespace chart {
namespace {

QString askWithQtDialog(QWidget* parent, const SaveRequest& request)
{
    QFileDialog dialog(parent, request.title, request.suggestedPath, request.filter);
    dialog.setObjectName(QStringLiteral("SaveFileDialog"));
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setFileMode(QFileDialog::AnyFile);
    dialog.setDefaultSuffix(request.suffix);
    if (dialog.exec() != QDialog::Accepted)
        return QString();
    return dialog.selectedFiles().value(0);
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

QString askSaveFileName(QWidget* parent, const SaveRequest& request)
{
    if (const auto& replacement = QmrM::seams().saveFileName)
        return replacement(request.title, request.suggestedPath, request.filter);
    return askWithQtDialog(parent, request);
}

bool writeWholeFile(const QString& path, const QByteArray& content, const QString& title)
{
    const QString target = resolvedTarget(path);
    try {
        const QFileInfo info(target);
        // Renaming over a device such as /dev/full would replace the device itself.
        if (info.exists() && !info.isFile() && !info.isDir())
            throw DataFileError(DataFileError::Write, path,
                                QStringLiteral("書き出し先がふつうのファイルではありません"));
        replaceFileAtomically(target, content);
        return true;
    } catch (const DataFileError& error) {
        platform::MsgBox(error.description() + QStringLiteral("\n書き出しは行われませんでした。"),
                         platform::vbExclamation, title);
        return false;
    }
}

}  // namespace chart
