#pragma once

#include "core/quote/aircraft.h"

#include <QString>
#include <QWidget>

#include <memory>
#include <optional>

class AircraftGrid;
class QComboBox;
class QGroupBox;

namespace Db {
class Database;
}

// The settings dialog's page of aircraft profiles: their grid, keeping the edits until
// the dialog saves them like the other catalogues, and the default aircraft a new quote
// starts with, chosen among the profiles (empty: none).
class AircraftTab : public QWidget
{
    Q_OBJECT

public:
    explicit AircraftTab(QWidget* parent = nullptr);

    // Puts the grid over the database's table into the page (none yet: no profiles); an
    // engine failure is thrown as Db::DbError.
    AircraftGrid* buildGrid(const std::shared_ptr<Db::Database>& database);
    AircraftGrid* grid() const { return m_grid; }
    QComboBox* defaultChoice() const { return m_CboDefaultAircraft; }

    // The default aircraft's name as the settings hold it, or "" when the profiles have
    // none of that name.
    void setDefaultAircraft(const QString& name);
    QString defaultAircraft() const;

    // The first profile of the grid that cannot be saved, or nothing; the dialog saves
    // nothing then and shows why.
    std::optional<AircraftRefusal> refusal() const;
    // The focus on the refused value's cell.
    void focusRefused(const AircraftRefusal& refused);

private:
    // The choice lists the names in the grid, keeping the one chosen while it is there.
    void updateChoice();

    QGroupBox* m_frame = nullptr;
    AircraftGrid* m_grid = nullptr;
    QComboBox* m_CboDefaultAircraft = nullptr;
};
