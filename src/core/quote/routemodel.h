#pragma once

#include "core/distance.h"

#include <QAbstractTableModel>
#include <QList>
#include <QString>

#include <optional>

// One airport as the route holds it: what the route list shows and the point a
// leg is measured from.
struct RouteStop
{
    QString ID;
    QString NAME;
    Coordinate Latitude;
    Coordinate Longitude;
    // The airport's clock, for the local times of the legs: its IANA zone name, else
    // its standard offset from UTC in hours (east positive).
    QString TIME_ZONE_NAME = {};
    std::optional<float> TIME_ZONE = {};

    GeoPoint point() const { return GeoPoint{Latitude, Longitude}; }
};

// One row of the route list: a stop and the leg that ends at it, as shown
// (empty on the first stop).
struct RouteLeg
{
    RouteStop stop;
    QString DistanceNM; // "##,##0.0"
    QString DistanceSM;
    // The aircraft flies this leg empty (to its first passengers, or home); the base
    // charge still covers it, the passenger segment tax does not.
    bool positioning = false;
};

// The route: its stops in order, the leg ending at each stop and the two route
// totals. Every leg counts in the totals as it is shown, rounded to one decimal.
//
// After every operation: row 0 carries no leg, every other row carries the leg
// from the row before it, and the totals are the sums of the shown legs.
class RouteModel : public QAbstractTableModel
{
    Q_OBJECT

public:
    enum Column
    {
        ColumnId,
        ColumnName,
        ColumnLatHour,
        ColumnLatMin,
        ColumnLatSec,
        ColumnLongHour,
        ColumnLongMin,
        ColumnLongSec,
        ColumnDistanceNM,
        ColumnDistanceSM,
        ColumnPositioning, // last, so the columns before keep their places
        COLUMNS
    };

    explicit RouteModel(QObject* parent = nullptr);

    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    int columnCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation,
                        int role = Qt::DisplayRole) const override;

    int count() const { return int(m_legs.size()); }
    const RouteLeg& leg(int row) const { return m_legs.at(row); }
    const QList<RouteLeg>& legs() const { return m_legs; }

    double RouteTotalNM() const { return m_totalNM; }
    double RouteTotalSM() const { return m_totalSM; }
    // The totals as the route totals fields show them ("#,###,##0.0").
    QString totalNMText() const;
    QString totalSMText() const;

    // Recomputes the leg that ends at `row` and adds it to the totals.
    void UpdateLeg(int row);

    // What the legs are measured on (the sphere unless told); a change measures every
    // leg again and makes the totals their sums.
    DistanceModel distanceModel() const { return m_distanceModel; }
    void setDistanceModel(DistanceModel model);

    // Inserts a stop at `position` (0 to count()): computes the leg to it and, when a
    // stop follows, takes that stop's old leg out of the totals and computes its
    // leg from the new stop.
    void insertStop(int position, const RouteStop& stop);

    // Removes the stop at `row` and repairs the legs and totals. A stop left right
    // after another of the same identifier is removed in turn (taking B out of A, B, A
    // leaves A). Returns the row that becomes the selected one, -1 when the route is
    // empty.
    int removeStop(int row);

    void clear();

    // Marks the leg that ends at `row` as flown empty, or not. The mark belongs to that
    // leg: a stop inserted before it, or the removal of its departure stop, makes a new
    // leg without it; a stop whose airport only moved keeps its legs' marks. Row 0
    // carries no leg and takes no mark.
    void setPositioning(int row, bool positioning);
    // The legs that carry passengers: every leg not marked as positioning.
    int passengerLegs() const;
    // The leg numbers marked (1 = the leg ending at row 1), ascending.
    QList<int> positioningLegs() const;

    // The route as it stands: its rows and totals, to be put back as they were.
    struct Snapshot
    {
        QList<RouteLeg> legs;
        double totalNM = 0;
        double totalSM = 0;
    };
    Snapshot snapshot() const { return Snapshot{m_legs, m_totalNM, m_totalSM}; }
    // Puts back a route taken by snapshot(), totals included, so that they are exactly
    // what they were and not the sums of the legs recomputed.
    void restore(const Snapshot& snapshot);

    // Puts `stop` in place of the stop at `row` and measures the legs on both sides of it
    // again: an airport whose position changed stays at its place in the route.
    void replaceStop(int row, const RouteStop& stop);

    // Rewrites the identifier and name of a stop whose airport was renamed; its
    // position, and so every distance, stays as it was.
    void setStopIdentity(int row, const QString& id, const QString& name);

    // While one is held, the route tells its totals once, when the last hold ends: a
    // route built from a list of stops is priced once, not at every stop. A hold ended by
    // an exception tells nothing; what was being built is given up.
    class TotalsHold
    {
    public:
        explicit TotalsHold(RouteModel& route);
        ~TotalsHold();
        TotalsHold(const TotalsHold&) = delete;
        TotalsHold& operator=(const TotalsHold&) = delete;

    private:
        RouteModel& m_route;
        int m_exceptions;
    };

signals:
    // After each insertion, removal or clearing; the window then writes the totals
    // (nautical first, then statute).
    void totalsChanged();

private:
    void setLegTexts(int row, const QString& nm, const QString& sm);
    // Tells the totals, or, under a hold, leaves them to be told when it ends.
    void tellTotals();
    // Takes the leg shown on `row` out of both totals.
    void subtractLeg(int row);
    // One removal with its repair of legs and totals; returns the row left current.
    int removeOne(int row);

    QList<RouteLeg> m_legs;
    double m_totalNM = 0;
    double m_totalSM = 0;
    DistanceModel m_distanceModel = DistanceModel::Sphere;
    int m_totalsHeld = 0;
    bool m_totalsToTell = false;
};
