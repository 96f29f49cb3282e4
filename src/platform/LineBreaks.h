// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QChar>

class QLabel;
class QString;

namespace platform {

// The toolkit wraps Japanese text between any two characters, in the middle of a word too (「できま」
// 「せん。」 on two lines). This gives the text back with a word joiner (U+2060, which takes no room) wherever
// a line must not break inside a word: a run of kanji or of katakana, with the kana after it (its ending and
// particles: 確かめてから, データファイルなので). Lines then break at spaces, after punctuation, before an
// opening bracket, and where a word in kanji or katakana follows a particle or two kana or more (not after
// the き of 書き出し先); a word longer than kMaxWordLength characters may break anywhere. For text that is shown, not
// read back: a copy of it holds the joiners.
QString withWordsKeptWhole(const QString& text);
// The text without the joiners withWordsKeptWhole added.
QString withoutWordJoiners(QString text);
// Shows `text` on a label with its words kept whole; assistive technology reads it without the joiners.
void setTextKeptWhole(QLabel* label, const QString& text);

inline constexpr QChar kWordJoiner(0x2060);

}  // namespace platform
