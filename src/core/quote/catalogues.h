#pragma once

#include "core/db/engine.h"

#include <memory>

// The charge and tax catalogues a quote picks from, read through the engine. Every
// engine failure is thrown as the engine's DbError.

// Every additional charge ("AdditionalCharges"), in the order of the table.
std::unique_ptr<Db::Recordset> ListCharges(Db::Database& database,
                                           Db::RecordsetType type = Db::RecordsetType::Dynaset);

// Every tax that has a tax type, in the order of the table: a tax is deleted by
// emptying its row, and an emptied row is offered nowhere.
std::unique_ptr<Db::Recordset> ListTaxes(Db::Database& database,
                                         Db::RecordsetType type = Db::RecordsetType::Dynaset);
