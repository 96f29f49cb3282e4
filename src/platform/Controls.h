// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QComboBox>
#include <QScrollBar>
#include <QToolButton>

#include <functional>

class QLineEdit;

// The controls the forms are made of where Qt's own do not behave as the windows need.
namespace platform {

// A command button: picture above the caption, or picture only. As on Windows, Enter presses it too, so a
// keyboard user can go through a training pass with Enter alone. Pressed through the accessibility interface,
// it queues the click and returns at once, as a push button does: its handler may wait for minutes.
class CommandButton : public QToolButton {
    Q_OBJECT
public:
    explicit CommandButton(QWidget* parent = nullptr);

protected:
    void keyPressEvent(QKeyEvent* event) override;
};

// A horizontal scroll bar whose arrow and page keys move the way they point: Qt's scroll bar inverts
// its key controls so that the mouse wheel feels natural, which makes Left increase the value.
class HScrollBar : public QScrollBar {
public:
    explicit HScrollBar(QWidget* parent = nullptr);

protected:
    void keyPressEvent(QKeyEvent* event) override;
};

// Qt's setText puts the cursor, and with it the view, at the end, so a long text would show only its last characters.
void setTextShowingStart(QLineEdit* box, const QString& text);

// At every change of the text, the box shows it in its described font when it fits, else at the largest smaller
// size that fits, down to `minimumPoints`.
void keepTextWhole(QLineEdit* box, double minimumPoints);

// A combo box of item names. A name too long shows its start and "…", never its tail (where an editable box's
// cursor would scroll) nor a start cut off without a sign. Being typed in, it shows its text as a text box does.
class NameComboBox : public QComboBox {
    Q_OBJECT
public:
    enum class Kind { ChooseOnly, Editable };
    explicit NameComboBox(Kind kind, QWidget* parent = nullptr);

    QString shownText() const;

protected:
    void paintEvent(QPaintEvent* event) override;
};

// Hands the character code of each character key pressed in a widget to a handler, which may change it;
// a code set to 0 swallows the key. Enter and Return give 13.
class KeyPressFilter : public QObject {
public:
    using Handler = std::function<void(int& keyAscii)>;
    KeyPressFilter(QWidget* widget, Handler handler);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    Handler mHandler;
};

}  // namespace platform
