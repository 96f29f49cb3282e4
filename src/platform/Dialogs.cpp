// SPDX-License-Identifier: GPL-3.0-or-later
#include "Dialogs.h"

#include "LineBreaks.h"
#include "shared/Seams.h"

#include <QApplication>
#include <QClipboard>
#include <QInputDialog>
#include <QLabel>
#include <QMessageBox>
#include <QPushButton>

namespace platform {
namespace {

QWidget* dialogParent()
{
    QWidget* active = QApplication::activeWindow();
    return active && active->isVisible() ? active : nullptr;
}

QMessageBox::Icon iconFor(int style)
{
    switch (style & 0xF0) {
    case vbCritical:
        return QMessageBox::Critical;
    case vbExclamation:
        return QMessageBox::Warning;
    case vbInformation:
        return QMessageBox::Information;
    default:
        return QMessageBox::NoIcon;
    }
}

// The box shows its text with word joiners, which only steer where its lines break (LineBreaks.h): assistive
// technology and a copy (Ctrl+C, a selection) get the text as written.
void givePlainText(QMessageBox* box, const QString& text)
{
    if (auto* label = box->findChild<QLabel*>(QStringLiteral("qt_msgbox_label")))
        label->setAccessibleName(text);
    QObject::connect(QGuiApplication::clipboard(), &QClipboard::changed, box, [](QClipboard::Mode mode) {
        QClipboard* clipboard = QGuiApplication::clipboard();
        const QString copied = clipboard->text(mode);
        if (copied.contains(kWordJoiner))
            clipboard->setText(withoutWordJoiners(copied), mode);
    });
}

int qtMessageBox(const QString& text, const QString& title, int style)
{
    // The box has a width of its own: a longer text wraps, between words.
    QMessageBox box(iconFor(style), title, withWordsKeptWhole(text), QMessageBox::NoButton, dialogParent());
    box.setObjectName(QStringLiteral("MsgBox"));
    givePlainText(&box, text);
    QPushButton* ok = box.addButton(QMessageBox::Ok);
    QPushButton* cancel = (style & 0x0F) == vbOKCancel ? box.addButton(QMessageBox::Cancel) : nullptr;
    box.setEscapeButton(cancel ? cancel : ok);
    box.setDefaultButton(cancel && (style & vbDefaultButton2) ? cancel : ok);
    box.exec();
    return box.clickedButton() == ok ? vbOK : vbCancel;
}

QString qtInputBox(const QString& prompt, const QString& title, const QString& defaultText)
{
    QInputDialog dialog(dialogParent());
    dialog.setObjectName(QStringLiteral("InputBox"));
    dialog.setWindowTitle(title);
    dialog.setLabelText(prompt);
    dialog.setTextValue(defaultText);
    dialog.setInputMode(QInputDialog::TextInput);
    if (dialog.exec() != QDialog::Accepted)
        return QString();
    return dialog.textValue();
}

}  // namespace

int MsgBox(const QString& text, int style, const QString& title)
{
    const auto& replacement = QmrM::seams().messageBox;
    return replacement ? replacement(text, title, style, nullptr) : qtMessageBox(text, title, style);
}

NoticeBox::~NoticeBox()
{
    if (mBox)
        mBox->close();  // deletes itself
}

std::unique_ptr<NoticeBox> showNotice(const QString& text, int style, const QString& title)
{
    auto notice = std::make_unique<NoticeBox>();
    if (const auto& replacement = QmrM::seams().messageBox) {
        replacement(text, title, style, notice.get());
        return notice;
    }
    auto* box = new QMessageBox(iconFor(style), title, withWordsKeptWhole(text), QMessageBox::Ok, nullptr);
    box->setObjectName(QStringLiteral("Notice"));
    givePlainText(box, text);
    box->setAttribute(Qt::WA_DeleteOnClose);
    box->setAttribute(Qt::WA_QuitOnClose, false);
    box->setModal(false);
    box->show();
    box->raise();
    box->activateWindow();
    notice->mBox = box;
    return notice;
}

QString InputBox(const QString& prompt, const QString& title, const QString& defaultText)
{
    const auto& replacement = QmrM::seams().inputBox;
    return replacement ? replacement(prompt, title, defaultText) : qtInputBox(prompt, title, defaultText);
}

}  // namespace platform
