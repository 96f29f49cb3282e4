// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "help/Sitemap.h"

#include <QList>

// A sitemap's entries, depth first, with their depth (0 for the top level): what the tests and the fuzz
// targets compare and check entry by entry.
struct FlatEntry {
    const help::SitemapEntry* entry;
    int depth;
};

inline void flattenInto(const QList<help::SitemapEntry>& entries, int depth, QList<FlatEntry>* out)
{
    for (const help::SitemapEntry& entry : entries) {
        out->append({&entry, depth});
        flattenInto(entry.children, depth + 1, out);
    }
}

inline QList<FlatEntry> flatten(const QList<help::SitemapEntry>& entries)
{
    QList<FlatEntry> out;
    flattenInto(entries, 0, &out);
    return out;
}
