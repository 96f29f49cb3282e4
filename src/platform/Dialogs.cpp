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

// The program's own copies of a text with word joiners get the text as written. Windows tells of a copy a moment
// later, when the box may be gone: the watch stays for the program's life.
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

// The box shows the text with word joiners (withWordsKeptWhole): assistive technology and a copy get it as written.
void setUpBox(QMessageBox* box, const QString& name, const QString& text)
{
    box->setObjectName(name);
    if (auto* label = box->findChild<QLabel*>(QStringLiteral("qt_msgbox_label")))
        label->setAccessibleName(text);
    copiesWithoutWordJoiners();
    // A box narrower than its title and the frame's four buttons shortens the title to "削…了": it is kept as wide
    // as the title in bold and four buttons, each about two lines high. Bold is reckoned a tenth wider than
    // regular (about so for Latin letters, less for a Japanese font's made-up bold): opening a bold font only to
    // measure would load its file for the box alone.
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

// Buttons of the box's own, without a picture: a standard button's PNG picture loads the PNG decoder and every
// image plugin, on a desktop that shows pictures on buttons.
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
