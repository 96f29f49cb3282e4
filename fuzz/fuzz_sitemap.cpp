// SPDX-License-Identifier: GPL-3.0-or-later
// Arbitrary bytes as a contents or index file, and as a help page: the sitemap reader, the page text
// and the search over it. Whatever the bytes, reading ends with a tree no deeper than its limit, made
// only of named entries, with no more entries than the text has objects; the page text has its white
// space collapsed; and every match the search reports lies inside the text it was made on.

#include "FuzzSupport.h"

#include "help/HtmlText.h"
#include "FlatSitemap.h"
#include "help/Sitemap.h"
#include "help/TextSearch.h"

namespace {

void checkTree(const QString& text)
{
    const QList<help::SitemapEntry> entries = help::readSitemap(text);
    const qsizetype objects = text.count(QLatin1String("<object"), Qt::CaseInsensitive);
    const QList<FlatEntry> flat = flatten(entries);
    FUZZ_CHECK(flat.size() <= objects, QStringLiteral("%1 entries from %2 objects").arg(flat.size()).arg(objects));
    for (const FlatEntry& entry : flat) {
        FUZZ_CHECK(!entry.entry->name.isEmpty(), text);
        FUZZ_CHECK(entry.depth <= 64, QString::number(entry.depth));
        for (const help::SitemapTopic& topic : entry.entry->topics)
            FUZZ_CHECK(!topic.local.isEmpty(), entry.entry->name);
    }
}

void checkPageText(const help::PageText& page)
{
    const QString& t = page.text;
    FUZZ_CHECK(!t.contains(QLatin1String("  ")) && !t.contains(QLatin1String(" \n")) &&
                   !t.contains(QLatin1String("\n ")) && !t.contains(QLatin1String("\n\n")),
               t);
    FUZZ_CHECK(!t.startsWith(QLatin1Char('\n')) && !t.endsWith(QLatin1Char('\n')) && !t.startsWith(QLatin1Char(' ')) &&
                   !t.endsWith(QLatin1Char(' ')),
               t);
}

// Whether a character joins the one before it once folded (a combining mark, or the half-width
// voicing mark ﾞ that folds into one).
bool joinsPrevious(QChar c)
{
    const QString folded = help::foldText(QStringView(&c, 1)).text;
    return !folded.isEmpty() && folded.front().isMark();
}

// A word cut from the text itself, where the cut splits no character.
QString wordFrom(const QString& text)
{
    if (text.size() < 2)
        return QString();
    const qsizetype start = text.size() / 3;
    const qsizetype end = qMin(text.size(), start + 3);
    if (text[start].isLowSurrogate() || text[end - 1].isHighSurrogate() ||
        (end < text.size() && joinsPrevious(text[end])))
        return QString();
    return text.mid(start, end - start);
}

void checkSearch(const QString& text)
{
    const help::FoldedText folded = help::foldText(text);
    FUZZ_CHECK(folded.origin.size() == folded.text.size() && folded.originalLength == text.size(), text);
    const QString word = wordFrom(text);
    const QString key = help::foldKey(word);
    if (key.isEmpty())
        return;
    qsizetype previousEnd = 0;
    const QList<help::TextMatch> matches = help::findAll(folded, key);
    for (const help::TextMatch& match : matches) {
        FUZZ_CHECK(match.start >= previousEnd && match.length > 0 && match.start + match.length <= text.size(),
                   QStringLiteral("%1+%2 in %3").arg(match.start).arg(match.length).arg(text.size()));
        previousEnd = match.start + match.length;
    }
    FUZZ_CHECK(!matches.isEmpty(), word + QStringLiteral(" not found in ") + text);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const QByteArray bytes(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    const QString text = help::decodeHtmlPage(bytes);
    checkTree(text);
    const help::PageText page = help::pageText(text);
    checkPageText(page);
    checkSearch(page.text);
    return 0;
}
