// SPDX-License-Identifier: GPL-3.0-or-later
#include "RecordForm.h"

#include "DataFiles.h"
#include "Errors.h"
#include "Numbers.h"
#include "TextEncoding.h"
#include <QCoreApplication>

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
    // Lines end at CR LF, LF or CR; they are numbered from 1. Split by hand: these files are read at every
    // start, and a regular expression would keep the pattern engine in memory through the wait.
    std::vector<Record> records;
    int number = 0;
    for (qsizetype start = 0; start <= text.size();) {
        qsizetype end = start;
        while (end < text.size() && text[end] != u'\r' && text[end] != u'\n')
            ++end;
        const QStringView line = QStringView(text).sliced(start, end - start);
        ++number;
        if (!line.trimmed().isEmpty())
            records.push_back(Record{splitRecord(line), number});
        start = end + (text.mid(end, 2) == QLatin1String("\r\n") ? 2 : 1);
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
