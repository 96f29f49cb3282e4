// SPDX-License-Identifier: GPL-3.0-or-later
#include "Dialogs.h"

#include "Guard.h"
#include "LineBreaks.h"
#include "shared/Seams.h"

#include <QApplication>
#include <QInputDialog>
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

int qtMessageBox(const QString& text, const QString& title, int style)
{
    // The box has a width of its own: a longer text wraps, between words.
    QMessageBox box(iconFor(style), title, withWordsKeptWhole(text), QMessageBox::NoButton, dialogParent());
    box.setObjectName(QStringLiteral("MsgBox"));
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

void NoticeBox::choose(int index)
{
    const std::function<void()> chosen = mChoices.value(index).chosen;
    if (mBox)
        mBox->close();
    if (chosen)
        runGuarded(chosen);
}

std::unique_ptr<NoticeBox> showNotice(const QString& text, int style, const QString& title, QList<NoticeChoice> choices)
{
    auto notice = std::make_unique<NoticeBox>();
    notice->mChoices = std::move(choices);
    if (const auto& replacement = QmrM::seams().messageBox) {
        replacement(text, title, style, notice.get());
        return notice;
    }
    auto* box = new QMessageBox(iconFor(style), title, withWordsKeptWhole(text), QMessageBox::NoButton, nullptr);
    box->setObjectName(QStringLiteral("Notice"));
    box->setAttribute(Qt::WA_DeleteOnClose);
    box->setAttribute(Qt::WA_QuitOnClose, false);
    box->setModal(false);
    for (int i = 0; i < notice->mChoices.size(); ++i) {
        QPushButton* button = box->addButton(notice->mChoices[i].text, QMessageBox::ActionRole);
        QObject::connect(button, &QPushButton::clicked, notice.get(),
                         [notice = notice.get(), i] { notice->choose(i); });
    }
    box->setDefaultButton(box->addButton(QMessageBox::Ok));
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
