// SPDX-License-Identifier: GPL-3.0-or-later
// The program's own message boxes, not the scripted ones the other tests use: the buttons each style
// offers, its icon, which button Enter and Escape press, and that a notice does not hold the program and
// goes when the program lets go of it. And the toolkit's own dialogs in Japanese for a user whose system
// speaks no Japanese.

#include "platform/AppSetup.h"
#include "platform/Dialogs.h"
#include "platform/Guard.h"
#include "platform/FitLabel.h"

#include <QAccessible>
#include <QApplication>
#include <QClipboard>
#include <QFileDialog>
#include <QLabel>
#include <QMessageBox>
#include <QPushButton>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>
#include <QTextLayout>
#include <QTimer>
#include <QTreeView>

namespace {

struct SeenBox {
    QStringList buttons;
    QMessageBox::Icon icon = QMessageBox::NoIcon;
    QString defaultButton;
    QString title;
    QString text;
};

QMessageBox* openBox()
{
    for (QWidget* widget : QApplication::topLevelWidgets()) {
        if (auto* box = qobject_cast<QMessageBox*>(widget); box && box->isVisible())
            return box;
    }
    return nullptr;
}

// Shows a box of the given style, notes what it offers, answers it with `key` and returns the answer.
int showAndAnswer(int style, Qt::Key key, SeenBox* seen)
{
    QTimer::singleShot(0, [=] {
        QMessageBox* box = nullptr;
        QTRY_VERIFY((box = openBox()) != nullptr);
        for (QAbstractButton* button : box->buttons())
            seen->buttons.append(button->text());
        seen->icon = box->icon();
        seen->defaultButton = box->defaultButton() ? box->defaultButton()->text() : QString();
        seen->title = box->windowTitle();
        seen->text = platform::withoutWordJoiners(box->text());
        QTest::keyClick(box, key);
    });
    return platform::MsgBox(QStringLiteral("本文"), style, QStringLiteral("題名"));
}

// The lines a word-wrapped label shows its text on.
QStringList shownLines(const QLabel* label)
{
    QStringList lines;
    for (const QString& paragraph : label->text().split(QLatin1Char('\n'))) {
        QTextLayout layout(paragraph, label->font());
        QTextOption option;
        option.setWrapMode(QTextOption::WordWrap);
        layout.setTextOption(option);
        layout.beginLayout();
        for (QTextLine line = layout.createLine(); line.isValid(); line = layout.createLine()) {
            line.setLineWidth(label->contentsRect().width());
            lines.append(platform::withoutWordJoiners(paragraph.mid(line.textStart(), line.textLength())).trimmed());
        }
        layout.endLayout();
    }
    return lines;
}

}  // namespace

class TestRealDialogs : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() { platform::setUpApplication(*qobject_cast<QApplication*>(qApp)); }

    void stylesOfferTheirButtonsIconAndDefault();
    void noticeDoesNotWait();
    void longTextWrapsBetweenWords();
    void boxKeepsItsTitleWholeAndGivesThePlainText();
    void fileDialogSpeaksJapaneseUnderTheCLocale();
};

void TestRealDialogs::stylesOfferTheirButtonsIconAndDefault()
{
    const QString ok = QStringLiteral("OK");
    const QString cancel = QStringLiteral("キャンセル");
    SeenBox seen;
    // Warning, one OK: Enter and Escape both close it with OK.
    QCOMPARE(showAndAnswer(platform::vbExclamation, Qt::Key_Escape, &seen), int(platform::vbOK));
    QCOMPARE(seen.buttons, QStringList{ok});
    QCOMPARE(seen.icon, QMessageBox::Warning);
    QCOMPARE(seen.title, QStringLiteral("題名"));
    QCOMPARE(seen.text, QStringLiteral("本文"));
    // Notice: information icon, one OK.
    seen = {};
    QCOMPARE(showAndAnswer(platform::vbInformation, Qt::Key_Return, &seen), int(platform::vbOK));
    QCOMPARE(seen.buttons, QStringList{ok});
    QCOMPARE(seen.icon, QMessageBox::Information);
    // Confirmation: OK and Cancel, OK the default, Escape is Cancel (a deletion must never be confirmed by
    // Escape).
    seen = {};
    QCOMPARE(showAndAnswer(platform::vbOKCancel | platform::vbExclamation, Qt::Key_Escape, &seen),
             int(platform::vbCancel));
    QCOMPARE(seen.buttons.size(), 2);
    QVERIFY2(seen.buttons.contains(ok) && seen.buttons.contains(cancel), qPrintable(seen.buttons.join(u'|')));
    QCOMPARE(seen.icon, QMessageBox::Warning);
    QCOMPARE(seen.defaultButton, ok);
    seen = {};
    QCOMPARE(showAndAnswer(platform::vbOKCancel | platform::vbExclamation, Qt::Key_Return, &seen), int(platform::vbOK));
    // A question where OK risks harm: Enter answers Cancel.
    seen = {};
    const int cautious = platform::vbOKCancel | platform::vbExclamation | platform::vbDefaultButton2;
    QCOMPARE(showAndAnswer(cautious, Qt::Key_Return, &seen), int(platform::vbCancel));
    QCOMPARE(seen.defaultButton, cancel);
}

