#pragma once

#include "core/airports/airportrecord.h"
#include "core/db/changestamp.h"
#include "core/db/engine.h"
#include "core/settings/appsettings.h"

#include <QDate>
#include <QString>

#include <memory>
#include <optional>

// The operations the program runs on the table Airports, all through the engine.
// Lookups by identifier compare the whole identifier for equality (without regard
// to case); identifiers and prefixes are bound as values, so no text can break or
// widen a lookup.
//
// The operations that take a workspace open the database file through it, do their
// work and let the file go again when they end, also when they fail. They begin no
// transaction of their own: the caller decides (the add window commits at once, the
// modify window keeps its transaction open while it is shown, the delete command asks
// before it commits). Each one is a single statement, and under a Db::Transaction
// a failure leaves nothing half-written. Every engine failure is thrown as the
// engine's DbError.

// Every airport in the order of the sort setting, by identifier or by name. An
// updatable set that can be positioned, counted and re-read.
std::unique_ptr<Db::Recordset> ListAirports(Db::Database& database, SortOrder sortOrder);

// Positions the set on the first row (in its own order) whose ID equals the
// identifier. False, with the position unchanged, when there is none.
bool FindAirport(Db::Recordset& set, const QString& id);

// The same on a list in identifier order (ListAirports by SortOrder::Id), found by
// halving the list: a few rows read by their keys, however many airports it holds.
// A list that is not in that order (rows added through it, changed elsewhere) is
// searched as FindAirport does.
bool FindAirportById(Db::Recordset& set, const QString& id);

// Positions the set on the first row whose column ("ID" or "NAME") begins with the
// prefix. The program's wildcards in the prefix ('*', '?', '#') act as wildcards;
// every other character stands for itself. False, position unchanged, when none.
bool FindAirportByPrefix(Db::Recordset& set, const QString& column, const QString& prefix);

// The order of the airport list's ID and NAME columns: their UTF-8 bytes with the ASCII
// letters folded to lower case. Negative, zero or positive as left sorts before, with or
// after right.
int CompareInListOrder(QStringView left, QStringView right);
// True when a list held in memory in that order finds the prefix as FindAirportByPrefix
// would, by halving it: ASCII without the program's wildcards. A letter beyond ASCII is
// left to the database, whose case folding it is.
bool FoundByHalving(const QString& prefix);

// True when the stored identifier query finds the identifier.
bool AirportIdExists(Db::Workspace& workspace, const QString& databasePath, const QString& id);

// The airport of one identifier, or nothing when there is none: one indexed read.
// With `stamp`, also who changed its row last (Db::ChangeStamp), read before its
// values: a change that lands between the two then counts as one made after the read,
// so a save asks about it instead of writing over it.
std::optional<AirportRecord> ReadAirport(Db::Workspace& workspace, const QString& databasePath,
                                         const QString& id, Db::ChangeStamp* stamp = nullptr);
std::optional<AirportRecord> ReadAirport(Db::Database& database, const QString& id);

// The row of one identifier as it is now, for the editor to show, with its stamp read
// as ReadAirport reads it; nullptr when there is no such row.
std::unique_ptr<Db::Recordset> OpenAirportForEdit(Db::Database& database, const QString& id,
                                                  Db::ChangeStamp* stamp);

// Appends one row with every column of the record. A taken identifier fails with
// DbError DuplicateKey (3022).
void AddAirport(Db::Workspace& workspace, const QString& databasePath, const AirportRecord& record);

// Rewrites every column of the row of the identifier, the identifier included.
// Fails with DbError NoCurrentRecord (3021) when there is no such row.
void UpdateAirport(Db::Workspace& workspace, const QString& databasePath, const QString& id,
                   const AirportRecord& record);

// What a save that checks the airport's stamp found.
struct AirportWrite
{
    enum class Outcome
    {
        Written,
        ChangedElsewhere, // another desk changed the row since it was read: nothing written
        Deleted,          // the identifier's row is gone: nothing written
    };
    Outcome outcome = Outcome::Written;
    // The row's stamp as it is now, when another desk changed it: who, when.
    Db::ChangeStamp stamp;
};

// The same against the stamp the editor read: the row's stamp now is compared with it
// inside the write, under the caller's transaction (which on a server makes writers
// queue behind each other), so no other desk's change can land between the check and
// the write. A row changed since is not written, nor one no longer there. On a file
// the stamps are always equal. Engine failures are thrown as by UpdateAirport.
AirportWrite UpdateAirport(Db::Workspace& workspace, const QString& databasePath, const QString& id,
                           const AirportRecord& record, const Db::ChangeStamp& read);

// The question for an airport another desk changed after the editor read it: who and
// when (the date too when it was not `today`), and what each answer does.
QString AirportChangedQuestion(const QString& id, const Db::ChangeStamp& now, const QDate& today);
// The word for an airport that is no longer there under its identifier.
QString AirportGoneMessage(const QString& id);

// Whether the modify window's edit session holds the workspace's transaction for as
// long as it is open. On a file, with its one desk, it does. On a server it does not:
// a held transaction would keep every other desk's writers waiting until the window
// closed. There Save writes in a transaction of its own, against the airport's stamp.
bool EditSessionHoldsTransaction(const QString& databasePath);

// Deletes the row of the identifier; DbError NoCurrentRecord (3021) when there is none.
void DeleteAirport(Db::Workspace& workspace, const QString& databasePath, const QString& id);
