// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QToolButton>

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

}  // namespace platform
