#include "gui/airports/frmairportdetails.h"

#include "core/airports/airportrecord.h"
#include "core/airports/airporttable.h"
#include "core/airports/airporttext.h"
#include "core/db/engine.h"
#include "core/settings/appsettings.h"
#include "gui/airports/airporthost.h"
#include "gui/appcontext.h"
#include "gui/platform/accesskeys.h"
#include "gui/platform/platform.h"

#include <QCheckBox>
#include <QDialogButtonBox>
#include <QEvent>
#include <QFocusEvent>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTimer>
#include <QVBoxLayout>

#include <exception>

namespace {

// A caption and the control it describes; the control is named by its caption for
// screen readers.
template <typename Control>
Control* addField(QGridLayout* grid, int row, int column, const QString& caption, const char* name)
{
    auto* control = new Control;
    control->setObjectName(QLatin1String(name));
    control->setAccessibleName(caption);
    auto* label = new QLabel(caption);
    label->setBuddy(control);
    grid->addWidget(label, row, column);
    grid->addWidget(control, row, column + 1);
    return control;
}

QLineEdit* addText(QGridLayout* grid, int row, int column, const QString& caption, const char* name)
{
    auto* text = addField<QLineEdit>(grid, row, column, caption, name);
    text->setReadOnly(true);
    return text;
}

QPushButton* addButton(QDialogButtonBox* row, const QString& caption, const char* name,
                       QDialogButtonBox::ButtonRole role, const QString& toolTip = QString())
{
    auto* button = new QPushButton(caption);
    button->setObjectName(QLatin1String(name));
    button->setToolTip(toolTip);
    row->addButton(button, role);
    return button;
}

} // namespace

FrmAirportDetails::FrmAirportDetails(AirportHost* host, const QString& airportId, QWidget* parent)
    : QDialog(parent), m_host(host)
{
    AccessKeys::runAtOnce();
    setObjectName(QStringLiteral("FrmAirportDetails"));
    setWindowTitle(QStringLiteral("Airport Details"));
    setModal(true);

    auto* grid = new QGridLayout;
    m_TxtIdent = addText(grid, 0, 0, QStringLiteral("Identifier:"), "TxtIdent");
    m_TxtAirportName = addText(grid, 1, 0, QStringLiteral("Name:"), "TxtAirportName");
    m_TxtState = addText(grid, 2, 0, QStringLiteral("State:"), "TxtState");
    m_TxtCountry = addText(grid, 3, 0, QStringLiteral("Country:"), "TxtCountry");
    m_TxtElevation = addText(grid, 4, 0, QStringLiteral("Elevation:"), "TxtElevation");
    m_TxtLatitude = addText(grid, 5, 0, QStringLiteral("Latitude:"), "TxtLatitude");
    m_TxtLongitude = addText(grid, 6, 0, QStringLiteral("Longitude:"), "TxtLongitude");
    m_TxtRwyLength = addText(grid, 7, 0, QStringLiteral("Runway Length:"), "TxtRwyLength");
    m_Text1 = addText(grid, 0, 2, QStringLiteral("Runway Width:"), "Text1");
    m_TxtTimeZone = addText(grid, 1, 2, QStringLiteral("Time Zone (+/- UTC):"), "TxtTimeZone");
    m_TxtTimeZoneName = addText(grid, 2, 2, QStringLiteral("Time Zone Name:"), "TxtTimeZoneName");
    m_TxtPubMil = addText(grid, 3, 2, QStringLiteral("Type:"), "TxtPubMil");
    m_CheckIFR = addField<QCheckBox>(grid, 4, 2, QStringLiteral("IFR:"), "CheckIFR");
    m_CheckCustoms = addField<QCheckBox>(grid, 5, 2, QStringLiteral("Customs:"), "CheckCustoms");
    m_TxtFuel = addText(grid, 6, 2, QStringLiteral("Fuel:"), "TxtFuel");
    m_TxtLights = addText(grid, 7, 2, QStringLiteral("Lighting:"), "TxtLights");
    m_TxtIata = addText(grid, 8, 0, QStringLiteral("IATA Code:"), "TxtIata");
    m_TxtCity = addText(grid, 8, 2, QStringLiteral("City:"), "TxtCity");
    m_TxtAirportName->setMinimumWidth(m_TxtAirportName->fontMetrics().averageCharWidth() * 40);

    // The ticks only show what is stored: a click is taken back at once, and the
    // focus moves on past them (see eventFilter).
    for (QCheckBox* box : {m_CheckIFR, m_CheckCustoms}) {
        box->installEventFilter(this);
        connect(box, &QCheckBox::clicked, box, [box](bool checked) { box->setChecked(!checked); });
    }

    auto* buttons = new QDialogButtonBox;
    m_CmdModify =
        addButton(buttons, QStringLiteral("&Modify"), "CmdModify", QDialogButtonBox::ActionRole,
                  QStringLiteral("Click this button to Modify Airport Data"));
    m_CmdDelete =
        addButton(buttons, QStringLiteral("&Delete"), "CmdDelete", QDialogButtonBox::ActionRole,
                  QStringLiteral("Click this button to Delete this Airport from the Database"));
    m_CmdOK = addButton(buttons, QStringLiteral("&Exit"), "CmdOK", QDialogButtonBox::RejectRole);
    connect(m_CmdModify, &QPushButton::clicked, this, &FrmAirportDetails::CmdModify_Click);
    connect(m_CmdDelete, &QPushButton::clicked, this, &FrmAirportDetails::CmdDelete_Click);
    connect(m_CmdOK, &QPushButton::clicked, this, &FrmAirportDetails::CmdOK_Click);

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(grid);
    layout->addWidget(buttons);

    // Down the left column, then the right one.
    const QList<QWidget*> tabOrder = {
        m_TxtIdent,    m_TxtAirportName,  m_TxtState,     m_TxtCountry, m_TxtElevation,
        m_TxtLatitude, m_TxtLongitude,    m_TxtRwyLength, m_TxtIata,    m_Text1,
        m_TxtTimeZone, m_TxtTimeZoneName, m_TxtPubMil,    m_CheckIFR,   m_CheckCustoms,
        m_TxtFuel,     m_TxtLights,       m_TxtCity,      m_CmdModify,  m_CmdDelete,
        m_CmdOK};
    for (qsizetype i = 1; i < tabOrder.size(); ++i)
        setTabOrder(tabOrder[i - 1], tabOrder[i]);

    Form_Load(airportId);
}

