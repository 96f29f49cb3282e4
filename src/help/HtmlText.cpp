// SPDX-License-Identifier: GPL-3.0-or-later
#include "HtmlText.h"
#include "Sitemap.h"

#include "shared/TextEncoding.h"

#include <QHash>
#include <QList>
#include <QRegularExpression>
#include <QStringList>

namespace help {

namespace {

QString declaredCharset(const QByteArray& html)
{
    // The declaration comes early in the head; further on, the text of a page explaining "charset=" would be read.
    QString head = QString::fromLatin1(html.left(2048));
    const qsizetype bodyAt = head.indexOf(QLatin1String("<body"), 0, Qt::CaseInsensitive);
    if (bodyAt >= 0)
        head.truncate(bodyAt);
    static const QRegularExpression meta(QStringLiteral("<meta[^>]*charset\\s*=\\s*[\"']?\\s*([A-Za-z0-9_.:\\-]+)"),
                                         QRegularExpression::CaseInsensitiveOption);
    const QRegularExpressionMatch m = meta.match(head);
    return m.hasMatch() ? m.captured(1) : QString();
}

// The character a reference at text[at] ('&') stands for, and its length; 0 for no reference we know.
char32_t readReference(QStringView text, qsizetype at, qsizetype* length)
{
    // References are short: looking no further keeps a text full of '&' linear.
    const qsizetype semicolon = text.mid(at + 1, 12).indexOf(QLatin1Char(';'));
    if (semicolon < 0)
        return 0;
    const QStringView body = text.mid(at + 1, semicolon);
    *length = semicolon + 2;  // with '&' and ';'
    if (body.startsWith(QLatin1Char('#'))) {
        bool ok = false;
        const bool hex = body.size() > 1 && (body[1] == QLatin1Char('x') || body[1] == QLatin1Char('X'));
        const uint value = hex ? body.mid(2).toUInt(&ok, 16) : body.mid(1).toUInt(&ok, 10);
        // A surrogate, zero or a value beyond Unicode cannot stand for a character.
        return ok && value != 0 && value <= 0x10FFFF && (value < 0xD800 || value > 0xDFFF) ? value : 0;
    }
    // The character references help pages use; the rest of HTML's long list stays as written.
    static const QHash<QString, char32_t> names = {
        {QStringLiteral("amp"), U'&'},     {QStringLiteral("lt"), U'<'},      {QStringLiteral("gt"), U'>'},
        {QStringLiteral("quot"), U'"'},    {QStringLiteral("apos"), U'\''},   {QStringLiteral("nbsp"), 0xA0},
        {QStringLiteral("copy"), 0xA9},    {QStringLiteral("reg"), 0xAE},     {QStringLiteral("trade"), 0x2122},
        {QStringLiteral("yen"), 0xA5},     {QStringLiteral("sect"), 0xA7},    {QStringLiteral("deg"), 0xB0},
        {QStringLiteral("plusmn"), 0xB1},  {QStringLiteral("times"), 0xD7},   {QStringLiteral("divide"), 0xF7},
        {QStringLiteral("middot"), 0xB7},  {QStringLiteral("laquo"), 0xAB},   {QStringLiteral("raquo"), 0xBB},
        {QStringLiteral("ndash"), 0x2013}, {QStringLiteral("mdash"), 0x2014}, {QStringLiteral("hellip"), 0x2026},
        {QStringLiteral("lsquo"), 0x2018}, {QStringLiteral("rsquo"), 0x2019}, {QStringLiteral("ldquo"), 0x201C},
        {QStringLiteral("rdquo"), 0x201D}, {QStringLiteral("bull"), 0x2022},  {QStringLiteral("larr"), 0x2190},
        {QStringLiteral("uarr"), 0x2191},  {QStringLiteral("rarr"), 0x2192},  {QStringLiteral("darr"), 0x2193},
        {QStringLiteral("euro"), 0x20AC},  {QStringLiteral("shy"), 0xAD},     {QStringLiteral("para"), 0xB6},
        {QStringLiteral("micro"), 0xB5},   {QStringLiteral("frac12"), 0xBD},  {QStringLiteral("iexcl"), 0xA1},
    };
    return names.value(body.toString(), 0);
}

// Replaces character references ("&amp;", "&#12354;", "&#x3042;") by their characters; unknown ones stay as written.
QString decodeEntities(QStringView text)
{
    if (!text.contains(QLatin1Char('&')))
        return text.toString();
    QString out;
    out.reserve(text.size());
    for (qsizetype i = 0; i < text.size(); ++i) {
        qsizetype length = 0;
        const char32_t c = text[i] == QLatin1Char('&') ? readReference(text, i, &length) : 0;
        if (c == 0) {
            out += text[i];
            continue;
        }
        out += QStringView(QChar::fromUcs4(c));
        i += length - 1;
    }
    return out;
}

bool isSpace(QChar c)
{
    return c == QLatin1Char(' ') || c == QLatin1Char('\t') || c == QLatin1Char('\n') || c == QLatin1Char('\r') ||
           c == QLatin1Char('\f');
}

bool isAsciiLetter(QChar c)
{
    return (c >= QLatin1Char('a') && c <= QLatin1Char('z')) || (c >= QLatin1Char('A') && c <= QLatin1Char('Z'));
}

bool isBlockTag(const QString& name)
{
    static const QStringList blocks = QStringLiteral(
                                          "p br div h1 h2 h3 h4 h5 h6 li ul ol dl dt dd tr td th table pre hr "
                                          "blockquote body center")
                                          .split(u' ');
    return blocks.contains(name);
}

// One piece of HTML as forEachToken reads it.
struct HtmlToken {
    enum Kind { Text, StartTag, EndTag };
    Kind kind = Text;
    QString name;                        // tag name in lower case
    QString text;                        // Text: the characters, references decoded
    QHash<QString, QString> attributes;  // names in lower case, values decoded; the first of a name counts
};

// Where the tag starting at `from` ends (its '>'), quotes respected; -1 when it never ends.
qsizetype tagEnd(QStringView html, qsizetype from)
{
    QChar quote;
    for (qsizetype i = from; i < html.size(); ++i) {
        const QChar c = html[i];
        if (!quote.isNull()) {
            if (c == quote)
                quote = QChar();
        } else if (c == QLatin1Char('"') || c == QLatin1Char('\'')) {
            // A quote only opens a value right after '='; elsewhere it is a stray character.
            qsizetype before = i - 1;
            while (before > from && isSpace(html[before]))
                --before;
            if (html[before] == QLatin1Char('='))
                quote = c;
        } else if (c == QLatin1Char('>')) {
            return i;
        }
    }
    // A quote left open: the tag ends at the first '>' after all, as browsers recover.
    return quote.isNull() ? -1 : html.indexOf(QLatin1Char('>'), from);
}

// Each a name, then its value after '=': quoted (to its closing quote, or to the end of the tag) or up
// to the next space. What starts no name ('=', '/') is passed over.
void readAttributes(QStringView tag, HtmlToken* token)
{
    static const QRegularExpression attribute(
        QStringLiteral("([^ \\t\\n\\r\\f=/]+)[ \\t\\n\\r\\f]*(?:=[ \\t\\n\\r\\f]*(?:\"([^\"]*)\"?|'([^']*)'?|([^ "
                       "\\t\\n\\r\\f]*)))?"));
    for (const QRegularExpressionMatch& m : attribute.globalMatch(tag)) {
        const QString name = m.captured(1).toLower();
        if (!token->attributes.contains(name))
            token->attributes.insert(name, decodeEntities(m.captured(2) + m.captured(3) + m.captured(4)));
    }
}

// Reads the tag at html[*pos] ('<') into the token and moves past it; false, and the token as it was, where
// no tag starts (a tag cut off by the end of the text moves to the end).
bool readTag(QStringView html, qsizetype* pos, HtmlToken* token)
{
    const bool closing = *pos + 1 < html.size() && html[*pos + 1] == QLatin1Char('/');
    const qsizetype nameStart = *pos + (closing ? 2 : 1);
    if (nameStart >= html.size() || !isAsciiLetter(html[nameStart]))
        return false;
    const qsizetype end = tagEnd(html, nameStart);
    if (end < 0) {
        *pos = html.size();
        return false;
    }
    qsizetype nameEnd = nameStart;
    while (nameEnd < end && !isSpace(html[nameEnd]) && html[nameEnd] != QLatin1Char('/'))
        ++nameEnd;
    token->kind = closing ? HtmlToken::EndTag : HtmlToken::StartTag;
    token->name = html.mid(nameStart, nameEnd - nameStart).toString().toLower();
    if (!closing)
        readAttributes(html.mid(nameEnd, end - nameEnd), token);
    *pos = end + 1;
    return true;
}

// Comments, <!DOCTYPE ...> and <?...?> at html[*pos]: passed over. A comment left open runs to the end.
bool skipMarkup(QStringView html, qsizetype* pos)
{
    const QStringView rest = html.mid(*pos);
    if (rest.startsWith(QLatin1String("<!--"))) {
        const qsizetype end = html.indexOf(QLatin1String("-->"), *pos + 4);
        *pos = end < 0 ? html.size() : end + 3;
        return true;
    }
    if (rest.startsWith(QLatin1String("<!")) || rest.startsWith(QLatin1String("<?"))) {
        const qsizetype end = html.indexOf(QLatin1Char('>'), *pos);
        *pos = end < 0 ? html.size() : end + 1;
        return true;
    }
    return false;
}

// Splits HTML into text and tags as a browser tolerates it, handing each to `each`: comments, declarations and
// processing instructions are dropped, a '<' starting no tag is text, a tag left open at the end is dropped, and
// the content of <script> and <style> is one text token, without tags looked for in it.
template <typename Each>
void forEachToken(QStringView html, Each each)
{
    QString rawTextUntil;  // the element whose content is raw text (script, style)
    for (qsizetype pos = 0; pos < html.size();) {
        HtmlToken token;  // text, unless a tag is read
        if (!rawTextUntil.isEmpty()) {
            // The content of <script> or <style> runs to its own end tag, whatever it holds.
            qsizetype end = html.indexOf(QStringLiteral("</") + rawTextUntil, pos, Qt::CaseInsensitive);
            if (end < 0)
                end = html.size();
            token.text = html.mid(pos, end - pos).toString();
            pos = end;
            rawTextUntil.clear();
            if (token.text.isEmpty())
                continue;
        } else if (html[pos] != QLatin1Char('<')) {
            qsizetype end = html.indexOf(QLatin1Char('<'), pos);
            if (end < 0)
                end = html.size();
            token.text = decodeEntities(html.mid(pos, end - pos));
            pos = end;
        } else if (skipMarkup(html, &pos)) {
            continue;
        } else if (!readTag(html, &pos, &token)) {
            // A '<' that starts no tag is text.
            token.text = QStringLiteral("<");
            ++pos;
        } else if (token.kind == HtmlToken::StartTag &&
                   (token.name == QLatin1String("script") || token.name == QLatin1String("style"))) {
            rawTextUntil = token.name;
        }
        each(token);
    }
}

// Nesting deeper than this is damage, read as at this depth; that also bounds the recursion of whoever walks the tree.
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

void addParam(const HtmlToken& token, ObjectParams* params)
{
    const QString name = token.attributes.value(QStringLiteral("name")).trimmed();
    const QString value = token.attributes.value(QStringLiteral("value")).trimmed();
    if (value.isEmpty())
        return;
    if (name.compare(QLatin1String("name"), Qt::CaseInsensitive) == 0)
        params->names.append(value);
    else if (name.compare(QLatin1String("local"), Qt::CaseInsensitive) == 0)
        params->locals.append(value);
    else if (name.compare(QLatin1String("see also"), Qt::CaseInsensitive) == 0)
        params->seeAlso.append(value);
    else if (name.compare(QLatin1String("reading"), Qt::CaseInsensitive) == 0)
        params->reading = value;
}

}  // namespace

QString decodeHtmlPage(const QByteArray& html)
{
    return QmrM::decodeDeclared(html, declaredCharset(html));
}

PageText pageText(const QString& html)
{
    PageText page;
    // The text with white space collapsed as a browser shows it.
    bool pendingSpace = false;
    const auto breakLine = [&] {
        pendingSpace = false;
        if (!page.text.isEmpty() && !page.text.endsWith(QLatin1Char('\n')))
            page.text += QLatin1Char('\n');
    };
    const auto addText = [&](const QString& text) {
        for (const QChar c : text) {
            if (isSpace(c)) {
                pendingSpace = true;
                continue;
            }
            if (pendingSpace && !page.text.isEmpty() && !page.text.endsWith(QLatin1Char('\n')))
                page.text += QLatin1Char(' ');
            pendingSpace = false;
            page.text += c;
        }
    };
    QString inside;  // title, script or style: their text is not part of what a reader sees
    forEachToken(html, [&](const HtmlToken& token) {
        switch (token.kind) {
        case HtmlToken::Text:
            if (inside == QLatin1String("title"))
                page.title += token.text;
            else if (inside.isEmpty())
                addText(token.text);
            break;
        case HtmlToken::StartTag:
            if (token.name == QLatin1String("body") && inside == QLatin1String("title"))
                inside.clear();  // a title left open ends with the head
            if (token.name == QLatin1String("title") || token.name == QLatin1String("script") ||
                token.name == QLatin1String("style"))
                inside = token.name;
            else if (isBlockTag(token.name))
                breakLine();
            break;
        case HtmlToken::EndTag:
            if (token.name == inside)
                inside.clear();
            else if (isBlockTag(token.name))
                breakLine();
            break;
        }
    });
    page.title = page.title.simplified();
    while (page.text.endsWith(QLatin1Char('\n')))
        page.text.chop(1);
    return page;
}

QList<SitemapEntry> readSitemap(const QString& html)
{
    QList<SitemapEntry> top;
    // The list of each open level, the current one last; entries go to the current list only, so those above stay put.
    QList<QList<SitemapEntry>*> lists{&top};
    QList<bool> openLists;  // for each <UL> open: whether it went a level deeper
    bool inObject = false;
    ObjectParams params;
    const auto finishObject = [&] {
        if (inObject) {
            SitemapEntry entry = entryFrom(params);
            if (!entry.name.isEmpty())
                lists.last()->append(std::move(entry));
        }
        inObject = false;
        params = ObjectParams();
    };
    forEachToken(html, [&](const HtmlToken& token) {
        const bool start = token.kind == HtmlToken::StartTag;
        if (token.kind == HtmlToken::Text || token.name == QLatin1String("param")) {
            if (start && inObject)
                addParam(token, &params);
            return;
        }
        const bool list = token.name == QLatin1String("ul") || token.name == QLatin1String("ol");
        // An object left open ends where the next begins, at a list item, or where a list opens or closes.
        if (list || token.name == QLatin1String("object") || (start && token.name == QLatin1String("li")))
            finishObject();
        if (list && start) {
            // A list opened after an entry holds that entry's children; one opened where there is no
            // entry yet (a stray <UL>) adds nothing to the nesting, and its </UL> closes nothing.
            QList<SitemapEntry>& current = *lists.last();
            const bool deeper = !current.isEmpty() && lists.size() <= kMaxDepth;
            if (deeper)
                lists.append(&current.last().children);
            openLists.append(deeper);
        } else if (list) {
            // The file's outermost list opens with nothing before it; its end, and any </UL> too many, change nothing.
            if (!openLists.isEmpty() && openLists.takeLast())
                lists.removeLast();
        } else if (start && token.name == QLatin1String("object")) {
            inObject = token.attributes.value(QStringLiteral("type"))
                           .compare(QLatin1String("text/sitemap"), Qt::CaseInsensitive) == 0;
        }
    });
    finishObject();
    return top;
}

}  // namespace help
