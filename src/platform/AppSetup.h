// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QFont>
#include <QIcon>
#include <QString>
#include <QStringList>

#include <thread>

class QApplication;

class QWidget;

namespace platform {

// Makes the pictures compiled into the program available under ":/pictures".
void registerResources();

// One of the program's own pictures (":/pictures/next.ico"), with every size it holds, read in the format its
// name gives. Icons with a colour table are read here: the toolkit's reader would bring in every image plugin
// to guess the format, and the maths library to turn the icon's mask into transparency; any other icon goes
// to the toolkit's reader (OwnPictures.cpp).
QIcon picture(const QString& resource);

// The language of the windows, as a language code. Their texts are written in Japanese ("ja"), which is
// also what every locale without a catalogue gets (C, POSIX, ja_*); a locale whose language has a
// catalogue compiled into the program (translations/quillmora_<code>.ts; en_* for English) gets it.
inline const QString kSourceLanguage = QStringLiteral("ja");
QString interfaceLanguage();
// The locales the user's system asks programs to use, as locale names ("en_GB", "C"): the one of the
// messages and the one of dates and numbers. One implementation per system (UserLanguage_posix.cpp,
// UserLanguage_win.cpp).
QString systemMessagesLocale();
QString systemFormatsLocale();

// Makes the language's locale the default one: numbers, dates and resource pictures follow it. In Japanese
// that is Japan's; in another language the user's locale of that language where the system names one
// (en_GB), else the language's main one.
void useLanguageLocale(const QString& language);

// The toolkit's own dialogs write dates and sizes (the file dialog's list) in the system's locale, which
// the toolkit reads from the environment once, while the application object is made. In Japanese the program
// speaks Japanese whatever the system's locale is (C.UTF-8 included): called as the application object is about to be
// made, this has the toolkit read a Japanese one; giveBackLocaleEnvironment() restores the user's environment once it
// exists, for the programs started from ours (a web browser for a help link). Returns argc, to be called
// in the application's constructor. (Windows' dialogs speak the language of Windows: nothing to do there.)
// Both with the system's language (UserLanguage_posix.cpp, UserLanguage_win.cpp).
int& withJapaneseToolkitLocale(int& argc);
void giveBackLocaleEnvironment();

// The windows' Japanese font, "ＭＳ Ｐゴシック", regular weight, at the given size in points.
QFont namedFont(double points);

// Narrows the spacing of a caption that would not fit its control's fixed width (less `reserved` pixels
// for an indicator or margins), so the whole caption stays readable.
void fitCaption(QWidget* control, const QString& caption, int reserved = 0);

// Everything the program sets up before its first window.
void setUpApplication(QApplication& app);

// The program keeps its files in the folder it is started in. Started with this argument (the Start menu's
// entry on Windows) it first makes and enters the user's own data folder, %APPDATA%\Quillmora; elsewhere
// the launcher (packaging/quillmora-launcher) does that before the program starts.
inline const QString kUserDataFolderArgument = QStringLiteral("--user-data-folder");

// Enters the user's data folder when the arguments ask for it. False, once the user has been told why,
// when the folder can be neither made nor entered. One implementation per system (DataFolder_none.cpp,
// DataFolder_win.cpp).
bool enterDataFolderAskedFor(const QStringList& arguments);

// Starts reading the system's font configuration (fontconfig) on a thread of its own: most of what the first
// window's text waits for, and nothing the toolkit needs meanwhile while it starts and connects to the display.
// Called first thing in main, and the thread joined before any text is measured or a box is shown, so that the
// toolkit finds the configuration read instead of reading it a second time. No thread (not joinable) where the
// program is built without fontconfig.
std::thread readFontConfiguration();

}  // namespace platform
