#include "gui/mainwindow/quotepart.h"

#include "core/format.h"
#include "core/quote/chargesmodel.h"
#include "core/quote/pricingsettings.h"
#include "core/quote/quote.h"
#include "core/quote/quoterequest.h"
#include "core/quote/quotesheet.h"
#include "core/quote/routemodel.h"
#include "core/settings/appsettings.h"
#include "gui/appcontext.h"
#include "gui/mainwindow/catalogmodel.h"
#include "gui/mainwindow/chargesdelegate.h"
#include "gui/mainwindow/dataview.h"
#include "gui/mainwindow/dberrorbox.h"
#include "gui/platform/choicelist.h"
#include "gui/platform/colours.h"
#include "gui/quote/frmquotemem.h"
#include "gui/quote/frmsegmenttax.h"

#include <QComboBox>
#include <QFocusEvent>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTableView>
#include <QVBoxLayout>

namespace {

QLineEdit* figure(QWidget* parent, const char* name)
{
    auto* field = new QLineEdit(parent);
    field->setObjectName(QString::fromLatin1(name));
    field->setReadOnly(true);
    field->setAlignment(Qt::AlignRight);
    // Reached by mouse (to select and copy a figure), left out of the Tab chain.
    field->setFocusPolicy(Qt::ClickFocus);
    return field; // on the window's colour, set by QuotePart::colourForTheme()
}

// A caption and its field, side by side in a grid; the caption names the field for
// screen readers.
QLabel* captioned(QGridLayout* grid, int row, int column, const QString& caption, QWidget* field)
{
    auto* label = new QLabel(caption);
    label->setBuddy(field);
    QString name = caption;
    name.remove(QLatin1Char('&'));
    if (name.endsWith(QLatin1Char(':')))
        name.chop(1);
    field->setAccessibleName(name);
    grid->addWidget(label, row, column);
    grid->addWidget(field, row, column + 1);
    return label;
}

void setTextColour(QWidget* field, const QColor& colour)
{
    QPalette palette = field->palette();
    palette.setColor(QPalette::Text, colour);
    field->setPalette(palette);
}

} // namespace

QuotePart::QuotePart(Quote* quote, QLineEdit* totalNM, QLineEdit* totalSM, QWidget* parent)
    : QWidget(parent), m_quote(quote), m_route(quote->route()), m_sheet(quote->sheet()),
      m_charges(quote->charges())
{
    m_data2 = new DataView(this);
    m_data2->setObjectName(QStringLiteral("Data2"));
    m_data3 = new DataView(this);
    m_data3->setObjectName(QStringLiteral("Data3"));
    m_chargeCatalog = new CatalogModel(
        m_data2,
        {{QStringLiteral("ChargeDescription"), QStringLiteral("Charge"), QString(), false},
         {QStringLiteral("ChargeAmount"), QStringLiteral("Amount"), Format::Rate, true}},
        this);
    m_taxList = new CatalogModel(
        m_data3,
        {{QStringLiteral("TAX TYPE"), QStringLiteral("Tax Type"), QString(), false},
         {QStringLiteral("TAX %"), QStringLiteral("Tax %"), Format::Percent, false}},
        this);
    m_charges->setTaxLookup([this](const QString& type) -> std::optional<double> {
        const int row = m_taxList->find(type);
        if (row < 0)
            return std::nullopt;
        return m_taxList->stored(row, 1).toDouble();
    });
    m_milesCaption = QStringLiteral("NM"); // until the quote basis is read
    // The route totals are on the first tab: shown from the start.
    m_sheetFields[QuoteSheet::TotalNM] = totalNM;
    m_sheetFields[QuoteSheet::TotalSM] = totalSM;
    for (QuoteSheet::Field field : {QuoteSheet::TotalNM, QuoteSheet::TotalSM})
        showSheetText(field, m_sheet->text(field));
    connect(m_sheet, &QuoteSheet::textChanged, this,
            [this](QuoteSheet::Field field, const QString& text) { showSheetText(field, text); });
}

