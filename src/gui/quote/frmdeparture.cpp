#include "gui/quote/frmdeparture.h"

#include <QDateEdit>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>
#include <QTimeEdit>
#include <QVBoxLayout>

FrmDeparture::FrmDeparture(const QString& caption, const Schedule::TypedTime& shown,
                           QWidget* parent)
    : QDialog(parent)
{
    setObjectName(QStringLiteral("FrmDeparture"));
    setWindowTitle(QStringLiteral("Set Departure"));
    auto* leg = new QLabel(caption);
    leg->setObjectName(QStringLiteral("LblLeg"));
    m_date = new QDateEdit(shown.date);
    m_date->setObjectName(QStringLiteral("DtpDate"));
    m_date->setCalendarPopup(true);
    // Fixed-width and unambiguous wherever the airports lie: each part of the date is
    // typed in full and the next one follows.
    m_date->setDisplayFormat(QStringLiteral("yyyy-MM-dd"));
    m_date->installEventFilter(this);
    m_time = new QTimeEdit(shown.time);
    m_time->setObjectName(QStringLiteral("TxtTime"));
    m_time->setDisplayFormat(QStringLiteral("HH:mm")); // the 24-hour clock the times show
    auto* fields = new QFormLayout;
    for (const auto& [text, field] :
         {std::pair{QStringLiteral("&Date:"), static_cast<QWidget*>(m_date)},
          std::pair{QStringLiteral("&Time:"), static_cast<QWidget*>(m_time)}}) {
        auto* label = new QLabel(text);
        label->setBuddy(field);
        field->setAccessibleName(QString(text).remove(u'&').chopped(1));
        fields->addRow(label, field);
    }
    auto* ok = new QPushButton(QStringLiteral("OK"));
    ok->setObjectName(QStringLiteral("CmdOK"));
    ok->setDefault(true);
    auto* clear = new QPushButton(QStringLiteral("C&lear"));
    clear->setObjectName(QStringLiteral("CmdClear"));
    clear->setToolTip(QStringLiteral("The leg leaves when the schedule says"));
    auto* cancel = new QPushButton(QStringLiteral("Cancel"));
    cancel->setObjectName(QStringLiteral("CmdCancel"));
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(ok);
    buttons->addWidget(clear);
    buttons->addWidget(cancel);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(leg);
    layout->addLayout(fields);
    layout->addLayout(buttons);
    connect(ok, &QPushButton::clicked, this, [this] {
        m_answer = Answer::Set;
        accept();
    });
    connect(clear, &QPushButton::clicked, this, [this] {
        m_answer = Answer::Cleared;
        accept();
    });
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
    m_date->setFocus();
}

Schedule::TypedTime FrmDeparture::typed() const
{
    return Schedule::TypedTime{m_date->date(), m_time->time()};
}

bool FrmDeparture::eventFilter(QObject* watched, QEvent* event)
{
    if (watched != m_date || event->type() != QEvent::KeyPress)
        return QDialog::eventFilter(watched, event);
    const QString text = static_cast<QKeyEvent*>(event)->text();
    const int digitSection = m_digitSection;
    m_digitSection = text.size() == 1 && text.at(0).isDigit() ? int(m_date->currentSection()) : -1;
    // A part typed in full moves on to the next by itself; the separator the operator
    // types after it ("2026-06-12") must not move on once more and put the month's
    // digits into the day.
    return text == u"-" && digitSection >= 0 && int(m_date->currentSection()) != digitSection;
}
