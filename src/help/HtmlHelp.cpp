// SPDX-License-Identifier: GPL-3.0-or-later
#include "HtmlHelp.h"

#include "platform/AppSetup.h"
#include "platform/Dialogs.h"
#include "platform/Guard.h"
#include "shared/Seams.h"

#include <QShortcut>
#include <QWidget>

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>

namespace help {

void detail::reportCannotOpen(const QString& name)
{
    platform::MsgBox(QCoreApplication::translate("Help", "ヘルプファイル \"%1\" を開けません。").arg(name),
                     platform::vbExclamation, QCoreApplication::translate("Help", "HTML ヘルプ"));
}

QWidget* HtmlHelpA(QWidget* caller, const QString& file, HelpCommand command)
{
    if (const auto& replacement = QmrM::seams().help) {
        replacement(caller, file, static_cast<int>(command));
        return nullptr;
    }
    if (command == HelpCommand::CloseAll) {
        closeAll();
        return nullptr;
    }
    const qsizetype page = file.indexOf(QLatin1String("::"));
    return page < 0 ? showTopic(caller, file) : showTopic(caller, file.left(page), file.mid(page + 2));
}

void endProgramClosingHelp(QWidget* caller, const QString& file)
{
    HtmlHelpA(caller, file, HelpCommand::CloseAll);
    platform::endProgram(0);
}

QString programHelpFile()
{
    const QString language = platform::interfaceLanguage();
    const QString translated = QStringLiteral("KvHelp_%1.chm").arg(language);
    return language != platform::kSourceLanguage && !findHelpFile(translated).isEmpty() ? translated
                                                                                        : QStringLiteral("KvHelp.chm");
}

void offerHelpKey(QWidget* window, const QString& page)
{
    auto* key = new QShortcut(QKeySequence::HelpContents, window);
    key->setContext(Qt::WindowShortcut);
    const QString topic = programHelpFile() + QStringLiteral("::/") + page;
    QObject::connect(key, &QShortcut::activated, window,
                     platform::guardedSlot([window, topic] { HtmlHelpA(window, topic, HelpCommand::DisplayTopic); }));
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
    // A name with a folder in it (either separator on Windows), or an absolute one, is a path.
    const QFileInfo info(name);
    if (QDir::fromNativeSeparators(name).contains(QLatin1Char('/')) || info.isAbsolute())
        return info.isFile() ? info.absoluteFilePath() : QString();
    // A file differing only in case from the name as the program spells it is taken too, as on Windows.
    for (const QString& dirName : helpSearchDirs()) {
        const QDir dir(dirName);
        const QFileInfo exact(dir, name);
        if (exact.isFile())
            return exact.absoluteFilePath();
        for (const QString& entry : dir.entryList(QDir::Files | QDir::Readable, QDir::Name)) {
            if (entry.compare(name, Qt::CaseInsensitive) == 0)
                return dir.absoluteFilePath(entry);
        }
    }
    return QString();
}

}  // namespace help