void QuotePart::build()
{
    if (m_built)
        return;
    buildLayout();
    m_built = true;
    for (int field = 0; field < QuoteSheet::FIELDS; ++field)
        showSheetText(field, m_sheet->text(QuoteSheet::Field(field)));
    showBaseChargeCaption();
    fillAircraft();
    showBeyondRange(m_beyondRange);
    m_SSDBCBTaxBaseCharge->setCurrentIndex(m_baseTaxRow);
    m_CmdSegTax->setEnabled(m_route->count() > 1);
    colourForTheme();
}

void QuotePart::buildLayout()
{
    QWidget* quote = this;

    // ---- Base Charge ----
    auto* frame6 = new QGroupBox(QStringLiteral("Base Charge"), quote);
    frame6->setObjectName(QStringLiteral("Frame6"));
    auto* base = new QGridLayout(frame6);
    // The aircraft comes first: under the hourly basis it decides the rate and the hours.
    m_CboAircraft = new QComboBox(frame6);
    m_CboAircraft->setObjectName(QStringLiteral("CboAircraft"));
    m_CboAircraft->setSizeAdjustPolicy(QComboBox::AdjustToContents);
    m_CboAircraft->installEventFilter(this);
    captioned(base, 0, 0, QStringLiteral("A&ircraft:"), m_CboAircraft);
    m_LblBeyondRange = new QLabel(frame6);
    m_LblBeyondRange->setObjectName(QStringLiteral("LblBeyondRange"));
    m_LblBeyondRange->setWordWrap(true);
    m_LblBeyondRange->hide();
    base->addWidget(m_LblBeyondRange, 1, 0, 1, 6);
    m_TxtDistanceCharge = figure(frame6, "TxtDistanceCharge");
    m_LabelMiles = new QLabel(m_milesCaption, frame6);
    m_LabelMiles->setObjectName(QStringLiteral("LabelMiles"));
    captioned(base, 2, 0, QStringLiteral("Route Distance:"), m_TxtDistanceCharge);
    base->addWidget(m_LabelMiles, 2, 2);
    m_TxtChargePerMile = new QLineEdit(frame6);
    m_TxtChargePerMile->setObjectName(QStringLiteral("TxtChargePerMile"));
    m_TxtChargePerMile->setAlignment(Qt::AlignRight);
    m_TxtChargePerMile->setMaxLength(RequestFigures::ChargePerMileLength);
    captioned(base, 2, 3, QStringLiteral("&Charge p/m:"), m_TxtChargePerMile)
        ->installEventFilter(this);
    auto* baseCharge = figure(frame6, "TxtBaseCharge");
    m_lblBaseCharge = captioned(base, 3, 0, QStringLiteral("Base Charge:"), baseCharge);
    m_lblBaseCharge->setObjectName(QStringLiteral("lblBaseCharge"));
    m_SSDBCBTaxBaseCharge = new ChoiceList(frame6);
    m_SSDBCBTaxBaseCharge->setObjectName(QStringLiteral("SSDBCBTaxBaseCharge"));
    auto* taxView = new QTableView(m_SSDBCBTaxBaseCharge);
    taxView->setSelectionBehavior(QAbstractItemView::SelectRows);
    taxView->verticalHeader()->hide();
    taxView->horizontalHeader()->setStretchLastSection(true);
    m_SSDBCBTaxBaseCharge->setView(taxView);
    m_SSDBCBTaxBaseCharge->setModel(m_taxList);
    m_SSDBCBTaxBaseCharge->setMinimumContentsLength(12);
    m_SSDBCBTaxBaseCharge->installEventFilter(this);
    captioned(base, 3, 3, QStringLiteral("Tax:"), m_SSDBCBTaxBaseCharge);
    auto* taxAmount = figure(frame6, "TxtTaxAmount");
    captioned(base, 4, 0, QStringLiteral("Tax Amount:"), taxAmount);
    auto* totalBase = figure(frame6, "TxtTotalBaseCharge");
    captioned(base, 4, 3, QStringLiteral("Total Base Charge:"), totalBase);
    base->setColumnStretch(1, 1);
    base->setColumnStretch(4, 1);

    // ---- Additional Charges ----
    auto* frame7 = new QGroupBox(QStringLiteral("Additional Charges"), quote);
    frame7->setObjectName(QStringLiteral("Frame7"));
    m_SSDBGrid3 = new QTableView(frame7);
    m_SSDBGrid3->setObjectName(QStringLiteral("SSDBGrid3"));
    m_SSDBGrid3->setAccessibleName(QStringLiteral("Additional Charges"));
    m_SSDBGrid3->setModel(m_charges);
    m_SSDBGrid3->setItemDelegate(
        new ChargesDelegate(m_charges, m_chargeCatalog, m_taxList, m_SSDBGrid3));
    m_SSDBGrid3->setSelectionBehavior(QAbstractItemView::SelectItems);
    m_SSDBGrid3->setSelectionMode(QAbstractItemView::SingleSelection);
    m_SSDBGrid3->setEditTriggers(
        QAbstractItemView::AnyKeyPressed | QAbstractItemView::DoubleClicked |
        QAbstractItemView::SelectedClicked | QAbstractItemView::EditKeyPressed);
    m_SSDBGrid3->setTabKeyNavigation(false);
    m_SSDBGrid3->verticalHeader()->setDefaultSectionSize(m_SSDBGrid3->fontMetrics().height() + 8);
    // The charge takes the room the figures leave; each figure column fits the widest
    // figure it can show, and the tax column the longest tax type name.
    QHeaderView* columns = m_SSDBGrid3->horizontalHeader();
    columns->setSectionResizeMode(ChargesModel::ColumnCharge, QHeaderView::Stretch);
    const QFontMetrics metrics = m_SSDBGrid3->fontMetrics();
    const auto fit = [&](int column, const QString& widest) {
        const int width = qMax(m_SSDBGrid3->horizontalHeader()->sectionSizeHint(column),
                               metrics.horizontalAdvance(widest) + 16);
        m_SSDBGrid3->setColumnWidth(column, width);
    };
    fit(ChargesModel::ColumnAmount, Format::number(-99999.99, Format::Money));
    fit(ChargesModel::ColumnNumber, QStringLiteral("9999"));
    fit(ChargesModel::ColumnTotal, Format::number(-999999999.99, Format::Money));
    fit(ChargesModel::ColumnTax, QStringLiteral("Segment Tax"));
    fit(ChargesModel::ColumnTaxAmount, Format::number(-99999999.99, Format::Money));
    m_SSDBGrid3->installEventFilter(this);
    auto* totAdd = figure(frame7, "TxtTotAddCharges");
    auto* totTaxAdd = figure(frame7, "TxtTotTaxAddCharges");
    m_CmdRemoveCharge = new QPushButton(QStringLiteral("Rem&ove"), frame7);
    m_CmdRemoveCharge->setObjectName(QStringLiteral("CmdRemoveCharge"));
    m_CmdRemoveCharge->setToolTip(
        QStringLiteral("Removes the selected row from the Additional Charges list"));
    m_CmdRemoveCharge->setEnabled(false);
    m_CmdSegTax = new QPushButton(QStringLiteral("&Segment Tax"), frame7);
    m_CmdSegTax->setObjectName(QStringLiteral("CmdSegTax"));
    m_CmdSegTax->setToolTip(QStringLiteral("Add Passenger Segment Tax"));
    m_CmdSegTax->setEnabled(false);
    auto* sums = new QGridLayout;
    captioned(sums, 0, 0, QStringLiteral("Charges:"), totAdd);
    captioned(sums, 0, 2, QStringLiteral("Taxes:"), totTaxAdd);
    sums->addWidget(m_CmdRemoveCharge, 0, 4);
    sums->addWidget(m_CmdSegTax, 0, 5);
    auto* charges = new QVBoxLayout(frame7);
    charges->addWidget(m_SSDBGrid3, 1);
    charges->addLayout(sums);

    // ---- Final Quote ----
    auto* frame8 = new QGroupBox(QStringLiteral("Final Quote"), quote);
    frame8->setObjectName(QStringLiteral("Frame8"));
    auto* totals = new QGridLayout(frame8);
    auto* totalCharges = figure(frame8, "TxtTotalCharges");
    captioned(totals, 0, 0, QStringLiteral("Total Charges:"), totalCharges);
    auto* totalTaxes = figure(frame8, "TxtTotalTaxes");
    captioned(totals, 0, 2, QStringLiteral("Total Taxes:"), totalTaxes);
    m_TxtFinalQuote = figure(frame8, "TxtFinalQuote");
    QLabel* finalCaption = captioned(totals, 0, 4, QStringLiteral("Final Quote:"), m_TxtFinalQuote);
    QFont bold = finalCaption->font();
    bold.setBold(true);
    finalCaption->setFont(bold);
    finalCaption->setObjectName(QStringLiteral("LblFinalQuote"));
    m_LblFinalQuote = finalCaption;
    m_TxtFinalQuote->setFont(bold);
    m_CmdQuoteMem = new QPushButton(QStringLiteral("&M"), frame8);
    m_CmdQuoteMem->setObjectName(QStringLiteral("CmdQuoteMem"));
    m_CmdQuoteMem->setToolTip(QStringLiteral("Click to Display Quote Memory"));
    m_CmdQuoteMem->setAccessibleName(QStringLiteral("Quote Memory"));
    m_CmdQuoteMem->setFont(bold);
    totals->addWidget(m_CmdQuoteMem, 0, 6);

    auto* layout = new QVBoxLayout(quote);
    layout->addWidget(frame6);
    layout->addWidget(frame7, 1);
    layout->addWidget(frame8);

    // A control that receives the focus brings the tab to the front.
    for (QWidget* w :
         {static_cast<QWidget*>(m_CmdQuoteMem), static_cast<QWidget*>(m_TxtChargePerMile),
          static_cast<QWidget*>(m_SSDBGrid3), static_cast<QWidget*>(m_TxtDistanceCharge),
          static_cast<QWidget*>(m_TxtFinalQuote), static_cast<QWidget*>(m_CboAircraft)})
        w->installEventFilter(this);

    m_sheetFields[QuoteSheet::DistanceCharge] = m_TxtDistanceCharge;
    m_sheetFields[QuoteSheet::ChargePerMile] = m_TxtChargePerMile;
    m_sheetFields[QuoteSheet::BaseCharge] = baseCharge;
    m_sheetFields[QuoteSheet::TaxAmount] = taxAmount;
    m_sheetFields[QuoteSheet::TotalBaseCharge] = totalBase;
    m_sheetFields[QuoteSheet::TotAddCharges] = totAdd;
    m_sheetFields[QuoteSheet::TotTaxAddCharges] = totTaxAdd;
    m_sheetFields[QuoteSheet::TotalCharges] = totalCharges;
    m_sheetFields[QuoteSheet::TotalTaxes] = totalTaxes;
    m_sheetFields[QuoteSheet::FinalQuote] = m_TxtFinalQuote;

    connect(m_sheet, &QuoteSheet::baseChargeCaptionChanged, this,
            &QuotePart::showBaseChargeCaption);
    connect(m_TxtChargePerMile, &QLineEdit::textEdited, this,
            [this](const QString& text) { m_sheet->setText(QuoteSheet::ChargePerMile, text); });
    m_TxtChargePerMile->installEventFilter(this);
    connect(m_SSDBCBTaxBaseCharge, &QComboBox::activated, this, &QuotePart::pickBaseTax);
    connect(m_CboAircraft, &QComboBox::currentTextChanged, this, [this](const QString& name) {
        if (!m_CboAircraft->signalsBlocked())
            emit aircraftChosen(name);
    });
    connect(m_SSDBGrid3->selectionModel(), &QItemSelectionModel::currentChanged, this,
            &QuotePart::chargesSelectionChanged);
    connect(m_SSDBGrid3->selectionModel(), &QItemSelectionModel::selectionChanged, this,
            &QuotePart::chargesSelectionChanged);
    connect(m_CmdRemoveCharge, &QPushButton::clicked, this, &QuotePart::CmdRemoveCharge_Click);
    connect(m_CmdSegTax, &QPushButton::clicked, this, &QuotePart::CmdSegTax_Click);
    connect(m_CmdQuoteMem, &QPushButton::clicked, this, &QuotePart::CmdQuoteMem_Click);
    connect(m_route, &RouteModel::totalsChanged, this,
            [this] { m_CmdSegTax->setEnabled(m_route->count() > 1); });
}

