// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QByteArray>
#include <QString>

// Reading the HTML of help files: pages, and contents and index files (Sitemap.h, read here with the
// pages' tokenizer). Qt Core only.
namespace help {

// Decodes the bytes of an HTML page (or a contents or index file): in the charset its <meta> names,
// else UTF-8 when the bytes are valid UTF-8, else code page 932.
QString decodeHtmlPage(const QByteArray& html);

// What a page holds as text: its title, and the text a reader sees, tags left out, white space runs made one space, and
// a line break between blocks (paragraphs, headings, list items, table cells) so their words never run together.
struct PageText {
    QString title;
    QString text;
};
PageText pageText(const QString& html);

}  // namespace help