FrmAirportDetails::~FrmAirportDetails() = default;

void FrmAirportDetails::Form_Load(const QString& airportId)
{
    try {
        // A view of our own in the list's order: positioning it leaves the main
        // window's list where it is.
        m_database =
            Db::DbEngine::instance().defaultWorkspace()->openDatabase(appContext().DatabasePath);
        m_airports = ListAirports(*m_database, appSettings().SORTORDER);
        if (airportId.isEmpty()) {
            m_hasAirport = m_airports->recordCount() > 0;
            if (m_hasAirport)
                m_airports->moveFirst();
        } else {
            m_hasAirport = FindAirport(*m_airports, airportId);
        }
        if (m_hasAirport)
            showCurrentAirport();
    } catch (const std::exception&) {
        // The window just closes again; the command that opened it reports nothing.
        m_hasAirport = false;
        m_shownId.clear();
        Platform::pointer().setNormal();
    }
}

void FrmAirportDetails::showCurrentAirport()
{
    const AirportRecord airport = readAirportRecord(*m_airports);
    // The record reads a missing elevation or runway length as 0; here it shows empty.
    const auto whole = [this](const QString& column, qint32 value) {
        return m_airports->value(column).isNull() ? QString() : QString::number(value);
    };
    m_shownId = airport.ID;
    m_TxtIdent->setText(airport.ID);
    m_TxtAirportName->setText(airport.NAME);
    m_TxtState->setText(airport.STATE);
    m_TxtCountry->setText(airport.COUNTRY);
    m_TxtElevation->setText(whole(AirportColumn::Elevation, airport.ELEVATION));
    m_TxtLatitude->setText(FormatLatitude(airport.Latitude));
    m_TxtLongitude->setText(FormatLongitude(airport.Longitude));
    m_TxtRwyLength->setText(whole(AirportColumn::RunwayLength, airport.RUNWAY_LENGTH));
    m_Text1->setText(airport.RUNWAY_WIDTH ? QString::number(*airport.RUNWAY_WIDTH) : QString());
    m_TxtTimeZone->setText(FormatTimeZone(airport.TIME_ZONE));
    m_TxtTimeZoneName->setText(airport.TIME_ZONE_NAME);
    m_TxtPubMil->setText(UseText(airport.PUB_MIL));
    m_CheckIFR->setChecked(airport.IFR);
    m_CheckCustoms->setChecked(airport.CUSTOMS);
    m_TxtFuel->setText(airport.FUEL);
    m_TxtLights->setText(airport.LIGHTING);
    m_TxtIata->setText(airport.IATA);
    m_TxtCity->setText(airport.CITY);
}

int FrmAirportDetails::exec()
{
    if (!m_hasAirport)
        return QDialog::Rejected;
    return QDialog::exec();
}

void FrmAirportDetails::CmdModify_Click()
{
    // Hidden while the modify window is up; the main window's focus is unchanged, so
    // its Modify command acts on the airport shown here.
    hide();
    if (m_host)
        m_host->mnuModAirport_Click();
    close();
}

void FrmAirportDetails::CmdDelete_Click()
{
    // The delete command acts on the list's current airport: put the list on ours first.
    if (m_host) {
        m_host->showAirportInList(m_shownId);
        m_host->mnudelairport_Click();
    }
    close();
}

void FrmAirportDetails::CmdOK_Click()
{
    close();
}

void FrmAirportDetails::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    // Ends the hourglass of the command that opened the window.
    Platform::pointer().setNormal();
    if (!m_hasAirport)
        QTimer::singleShot(0, this, &QDialog::reject);
}

bool FrmAirportDetails::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::FocusIn && (watched == m_CheckIFR || watched == m_CheckCustoms)) {
        // Pass the focus on in the direction it came, so Shift+Tab can still go back.
        const bool back = static_cast<QFocusEvent*>(event)->reason() == Qt::BacktabFocusReason;
        focusNextPrevChild(!back);
        return true;
    }
    return QDialog::eventFilter(watched, event);
}
