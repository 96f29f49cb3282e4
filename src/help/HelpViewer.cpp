#include "HelpViewer.h"

#include "ChmFile.h"
#include "shared/TextEncoding.h"

#include <QAction>
#include <QCloseEvent>
#include <QDesktopServices>
#include <QGuiApplication>
#include <QRegularExpression>
#include <QScreen>
#include <QStringDecoder>
#include <QStyle>
#include <QToolBar>
#include <QVBoxLayout>

namespace help {

namespace {

const QString kWindowTitle = QStringLiteral("Quillmora ヘルプ");
const QString kOwnScheme = QStringLiteral("chm");

// The charset names that all mean the Windows flavour of Shift-JIS; CP932 is the superset
// that iconv must be asked for, or the vendor characters (①, Ⅱ, ...) fail.
bool isShiftJisName(const QString& name)
{
    static const QStringList names = {QStringLiteral("shift_jis"), QStringLiteral("shift-jis"),
                                      QStringLiteral("sjis"),      QStringLiteral("x-sjis"),
                                      QStringLiteral("ms_kanji"),  QStringLiteral("csshiftjis"),
                                      QStringLiteral("windows-31j"), QStringLiteral("cp932"),
                                      QStringLiteral("ms932"),     QStringLiteral("x-ms-cp932")};
    return names.contains(name);
}

QString declaredCharset(const QByteArray& html)
{
    // The declaration must come early in the head; looking further would pick up the word
    // "charset=" from the body text of a page that explains it.
    QString head = QString::fromLatin1(html.left(2048));
    const qsizetype bodyAt = head.indexOf(QLatin1String("<body"), 0, Qt::CaseInsensitive);
    if (bodyAt >= 0)
        head.truncate(bodyAt);
    static const QRegularExpression meta(QStringLiteral("<meta[^>]*charset\\s*=\\s*[\"']?\\s*([A-Za-z0-9_.:\\-]+)"),
                                         QRegularExpression::CaseInsensitiveOption);
    QRegularExpressionMatch m = meta.match(head);
    if (!m.hasMatch()) {
        static const QRegularExpression xml(QStringLiteral("^\\s*<\\?xml[^>]*encoding\\s*=\\s*[\"']([A-Za-z0-9_.:\\-]+)"),
                                            QRegularExpression::CaseInsensitiveOption);
        m = xml.match(head);
    }
    return m.hasMatch() ? m.captured(1).toLower() : QString();
}

bool isItsScheme(const QString& scheme)
{
    return scheme == QLatin1String("ms-its") || scheme == QLatin1String("its") || scheme == QLatin1String("mk");
}

}  // namespace

QString decodeHtmlPage(const QByteArray& html)
{
    if (html.startsWith("\xEF\xBB\xBF"))
        return QString::fromUtf8(html.mid(3));
    if (html.startsWith("\xFF\xFE") || html.startsWith("\xFE\xFF")) {
        QStringDecoder utf16(QStringDecoder::Utf16);
        return utf16(html);
    }

    const QString charset = declaredCharset(html);
    if (charset.isEmpty() || charset == QLatin1String("utf-8") || charset == QLatin1String("utf8"))
        return QmrM::decodeUtf8OrCp932(html);

    const QByteArray name = isShiftJisName(charset) ? QByteArray("CP932") : charset.toLatin1();
    // A page that names a charset the system does not know, or that lies about it, is still shown.
    return QmrM::decodeCharset(html, name.constData()).value_or(QmrM::decodeUtf8OrCp932(html));
}

QString helpPathForLink(const QUrl& link, const QUrl& base)
{
    if (!link.isValid())
        return QString();
    const QString scheme = link.scheme().toLower();
    QString path;
    if (scheme.isEmpty()) {
        if (base.isValid() && !base.scheme().isEmpty())
            return helpPathForLink(base.resolved(link), QUrl());
        path = link.path();
    } else if (scheme == kOwnScheme) {
        path = link.path();
    } else if (isItsScheme(scheme)) {
        // "ms-its:KvHelp.chm::/page.html", "mk:@MSITStore:C:\dir\KvHelp.chm::/page.html":
        // the part after "::" is the path inside the file; without it, the file's start page.
        const QString whole = link.path();
        const qsizetype sep = whole.indexOf(QLatin1String("::"));
        path = sep >= 0 ? whole.mid(sep + 2) : QString();
    } else {
        return QString();
    }

    QString result = ChmFile::normalizePath(path);
    if (link.hasFragment() && !link.fragment().isEmpty())
        result += QLatin1Char('#') + link.fragment();
    return result;
}

// ---------------------------------------------------------------------------------------

HelpBrowser::HelpBrowser(std::unique_ptr<ChmFile> chm, QWidget* parent)
    : QTextBrowser(parent), mChm(std::move(chm))
{
    // Links are followed here, not by QTextBrowser: it would hand our own "chm:" addresses
    // and the "ms-its:" forms to the desktop as external links.
    setOpenLinks(false);
    setOpenExternalLinks(false);
    document()->setDocumentMargin(10);
    connect(this, &QTextBrowser::anchorClicked, this, &HelpBrowser::followLink);
}

HelpBrowser::~HelpBrowser() = default;

QUrl HelpBrowser::topicUrl(const QString& path)
{
    QUrl url;
    url.setScheme(kOwnScheme);
    const qsizetype hash = path.indexOf(QLatin1Char('#'));
    url.setPath(hash >= 0 ? path.left(hash) : path);
    if (hash >= 0)
        url.setFragment(path.mid(hash + 1));
    return url;
}

void HelpBrowser::showTopic(const QString& path)
{
    const qsizetype hash = path.indexOf(QLatin1Char('#'));
    const QString page = hash >= 0 ? path.left(hash) : path;
    if (page.isEmpty() || page == QLatin1String("/")) {
        // A link to the file itself opens its start page.
        showDefaultTopic();
        return;
    }
    setSource(topicUrl(path));
}

void HelpBrowser::showDefaultTopic()
{
    const QString topic = mChm->defaultTopic();
    setSource(topicUrl(topic.isEmpty() ? QStringLiteral("/index.html") : topic));
}

QVariant HelpBrowser::loadResource(int type, const QUrl& name)
{
    const QString path = helpPathForLink(name, source());
    if (path.isEmpty())
        return QVariant();  // outside the help file: nothing is fetched from elsewhere

    const QString page = path.left(path.indexOf(QLatin1Char('#')));  // whole path when there is none
    bool ok = false;
    const QByteArray data = mChm->read(page, &ok);
    switch (type) {
    case QTextDocument::HtmlResource:
        return ok ? decodeHtmlPage(data) : pageNotFound(page);
    case QTextDocument::StyleSheetResource:
        return ok ? QVariant(QmrM::decodeUtf8OrCp932(data)) : QVariant();
    default:
        // Pictures: QTextDocument makes the image from the bytes (PNG, GIF, JPEG, BMP).
        return ok ? QVariant(data) : QVariant();
    }
}

void HelpBrowser::followLink(const QUrl& link)
{
    const QString path = helpPathForLink(link, source());
    if (!path.isEmpty()) {
        showTopic(path);
        return;
    }
    if (link.isValid() && !link.scheme().isEmpty())
        QDesktopServices::openUrl(link);
}

QString HelpBrowser::pageNotFound(const QString& path) const
{
    return QStringLiteral(
               "<html><head><title>ページを表示できません</title></head><body>"
               "<h2>ページを表示できません</h2>"
               "<p>ページ「%1」はヘルプファイルの中に見つかりません。</p>"
               "<p><a href=\"chm:/\">ヘルプの最初のページへ戻る</a></p>"
               "</body></html>")
        .arg(path.toHtmlEscaped());
}

// ---------------------------------------------------------------------------------------

HelpViewer::HelpViewer(std::unique_ptr<ChmFile> chm, QWidget* owner)
    : QWidget(nullptr), mOwner(owner ? owner->window() : nullptr)
{
    setAttribute(Qt::WA_DeleteOnClose);
    // Closing the help must never end the program, also when it is the only window shown
    // (the training waits minimised, or hidden, while the help is open).
    setAttribute(Qt::WA_QuitOnClose, false);
    setWindowTitle(kWindowTitle);

    mBrowser = new HelpBrowser(std::move(chm), this);

    auto* bar = new QToolBar(this);
    bar->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
    bar->setMovable(false);
    mBack = bar->addAction(style()->standardIcon(QStyle::SP_ArrowBack), QStringLiteral("戻る"));
    mBack->setShortcut(QKeySequence::Back);
    mBack->setToolTip(QStringLiteral("前に見たページへ戻ります"));
    mBack->setEnabled(false);
    mForward = bar->addAction(style()->standardIcon(QStyle::SP_ArrowForward), QStringLiteral("進む"));
    mForward->setShortcut(QKeySequence::Forward);
    mForward->setToolTip(QStringLiteral("戻る前のページへ進みます"));
    mForward->setEnabled(false);
    QAction* home = bar->addAction(style()->standardIcon(QStyle::SP_DirHomeIcon), QStringLiteral("ホーム"));
    home->setShortcut(QKeySequence(Qt::ALT | Qt::Key_Home));
    home->setToolTip(QStringLiteral("ヘルプの最初のページを表示します"));

    connect(mBack, &QAction::triggered, mBrowser, &QTextBrowser::backward);
    connect(mForward, &QAction::triggered, mBrowser, &QTextBrowser::forward);
    connect(home, &QAction::triggered, this, &HelpViewer::showDefaultTopic);
    connect(mBrowser, &QTextBrowser::backwardAvailable, mBack, &QAction::setEnabled);
    connect(mBrowser, &QTextBrowser::forwardAvailable, mForward, &QAction::setEnabled);
    connect(mBrowser, &QTextBrowser::sourceChanged, this, &HelpViewer::updateTitle);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(bar);
    layout->addWidget(mBrowser, 1);

    placeOver(mOwner);
}

HelpViewer::~HelpViewer() = default;

QString HelpViewer::fileName() const
{
    return mBrowser->chm().fileName();
}

void HelpViewer::showTopic(const QString& path)
{
    mBrowser->showTopic(path);
}

void HelpViewer::showDefaultTopic()
{
    mBrowser->showDefaultTopic();
}

void HelpViewer::closeEvent(QCloseEvent* event)
{
    mClosed = true;
    event->accept();
    // The window that asked for help gets the focus back.
    if (mOwner && mOwner->isVisible())
        mOwner->activateWindow();
}

void HelpViewer::updateTitle()
{
    const QString page = mBrowser->documentTitle().trimmed();
    setWindowTitle(page.isEmpty() ? kWindowTitle : kWindowTitle + QStringLiteral(" - ") + page);
}

void HelpViewer::placeOver(QWidget* owner)
{
    QScreen* screen = owner ? owner->screen() : QGuiApplication::primaryScreen();
    const QRect avail = screen ? screen->availableGeometry() : QRect(0, 0, 1024, 768);
    const QSize size(qMin(820, avail.width() - 40), qMin(620, avail.height() - 40));
    resize(size);

    QRect frame(QPoint(0, 0), size);
    frame.moveCenter(owner && owner->isVisible() ? owner->frameGeometry().center() : avail.center());
    frame.moveLeft(qBound(avail.left(), frame.left(), qMax(avail.left(), avail.right() - frame.width())));
    frame.moveTop(qBound(avail.top(), frame.top(), qMax(avail.top(), avail.bottom() - frame.height())));
    move(frame.topLeft());
}

}  // namespace help
