// SPDX-License-Identifier: GPL-3.0-or-later
// The help windows on Windows: the system's HTML help viewer, loaded at run time.
#include "HtmlHelp.h"

#include <QDir>
#include <QFile>
#include <QWidget>

#include <windows.h>

namespace help {

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

QWidget* showTopic(QWidget* caller, const QString& file, const QString& topic)
{
    const SystemHtmlHelp viewer = systemHtmlHelp();
    if (!viewer) {
        detail::reportCannotOpen(file);
        return nullptr;
    }
    // The system viewer knows nothing of the executable's folder or our data folder; give it
    // the file found along our own search path, so it opens the same file as elsewhere.
    const QString found = findHelpFile(file);
    QByteArray target = QFile::encodeName(QDir::toNativeSeparators(found.isEmpty() ? file : found));
    if (!topic.isEmpty()) {
        QString page = topic;
        if (!page.startsWith(QLatin1Char('/')))
            page.prepend(QLatin1Char('/'));
        target += "::" + QFile::encodeName(page);
    }
    HWND owner = caller ? reinterpret_cast<HWND>(caller->window()->winId()) : nullptr;
    viewer(owner, target.constData(), static_cast<UINT>(HelpCommand::DisplayTopic), 0);
    return nullptr;
}

void closeAll()
{
    if (const SystemHtmlHelp viewer = systemHtmlHelp())
        viewer(nullptr, nullptr, static_cast<UINT>(HelpCommand::CloseAll), 0);
}

}  // namespace help
