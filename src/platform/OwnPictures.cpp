// SPDX-License-Identifier: GPL-3.0-or-later
#include "AppSetup.h"

#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <QImageReader>
#include <QPixmap>
#include <QtEndian>

namespace platform {

namespace {

template <typename T>
T littleEndian(const QByteArray& data, qsizetype at)
{
    return qFromLittleEndian<T>(data.constData() + at);
}

// One icon image: bitmap header, colour table, colour indexes, then the mask (one bit a pixel, 1: transparent), in
// rows from the bottom up padded to four bytes. Null unless 1, 4 or 8 bits a pixel, uncompressed, within the file.
QImage indexedIconImage(const QByteArray& file, quint32 offset, quint32 size)
{
    if (offset > quint32(file.size()) || size > quint32(file.size()) - offset || size < 40)
        return {};
    const QByteArray data = file.mid(offset, size);
    const qsizetype headerSize = littleEndian<quint32>(data, 0);
    const qint64 width = qint32(littleEndian<quint32>(data, 4));
    const qint64 height = qint32(littleEndian<quint32>(data, 8)) / 2;  // the colours' rows and the mask's
    const int bits = int(littleEndian<quint16>(data, 14));
    const quint32 coloursUsed = littleEndian<quint32>(data, 32);
    const quint32 colours = coloursUsed ? coloursUsed : 1u << bits;
    if (headerSize < 40 || width < 1 || width > 256 || height < 1 || height > 256 ||
        littleEndian<quint32>(data, 16) != 0 || (bits != 1 && bits != 4 && bits != 8) || colours > 1u << bits)
        return {};
    const qsizetype indexesAt = headerSize + 4 * qsizetype(colours);
    const qsizetype indexRow = (width * bits + 31) / 32 * 4;
    const qsizetype maskAt = indexesAt + indexRow * height;
    const qsizetype maskRow = (width + 31) / 32 * 4;
    if (maskAt + maskRow * height > data.size())
        return {};

    const auto* bytes = reinterpret_cast<const uchar*>(data.constData());
    QImage image(int(width), int(height), QImage::Format_ARGB32);
    for (int y = 0; y < height; ++y) {
        const uchar* indexes = bytes + indexesAt + (height - 1 - y) * indexRow;
        const uchar* mask = bytes + maskAt + (height - 1 - y) * maskRow;
        auto* pixels = reinterpret_cast<QRgb*>(image.scanLine(y));
        for (int x = 0; x < width; ++x) {
            const int bit = x * bits;
            const quint32 index = indexes[bit / 8] >> (8 - bits - bit % 8) & ((1u << bits) - 1);
            const uchar* bgr = bytes + headerSize + 4 * index;
            const bool transparent = mask[x / 8] >> (7 - x % 8) & 1;
            pixels[x] = transparent || index >= colours ? qRgba(0, 0, 0, 0) : qRgb(bgr[2], bgr[1], bgr[0]);
        }
    }
    return image;
}

// An icon file's images, in its order; null unless it is an icon file of images with a colour table.
QIcon indexedIcon(const QByteArray& file)
{
    if (file.size() < 6 || littleEndian<quint16>(file, 0) != 0 || littleEndian<quint16>(file, 2) != 1)
        return {};
    const qsizetype count = littleEndian<quint16>(file, 4);
    if (6 + 16 * count > file.size())
        return {};
    QIcon icon;
    for (qsizetype i = 0; i < count; ++i) {
        const qsizetype entry = 6 + 16 * i;
        const QImage image =
            indexedIconImage(file, littleEndian<quint32>(file, entry + 12), littleEndian<quint32>(file, entry + 8));
        if (image.isNull())
            return {};
        icon.addPixmap(QPixmap::fromImage(image));
    }
    return icon;
}

}  // namespace

QIcon picture(const QString& resource)
{
    const QByteArray format = QFileInfo(resource).suffix().toLower().toLatin1();
    if (format == "ico") {
        QFile file(resource);
        if (file.open(QIODevice::ReadOnly)) {
            const QIcon icon = indexedIcon(file.readAll());
            if (!icon.isNull())
                return icon;
        }
    }
    QImageReader reader(resource, format);
    reader.setAutoDetectImageFormat(false);
    QIcon icon;
    for (bool more = true; more; more = reader.jumpToNextImage()) {
        const QImage image = reader.read();
        if (!image.isNull())
            icon.addPixmap(QPixmap::fromImage(image));
    }
    return icon;
}

}  // namespace platform
