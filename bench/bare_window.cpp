// SPDX-License-Identifier: GPL-3.0-or-later
// The floor of the start-up figures: the least a Qt Widgets program does to show a window, a label and a
// button, linked with nothing but Qt Widgets. bench_first_window starts it beside the program.
//
//   bare_window            a Latin label and button
//   bare_window japanese   a Japanese label and button, as the program's windows have: the font that has
//                          Japanese characters is the first thing the floor adds
#include <QApplication>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>
#include <QWidget>

#include <cstring>

int main(int argc, char* argv[])
{
    QApplication app(argc, argv);
    const bool japanese = argc > 1 && std::strcmp(argv[1], "japanese") == 0;
    QWidget window;
    auto* layout = new QVBoxLayout(&window);
    layout->addWidget(new QLabel(japanese ? QStringLiteral("腕立て伏せ 20 回") : QStringLiteral("Quillmora")));
    layout->addWidget(new QPushButton(japanese ? QStringLiteral("次へ") : QStringLiteral("OK")));
    window.show();
    return app.exec();
}
