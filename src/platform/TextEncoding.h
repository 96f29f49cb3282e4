#pragma once

#include <QByteArray>
#include <QString>
#include <optional>

// Conversion between the program's text and the Shift-JIS (code page 932) bytes of its data files.
// Code page 932 is the Microsoft variant: it holds characters such as ① 髙 ～ that plain Shift-JIS lacks,
// and keeps 0x5C as the backslash.
namespace platform {

#ifndef Q_OS_WIN
// Converts bytes between two character sets with iconv. Returns what was converted; *ok tells whether
// all of it was (false for an unknown character set or an invalid sequence).
QByteArray iconvConvert(const char* to, const char* from, const QByteArray& input, bool* ok);
#endif

// Encodes text as code page 932. Returns nothing when a character cannot be stored.
// A character that the code page maps to another one on the way back (〜 U+301C is stored as ～ U+FF5E)
// still encodes; use cp932StoredForm to see what a text becomes once stored.
std::optional<QByteArray> encodeCp932(const QString& text);

// Decodes code page 932 bytes. Returns nothing when the bytes are not valid code page 932.
std::optional<QString> decodeCp932(const QByteArray& bytes);

// What the text reads as after a round trip through the data files, or nothing when it cannot be stored.
std::optional<QString> cp932StoredForm(const QString& text);

}  // namespace platform
