// The main window's times of the quote: the aircraft, the typed departures, and the
// fuel stops of a leg the aircraft cannot fly in one go.

#include "core/db/dberror.h"
#include "core/db/workspace.h"
#include "core/format.h"
#include "core/quote/aircraftcatalog.h"
#include "core/quote/fuelstops.h"
#include "core/quote/quote.h"
#include "core/quote/routemodel.h"
#include "core/settings/appsettings.h"
#include "gui/appcontext.h"
#include "gui/mainwindow/brisklander.h"
#include "gui/mainwindow/dberrorbox.h"
#include "gui/platform/platform.h"
#include "gui/quote/frmdeparture.h"
#include "gui/quote/frmfuelstops.h"

using Platform::Icon;

void Brisklander::loadAircraft()
{
    m_aircraft.clear();
    try {
        m_aircraft =
            AircraftCatalog::read(*appContext().Workspace->openDatabase(appContext().DatabasePath));
    } catch (const Db::DbError& error) {
        showDbError(windowTitle(), error);
    }
    QStringList names;
    for (const AircraftProfile& profile : m_aircraft)
        names << profile.name;
    m_quotePart->setAircraftNames(names, QString());
}

void Brisklander::refreshAircraft()
{
    loadAircraft();
    // The chosen aircraft stays while the catalogue has it, with its values as saved.
    TripPlan plan = m_quote->plan();
    if (plan.aircraft)
        plan.aircraft = AircraftRules::find(m_aircraft, plan.aircraft->name);
    changePlan(plan);
    showPlanAircraft();
}

void Brisklander::showPlanAircraft()
{
    const TripPlan& plan = m_quote->plan();
    m_quotePart->showAircraft(plan.aircraft ? plan.aircraft->name : QString());
}

void Brisklander::startPlan()
{
    TripPlan plan;
    plan.aircraft = AircraftRules::find(m_aircraft, appSettings().AIRCRAFT);
    m_quote->setPlan(plan);
    showPlanAircraft();
}

bool Brisklander::changePlan(const TripPlan& plan)
{
    const TripPlan before = m_quote->plan();
    const QStringList notesBefore = m_quote->times().notes;
    m_quote->setPlan(plan);
    const TripTimes& times = m_quote->times();
    if (!times.refusal.isEmpty()) {
        const QString refusal = times.refusal;
        m_quote->setPlan(before);
        Platform::prompter().inform(Icon::Exclamation, windowTitle(), refusal);
        return false;
    }
    // Each note once: the same typed time is not told again on every change.
    for (const QString& note : times.notes)
        if (!notesBefore.contains(note))
            Platform::prompter().inform(Icon::Information, windowTitle(), note);
    return true;
}

void Brisklander::chooseAircraft(const QString& name)
{
    TripPlan plan = m_quote->plan();
    plan.aircraft = AircraftRules::find(m_aircraft, name);
    if (!plan.aircraft && appSettings().QUOTEBASE == QuoteBase::Hourly) {
        Platform::prompter().inform(
            Icon::Exclamation, windowTitle(),
            QStringLiteral("This quote is priced by the flight hour and needs an aircraft.\r\r"
                           "Choose the aircraft that flies it."));
        showPlanAircraft();
        return;
    }
    if (!changePlan(plan))
        showPlanAircraft();
}

int Brisklander::selectedLeg() const
{
    if (m_route->count() < 2)
        return 0;
    return qBound(1, m_routing->selectedRouteRow(), m_route->count() - 1);
}

