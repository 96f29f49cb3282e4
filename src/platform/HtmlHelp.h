#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <QtGlobal>

#include <functional>

class QWidget;

// The HTML help viewer function of the program. On Windows it is the system's viewer
// (hhctrl.ocx); elsewhere our own viewer window shows the compiled help file.
namespace platform {

// Commands, with the values of the HTML help interface.
constexpr int HH_DISPLAY_TOPIC = 0;  // open the file at its default topic
constexpr int HH_CLOSE_ALL = 18;     // close every help window the program opened

// caller: the window asking for help (the viewer opens over it). file: the help file in the
// 8-bit file name encoding, a bare name ("KvHelp.chm"), a path, or either followed by
// "::/topic.html" to open a given page. data: for HH_DISPLAY_TOPIC, 0 or a pointer to a
// NUL-terminated 8-bit topic path; unused by HH_CLOSE_ALL.
// Returns the help window for HH_DISPLAY_TOPIC, nullptr when the file could not be shown
// (the viewer has then told the user so) and for every other command. On Windows the help
// window is not one of ours and nullptr is returned in every case.
QWidget* HtmlHelpA(QWidget* caller, const QByteArray& file, int command, quintptr data);

// Test seam: while a handler is set, HtmlHelpA hands every call to it instead of the viewer.
// An empty function restores the viewer.
using HtmlHelpHandler = std::function<QWidget*(QWidget*, const QByteArray&, int, quintptr)>;
void setHtmlHelpHandler(HtmlHelpHandler handler);

// The folders in which a bare help file name is looked for, in order: the current
// directory, the executable's directory, and the installed data folder.
QStringList helpSearchDirs();

// The help file found for a name as HtmlHelpA is given it (bare name or path); empty when
// there is none.
QString findHelpFile(const QString& name);

// Help windows open now (not closed yet). Always 0 on Windows.
int openHelpWindowCount();

}  // namespace platform
