// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <QStringView>
#include <vector>

namespace QmrM {

// The one record form of every data file: lines of comma-separated fields ended by CR LF,
// text fields in double quotes with nothing escaped, numbers in plain decimal, stored as code page 932.

// Builds one record.
class RecordWriter {
public:
    RecordWriter& text(const QString& value);
    RecordWriter& integer(long long value);
    RecordWriter& real(double value);
    // The finished line, CR LF included.
    QString line() const;

private:
    // Adds a field as it is written.
    RecordWriter& field(const QString& text);
    QString mLine;
};

// One record as read: its fields as text, and the line of the file it stood on (1-based).
struct Record {
    QStringList fields;
    int line = 0;
};

// Splits one line into its fields. A field that begins with a double quote is the text up to the next
// double quote; other fields end at a comma and lose surrounding blanks. Blanks before a field are skipped.
QStringList splitRecord(QStringView line);

// Splits decoded file text into records, skipping blank lines. Lines end at CR LF, LF or CR.
std::vector<Record> parseRecords(const QString& text);

// Reads a whole data file as records. A missing file gives `missing` = true and no records.
// Throws DataFileError when the file cannot be read or is not valid code page 932.
std::vector<Record> readRecordFile(const QString& fileName, bool* missing = nullptr);

// Encodes finished lines for writing; throws DataFileError (naming fileName) when a text cannot be stored.
QByteArray encodeRecords(const QString& fileName, const QString& lines);

}  // namespace QmrM
