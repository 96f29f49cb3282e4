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

// Encodes text as code page 932. Returns nothing when a character cannot be stored.
// A character that the code page maps to another one on the way back (〜 U+301C is stored as ～ U+FF5E)
// still encodes; use cp932StoredForm to see what a text becomes once stored.
std::optional<QByteArray> encodeCp932(const QString& text);

// Decodes code page 932 bytes. Returns nothing when the bytes are not valid code page 932.
std::optional<QString> decodeCp932(const QByteArray& bytes);

// Whether bytes are valid code page 932 throughout, as decodeCp932 judges them (a NUL byte is). Checked
// against a table of the characters, so a long file takes little more than one look at each byte.
bool isValidCp932(QByteArrayView bytes);

// The same check made piece by piece as a file is read: a character may begin at the end of one piece and
// end in the next. Its verdict on all the pieces is isValidCp932's on the bytes joined.
class Cp932Check {
public:
    void add(QByteArrayView piece);
    // Whether the bytes added so far are valid code page 932 (false while a character is left unfinished).
    bool valid() const { return mValid && mLead < 0; }
    // Whether no byte added so far makes the bytes invalid, whatever comes after them.
    bool mayBeValid() const { return mValid; }

private:
    bool mValid = true;
    int mLead = -1;  // the first byte of a character the last piece left unfinished
};

// Decodes code page 932 bytes whatever they hold: each byte that does not form a character becomes
// U+FFFD, and so does a NUL byte.
QString decodeCp932Leniently(const QByteArray& bytes);

// What the text reads as after a round trip through the data files, or nothing when it cannot be stored.
std::optional<QString> cp932StoredForm(const QString& text);

// Text whose encoding nobody declared: UTF-8 when the bytes are valid UTF-8 (a byte-order mark is
// dropped), else code page 932, else code page 932 with U+FFFD for the bytes that form no character.
// Code page 932 text with kana or most kanji is never valid UTF-8, which makes this order safe.
QString decodeUtf8OrCp932(const QByteArray& bytes);

// Text in the character set a file names for itself (a web page's charset, in any case): a name of
// Shift-JIS is read as code page 932, its Windows form that Japanese files are written in. UTF-8, no name,
// a name of anything else, or bytes that are not what the name says are read as decodeUtf8OrCp932 does.
QString decodeDeclared(const QByteArray& bytes, QStringView charset);

}  // namespace QmrM
