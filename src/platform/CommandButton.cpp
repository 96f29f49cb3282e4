// SPDX-License-Identifier: GPL-3.0-or-later
#include "CommandButton.h"

#include <QAccessibleWidget>
#include <QKeyEvent>

#include <utility>

namespace platform {
namespace {

class CommandButtonAccessible final : public QAccessibleWidget {
public:
    explicit CommandButtonAccessible(QWidget* widget) : QAccessibleWidget(widget, QAccessible::Button) {}

    QString text(QAccessible::Text kind) const override
    {
        if (kind == QAccessible::Name && widget()->accessibleName().isEmpty())
            return button()->text().remove(u'&');
        return QAccessibleWidget::text(kind);
    }

    QAccessible::State state() const override
    {
        QAccessible::State state = QAccessibleWidget::state();
        state.pressed = button()->isDown();
        return state;
    }

    QStringList actionNames() const override { return QStringList(pressAction()) + QAccessibleWidget::actionNames(); }

    void doAction(const QString& action) override
    {
        if (action != pressAction()) {
            QAccessibleWidget::doAction(action);
            return;
        }
        if (!button()->isEnabled())
            return;
        // The click runs from the event loop right after this call has returned to the caller.
        QMetaObject::invokeMethod(button(), &QAbstractButton::click, Qt::QueuedConnection);
    }

private:
    QAbstractButton* button() const { return static_cast<QAbstractButton*>(widget()); }
};

QAccessibleInterface* accessibleFactory(const QString& className, QObject* object)
{
    if (className == QLatin1String(CommandButton::staticMetaObject.className()) && object && object->isWidgetType())
        return new CommandButtonAccessible(static_cast<QWidget*>(object));
    return nullptr;
}

}  // namespace

CommandButton::CommandButton(QWidget* parent) : QToolButton(parent)
{
    static bool factoryInstalled = false;
    if (!std::exchange(factoryInstalled, true))
        QAccessible::installFactory(accessibleFactory);
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
