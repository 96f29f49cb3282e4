// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QString>
#include <QStringView>
#include <optional>

// Conversion between the program's text and the Shift-JIS (code page 932) bytes of its data files.
// Code page 932 is the Microsoft variant: it holds characters such as ① 髙 ～ that plain Shift-JIS lacks,
// and keeps 0x5C as the backslash. One implementation per platform (iconv, or the Windows code page API).
namespace QmrM {

// Nothing when a character cannot be stored. One the code page maps to another on the way back (〜 U+301C
// stored as ～ U+FF5E) still encodes; cp932StoredForm tells what a text becomes.
std::optional<QByteArray> encodeCp932(const QString& text);

// Nothing when the bytes are not valid code page 932.
std::optional<QString> decodeCp932(const QByteArray& bytes);

// As decodeCp932 judges them (a NUL byte is valid). A table of the characters makes a long file cost little
// more than one look at each byte.
bool isValidCp932(QByteArrayView bytes);

// isValidCp932 piece by piece as a file is read: a character may straddle two pieces.
class Cp932Check {
public:
    void add(QByteArrayView piece);
    // False while a character is left unfinished.
    bool valid() const { return mValid && mLead < 0; }
    // No byte so far makes the bytes invalid, whatever comes after.
    bool mayBeValid() const { return mValid; }

private:
    bool mValid = true;
    int mLead = -1;  // the first byte of a character the last piece left unfinished
};

// Each byte that forms no character becomes U+FFFD, and so does a NUL byte.
QString decodeCp932Leniently(const QByteArray& bytes);

// After a round trip through the data files; nothing when it cannot be stored.
std::optional<QString> cp932StoredForm(const QString& text);

// Undeclared encoding: UTF-8 when valid (a byte-order mark dropped), else code page 932, else leniently.
// Code page 932 text with kana or most kanji is never valid UTF-8, which makes this order safe.
QString decodeUtf8OrCp932(const QByteArray& bytes);

// By the charset a file names (any case): Shift-JIS as code page 932, its Windows form that Japanese files
// use; anything else, none, or bytes not matching the name as decodeUtf8OrCp932.
QString decodeDeclared(const QByteArray& bytes, QStringView charset);

}  // namespace QmrM
