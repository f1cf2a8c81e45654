#pragma once

#include <QComboBox>

// A list of choices that screen readers name by its label's caption. Qt's own
// accessible interface of a combo box gives its current choice as its name on this
// platform, so a screen reader would announce "Public" instead of "Type:"; this one
// keeps the caption as the name and the choice as the value, with the list as child.
class ChoiceList : public QComboBox
{
    Q_OBJECT

public:
    explicit ChoiceList(QWidget* parent = nullptr);
};
