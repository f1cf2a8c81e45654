// The main window's airport commands: add, modify, delete and details, and what the
// airport windows ask of the main window afterwards.

#include "core/airports/airportrecord.h"
#include "core/airports/airporttable.h"
#include "core/db/engine.h"
#include "core/errortext.h"
#include "core/quote/routehistory.h"
#include "core/quote/routemodel.h"
#include "gui/airports/airporteditor.h"
#include "gui/airports/frmairportdetails.h"
#include "gui/appcontext.h"
#include "gui/mainwindow/brisklander.h"
#include "gui/mainwindow/dataview.h"
#include "gui/platform/platform.h"

#include <optional>

using Platform::Button;
using Platform::Icon;

namespace {

const QString DeleteTitle = QStringLiteral("Delete Airport");

} // namespace

void Brisklander::mnuaddairport_Click()
{
    Platform::pointer().setBusy();
    FrmAddAirport editor(this, this);
    editor.exec();
    Platform::pointer().setNormal();
}

void Brisklander::mnuModAirport_Click()
{
    modifyAirport(m_routing->routeListHasFocus());
}

void Brisklander::modifyAirport(bool fromRoute)
{
    try {
        if (!m_routing->targetAirport(fromRoute))
            return;
        Platform::pointer().setBusy();
        const Db::Recordset& row = *m_routing->Data1()->recordset();
        FrmModAirport editor(this, readAirportRecord(row).ID, this);
        editor.fill(row);
        editor.exec();
        Platform::pointer().setNormal();
    } catch (const Db::DbError& error) {
        Platform::pointer().setNormal();
        Platform::prompter().inform(Icon::Critical, QStringLiteral("Brisklander"),
                                    ErrorText::message(QStringLiteral("An Error Occurred"), error));
    }
}

void Brisklander::mnudelairport_Click()
{
    deleteAirport(m_routing->routeListHasFocus());
}

void Brisklander::deleteAirport(bool fromRoute)
{
    Db::Workspace* workspace = appContext().Workspace.get();
    std::optional<Db::Transaction> transaction;
    try {
        if (!m_routing->targetAirport(fromRoute) || !workspace)
            return;
        const AirportRecord record = readAirportRecord(*m_routing->Data1()->recordset());
        const QString id = record.ID;
        bool used = fromRoute;
        for (const RouteLeg& leg : m_route->legs())
            used = used || leg.stop.ID == id;

        const Button first =
            used ? Platform::prompter().ask(Platform::Message{
                       Icon::Exclamation, DeleteTitle,
                       QStringLiteral("Airport '%1' is Used in the Quote.\r\rDeleting this "
                                      "Airport will Remove it from the Quote.\r\rSelect 'OK' to "
                                      "confirm Delete.")
                           .arg(id),
                       Button::Ok | Button::Cancel, Button::Cancel})
                 : Platform::prompter().question(
                       DeleteTitle,
                       QStringLiteral("Are you sure that you want to DELETE \r\rAirport '%1'  %2")
                           .arg(id, record.NAME),
                       Button::Yes | Button::No, Button::No);
        if (first != Button::Yes && first != Button::Ok) {
            m_routing->clearFindBox();
            if (isActiveWindow())
                m_routing->focusFindBox();
            return;
        }

        // The row is gone only once the operator confirms a second time.
        Platform::pointer().setBusy();
        transaction.emplace(*workspace);
        DeleteAirport(*workspace, appContext().DatabasePath, id);
        Platform::pointer().setNormal();
        const Button second = Platform::prompter().ask(Platform::Message{
            Icon::Exclamation, DeleteTitle,
            QStringLiteral("Airport '%1'   %2 has been deleted.\r\rSelect 'OK' to make the "
                           "changes permanent.\r\r'Cancel' will undo the changes.")
                .arg(id, record.NAME),
            Button::Ok | Button::Cancel, Button::Cancel});
        if (second != Button::Ok) {
            transaction->rollback();
            m_routing->clearFindBox();
            if (isActiveWindow())
                m_routing->focusFindBox();
            return;
        }
        Platform::pointer().setBusy();
        transaction->commit();
        m_routing->Data1()->Refresh();
        m_routing->clearFindBox();
        if (isActiveWindow()) {
            Form_Activate();
            m_routing->focusFindBox();
        }
        if (used)
            m_routing->removeStopsOf(id);
        // A route kept for undo may hold the airport that is gone.
        m_history->clear();
        Platform::pointer().setNormal();
    } catch (const Db::DbError& error) {
        Platform::pointer().setNormal();
        QString first = QStringLiteral("An error occurred.");
        if (transaction && transaction->isPending()) {
            try {
                transaction->rollback();
            } catch (const Db::DbError&) {
                // The workspace gives the row back when it closes.
            }
            first = QStringLiteral("An error occurred, no record deleted");
        }
        Platform::prompter().inform(Icon::Critical, QStringLiteral("Brisklander"),
                                    ErrorText::message(first, error));
    }
}

void Brisklander::mnuairportdetails_Click()
{
    showDetails(!m_routing->airportListHasFocus());
}

void Brisklander::showDetails(bool ofRouteStop)
{
    Platform::pointer().setBusy();
    FrmAirportDetails details(this, m_routing->airportIdFor(ofRouteStop), this);
    if (details.hasAirport())
        details.exec();
    Platform::pointer().setNormal();
}

void Brisklander::refreshAirportList()
{
    m_routing->refreshAirportList();
}

void Brisklander::clearFindBox()
{
    m_routing->clearFindBox();
}

void Brisklander::showAirportInList(const QString& id)
{
    m_routing->showAirportInList(id);
}

void Brisklander::RefreshRouteAfterModify(const AirportChange& change)
{
    m_routing->RefreshRouteAfterModify(change);
}
