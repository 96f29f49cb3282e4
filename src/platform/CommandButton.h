#pragma once

#include <QToolButton>

namespace platform {

// A command button: picture above the caption, or picture only. Like a command button on Windows, it is
// pressed by Enter as well as by the space bar while it has the keyboard focus, so a keyboard user can
// go through a training pass with Enter alone.
class CommandButton : public QToolButton {
public:
    explicit CommandButton(QWidget* parent = nullptr);

protected:
    void keyPressEvent(QKeyEvent* event) override;
};

}  // namespace platform
