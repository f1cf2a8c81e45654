#include "core/quote/localtime.h"
#include "core/quote/schedule.h"
#include "support/tablerows.h"

#include <QLocale>
#include <QTest>

using namespace Qt::StringLiterals;

namespace {

// "KJFK=America/New_York", "KJFK=-5" (a standard offset alone) or "KJFK=" (no zone).
LocalTime::AirportZone zoneOf(const QString& cell)
{
    const QString airport = cell.section(u'=', 0, 0), zone = cell.section(u'=', 1);
    bool isOffset = false;
    const float hours = zone.toFloat(&isOffset);
    return LocalTime::AirportZone::of(airport, isOffset ? QString() : zone,
                                      isOffset ? std::optional<float>(hours) : std::nullopt);
}

} // namespace

// Local times on the airports' clocks over the system's time-zone database, and the
// legs of a trip timed on them.
class TestLocalTime : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates)); }

    void resolve_data() { addTableRows(u"core/quote/localtime-zones.txt"_s); }
    void resolve()
    {
        QFETCH(QStringList, row);
        const auto zone = LocalTime::AirportZone::of(
            u"KAPT"_s, row[0], row[1].isEmpty() ? std::nullopt : std::optional(row[1].toFloat()));
        const QDateTime typed = QDateTime::fromString(row[2], u"yyyy-MM-dd HH:mm"_s);
        const LocalTime::Resolved r = LocalTime::resolve(zone, typed.date(), typed.time());
        QCOMPARE(r.refusal.isEmpty() ? r.note : r.refusal, row[5]);
        QCOMPARE(r.instant.isValid(), r.refusal.isEmpty());
        if (r.instant.isValid()) {
            QCOMPARE(LocalTime::displayText(r.instant, zone), row[3]);
            QCOMPARE(LocalTime::isoText(r.instant, zone), row[4]);
        }
    }

    void schedule_data() { addTableRows(u"core/quote/schedule-routes.txt"_s); }
    void schedule()
    {
        QFETCH(QStringList, row);
        QList<Schedule::LegInput> legs;
        for (const QString& text : row[0].split(u';')) {
            const QStringList f = text.split(u' ', Qt::SkipEmptyParts);
            Schedule::LegInput leg{zoneOf(f[0]), zoneOf(f[1]), f[2].toInt(), f[3].toInt(), {}};
            if (f.size() > 5)
                leg.departure = Schedule::TypedTime{QDate::fromString(f[4], Qt::ISODate),
                                                    QTime::fromString(f[5], u"HH:mm"_s)};
            legs << leg;
        }
        const Schedule::Result result = Schedule::compute(legs);
        QStringList shown;
        for (const Schedule::LegTimes& leg : result.legs)
            shown
                << (leg.departureText + u" > "_s + leg.arrivalText + u' ' + leg.dayShift).trimmed();
        QCOMPARE(result.refusal.isEmpty() ? shown.join(u"; "_s) : result.refusal, row[1]);
        QCOMPARE(result.legs.isEmpty(), !result.refusal.isEmpty());
    }
};

QTEST_GUILESS_MAIN(TestLocalTime)
#include "tst_localtime.moc"
