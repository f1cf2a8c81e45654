#include "core/register/customerbook.h"

#include "core/db/engine.h"
#include "core/register/quotejson.h"

#include <QJsonDocument>
#include <QJsonObject>

namespace {

QString nameKey(const QString& name)
{
    return name.trimmed().toCaseFolded();
}

} // namespace

CustomerBook::CustomerBook(Db::Workspace& workspace, const QString& databasePath, bool readOnly)
    : m_workspace(workspace), m_path(databasePath), m_readOnly(readOnly)
{}

void CustomerBook::remember(Db::Database& database, const QuoteData::Customer& customer)
{
    const QString key = nameKey(customer.Name);
    if (key.isEmpty())
        return;
    // A customer kept as it was is not written again.
    auto query = database.temporaryQueryDef(QStringLiteral(
        "INSERT INTO Customers (NameKey, Name, City, Fields) VALUES (:key, :name, :city, :fields) "
        "ON CONFLICT (NameKey) DO UPDATE SET Name = excluded.Name, City = excluded.City, "
        "Fields = excluded.Fields WHERE Customers.Fields IS NOT excluded.Fields OR "
        "Customers.Name IS NOT excluded.Name"));
    query.setParameter(QStringLiteral("key"), key);
    query.setParameter(QStringLiteral("name"), customer.Name);
    query.setParameter(QStringLiteral("city"), customer.City);
    query.setParameter(
        QStringLiteral("fields"),
        QString::fromUtf8(
            QJsonDocument(QuoteJson::fromCustomer(customer)).toJson(QJsonDocument::Compact)));
    query.execute();
}

QList<QuoteData::Customer> CustomerBook::proposals(const QString& prefix)
{
    auto database =
        m_readOnly ? m_workspace.openDatabaseReadOnly(m_path) : m_workspace.openDatabase(m_path);
    if (!database->hasTable(QStringLiteral("Customers")))
        return {};
    // The keys that begin with the prefix lie between it and it followed by the
    // highest character, a range of the key's index.
    const QString low = nameKey(prefix);
    auto query = database->temporaryQueryDef(
        QStringLiteral("SELECT Fields FROM Customers WHERE NameKey >= :low AND NameKey < :high "
                       "ORDER BY NameKey"));
    query.setParameter(QStringLiteral("low"), low);
    query.setParameter(QStringLiteral("high"), low + QString::fromUcs4(U"\U0010FFFF"));
    auto rows = query.openSnapshot();
    QList<QuoteData::Customer> customers;
    for (int i = 0; i < rows->recordCount(); ++i)
        customers << QuoteJson::toCustomer(
            QJsonDocument::fromJson(rows->row(i).at(0).toString().toUtf8()).object());
    return customers;
}
