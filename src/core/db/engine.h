#pragma once

// The database engine the program relies on, over SQLite: a workgroup file with
// the account that opens the database, named workspaces with transactions,
// databases opened through a workspace, record sets with fields by name,
// find-first by typed criteria, stored parameter queries and compaction into a new
// file. Every failure is a DbError with a number and a description, which the event
// handlers show. Each class has its own header; this one brings them all.

#include "core/db/criterion.h"
#include "core/db/database.h"
#include "core/db/dbengine.h"
#include "core/db/dberror.h"
#include "core/db/querydef.h"
#include "core/db/recordset.h"
#include "core/db/transaction.h"
#include "core/db/workspace.h"