void QuotePart::showBaseChargeCaption()
{
    m_lblBaseCharge->setText(m_sheet->baseChargeCaption());
    QFont font = m_lblBaseCharge->font();
    font.setBold(m_sheet->isMinimumCharge());
    m_lblBaseCharge->setFont(font);
    colourCaptions();
}

void QuotePart::showSheetText(int field, const QString& text)
{
    QLineEdit* widget = m_sheetFields[field];
    if (!widget)
        return;
    if (widget->text() != text)
        widget->setText(text);
    const bool negative = m_sheet->isNegative(QuoteSheet::Field(field));
    // The figures of the quote tab lie on the window's colour; the theme's own text
    // colour reads there, dark red and dark blue are made to.
    const QPalette theme = window()->palette();
    const QColor background = theme.color(QPalette::Window);
    switch (field) {
    case QuoteSheet::TotAddCharges:
    case QuoteSheet::TotTaxAddCharges:
    case QuoteSheet::TotalCharges:
    case QuoteSheet::TotalTaxes:
        setTextColour(widget, negative ? Colours::readableOn(Colours::DarkRed, {background})
                                       : theme.color(QPalette::Text));
        break;
    case QuoteSheet::FinalQuote:
        setTextColour(widget, Colours::readableOn(negative ? Colours::DarkRed : Colours::DarkBlue,
                                                  {background}));
        break;
    default:
        break;
    }
}

