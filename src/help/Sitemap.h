// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QList>
#include <QString>
#include <QStringList>

// The contents (.hhc) and index (.hhk) files of compiled help: "sitemaps", HTML lists of <OBJECT type="text/sitemap">
// entries whose <param> elements give a name and a page. Qt Core only.
namespace help {

struct SitemapTopic {
    QString title;
    QString local;  // the page as written in the file ("page.html#part")
};

struct SitemapEntry {
    QString name;
    // How a keyword written in kanji reads, in kana ("画像として保存" reads "がぞうとしてほぞん"): a Japanese
    // index is ordered by it. Empty where the name reads as written.
    QString reading;
    // The entry's pages: a contents entry has at most one, an index keyword several, each with its own title.
    QList<SitemapTopic> topics;
    // Index keywords this one refers to instead of, or besides, pages of its own.
    QStringList seeAlso;
    QList<SitemapEntry> children;
};

// Reads a sitemap tolerantly: nesting follows <UL> and </UL> as far as they match, closing tags may be missing, unknown
// tags are passed over, parameters are taken in any order and case, character references decoded. Entries naming
// nothing are left out. Never fails: what cannot be read gives fewer entries.
QList<SitemapEntry> readSitemap(const QString& html);

}  // namespace help
