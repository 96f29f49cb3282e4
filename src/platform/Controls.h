// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QComboBox>
#include <QScrollBar>
#include <QToolButton>

#include <functional>

class QLineEdit;

// The controls the forms are made of where Qt's own do not behave as the windows need.
namespace platform {

// A command button: picture above the caption, or picture only. Like a command button on Windows, it is
// pressed by Enter as well as by the space bar while it has the keyboard focus, so a keyboard user can
// go through a training pass with Enter alone. Pressed through the accessibility interface (a screen
// reader, voice control, a test tool), it queues the click and returns at once, as a push button does:
// its handler may wait for minutes, and the caller must not be kept waiting for it.
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

// Sets a text box's text and shows its start, as a text box does when the program sets its text. Qt's own
// setText puts the cursor, and with it the view, at the end, so a long text shows only its last characters.
void setTextShowingStart(QLineEdit* box, const QString& text);

// Keeps the box's text whole in view: whenever the text changes, the box shows it in the font it has now
// (its described font) when it fits, and otherwise at the largest smaller size at which it does, down to
// `minimumPoints`. The box needs no new type; the font follows every change of the text.
void keepTextWhole(QLineEdit* box, double minimumPoints);

// A combo box of item names. A name too long for the box shows its start and "…", never its tail (where an
// editable box's text field, its cursor at the end, would scroll) nor a start cut off without a sign. An
// editable box being typed in shows its text as a text box does.
class NameComboBox : public QComboBox {
    Q_OBJECT
public:
    enum class Kind { ChooseOnly, Editable };
    explicit NameComboBox(Kind kind, QWidget* parent = nullptr);

    // The text as the box shows it now: the whole current text where it fits, else its start and "…".
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
