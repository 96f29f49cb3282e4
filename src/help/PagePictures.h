// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QByteArray>
#include <QMetaType>
#include <QObject>
#include <QTextObjectInterface>

namespace help {

// A picture file as a page's resource, kept undecoded: PagePictures decodes it only as large as it is drawn. (The
// document would decode a QByteArray whole, whatever its size: an 8000 x 4000 picture takes 128 MB.)
struct PictureFile {
    QByteArray bytes;
};

// Draws a help page's pictures no wider than the page: one wider than its room (a window's picture in a narrow help
// window) is drawn smaller, in its own proportions, and regains its size when the page widens. A picture is decoded at
// its drawn size in device pixels (never above its own, nor kMaxPicturePixels), once however often the page names its
// file; a page keeps at most kMaxPageBytes of decoded pictures, past which a picture is drawn from its smaller copy, or
// as an empty frame. On a printer pictures keep their screen size (in inches). It replaces the document's own picture
// drawing on one document's layout (registerOn), and serves the copies that print it.
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
