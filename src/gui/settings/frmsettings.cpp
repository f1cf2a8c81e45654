#include "gui/settings/frmsettings.h"

#include "core/airports/airporttable.h"
#include "core/db/engine.h"
#include "core/errortext.h"
#include "core/format.h"
#include "core/settings/appsettings.h"
#include "gui/appcontext.h"
#include "gui/platform/accesskeys.h"
#include "gui/platform/platform.h"
#include "gui/settings/aircrafttab.h"
#include "gui/settings/catalogeditmodel.h"
#include "gui/settings/cataloggrids.h"
#include "gui/settings/settingshost.h"
#include "gui/settings/typinglimit.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QShowEvent>
#include <QSpinBox>
#include <QTabWidget>
#include <QTableView>
#include <QTimer>
#include <QVBoxLayout>

#include <functional>
#include <optional>

namespace {

const QString ProgramTitle = QStringLiteral("Brisklander");

QLineEdit* newField(QAnyStringView name, const QString& accessibleName, int limit)
{
    auto* field = new QLineEdit;
    field->setObjectName(name);
    field->setAccessibleName(accessibleName);
    field->setValidator(new TypingLimit(field, limit));
    return field;
}

// A caption in front of a field, naming it for the keyboard and for screen readers.
QLabel* captionFor(QLineEdit* field)
{
    auto* label = new QLabel(field->accessibleName());
    label->setBuddy(field);
    return label;
}

// A control named for screen readers by its caption and reached from the keyboard by
// the caption's access key.
QLabel* labelled(QWidget* control, QAnyStringView name, const QString& caption)
{
    control->setObjectName(name);
    control->setAccessibleName(QString(caption).remove(u'&'));
    auto* label = new QLabel(caption);
    label->setBuddy(control);
    return label;
}

// Several lines of text; Tab moves on rather than typing a tab.
QPlainTextEdit* textBox()
{
    auto* box = new QPlainTextEdit;
    box->setTabChangesFocus(true);
    return box;
}

QLabel* explanation(const QString& text)
{
    auto* label = new QLabel(text);
    label->setWordWrap(true);
    return label;
}

// Keys that type no character (moving, leaving, closing, shortcuts) are never dropped.
bool passesUntouched(const QKeyEvent* key)
{
    switch (key->key()) {
    case Qt::Key_Backspace:
    case Qt::Key_Tab:
    case Qt::Key_Backtab:
    case Qt::Key_Return:
    case Qt::Key_Enter:
    case Qt::Key_Escape:
        return true;
    default:
        return key->text().isEmpty() || (key->modifiers() & Qt::ControlModifier);
    }
}

bool isDigitKey(const QKeyEvent* key)
{
    return key->text().size() == 1 && key->text().at(0) >= u'0' && key->text().at(0) <= u'9';
}

} // namespace

