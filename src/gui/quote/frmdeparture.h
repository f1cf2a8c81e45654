#pragma once

#include "core/quote/schedule.h"

#include <QDialog>

#include <optional>

class QDateEdit;
class QTimeEdit;

// Asks for the local departure of one leg, at its departure airport: a date and a
// time, OK to take them, Clear to let the leg leave when the schedule says (the first
// leg: no departure), Cancel to change nothing.
class FrmDeparture : public QDialog
{
    Q_OBJECT

public:
    enum class Answer
    {
        Cancelled,
        Set,
        Cleared
    };

    // `caption` names the leg and its airport; `shown` is where the fields start.
    FrmDeparture(const QString& caption, const Schedule::TypedTime& shown,
                 QWidget* parent = nullptr);

    Answer answer() const { return m_answer; }
    Schedule::TypedTime typed() const;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QDateEdit* m_date = nullptr;
    // The section of the date the last digit was typed into, while the next key may
    // still be the separator after it.
    int m_digitSection = -1;
    QTimeEdit* m_time = nullptr;
    Answer m_answer = Answer::Cancelled;
};
