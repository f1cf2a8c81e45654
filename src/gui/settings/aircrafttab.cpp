#include "gui/settings/aircrafttab.h"

#include "core/db/engine.h"
#include "core/quote/aircraftcatalog.h"
#include "core/quote/catalogtable.h"
#include "gui/settings/catalogeditmodel.h"
#include "gui/settings/cataloggrids.h"

#include <QComboBox>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QTableView>
#include <QVBoxLayout>

AircraftTab::AircraftTab(QWidget* parent) : QWidget(parent)
{
    m_frame = new QGroupBox(QStringLiteral("Edit Aircraft Profiles"));
    m_frame->setObjectName(QStringLiteral("FrameAircraft"));
    new QVBoxLayout(m_frame);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_frame, 1);
}

AircraftGrid* AircraftTab::buildGrid(const std::shared_ptr<Db::Database>& database)
{
    m_grid = new AircraftGrid(database, m_frame);
    m_frame->layout()->addWidget(m_grid);

    // Made after the grid, so that it follows the grid in the Tab order.
    const QString caption = QStringLiteral("Default aircraft for &new quotes:");
    m_CboDefaultAircraft = new QComboBox;
    m_CboDefaultAircraft->setObjectName(QStringLiteral("CboDefaultAircraft"));
    m_CboDefaultAircraft->setAccessibleName(QString(caption).remove(u'&'));
    m_CboDefaultAircraft->setSizeAdjustPolicy(QComboBox::AdjustToContents);
    auto* label = new QLabel(caption);
    label->setBuddy(m_CboDefaultAircraft);
    auto* choice = new QHBoxLayout;
    choice->addWidget(label);
    choice->addWidget(m_CboDefaultAircraft);
    choice->addStretch();
    static_cast<QVBoxLayout*>(layout())->addLayout(choice);

    CatalogEditModel* model = m_grid->model();
    for (auto signal : {&QAbstractItemModel::rowsInserted, &QAbstractItemModel::rowsRemoved})
        connect(model, signal, this, &AircraftTab::updateChoice);
    connect(model, &QAbstractItemModel::modelReset, this, &AircraftTab::updateChoice);
    connect(model, &QAbstractItemModel::dataChanged, this, &AircraftTab::updateChoice);
    updateChoice();
    return m_grid;
}

void AircraftTab::updateChoice()
{
    const QString chosen = defaultAircraft();
    QStringList names{QString()};
    for (int row = 0; row < m_grid->model()->tableRows(); ++row) {
        const QString name = m_grid->model()->text(row, int(AircraftField::Name));
        if (!name.isEmpty())
            names << name;
    }
    QSignalBlocker blocker(m_CboDefaultAircraft);
    m_CboDefaultAircraft->clear();
    m_CboDefaultAircraft->addItems(names);
    setDefaultAircraft(chosen);
}

void AircraftTab::setDefaultAircraft(const QString& name)
{
    if (!m_CboDefaultAircraft)
        return;
    const int found =
        name.isEmpty() ? 0 : m_CboDefaultAircraft->findText(name, Qt::MatchFixedString);
    m_CboDefaultAircraft->setCurrentIndex(std::max(found, 0));
}

QString AircraftTab::defaultAircraft() const
{
    return m_CboDefaultAircraft ? m_CboDefaultAircraft->currentText() : QString();
}

std::optional<AircraftRefusal> AircraftTab::refusal() const
{
    if (!m_grid)
        return std::nullopt;
    QList<AircraftProfile> profiles;
    for (const CatalogTable::Row& row : m_grid->model()->table().rows())
        profiles << AircraftCatalog::fromValues(row.values);
    return AircraftRules::refusal(profiles);
}

void AircraftTab::focusRefused(const AircraftRefusal& refused)
{
    QTableView* view = m_grid->grid();
    view->setFocus(Qt::OtherFocusReason);
    view->setCurrentIndex(m_grid->model()->index(refused.index, int(refused.field)));
}