FrmSettings::FrmSettings(SettingsHost* host, QWidget* parent) : QDialog(parent), m_host(host)
{
    AccessKeys::runAtOnce();
    setObjectName(QStringLiteral("FrmSettings"));
    setWindowTitle(QStringLiteral("Settings"));
    setModal(true);

    m_SSTab1 = new QTabWidget(this);
    m_SSTab1->setObjectName(QStringLiteral("SSTab1"));
    // Every tab in sight: the dialog grows to show them, no scroll buttons in the Tab order.
    m_SSTab1->setUsesScrollButtons(false);
    auto* defaults = new QWidget;
    auto* charges = new QWidget;
    auto* taxes = new QWidget;
    auto* company = new QWidget;
    auto* quotes = new QWidget;
    m_SSTab1->addTab(defaults, QStringLiteral("De&faults"));
    m_SSTab1->addTab(charges, QStringLiteral("&Additional Charges"));
    m_SSTab1->addTab(taxes, QStringLiteral("&Taxes"));
    m_SSTab1->addTab(company, QStringLiteral("Company &Info"));
    m_SSTab1->addTab(quotes, QStringLiteral("&Quotes"));
    // Every letter of "Aircraft" is another control's access key on this dialog.
    m_aircraftTab = new AircraftTab;
    m_SSTab1->addTab(m_aircraftTab, QStringLiteral("Aircraft &Profiles"));

    buildDefaultsTab(defaults);
    m_chargesFrame = new QGroupBox(QStringLiteral("Edit Additional Charges"));
    m_chargesFrame->setObjectName(QStringLiteral("FrameCharges"));
    new QVBoxLayout(m_chargesFrame);
    (new QVBoxLayout(charges))->addWidget(m_chargesFrame);
    buildTaxesTab(taxes);
    buildCompanyTab(company);
    buildQuotesTab(quotes);
    m_SSTab1->setTabToolTip(CompanyTab,
                            QStringLiteral("Company Information that appears on printed Quotes"));

    m_CmdSave = new QPushButton(QStringLiteral("&Save"));
    m_CmdSave->setObjectName(QStringLiteral("CmdSave"));
    m_CmdCancel = new QPushButton(QStringLiteral("&Cancel"));
    m_CmdCancel->setObjectName(QStringLiteral("CmdCancel"));
    // A plain row rather than a button box: the box hands the focus Tab gives it to
    // Save from wherever it stands in the Tab order, before the catalogue grids.
    m_CmdSave->setDefault(true);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(m_CmdSave);
    buttons->addWidget(m_CmdCancel);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_SSTab1);
    layout->addLayout(buttons);

    for (QWidget* control :
         {static_cast<QWidget*>(m_OptNautBase), static_cast<QWidget*>(m_OptStatBase),
          static_cast<QWidget*>(m_OptHourBase), static_cast<QWidget*>(m_TxtDefaultAirport),
          static_cast<QWidget*>(m_TxtMinBaseCharge), static_cast<QWidget*>(m_TxtMinRunwayLength)})
        showTabOnFocus(control, DefaultsTab);
    for (QLineEdit* field : m_companyFields)
        showTabOnFocus(field, CompanyTab);
    for (QWidget* control :
         std::initializer_list<QWidget*>{m_TxtValidityDays, m_TxtLogo, m_CmdBrowseLogo, m_TxtTerms,
                                         m_TxtMailSubject, m_TxtMailBody})
        showTabOnFocus(control, QuotesTab);

    for (QLineEdit* field : {m_TxtDefaultChargeNM, m_TxtDefaultChargeSM, m_TxtMinBaseCharge,
                             m_TxtSegTax, m_TxtMinRunwayLength, m_TxtDefaultAirport})
        field->installEventFilter(this);
    connect(qApp, &QApplication::focusChanged, this, &FrmSettings::focusMoved);
    connect(m_CmdBrowseLogo, &QPushButton::clicked, this, &FrmSettings::CmdBrowseLogo_Click);
    connect(m_CmdSave, &QPushButton::clicked, this, &FrmSettings::CmdSave_Click);
    connect(m_CmdCancel, &QPushButton::clicked, this, &FrmSettings::CmdCancel_Click);

    Form_Load();
}

FrmSettings::~FrmSettings()
{
    // The dialog's own destructor hides the window, which moves the focus; by then
    // this part of the object is gone and must hear no more of it.
    disconnect(qApp, &QApplication::focusChanged, this, &FrmSettings::focusMoved);
}

