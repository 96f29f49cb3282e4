// SPDX-License-Identifier: GPL-3.0-or-later
// The help windows outside Windows: our own viewer, one window per help file.
#include "ChmFile.h"
#include "HelpViewer.h"
#include "HtmlHelp.h"
#include "platform/OnScreen.h"

#include <QFileInfo>
#include <QList>
#include <QPointer>
#include <QUrl>

#include <memory>

namespace help {

namespace {

QList<QPointer<HelpViewer>>& viewers()
{
    static QList<QPointer<HelpViewer>> list;
    return list;
}

void forgetClosedViewers()
{
    viewers().removeIf([](const QPointer<HelpViewer>& v) { return v.isNull() || v->isClosed(); });
}

QString topicPath(const QString& topic)
{
    const QString text = topic.trimmed();
    if (text.isEmpty())
        return QString();
    return helpPathForLink(QUrl(QStringLiteral("chm:") + text));
}

HelpViewer* openViewerOf(const QString& path)
{
    const QString canonical = QFileInfo(path).canonicalFilePath();
    for (const QPointer<HelpViewer>& viewer : viewers()) {
        if (QFileInfo(viewer->fileName()).canonicalFilePath() == canonical)
            return viewer;
    }
    return nullptr;
}

void showPage(HelpViewer* viewer, const QString& page)
{
    if (page.isEmpty())
        viewer->showDefaultTopic();
    else
        viewer->showTopic(page);
}

}  // namespace

QWidget* showTopic(QWidget* caller, const QString& file, const QString& topic)
{
    const QString path = findHelpFile(file);
    const QString page = topicPath(topic);

    forgetClosedViewers();
    if (!path.isEmpty()) {
        if (HelpViewer* viewer = openViewerOf(path)) {
            showPage(viewer, page);
            platform::bringToFront(viewer);
            return viewer;
        }
    }

    auto chm = std::make_unique<ChmFile>();
    if (path.isEmpty() || !chm->open(path) || chm->defaultTopic().isEmpty()) {
        detail::reportCannotOpen(file);
        return nullptr;
    }

    auto* viewer = new HelpViewer(std::move(chm), caller);
    viewers().append(viewer);
    showPage(viewer, page);
    platform::bringToFront(viewer);
    return viewer;
}

void closeAll()
{
    const QList<QPointer<HelpViewer>> list = viewers();
    viewers().clear();
    for (const QPointer<HelpViewer>& viewer : list) {
        if (viewer)
            viewer->close();  // hidden at once, deleted by the event loop (WA_DeleteOnClose)
    }
}

}  // namespace help
