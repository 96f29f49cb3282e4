// SPDX-License-Identifier: GPL-3.0-or-later
#include "AppSetup.h"

#include <QApplication>
#include <QFile>
#include <QFontMetrics>
#include <QLibraryInfo>
#include <QLocale>
#include <QPainter>
#include <QProxyStyle>
#include <QStyle>
#include <QTranslator>
#include <QWidget>

#include <algorithm>

#ifdef QUILLMORA_FONTCONFIG
#include <fontconfig/fontconfig.h>
#endif

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

namespace {

QString catalogueOf(const QString& language)
{
    return QStringLiteral(":/translations/quillmora_%1.qm").arg(language);
}

// "en" of "en_GB"; empty for C, POSIX and what names no language.
QString languageOf(const QString& locale)
{
    const QString language = locale.left(locale.indexOf(u'_')).toLower();
    const bool named = language.size() >= 2 && language.size() <= 3 &&
                       std::all_of(language.begin(), language.end(), [](QChar c) { return c.isLower(); });
    return named ? language : QString();
}

// The settings window's check boxes are 12 pixels high: a 13-pixel indicator would lose its top and bottom edges.
class CompactIndicatorStyle : public QProxyStyle {
public:
    using QProxyStyle::QProxyStyle;
    int pixelMetric(PixelMetric metric, const QStyleOption* option, const QWidget* widget) const override
    {
        if (metric == PM_IndicatorWidth || metric == PM_IndicatorHeight)
            return std::min(QProxyStyle::pixelMetric(metric, option, widget), 11);
        return QProxyStyle::pixelMetric(metric, option, widget);
    }

    // Fusion draws a group box's frame from a PNG, the training window's only one: reading it loads the PNG
    // decoder and every image plugin. Drawn here instead: a grey line at a fifth of its strength, rounded, below the
    // title.
    void drawPrimitive(PrimitiveElement element, const QStyleOption* option, QPainter* painter,
                       const QWidget* widget) const override
    {
        if (element != PE_FrameGroupBox || baseStyle()->name() != QLatin1String("fusion")) {
            QProxyStyle::drawPrimitive(element, option, painter, widget);
            return;
        }
        constexpr int kTitleGap = 3;
        const int titleHeight =
            std::max(baseStyle()->pixelMetric(PM_ExclusiveIndicatorHeight), option->fontMetrics.height());
        const QRectF frame =
            QRectF(option->rect.adjusted(0, titleHeight + kTitleGap, 0, 0)).adjusted(1.5, 1.5, -0.5, -0.5);
        painter->save();
        painter->setRenderHint(QPainter::Antialiasing);
        painter->setPen(QColor(0x75, 0x75, 0x75, 0x32));
        painter->setBrush(QColor(0, 0, 0, 3));
        painter->drawRoundedRect(frame, 2, 2);
        painter->restore();
    }
};

}  // namespace

QString interfaceLanguage()
{
    const QString language = languageOf(systemMessagesLocale());
    return !language.isEmpty() && QFile::exists(catalogueOf(language)) ? language : kSourceLanguage;
}

void useLanguageLocale(const QString& language)
{
    if (language == kSourceLanguage) {
        QLocale::setDefault(QLocale(QLocale::Japanese, QLocale::Japan));
        return;
    }
    const QString formats = systemFormatsLocale();
    QLocale::setDefault(languageOf(formats) == language ? QLocale(formats) : QLocale(language));
}

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
    // Never below 85 % of the usual advance.
    font.setLetterSpacing(QFont::PercentageSpacing, std::max(85.0, 100.0 * available / needed));
    control->setFont(font);
}

std::thread readFontConfiguration()
{
#ifdef QUILLMORA_FONTCONFIG
    return std::thread([] { FcInit(); });
#else
    return {};
#endif
}

void setUpApplication(QApplication& app)
{
    QApplication::setStyle(new CompactIndicatorStyle(QApplication::style()->name()));
    registerResources();
    // The windows ask for the font "ＭＳ Ｐゴシック". Where it is missing, it maps to a proportional Japanese font;
    // fontconfig alone would pick a Latin one. Must run before any widget exists.
    const QStringList japaneseProportional = {
        QStringLiteral("IPAPGothic"),   QStringLiteral("IPA Pゴシック"), QStringLiteral("Noto Sans CJK JP"),
        QStringLiteral("Noto Sans JP"), QStringLiteral("VL PGothic"),    QStringLiteral("TakaoPGothic"),
        QStringLiteral("Yu Gothic UI"), QStringLiteral("Meiryo UI"),
    };
    for (const QString& name : {QStringLiteral("ＭＳ Ｐゴシック"), QStringLiteral("MS PGothic")})
        QFont::insertSubstitutions(name, japaneseProportional);
    // In Japanese, Qt's own catalogue (standard buttons read "OK" and "キャンセル"), the program's texts being
    // Japanese; in another language the program's catalogue.
    const QString language = interfaceLanguage();
    useLanguageLocale(language);
    auto* translator = new QTranslator(&app);
    const bool loaded =
        language == kSourceLanguage
            ? translator->load(QStringLiteral("qtbase_ja"), QLibraryInfo::path(QLibraryInfo::TranslationsPath))
            : translator->load(catalogueOf(language));
    if (loaded)
        QApplication::installTranslator(translator);
    else
        delete translator;
    // A training window closed during the start wait must not end the program: the reminder is still to come.
    QApplication::setQuitOnLastWindowClosed(false);
    QApplication::setApplicationName(QStringLiteral("Quillmora"));
    QGuiApplication::setDesktopFileName(QStringLiteral("io.github.quillmora.quillmora"));  // the menu entry
    // Every window's icon, the training window's and the settings window's among them.
    QApplication::setWindowIcon(picture(QStringLiteral(":/pictures/app.ico")));
}

}  // namespace platform