void FrmSettings::buildDefaultsTab(QWidget* page)
{
    auto* basis = new QGroupBox(QStringLiteral("Quote Base"));
    m_OptNautBase = new QRadioButton(QStringLiteral("Nautical Miles"));
    m_OptNautBase->setObjectName(QStringLiteral("OptNautBase"));
    m_OptNautBase->setToolTip(
        QStringLiteral("Base Quote on Total Route Distance in Nautical Miles "));
    m_OptStatBase = new QRadioButton(QStringLiteral("Statute Miles"));
    m_OptStatBase->setObjectName(QStringLiteral("OptStatBase"));
    m_OptStatBase->setToolTip(
        QStringLiteral("Base Quote on Total Route Distance in Statute Miles "));
    m_OptHourBase = new QRadioButton(QStringLiteral("Flight &Hours"));
    m_OptHourBase->setObjectName(QStringLiteral("OptHourBase"));
    m_OptHourBase->setToolTip(
        QStringLiteral("Base Quote on the billable Flight Hours of the quote's aircraft"));
    for (QRadioButton* option : {m_OptNautBase, m_OptStatBase, m_OptHourBase})
        option->setAccessibleName(QString(option->text()).remove(u'&'));
    auto* basisLayout = new QVBoxLayout(basis);
    basisLayout->addWidget(m_OptNautBase);
    basisLayout->addWidget(m_OptStatBase);
    basisLayout->addWidget(m_OptHourBase);

    const QString runwayCaption = QStringLiteral("Minimum Runway Length");
    auto* runway = new QGroupBox(runwayCaption);
    m_TxtMinRunwayLength = newField("TxtMinRunwayLength", runwayCaption, 5);
    const QString runwayText = QStringLiteral("Airports with runways shorter than this setting "
                                              "cannot be inserted in the Route without "
                                              "confirmation.");
    m_TxtMinRunwayLength->setAccessibleDescription(runwayText);
    auto* runwayLayout = new QVBoxLayout(runway);
    runwayLayout->addWidget(m_TxtMinRunwayLength);
    runwayLayout->addWidget(explanation(runwayText));

    auto* perMile = new QGroupBox(QStringLiteral("Default Charge per Mile"));
    m_TxtDefaultChargeNM = newField("TxtDefaultChargeNM", QStringLiteral("Default Charge NM:"), 7);
    m_TxtDefaultChargeSM = newField("TxtDefaultChargeSM", QStringLiteral("Default Charge SM:"), 7);
    auto* perMileLayout = new QGridLayout(perMile);
    perMileLayout->addWidget(captionFor(m_TxtDefaultChargeNM), 0, 0);
    perMileLayout->addWidget(m_TxtDefaultChargeNM, 0, 1);
    perMileLayout->addWidget(captionFor(m_TxtDefaultChargeSM), 1, 0);
    perMileLayout->addWidget(m_TxtDefaultChargeSM, 1, 1);

    auto* minimum = new QGroupBox(QStringLiteral("Minimum Base Charge"));
    m_TxtMinBaseCharge =
        newField("TxtMinBaseCharge", QStringLiteral("Minimum Base Charge Before Tax:"), 9);
    auto* minimumLayout = new QHBoxLayout(minimum);
    minimumLayout->addWidget(captionFor(m_TxtMinBaseCharge));
    minimumLayout->addWidget(m_TxtMinBaseCharge);

    const QString airportCaption = QStringLiteral("Default Airport");
    auto* airport = new QGroupBox(airportCaption);
    m_TxtDefaultAirport = newField("TxtDefaultAirport", airportCaption, 4);
    const QString airportText = QStringLiteral("Identifier for Default Airport that will be "
                                               "displayed as the first Airport in a Quote.");
    m_TxtDefaultAirport->setAccessibleDescription(airportText);
    auto* airportLayout = new QVBoxLayout(airport);
    airportLayout->addWidget(m_TxtDefaultAirport);
    airportLayout->addWidget(explanation(airportText));

    auto* rounding = new QGroupBox(QStringLiteral("Round Miles for Quote"));
    m_ChkRoundMiles = new QCheckBox(QStringLiteral("Use only whole Miles in Quote (no tenths):"));
    m_ChkRoundMiles->setObjectName(QStringLiteral("ChkRoundMiles"));
    m_ChkRoundMiles->setAccessibleName(m_ChkRoundMiles->text());
    (new QVBoxLayout(rounding))->addWidget(m_ChkRoundMiles);

    auto* distances = new QGroupBox(QStringLiteral("Distances"));
    m_ChkWgs84 = new QCheckBox(QStringLiteral("Measure legs on the &WGS-84 ellipsoid"));
    m_ChkWgs84->setObjectName(QStringLiteral("ChkWgs84"));
    m_ChkWgs84->setAccessibleName(QString(m_ChkWgs84->text()).remove(u'&'));
    m_ChkWgs84->setToolTip(QStringLiteral("Off: the great circle on a sphere, as every quote "
                                          "was priced before. On: the geodesic on the "
                                          "ellipsoid charts use, a little longer on most legs."));
    (new QVBoxLayout(distances))->addWidget(m_ChkWgs84);

    auto* grid = new QGridLayout(page);
    grid->addWidget(basis, 0, 0);
    grid->addWidget(runway, 0, 1);
    grid->addWidget(perMile, 1, 0);
    grid->addWidget(minimum, 1, 1);
    grid->addWidget(airport, 2, 0);
    grid->addWidget(rounding, 2, 1);
    grid->addWidget(distances, 3, 0);
}

void FrmSettings::buildTaxesTab(QWidget* page)
{
    m_taxesFrame = new QGroupBox(QStringLiteral("Edit Taxes"));
    m_taxesFrame->setObjectName(QStringLiteral("FrameTaxes"));
    new QVBoxLayout(m_taxesFrame);

    auto* segment = new QGroupBox(QStringLiteral("Segment Tax"));
    m_TxtSegTax = newField("TxtSegTax", QStringLiteral("Segment Tax Amount:"), 5);
    auto* segmentLayout = new QHBoxLayout(segment);
    segmentLayout->addWidget(captionFor(m_TxtSegTax));
    segmentLayout->addWidget(m_TxtSegTax);
    segmentLayout->addWidget(new QLabel(QStringLiteral("For Each")));
    segmentLayout->addWidget(new QLabel(QStringLiteral("Passenger.")));
    segmentLayout->addStretch();

    auto* layout = new QVBoxLayout(page);
    layout->addWidget(m_taxesFrame, 1);
    layout->addWidget(segment);
}

