// SPDX-License-Identifier: GPL-3.0-or-later
// Writes the pictures of pictures.chm into the folder given: pictures far larger than any page shows, which
// compress to a few kilobytes.
//
//   large.png          8000 x 4000, two colours: one file a page names twenty times
//   tall1.png ... tall5.png   400 x 10000, in full colour (16 MB each once decoded), each a little different
//   wide.png           631 x 450, one blue: as wide as a window's picture, easy to find on a printed page
#include <QDir>
#include <QImage>
#include <QPainter>

int main(int argc, char* argv[])
{
    if (argc != 2)
        return 2;
    const QDir folder(QString::fromLocal8Bit(argv[1]));
    QImage large(8000, 4000, QImage::Format_Mono);
    large.fill(0);
    for (int x = 0; x < large.width(); x += 400)
        large.setPixel(x, x / 2, 1);
    bool ok = large.save(folder.filePath(QStringLiteral("large.png")));
    for (int i = 1; i <= 5; ++i) {
        QImage tall(400, 10000, QImage::Format_RGB32);
        tall.fill(Qt::white);
        QPainter(&tall).fillRect(0, 1000 * i, 400, 1000, QColor(40 * i, 90, 200));
        ok = tall.save(folder.filePath(QStringLiteral("tall%1.png").arg(i))) && ok;
    }
    QImage wide(631, 450, QImage::Format_RGB32);
    wide.fill(QColor(30, 90, 200));
    ok = wide.save(folder.filePath(QStringLiteral("wide.png"))) && ok;
    return ok ? 0 : 1;
}
