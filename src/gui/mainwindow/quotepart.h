#pragma once

#include "core/settings/appsettings.h"

#include <QWidget>

class CatalogModel;
class ChargesModel;
class DataView;
class QComboBox;
class QKeyEvent;
class QLabel;
class QLineEdit;
class QPushButton;
class QTableView;
class Quote;
class QuoteSheet;
class RouteModel;

// The main window's "Q&uote" tab: the figure fields of the quote sheet, the charges
// grid, the base charge's tax and the charge per mile. The figures live in the quote
// sheet and the charges model; this part shows them and turns keys into edits.
class QuotePart : public QWidget
{
    Q_OBJECT

public:
    // The route totals are shown on the routing tab; their fields are given here so
    // that every figure of the sheet is shown by one part.
    QuotePart(Quote* quote, QLineEdit* totalNM, QLineEdit* totalSM, QWidget* parent);

    // The tab's controls are made by build(), once: the window paints its first tab
    // without waiting for them. Until then the part keeps what they are to show (the
    // catalogues, the figures, the tax, the aircraft) and they start from it.
    void build();
    bool isBuilt() const { return m_built; }

    DataView* Data2() const { return m_data2; }
    DataView* Data3() const { return m_data3; }
    CatalogModel* chargeCatalog() const { return m_chargeCatalog; }
    CatalogModel* taxList() const { return m_taxList; }
    // "NM" or "SM", as the base charge shows the route distance.
    QString milesCaption() const;

    // Read the catalogues of charges and of taxes; each throws the engine's DbError.
    void loadCharges();
    void loadTaxes();
    // Reads both catalogues again; the base charge keeps its tax while the type is
    // still there.
    void refreshCatalogues();
    // Colours that read on the theme's window colour, set again when the theme changes.
    void colourForTheme();

    // Each part of a new quote, reset in turn.
    void resetCharges();
    void resetChargePerMile();

    // After the settings were saved.
    void applyQuoteBasis(QuoteBase basis, bool basisChanged);

    // The aircraft choice: none ("") and the catalogue's profiles, `chosen` shown.
    void setAircraftNames(const QStringList& names, const QString& chosen);
    // Shows the aircraft of the quote's plan ("" for none) without choosing it again.
    void showAircraft(const QString& name);
    // The legs beyond the aircraft's range, one line each; hidden when there are none.
    void showBeyondRange(const QStringList& texts);

public slots:
    void CmdRemoveCharge_Click();
    void CmdSegTax_Click();
    void CmdQuoteMem_Click();
    void TxtChargePerMile_LostFocus();
    // Picks a tax type for the base charge by its row in the tax list; -1 for none.
    void pickBaseTax(int row);

signals:
    // One of the tab's controls took the focus: the tab comes to the front.
    void entered();
    // The operator chose another aircraft; "" for none.
    void aircraftChosen(const QString& name);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void buildLayout();
    void showSheetText(int field, const QString& text);
    void showBaseChargeCaption();
    void fillAircraft();
    void colourCaptions();
    bool TxtChargePerMile_KeyPress(QKeyEvent* event);
    bool SSDBCBTaxBaseCharge_KeyPress(QKeyEvent* event);
    bool SSDBGrid3_KeyPress(QKeyEvent* event);
    void chargesSelectionChanged();
    int visibleChargeRows() const;

    Quote* m_quote = nullptr;
    RouteModel* m_route = nullptr;
    QuoteSheet* m_sheet = nullptr;
    ChargesModel* m_charges = nullptr;
    DataView* m_data2 = nullptr;
    DataView* m_data3 = nullptr;
    CatalogModel* m_chargeCatalog = nullptr;
    CatalogModel* m_taxList = nullptr;

    // What the controls show, kept while they are not built.
    bool m_built = false;
    QString m_milesCaption;
    int m_baseTaxRow = -1;
    QStringList m_aircraftNames;
    QString m_aircraftShown;
    QStringList m_beyondRange;

    QLineEdit* m_sheetFields[12] = {};
    QComboBox* m_CboAircraft = nullptr;
    QLabel* m_LblBeyondRange = nullptr;
    QLineEdit* m_TxtDistanceCharge = nullptr;
    QLabel* m_LabelMiles = nullptr;
    QLineEdit* m_TxtChargePerMile = nullptr;
    QLabel* m_lblBaseCharge = nullptr;
    QComboBox* m_SSDBCBTaxBaseCharge = nullptr;
    QTableView* m_SSDBGrid3 = nullptr;
    QPushButton* m_CmdRemoveCharge = nullptr;
    QPushButton* m_CmdSegTax = nullptr;
    QLineEdit* m_TxtFinalQuote = nullptr;
    QLabel* m_LblFinalQuote = nullptr;
    QPushButton* m_CmdQuoteMem = nullptr;
};
