// SPDX-License-Identifier: GPL-3.0-or-later
#include "LineBreaks.h"

#include <QLabel>
#include <QString>

namespace platform {
namespace {

constexpr int kMaxWordLength = 20;

bool isHiragana(char16_t c)
{
    return c >= 0x3041 && c <= 0x309F;
}

bool isKatakana(char16_t c)
{
    // The middle dot (U+30FB) separates words; half-width katakana count as katakana.
    return (c >= 0x30A0 && c <= 0x30FF && c != 0x30FB) || (c >= 0xFF66 && c <= 0xFF9F);
}

bool isKanji(char16_t c)
{
    return (c >= 0x4E00 && c <= 0x9FFF) || (c >= 0x3400 && c <= 0x4DBF) || (c >= 0xF900 && c <= 0xFAFF) ||
           c == 0x3005 || c == 0x3006;  // 々 〆
}

bool isJapaneseLetter(char16_t c)
{
    return isHiragana(c) || isKatakana(c) || isKanji(c);
}

// Whether a word in kanji or katakana may begin after the kana that end at `end`: after two or more (their
// ending, a particle: ことを, ほかの, 使って), or after one that is a particle (名前か, ロックを); a single other
// kana between kanji belongs to the word (書き出し先).
bool wordMayFollow(const QString& text, qsizetype end)
{
    static const QString kParticles = QStringLiteral("をがにのはでともへやか");
    return (end > 0 && isHiragana(text[end - 1].unicode())) || kParticles.contains(text[end]);
}

// Whether the letters at i - 1 and i belong to one word.
bool sameWord(const QString& text, qsizetype i)
{
    const char16_t before = text[i - 1].unicode();
    const char16_t after = text[i].unicode();
    if (!isJapaneseLetter(before) || !isJapaneseLetter(after))
        return false;
    return !(isHiragana(before) && (isKanji(after) || isKatakana(after)) && wordMayFollow(text, i - 1));
}

}  // namespace

QString withWordsKeptWhole(const QString& text)
{
    QString kept;
    kept.reserve(text.size() * 2);
    qsizetype wordStart = 0;  // where the word the current character belongs to begins
    for (qsizetype i = 0; i <= text.size(); ++i) {
        const bool joined = i > 0 && i < text.size() && sameWord(text, i);
        if (joined)
            continue;
        // The word from wordStart to i is complete: kept whole unless longer than any line should hold.
        const QStringView word = QStringView(text).mid(wordStart, i - wordStart);
        for (qsizetype k = 0; k < word.size(); ++k) {
            if (k > 0 && word.size() <= kMaxWordLength)
                kept.append(kWordJoiner);
            kept.append(word[k]);
        }
        wordStart = i;
    }
    return kept;
}

QString withoutWordJoiners(QString text)
{
    return text.remove(kWordJoiner);
}

void setTextKeptWhole(QLabel* label, const QString& text)
{
    label->setText(withWordsKeptWhole(text));
    label->setAccessibleName(text);
}

}  // namespace platform
