#include "Dialogs.h"

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

class QtDialogProvider final : public DialogProvider {
public:
    int messageBox(const QString& text, const QString& title, int style) override
    {
        QMessageBox box(iconFor(style), title, text, QMessageBox::NoButton, dialogParent());
        box.setObjectName(QStringLiteral("MsgBox"));
        QPushButton* ok = box.addButton(QMessageBox::Ok);
        if ((style & 0x0F) == vbOKCancel)
            box.setEscapeButton(box.addButton(QMessageBox::Cancel));
        else
            box.setEscapeButton(ok);
        box.setDefaultButton(ok);
        box.exec();
        return box.clickedButton() == ok ? vbOK : vbCancel;
    }

    QString inputBox(const QString& prompt, const QString& title, const QString& defaultText) override
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
};

QtDialogProvider& qtProvider()
{
    static QtDialogProvider provider;
    return provider;
}

DialogProvider* gProvider = nullptr;

}  // namespace

void setDialogProvider(DialogProvider* provider)
{
    gProvider = provider;
}

DialogProvider* dialogProvider()
{
    return gProvider ? gProvider : &qtProvider();
}

int MsgBox(const QString& text, int style, const QString& title)
{
    return dialogProvider()->messageBox(text, title, style);
}

QString InputBox(const QString& prompt, const QString& title, const QString& defaultText)
{
    return dialogProvider()->inputBox(prompt, title, defaultText);
}

}  // namespace platform
