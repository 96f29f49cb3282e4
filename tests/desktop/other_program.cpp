// SPDX-License-Identifier: GPL-3.0-or-later
// Another program the user works in while a wait ends: a text window that writes what it is typed to the
// file it is given, and turns full screen or back when told so on its standard input ("full", "normal",
// "activate"). Its window is titled "other-program".

#include <QApplication>
#include <QFile>
#include <QPlainTextEdit>
#include <QSocketNotifier>

#include <cstdio>
#include <unistd.h>

int main(int argc, char* argv[])
{
    QApplication app(argc, argv);
    if (argc != 2)
        return 2;
    const QString received = QString::fromLocal8Bit(argv[1]);
    QPlainTextEdit editor;
    editor.setWindowTitle(QStringLiteral("other-program"));
    editor.resize(700, 500);
    QObject::connect(&editor, &QPlainTextEdit::textChanged, [&] {
        QFile file(received);
        if (file.open(QIODevice::WriteOnly))
            file.write(editor.toPlainText().toUtf8());
    });
    QSocketNotifier commands(STDIN_FILENO, QSocketNotifier::Read);
    QObject::connect(&commands, &QSocketNotifier::activated, [&] {
        char line[64] = {};
        if (!std::fgets(line, sizeof line, stdin)) {
            app.quit();
            return;
        }
        const QByteArray command = QByteArray(line).trimmed();
        if (command == "full")
            editor.showFullScreen();
        else if (command == "normal")
            editor.showNormal();
        editor.raise();
        editor.activateWindow();
        std::printf("%s\n", command.constData());
        std::fflush(stdout);
    });
    editor.show();
    return app.exec();
}
