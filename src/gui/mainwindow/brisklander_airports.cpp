// The main window's airport commands: add, modify, delete and details, and what the
// airport windows ask of the main window afterwards.

#include "core/airports/airportrecord.h"
#include "core/airports/airporttable.h"
#include "core/db/engine.h"
#include "core/errortext.h"
#include "core/quote/routehistory.h"
#include "core/quote/routemodel.h"
#include "core/settings/appsettings.h"
#include "gui/airports/airporteditor.h"
#include "gui/airports/frmairportdetails.h"
#include "gui/appcontext.h"
#include "gui/mainwindow/airportlistmodel.h"
#include "gui/mainwindow/brisklander.h"
#include "gui/mainwindow/dataview.h"
#include "gui/mainwindow/findevents.h"
#include "gui/platform/platform.h"

#include <QApplication>
#include <QLineEdit>

#include <QPushButton>
#include <QTableView>
#include <optional>

using Platform::Button;
using Platform::Icon;

namespace {

const QString DeleteTitle = QStringLiteral("Delete Airport");

} // namespace

bool Brisklander::routeListHasFocus() const
{
    return QApplication::focusWidget() == m_SSDBGrid2;
}

bool Brisklander::targetAirport(bool fromRoute)
{
    Db::Recordset* set = m_data1->recordset();
    if (!set)
        return false;
    if (fromRoute) {
        const int stop = selectedRouteRow();
        const QString id = stop >= 0 ? m_route->leg(stop).stop.ID : QString();
        if (id.isEmpty() || !FindAirport(*set, id)) {
            Platform::prompter().inform(Icon::Exclamation, QStringLiteral("Brisklander"),
                                        QStringLiteral("Airport not found."));
            return false;
        }
        const int row = set->absolutePosition();
        m_SSDBGrid1->setCurrentIndex(m_airportList->index(row, 0));
        const bool byId = appSettings().SORTORDER == SortOrder::Id;
        setFindText(set->value(byId ? QStringLiteral("ID") : QStringLiteral("NAME")).toString());
        m_SSDBGrid1->scrollTo(m_airportList->index(row, 0));
        BringAirportIntoView();
        return true;
    }
    const QModelIndex current = m_SSDBGrid1->currentIndex();
    if (!current.isValid())
        return false;
    set->setAbsolutePosition(current.row());
    m_SSDBGrid1->selectRow(current.row());
    return true;
}

void Brisklander::mnuaddairport_Click()
{
    Platform::pointer().setBusy();
    FrmAddAirport editor(this, this);
    editor.exec();
    Platform::pointer().setNormal();
}

void Brisklander::mnuModAirport_Click()
{
    modifyAirport(routeListHasFocus());
}

void Brisklander::modifyAirport(bool fromRoute)
{
    try {
        if (!targetAirport(fromRoute))
            return;
        Platform::pointer().setBusy();
        const Db::Recordset& row = *m_data1->recordset();
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
    deleteAirport(routeListHasFocus());
}

void Brisklander::deleteAirport(bool fromRoute)
{
    Db::Workspace* workspace = appContext().Workspace.get();
    std::optional<Db::Transaction> transaction;
    try {
        if (!targetAirport(fromRoute) || !workspace)
            return;
        const AirportRecord record = readAirportRecord(*m_data1->recordset());
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
            setFindText(QString());
            if (isActiveWindow())
                m_TxtFind->setFocus();
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
            setFindText(QString());
            if (isActiveWindow())
                m_TxtFind->setFocus();
            return;
        }
        Platform::pointer().setBusy();
        transaction->commit();
        m_data1->Refresh();
        setFindText(QString());
        if (isActiveWindow()) {
            Form_Activate();
            m_TxtFind->setFocus();
        }
        if (used) {
            // Every stop of the airport goes, the route repairing its legs each time.
            for (int row = 0; row < m_route->count();) {
                if (m_route->leg(row).stop.ID != id) {
                    ++row;
                    continue;
                }
                selectRouteRow(row);
                CmdDelete_Click();
                row = 0;
            }
        }
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
    showDetails(!m_SSDBGrid1->hasFocus());
}

void Brisklander::showDetails(bool ofRouteStop)
{
    Platform::pointer().setBusy();
    QString id;
    if (!ofRouteStop) {
        const QModelIndex current = m_SSDBGrid1->currentIndex();
        if (current.isValid())
            id = m_airportList->index(current.row(), AirportListModel::ColumnId).data().toString();
    } else if (selectedRouteRow() >= 0) {
        id = m_route->leg(selectedRouteRow()).stop.ID;
    }
    FrmAirportDetails details(this, id, this);
    if (details.hasAirport())
        details.exec();
    Platform::pointer().setNormal();
}

void Brisklander::refreshAirportList()
{
    try {
        m_data1->Refresh();
    } catch (const Db::DbError& error) {
        showError(windowTitle(), error);
    }
}

void Brisklander::clearFindBox()
{
    setFindText(QString());
}

void Brisklander::showAirportInList(const QString& id)
{
    Db::Recordset* set = m_data1->recordset();
    if (!set)
        return;
    try {
        if (!FindAirport(*set, id))
            return;
        const int row = set->absolutePosition();
        m_SSDBGrid1->setCurrentIndex(m_airportList->index(row, 0));
        m_SSDBGrid1->scrollTo(m_airportList->index(row, 0));
        BringAirportIntoView();
    } catch (const Db::DbError& error) {
        showError(windowTitle(), error);
    }
}

void Brisklander::RefreshRouteAfterModify(const AirportChange& change)
{
    if (!change.changed())
        return;
    for (int row = 0; row < m_route->count(); ++row) {
        if (m_route->leg(row).stop.ID != change.oldId)
            continue;
        selectRouteRow(row);
        if (change.positionChanged) {
            // Out and back in at the same place: the legs on both sides are measured
            // again from the new position.
            m_CmdDelete->setProperty("Tag", QStringLiteral("X"));
            CmdDelete_Click();
            m_CmdDelete->setProperty("Tag", QString());
            if (row > 0) {
                selectRouteRow(row - 1);
                RouteInsertPosition = row;
            } else {
                RouteInsertPosition = -1;
            }
            showAirportInList(change.newId);
            CmdSelect_Click();
        } else {
            m_route->setStopIdentity(row, change.newId, change.newName);
        }
    }
    // A route kept for undo holds the airport as it was.
    m_history->clear();
}
