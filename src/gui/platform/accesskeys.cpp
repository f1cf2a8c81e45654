#include "gui/platform/accesskeys.h"

#include <QAbstractButton>
#include <QApplication>
#include <QHash>
#include <QKeyEvent>
#include <QLabel>
#include <QPointer>
#include <QShortcutEvent>
#include <QTabWidget>

namespace AccessKeys {

namespace {

// The key of a caption's access key ("&Select": Qt::Key_S), 0 when it has none.
int accessKey(const QString& caption)
{
    const QKeySequence mnemonic = QKeySequence::mnemonic(caption);
    return mnemonic.isEmpty() ? 0 : mnemonic[0].key();
}

// The control an access key reaches: a button by its caption, or the field a label
// names (its buddy).
QWidget* target(QWidget* control)
{
    if (auto* button = qobject_cast<QAbstractButton*>(control))
        return button;
    if (auto* label = qobject_cast<QLabel*>(control))
        return label->buddy();
    return nullptr;
}

QString caption(QWidget* control)
{
    if (auto* button = qobject_cast<QAbstractButton*>(control))
        return button->text();
    if (auto* label = qobject_cast<QLabel*>(control))
        return label->text();
    return QString();
}

// The controls under `root` with the access key, shown when their page is.
QList<QWidget*> controlsWith(QWidget* root, int key, QWidget* page)
{
    QList<QWidget*> found;
    for (QWidget* control : root->findChildren<QWidget*>()) {
        if (accessKey(caption(control)) == key && target(control) && control->isVisibleTo(page))
            found << control;
    }
    return found;
}

// Runs an access key that no shown control takes: a control on a page of a tab
// control that is not in front brings its page forward and acts, as if the page
// were shown. A key that a shown control has, even a disabled one, goes nowhere
// else: Alt+S with Select disabled does not press a button on another page.
bool runOnHiddenPage(QKeyEvent* event)
{
    const Qt::KeyboardModifiers modifiers = event->modifiers() & ~Qt::ShiftModifier;
    if (modifiers != Qt::AltModifier || event->isAutoRepeat())
        return false;
    const int key = event->key();
    if (!((key >= Qt::Key_A && key <= Qt::Key_Z) || (key >= Qt::Key_0 && key <= Qt::Key_9)))
        return false;
    QWidget* window = QApplication::activeWindow();
    if (!window)
        return false;
    for (QWidget* control : window->findChildren<QWidget*>()) {
        if (accessKey(caption(control)) == key && control->isVisible())
            return false;
    }
    for (QTabWidget* tabs : window->findChildren<QTabWidget*>()) {
        if (!tabs->isVisible())
            continue;
        for (int index = 0; index < tabs->count(); ++index) {
            QWidget* page = tabs->widget(index);
            if (index == tabs->currentIndex() || !tabs->isTabEnabled(index))
                continue;
            const QList<QWidget*> controls = controlsWith(page, key, page);
            if (controls.isEmpty())
                continue;
            QWidget* reached = target(controls.first());
            if (!reached->isEnabled())
                return true;
            tabs->setCurrentIndex(index);
            if (auto* button = qobject_cast<QAbstractButton*>(reached))
                button->click();
            else
                reached->setFocus(Qt::ShortcutFocusReason);
            return true;
        }
    }
    return false;
}

// The windows each key that is down was pressed in. A key whose press opened or
// closed a window is let go in the window in front by then: Alt+S opens the segment
// tax window, and the S comes up in its passenger field, whose release rule would
// undo the selection that lets the count be typed over. Such a release does nothing.
class PressedKeys
{
public:
    void pressed(const QKeyEvent* key, QWidget* window)
    {
        QList<QPointer<QWidget>>& windows = m_windows[key->key()];
        if (!windows.contains(window))
            windows << window;
    }

    // False for the release of a key pressed only in other windows. A release with no
    // press seen (its code changed with a modifier let go first) passes.
    bool releaseBelongsTo(const QKeyEvent* key, QWidget* window)
    {
        const auto found = m_windows.constFind(key->key());
        if (found == m_windows.constEnd())
            return true;
        const bool belongs = found->contains(window);
        if (!key->isAutoRepeat())
            m_windows.erase(found);
        return belongs;
    }

private:
    QHash<int, QList<QPointer<QWidget>>> m_windows;
};

class Filter final : public QObject
{
public:
    using QObject::QObject;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (!watched->isWidgetType())
            return false;
        QWidget* window = static_cast<QWidget*>(watched)->window();
        // A key that runs a shortcut is never delivered as a press: the shortcut is
        // offered to the focus control first.
        if (event->type() == QEvent::ShortcutOverride)
            m_pressed.pressed(static_cast<QKeyEvent*>(event), window);
        if (event->type() == QEvent::KeyRelease) {
            if (m_pressed.releaseBelongsTo(static_cast<QKeyEvent*>(event), window))
                return false;
            event->accept(); // and it goes no further up
            return true;
        }
        if (event->type() == QEvent::KeyPress) {
            m_pressed.pressed(static_cast<QKeyEvent*>(event), window);
            return runOnHiddenPage(static_cast<QKeyEvent*>(event));
        }
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

private:
    PressedKeys m_pressed;
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
