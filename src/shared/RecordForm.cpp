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
    qsizetype i = 0;
    for (bool more = true; more;) {
        const FieldSpan field = nextField(line, i, more);
        const QStringView text = line.sliced(field.begin, field.end - field.begin);
        fields.append((field.quoted ? text : text.trimmed()).toString());
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
