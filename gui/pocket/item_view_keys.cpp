#include "gui/pocket/item_view_keys.h"

#include <QAbstractItemView>
#include <QContextMenuEvent>
#include <QCoreApplication>
#include <QKeyEvent>

namespace gui::handheld {

namespace {

    class ItemViewKeys final : public QObject {
    public:
        explicit ItemViewKeys(QAbstractItemView& view)
            : QObject(&view)
            , m_view(view)
        {
            view.installEventFilter(this);
        }

        std::function<void()> open;
        bool menuKeys = false;

    protected:
        bool eventFilter(QObject* watched, QEvent* event) override
        {
            if (watched != &m_view)
                return false;
            if (event->type() == QEvent::ContextMenu) {
                // The desktop's own request for the menu key: the key press
                // has opened the menu already.
                auto* request = static_cast<QContextMenuEvent*>(event);
                return menuKeys && event->spontaneous() && request->reason() == QContextMenuEvent::Keyboard;
            }
            if (event->type() != QEvent::KeyPress)
                return false;
            auto* key = static_cast<QKeyEvent*>(event);
            if (menuKeys && isMenuKey(key->key(), key->modifiers())) {
                openMenu();
                return true;
            }
            const bool enter = key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter;
            if (open && enter && key->modifiers() == Qt::NoModifier && m_view.currentIndex().isValid()) {
                open();
                return true;
            }
            return false;
        }

    private:
        void openMenu()
        {
            const QModelIndex current = m_view.currentIndex();
            const QPoint at = current.isValid() ? m_view.visualRect(current).center() : QPoint(1, 1);
            QWidget* viewport = m_view.viewport();
            QContextMenuEvent request(QContextMenuEvent::Keyboard, at, viewport->mapToGlobal(at));
            QCoreApplication::sendEvent(viewport, &request);
        }

        QAbstractItemView& m_view;
    };

    ItemViewKeys& keysOf(QAbstractItemView& view)
    {
        for (QObject* child : view.children()) {
            if (auto* keys = dynamic_cast<ItemViewKeys*>(child))
                return *keys;
        }
        return *new ItemViewKeys(view);
    }

} // namespace

void addOpenKey(QAbstractItemView& view, std::function<void()> open)
{
    keysOf(view).open = std::move(open);
}

void addMenuKeys(QAbstractItemView& view)
{
    keysOf(view).menuKeys = true;
}

bool isMenuKey(int key, Qt::KeyboardModifiers modifiers)
{
    return (key == Qt::Key_Menu && modifiers == Qt::NoModifier)
        || (key == Qt::Key_F10 && modifiers == Qt::ShiftModifier);
}

} // namespace gui::handheld
