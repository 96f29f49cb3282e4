// SPDX-License-Identifier: GPL-3.0-or-later
#include "Errors.h"
#include <QCoreApplication>

namespace QmrM {

namespace {

QString describe(DataFileError::Kind kind, const QString& fileName, const QString& detail, int line)
{
    // In the order of DataFileError::Kind.
    static const char* const failures[] = {QT_TRANSLATE_NOOP("QmrM", "ファイル「%1」を開けませんでした。"),
                                           QT_TRANSLATE_NOOP("QmrM", "ファイル「%1」を読み込めませんでした。"),
                                           QT_TRANSLATE_NOOP("QmrM", "ファイル「%1」に書き込めませんでした。"),
                                           QT_TRANSLATE_NOOP("QmrM", "ファイル「%1」の内容が正しくありません。")};
    QString text = kind == DataFileError::Format && line > 0
                       ? QCoreApplication::translate("QmrM", "ファイル「%1」の %2 行目の内容が正しくありません。")
                             .arg(fileName)
                             .arg(line)
                       : QCoreApplication::translate("QmrM", failures[kind]).arg(fileName);
    if (!detail.isEmpty())
        //: %1 is what could not be done with a file, %2 why
        text = QCoreApplication::translate("QmrM", "%1\n（%2）").arg(text, detail);
    return text;
}

}  // namespace

DataFileError::DataFileError(Kind kind, const QString& fileName, const QString& detail, int line)
    : ProgramError(describe(kind, fileName, detail, line)), mKind(kind), mLine(line)
{
}

ValueOverflowError::ValueOverflowError(const QString& what)
    : ProgramError(QCoreApplication::translate("QmrM", "値が大きすぎて扱えません（%1）。").arg(what))
{
}

}  // namespace QmrM
