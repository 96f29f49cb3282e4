// SPDX-License-Identifier: GPL-3.0-or-later
#include "TextSearch.h"

#include <algorithm>

namespace help {

namespace {

void appendFoldedChar(QChar c, qsizetype origin, FoldedText* out)
{
    if (c.isSpace()) {
        if (out->text.isEmpty() || out->text.endsWith(QLatin1Char(' ')))
            return;
        c = QLatin1Char(' ');
    }
    out->text += c;
    out->origin.append(origin);
}

void appendFolded(char32_t codePoint, qsizetype origin, FoldedText* out)
{
    // Most characters (kanji, kana without marks) have no decomposition: their case is folded
    // as one code point, without making a string of it.
    if (QChar::decompositionTag(codePoint) == QChar::NoDecomposition) {
        const char32_t folded = QChar::toCaseFolded(codePoint);
        if (QChar::requiresSurrogates(folded)) {
            appendFoldedChar(QChar(QChar::highSurrogate(folded)), origin, out);
            appendFoldedChar(QChar(QChar::lowSurrogate(folded)), origin, out);
        } else {
            appendFoldedChar(QChar(char16_t(folded)), origin, out);
        }
        return;
    }
    const char32_t one[] = {codePoint};
    const QString folded = QString::fromUcs4(one, 1).normalized(QString::NormalizationForm_KD).toCaseFolded();
    for (const QChar c : folded)
        appendFoldedChar(c, origin, out);
}

// A match must not end in the middle of a decomposed character: the next folded character
// would be a combining mark (the voicing mark of バ after ハ).
bool endsOnCharacterBoundary(const QString& text, qsizetype end, const QString& word)
{
    if (end >= text.size() || word.isEmpty())
        return true;
    return !text[end].isMark() || word.back().isMark();
}

}  // namespace

FoldedText foldText(QStringView text)
{
    FoldedText out;
    out.originalLength = text.size();
    out.text.reserve(text.size());
    out.origin.reserve(text.size());
    for (qsizetype i = 0; i < text.size(); ++i) {
        char32_t codePoint = text[i].unicode();
        const qsizetype at = i;
        if (text[i].isHighSurrogate() && i + 1 < text.size() && text[i + 1].isLowSurrogate()) {
            codePoint = QChar::surrogateToUcs4(text[i], text[i + 1]);
            ++i;
        }
        appendFolded(codePoint, at, &out);
    }
    return out;
}

QString foldKey(QStringView text)
{
    QString key = foldText(text).text;
    return key.trimmed();
}

QList<TextMatch> findAll(const FoldedText& text, const QString& foldedWord)
{
    QList<TextMatch> matches;
    if (foldedWord.isEmpty())
        return matches;
    qsizetype from = 0;
    while (true) {
        const qsizetype at = text.text.indexOf(foldedWord, from);
        if (at < 0)
            break;
        const qsizetype end = at + foldedWord.size();
        if (!endsOnCharacterBoundary(text.text, end, foldedWord)) {
            from = at + 1;
            continue;
        }
        const qsizetype start = text.origin[at];
        const qsizetype originalEnd = end < text.origin.size() ? text.origin[end] : text.originalLength;
        matches.append({start, qMax<qsizetype>(originalEnd - start, 1)});
        from = end;
    }
    return matches;
}

int countMatches(const FoldedText& text, const QString& foldedWord)
{
    return static_cast<int>(findAll(text, foldedWord).size());
}

void SearchIndex::addPage(const QString& path, const QString& title, QStringView text)
{
    mPages.append({path, title, foldText(text)});
}

QList<SearchIndex::Hit> SearchIndex::search(const QString& words) const
{
    const QString word = foldKey(words);
    QList<Hit> hits;
    if (word.isEmpty())
        return hits;
    for (const Page& page : mPages) {
        if (const int count = countMatches(page.text, word))
            hits.append({page.path, page.title, count});
    }
    std::stable_sort(hits.begin(), hits.end(), [](const Hit& a, const Hit& b) { return a.count > b.count; });
    return hits;
}

}  // namespace help
