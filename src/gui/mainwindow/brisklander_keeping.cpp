// The main window's quote in the register: Save Quote, the keeping before a quote is
// printed or written to a file, and the count of quotes never kept.

#include "core/airports/airporttable.h"
#include "core/db/dberror.h"
#include "core/document/printdates.h"
#include "core/format.h"
#include "core/quote/chargesmodel.h"
#include "core/quote/quote.h"
#include "core/quote/quotesheet.h"
#include "core/quote/routehistory.h"
#include "core/quote/routemodel.h"
#include "core/quote/segmenttaxline.h"
#include "core/register/quotejson.h"
#include "core/register/quoteregister.h"
#include "core/settings/appsettings.h"
#include "gui/appcontext.h"
#include "gui/document/frmprint.h"
#include "gui/document/printdialogstate.h"
#include "gui/mainwindow/brisklander.h"
#include "gui/mainwindow/catalogmodel.h"
#include "gui/mainwindow/dberrorbox.h"
#include "gui/platform/platform.h"
#include "gui/register/frmregister.h"

#include <QDateTime>
#include <QPushButton>
#include <QTabWidget>

namespace {

// The quote's inputs as the window holds them: the route's stops, the rate, the base
// charge's tax, the charge rows and the segment tax, and the print dialog's fields.
QuoteRequest requestFrom(const QuoteData& data, const PrintDialogState& print, double taxPerSegment,
                         const TripPlan& plan, QuoteBase basis)
{
    QuoteRequest request;
    request.plan = plan;
    request.basis = basis;
    for (const QuoteData::RouteRow& stop : data.route) {
        if (stop.positioning)
            request.positioningLegs << int(request.stops.size());
        request.stops << stop.id;
    }
    request.rate = Format::value(data.chargePerMile);
    request.tax = data.taxType;
    for (const QuoteData::ChargeRow& row : data.charges) {
        if (row.isBlank())
            continue;
        if (row.tax == QLatin1String("Segment Tax")) {
            const SegmentTaxLine line = SegmentTaxLine::parse(row.charge, taxPerSegment);
            request.passengers = line.passengers;
            request.segments = line.segments;
            continue;
        }
        request.charges << QuoteRequest::Charge{row.charge, Format::value(row.amount),
                                                Format::value(row.number), row.tax};
    }
    request.customer = print.Customer;
    request.departureDate = PrintDates::fromStored(print.DepartureDate);
    request.returnDate = PrintDates::fromStored(print.ReturnDate);
    request.remarks = print.Remarks;
    request.quotedBy = print.QuotedBy;
    request.printCompany = print.PrintCompany;
    return request;
}

// Whether the quote comes out otherwise than the one kept: other inputs or other figures.
bool differs(const KeptQuote& a, const KeptQuote& b)
{
    return QuoteJson::fromRequest(a.request) != QuoteJson::fromRequest(b.request) ||
           a.data.finalQuote != b.data.finalQuote || a.data.totalCharges != b.data.totalCharges ||
           a.data.totalTaxes != b.data.totalTaxes;
}

} // namespace

bool Brisklander::quoteMade() const
{
    return m_route->count() >= 2;
}

int Brisklander::unkeptQuotes() const
{
    return m_discardedUnkept + (quoteMade() && m_kept.number.isEmpty() ? 1 : 0);
}

