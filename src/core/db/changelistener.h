#pragma once

#include <QObject>
#include <QString>

#include <memory>

class QSocketNotifier;
class QTimer;
struct pg_conn;

namespace Db {

// Hears the changes other desks make to the office's server database: every change of
// a table is announced by the server (LISTEN/NOTIFY), and tableChanged() names the
// table (its server name: "airports", "additionalcharges", ...) within moments. On a
// file there is nobody else, and nothing is heard. A lost connection is made again every
// few seconds; once it is back, every table is taken as changed, since announcements
// made meanwhile were missed.
class ChangeListener : public QObject
{
    Q_OBJECT

public:
    // `location` is a database location as the workspaces take it; a file's is ignored.
    explicit ChangeListener(const QString& location, QObject* parent = nullptr);
    ~ChangeListener() override;

    bool isListening() const { return m_conn != nullptr; }

    // Every table: what tableChanged() gives when the announcements may have been missed.
    static inline const QString AllTables = QStringLiteral("*");

signals:
    void tableChanged(const QString& table);

private:
    bool connectToServer();
    void disconnectFromServer();
    void readAnnouncements();

    QString m_location;
    pg_conn* m_conn = nullptr;
    std::unique_ptr<QSocketNotifier> m_notifier;
    QTimer* m_retry = nullptr;
};

} // namespace Db
