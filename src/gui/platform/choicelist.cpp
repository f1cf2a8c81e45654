#include "gui/platform/choicelist.h"

#include <QAbstractItemView>
#include <QAccessibleWidget>

namespace {

class ChoiceListAccessible final : public QAccessibleWidget
{
public:
    explicit ChoiceListAccessible(ChoiceList* list) : QAccessibleWidget(list, QAccessible::ComboBox)
    {}

    QString text(QAccessible::Text t) const override
    {
        if (t == QAccessible::Value)
            return list()->currentText();
        return QAccessibleWidget::text(t);
    }
    int childCount() const override { return 1; }
    QAccessibleInterface* child(int index) const override
    {
        return index == 0 ? QAccessible::queryAccessibleInterface(list()->view()) : nullptr;
    }
    int indexOfChild(const QAccessibleInterface* child) const override
    {
        return child && child->object() == list()->view() ? 0 : -1;
    }
    QStringList actionNames() const override
    {
        return QAccessibleWidget::actionNames() << showMenuAction();
    }
    void doAction(const QString& action) override
    {
        if (action == showMenuAction())
            list()->showPopup();
        else
            QAccessibleWidget::doAction(action);
    }

private:
    ChoiceList* list() const { return static_cast<ChoiceList*>(widget()); }
};

QAccessibleInterface* choiceListAccessible(const QString&, QObject* object)
{
    auto* list = qobject_cast<ChoiceList*>(object);
    return list ? new ChoiceListAccessible(list) : nullptr;
}

} // namespace

ChoiceList::ChoiceList(QWidget* parent) : QComboBox(parent)
{
    static const bool installed = [] {
        QAccessible::installFactory(choiceListAccessible);
        return true;
    }();
    Q_UNUSED(installed);
}
