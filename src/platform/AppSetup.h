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

void registerResources();

// One of the program's own pictures (":/pictures/next.ico"), every size it holds. Icons with a colour table are
// read here: Qt's reader would load every image plugin to guess the format, and the maths library for the mask.
QIcon picture(const QString& resource);

// The windows' language code: Japanese ("ja"), the texts' own, for every locale without a compiled-in catalogue
// (C, POSIX, ja_*); a language with one (translations/quillmora_<code>.ts) gets it.
inline const QString kSourceLanguage = QStringLiteral("ja");
QString interfaceLanguage();
// The system's locale names ("en_GB", "C") for messages and for dates and numbers (UserLanguage_*.cpp).
QString systemMessagesLocale();
QString systemFormatsLocale();

// Makes the language's locale the default, for numbers, dates and resource pictures: Japan's for Japanese, else
// the user's locale of the language where the system names one (en_GB), else the language's main one.
void useLanguageLocale(const QString& language);

// Qt's dialogs write dates and sizes in the locale Qt reads from the environment as the application object is
// made. In Japanese the program speaks Japanese whatever the system's locale (C.UTF-8 too): called in the
// application's constructor (hence argc), this has Qt read a Japanese one; giveBackLocaleEnvironment() restores
// the user's for programs started from ours (a browser for a help link). Windows' dialogs need nothing.
int& withJapaneseToolkitLocale(int& argc);
void giveBackLocaleEnvironment();

// The windows' font, "ＭＳ Ｐゴシック", regular.
QFont namedFont(double points);

// Narrows the spacing of a caption too wide for its control (less `reserved` pixels), so it stays whole.
void fitCaption(QWidget* control, const QString& caption, int reserved = 0);

void setUpApplication(QApplication& app);

// The program keeps its files in the folder it is started in. With this argument (the Windows Start menu's
// entry) it first makes and enters %APPDATA%\Quillmora; elsewhere packaging/quillmora-launcher does that.
inline const QString kUserDataFolderArgument = QStringLiteral("--user-data-folder");

// False, once the user has been told why, when the folder can be neither made nor entered (DataFolder_*.cpp).
bool enterDataFolderAskedFor(const QStringList& arguments);

// Reads fontconfig's configuration on its own thread, first thing in main: most of what the first window's text
// waits for, not needed while Qt connects to the display. Join before any text is measured, so that Qt does not
// read it again. Not joinable where built without fontconfig.
std::thread readFontConfiguration();

}  // namespace platform