// "Final Quote:" and the minimum charge's caption stand out in bold dark blue.
void QuotePart::colourCaptions()
{
    const QPalette theme = window()->palette();
    const QColor blue = Colours::readableOn(Colours::DarkBlue, {theme.color(QPalette::Window)});
    const auto colour = [](QLabel* label, const QColor& text) {
        QPalette own = label->palette();
        own.setColor(QPalette::WindowText, text);
        label->setPalette(own);
    };
    colour(m_LblFinalQuote, blue);
    colour(m_LblBeyondRange,
           Colours::readableOn(Colours::DarkRed, {theme.color(QPalette::Window)}));
    colour(m_lblBaseCharge, m_sheet->isMinimumCharge() ? blue : theme.color(QPalette::WindowText));
}

QString QuotePart::milesCaption() const
{
    return m_milesCaption;
}

void QuotePart::loadCharges()
{
    m_data2->setDatabaseName(appContext().DatabasePath);
    m_data2->setChargeList();
    m_data2->Refresh();
}

void QuotePart::loadTaxes()
{
    m_data3->setDatabaseName(appContext().DatabasePath);
    m_data3->setTaxList();
    m_data3->Refresh();
    pickBaseTax(-1); // a filled list must not look like a chosen tax
}

void QuotePart::refreshCatalogues()
{
    const QString tax = m_sheet->baseTaxType();
    m_data2->Refresh();
    m_data3->Refresh();
    // The base charge keeps its tax when the type is still in the catalogue, at the
    // catalogue's percentage; a deleted type no longer applies.
    pickBaseTax(tax.isEmpty() ? -1 : m_taxList->find(tax));
}

