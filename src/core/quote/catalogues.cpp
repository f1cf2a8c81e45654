#include "core/quote/catalogues.h"

std::unique_ptr<Db::Recordset> ListCharges(Db::Database& database, Db::RecordsetType type)
{
    return database.openRecordset(QStringLiteral("AdditionalCharges"), type);
}

std::unique_ptr<Db::Recordset> ListTaxes(Db::Database& database, Db::RecordsetType type)
{
    return database.openRecordset(QStringLiteral("Select * from Taxes Where [Tax Type] <> \"\""),
                                  type);
}
