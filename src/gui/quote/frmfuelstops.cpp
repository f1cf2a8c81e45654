#include "gui/quote/frmfuelstops.h"

#include "core/format.h"

#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QTableWidget>
#include <QVBoxLayout>

FrmFuelStops::FrmFuelStops(const QString& caption, const QString& explanation,
                           const QList<FuelStopCandidate>& candidates, QWidget* parent)
    : QDialog(parent)
{
    setObjectName(QStringLiteral("FrmFuelStops"));
    setWindowTitle(QStringLiteral("Fuel Stops"));
    auto* leg = new QLabel(caption);
    auto* note = new QLabel(explanation);
    note->setObjectName(QStringLiteral("LblExplanation"));
    note->setWordWrap(true);
    const QStringList captions{QStringLiteral("Identifier"), QStringLiteral("Name"),
                               QStringLiteral("NM from Point"), QStringLiteral("NM Added"),
                               QStringLiteral("Fuel")};
    m_list = new QTableWidget(int(candidates.size()), int(captions.size()));
    m_list->setObjectName(QStringLiteral("GrdCandidates"));
    m_list->setAccessibleName(QStringLiteral("Fuel Stops"));
    m_list->setHorizontalHeaderLabels(captions);
    m_list->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_list->setSelectionMode(QAbstractItemView::SingleSelection);
    m_list->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_list->setTabKeyNavigation(false);
    m_list->verticalHeader()->hide();
    m_list->horizontalHeader()->setSectionResizeMode(QHeaderView::ResizeToContents);
    m_list->horizontalHeader()->setSectionResizeMode(1, QHeaderView::Stretch);
    for (int row = 0; row < candidates.size(); ++row) {
        const FuelStopCandidate& candidate = candidates.at(row);
        const QStringList cells{candidate.id, candidate.name,
                                Format::number(candidate.fromPointNM, Format::LegMiles),
                                Format::number(candidate.extraNM, Format::LegMiles),
                                candidate.fuelRecorded ? QStringLiteral("recorded")
                                                       : QStringLiteral("fuel not recorded")};
        for (int column = 0; column < cells.size(); ++column) {
            auto* item = new QTableWidgetItem(cells.at(column));
            if (column == 2 || column == 3)
                item->setTextAlignment(Qt::AlignRight | Qt::AlignVCenter);
            m_list->setItem(row, column, item);
        }
    }
    auto* insert = new QPushButton(QStringLiteral("&Insert"));
    insert->setObjectName(QStringLiteral("CmdInsert"));
    insert->setToolTip(QStringLiteral("Inserts the selected airport before the leg's arrival"));
    insert->setDefault(true);
    insert->setEnabled(!candidates.isEmpty());
    auto* cancel = new QPushButton(QStringLiteral("Cancel"));
    cancel->setObjectName(QStringLiteral("CmdCancel"));
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(insert);
    buttons->addWidget(cancel);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(leg);
    layout->addWidget(note);
    layout->addWidget(m_list, 1);
    layout->addLayout(buttons);
    resize(640, 320);
    if (!candidates.isEmpty())
        m_list->selectRow(0);
    m_list->setFocus();
    connect(insert, &QPushButton::clicked, this, [this] {
        const QList<QTableWidgetItem*> selected = m_list->selectedItems();
        if (selected.isEmpty())
            return;
        m_chosen = m_list->item(selected.first()->row(), 0)->text();
        accept();
    });
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
    connect(m_list, &QTableWidget::doubleClicked, insert, &QPushButton::click);
}
