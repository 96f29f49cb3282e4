// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <QStringView>
#include <type_traits>
#include <vector>

namespace QmrM {

// Every data file's record form: comma-separated fields ended by CR LF, texts in double quotes with nothing
// escaped, numbers in plain decimal, stored as code page 932.

class RecordWriter {
public:
    RecordWriter& text(const QString& value);
    RecordWriter& integer(long long value);
    RecordWriter& real(double value);
    // CR LF included.
    QString line() const;

private:
    RecordWriter& field(const QString& text);
    QString mLine;
};

// Its fields as text, and the file line it stood on (1-based).
struct Record {
    QStringList fields;
    int line = 0;
};

// A field opened by a double quote runs to the next one; others end at a comma (and lose surrounding blanks
// when read). Blanks before a field are skipped.
struct FieldSpan {
    qsizetype begin = 0;
    qsizetype end = 0;
    bool quoted = false;
};
// The field at `i` in `line` (text or its bytes: the marks are ASCII), moving `i` past it and its comma;
// `more` when a field follows, even an empty one at the line's end.
template <class View>
FieldSpan nextField(View line, qsizetype& i, bool& more)
{
    using Char = std::remove_cv_t<std::remove_reference_t<decltype(line[0])>>;
    const Char quote(u'"');
    const Char comma(u',');
    const qsizetype n = line.size();
    while (i < n && (line[i] == Char(u' ') || line[i] == Char(u'\t')))
        ++i;
    FieldSpan field;
    if (i < n && line[i] == quote) {
        const qsizetype close = line.indexOf(quote, i + 1);
        field = FieldSpan{i + 1, close < 0 ? n : close, true};
        // Anything between the closing quote and the next comma is not part of the text.
        const qsizetype next = close < 0 ? -1 : line.indexOf(comma, close + 1);
        i = next < 0 ? n : next;
    } else {
        const qsizetype next = line.indexOf(comma, i);
        field = FieldSpan{i, next < 0 ? n : next, false};
        i = field.end;
    }
    more = i < n;
    if (more)
        ++i;
    return field;
}

// See FieldSpan.
QStringList splitRecord(QStringView line);

// Skips blank lines; lines end at CR LF, LF or CR.
std::vector<Record> parseRecords(const QString& text);

// A missing file sets *missing, giving no records. Throws DataFileError when unreadable or not code page 932.
std::vector<Record> readRecordFile(const QString& fileName, bool* missing = nullptr);

// Throws DataFileError (naming fileName) when a text cannot be stored.
QByteArray encodeRecords(const QString& fileName, const QString& lines);

}  // namespace QmrM
