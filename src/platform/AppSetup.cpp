#include "AppSetup.h"

#include <QApplication>
#include <QFont>
#include <QIcon>
#include <QLibraryInfo>
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
        QStringLiteral("IPAPGothic"), QStringLiteral("IPA Pゴシック"), QStringLiteral("Noto Sans CJK JP"),
        QStringLiteral("Noto Sans JP"), QStringLiteral("VL PGothic"), QStringLiteral("TakaoPGothic"),
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

void setUpApplication(QApplication& app)
{
    registerResources();
    installFontSubstitutes();
    installJapaneseTranslations(app);
    // The program decides itself when it ends: a training window closed during the start wait must not
    // end it, since the reminder is still to come.
    QApplication::setQuitOnLastWindowClosed(false);
    QApplication::setApplicationName(QStringLiteral("Quillmora"));
    QApplication::setWindowIcon(QIcon(QStringLiteral(":/pictures/app.ico")));
}

}  // namespace platform
