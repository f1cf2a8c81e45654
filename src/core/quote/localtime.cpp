#include "core/quote/localtime.h"

#include <QLocale>

#include <algorithm>
#include <cmath>

namespace LocalTime {

namespace {

// "+5:45", "-5", "+0": an offset as the fallback clock names itself.
QString offsetText(int seconds)
{
    const int minutes = std::abs(seconds) / 60;
    QString text = QString(seconds < 0 ? u'-' : u'+') + QString::number(minutes / 60);
    if (minutes % 60)
        text += QStringLiteral(":%1").arg(minutes % 60, 2, 10, QLatin1Char('0'));
    return text;
}

// The local date and time read as if it were UTC: a scale on which local times and
// offsets add up.
QDateTime asUtc(const QDate& date, const QTime& time)
{
    return QDateTime(date, time, Qt::UTC);
}

QString hoursText(const QDateTime& utcScale)
{
    return utcScale.time().toString(QStringLiteral("HH:mm"));
}

// The change of the clock within a day of the local time, as the local times it jumps
// from and to: the clock reads `from` up to the change, then reads `to`.
std::pair<QString, QString> clockChange(const QTimeZone& zone, const QDateTime& local)
{
    const QTimeZone::OffsetDataList changes = zone.transitions(local.addDays(-2), local.addDays(2));
    for (const QTimeZone::OffsetData& change : changes) {
        const int before = zone.offsetFromUtc(change.atUtc.addSecs(-1));
        const QDateTime from = change.atUtc.toUTC().addSecs(before);
        const QDateTime to = change.atUtc.toUTC().addSecs(change.offsetFromUtc);
        if (std::abs(from.secsTo(local)) <= 86400)
            return {hoursText(from), hoursText(to)};
    }
    return {};
}

} // namespace

AirportZone AirportZone::of(const QString& airport, const QString& ianaName,
                            std::optional<float> standardHours)
{
    AirportZone clock;
    clock.m_airport = airport;
    const QByteArray id = ianaName.trimmed().toUtf8();
    if (!id.isEmpty() && QTimeZone::isTimeZoneIdAvailable(id)) {
        clock.m_zone = QTimeZone(id);
    } else if (standardHours && std::isfinite(*standardHours)) {
        clock.m_fixedSeconds = int(std::lround(double(*standardHours) * 3600));
        clock.m_zone = QTimeZone(clock.m_fixedSeconds);
        clock.m_fallback = true;
    }
    return clock;
}

QString AirportZone::clockName() const
{
    if (!isValid())
        return QString();
    if (m_fallback)
        return QStringLiteral("UTC") + offsetText(m_fixedSeconds);
    return QString::fromUtf8(m_zone.id());
}

QString AirportZone::abbreviation(const QDateTime& instant) const
{
    if (m_fallback)
        return clockName() + QStringLiteral(" (std)");
    return m_zone.abbreviation(instant);
}

QDateTime AirportZone::toLocal(const QDateTime& instant) const
{
    return instant.toTimeZone(m_zone);
}

Resolved resolve(const AirportZone& zone, const QDate& date, const QTime& time)
{
    Resolved result;
    const QDateTime local = asUtc(date, time);
    const QTimeZone& clock = zone.zone();
    // No clock changes twice within two days: the offsets in force a day either side are
    // the only ones the local time can have. Each one that gives back its own offset at
    // the instant it makes is an occurrence of the local time.
    QList<QDateTime> occurrences;
    for (const int days : {-1, 1}) {
        const int offset = clock.offsetFromUtc(local.addDays(days));
        const QDateTime instant = local.addSecs(-offset);
        if (clock.offsetFromUtc(instant) == offset && !occurrences.contains(instant))
            occurrences << instant;
    }
    std::sort(occurrences.begin(), occurrences.end());
    const QString when = QLocale().toString(date, QStringLiteral("ddd d MMM yyyy"));
    const QString where = QStringLiteral("%1 (%2)").arg(zone.airport(), zone.clockName());
    const auto [from, to] = clockChange(clock, local);
    if (occurrences.isEmpty()) {
        result.refusal = QStringLiteral("There is no %1 on %2 at %3: the clocks go forward "
                                        "from %4 to %5.")
                             .arg(time.toString(QStringLiteral("HH:mm")), when, where, from, to);
        return result;
    }
    result.instant = occurrences.first().toTimeZone(clock);
    if (occurrences.size() > 1)
        result.note = QStringLiteral("%1 on %2 occurs twice at %3, as the clocks go back from %4 "
                                     "to %5: the first, %6, is taken.")
                          .arg(time.toString(QStringLiteral("HH:mm")), when, where, from, to,
                               displayText(result.instant, zone));
    return result;
}

QString displayText(const QDateTime& instant, const AirportZone& zone)
{
    const QDateTime local = zone.toLocal(instant);
    return QLocale().toString(local, QStringLiteral("ddd d MMM HH:mm")) + u' ' +
           zone.abbreviation(instant);
}

QString isoText(const QDateTime& instant, const AirportZone& zone)
{
    const QDateTime local = zone.toLocal(instant);
    const int offset = local.offsetFromUtc();
    const int minutes = std::abs(offset) / 60;
    // Qt's own ISO forms of the date and the time: a pattern would be parsed every time.
    const auto twoDigits = [](int n) { return QString::number(n).rightJustified(2, u'0'); };
    return local.date().toString(Qt::ISODate) + u'T' + local.time().toString(Qt::ISODate) +
           (offset < 0 ? u'-' : u'+') + twoDigits(minutes / 60) + u':' + twoDigits(minutes % 60);
}

QString dayShift(const QDateTime& departure, const AirportZone& from, const QDateTime& arrival,
                 const AirportZone& to)
{
    const qint64 days = from.toLocal(departure).date().daysTo(to.toLocal(arrival).date());
    if (days == 0)
        return QString();
    return (days > 0 ? QStringLiteral("+") : QString()) + QString::number(days);
}

} // namespace LocalTime
