#pragma once

#include "core/airports/airportrecord.h"
#include "core/airports/airporttable.h"
#include "core/db/engine.h"

#include <QStringList>

// Every column of an airport in one line, so that a failed comparison shows what differs.
inline QString airportRow(const AirportRecord& r)
{
    const auto number = [](auto v) { return QString::number(v, 'g', 17); };
    const auto optional = [&](auto v) { return v ? number(*v) : QStringLiteral("(none)"); };
    QStringList out;
    out << r.ID << r.NAME << r.STATE << r.COUNTRY << number(r.ELEVATION) << r.Latitude.DegreesText
        << number(r.Latitude.Minutes) << number(r.Latitude.Seconds) << r.Longitude.DegreesText
        << number(r.Longitude.Minutes) << number(r.Longitude.Seconds) << number(r.RUNWAY_LENGTH)
        << optional(r.RUNWAY_WIDTH) << optional(r.TIME_ZONE) << r.PUB_MIL << number(int(r.IFR))
        << number(int(r.CUSTOMS)) << r.FUEL << r.LIGHTING << r.TIME_ZONE_NAME << r.IATA << r.CITY;
    return out.join(u'|');
}

// Teterboro as a whole record, every column set; another identifier or name where asked.
inline AirportRecord teterboro(const QString& id = QStringLiteral("KTEB"),
                               const QString& name = QStringLiteral("TETERBORO"))
{
    return {id,
            name,
            "NJ",
            "USA",
            9,
            {"40", 51, 0.0},
            {"074", 3, 41.0},
            7000,
            150,
            -5.f,
            "P",
            true,
            false,
            "AVGAS/JET",
            "HIGH",
            "America/New_York",
            "TEB",
            "TETERBORO"};
}

// Another desk, in a transaction of its own, renames Teterboro "THEIRS" ("changed") or
// deletes it (anything else).
inline void changeTeterboroElsewhere(Db::Workspace& theirs, const QString& desk, const QString& how)
{
    Db::Transaction transaction(theirs);
    if (how == QStringLiteral("changed"))
        UpdateAirport(theirs, desk, QStringLiteral("KTEB"),
                      teterboro(QStringLiteral("KTEB"), QStringLiteral("THEIRS")));
    else
        DeleteAirport(theirs, desk, QStringLiteral("KTEB"));
    transaction.commit();
}
