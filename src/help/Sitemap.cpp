// SPDX-License-Identifier: GPL-3.0-or-later
#include "Sitemap.h"

#include "HtmlText.h"

namespace help {

namespace {

// Nesting deeper than this is damage; deeper lists are read as if at this depth, which also
// bounds the recursion of whoever walks the tree.
constexpr int kMaxDepth = 64;

struct ObjectParams {
    QString reading;
    QStringList names;
    QStringList locals;
    QStringList seeAlso;
};

SitemapEntry entryFrom(const ObjectParams& params)
{
    SitemapEntry entry;
    entry.name = params.names.value(0);
    entry.reading = params.reading;
    entry.seeAlso = params.seeAlso;
    // A keyword with several pages names each page after the keyword's own name:
    // Name (keyword), Name, Local, Name, Local... With one name only, it titles every page.
    const bool titledPages = params.names.size() > params.locals.size() && params.names.size() > 1;
    for (qsizetype i = 0; i < params.locals.size(); ++i) {
        const QString title = titledPages ? params.names.value(i + 1) : params.names.value(i);
        entry.topics.append({title.isEmpty() ? entry.name : title, params.locals[i]});
    }
    if (entry.name.isEmpty() && !entry.topics.isEmpty())
        entry.name = entry.topics.first().local;
    return entry;
}

class SitemapReader {
public:
    QList<SitemapEntry> read(const QString& html)
    {
        HtmlTokenizer tokenizer(html);
        HtmlToken token;
        while (tokenizer.next(&token)) {
            if (token.kind != HtmlToken::Text)
                tag(token);
        }
        finishObject();
        return std::move(mTop);
    }

private:
    void tag(const HtmlToken& token)
    {
        const bool start = token.kind == HtmlToken::StartTag;
        if (token.name == QLatin1String("param")) {
            if (start && mInObject)
                addParam(token);
            return;
        }
        const bool list = token.name == QLatin1String("ul") || token.name == QLatin1String("ol");
        // An object left open ends where the next begins, at a list item, or where a list opens or closes.
        if (list || token.name == QLatin1String("object") || (start && token.name == QLatin1String("li")))
            finishObject();
        if (list)
            start ? openList() : closeList();
        else if (start && token.name == QLatin1String("object"))
            mInObject = token.attribute(u"type").compare(QLatin1String("text/sitemap"), Qt::CaseInsensitive) == 0;
    }

    void addParam(const HtmlToken& token)
    {
        const QString name = token.attribute(u"name").trimmed();
        const QString value = token.attribute(u"value").trimmed();
        if (value.isEmpty())
            return;
        if (name.compare(QLatin1String("name"), Qt::CaseInsensitive) == 0)
            mParams.names.append(value);
        else if (name.compare(QLatin1String("local"), Qt::CaseInsensitive) == 0)
            mParams.locals.append(value);
        else if (name.compare(QLatin1String("see also"), Qt::CaseInsensitive) == 0)
            mParams.seeAlso.append(value);
        else if (name.compare(QLatin1String("reading"), Qt::CaseInsensitive) == 0)
            mParams.reading = value;
    }

    void finishObject()
    {
        if (mInObject) {
            SitemapEntry entry = entryFrom(mParams);
            if (!entry.name.isEmpty())
                currentList().append(std::move(entry));
        }
        mInObject = false;
        mParams = ObjectParams();
    }

    // A list opened after an entry holds that entry's children; one opened where there is no
    // entry yet (a stray <UL>) adds nothing to the nesting, and its </UL> closes nothing.
    void openList()
    {
        QList<SitemapEntry>& list = currentList();
        if (list.isEmpty() || mPath.size() >= kMaxDepth) {
            mOpenLists.append(false);
            return;
        }
        mPath.append(list.size() - 1);
        mOpenLists.append(true);
    }

    void closeList()
    {
        // The outermost list of the file is opened with nothing before it; its end, and any
        // </UL> too many, leave the nesting as it is.
        if (mOpenLists.isEmpty())
            return;
        if (mOpenLists.takeLast() && !mPath.isEmpty())
            mPath.removeLast();
    }

    QList<SitemapEntry>& currentList()
    {
        QList<SitemapEntry>* list = &mTop;
        for (const qsizetype index : mPath)
            list = &(*list)[index].children;
        return *list;
    }

    QList<SitemapEntry> mTop;
    QList<qsizetype> mPath;  // index of the parent entry at each level
    QList<bool> mOpenLists;  // for each <UL> open: whether it went a level deeper
    bool mInObject = false;
    ObjectParams mParams;
};

}  // namespace

QList<SitemapEntry> readSitemap(const QString& html)
{
    return SitemapReader().read(html);
}

}  // namespace help