void QuotePart::resetCharges()
{
    // Empty rows to fill the grid, both sums back to 0.
    m_charges->reset(visibleChargeRows());
    if (isBuilt())
        m_CmdRemoveCharge->setEnabled(false);
}

void QuotePart::resetChargePerMile()
{
    m_milesCaption = SettingsText::quoteBase(appSettings().QUOTEBASE);
    if (isBuilt())
        m_LabelMiles->setText(m_milesCaption);
    m_sheet->resetChargePerMile();
}

void QuotePart::applyQuoteBasis(QuoteBase basis, bool basisChanged)
{
    // Every Save comes here, with the record already holding what was saved.
    m_quote->setPricingSettings(PricingSettings::from(appSettings()));
    m_milesCaption = SettingsText::quoteBase(basis);
    if (isBuilt())
        m_LabelMiles->setText(m_milesCaption);
    m_sheet->repriceDistance();
    // A charge per mile the operator typed stays, unless the basis itself changed.
    if (basisChanged)
        m_sheet->resetChargePerMile();
}

void QuotePart::colourForTheme()
{
    if (!isBuilt())
        return; // coloured when built
    for (int field = 0; field < QuoteSheet::FIELDS; ++field) {
        QLineEdit* widget = m_sheetFields[field];
        if (!widget || widget == m_TxtChargePerMile || field == QuoteSheet::TotalNM ||
            field == QuoteSheet::TotalSM)
            continue;
        QPalette own = widget->palette();
        own.setColor(QPalette::Base, window()->palette().color(QPalette::Window));
        widget->setPalette(own);
        showSheetText(field, widget->text());
    }
    colourCaptions();
}

