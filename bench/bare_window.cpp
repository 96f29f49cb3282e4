// SPDX-License-Identifier: GPL-3.0-or-later
// The floor of the start-up figures: the least a Qt Widgets program does to show a window, a label and a
// button, linked with nothing but Qt Widgets. bench_first_window starts it beside the program.
#include <QApplication>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>
#include <QWidget>

int main(int argc, char* argv[])
{
    QApplication app(argc, argv);
    QWidget window;
    auto* layout = new QVBoxLayout(&window);
    layout->addWidget(new QLabel(QStringLiteral("Quillmora")));
    layout->addWidget(new QPushButton(QStringLiteral("OK")));
    window.show();
    return app.exec();
}
