#include "core/db/changelistener.h"

#include "core/db/libpq.h"
#include "core/db/serverconnection.h"
#include "core/db/workspace.h"

#include <QSet>
#include <QSocketNotifier>
#include <QTimer>

namespace Db {

ChangeListener::ChangeListener(const QString& location, QObject* parent)
    : QObject(parent), m_location(location)
{
    if (!isServerLocation(location))
        return;
    m_retry = new QTimer(this);
    m_retry->setInterval(3000);
    connect(m_retry, &QTimer::timeout, this, [this] {
        if (connectToServer()) {
            m_retry->stop();
            emit tableChanged(AllTables);
        }
    });
    if (!connectToServer())
        m_retry->start();
}

ChangeListener::~ChangeListener()
{
    disconnectFromServer();
}

bool ChangeListener::connectToServer()
{
    m_conn = Db::connectToServer(m_location);
    PGresult* listening = pq().PQstatus(m_conn) == CONNECTION_OK
                              ? pq().PQexec(m_conn, "LISTEN brisklander_changes")
                              : nullptr;
    const bool ok = listening && pq().PQresultStatus(listening) == PGRES_COMMAND_OK;
    pq().PQclear(listening);
    if (!ok) {
        pq().PQfinish(m_conn);
        m_conn = nullptr;
        return false;
    }
    m_notifier = std::make_unique<QSocketNotifier>(pq().PQsocket(m_conn), QSocketNotifier::Read);
    connect(m_notifier.get(), &QSocketNotifier::activated, this,
            &ChangeListener::readAnnouncements);
    return true;
}

void ChangeListener::disconnectFromServer()
{
    m_notifier.reset();
    if (m_conn) {
        pq().PQfinish(m_conn);
        m_conn = nullptr;
    }
}

void ChangeListener::readAnnouncements()
{
    if (!pq().PQconsumeInput(m_conn) || pq().PQstatus(m_conn) != CONNECTION_OK) {
        // The server went away (a restart, the network): try again until it is back.
        disconnectFromServer();
        m_retry->start();
        return;
    }
    // A burst of changes to one table is one refresh.
    QSet<QString> tables;
    while (PGnotify* note = pq().PQnotifies(m_conn)) {
        tables.insert(QString::fromUtf8(note->extra));
        pq().PQfreemem(note);
    }
    for (const QString& table : std::as_const(tables))
        emit tableChanged(table);
}

} // namespace Db
