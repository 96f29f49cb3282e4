// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QObject>
#include <QTextObjectInterface>

namespace help {

// Draws the pictures of a help page no wider than the page: a picture wider than the room the page gives
// it (a window's picture in a narrow help window) is drawn smaller, in its own proportions, and takes its
// own size again when the page widens. It takes the place of the document's own picture drawing, on one
// document's layout (registerOn).
class PagePictures : public QObject, public QTextObjectInterface {
    Q_OBJECT
    Q_INTERFACES(QTextObjectInterface)
public:
    using QObject::QObject;

    static void registerOn(QTextDocument* document);

    QSizeF intrinsicSize(QTextDocument* document, int position, const QTextFormat& format) override;
    void drawObject(QPainter* painter, const QRectF& rect, QTextDocument* document, int position,
                    const QTextFormat& format) override;
};

}  // namespace help
