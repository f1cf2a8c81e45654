#pragma once

// libpq, the PostgreSQL client library, loaded when the program first reaches a server.
// A desk that keeps its data in its own file never loads it, nor the twenty libraries it
// brings with it (OpenSSL, GnuTLS, Kerberos, LDAP): loading them took a sixth of the
// program's start and of every run of the tools.

#include <libpq-fe.h>

namespace Db {

// Every libpq function the engine calls.
#define BRISKLANDER_LIBPQ_FUNCTIONS(X)                                                             \
    X(PQclear)                                                                                     \
    X(PQcmdStatus)                                                                                 \
    X(PQcmdTuples)                                                                                 \
    X(PQconnectdb)                                                                                 \
    X(PQconnectdbParams)                                                                           \
    X(PQconnectionNeedsPassword)                                                                   \
    X(PQconninfoFree)                                                                              \
    X(PQconninfoParse)                                                                             \
    X(PQconsumeInput)                                                                              \
    X(PQdescribePrepared)                                                                          \
    X(PQerrorMessage)                                                                              \
    X(PQexec)                                                                                      \
    X(PQexecParams)                                                                                \
    X(PQexecPrepared)                                                                              \
    X(PQfinish)                                                                                    \
    X(PQfname)                                                                                     \
    X(PQfreemem)                                                                                   \
    X(PQftable)                                                                                    \
    X(PQftablecol)                                                                                 \
    X(PQftype)                                                                                     \
    X(PQgetisnull)                                                                                 \
    X(PQgetlength)                                                                                 \
    X(PQgetvalue)                                                                                  \
    X(PQhost)                                                                                      \
    X(PQnfields)                                                                                   \
    X(PQnotifies)                                                                                  \
    X(PQntuples)                                                                                   \
    X(PQport)                                                                                      \
    X(PQprepare)                                                                                   \
    X(PQreset)                                                                                     \
    X(PQresultErrorField)                                                                          \
    X(PQresultErrorMessage)                                                                        \
    X(PQresultStatus)                                                                              \
    X(PQsetNoticeProcessor)                                                                        \
    X(PQsocket)                                                                                    \
    X(PQstatus)                                                                                    \
    X(PQtransactionStatus)                                                                         \
    X(PQunescapeBytea)

struct LibPq
{
#define BRISKLANDER_LIBPQ_MEMBER(name) decltype(&::name) name = nullptr;
    BRISKLANDER_LIBPQ_FUNCTIONS(BRISKLANDER_LIBPQ_MEMBER)
#undef BRISKLANDER_LIBPQ_MEMBER
};

// The library's functions, the library loaded at the first call, from any thread. Throws
// the engine's DbError (3049, naming the library and its package) when it cannot be
// loaded; every later call throws the same.
const LibPq& pq();

// The library's functions when it could be loaded, else null; never throws.
const LibPq* pqIfInstalled();

} // namespace Db
