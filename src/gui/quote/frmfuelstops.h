#pragma once

#include "core/quote/fuelstops.h"

#include <QDialog>
#include <QList>

class QTableWidget;

// The fuel-stop candidates of a leg beyond the aircraft's range, the nearest to the
// point the aircraft reaches first; Enter (Insert) takes the selected one into the
// route before the leg's arrival.
class FrmFuelStops : public QDialog
{
    Q_OBJECT

public:
    // `explanation` says where the candidates were looked for, and whether their fuel
    // is recorded.
    FrmFuelStops(const QString& caption, const QString& explanation,
                 const QList<FuelStopCandidate>& candidates, QWidget* parent = nullptr);

    // The identifier chosen, empty when none was.
    QString chosen() const { return m_chosen; }

private:
    QTableWidget* m_list = nullptr;
    QString m_chosen;
};
