// SPDX-License-Identifier: GPL-3.0-or-later
#include "RecordForm.h"

#include "DataFiles.h"
#include "Errors.h"
#include "Numbers.h"
#include "TextEncoding.h"
#include <QCoreApplication>
#include <QRegularExpression>

namespace QmrM {

RecordWriter& RecordWriter::field(const QString& text)
{
    if (!mLine.isEmpty())
        mLine += u',';
    mLine += text;
    return *this;
}

RecordWriter& RecordWriter::text(const QString& value)
{
    return field(u'"' + value + u'"');
}

RecordWriter& RecordWriter::integer(long long value)
{
    return field(QString::number(value));
}

RecordWriter& RecordWriter::real(double value)
{
    return field(formatReal(value));
}

QString RecordWriter::line() const
{
    // An empty record still needs something to stand on its line; every record here has fields.
    return mLine + QStringLiteral("\r\n");
}

// Each field is copied once, the line never: it is seen in place within the file's text.
QStringList splitRecord(QStringView line)
{
    QStringList fields;
    fields.reserve(4);  // every record of the data files has two or three fields
    const qsizetype n = line.size();
    qsizetype i = 0;
    while (true) {
        while (i < n && (line[i] == u' ' || line[i] == u'\t'))
            ++i;
        QString field;
        if (i < n && line[i] == u'"') {
            const qsizetype close = line.indexOf(u'"', i + 1);
            const qsizetype stop = close < 0 ? n : close;
            field = line.mid(i + 1, stop - i - 1).toString();
            i = close < 0 ? n : close + 1;
            // Anything between the closing quote and the next comma is not part of the text.
            const qsizetype comma = line.indexOf(u',', i);
            i = comma < 0 ? n : comma;
        } else {
            const qsizetype comma = line.indexOf(u',', i);
            const qsizetype stop = comma < 0 ? n : comma;
            field = line.mid(i, stop - i).trimmed().toString();
            i = stop;
        }
        fields.append(std::move(field));
        if (i >= n)
            break;
        ++i;  // past the comma: a field follows, even an empty one at the end of the line
    }
    return fields;
}

std::vector<Record> parseRecords(const QString& text)
{
    // Lines end at CR LF, LF or CR; they are numbered from 1.
    static const QRegularExpression lineEnd(QStringLiteral("\r\n|\r|\n"));
    const QList<QStringView> lines = QStringView(text).split(lineEnd);
    std::vector<Record> records;
    for (qsizetype i = 0; i < lines.size(); ++i) {
        if (!lines[i].trimmed().isEmpty())
            records.push_back(Record{splitRecord(lines[i]), int(i + 1)});
    }
    return records;
}

std::vector<Record> readRecordFile(const QString& fileName, bool* missing)
{
    const QByteArray bytes = readWholeFile(fileName, missing);
    const auto text = decodeCp932(bytes);
    if (!text)
        throw DataFileError(DataFileError::Format, fileName,
                            QCoreApplication::translate("QmrM", "Shift-JIS として読めない文字があります"));
    return parseRecords(*text);
}

QByteArray encodeRecords(const QString& fileName, const QString& lines)
{
    const auto bytes = QmrM::encodeCp932(lines);
    if (!bytes)
        throw DataFileError(DataFileError::Write, fileName,
                            QCoreApplication::translate("QmrM", "Shift-JIS で保存できない文字があります"));
    return *bytes;
}

}  // namespace QmrM
