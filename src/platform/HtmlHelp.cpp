#include "HtmlHelp.h"

#include "Dialogs.h"
#include "shared/Seams.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QWidget>

#ifdef Q_OS_WIN
#include <windows.h>
#else
#include "ChmFile.h"
#include "HelpViewer.h"

#include <QList>
#include <QPointer>
#include <QUrl>

#include <memory>
#endif

namespace platform {

namespace {

HtmlHelpHandler& handlerSlot()
{
    static HtmlHelpHandler handler;
    return handler;
}

bool isPathName(const QString& name)
{
#ifdef Q_OS_WIN
    if (name.contains(QLatin1Char('\\')))
        return true;
#endif
    return name.contains(QLatin1Char('/')) || QFileInfo(name).isAbsolute();
}

// "KvHelp.chm::/page.html>window" -> file "KvHelp.chm", topic "/page.html".
void splitHelpAddress(const QByteArray& address, QByteArray* file, QByteArray* topic)
{
    QByteArray rest = address;
    const qsizetype sep = rest.indexOf("::");
    const qsizetype window = rest.indexOf('>', sep >= 0 ? sep : 0);
    if (window >= 0)
        rest.truncate(window);
    if (sep >= 0) {
        *topic = rest.mid(sep + 2);
        rest.truncate(sep);
    } else {
        topic->clear();
    }
    *file = rest;
}

void reportCannotOpen(const QString& name)
{
    MsgBox(QStringLiteral("ヘルプファイル \"%1\" を開けません。").arg(name), vbExclamation, QStringLiteral("HTML ヘルプ"));
}

}  // namespace

void setHtmlHelpHandler(HtmlHelpHandler handler)
{
    handlerSlot() = std::move(handler);
}

QStringList helpSearchDirs()
{
    QStringList dirs;
    auto add = [&dirs](const QString& dir) {
        if (dir.isEmpty())
            return;
        const QString abs = QDir::cleanPath(QDir(dir).absolutePath());
        if (!dirs.contains(abs))
            dirs.append(abs);
    };
    add(QDir::currentPath());
    if (QCoreApplication::instance()) {
        add(QCoreApplication::applicationDirPath());
        // An installed copy moved to another prefix keeps finding its data folder.
        add(QCoreApplication::applicationDirPath() + QStringLiteral("/../share/quillmora"));
    }
#ifdef QUILLMORA_DATADIR
    add(QString::fromUtf8(QUILLMORA_DATADIR));
#endif
    return dirs;
}

QString findHelpFile(const QString& name)
{
    if (name.isEmpty())
        return QString();
    if (isPathName(name)) {
        const QFileInfo info(name);
        return info.isFile() ? info.absoluteFilePath() : QString();
    }
    // The name is given as the program spells it; on a file system that tells upper from
    // lower case, a file that differs only in case is taken too, as on Windows.
    const bool wildcard = name.contains(QLatin1Char('*')) || name.contains(QLatin1Char('?'))
                       || name.contains(QLatin1Char('['));
    for (const QString& dirName : helpSearchDirs()) {
        const QDir dir(dirName);
        const QFileInfo exact(dir, name);
        if (exact.isFile())
            return exact.absoluteFilePath();
        if (wildcard)
            continue;
        const QStringList same = dir.entryList(QStringList(name), QDir::Files | QDir::Readable, QDir::Name);
        if (!same.isEmpty())
            return dir.absoluteFilePath(same.first());
    }
    return QString();
}

#ifdef Q_OS_WIN

namespace {

using SystemHtmlHelp = HWND(WINAPI*)(HWND, LPCSTR, UINT, DWORD_PTR);

SystemHtmlHelp systemHtmlHelp()
{
    // Loaded once and kept for the whole run, as the viewer's windows live in this process.
    static const SystemHtmlHelp function = []() -> SystemHtmlHelp {
        HMODULE module = LoadLibraryW(L"hhctrl.ocx");
        if (!module)
            return nullptr;
        FARPROC proc = GetProcAddress(module, "HtmlHelpA");
        return reinterpret_cast<SystemHtmlHelp>(reinterpret_cast<void (*)()>(proc));
    }();
    return function;
}

}  // namespace

QWidget* HtmlHelpA(QWidget* caller, const QByteArray& file, int command, quintptr data)
{
    if (const auto& replacement = QmrM::seams().help) {
        replacement(caller, QFile::decodeName(file), command);
        return nullptr;
    }
    if (handlerSlot())
        return handlerSlot()(caller, file, command, data);

    QByteArray name;
    QByteArray topic;
    splitHelpAddress(file, &name, &topic);
    const SystemHtmlHelp viewer = systemHtmlHelp();
    if (!viewer) {
        if (command == HH_DISPLAY_TOPIC)
            reportCannotOpen(QFile::decodeName(name));
        return nullptr;
    }

    if (command == HH_CLOSE_ALL) {
        viewer(nullptr, nullptr, HH_CLOSE_ALL, 0);
        return nullptr;
    }

    // The system viewer knows nothing of the executable's folder or our data folder; give it
    // the file found along our own search path, so it opens the same file as elsewhere.
    QByteArray target = file;
    const QString found = findHelpFile(QFile::decodeName(name));
    if (!found.isEmpty()) {
        target = QFile::encodeName(QDir::toNativeSeparators(found));
        if (!topic.isEmpty())
            target += "::" + topic;
    }
    HWND owner = caller ? reinterpret_cast<HWND>(caller->window()->winId()) : nullptr;
    viewer(owner, target.constData(), static_cast<UINT>(command), static_cast<DWORD_PTR>(data));
    return nullptr;
}

int openHelpWindowCount()
{
    return 0;
}

#else  // our own viewer

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

QString topicPath(const QByteArray& topic)
{
    const QString text = QFile::decodeName(topic).trimmed();
    if (text.isEmpty())
        return QString();
    return helpPathForLink(QUrl(QStringLiteral("chm:") + text));
}

QWidget* displayTopic(QWidget* caller, const QByteArray& file, quintptr data)
{
    QByteArray name;
    QByteArray topic;
    splitHelpAddress(file, &name, &topic);
    if (data != 0)
        topic = QByteArray(reinterpret_cast<const char*>(data));
    const QString displayName = QFile::decodeName(name);
    const QString path = findHelpFile(displayName);
    const QString page = topicPath(topic);

    forgetClosedViewers();
    if (!path.isEmpty()) {
        const QString canonical = QFileInfo(path).canonicalFilePath();
        for (const QPointer<HelpViewer>& viewer : viewers()) {
            if (QFileInfo(viewer->fileName()).canonicalFilePath() != canonical)
                continue;
            if (page.isEmpty())
                viewer->showDefaultTopic();
            else
                viewer->showTopic(page);
            if (viewer->isMinimized())
                viewer->showNormal();
            else
                viewer->show();
            viewer->raise();
            viewer->activateWindow();
            return viewer;
        }
    }

    auto chm = std::make_unique<ChmFile>();
    if (path.isEmpty() || !chm->open(path) || chm->defaultTopic().isEmpty()) {
        reportCannotOpen(displayName);
        return nullptr;
    }

    auto* viewer = new HelpViewer(std::move(chm), caller);
    viewers().append(viewer);
    if (page.isEmpty())
        viewer->showDefaultTopic();
    else
        viewer->showTopic(page);
    viewer->show();
    viewer->raise();
    viewer->activateWindow();
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

}  // namespace

QWidget* HtmlHelpA(QWidget* caller, const QByteArray& file, int command, quintptr data)
{
    if (const auto& replacement = QmrM::seams().help) {
        replacement(caller, QFile::decodeName(file), command);
        return nullptr;
    }
    if (handlerSlot())
        return handlerSlot()(caller, file, command, data);

    switch (command) {
    case HH_DISPLAY_TOPIC:
        return displayTopic(caller, file, data);
    case HH_CLOSE_ALL:
        closeAll();
        return nullptr;
    default:
        return nullptr;
    }
}

int openHelpWindowCount()
{
    forgetClosedViewers();
    return static_cast<int>(viewers().size());
}

#endif

}  // namespace platform
