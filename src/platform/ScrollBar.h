// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QScrollBar>

namespace platform {

// A horizontal scroll bar whose arrow and page keys move the way they point: Qt's scroll bar inverts
// its key controls so that the mouse wheel feels natural, which makes Left increase the value.
class HScrollBar : public QScrollBar {
public:
    explicit HScrollBar(QWidget* parent = nullptr);

protected:
    void keyPressEvent(QKeyEvent* event) override;
};

}  // namespace platform
