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
        if (QFileInfo(viewer->browser()->chm().fileName()).canonicalFilePath() == canonical)
            return viewer;
    }
    return nullptr;
}

}  // namespace

QWidget* showTopic(QWidget* caller, const QString& file, const QString& topic)
{
    const QString path = findHelpFile(file);
    viewers().removeIf([](const QPointer<HelpViewer>& v) { return v.isNull() || v->isClosed(); });
    HelpViewer* viewer = path.isEmpty() ? nullptr : openViewerOf(path);
    if (!viewer) {
        auto chm = std::make_unique<ChmFile>();
        if (path.isEmpty() || !chm->open(path) || chm->defaultTopic().isEmpty()) {
            detail::reportCannotOpen(file);
            return nullptr;
        }
        viewer = new HelpViewer(std::move(chm), caller);
        viewers().append(viewer);
    }
    const QString page = topicPath(topic);
    if (page.isEmpty())
        viewer->browser()->showDefaultTopic();
    else
        viewer->browser()->showTopic(page);
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
