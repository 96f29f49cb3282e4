// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QObject>

#include <functional>

class QWidget;

namespace platform {

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
