#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

// What the program's SQL means on a PostgreSQL server. The program writes its
// statements once, in SQLite's spelling; this is the one place that says how the
// server spells the same: names, parameters, case-blind text, flags, money, keys.
namespace ServerDialect {

// A statement as the server takes it.
struct Statement
{
    QByteArray text;
    int parameterCount = 0;
    QStringList parameterNames; // by number from 1; empty for a numbered one ("?1")
};

// Translates a statement of the program:
// - names: "Name" and [Name] become "name": the server's tables and columns are named
//   in lower case, so that quoted and unquoted names of the program meet;
// - parameters: ?N becomes $N, :name the same $N at every use;
// - COLLATE NOCASE goes (case-blind text columns are citext on the server);
// - ifnull() becomes coalesce(), instr() strpos(); "a IS b" and "a IS NOT b" between
//   values become IS [NOT] DISTINCT FROM;
// - an INSERT returns the key of the row it adds;
// - a batch of rows by key (SELECTs of "WHERE rowid = ?N" joined by UNION ALL) becomes
//   one SELECT of "WHERE rowid IN (...)".
// String literals pass unchanged.
Statement translate(const QString& sql);

// The server's LIKE with the program's wildcards (* any tail, ? one character, # one
// digit) and without regard to case, as a function of the server's schema.
QString likeFunctionSql();

// The server's column type for a column declared `declaredType` in the program's
// file (TEXT(n) COLLATE NOCASE, INTEGER, DOUBLE, BIT, ...). Money columns are exact
// decimals; flags are 0 and 1, as in the file, so that the program's SQL reads the same.
QString columnType(const QString& declaredType, bool caseBlind, bool money);

// The program's name of a server table or column and its declared type, kept in the
// server's comment on it ("RUNWAY LENGTH\tINTEGER").
QString columnComment(const QString& name, const QString& declaredType);
void readColumnComment(const QString& comment, QString* name, QString* declaredType);

} // namespace ServerDialect
