// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QList>
#include <QObject>
#include <QPointer>
#include <QString>

#include <functional>
#include <memory>

class QWidget;

// Every modal message box and input box of the program: Qt's dialogs, or what the seams (shared/Seams.h) put there.
namespace platform {

// Message box styles (button set + icon), as the program's messages use them.
enum MsgStyle : int {
    vbOKOnly = 0,
    vbOKCancel = 1,
    vbCritical = 16,
    vbExclamation = 48,
    vbInformation = 64,
    vbDefaultButton2 = 256,  // the second button (キャンセル) is the default, for a question where OK risks harm
};

enum MsgResult : int {
    vbOK = 1,
    vbCancel = 2,
};

int MsgBox(const QString& text, int style, const QString& title);

// A choice a notice offers beside closing it: its button's text, and what choosing it does.
struct NoticeChoice {
    QString text;
    std::function<void()> chosen;
};

// A notice on screen. Letting go of it closes the box, unless the user has closed it already.
class NoticeBox : public QObject {
public:
    ~NoticeBox() override;
    const QList<NoticeChoice>& choices() const { return mChoices; }
    // As its button does: closes the box, then makes the choice inside the exception guard (it may let go of this).
    void choose(int index);

private:
    friend std::unique_ptr<NoticeBox> showNotice(const QString&, int, const QString&, QList<NoticeChoice>);
    QPointer<QWidget> mBox;
    QList<NoticeChoice> mChoices;
};

// A message box that does not wait for its answer (a box over a wait must not hold the wait back); the program
// closes it when what it tells is over. Its buttons are the `choices`, then OK. The seam is given the NoticeBox,
// through which tests watch the box go and choose.
std::unique_ptr<NoticeBox> showNotice(const QString& text, int style, const QString& title,
                                      QList<NoticeChoice> choices = {});

QString InputBox(const QString& prompt, const QString& title, const QString& defaultText = QString());

}  // namespace platform
