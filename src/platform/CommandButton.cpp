#include "CommandButton.h"

#include <QKeyEvent>

namespace platform {

CommandButton::CommandButton(QWidget* parent) : QToolButton(parent)
{
    setFocusPolicy(Qt::StrongFocus);
    setToolButtonStyle(Qt::ToolButtonTextUnderIcon);
}

void CommandButton::keyPressEvent(QKeyEvent* event)
{
    if ((event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) && event->modifiers() == Qt::NoModifier &&
        !event->isAutoRepeat()) {
        click();
        return;
    }
    QToolButton::keyPressEvent(event);
}

}  // namespace platform
