#include "gui/platform/tableheader.h"

#include <QEvent>

TableHeader::TableHeader(Qt::Orientation orientation, QWidget* parent)
    : QHeaderView(orientation, parent)
{
    // As a table's own header is.
    setSectionsClickable(true);
    setHighlightSections(true);
}

void TableHeader::setModel(QAbstractItemModel* model)
{
    m_measured.clear();
    QHeaderView::setModel(model);
}

QSize TableHeader::sectionSizeFromContents(int logicalIndex) const
{
    const QAbstractItemModel* source = model();
    // A caption with its own font or an icon is measured as Qt does, every time.
    if (!source || source->headerData(logicalIndex, orientation(), Qt::FontRole).isValid() ||
        source->headerData(logicalIndex, orientation(), Qt::DecorationRole).isValid())
        return QHeaderView::sectionSizeFromContents(logicalIndex);
    const QString text = source->headerData(logicalIndex, orientation()).toString();
    const int sortArrow =
        (isSortIndicatorShown() ? 2 : 0) + (sortIndicatorSection() == logicalIndex ? 1 : 0);
    Measured& known = m_measured[logicalIndex];
    if (!known.size.isValid() || known.text != text || known.sortArrow != sortArrow)
        known = {text, sortArrow, QHeaderView::sectionSizeFromContents(logicalIndex)};
    return known.size;
}

void TableHeader::changeEvent(QEvent* event)
{
    if (event->type() == QEvent::FontChange || event->type() == QEvent::StyleChange)
        m_measured.clear();
    QHeaderView::changeEvent(event);
}
