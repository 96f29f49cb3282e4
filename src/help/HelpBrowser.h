// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QTextBrowser>
#include <QUrl>

#include <memory>

namespace help {

class ChmFile;

// Where a link of a help page leads inside the help file: "/dir/page.html#anchor".
// Understands our own "chm:" addresses; relative links are taken against base.
// Returns an empty text for a link that leads out of the file (http:, mailto:, ...).
QString helpPathForLink(const QUrl& link, const QUrl& base = QUrl());

// The page part of the viewer: serves pages, pictures and style sheets from the CHM,
// follows the links between them, and marks the words of a search on the page shown.
class HelpBrowser : public QTextBrowser {
    Q_OBJECT
public:
    explicit HelpBrowser(std::unique_ptr<ChmFile> chm, QWidget* parent = nullptr);
    ~HelpBrowser() override;

    const ChmFile& chm() const { return *mChm; }

    // Shows a page of the file; path as helpPathForLink returns it.
    void showTopic(const QString& path);
    void showDefaultTopic();
    // The page shown, as helpPathForLink gives it ("/page.html#part").
    QString currentPath() const;

    // Marks every place the words occur on the page shown (case and width ignored) and
    // scrolls to the first. The marks go with the page.
    void highlight(const QString& words);

    QVariant loadResource(int type, const QUrl& name) override;

private:
    void followLink(const QUrl& link);
    void openOutside(const QUrl& link);
    QString pageNotShown(const QString& path) const;

    std::unique_ptr<ChmFile> mChm;
};

}  // namespace help
