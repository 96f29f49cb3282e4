// SPDX-License-Identifier: GPL-3.0-or-later
// The help windows on Windows: the system's HTML help viewer, loaded when first asked for.
#include "HtmlHelp.h"

#include <QDir>
#include <QWidget>

#include <windows.h>

namespace help {

namespace {

// HtmlHelpW of the system's viewer (htmlhelp.h), with its two commands.
using SystemHtmlHelp = HWND(WINAPI*)(HWND, LPCWSTR, UINT, DWORD_PTR);
constexpr UINT kDisplayTopic = 0x0000;  // HH_DISPLAY_TOPIC
constexpr UINT kCloseAll = 0x0012;      // HH_CLOSE_ALL

// The viewer's function, once loaded; it stays for the whole run, as the viewer's windows live in this process.
SystemHtmlHelp gViewer = nullptr;

SystemHtmlHelp systemHtmlHelp()
{
    if (!gViewer) {
        if (HMODULE module = LoadLibraryW(L"hhctrl.ocx"))
            gViewer =
                reinterpret_cast<SystemHtmlHelp>(reinterpret_cast<void (*)()>(GetProcAddress(module, "HtmlHelpW")));
    }
    return gViewer;
}

}  // namespace

QWidget* showTopic(QWidget* caller, const QString& file, const QString& topic)
{
    // The viewer knows nothing of the program's or the data folder: it is given the file found along our search path,
    // so it opens the same file as elsewhere, by its full UTF-16 name (a folder of any name).
    const QString found = findHelpFile(file);
    const SystemHtmlHelp viewer = systemHtmlHelp();
    if (!viewer || found.isEmpty()) {
        detail::reportCannotOpen(file);
        return nullptr;
    }
    QString target = QDir::toNativeSeparators(found);
    if (!topic.isEmpty())
        target += (topic.startsWith(u'/') ? QStringLiteral("::") : QStringLiteral("::/")) + topic;
    HWND owner = caller ? reinterpret_cast<HWND>(caller->window()->winId()) : nullptr;
    if (!viewer(owner, reinterpret_cast<LPCWSTR>(target.utf16()), kDisplayTopic, 0))
        detail::reportCannotOpen(file);
    return nullptr;
}

void closeAll()
{
    // Nothing to close where the viewer was never loaded.
    if (gViewer)
        gViewer(nullptr, nullptr, kCloseAll, 0);
}

}  // namespace help
