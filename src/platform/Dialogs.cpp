// SPDX-License-Identifier: GPL-3.0-or-later
#include "Dialogs.h"

#include "Guard.h"
#include "FitLabel.h"
#include "shared/Seams.h"

#include <QApplication>
#include <QClipboard>
#include <QDialogButtonBox>
#include <QInputDialog>
#include <QLabel>
#include <QLayout>
#include <QMessageBox>
#include <QPushButton>

#include <utility>

namespace platform {
namespace {

QWidget* dialogParent()
{
    QWidget* active = QApplication::activeWindow();
    return active && active->isVisible() ? active : nullptr;
}

QMessageBox::Icon iconFor(int style)
{
    const int icon = style & 0xF0;
    return icon == vbCritical      ? QMessageBox::Critical
           : icon == vbExclamation ? QMessageBox::Warning
           : icon == vbInformation ? QMessageBox::Information
                                   : QMessageBox::NoIcon;
}

// Whether the program made what the clipboard holds. The offscreen and minimal platforms keep a clipboard
// of the program's alone, and tell no owner.
bool ownsClipboard(QClipboard::Mode mode)
{
    const QString platform = QGuiApplication::platformName();
    if (platform == QLatin1String("offscreen") || platform == QLatin1String("minimal"))
        return true;
    const QClipboard* clipboard = QGuiApplication::clipboard();
    return mode == QClipboard::Selection ? clipboard->ownsSelection() : clipboard->ownsClipboard();
}

// A copy the program made of a text with word joiners gets the text as written. Windows tells of a copy a
// moment after it, when the box copied from may be gone: the watch stays for the program's life. Another
// program's copies are left as they are.
void copiesWithoutWordJoiners()
{
    static bool watching = false;
    if (std::exchange(watching, true))
        return;
    QClipboard* clipboard = QGuiApplication::clipboard();
    QObject::connect(clipboard, &QClipboard::changed, clipboard, [clipboard](QClipboard::Mode mode) {
        if (!ownsClipboard(mode))
            return;
        const QString copied = clipboard->text(mode);
        if (copied.contains(kWordJoiner))
            clipboard->setText(withoutWordJoiners(copied), mode);
    });
}

// Names the box and sets it up for its text. The box shows the text with word joiners, which only steer where
// its lines break (withWordsKeptWhole): assistive technology and a copy (Ctrl+C, a selection) get the text as written.
void setUpBox(QMessageBox* box, const QString& name, const QString& text)
{
    box->setObjectName(name);
    if (auto* label = box->findChild<QLabel*>(QStringLiteral("qt_msgbox_label")))
        label->setAccessibleName(text);
    copiesWithoutWordJoiners();
    // The window manager shows the box's title on its frame, beside its buttons (an icon, minimise, maximise,
    // close): a box narrower than that shortens its title to "削…了". The box is kept at least as wide as its
    // title in a bold title-bar font, with room for the four, each about two lines' height wide with its margins.
    // The bold width is reckoned from the regular font's, a tenth wider than it (bold Latin letters are about
    // that much wider, a Japanese font's made-up bold less): opening a bold font only to measure would load its
    // file for the box alone.
    const QFontMetrics metrics(QApplication::font("QMdiSubWindowTitleBar"));
    constexpr int kFrameButtons = 4;
    const int boldTitle = metrics.horizontalAdvance(box->windowTitle()) * 11 / 10;
    const int needed = boldTitle + kFrameButtons * 2 * metrics.height();
    auto* buttons = box->findChild<QDialogButtonBox*>();
    if (!buttons || !box->layout())
        return;
    const QMargins margins = box->layout()->contentsMargins();
    buttons->setMinimumWidth(needed - margins.left() - margins.right());
}

// The box's OK and キャンセル are buttons of its own, with their texts and no picture: a standard button reads
// a picture for itself, in PNG, which on a desktop that shows pictures on buttons brings in the PNG decoder
// and every image plugin for the box alone.
QPushButton* addOk(QMessageBox* box)
{
    //: A message box's button that goes on
    return box->addButton(QCoreApplication::translate("platform", "OK"), QMessageBox::AcceptRole);
}

}  // namespace

int MsgBox(const QString& text, int style, const QString& title)
{
    if (const auto& replacement = QmrM::seams().messageBox)
        return replacement(text, title, style, nullptr);
    // The box has a width of its own: a longer text wraps, between words.
    QMessageBox box(iconFor(style), title, withWordsKeptWhole(text), QMessageBox::NoButton, dialogParent());
    setUpBox(&box, QStringLiteral("MsgBox"), text);
    QPushButton* ok = addOk(&box);
    QPushButton* cancel = nullptr;
    if ((style & 0x0F) == vbOKCancel)
        //: A message box's button that leaves everything as it was
        cancel = box.addButton(QCoreApplication::translate("platform", "キャンセル"), QMessageBox::RejectRole);
    box.setEscapeButton(cancel ? cancel : ok);
    box.setDefaultButton(cancel && (style & vbDefaultButton2) ? cancel : ok);
    box.exec();
    return box.clickedButton() == ok ? vbOK : vbCancel;
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
    setUpBox(box, QStringLiteral("Notice"), text);
    box->setAttribute(Qt::WA_DeleteOnClose);
    box->setAttribute(Qt::WA_QuitOnClose, false);
    box->setModal(false);
    for (int i = 0; i < notice->mChoices.size(); ++i) {
        QPushButton* button = box->addButton(notice->mChoices[i].text, QMessageBox::ActionRole);
        QObject::connect(button, &QPushButton::clicked, notice.get(),
                         [notice = notice.get(), i] { notice->choose(i); });
    }
    box->setDefaultButton(addOk(box));
    box->show();
    box->raise();
    box->activateWindow();
    notice->mBox = box;
    return notice;
}

QString InputBox(const QString& prompt, const QString& title, const QString& defaultText)
{
    if (const auto& replacement = QmrM::seams().inputBox)
        return replacement(prompt, title, defaultText);
    QInputDialog dialog(dialogParent());
    dialog.setObjectName(QStringLiteral("InputBox"));
    dialog.setWindowTitle(title);
    dialog.setLabelText(prompt);
    dialog.setTextValue(defaultText);  // a text box
    return dialog.exec() == QDialog::Accepted ? dialog.textValue() : QString();
}

}  // namespace platform