void FrmSettings::buildCompanyTab(QWidget* page)
{
    auto* frame = new QGroupBox(QStringLiteral("Company Information"));
    frame->setToolTip(QStringLiteral("Company Information that appears on printed Quotes"));
    auto* grid = new QGridLayout(frame);
    for (int row = 0; row < CompanyFields::Count; ++row) {
        const CompanyField& field = CompanyFields::All[row];
        QLineEdit* edit = newField(field.controlName, QString(field.caption), field.limit);
        m_companyFields[row] = edit;
        // The second address line continues the first and has no caption of its own.
        if (field.value != &CompanyDetails::ADDRESS2)
            grid->addWidget(captionFor(edit), row, 0);
        grid->addWidget(edit, row, 1);
    }
    (new QVBoxLayout(page))->addWidget(frame);
}

void FrmSettings::buildQuotesTab(QWidget* page)
{
    m_TxtValidityDays = new QSpinBox;
    m_TxtValidityDays->setRange(1, 365);
    m_TxtLogo = new QLineEdit;
    m_CmdBrowseLogo = new QPushButton(QStringLiteral("B&rowse..."));
    m_CmdBrowseLogo->setObjectName(QStringLiteral("CmdBrowseLogo"));
    m_CmdBrowseLogo->setAccessibleName(QStringLiteral("Browse for the logo"));
    m_TxtTerms = textBox();
    m_TxtMailSubject = new QLineEdit;
    m_TxtMailBody = textBox();

    auto* grid = new QGridLayout(page);
    grid->addWidget(
        labelled(m_TxtValidityDays, "TxtValidityDays", QStringLiteral("&Valid for (days):")), 0, 0);
    grid->addWidget(m_TxtValidityDays, 0, 1, Qt::AlignLeft);
    grid->addWidget(labelled(m_TxtLogo, "TxtLogo", QStringLiteral("&Logo:")), 1, 0);
    auto* logo = new QHBoxLayout;
    logo->addWidget(m_TxtLogo);
    logo->addWidget(m_CmdBrowseLogo);
    grid->addLayout(logo, 1, 1);
    grid->addWidget(labelled(m_TxtTerms, "TxtTerms", QStringLiteral("Ter&ms:")), 2, 0,
                    Qt::AlignTop);
    grid->addWidget(m_TxtTerms, 2, 1);
    grid->addWidget(
        labelled(m_TxtMailSubject, "TxtMailSubject", QStringLiteral("E-mail s&ubject:")), 3, 0);
    grid->addWidget(m_TxtMailSubject, 3, 1);
    grid->addWidget(labelled(m_TxtMailBody, "TxtMailBody", QStringLiteral("E-mail &body:")), 4, 0,
                    Qt::AlignTop);
    grid->addWidget(m_TxtMailBody, 4, 1);
    grid->addWidget(explanation(QStringLiteral("The subject and body may name the quote's parts: "
                                               "{number}, {customer}, {route}, {total} and "
                                               "{valid_until}.")),
                    5, 1);
}

void FrmSettings::CmdBrowseLogo_Click()
{
    const std::optional<QString> path = Platform::fileChooser().openFile(
        this, {QStringLiteral("Logo"),
               {QStringLiteral("Images (*.png *.jpg *.jpeg *.bmp *.gif)"),
                QStringLiteral("All Files (*)")},
               QString(),
               m_TxtLogo->text()});
    if (path)
        m_TxtLogo->setText(QDir::toNativeSeparators(*path));
}

void FrmSettings::showTabOnFocus(QWidget* control, Tab tab)
{
    m_focusTabs.insert(control, tab);
}

QString FrmSettings::errorText(const Db::DbError& error)
{
    return ErrorText::message(QStringLiteral("An error occurred"), error);
}

// The catalogue grids read their tables through the default workspace, whose
// transaction at Save covers every change made in them.
void FrmSettings::Form_Load()
{
    try {
        m_database =
            Db::DbEngine::instance().defaultWorkspace()->openDatabase(appContext().DatabasePath);
    } catch (const Db::DbError& error) {
        Platform::prompter().inform(Platform::Icon::Critical, ProgramTitle, errorText(error));
        return;
    }
    buildCatalogGrids();
}

