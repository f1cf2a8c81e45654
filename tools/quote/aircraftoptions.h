#pragma once

#include "core/document/quotedata.h"
#include "core/quote/aircraft.h"
#include "core/quote/quoterequest.h"

#include <QCommandLineOption>
#include <QCommandLineParser>
#include <QJsonObject>
#include <QList>

// brisklander-quote's options for the times of a quote: the aircraft (a catalogue
// profile, or one of the command line's own), the pricing basis and the first local
// departure; and the times they give, in the tool's figures and JSON.
namespace AircraftOptions {

// A value the options cannot take: the message names the option; exit status 2.
struct Refusal
{
    QString message;
};

QList<QCommandLineOption> options();

// Reads the options into the request's plan and basis. `catalogue` is the database's
// profiles, which --aircraft picks from (case ignored); --cruise and the others change
// its values or, without --aircraft, make a profile "(custom)" that needs --cruise.
// Every figure in plain form; the profile must be one the catalogue could keep.
// Throws Refusal.
void read(const QCommandLineParser& parser, const QList<AircraftProfile>& catalogue,
          QuoteRequest& request);

// True when any of the options is given: the catalogue is read only then.
bool given(const QCommandLineParser& parser);

// The times of the route row `row` (1 and on: the leg ending there) for a person:
// " flight 0:40 block 0:50" and, with a departure, " departs ... arrives ...";
// empty without an aircraft or a departure.
QString legTimes(const QuoteData& data, int row);

// Adds the aircraft and the billable hours at the top of `json`, and to each row of its
// "legs" the distances as numbers and the leg's times: minutes, billable hours, ISO
// local times with offsets and their zones, and whether it is beyond range.
void addTimes(QJsonObject& json, const QuoteData& data);

} // namespace AircraftOptions
