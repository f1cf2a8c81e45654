#pragma once

#include <QHash>
#include <QHeaderView>

// The column captions of a table, each measured once. Qt measures every caption again
// each time the table lays itself out (a column added, hidden or shown, a row added),
// a text layout in bold for each; a table of fifteen columns measured them some 150
// times before the window first painted. A caption is measured again when its text,
// the sort arrow, the font or the style changes.
class TableHeader : public QHeaderView
{
    Q_OBJECT

public:
    explicit TableHeader(Qt::Orientation orientation, QWidget* parent = nullptr);

    void setModel(QAbstractItemModel* model) override;

protected:
    QSize sectionSizeFromContents(int logicalIndex) const override;
    void changeEvent(QEvent* event) override;

private:
    struct Measured
    {
        QString text;
        int sortArrow = 0; // shown, and on this column
        QSize size;
    };
    mutable QHash<int, Measured> m_measured;
};
