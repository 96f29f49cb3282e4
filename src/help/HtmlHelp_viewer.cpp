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

}  // namespace

QWidget* showTopic(QWidget* caller, const QString& file, const QString& topic)
{
    const QString path = findHelpFile(file);
    // A closed window is hidden until the event loop deletes it.
    viewers().removeIf([](const QPointer<HelpViewer>& v) { return v.isNull() || v->isHidden(); });
    HelpViewer* viewer = nullptr;
    for (const QPointer<HelpViewer>& open : viewers()) {
        if (!viewer && !path.isEmpty() &&
            QFileInfo(open->browser()->chm().fileName()).canonicalFilePath() == QFileInfo(path).canonicalFilePath())
            viewer = open;
    }
    if (!viewer) {
        auto chm = std::make_unique<ChmFile>();
        if (path.isEmpty() || !chm->open(path) || chm->defaultTopic().isEmpty()) {
            detail::reportCannotOpen(file);
            return nullptr;
        }
        viewer = new HelpViewer(std::move(chm), caller);
        viewers().append(viewer);
    }
    // No page, or the file itself ("chm:/"), is its start page.
    viewer->browser()->showTopic(helpPathForLink(QUrl(QStringLiteral("chm:") + topic.trimmed())));
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