void FrmSettings::buildCatalogGrids()
{
    try {
        auto* charges = new ChargesGrid(m_database, m_chargesFrame);
        auto* taxes = new TaxesGrid(m_database, m_taxesFrame);
        m_catalogGrids = {charges, taxes};
        for (CatalogGrid* grid : m_catalogGrids) {
            grid->setTitle(QString());
            grid->setFlat(true);
            grid->setSaveButton(m_CmdSave);
        }
        m_chargesFrame->layout()->addWidget(charges);
        m_taxesFrame->layout()->addWidget(taxes);
        showTabOnFocus(charges->grid(), ChargesTab);
        showTabOnFocus(charges->deleteButton(), ChargesTab);
        showTabOnFocus(taxes->grid(), TaxesTab);
        showTabOnFocus(taxes->deleteButton(), TaxesTab);
        // Last, so that a database whose aircraft table cannot be made still edits the
        // other catalogues.
        AircraftGrid* aircraft = m_aircraftTab->buildGrid(m_database);
        aircraft->setTitle(QString());
        aircraft->setFlat(true);
        aircraft->setSaveButton(m_CmdSave);
        m_catalogGrids.push_back(aircraft);
        for (QWidget* control : std::initializer_list<QWidget*>{
                 aircraft->grid(), aircraft->deleteButton(), m_aircraftTab->defaultChoice()})
            showTabOnFocus(control, AircraftProfilesTab);
    } catch (const Db::DbError& error) {
        Platform::pointer().setNormal();
        Platform::prompter().inform(
            Platform::Icon::Critical, windowTitle(),
            ErrorText::message(QStringLiteral("An Error Occurred:"), error));
    }
}

void FrmSettings::Form_Activate()
{
    // The menu command set the busy pointer; a shown dialog puts it back.
    Platform::pointer().setNormal();
    const AppSettings& settings = appSettings();
    m_OptStatBase->setChecked(settings.QUOTEBASE == QuoteBase::Statute);
    m_OptHourBase->setChecked(settings.QUOTEBASE == QuoteBase::Hourly);
    m_OptNautBase->setChecked(settings.QUOTEBASE == QuoteBase::Nautical);
    TypingLimit::setText(m_TxtMinRunwayLength, QString::number(settings.MINRUNWAYLENGTH));
    TypingLimit::setText(m_TxtDefaultChargeSM,
                         Format::number(settings.DEFAULTCHARGESM, Format::Rate));
    TypingLimit::setText(m_TxtDefaultChargeNM,
                         Format::number(settings.DEFAULTCHARGENM, Format::Rate));
    TypingLimit::setText(m_TxtMinBaseCharge, Format::number(settings.MINBASECHARGE, Format::Money));
    TypingLimit::setText(m_TxtDefaultAirport, settings.DEFAULTAIRPORT);
    TypingLimit::setText(m_TxtSegTax, Format::number(settings.SEGMENTTAX, Format::Rate));
    m_ChkRoundMiles->setChecked(settings.ROUNDMILES);
    m_ChkWgs84->setChecked(settings.DISTANCEMODEL == DistanceModel::Wgs84);
    for (int i = 0; i < CompanyFields::Count; ++i)
        TypingLimit::setText(m_companyFields[i], settings.company.*CompanyFields::All[i].value);
    m_TxtValidityDays->setValue(settings.VALIDITYDAYS);
    m_TxtLogo->setText(settings.LOGO);
    m_TxtTerms->setPlainText(settings.TERMS);
    m_TxtMailSubject->setText(settings.MAILSUBJECT);
    m_TxtMailBody->setPlainText(settings.MAILBODY);
    m_aircraftTab->setDefaultAircraft(settings.AIRCRAFT);
    m_SSTab1->setCurrentIndex(m_firstTab);
    if (m_firstTab == CompanyTab)
        m_companyFields.front()->setFocus(Qt::OtherFocusReason);
}

void FrmSettings::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    // Each showing is the dialog becoming active. The activation a closing message
    // box hands back is not: it must not overwrite what the operator typed.
    if (!event->spontaneous()) {
        orderTabChain();
        Form_Activate();
    }
}

// The catalogue grids are put into their frames once the dialog is built, so they
// join the Tab order at its end, behind Save and Cancel, where Tab would reach the
// buttons only after the grid. The order follows the screen instead: the tax grid
// before the segment tax below it, and Save and Cancel last on every tab.
void FrmSettings::orderTabChain()
{
    // The last control in the Tab order that `where` accepts.
    const auto lastControl = [this](const std::function<bool(QWidget*)>& where) {
        QWidget* last = nullptr;
        for (QWidget* control = nextInFocusChain(); control != this;
             control = control->nextInFocusChain()) {
            if ((control->focusPolicy() & Qt::TabFocus) && where(control))
                last = control;
        }
        return last;
    };
    if (QWidget* lastTax =
            lastControl([this](QWidget* control) { return m_taxesFrame->isAncestorOf(control); }))
        setTabOrder(lastTax, m_TxtSegTax);
    if (QWidget* last = lastControl(
            [this](QWidget* control) { return control != m_CmdSave && control != m_CmdCancel; }))
        setTabOrder(last, m_CmdSave);
    setTabOrder(m_CmdSave, m_CmdCancel);
}

