#include "gui/mainwindow/dataview.h"

#include "core/airports/airporttable.h"
#include "core/quote/catalogues.h"

DataView::DataView(QObject* parent) : QObject(parent) {}

void DataView::setAirportList(SortOrder order)
{
    m_list = [order](Db::Database& database) { return ListAirports(database, order); };
}

void DataView::setChargeList()
{
    m_list = [](Db::Database& database) { return ListCharges(database); };
}

void DataView::setTaxList()
{
    m_list = [](Db::Database& database) { return ListTaxes(database); };
}

void DataView::Refresh()
{
    Q_ASSERT(m_list);
    auto database = Db::DbEngine::instance().defaultWorkspace()->openDatabase(m_databaseName);
    auto recordset = m_list(*database);
    emit aboutToRefresh();
    m_database = std::move(database);
    m_recordset = std::move(recordset);
    emit refreshed();
}

void DataView::readAllKeys()
{
    if (!m_recordset)
        return;
    const int counted = m_recordset->recordCount();
    m_recordset->readAllKeys();
    if (m_recordset->recordCount() != counted) {
        emit aboutToRefresh();
        emit refreshed();
    }
}