bool Brisklander::keepQuote()
{
    const AppSettings& settings = appSettings();
    const PrintDialogState& print = printDialogState();
    KeptQuote quote = m_kept;
    quote.data = quoteData();
    quote.data.customer = print.Customer;
    quote.data.departureDate = PrintDates::fromStored(print.DepartureDate);
    quote.data.returnDate = PrintDates::fromStored(print.ReturnDate);
    quote.data.remarks = print.Remarks;
    quote.data.quotedBy = print.QuotedBy;
    quote.data.printCompany = print.PrintCompany;
    quote.request =
        requestFrom(quote.data, print, settings.SEGMENTTAX, m_quote->plan(), settings.QUOTEBASE);
    quote.quoteBasis = settings.QUOTEBASE;
    quote.minimumCharge = settings.MINBASECHARGE;
    const QDateTime now(Platform::clock().today(), QTime::currentTime());
    try {
        QuoteRegister quotes(*appContext().Workspace, appContext().DatabasePath);
        if (!quote.number.isEmpty() && quote.status != QuoteStatus::Draft) {
            // A quote handed out stays as it was; a change of it is its next revision.
            if (!differs(quote, m_kept))
                return true;
            const QString refusal = QuoteRules::actionRefusal(quote.status, QuoteAction::Revise);
            if (!refusal.isEmpty()) {
                Platform::prompter().inform(Platform::Icon::Exclamation, windowTitle(), refusal);
                return false;
            }
            m_kept = quotes.revise(quote.number, now, print.QuotedBy, settings.VALIDITYDAYS);
            const QuoteData handedOut = quote.data;
            quote = m_kept;
            quote.request = requestFrom(handedOut, print, settings.SEGMENTTAX, m_quote->plan(),
                                        settings.QUOTEBASE);
            quote.data = handedOut;
        } else if (quote.number.isEmpty()) {
            quote.created = now;
            quote.createdBy = print.QuotedBy;
        }
        m_kept = quotes.keep(quote, settings.VALIDITYDAYS);
    } catch (const Db::DbError& error) {
        showDbError(windowTitle(), error);
        return false;
    } catch (const QuoteRuleError& error) {
        Platform::prompter().inform(Platform::Icon::Exclamation, windowTitle(), error.message());
        return false;
    }
    return true;
}

void Brisklander::mnuSaveQuote_Click()
{
    if (!quoteMade())
        return;
    Platform::pointer().setBusy();
    keepQuote();
    Platform::pointer().setNormal();
}

void Brisklander::keepBeforePrinting(FrmPrint& dialog)
{
    const struct
    {
        const char* name;
        void (FrmPrint::*command)();
    } commands[] = {{"CmdPrint", &FrmPrint::CmdPrint_Click},
                    {"CmdPrintFile", &FrmPrint::CmdPrintFile_Click},
                    {"CmdMail", &FrmPrint::CmdMail_Click}};
    for (const auto& command : commands) {
        auto* button = dialog.findChild<QPushButton*>(QString::fromLatin1(command.name));
        if (!button)
            continue;
        disconnect(button, &QAbstractButton::clicked, &dialog, nullptr);
        connect(button, &QAbstractButton::clicked, &dialog, [this, &dialog, command] {
            // The dialog's fields as they are now belong to the quote kept.
            dialog.Form_Unload();
            if (keepQuote())
                (dialog.*command.command)();
        });
    }
    // A quote printed, written to a file or sent by e-mail has been handed out.
    connect(&dialog, &QDialog::accepted, this, [this] {
        if (m_kept.number.isEmpty() || m_kept.status != QuoteStatus::Draft)
            return;
        try {
            QuoteRegister quotes(*appContext().Workspace, appContext().DatabasePath);
            m_kept = quotes.setStatus(m_kept.number, QuoteStatus::Sent, QString(),
                                      QDateTime(Platform::clock().today(), QTime::currentTime()));
        } catch (const Db::DbError& error) {
            showDbError(windowTitle(), error);
        } catch (const QuoteRuleError& error) {
            Platform::prompter().inform(Platform::Icon::Exclamation, windowTitle(),
                                        error.message());
        }
    });
}

