// SPDX-License-Identifier: GPL-3.0-or-later
#include "PagePictures.h"

#include <QAbstractTextDocumentLayout>
#include <QImage>
#include <QPainter>
#include <QPixmap>
#include <QTextBlock>
#include <QTextDocument>
#include <QTextList>

namespace help {

namespace {

// The picture a page names, decoded once per page: the document keeps it among its resources.
QImage pictureOf(QTextDocument* document, const QTextImageFormat& format)
{
    const QUrl name(format.name());
    const QVariant data = document->resource(QTextDocument::ImageResource, name);
    if (data.userType() == QMetaType::QImage)
        return data.value<QImage>();
    if (data.userType() == QMetaType::QPixmap)
        return data.value<QPixmap>().toImage();
    const QImage picture = QImage::fromData(data.toByteArray());
    document->addResource(QTextDocument::ImageResource, name, picture);
    return picture;
}

// The size the page asks for: its width and height, the picture's own where it gives none, in the
// picture's proportions where it gives one only.
QSizeF askedSize(const QTextImageFormat& format, QSizeF own)
{
    const bool width = format.hasProperty(QTextFormat::ImageWidth);
    const bool height = format.hasProperty(QTextFormat::ImageHeight);
    if (width && height)
        return QSizeF(format.width(), format.height());
    if (width && own.width() > 0)
        return QSizeF(format.width(), own.height() * format.width() / own.width());
    if (height && own.height() > 0)
        return QSizeF(own.width() * format.height() / own.height(), format.height());
    return own;
}

// The width a picture has in its paragraph: the page's width less its margins and the paragraph's
// indents (a list's too). Negative when the page is not laid out to a width.
qreal roomAt(QTextDocument* document, int position)
{
    const QTextBlock block = document->findBlock(position);
    const QTextBlockFormat paragraph = block.blockFormat();
    qreal indents = paragraph.leftMargin() + paragraph.rightMargin() + paragraph.indent() * document->indentWidth();
    if (const QTextList* list = block.textList())
        indents += list->format().indent() * document->indentWidth();
    return document->textWidth() - 2 * document->documentMargin() - indents;
}

}  // namespace

void PagePictures::registerOn(QTextDocument* document)
{
    document->documentLayout()->registerHandler(QTextFormat::ImageObject, new PagePictures(document));
}

QSizeF PagePictures::intrinsicSize(QTextDocument* document, int position, const QTextFormat& format)
{
    const QTextImageFormat picture = format.toImageFormat();
    const QSizeF size = askedSize(picture, pictureOf(document, picture).size());
    const qreal room = roomAt(document, position);
    if (room <= 0 || size.width() <= room)
        return size;
    return QSizeF(room, size.height() * room / size.width());
}

void PagePictures::drawObject(QPainter* painter, const QRectF& rect, QTextDocument* document, int,
                              const QTextFormat& format)
{
    const QImage picture = pictureOf(document, format.toImageFormat());
    if (picture.isNull())
        return;
    painter->save();
    painter->setRenderHint(QPainter::SmoothPixmapTransform);
    painter->drawImage(rect, picture);
    painter->restore();
}

}  // namespace help
