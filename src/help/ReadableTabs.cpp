// SPDX-License-Identifier: GPL-3.0-or-later
#include "ReadableTabs.h"

#include <QAccessible>
#include <QAccessibleWidget>
#include <QHash>
#include <QPointer>

namespace help {

namespace {

class TabInterface : public QAccessibleInterface, public QAccessibleActionInterface {
public:
    TabInterface(QTabBar* bar, int index) : mBar(bar), mIndex(index) {}

    void* interface_cast(QAccessible::InterfaceType type) override
    {
        return type == QAccessible::ActionInterface ? static_cast<QAccessibleActionInterface*>(this) : nullptr;
    }
    bool isValid() const override { return mBar && mIndex < mBar->count(); }
    QObject* object() const override { return nullptr; }
    QWindow* window() const override { return mBar ? parent()->window() : nullptr; }
    QAccessible::Role role() const override { return QAccessible::PageTab; }

    QAccessible::State state() const override
    {
        QAccessible::State s;
        if (!isValid()) {
            s.invalid = true;
            return s;
        }
        s.focusable = true;
        s.selectable = true;
        s.selected = mBar->currentIndex() == mIndex;
        s.focused = s.selected && mBar->hasFocus();
        s.disabled = !mBar->isEnabled() || !mBar->isTabEnabled(mIndex);
        s.invisible = !mBar->isVisible() || !mBar->isTabVisible(mIndex);
        return s;
    }

    QRect rect() const override
    {
        if (!isValid())
            return QRect();
        const QRect tab = mBar->tabRect(mIndex);
        return QRect(mBar->mapToGlobal(tab.topLeft()), tab.size());
    }

    QString text(QAccessible::Text type) const override
    {
        if (!isValid())
            return QString();
        if (type == QAccessible::Description)
            return mBar->tabToolTip(mIndex);
        return type == QAccessible::Name ? mBar->accessibleTabName(mIndex) : QString();
    }
    void setText(QAccessible::Text, const QString&) override {}

    QAccessibleInterface* parent() const override { return QAccessible::queryAccessibleInterface(mBar.data()); }
    QAccessibleInterface* child(int) const override { return nullptr; }
    int childCount() const override { return 0; }
    int indexOfChild(const QAccessibleInterface*) const override { return -1; }
    QAccessibleInterface* childAt(int, int) const override { return nullptr; }

    QStringList actionNames() const override { return {pressAction()}; }
    void doAction(const QString& action) override
    {
        if (isValid() && action == pressAction())
            mBar->setCurrentIndex(mIndex);
    }
    QStringList keyBindingsForAction(const QString&) const override { return {}; }

private:
    QPointer<QTabBar> mBar;
    int mIndex;
};

class TabBarInterface : public QAccessibleWidget {
public:
    explicit TabBarInterface(QTabBar* bar) : QAccessibleWidget(bar, QAccessible::PageTabList) {}
    ~TabBarInterface() override
    {
        for (const QAccessible::Id id : std::as_const(mTabs))
            QAccessible::deleteAccessibleInterface(id);
    }

    int childCount() const override { return bar()->count(); }

    QAccessibleInterface* child(int index) const override
    {
        if (index < 0 || index >= bar()->count())
            return nullptr;
        if (const QAccessible::Id id = mTabs.value(index))
            return QAccessible::accessibleInterface(id);
        auto* tab = new TabInterface(bar(), index);
        mTabs.insert(index, QAccessible::registerAccessibleInterface(tab));
        return tab;
    }

    int indexOfChild(const QAccessibleInterface* child) const override
    {
        for (auto it = mTabs.cbegin(); it != mTabs.cend(); ++it) {
            if (QAccessible::accessibleInterface(it.value()) == child)
                return it.key();
        }
        return -1;
    }

    QAccessibleInterface* childAt(int x, int y) const override
    {
        const int index = bar()->tabAt(bar()->mapFromGlobal(QPoint(x, y)));
        return index >= 0 ? child(index) : nullptr;
    }

private:
    QTabBar* bar() const { return static_cast<QTabBar*>(widget()); }

    mutable QHash<int, QAccessible::Id> mTabs;
};

// Qt asks the factories for each class of an object, the most derived first: ours answers for its
// own class, before Qt's answers for QTabBar.
QAccessibleInterface* readableTabBarFactory(const QString& className, QObject* object)
{
    if (className == QLatin1String(ReadableTabBar::staticMetaObject.className()))
        return new TabBarInterface(static_cast<ReadableTabBar*>(object));
    return nullptr;
}

}  // namespace

ReadableTabBar::ReadableTabBar(QWidget* parent) : QTabBar(parent)
{
    static const bool installed = [] {
        QAccessible::installFactory(readableTabBarFactory);
        return true;
    }();
    Q_UNUSED(installed);
}

ReadableTabWidget::ReadableTabWidget(QWidget* parent) : QTabWidget(parent)
{
    setTabBar(new ReadableTabBar(this));
}

}  // namespace help