int QuotePart::visibleChargeRows() const
{
    if (!isBuilt())
        return 8;
    const int rowHeight = qMax(1, m_SSDBGrid3->verticalHeader()->defaultSectionSize());
    return qMax(8, m_SSDBGrid3->viewport()->height() / rowHeight);
}

bool QuotePart::TxtChargePerMile_KeyPress(QKeyEvent* event)
{
    const QString text = event->text();
    if (text.size() != 1 || !text.at(0).isPrint())
        return false;
    const QChar typed = text.at(0);
    if (typed.isDigit() && typed.unicode() < 128)
        return false;
    // One decimal point, the user's, typed by "." and "," alike.
    const QString point = Format::NumberSymbols::current().decimalPoint;
    const QString current = m_TxtChargePerMile->text();
    const QString selected = m_TxtChargePerMile->selectedText();
    if (Format::decimalKey(text) == point &&
        (!current.contains(point) || selected.contains(point))) {
        if (text == point)
            return false;
        m_TxtChargePerMile->insert(point);
        return true;
    }
    return true; // a rate is never negative
}

void QuotePart::TxtChargePerMile_LostFocus()
{
    const QString text = m_TxtChargePerMile->text();
    if (text == Format::NumberSymbols::current().decimalPoint)
        return;
    const QString shown = Format::number(Format::value(text), Format::Rate);
    m_TxtChargePerMile->setText(shown);
    m_sheet->setText(QuoteSheet::ChargePerMile, shown);
}

void QuotePart::pickBaseTax(int row)
{
    m_baseTaxRow = row;
    if (isBuilt())
        m_SSDBCBTaxBaseCharge->setCurrentIndex(row);
    if (row < 0) {
        m_sheet->setBaseTax(QString(), std::nullopt);
        return;
    }
    const QVariant percent = m_taxList->stored(row, 1);
    m_sheet->setBaseTax(m_taxList->stored(row, 0).toString(),
                        percent.isNull() ? std::nullopt
                                         : std::optional<double>(percent.toDouble()));
}

bool QuotePart::SSDBCBTaxBaseCharge_KeyPress(QKeyEvent* event)
{
    if (event->key() == Qt::Key_Delete || event->key() == Qt::Key_Backspace) {
        pickBaseTax(-1);
        return true;
    }
    const QString text = event->text();
    if (text.size() != 1 || !text.at(0).isPrint())
        return false;
    const QChar typed = text.at(0);
    if (typed == QLatin1Char('[') || typed == QLatin1Char('\'') || typed == QLatin1Char(']'))
        return true;
    try {
        const int row = m_taxList->findFirstLetter(typed);
        if (row >= 0)
            pickBaseTax(row);
    } catch (const Db::DbError& error) {
        showDbError(window()->windowTitle(), error);
    }
    return true;
}

bool QuotePart::SSDBGrid3_KeyPress(QKeyEvent* event)
{
    const QModelIndex current = m_SSDBGrid3->currentIndex();
    if (!current.isValid()) // keys reach the grid itself only while no cell is edited
        return false;
    const int row = current.row();
    const bool segmentRow = m_charges->line(row).isSegmentTax();
    const QString text = event->text();
    if (current.column() == ChargesModel::ColumnTax) {
        if (event->key() == Qt::Key_Delete || event->key() == Qt::Key_Backspace) {
            m_charges->clearTax(row);
            return true;
        }
        if (text.size() == 1 && text.at(0).isPrint()) {
            const QChar typed = text.at(0);
            if (segmentRow || typed == QLatin1Char('[') || typed == QLatin1Char('\'') ||
                typed == QLatin1Char(']'))
                return true;
            try {
                const int tax = m_taxList->findFirstLetter(typed);
                if (tax >= 0) {
                    m_charges->pickTax(row, m_taxList->stored(tax, 0).toString(),
                                       m_taxList->stored(tax, 1).toDouble());
                    m_charges->writeRow(row);
                }
            } catch (const Db::DbError& error) {
                showDbError(window()->windowTitle(), error);
            }
            return true;
        }
        return false;
    }
    if (event->key() == Qt::Key_Delete && current.column() == ChargesModel::ColumnCharge &&
        segmentRow)
        return true;
    return false;
}