bool FrmSettings::eventFilter(QObject* watched, QEvent* event)
{
    auto* field = qobject_cast<QLineEdit*>(watched);
    if (!field || event->type() != QEvent::KeyPress)
        return QDialog::eventFilter(watched, event);
    const auto* key = static_cast<QKeyEvent*>(event);
    if (passesUntouched(key))
        return false;
    if (field == m_TxtDefaultAirport) {
        const QString upper = key->text().toUpper();
        if (upper == key->text())
            return false;
        field->insert(upper);
        return true;
    }
    if (isDigitKey(key))
        return false;
    if (field == m_TxtMinRunwayLength)
        return true;
    // The money fields take one decimal point, the user's, typed by "." and "," alike.
    const QString point = Format::NumberSymbols::current().decimalPoint;
    if (Format::decimalKey(key->text()) != point ||
        (field->text().contains(point) && !field->selectedText().contains(point)))
        return true;
    if (key->text() == point)
        return false;
    field->insert(point);
    return true;
}

void FrmSettings::focusMoved(QWidget* from, QWidget* to)
{
    if (m_returningFocus)
        return;
    if (to && to->window() == this) {
        const auto tab = m_focusTabs.constFind(to);
        if (tab != m_focusTabs.constEnd())
            m_SSTab1->setCurrentIndex(*tab);
    }
    if (!from || !to || from->window() != this || to->window() != this)
        return;
    leaveField(from, to == m_CmdCancel);
}

void FrmSettings::leaveField(QWidget* field, bool toCancel)
{
    if (field == m_TxtDefaultChargeNM || field == m_TxtDefaultChargeSM || field == m_TxtSegTax)
        leaveNumber(static_cast<QLineEdit*>(field), Format::Rate);
    else if (field == m_TxtMinBaseCharge)
        leaveNumber(m_TxtMinBaseCharge, Format::Money);
    else if (field == m_TxtMinRunwayLength)
        TxtMinRunwayLength_LostFocus(toCancel);
    else if (field == m_TxtDefaultAirport)
        TxtDefaultAirport_LostFocus(toCancel);
}

void FrmSettings::leaveNumber(QLineEdit* field, const QString& mask)
{
    // Save reads these fields as numbers, so nothing else may stay in them.
    const std::optional<double> value = Format::read(field->text());
    TypingLimit::setText(field, Format::number(value.value_or(0.0), value ? mask : Format::Rate));
}

void FrmSettings::TxtMinRunwayLength_LostFocus(bool toCancel)
{
    const std::optional<double> value = Format::read(m_TxtMinRunwayLength->text());
    if (!value) {
        m_TxtMinRunwayLength->setText(QStringLiteral("0"));
        return;
    }
    m_TxtMinRunwayLength->setText(QString::number(qint64(Format::roundHalfEven(*value))));
    checkDefaultAirport(toCancel);
}

void FrmSettings::TxtDefaultAirport_LostFocus(bool toCancel)
{
    checkDefaultAirport(toCancel);
}

void FrmSettings::checkDefaultAirport(bool toCancel)
{
    m_defaultAirportRefused = false;
    const QString id = m_TxtDefaultAirport->text();
    if (id.isEmpty() || toCancel || !appContext().Workspace)
        return;
    Platform::pointer().setBusy();
    try {
        const std::optional<AirportRecord> airport =
            ReadAirport(*appContext().Workspace, appContext().DatabasePath, id);
        Platform::pointer().setNormal();
        if (!airport) {
            refuseDefaultAirport(QStringLiteral("Airport Identifier '") + id +
                                 QStringLiteral("' not found."));
            return;
        }
        const QString minimumText = m_TxtMinRunwayLength->text();
        const std::optional<double> minimum = Format::read(minimumText);
        if (minimum && *minimum >= 1 && airport->RUNWAY_LENGTH < *minimum) {
            refuseDefaultAirport(QStringLiteral("The Runway at '%1' (%2 feet) is shorter than the "
                                                "Min. Runway setting of %3 feet.\r\rSelect another "
                                                "Default Airport or adjust the Minimum Runway "
                                                "setting.")
                                     .arg(id)
                                     .arg(airport->RUNWAY_LENGTH)
                                     .arg(minimumText));
        }
    } catch (const Db::DbError& error) {
        Platform::pointer().setNormal();
        Platform::prompter().inform(Platform::Icon::Critical, ProgramTitle, errorText(error));
    }
}

