// SPDX-License-Identifier: GPL-3.0-or-later
#include "AppSetup.h"

#include <QApplication>
#include <QFont>
#include <QIcon>
#include <QFontMetrics>
#include <QLibraryInfo>
#include <QProxyStyle>
#include <QStyle>
#include <QWidget>

#include <algorithm>
#include <QTranslator>

// Resources compiled into a static library must be registered by hand.
static void registerPictures()
{
    Q_INIT_RESOURCE(resources);
}

namespace platform {

void registerResources()
{
    registerPictures();
}

void installFontSubstitutes()
{
    const QStringList japaneseProportional = {
        QStringLiteral("IPAPGothic"),   QStringLiteral("IPA Pゴシック"), QStringLiteral("Noto Sans CJK JP"),
        QStringLiteral("Noto Sans JP"), QStringLiteral("VL PGothic"),    QStringLiteral("TakaoPGothic"),
    };
    for (const QString& name : {QStringLiteral("ＭＳ Ｐゴシック"), QStringLiteral("MS PGothic")})
        QFont::insertSubstitutions(name, japaneseProportional);
}

void installJapaneseTranslations(QApplication& app)
{
    auto* translator = new QTranslator(&app);
    if (translator->load(QStringLiteral("qtbase_ja"), QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
        QApplication::installTranslator(translator);
    else
        delete translator;
}

namespace {

// The check boxes of the settings window are 12 pixels high; the usual 13-pixel indicator would lose its
// top and bottom edges.
class CompactIndicatorStyle : public QProxyStyle {
public:
    using QProxyStyle::QProxyStyle;
    int pixelMetric(PixelMetric metric, const QStyleOption* option, const QWidget* widget) const override
    {
        if (metric == PM_IndicatorWidth || metric == PM_IndicatorHeight)
            return std::min(QProxyStyle::pixelMetric(metric, option, widget), 11);
        return QProxyStyle::pixelMetric(metric, option, widget);
    }
};

}  // namespace

QFont namedFont(double points)
{
    QFont font(QStringLiteral("ＭＳ Ｐゴシック"));
    font.setPointSizeF(points);
    font.setWeight(QFont::Normal);
    return font;
}

void fitCaption(QWidget* control, const QString& caption, int reserved)
{
    QFont font = control->font();
    const int available = control->width() - reserved;
    const int needed = QFontMetrics(font).horizontalAdvance(caption);
    if (needed <= available || needed <= 0)
        return;
    // Narrower spacing between the characters, never below 85 % of the usual advance.
    font.setLetterSpacing(QFont::PercentageSpacing, std::max(85.0, 100.0 * available / needed));
    control->setFont(font);
}

void setUpApplication(QApplication& app)
{
    QApplication::setStyle(new CompactIndicatorStyle(QApplication::style()->name()));
    registerResources();
    installFontSubstitutes();
    installJapaneseTranslations(app);
    // The program decides itself when it ends: a training window closed during the start wait must not
    // end it, since the reminder is still to come.
    QApplication::setQuitOnLastWindowClosed(false);
    QApplication::setApplicationName(QStringLiteral("Quillmora"));
    QGuiApplication::setDesktopFileName(QStringLiteral("io.github.quillmora.quillmora"));  // the menu entry
    QApplication::setWindowIcon(QIcon(QStringLiteral(":/pictures/app.ico")));
}

}  // namespace platform
