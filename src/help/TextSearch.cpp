// SPDX-License-Identifier: GPL-3.0-or-later
#include "TextSearch.h"

#include <algorithm>
#include <limits>

namespace help {

namespace {

// Hiragana as the katakana of the same sound: ぐらふ finds グラフ. Each kana keeps its place, so a match
// still maps back to the original text character by character. Voicing marks come decomposed (が is か
// and U+3099) and the long-vowel mark ー is one character in both scripts (ｰ decomposes to it).
QChar asKatakana(QChar c)
{
    const char16_t code = c.unicode();
    if ((code >= u'ぁ' && code <= u'ゖ') || code == u'ゝ')
        return QChar(char16_t(code + (u'ァ' - u'ぁ')));
    return c;
}

// The folded text, with the origins only when they are wanted, up to `maxLength` folded characters.
FoldedText fold(QStringView text, bool keepOrigins, qsizetype maxLength = std::numeric_limits<qsizetype>::max())
{
    FoldedText out;
    out.originalLength = text.size();
    out.text.reserve(qMin(text.size(), maxLength));
    if (keepOrigins)
        out.origin.reserve(text.size());
    const auto append = [&](QChar c, qsizetype origin) {
        if (out.text.size() >= maxLength)
            return;
        if (c.isSpace()) {
            if (out.text.isEmpty() || out.text.endsWith(QLatin1Char(' ')))
                return;
            c = QLatin1Char(' ');
        }
        out.text += asKatakana(c);
        if (keepOrigins)
            out.origin.append(origin);
    };
    for (qsizetype i = 0; i < text.size() && out.text.size() < maxLength; ++i) {
        char32_t codePoint = text[i].unicode();
        const qsizetype at = i;
        if (text[i].isHighSurrogate() && i + 1 < text.size() && text[i + 1].isLowSurrogate()) {
            codePoint = QChar::surrogateToUcs4(text[i], text[i + 1]);
            ++i;
        }
        // Most characters (kanji, plain kana) have no decomposition: fold their case as one code point, with no string.
        if (QChar::decompositionTag(codePoint) == QChar::NoDecomposition) {
            for (const QChar c : QChar::fromUcs4(QChar::toCaseFolded(codePoint)))
                append(c, at);
            continue;
        }
        const char32_t one[] = {codePoint};
        for (const QChar c : QString::fromUcs4(one, 1).normalized(QString::NormalizationForm_KD).toCaseFolded())
            append(c, at);
    }
    return out;
}

// Calls found(start, end) for every place, not overlapping, where the folded word occurs in the folded text.
template <typename Found>
void forEachMatch(const QString& folded, const QString& foldedWord, Found found)
{
    if (foldedWord.isEmpty())
        return;
    qsizetype at = folded.indexOf(foldedWord);
    while (at >= 0) {
        const qsizetype end = at + foldedWord.size();
        // A match must not end inside a decomposed character, before its combining mark (バ's voicing mark after ハ).
        const bool inCharacter = end < folded.size() && folded[end].isMark() && !foldedWord.back().isMark();
        if (!inCharacter)
            found(at, end);
        at = folded.indexOf(foldedWord, inCharacter ? at + 1 : end);
    }
}

}  // namespace

FoldedText foldText(QStringView text)
{
    return fold(text, true);
}

QString foldKey(QStringView text)
{
    return fold(text, false).text.trimmed();
}

QList<TextMatch> findAll(const FoldedText& text, const QString& foldedWord)
{
    QList<TextMatch> matches;
    forEachMatch(text.text, foldedWord, [&](qsizetype at, qsizetype end) {
        const qsizetype start = text.origin[at];
        const qsizetype originalEnd = end < text.origin.size() ? text.origin[end] : text.originalLength;
        matches.append({start, qMax<qsizetype>(originalEnd - start, 1)});
    });
    return matches;
}

void SearchIndex::addPage(const QString& path, const QString& title, QStringView text)
{
    if (isFull())
        return;
    QString folded = fold(text, false, mCapacity - mSize).text;
    mSize += folded.size();
    mPages.append({path, title, std::move(folded)});
}

QList<SearchIndex::Hit> SearchIndex::search(const QString& words) const
{
    const QString word = foldKey(words);
    QList<Hit> hits;
    if (word.isEmpty())
        return hits;
    for (const Page& page : mPages) {
        int count = 0;
        forEachMatch(page.folded, word, [&](qsizetype, qsizetype) { ++count; });
        if (count > 0)
            hits.append({page.path, page.title, count});
    }
    std::stable_sort(hits.begin(), hits.end(), [](const Hit& a, const Hit& b) { return a.count > b.count; });
    return hits;
}

}  // namespace help
