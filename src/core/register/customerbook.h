#pragma once

#include "core/document/quotedata.h"

#include <QList>
#include <QString>

namespace Db {
class Database;
class Workspace;
} // namespace Db

// The customers of the kept quotes, remembered by name (case ignored) with every field
// of the print window, so that typing a name's first letters proposes them again.
class CustomerBook
{
public:
    CustomerBook(Db::Workspace& workspace, const QString& databasePath, bool readOnly = false);

    // The remembered customers whose name begins with the prefix (case ignored), by
    // name; every one for an empty prefix. None where the book was never made.
    QList<QuoteData::Customer> proposals(const QString& prefix);

    // Remembers the customer, or brings a remembered one of that name up to date, in
    // the caller's transaction; a customer without a name is not remembered. The
    // book's table must exist (Schema::createRegisterTables).
    static void remember(Db::Database& database, const QuoteData::Customer& customer);

private:
    Db::Workspace& m_workspace;
    QString m_path;
    bool m_readOnly;
};
