// SPDX-License-Identifier: GPL-3.0-or-later
// The page part of the help viewer (HelpViewer.h).
#include "HelpViewer.h"

#include "ChmFile.h"
#include "HtmlText.h"
#include "PagePictures.h"
#include "TextSearch.h"
#include "platform/Dialogs.h"
#include "platform/Guard.h"
#include "shared/TextEncoding.h"

#include <QDesktopServices>
#include <QPointer>
#include <QTextCursor>
#include <QCoreApplication>

namespace help {

namespace {

const QString kOwnScheme = QStringLiteral("chm");
const QColor kHighlightColour(255, 230, 90);
// The title of the help's message boxes.
QString boxTitle()
{
    return QCoreApplication::translate("Help", "HTML ヘルプ");
}

// The address under which a path of the file is shown ("chm:/page.html").
QUrl topicUrl(const QString& path)
{
    QUrl url;
    url.setScheme(kOwnScheme);
    const qsizetype hash = path.indexOf(QLatin1Char('#'));
    url.setPath(path.left(hash));  // the whole path when it has no part
    if (hash >= 0)
        url.setFragment(path.mid(hash + 1));
    return url;
}

}  // namespace

QString helpPathForLink(const QUrl& link, const QUrl& base)
{
    if (!link.isValid())
        return QString();
    const QString scheme = link.scheme().toLower();
    if (scheme.isEmpty() && base.isValid() && !base.scheme().isEmpty())
        return helpPathForLink(base.resolved(link), QUrl());
    if (!scheme.isEmpty() && scheme != kOwnScheme)
        return QString();
    QString result = ChmFile::normalizePath(link.path());
    if (link.hasFragment() && !link.fragment().isEmpty())
        result += QLatin1Char('#') + link.fragment();
    return result;
}

HelpBrowser::HelpBrowser(std::unique_ptr<ChmFile> chm, QWidget* parent) : QTextBrowser(parent), mChm(std::move(chm))
{
    // Links are followed here, not by QTextBrowser: it would hand our own "chm:" addresses to the
    // desktop as external links.
    setOpenLinks(false);
    document()->setDocumentMargin(10);
    PagePictures::registerOn(document());
    connect(this, &QTextBrowser::anchorClicked, this,
            platform::guardedSlot([this](const QUrl& link) { followLink(link); }));
    // Marks belong to the page they were made on.
    connect(this, &QTextBrowser::sourceChanged, this, [this] { setExtraSelections({}); });
}

HelpBrowser::~HelpBrowser() = default;

void HelpBrowser::showTopic(const QString& path)
{
    const QString page = path.left(path.indexOf(QLatin1Char('#')));  // the whole path when it has no part
    if (page.isEmpty() || page == QLatin1String("/")) {
        // A link to the file itself opens its start page.
        showDefaultTopic();
        return;
    }
    setSource(topicUrl(path));
}

void HelpBrowser::showDefaultTopic()
{
    setSource(topicUrl(mChm->defaultTopic()));  // a file without one is not opened
}

QString HelpBrowser::currentPath() const
{
    return helpPathForLink(source());  // empty before the first page
}

void HelpBrowser::highlight(const QString& words)
{
    const QString word = foldKey(words);
    const FoldedText text = foldText(document()->toPlainText());
    QList<QTextEdit::ExtraSelection> marks;
    for (const TextMatch& match : findAll(text, word)) {
        QTextEdit::ExtraSelection mark;
        mark.cursor = QTextCursor(document());
        mark.cursor.setPosition(static_cast<int>(match.start));
        mark.cursor.setPosition(static_cast<int>(match.start + match.length), QTextCursor::KeepAnchor);
        mark.format.setBackground(kHighlightColour);
        mark.format.setForeground(Qt::black);
        marks.append(mark);
    }
    setExtraSelections(marks);
    if (!marks.isEmpty()) {
        QTextCursor first = marks.first().cursor;
        first.clearSelection();
        setTextCursor(first);
        ensureCursorVisible();
    }
}

// Only what the help file holds is shown. Whatever this does not serve, QTextDocument fetches on its
// own (a file: address, a path on the computer), so what is refused is answered with an empty
// resource, never with none.
QVariant HelpBrowser::loadResource(int type, const QUrl& name)
{
    const QString path = helpPathForLink(name, source());
    const QString stored = path.left(path.indexOf(QLatin1Char('#')));  // whole path when there is none
    const bool isText = type == QTextDocument::HtmlResource || type == QTextDocument::StyleSheetResource;
    bool ok = false;  // stays false for a path out of the file (empty)
    const QByteArray bytes = mChm->read(stored, &ok, isText ? ChmFile::kMaxPageSize : ChmFile::kMaxObjectSize);
    switch (type) {
    case QTextDocument::HtmlResource:
        return ok ? decodeHtmlPage(bytes) : pageNotShown(stored);
    case QTextDocument::StyleSheetResource:
        return ok ? QmrM::decodeUtf8OrCp932(bytes) : QString();
    case QTextDocument::ImageResource:
        // Decoded by the page's PagePictures, only as large as they are drawn.
        return QVariant::fromValue(PictureFile{bytes});
    default:
        return bytes;
    }
}

void HelpBrowser::followLink(const QUrl& link)
{
    const QString path = helpPathForLink(link, source());
    if (!path.isEmpty())
        showTopic(path);
    else if (link.isValid() && !link.scheme().isEmpty())
        openOutside(link);
}

// Only web pages are opened outside the help, each once the user agreed: a link can name any file
// or program on the computer (file:, a desktop's own schemes), which the desktop would open as well.
void HelpBrowser::openOutside(const QUrl& link)
{
    const QString scheme = link.scheme().toLower();
    const QString address = link.toDisplayString();
    if ((scheme != QLatin1String("http") && scheme != QLatin1String("https")) || link.host().isEmpty()) {
        platform::MsgBox(QCoreApplication::translate("Help", "このリンクはヘルプからは開けません。\n\n%1").arg(address),
                         platform::vbExclamation, boxTitle());
        return;
    }
    const QPointer<HelpBrowser> self(this);
    const int answer = platform::MsgBox(
        QCoreApplication::translate("Help", "次のページをブラウザーで開きます。よろしいですか？\n\n%1").arg(address),
        platform::vbOKCancel | platform::vbInformation, boxTitle());
    // The help window may have been closed while the box was open.
    if (answer == platform::vbOK && self)
        QDesktopServices::openUrl(link);
}

QString HelpBrowser::pageNotShown(const QString& path) const
{
    // A page that is there but cannot be read is damaged or longer than any help page should be.
    const QString reason =
        (mChm->holds(path)
             ? QCoreApplication::translate("Help", "ページ「%1」は大きすぎるか壊れているため表示できません。")
             : QCoreApplication::translate("Help", "ページ「%1」はヘルプファイルの中に見つかりません。"))
            .arg(path.toHtmlEscaped());
    //: %1 says which page cannot be shown and why
    return QCoreApplication::translate("Help",
                                       "<html><head><title>ページを表示できません</title></head><body>"
                                       "<h2>ページを表示できません</h2>"
                                       "<p>%1</p>"
                                       "<p><a href=\"chm:/\">ヘルプの最初のページへ戻る</a></p>"
                                       "</body></html>")
        .arg(reason);
}

}  // namespace help