void FrmSettings::refuseDefaultAirport(const QString& text)
{
    m_defaultAirportRefused = true;
    Platform::prompter().inform(Platform::Icon::Exclamation, windowTitle(), text);
    m_TxtDefaultAirport->clear();
    // The check also runs while another tab is coming to the front (the operator
    // clicked it or pressed its key): that tab is shown only once this returns, and a
    // switch back from inside it would be lost, so the field comes back after it.
    if (m_SSTab1->currentWidget() != m_SSTab1->widget(m_SSTab1->currentIndex()))
        QTimer::singleShot(0, this, &FrmSettings::returnToDefaultAirport);
    else
        returnToDefaultAirport();
}

void FrmSettings::returnToDefaultAirport()
{
    // Nothing the focus passes on its way back runs its leave rule.
    m_returningFocus = true;
    m_SSTab1->setCurrentIndex(DefaultsTab);
    m_TxtDefaultAirport->setFocus(Qt::OtherFocusReason);
    m_returningFocus = false;
}

AppSettings FrmSettings::enteredSettings() const
{
    AppSettings entered = appSettings(); // SORTORDER is not the dialog's
    entered.DEFAULTCHARGESM = Format::value(m_TxtDefaultChargeSM->text());
    entered.DEFAULTCHARGENM = Format::value(m_TxtDefaultChargeNM->text());
    entered.SEGMENTTAX = Format::value(m_TxtSegTax->text());
    entered.ROUNDMILES = m_ChkRoundMiles->isChecked();
    entered.DISTANCEMODEL = m_ChkWgs84->isChecked() ? DistanceModel::Wgs84 : DistanceModel::Sphere;
    entered.QUOTEBASE = m_OptStatBase->isChecked()   ? QuoteBase::Statute
                        : m_OptHourBase->isChecked() ? QuoteBase::Hourly
                                                     : QuoteBase::Nautical;
    entered.MINRUNWAYLENGTH =
        qint32(Format::roundHalfEven(Format::value(m_TxtMinRunwayLength->text())));
    entered.MINBASECHARGE = Format::value(m_TxtMinBaseCharge->text());
    entered.DEFAULTAIRPORT = m_TxtDefaultAirport->text();
    for (int i = 0; i < CompanyFields::Count; ++i)
        entered.company.*CompanyFields::All[i].value = m_companyFields[i]->text();
    entered.VALIDITYDAYS = m_TxtValidityDays->value();
    entered.LOGO = m_TxtLogo->text();
    entered.TERMS = m_TxtTerms->toPlainText();
    entered.MAILSUBJECT = m_TxtMailSubject->text();
    entered.MAILBODY = m_TxtMailBody->toPlainText();
    if (m_aircraftTab->defaultChoice()) // else the catalogue could not be opened
        entered.AIRCRAFT = m_aircraftTab->defaultAircraft();
    return entered;
}

QList<CatalogTable*> FrmSettings::catalogTables() const
{
    QList<CatalogTable*> tables;
    for (CatalogGrid* grid : m_catalogGrids)
        tables << &grid->model()->table();
    return tables;
}

CatalogSave::Choice FrmSettings::resolveConflict(const CatalogTable& table,
                                                 const Db::ChangeStamp& theirs)
{
    Platform::pointer().setNormal();
    const Platform::Button answer = Platform::prompter().question(
        windowTitle(), CatalogSave::conflictText(table.name(), theirs),
        Platform::Button::Yes | Platform::Button::No, Platform::Button::Yes);
    Platform::pointer().setBusy();
    return answer == Platform::Button::Yes ? CatalogSave::Choice::KeepMine
                                           : CatalogSave::Choice::TakeTheirs;
}

