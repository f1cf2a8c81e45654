#include "core/accesskeys.h"

#include <QAbstractButton>
#include <QApplication>
#include <QShortcutEvent>

namespace AccessKeys {

namespace {

class Filter final : public QObject
{
public:
    using QObject::QObject;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (event->type() != QEvent::Shortcut)
            return false;
        auto* button = qobject_cast<QAbstractButton*>(watched);
        const auto* shortcut = static_cast<QShortcutEvent*>(event);
        // An ambiguous key only moves the focus among its buttons, as Qt does.
        if (!button || shortcut->isAmbiguous() || !button->isEnabled())
            return false;
        // What Qt does for the key, without the animation: the button is clicked and
        // the focus stays where it is (Save runs the leave rule of the field it is in).
        button->click();
        return true;
    }
};

} // namespace

void runAtOnce()
{
    static Filter* filter = nullptr;
    if (filter || !qApp)
        return;
    filter = new Filter(qApp);
    qApp->installEventFilter(filter);
}

} // namespace AccessKeys
