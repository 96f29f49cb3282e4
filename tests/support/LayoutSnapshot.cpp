// SPDX-License-Identifier: GPL-3.0-or-later
#include "LayoutSnapshot.h"

#include "platform/AppSetup.h"

#include <QAbstractButton>
#include <QFile>
#include <QGroupBox>
#include <QLabel>
#include <QTest>
#include <QWidget>

#include <algorithm>

namespace {

const QString kSnapshotFile = QStringLiteral(QUILLMORA_LAYOUT_SNAPSHOT);
const QString kProgramFont = QStringLiteral("ＭＳ Ｐゴシック");

QString captionOf(const QWidget* control)
{
    if (const auto* button = qobject_cast<const QAbstractButton*>(control))
        return button->text();
    if (const auto* label = qobject_cast<const QLabel*>(control))
        return label->text();
    if (const auto* group = qobject_cast<const QGroupBox*>(control))
        return group->title();
    return QString();
}

QString describeControl(const QWidget* control)
{
    const QRect g = control->geometry();
    QString line = QStringLiteral("%1 %2,%3 %4x%5")
                       .arg(control->objectName())
                       .arg(g.x())
                       .arg(g.y())
                       .arg(g.width())
                       .arg(g.height());
    // The program's own font, set on the control or on the window; the system's default font is left out.
    if (control->font().family() == kProgramFont)
        line += QStringLiteral(" %1pt").arg(control->font().pointSizeF());
    if (const QString caption = captionOf(control); !caption.isEmpty())
        line += QStringLiteral(" caption=\"%1\"").arg(caption);
    if (!control->toolTip().isEmpty())
        line += QStringLiteral(" tip=\"%1\"").arg(control->toolTip());
    return line;
}

QStringList describeLayout(const QWidget* window)
{
    // A window has a section per language: "[frmMain]" in Japanese, "[frmMain en]" in English.
    const QString language = platform::interfaceLanguage();
    const QString section =
        language == platform::kSourceLanguage ? window->objectName() : window->objectName() + u' ' + language;
    QStringList lines{QStringLiteral("[%1]").arg(section),
                      QStringLiteral("title=\"%1\" %2x%3 maximise=%4")
                          .arg(window->windowTitle())
                          .arg(window->width())
                          .arg(window->height())
                          .arg(window->windowFlags().testFlag(Qt::WindowMaximizeButtonHint) ? "yes" : "no")};
    for (const QWidget* control : window->findChildren<QWidget*>()) {
        // Menus are windows of their own, placed where they pop up.
        if (!control->isWindow() && !control->objectName().isEmpty() &&
            !control->objectName().startsWith(QLatin1String("qt_")))
            lines.append(describeControl(control));
    }
    return lines;
}

// The snapshot's sections, each from its "[name]" line up to the next.
QList<QStringList> readSections()
{
    QFile file(kSnapshotFile);
    QList<QStringList> sections;
    if (!file.open(QIODevice::ReadOnly | QIODevice::Text))
        return sections;
    for (const QString& line : QString::fromUtf8(file.readAll()).split(u'\n', Qt::SkipEmptyParts)) {
        if (line.startsWith(u'[') || sections.isEmpty())
            sections.append(QStringList());
        sections.last().append(line);
    }
    return sections;
}

void writeSection(const QStringList& section)
{
    QList<QStringList> sections = readSections();
    const auto same = std::find_if(sections.begin(), sections.end(),
                                   [&](const QStringList& s) { return s.value(0) == section.value(0); });
    if (same != sections.end())
        *same = section;
    else
        sections.append(section);
    QFile file(kSnapshotFile);
    QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate | QIODevice::Text));
    for (const QStringList& s : sections)
        file.write((s.join(u'\n') + QStringLiteral("\n\n")).toUtf8());
}

}  // namespace

void compareWithLayoutSnapshot(const QWidget* window)
{
    QVERIFY(window);
    const QStringList seen = describeLayout(window);
    if (qEnvironmentVariableIntValue("QUILLMORA_UPDATE_SNAPSHOT") == 1) {
        writeSection(seen);
        return;
    }
    QStringList kept;
    for (const QStringList& section : readSections()) {
        if (section.value(0) == seen.value(0))
            kept = section;
    }
    QVERIFY2(!kept.isEmpty(), qPrintable(QStringLiteral("no section %1 in %2").arg(seen.value(0), kSnapshotFile)));
    for (qsizetype i = 0; i < std::max(seen.size(), kept.size()); ++i) {
        const QString difference = QStringLiteral("line %1 of %2\n   seen: %3\n   kept: %4")
                                       .arg(i + 1)
                                       .arg(seen.value(0), seen.value(i), kept.value(i));
        QVERIFY2(seen.value(i) == kept.value(i), difference.toUtf8().constData());
    }
}
