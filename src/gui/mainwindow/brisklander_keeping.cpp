// The main window's quote in the register: Save Quote, the keeping before a quote is
// printed or written to a file, and the count of quotes never kept.

#include "core/db/dberror.h"
#include "core/document/printdates.h"
#include "core/format.h"
#include "core/quote/routemodel.h"
#include "core/quote/segmenttaxline.h"
#include "core/register/quotejson.h"
#include "core/register/quoteregister.h"
#include "core/settings/appsettings.h"
#include "gui/appcontext.h"
#include "gui/document/frmprint.h"
#include "gui/document/printdialogstate.h"
#include "gui/mainwindow/brisklander.h"
#include "gui/mainwindow/dberrorbox.h"
#include "gui/platform/platform.h"

#include <QDateTime>
#include <QPushButton>

namespace {

// The quote's inputs as the window holds them: the route's stops, the rate, the base
// charge's tax, the charge rows and the segment tax, and the print dialog's fields.
QuoteRequest requestFrom(const QuoteData& data, const PrintDialogState& print, double taxPerSegment)
{
    QuoteRequest request;
    for (const QuoteData::RouteRow& stop : data.route)
        request.stops << stop.id;
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
    quote.request = requestFrom(quote.data, print, settings.SEGMENTTAX);
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
            quote.request = requestFrom(handedOut, print, settings.SEGMENTTAX);
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
                    {"CmdPrintFile", &FrmPrint::CmdPrintFile_Click}};
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
    // A quote printed or written to a file has been handed out.
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
