// SPDX-License-Identifier: GPL-3.0-or-later
#include "PagePictures.h"

#include <QAbstractTextDocumentLayout>
#include <QBuffer>
#include <QCryptographicHash>
#include <QImage>
#include <QImageReader>
#include <QPainter>
#include <QTextBlock>
#include <QTextDocument>
#include <QTextFrame>
#include <QTextList>

#include <cmath>

namespace help {

namespace {

// A page's pictures are kept in its document's resources, which go with the page: under a picture's name the copy
// it is drawn from; under names of our own, its file and own size, the largest copy decoded of each file (one named
// as "a.png?1" and "a.png?2" is decoded once), and the bytes the page's copies take, at most kMaxPageBytes.
struct PictureSource {
    QByteArray file;
    QSize own;        // empty for a file that is no picture
    QUrl decodedKey;  // where the largest copy of this file is kept
};

const QUrl kHeldBytesKey(QStringLiteral("quillmora-pictures:held-bytes"));
// Copies are decoded this much larger than drawn, so a window widened a few pixels at a time does not decode anew.
constexpr double kHeadroom = 1.25;

QUrl pictureName(QTextDocument* document, const QTextFormat& format)
{
    return document->baseUrl().resolved(QUrl(format.toImageFormat().name()));
}

QUrl ownKey(const char* kind, const QByteArray& identity)
{
    return QUrl(QStringLiteral("quillmora-picture-%1:%2").arg(QLatin1String(kind), QLatin1String(identity.toHex())));
}

// The file and own size of a picture, learnt once a page from the file's header.
PictureSource sourceOf(QTextDocument* document, const QUrl& name)
{
    const QUrl key = ownKey("source", name.toEncoded());
    const QVariant kept = document->resource(QTextDocument::UserResource, key);
    if (kept.metaType() == QMetaType::fromType<PictureSource>())
        return kept.value<PictureSource>();
    // The browser serves every picture as its file (empty when the help file does not hold it).
    PictureSource source;
    source.file = document->resource(QTextDocument::ImageResource, name).value<PictureFile>().bytes;
    QBuffer buffer(&source.file);
    buffer.open(QIODevice::ReadOnly);
    const QSize own = QImageReader(&buffer).size();
    source.own = own.isValid() ? own : QSize(0, 0);  // a file that is no picture takes no room
    source.decodedKey = ownKey("copy", QCryptographicHash::hash(source.file, QCryptographicHash::Sha1));
    document->addResource(QTextDocument::UserResource, key, QVariant::fromValue(source));
    return source;
}

// The size a picture is decoded at to be drawn `wanted` device pixels large: no larger than its own, and
// within the pixels a picture may take.
QSize decodingSize(const QSize& own, const QSizeF& wanted)
{
    QSize size = own;
    if (wanted.width() < own.width())
        size = own.scaled(QSize(static_cast<int>(std::ceil(wanted.width())), own.height()), Qt::KeepAspectRatio);
    const double pixels = double(size.width()) * size.height();
    if (pixels > PagePictures::kMaxPicturePixels) {
        const double factor = std::sqrt(PagePictures::kMaxPicturePixels / pixels);
        size = QSize(static_cast<int>(size.width() * factor), static_cast<int>(size.height() * factor));
    }
    return size.expandedTo(QSize(1, 1));
}

// The copy a picture is drawn from, at least `wanted` device pixels large: decoded from its file when the page has
// none that large and room for it, else the largest it has (null for none). Kept under the picture's name.
QImage pictureToDraw(QTextDocument* document, const QUrl& name, const QSizeF& wanted)
{
    PictureSource source = sourceOf(document, name);
    if (source.own.isEmpty())
        return QImage();
    QImage copy = document->resource(QTextDocument::UserResource, source.decodedKey).value<QImage>();
    const QSize size = decodingSize(source.own, wanted * kHeadroom);
    const qint64 pageBytes = document->resource(QTextDocument::UserResource, kHeldBytesKey).toLongLong();
    if ((copy.isNull() || copy.width() < decodingSize(source.own, wanted).width()) &&
        pageBytes + qint64(size.width()) * size.height() * 4 <= PagePictures::kMaxPageBytes) {
        QBuffer buffer(&source.file);
        buffer.open(QIODevice::ReadOnly);
        QImageReader reader(&buffer);
        // Formats that can (JPEG) read the picture at that size; the others are read and scaled down at once.
        reader.setScaledSize(size);
        const QImage decoded = reader.read();
        if (!decoded.isNull()) {
            // Counted whole: a smaller copy drawn meanwhile may stay in use until the page is drawn again.
            document->addResource(QTextDocument::UserResource, kHeldBytesKey, pageBytes + decoded.sizeInBytes());
            document->addResource(QTextDocument::UserResource, source.decodedKey, decoded);
            copy = decoded;
        }
    }
    if (!copy.isNull())
        document->addResource(QTextDocument::ImageResource, name, copy);
    return copy;
}

// The size the page asks for: its width and height, the picture's own if none, in its proportions if one only.
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

// Pixels of the document's layout device per screen pixel: a printer's many, so a picture keeps its size on paper.
qreal deviceScale(QTextDocument* document)
{
    const QPaintDevice* device = document->documentLayout()->paintDevice();
    return device ? device->logicalDpiY() / 96.0 : 1.0;
}

// The width a picture has in its paragraph: the page's width less its margins and the paragraph's
// indents (a list's too). Negative when the page is not laid out to a width.
qreal roomAt(QTextDocument* document, int position, qreal scale)
{
    const QTextBlock block = document->findBlock(position);
    const QTextBlockFormat paragraph = block.blockFormat();
    qreal indents = paragraph.leftMargin() + paragraph.rightMargin() + paragraph.indent() * document->indentWidth();
    if (const QTextList* list = block.textList())
        indents += list->format().indent() * document->indentWidth();
    // Printing sets the page's margins on its root frame.
    const QTextFrameFormat page = document->rootFrame()->frameFormat();
    const qreal margins = page.leftMargin() + page.rightMargin() + 2 * (page.border() + page.padding());
    return document->textWidth() - margins - indents * scale;
}

}  // namespace

void PagePictures::registerOn(QTextDocument* document)
{
    document->documentLayout()->registerHandler(QTextFormat::ImageObject, new PagePictures(document));
}

QSizeF PagePictures::intrinsicSize(QTextDocument* document, int position, const QTextFormat& format)
{
    const qreal scale = deviceScale(document);
    const QSizeF size =
        askedSize(format.toImageFormat(), sourceOf(document, pictureName(document, format)).own) * scale;
    const qreal room = roomAt(document, position, scale);
    if (room <= 0 || size.width() <= room)
        return size;
    return QSizeF(room, size.height() * room / size.width());
}

void PagePictures::drawObject(QPainter* painter, const QRectF& rect, QTextDocument* document, int,
                              const QTextFormat& format)
{
    const qreal toDevice = painter->device()->devicePixelRatioF() * std::abs(painter->combinedTransform().m11());
    const QImage picture = pictureToDraw(document, pictureName(document, format), rect.size() * toDevice);
    painter->save();
    if (picture.isNull()) {
        // Past what the page may hold: the picture's place, framed.
        painter->setPen(QPen(Qt::lightGray, 0));
        painter->drawRect(rect.adjusted(0, 0, -1, -1));
    } else {
        painter->setRenderHint(QPainter::SmoothPixmapTransform);
        painter->drawImage(rect, picture);
    }
    painter->restore();
}

}  // namespace help
