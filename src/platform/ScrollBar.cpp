// SPDX-License-Identifier: GPL-3.0-or-later
#include "ScrollBar.h"

namespace platform {

HScrollBar::HScrollBar(QWidget* parent) : QScrollBar(Qt::Horizontal, parent)
{
    setFocusPolicy(Qt::StrongFocus);
}

void HScrollBar::keyPressEvent(QKeyEvent* event)
{
    const bool inverted = invertedControls();
    setInvertedControls(false);
    QScrollBar::keyPressEvent(event);
    setInvertedControls(inverted);
}

}  // namespace platform