void FrmSettings::CmdSave_Click()
{
    // Enter (Save is the default button) and Alt+S leave the focus in its field, so
    // that field's leave rule runs now, as it does when a click takes the focus away.
    // A default airport the check refuses is not saved.
    if (QWidget* focused = QApplication::focusWidget(); focused && focused->window() == this)
        leaveField(focused, false);
    if (m_defaultAirportRefused)
        return;

    Platform::pointer().setBusy();
    // The row being edited in a catalogue grid joins the rows to save first: when the
    // engine refuses it, nothing is saved and the dialog stays open with every other
    // change still in its grid, for the operator to correct or cancel.
    // An aircraft profile that cannot be saved stops the Save the same way.
    std::optional<AircraftRefusal> refused;
    try {
        for (CatalogGrid* grid : m_catalogGrids)
            grid->writeCurrentRow();
        refused = m_aircraftTab->refusal();
    } catch (const Db::DbError& error) {
        Platform::pointer().setNormal();
        Platform::prompter().inform(Platform::Icon::Critical, ProgramTitle, errorText(error));
        return;
    }
    if (refused) {
        Platform::pointer().setNormal();
        Platform::prompter().inform(Platform::Icon::Exclamation, windowTitle(), refused->text);
        m_SSTab1->setCurrentIndex(AircraftProfilesTab);
        m_aircraftTab->focusRefused(*refused);
        return;
    }

    // Priced by the hour, a new quote needs an aircraft to price it.
    if (m_OptHourBase->isChecked() && enteredSettings().AIRCRAFT.isEmpty()) {
        Platform::pointer().setNormal();
        Platform::prompter().inform(
            Platform::Icon::Exclamation, windowTitle(),
            QStringLiteral("Quotes based on Flight Hours need a default aircraft.\r\r"
                           "Choose the default aircraft for new quotes on the Aircraft "
                           "Profiles tab, or another Quote Base."));
        m_SSTab1->setCurrentIndex(DefaultsTab);
        m_OptHourBase->setFocus(Qt::OtherFocusReason);
        return;
    }

    // The catalogues' changes are written in one transaction, each changed table first
    // checked against what other desks changed since the dialog read it. A failure
    // leaves the tables as they were and the dialog open with the operator's edits; a
    // catalogue taken from another desk is shown as it is now, and nothing is saved.
    std::unique_ptr<CatalogSave> catalogue;
    if (m_database) {
        try {
            catalogue = std::make_unique<CatalogSave>(*Db::DbEngine::instance().defaultWorkspace(),
                                                      catalogTables());
            const QList<CatalogTable*> taken =
                catalogue->write([this](const CatalogTable& table, const Db::ChangeStamp& theirs) {
                    return resolveConflict(table, theirs);
                });
            CatalogGrid* first = nullptr;
            for (CatalogGrid* grid : m_catalogGrids) {
                if (!taken.contains(&grid->model()->table()))
                    continue;
                grid->model()->reload();
                if (!first)
                    first = grid;
            }
            if (first) {
                Platform::pointer().setNormal();
                m_SSTab1->setCurrentIndex(m_focusTabs.value(first->grid(), DefaultsTab));
                first->grid()->setFocus(Qt::OtherFocusReason);
                return;
            }
        } catch (const Db::DbError& error) {
            Platform::pointer().setNormal();
            Platform::prompter().inform(Platform::Icon::Critical, ProgramTitle, errorText(error));
            return;
        }
    }

    SettingsSaveResult saved;
    try {
        AppSettings& current = appSettings();
        const AppSettings entered = enteredSettings();
        const bool basisChanged = entered.QUOTEBASE != current.QUOTEBASE;
        const bool minimumChanged = entered.MINBASECHARGE != current.MINBASECHARGE;
        // The record changes first: the main window reprices from it. The basis is
        // applied before the new minimum, so the minimum has the last word. Then the
        // catalogue is committed, and the settings file follows it, so that a crash
        // in between leaves both changes or neither to the next start.
        std::optional<Db::DbError> commitFailure;
        saved = SaveSettings(appContext().SettingsPath, current, entered, [&] {
            try {
                if (m_host)
                    m_host->applyQuoteBasis(entered.QUOTEBASE, basisChanged);
                if (minimumChanged && m_host)
                    m_host->applyMinimumBaseCharge();
                if (catalogue)
                    catalogue->commit();
                return true;
            } catch (const Db::DbError& error) {
                commitFailure = error;
                return false;
            }
        });
        if (commitFailure)
            throw *commitFailure;
        if (m_host)
            m_host->refreshAfterSettings();
        Platform::pointer().setNormal();
        reportUnsavedSettings(saved);
        accept();
    } catch (const Db::DbError& error) {
        Platform::pointer().setNormal();
        Platform::prompter().inform(Platform::Icon::Critical, ProgramTitle, errorText(error));
        // A transaction the failure left open keeps nothing half-saved.
        try {
            if (catalogue)
                catalogue->rollback();
        } catch (const Db::DbError&) {
        }
        reportUnsavedSettings(saved);
        QDialog::reject();
    }
}

void FrmSettings::reportUnsavedSettings(const SettingsSaveResult& saved)
{
    if (saved.ok)
        return;
    Platform::prompter().inform(
        Platform::Icon::Critical, windowTitle(),
        QStringLiteral("The settings could not be written to the file '%1':\r\r%2\r\r"
                       "The file was left as it was. The new settings apply until the "
                       "program ends; save them again when the file can be written.")
            .arg(QDir::toNativeSeparators(appContext().SettingsPath), saved.error));
}

void FrmSettings::CmdCancel_Click()
{
    reject();
}

void FrmSettings::reject()
{
    // The catalogues' edits were never written; they go with the dialog.
    QDialog::reject();
}