void QuotePart::chargesSelectionChanged()
{
    const QModelIndex current = m_SSDBGrid3->currentIndex();
    bool enable = false;
    if (current.isValid() && m_SSDBGrid3->selectionModel()->hasSelection()) {
        const ChargeLine& line = m_charges->line(current.row());
        enable = !line.Number.isEmpty() || !line.Charge.isEmpty() || !line.Amount.isEmpty();
    }
    m_CmdRemoveCharge->setEnabled(enable);
}

void QuotePart::CmdRemoveCharge_Click()
{
    const QModelIndexList selected = m_SSDBGrid3->selectionModel()->selectedIndexes();
    if (selected.isEmpty())
        return;
    m_charges->removeLine(selected.first().row(), visibleChargeRows());
    m_SSDBGrid3->clearSelection();
    m_CmdRemoveCharge->setEnabled(false);
}

void QuotePart::CmdSegTax_Click()
{
    const QModelIndex current = m_SSDBGrid3->currentIndex();
    const bool onSegmentRow = current.isValid() && m_charges->line(current.row()).isSegmentTax();
    FrmSegmentTax dialog(appSettings().SEGMENTTAX, m_route->passengerLegs(),
                         onSegmentRow ? m_charges->line(current.row()).Charge : QString(),
                         window());
    dialog.exec();
    if (!dialog.isSaved())
        return;
    const int row = m_charges->saveSegmentTax(onSegmentRow ? current.row() : -1,
                                              dialog.chargeText(), dialog.totalText());
    m_SSDBGrid3->setCurrentIndex(m_charges->index(row, ChargesModel::ColumnTaxAmount));
}

void QuotePart::CmdQuoteMem_Click()
{
    Platform::pointer().setBusy();
    FrmQuoteMem memory(m_sheet->text(QuoteSheet::FinalQuote), window());
    memory.exec();
}

bool QuotePart::eventFilter(QObject* watched, QEvent* event)
{
    switch (event->type()) {
    case QEvent::Shortcut:
        // The access key of "Charge p/m" selects the rate, even from inside it.
        if (auto* caption = qobject_cast<QLabel*>(watched);
            caption && caption->buddy() == m_TxtChargePerMile) {
            m_TxtChargePerMile->setFocus(Qt::ShortcutFocusReason);
            m_TxtChargePerMile->selectAll();
            return true;
        }
        break;
    case QEvent::FocusIn:
        if (watched == m_TxtChargePerMile) {
            // Reached by a key (Tab, its access key, or its tab brought forward), the
            // rate is selected: what is typed replaces it. A click places the caret, and
            // coming back from a menu or another window leaves it where it was.
            const Qt::FocusReason reason = static_cast<QFocusEvent*>(event)->reason();
            if (reason != Qt::MouseFocusReason && reason != Qt::ActiveWindowFocusReason &&
                reason != Qt::PopupFocusReason && reason != Qt::MenuBarFocusReason)
                m_TxtChargePerMile->selectAll();
        }
        if (watched == m_CmdQuoteMem || watched == m_TxtChargePerMile || watched == m_SSDBGrid3 ||
            watched == m_TxtDistanceCharge || watched == m_TxtFinalQuote ||
            watched == m_CboAircraft)
            emit entered();
        break;
    case QEvent::FocusOut:
        if (watched == m_TxtChargePerMile)
            TxtChargePerMile_LostFocus();
        break;
    case QEvent::KeyPress: {
        auto* key = static_cast<QKeyEvent*>(event);
        if (watched == m_TxtChargePerMile)
            return TxtChargePerMile_KeyPress(key);
        if (watched == m_SSDBCBTaxBaseCharge)
            return SSDBCBTaxBaseCharge_KeyPress(key);
        if (watched == m_SSDBGrid3)
            return SSDBGrid3_KeyPress(key);
        break;
    }
    default:
        break;
    }
    return QWidget::eventFilter(watched, event);
}
