// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QByteArray>
#include <QList>
#include <QPair>
#include <QString>
#include <QStringView>

// Reading the HTML of help files: pages, contents and index files. Qt Core only.
namespace help {

// Decodes the bytes of an HTML page (or a contents or index file): in the charset its <meta> names,
// else UTF-8 when the bytes are valid UTF-8, else code page 932.
QString decodeHtmlPage(const QByteArray& html);

// One piece of HTML as the tokenizer reads it.
struct HtmlToken {
    enum Kind { Text, StartTag, EndTag };
    Kind kind = Text;
    QString name;                               // tag name in lower case
    QString text;                               // Text: the characters, references decoded
    QList<QPair<QString, QString>> attributes;  // names in lower case, values decoded

    QString attribute(QStringView attributeName) const;
};

// Splits HTML into text and tags the way a browser tolerates it: comments, declarations and
// processing instructions are dropped, a '<' that starts no tag is text, a tag left open at
// the end is dropped, and the content of <script> and <style> is handed over as one text
// token without looking for tags in it.
class HtmlTokenizer {
public:
    explicit HtmlTokenizer(QStringView html) : mHtml(html) {}
    // The next token; false at the end.
    bool next(HtmlToken* token);

private:
    bool readTag(HtmlToken* token);
    void readAttributes(qsizetype from, qsizetype end, HtmlToken* token);
    qsizetype tagEnd(qsizetype from) const;
    bool skipMarkup();

    QStringView mHtml;
    qsizetype mPos = 0;
    QString mRawTextUntil;  // the element whose content is raw text (script, style)
};

// What a page holds as text: its title, and the text a reader sees, tags left out, runs of
// white space made one space, and a line break between blocks (paragraphs, headings, list
// items, table cells) so that words of two blocks never run together.
struct PageText {
    QString title;
    QString text;
};
PageText pageText(const QString& html);

}  // namespace help