void TestRealDialogs::noticeDoesNotWait()
{
    auto notice =
        platform::showNotice(QStringLiteral("お知らせ"), platform::vbInformation, QStringLiteral("Quillmora"));
    // Back here at once, with the box open.
    QMessageBox* box = openBox();
    QVERIFY(box);
    QCOMPARE(platform::withoutWordJoiners(box->text()), QStringLiteral("お知らせ"));
    QCOMPARE(box->icon(), QMessageBox::Information);
    QTest::keyClick(box, Qt::Key_Return);
    QTRY_VERIFY(!openBox());
    notice.reset();  // closed by the user already: nothing left to close

    // A notice the program lets go of closes.
    notice = platform::showNotice(QStringLiteral("お知らせ"), platform::vbInformation, QStringLiteral("Quillmora"));
    QVERIFY(openBox());
    notice.reset();
    QTRY_VERIFY(!openBox());
}

void TestRealDialogs::longTextWrapsBetweenWords()
{
    const QString text = QStringLiteral(
        "「/home/user/ドキュメント/運動の記録/腕立て伏せ.txt」は Quillmora のデータファイル"
        "なので、書き出し先にできません。\n別の名前か別のフォルダーを選んでください。");
    QStringList lines;
    QTimer::singleShot(0, [&] {
        QMessageBox* box = nullptr;
        QTRY_VERIFY((box = openBox()) != nullptr);
        lines = shownLines(box->findChild<QLabel*>(QStringLiteral("qt_msgbox_label")));
        QTest::keyClick(box, Qt::Key_Return);
    });
    platform::MsgBox(text, platform::vbExclamation, QStringLiteral("CSV 形式で書き出す"));
    // The box is narrower than the text: it wraps, and every word stays on one line.
    QVERIFY2(lines.size() > 2, qPrintable(lines.join(u'|')));
    for (const char* word : {"腕立て伏せ", "データファイルなので、", "書き出し先にできません。", "フォルダーを"}) {
        QVERIFY2(std::any_of(lines.begin(), lines.end(),
                             [&](const QString& line) { return line.contains(QString::fromUtf8(word)); }),
                 qPrintable(lines.join(u'|')));
    }
}

// A short text under a longer title: the box leaves the title whole on a window manager's title bar (bold,
// beside an icon and three buttons); assistive technology and the clipboard get the text without the joiners
// that steer its line breaks.
void TestRealDialogs::boxKeepsItsTitleWholeAndGivesThePlainText()
{
    const QString text = QStringLiteral("削除しました");
    const QString title = QStringLiteral("削除終了のお知らせ");
    int width = 0;
    QString heard;
    QTimer::singleShot(0, [&] {
        QMessageBox* box = nullptr;
        QTRY_VERIFY((box = openBox()) != nullptr);
        width = box->width();
        heard = QAccessible::queryAccessibleInterface(box->findChild<QLabel*>(QStringLiteral("qt_msgbox_label")))
                    ->text(QAccessible::Name);
        // What a copy of the box puts on the clipboard (Ctrl+C on Windows, a selection of its text): its text.
        QGuiApplication::clipboard()->setText(box->text());
        QTest::keyClick(box, Qt::Key_Return);
    });
    platform::MsgBox(text, platform::vbInformation, title);
    QFont bold = QApplication::font("QMdiSubWindowTitleBar");
    bold.setBold(true);
    const QFontMetrics titleBar(bold);
    QVERIFY2(width >= titleBar.horizontalAdvance(title) + 4 * titleBar.height(), qPrintable(QString::number(width)));
    QCOMPARE(heard, text);
    QTRY_COMPARE(QGuiApplication::clipboard()->text(), text);  // Windows tells of a copy a moment later
}

void TestRealDialogs::fileDialogSpeaksJapaneseUnderTheCLocale()
{
    QVERIFY(!qEnvironmentVariableIsSet("LC_ALL"));  // the user's environment, for what is started from ours
    QTemporaryDir dir;
    QFile file(dir.filePath(QStringLiteral("腹筋.csv")));
    QVERIFY(file.open(QIODevice::WriteOnly) && file.write(QByteArray(187, 'x')) == 187);
    file.close();
    QFileDialog dialog(nullptr, QString(), dir.path());
    dialog.setOptions(QFileDialog::DontUseNativeDialog);
    dialog.setViewMode(QFileDialog::Detail);
    dialog.show();
    auto* list = dialog.findChild<QTreeView*>(QStringLiteral("treeView"));
    QTRY_COMPARE(list->model()->rowCount(list->rootIndex()), 1);
    const QModelIndex row = list->model()->index(0, 0, list->rootIndex());
    QCOMPARE(row.siblingAtColumn(1).data().toString(), QStringLiteral("187 バイト"));
    const QString date = row.siblingAtColumn(3).data().toString();
    // Japanese order; Windows pads the month and day as its user's settings say.
    QVERIFY2(QRegularExpression(QStringLiteral("^\\d{4}/\\d{1,2}/\\d{1,2} ")).match(date).hasMatch(), qPrintable(date));
}

int main(int argc, char** argv)
{
    // A system that speaks no Japanese: the C locale, as on a fresh server or in a container.
    for (const char* name : {"LC_ALL", "LC_TIME", "LC_NUMERIC", "LC_MESSAGES", "LANGUAGE"})
        qunsetenv(name);
    qputenv("LANG", "C.UTF-8");
    platform::Application app(argc, argv);
    TestRealDialogs test;
    return QTest::qExec(&test, argc, argv);
}
#include "tst_real_dialogs.moc"
