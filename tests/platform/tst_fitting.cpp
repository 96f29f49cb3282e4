// SPDX-License-Identifier: GPL-3.0-or-later
// Labels and text boxes that show their whole text, and outlined text that reads on any background.
#include "Pictures.h"
#include "TestEnv.h"
#include "platform/AppSetup.h"
#include "platform/FitLabel.h"
#include "platform/Controls.h"

#include <QApplication>
#include <QLineEdit>
#include <QtTest>

using platform::FitLabel;
using platform::namedFont;
using platform::neededWidth;

class TestFitting : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() { platform::setUpApplication(*qobject_cast<QApplication*>(qApp)); }

    void wrappingOnlyWhereTwoLinesFitAtTheDescribedSize_data();
    void wrappingOnlyWhereTwoLinesFitAtTheDescribedSize();
    void belowTheSmallestSizeTheTextIsCutVisibly();
    void contrastFollowsTheWcagFormula();
    void typedCountsStayWholeInTheCountBox();
};

void TestFitting::wrappingOnlyWhereTwoLinesFitAtTheDescribedSize_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<double>("points");
    QTest::addColumn<int>("lines");  // expected number of lines; 0 for "more than one"
    QTest::addColumn<bool>("kept");
    // The training window's item name: 449 x 101 pixels, the size chosen by the name's length.
    QTest::newRow("8 full-width at 48") << "腕立て伏せ腕立て" << 48.0 << 1 << false;
    QTest::newRow("10 full-width at 36") << "腕立て伏せ腕立て伏せ" << 36.0 << 1 << false;
    QTest::newRow("10 ASCII at 36") << "Stretching" << 36.0 << 1 << true;
    QTest::newRow("14 full-width at 28") << "腹筋腹筋腹筋腹筋腹筋腹筋腹筋" << 28.0 << 2 << true;
    QTest::newRow("40 full-width at 16") << QString(40, QChar(u'腕')) << 16.0 << 0 << true;
    QTest::newRow("40 ASCII, no spaces, at 16") << QString(40, QChar(u'W')) << 16.0 << 0 << true;
    QTest::newRow("250 full-width at 16") << QString(250, QChar(u'腕')) << 16.0 << 0 << false;
}

void TestFitting::wrappingOnlyWhereTwoLinesFitAtTheDescribedSize()
{
    QFETCH(QString, text);
    QFETCH(double, points);
    QFETCH(int, lines);
    QFETCH(bool, kept);
    FitLabel label;
    label.resize(449, 101);
    label.setAlignment(Qt::AlignHCenter | Qt::AlignTop);
    label.setWordWrap(true);
    label.setFont(namedFont(points));
    label.setText(text);

    const platform::ShownText shown = label.shownText();
    QCOMPARE(shown.lines.join(QString()), text);  // every character, in order
    if (lines > 0)
        QCOMPARE(shown.lines.size(), lines);
    else
        QVERIFY(shown.lines.size() > 1);
    QCOMPARE(shown.font.pointSizeF() == points, kept);
    QVERIFY(shown.font.pointSizeF() <= points);
    const QFontMetricsF metrics(shown.font, &label);
    qreal widest = 0;
    qreal narrowest = label.width();
    for (const QString& line : shown.lines) {
        widest = std::max(widest, neededWidth(line, shown.font, &label));
        narrowest = std::min(narrowest, neededWidth(line, shown.font, &label));
    }
    QVERIFY(widest <= label.width());
    QVERIFY(drawnWhole(&label));
    if (shown.lines.size() > 1) {
        QVERIFY(metrics.height() + (shown.lines.size() - 1) * metrics.lineSpacing() <= label.height());
        // Lines of even length, not a full one and a short rest.
        QVERIFY2(widest - narrowest <= 2 * metrics.maxWidth(), qPrintable(shown.lines.join(u'|')));
    }
}

void TestFitting::belowTheSmallestSizeTheTextIsCutVisibly()
{
    // A plan step: 161 pixels at 11.25 pt, no smaller than 9 pt.
    platform::OutlinedLabel label;
    label.resize(161, 16);
    label.setFont(namedFont(11.25));
    label.setMinimumPointSize(9);
    label.setText(QStringLiteral("20.") + QString(40, QChar(u'腕')));
    const platform::ShownText shown = label.shownText();
    QVERIFY(!shown.whole);
    QCOMPARE(shown.lines.size(), 1);
    QVERIFY(shown.lines[0].startsWith(QStringLiteral("20.腕")));
    QVERIFY(shown.lines[0].endsWith(QChar(0x2026)));
    QCOMPARE(qRound(shown.font.pointSizeF() * 4), 36);
    QVERIFY(neededWidth(shown.lines[0], shown.font, &label) <= label.textArea().width());
    QCOMPARE(label.text().size(), 43);  // the label's text, and so its accessible name, stays whole

    label.setText(QStringLiteral("2.腹筋"));
    QVERIFY(label.shownText().whole);
    QCOMPARE(label.shownText().font.pointSizeF(), 11.25);
}

void TestFitting::contrastFollowsTheWcagFormula()
{
    using platform::contrastRatio;
    QCOMPARE(qRound(contrastRatio(Qt::white, Qt::black) * 100), 2100);
    QCOMPARE(contrastRatio(QColor(0x12, 0x34, 0x56), QColor(0x12, 0x34, 0x56)), 1.0);
    // Reference values: the grey that just passes 4.5 : 1 on white, pure red on white, and the low end of the
    // sRGB curve where it is linear.
    QCOMPARE(qRound(contrastRatio(QColor(0x76, 0x76, 0x76), Qt::white) * 100), 454);
    QCOMPARE(qRound(contrastRatio(Qt::red, Qt::white) * 100), 400);
    QCOMPARE(qRound(contrastRatio(QColor(0x0A, 0x0A, 0x0A), Qt::black) * 1000), 1061);
}

void TestFitting::typedCountsStayWholeInTheCountBox()
{
    // The training window's count box, 81 pixels at 21.75 pt, with the largest count a record holds typed in.
    QLineEdit box;
    box.resize(81, 34);
    box.setFont(namedFont(21.75));
    platform::keepTextWhole(&box, 8);
    const QFont described = box.font();
    QTest::keyClicks(&box, QStringLiteral("2147483647"));
    // The cursor after the last digit sits past the whole number: nothing of it scrolled out on the left.
    QVERIFY(drawnCursor(&box).center().x() >= QFontMetricsF(box.font()).horizontalAdvance(box.text()));
    QVERIFY(box.font().pointSizeF() >= 8);
    box.setText(QStringLiteral("20"));
    QCOMPARE(box.font(), described);  // a short number is back at the described size
}

QTEST_MAIN(TestFitting)
#include "tst_fitting.moc"
