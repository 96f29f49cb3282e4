// SPDX-License-Identifier: GPL-3.0-or-later
#include "KeyPress.h"

#include "Guard.h"

#include <QKeyEvent>
#include <QWidget>

namespace platform {

KeyPressFilter::KeyPressFilter(QWidget* widget, Handler handler) : QObject(widget), mHandler(std::move(handler))
{
    widget->installEventFilter(this);
}

bool KeyPressFilter::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() != QEvent::KeyPress)
        return QObject::eventFilter(watched, event);
    const auto* key = static_cast<QKeyEvent*>(event);
    int code = 0;
    if (key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter)
        code = 13;
    else if (key->text().size() == 1)
        code = key->text().at(0).unicode();
    if (code == 0)
        return false;  // not a character key
    runGuarded([&] { mHandler(code); });
    return code == 0;
}

}  // namespace platform
