#pragma once

#include <QDateTime>
#include <QString>

namespace Db {

// Who last changed a row or a table, and when, and a version that every change
// raises: what a desk compares before it writes over what it read. A database file
// has one desk and keeps none (version 0).
struct ChangeStamp
{
    qint64 version = 0;
    QString by; // "dispatcher on desk-2"
    QDateTime at;
    bool operator==(const ChangeStamp& other) const { return version == other.version; }
};

} // namespace Db