void Brisklander::showKeptQuote(const KeptQuote& kept)
{
    const QuoteRequest& request = kept.request;
    try {
        RouteHistory::Group change(*m_history, RouteHistory::Change::NewQuote,
                                   m_routing->selectedRouteRow());
        resetRoute();
        for (const QString& id : request.stops) {
            // An airport deleted since is left out; the figures then tell the difference.
            const std::optional<AirportRecord> airport =
                ReadAirport(*appContext().Workspace, appContext().DatabasePath, id);
            if (airport)
                m_route->insertStop(m_route->count(),
                                    RouteStop{airport->ID, airport->NAME, airport->Latitude,
                                              airport->Longitude, airport->TIME_ZONE_NAME,
                                              airport->TIME_ZONE});
        }
        // The marks name legs by number: they hold only while every stop is there.
        if (m_route->count() == request.stops.size()) {
            for (const int leg : request.positioningLegs)
                m_route->setPositioning(leg, true);
        }
    } catch (const Db::DbError& error) {
        showDbError(windowTitle(), error);
    }
    // The aircraft as it was kept, and its departures, before the rate: a new aircraft
    // under the hourly basis starts the rate at its own.
    changePlan(request.plan);
    showPlanAircraft();
    m_quotePart->pickBaseTax(request.tax.isEmpty() ? -1 : taxList()->find(request.tax));
    if (request.rate)
        m_sheet->setText(QuoteSheet::ChargePerMile, Format::number(*request.rate, Format::Rate));
    else
        m_quotePart->resetChargePerMile();
    int row = 0;
    for (const QuoteRequest::Charge& charge : request.charges) {
        m_charges->ensureRows(row + 2);
        const int listed =
            charge.description.isEmpty() ? -1 : chargeCatalog()->find(charge.description);
        if (listed >= 0)
            m_charges->pickCharge(row, chargeCatalog()->stored(listed, 0).toString(),
                                  chargeCatalog()->stored(listed, 1).toDouble());
        else
            m_charges->editCell(row, ChargesModel::ColumnCharge, charge.description);
        for (const auto& [column, figure] :
             {std::pair{ChargesModel::ColumnAmount, charge.amount},
              std::pair{ChargesModel::ColumnNumber, charge.number}}) {
            if (!figure)
                continue;
            m_charges->editCell(row, column, Format::general(*figure));
            m_charges->commitCell(row, column);
        }
        const int tax = charge.tax.isEmpty() ? -1 : taxList()->find(charge.tax);
        if (tax >= 0)
            m_charges->pickTax(row, taxList()->stored(tax, 0).toString(),
                               taxList()->stored(tax, 1).toDouble());
        m_charges->writeRow(row++);
    }
    if (request.passengers) {
        const SegmentTaxLine line{*request.passengers,
                                  request.segments.value_or(m_route->passengerLegs()),
                                  appSettings().SEGMENTTAX};
        m_charges->saveSegmentTax(-1, line.chargeText(), line.totalText());
    }
    PrintDialogState& print = printDialogState();
    print.Customer = request.customer;
    print.DepartureDate = PrintDates::stored(request.departureDate);
    print.ReturnDate = PrintDates::stored(request.returnDate);
    print.Remarks = request.remarks;
    print.QuotedBy = request.quotedBy;
    print.PrintCompany = request.printCompany;
    m_kept = kept;
    m_SSTab1->setCurrentIndex(1);

    // The figures as they come out today against those kept.
    const QuoteData now = quoteData();
    QStringList changes;
    const struct
    {
        const char* caption;
        QString QuoteData::*figure;
    } figures[] = {{"Final Quote", &QuoteData::finalQuote},
                   {"Total Charges", &QuoteData::totalCharges},
                   {"Total Taxes", &QuoteData::totalTaxes}};
    for (const auto& figure : figures) {
        const QString was = kept.data.*figure.figure, is = now.*figure.figure;
        if (was == is)
            continue;
        const double by = Format::value(is) - Format::value(was);
        changes << QStringLiteral("%1: %2 kept, %3 now (%4%5)")
                       .arg(QString::fromLatin1(figure.caption), was, is,
                            by > 0 ? QStringLiteral("+") : QString(),
                            Format::number(by, Format::Money));
    }
    if (!changes.isEmpty())
        Platform::prompter().inform(
            Platform::Icon::Information, windowTitle(),
            QStringLiteral("Quote %1 comes out otherwise than it was kept:\r\r")
                    .arg(QuoteData::numberText(kept.number, kept.revision)) +
                changes.join(QLatin1Char('\r')));
}

void Brisklander::mnuRegister_Click()
{
    Platform::pointer().setBusy();
    FrmRegister dialog([this](const KeptQuote& quote) { showKeptQuote(quote); }, this);
    Platform::pointer().setNormal();
    dialog.exec();
}
