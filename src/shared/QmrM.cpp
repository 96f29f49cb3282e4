// SPDX-License-Identifier: GPL-3.0-or-later
#include "QmrM.h"

#include "DataFiles.h"
#include "Errors.h"
#include "HistoryFile.h"
#include "Numbers.h"
#include "RecordForm.h"
#include "Seams.h"

#include <QByteArrayList>
#include <QDateTime>
#include <QFileInfo>
#include <QCoreApplication>

#include <algorithm>
#include <cmath>

namespace QmrM {

int16_t gKoumokuSu = 0;
int16_t gGenzai = 0;
std::vector<QString> gKoumoku(1);
std::vector<int16_t> gShijiSu(1);
int16_t gRandomTim = 0;
int16_t gRandomKaisu = 0;
float gWaitJikan = 0.0f;
bool gProgramEnding = false;

namespace {

[[noreturn]] void malformed(const QString& fileName, int line, const QString& what)
{
    throw DataFileError(DataFileError::Format, fileName, what, line);
}

// Must be a plain decimal number.
double numberField(const QString& fileName, const Record& record, int index, const QString& what)
{
    double value = 0.0;
    if (index >= record.fields.size() || !parseDecimal(record.fields[index], value))
        malformed(fileName, record.line, QCoreApplication::translate("QmrM", "%1が数値ではありません").arg(what));
    return value;
}

int16_t int16Field(const QString& fileName, const Record& record, int index, const QString& what)
{
    const double value = numberField(fileName, record, index, what);
    if (!fitsInt16(value))
        malformed(fileName, record.line,
                  QCoreApplication::translate("QmrM", "%1が -32768 から 32767 の範囲を超えています").arg(what));
    return static_cast<int16_t>(roundHalfEven(value));
}

// Refuses a name (from an edited list) whose history would be a data file or lie outside the current directory.
QString safeHistoryFileName(const QString& itemName)
{
    const QString fileName = historyFileName(itemName);
    if (!historyNameIsSafe(itemName))
        throw DataFileError(DataFileError::Write, fileName, historyNameProblem(itemName));
    return fileName;
}

}  // namespace

void createHistoryFile(const QString& itemName)
{
    createFileIfMissing(safeHistoryFileName(itemName));
}

void clearHistoryFile(const QString& itemName)
{
    const QString fileName = safeHistoryFileName(itemName);
    if (!isHistoryFile(itemName))
        throw DataFileError(DataFileError::Write, fileName,
                            QCoreApplication::translate("QmrM", "履歴ではない内容が入っています"));
    truncateFile(fileName);
}

namespace {

// What identifies the file a deletion removes: a file put in its place meanwhile is another.
QByteArray identity(const QString& fileName)
{
    const QFileInfo file(fileName);
    return QByteArray::number(file.size()) + ' ' + QByteArray::number(file.lastModified().toMSecsSinceEpoch());
}

// The history file that a deletion of item `n` removes; empty when it stays.
QString historyThatGoes(int n)
{
    const QString& name = gKoumoku[n];
    if (!historyNameIsSafe(name) || !QFileInfo::exists(historyFileName(name)))
        return QString();
    for (int k = 1; k <= gKoumokuSu; ++k) {
        if (k != n && sameHistoryFile(gKoumoku[k], name))
            return QString();  // another item has it too
    }
    try {
        return isHistoryFile(name) ? historyFileName(name) : QString();
    } catch (const DataFileError&) {
        return QString();  // a file that cannot be read is not known to be a history
    }
}

}  // namespace

void deleteItem(int n)
{
    QString history = historyThatGoes(n);
    if (!history.isEmpty()) {
        try {
            replaceFileAtomically(kDeletionFile, history.toUtf8() + '\n' + identity(history) + '\n');
        } catch (const DataFileError&) {
            history.clear();  // nothing can be noted here: the file stays, as the list may still name it
        }
    }
    try {
        SaveItems(n);
    } catch (const DataFileError&) {
        removeFile(kDeletionFile);
        throw;
    }
    LoadItems();
    if (!history.isEmpty()) {
        removeFile(history);
        removeFile(kDeletionFile);
    }
}

bool dataFolderWritable()
{
    return mayWrite(QStringLiteral(".")) || mayWrite(itemsFileName());
}

void finishItemDeletion()
{
    QByteArrayList noted;
    std::vector<Record> items;
    try {
        noted = readWholeFile(kDeletionFile, nullptr, 4096).split('\n');
        if (noted.value(0).isEmpty())
            return;
        items = readRecordFile(itemsFileName());
    } catch (const DataFileError&) {
        return;  // decided once the note and the list can be read
    }
    const QString history = QString::fromUtf8(noted.value(0));
    const bool stillNamed = std::any_of(items.begin(), items.end(), [&history](const Record& item) {
        const QString name = item.fields.value(0);
        return historyNameIsSafe(name) &&
               (historyFileName(name) == history || isSameFile(historyFileName(name), history));
    });
    if (!stillNamed && identity(history) == noted.value(1))
        removeFile(history);
    removeFile(kDeletionFile);
}

bool isHistoryFile(const QString& itemName)
{
    return !historyNameIsSafe(itemName) || holdsOnlyHistoryRecords(historyFileName(itemName));
}

bool sameHistoryFile(const QString& itemName, const QString& otherItemName)
{
    if (itemName == otherItemName)
        return true;
    return historyNameIsSafe(itemName) && historyNameIsSafe(otherItemName) &&
           isSameFile(historyFileName(itemName), historyFileName(otherItemName));
}

void LoadItems()
{
    const QString fileName = itemsFileName();
    const std::vector<Record> records = readRecordFile(fileName);
    if (records.size() > static_cast<size_t>(kMaxItems))
        malformed(fileName, records[kMaxItems].line,
                  QCoreApplication::translate("QmrM", "項目は %n 個までです", nullptr, kMaxItems));

    // Read everything first, so that a bad record leaves the shared state as it was.
    std::vector<QString> names(1);
    std::vector<int16_t> counts(1);
    for (const Record& record : records) {
        if (record.fields.size() != 2)
            malformed(fileName, record.line, QCoreApplication::translate("QmrM", "項目名と指示数の 2 つが必要です"));
        // Only an unquoted name can hold a double quote, which no rewrite could store: refused now, not cut later.
        if (record.fields[0].contains(u'"'))
            malformed(fileName, record.line,
                      QCoreApplication::translate("QmrM", "項目名に \" (ダブルクォーテーション) があります"));
        names.push_back(record.fields[0]);
        counts.push_back(int16Field(fileName, record, 1, QCoreApplication::translate("QmrM", "指示数")));
    }
    gKoumokuSu = static_cast<int16_t>(records.size());
    gKoumoku = std::move(names);
    gShijiSu = std::move(counts);
}

void LoadSettings()
{
    const QString fileName = settingsFileName();
    bool missing = false;
    const std::vector<Record> records = readRecordFile(fileName, &missing);
    if (missing) {
        gRandomTim = 0;
        gRandomKaisu = 0;
        gWaitJikan = 1.0f;
        return;
    }
    if (records.empty())
        malformed(fileName, 1, QCoreApplication::translate("QmrM", "設定が書かれていません"));
    const Record& record = records.front();
    if (record.fields.size() < 3)
        malformed(fileName, record.line, QCoreApplication::translate("QmrM", "設定の値が 3 つ必要です"));
    const int16_t randomTim =
        int16Field(fileName, record, 0, QCoreApplication::translate("QmrM", "起動タイミングの設定"));
    const int16_t randomKaisu = int16Field(fileName, record, 1, QCoreApplication::translate("QmrM", "回数の設定"));
    const double wait = numberField(fileName, record, 2, QCoreApplication::translate("QmrM", "起動Wait"));
    gRandomTim = randomTim;
    gRandomKaisu = randomKaisu;
    // The wait scroll bar offers 1 to 60 minutes; keep an edited value within that.
    gWaitJikan = static_cast<float>(std::clamp(wait, 1.0, 60.0));
}

void SaveSettings()
{
    const QString line = RecordWriter().integer(gRandomTim).integer(gRandomKaisu).real(gWaitJikan).line();
    const QString fileName = settingsFileName();
    replaceFileAtomically(fileName, encodeRecords(fileName, line));
}

void SaveItems(int omit)
{
    QString lines;
    for (int k = 1; k <= gKoumokuSu; ++k) {
        if (k != omit)
            lines += RecordWriter().text(gKoumoku[k]).integer(gShijiSu[k]).line();
    }
    const QString fileName = itemsFileName();
    replaceFileAtomically(fileName, encodeRecords(fileName, lines));
}

void appendItemRecord(const QString& name, double count)
{
    const QString fileName = itemsFileName();
    appendToFile(fileName, encodeRecords(fileName, RecordWriter().text(name).real(count).line()));
}

void appendHistoryRecord(const QString& itemName, double count)
{
    const QDateTime now = currentDateTime();
    const QString date = now.toString(QStringLiteral("MM月dd日"));
    const QString time = now.toString(QStringLiteral("HH時mm分ss秒"));
    const QString fileName = safeHistoryFileName(itemName);
    appendToFile(fileName, encodeRecords(fileName, RecordWriter().text(date).text(time).real(count).line()));
}

int randomCount(int instructed)
{
    return static_cast<int>(std::floor(static_cast<double>(instructed) * drawRandomFraction() + 1.0));
}

double startWaitSeconds()
{
    const double minutes = gWaitJikan;
    if (gRandomTim == 1) {
        // In double precision: in single precision W × r + 1 rounds up to W + 1 for the largest draws.
        return std::floor(minutes * static_cast<double>(drawRandomFraction()) + 1.0) * 60.0;
    }
    return minutes * 60.0;
}

void resetSharedState()
{
    gKoumokuSu = 0;
    gGenzai = 0;
    gKoumoku.assign(1, QString());
    gShijiSu.assign(1, 0);
    gRandomTim = 0;
    gRandomKaisu = 0;
    gWaitJikan = 0.0f;
    gProgramEnding = false;
}

}  // namespace QmrM
