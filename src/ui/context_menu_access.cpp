#include "ui/context_menu_access.h"

#include <QAccessible>
#include <QAccessibleWidget>
#include <QEvent>
#include <QMainWindow>
#include <QMenu>

namespace klv {

namespace {

// The open menus of a window that no menu bar or menu leads to.
QList<QMenu*> openContextMenus(const QWidget* window)
{
    QList<QMenu*> open;
    for (QMenu* menu : window->findChildren<QMenu*>(Qt::FindDirectChildrenOnly))
        if (menu->isVisible() && menu->menuAction()->associatedObjects().isEmpty())
            open.append(menu);
    return open;
}

// A main window whose last children are its open context menus.
class WindowAccessible : public QAccessibleWidget {
public:
    explicit WindowAccessible(QWidget* window) : QAccessibleWidget(window, QAccessible::Window) {}

    int childCount() const override
    {
        return QAccessibleWidget::childCount() + static_cast<int>(openContextMenus(widget()).size());
    }
    QAccessibleInterface* child(int index) const override
    {
        const int own = QAccessibleWidget::childCount();
        if (index < own)
            return QAccessibleWidget::child(index);
        const QList<QMenu*> menus = openContextMenus(widget());
        return index - own < menus.size() ? QAccessible::queryAccessibleInterface(menus[index - own]) : nullptr;
    }
    int indexOfChild(const QAccessibleInterface* child) const override
    {
        const int i = openContextMenus(widget()).indexOf(qobject_cast<QMenu*>(child->object()));
        return i < 0 ? QAccessibleWidget::indexOfChild(child) : QAccessibleWidget::childCount() + i;
    }
};

QAccessibleInterface* windowFactory(const QString& className, QObject* object)
{
    if (className == QLatin1String("QMainWindow") && object && object->isWidgetType())
        return new WindowAccessible(static_cast<QWidget*>(object));
    return nullptr;
}

// Tells the tree that the menu came into its window's children, or left them.
class MenuAnnouncer : public QObject {
public:
    using QObject::QObject;
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (event->type() == QEvent::Show || event->type() == QEvent::Hide) {
            QAccessibleEvent changed(watched, event->type() == QEvent::Show ? QAccessible::ObjectCreated
                                                                            : QAccessible::ObjectDestroyed);
            QAccessible::updateAccessibility(&changed);
        }
        return false;
    }
};

}  // namespace

void exposeContextMenu(QMenu* menu)
{
    static const bool installed = [] {
        QAccessible::installFactory(windowFactory);
        return true;
    }();
    (void)installed;
    menu->installEventFilter(new MenuAnnouncer(menu));
}

}  // namespace klv
