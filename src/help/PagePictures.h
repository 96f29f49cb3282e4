// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QByteArray>
#include <QMetaType>
#include <QObject>
#include <QTextObjectInterface>

namespace help {

// A picture file as a page's resource, not yet decoded: the document keeps it as it is, and PagePictures
// decodes it only as large as it is drawn. (Bytes given as a QByteArray the document would decode whole
// itself, whatever their size: an 8000 x 4000 picture takes 128 MB.)
struct PictureFile {
    QByteArray bytes;
};

// Draws the pictures of a help page no wider than the page: a picture wider than the room the page gives
// it (a window's picture in a narrow help window) is drawn smaller, in its own proportions, and takes its
// own size again when the page widens. A picture is decoded at the size it is drawn in the device's pixels
// (never larger than its own, nor than kMaxPicturePixels), once however often the page names its file, and
// a page keeps at most kMaxPageBytes of decoded pictures: past that, a picture is drawn from the smaller
// copy it has, or as an empty frame.
// On a printer the pictures keep the size they have on the screen (in inches), at the printer's resolution.
// It takes the place of the document's own picture drawing, on one document's layout (registerOn), and
// serves the copies that print it too.
class PagePictures : public QObject, public QTextObjectInterface {
    Q_OBJECT
    Q_INTERFACES(QTextObjectInterface)
public:
    using QObject::QObject;

    static constexpr qint64 kMaxPicturePixels = 4'000'000;
    static constexpr qint64 kMaxPageBytes = 64 * 1024 * 1024;

    static void registerOn(QTextDocument* document);

    QSizeF intrinsicSize(QTextDocument* document, int position, const QTextFormat& format) override;
    void drawObject(QPainter* painter, const QRectF& rect, QTextDocument* document, int position,
                    const QTextFormat& format) override;
};

}  // namespace help

Q_DECLARE_METATYPE(help::PictureFile)
