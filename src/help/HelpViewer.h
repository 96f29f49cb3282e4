#pragma once

#include <QPointer>
#include <QTextBrowser>
#include <QUrl>
#include <QWidget>

#include <memory>

class QAction;
class QCloseEvent;

namespace help {

class ChmFile;

// Decodes the bytes of an HTML page: by its byte order mark, else by the charset its
// <meta> (or XML declaration) names, else UTF-8 when the bytes are valid UTF-8, else CP932.
QString decodeHtmlPage(const QByteArray& html);

// Where a link of a help page leads inside the help file: "/dir/page.html#anchor".
// Understands our own "chm:" addresses and the "ms-its:", "its:" and "mk:@MSITStore:"
// forms ("ms-its:KvHelp.chm::/page.html"); relative links are taken against base.
// Returns an empty text for a link that leads out of the file (http:, mailto:, ...).
QString helpPathForLink(const QUrl& link, const QUrl& base = QUrl());

// The browser part of the viewer: serves pages, pictures and style sheets from the CHM
// and follows the links between them.
class HelpBrowser : public QTextBrowser {
    Q_OBJECT
public:
    explicit HelpBrowser(std::unique_ptr<ChmFile> chm, QWidget* parent = nullptr);
    ~HelpBrowser() override;

    const ChmFile& chm() const { return *mChm; }

    // Shows a page of the file; path as helpPathForLink returns it.
    void showTopic(const QString& path);
    void showDefaultTopic();

    QVariant loadResource(int type, const QUrl& name) override;

    // The address under which a path of the file is shown ("chm:/page.html").
    static QUrl topicUrl(const QString& path);

private:
    void followLink(const QUrl& link);
    QString pageNotFound(const QString& path) const;

    std::unique_ptr<ChmFile> mChm;
};

// A help window of our own: toolbar (back, forward, home) over the browser.
class HelpViewer : public QWidget {
    Q_OBJECT
public:
    // Takes the opened file. owner is the window that asked for help: the viewer opens
    // over it and gives it back the focus when the viewer is closed.
    HelpViewer(std::unique_ptr<ChmFile> chm, QWidget* owner = nullptr);
    ~HelpViewer() override;

    QString fileName() const;
    HelpBrowser* browser() const { return mBrowser; }

    void showTopic(const QString& path);
    void showDefaultTopic();

    // True once the window was closed (it is then about to be deleted).
    bool isClosed() const { return mClosed; }

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    void updateTitle();
    void placeOver(QWidget* owner);

    HelpBrowser* mBrowser = nullptr;
    QAction* mBack = nullptr;
    QAction* mForward = nullptr;
    QPointer<QWidget> mOwner;
    bool mClosed = false;
};

}  // namespace help