void Brisklander::setDeparture()
{
    const int leg = selectedLeg();
    if (leg == 0) {
        Platform::prompter().beep();
        return;
    }
    TripPlan plan = m_quote->plan();
    const std::optional<Schedule::TypedTime> typed =
        leg == 1
            ? plan.departure
            : (plan.laterDepartures.contains(leg) ? std::optional(plan.laterDepartures.value(leg))
                                                  : std::nullopt);
    // The fields start at the typed time, else at the time the schedule gives the leg,
    // else at noon today.
    Schedule::TypedTime shown{Platform::clock().today(), QTime(12, 0)};
    const Schedule::LegTimes& when = m_quote->times().legs.value(leg - 1).when;
    if (typed) {
        shown = *typed;
    } else if (when.departure.isValid()) {
        const RouteStop& from = m_route->leg(leg - 1).stop;
        const QDateTime local =
            LocalTime::AirportZone::of(from.ID, from.TIME_ZONE_NAME, from.TIME_ZONE)
                .toLocal(when.departure);
        shown = Schedule::TypedTime{local.date(), local.time()};
    }
    const QString caption =
        QStringLiteral("Leg %1 %2-%3, local time at %2:")
            .arg(QString::number(leg), m_route->leg(leg - 1).stop.ID, m_route->leg(leg).stop.ID);
    FrmDeparture dialog(caption, shown, this);
    dialog.exec();
    if (dialog.answer() == FrmDeparture::Answer::Cancelled)
        return;
    std::optional<Schedule::TypedTime> departure;
    if (dialog.answer() == FrmDeparture::Answer::Set)
        departure = dialog.typed();
    if (leg == 1)
        plan.departure = departure;
    else if (departure)
        plan.laterDepartures.insert(leg, *departure);
    else
        plan.laterDepartures.remove(leg);
    changePlan(plan);
}

void Brisklander::showFuelStops()
{
    const int leg = selectedLeg();
    const TripPlan& plan = m_quote->plan();
    if (leg == 0 || !m_quote->times().beyondRange.contains(leg) || !plan.aircraft ||
        !plan.aircraft->rangeNm) {
        // Only a leg beyond the aircraft's range needs a stop.
        Platform::prompter().beep();
        return;
    }
    const RouteStop& from = m_route->leg(leg - 1).stop;
    const RouteStop& to = m_route->leg(leg).stop;
    FuelStopLeg search{from.ID,
                       to.ID,
                       from.point(),
                       to.point(),
                       double(*plan.aircraft->rangeNm),
                       plan.aircraft->addOnPercent,
                       appSettings().MINRUNWAYLENGTH,
                       m_route->distanceModel()};
    QList<FuelStopCandidate> candidates;
    QString explanation = QStringLiteral("Airports within %1 NM of the point where the aircraft's "
                                         "range ends, with a runway of the minimum length "
                                         "at least, that sell fuel.")
                              .arg(Format::number(FuelStops::SearchRadiusNM, Format::WholeMiles));
    try {
        Platform::pointer().setBusy();
        auto database = appContext().Workspace->openDatabase(appContext().DatabasePath);
        candidates = FuelStops::candidates(*database, search);
        if (candidates.isEmpty()) {
            // Most airports record no fuel: the nearest are still worth asking.
            search.fuelUnrecorded = true;
            candidates = FuelStops::candidates(*database, search);
            explanation =
                QStringLiteral("No airport near the point where the aircraft's range ends "
                               "records fuel. These airports within %1 NM, with a runway of the "
                               "minimum length at least, have no fuel recorded: ask them.")
                    .arg(Format::number(FuelStops::SearchRadiusNM, Format::WholeMiles));
        }
        Platform::pointer().setNormal();
    } catch (const Db::DbError& error) {
        Platform::pointer().setNormal();
        showDbError(windowTitle(), error);
        return;
    }
    if (candidates.isEmpty())
        explanation = QStringLiteral("No airport within %1 NM of the point where the "
                                     "aircraft's range ends has a runway of the minimum length.")
                          .arg(Format::number(FuelStops::SearchRadiusNM, Format::WholeMiles));
    FrmFuelStops dialog(QStringLiteral("Leg %1 %2-%3").arg(QString::number(leg), from.ID, to.ID),
                        explanation, candidates, this);
    if (dialog.exec() != QDialog::Accepted || dialog.chosen().isEmpty())
        return;
    m_routing->insertAirport(leg, dialog.chosen());
}
