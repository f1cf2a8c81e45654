#include "gui/mainwindow/dataview.h"

DataView::DataView(QObject* parent) : QObject(parent) {}

void DataView::Refresh()
{
    auto database = Db::DbEngine::instance().defaultWorkspace()->openDatabase(m_databaseName);
    auto recordset = database->openRecordset(m_recordSource);
    emit aboutToRefresh();
    m_database = std::move(database);
    m_recordset = std::move(recordset);
    emit refreshed();
}
