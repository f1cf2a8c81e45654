#pragma once

#include "core/quote/catalogtable.h"
#include "core/settings/companyfields.h"

#include <QDialog>
#include <QHash>
#include <QString>

#include <array>
#include <memory>
#include <vector>

class AircraftTab;
class CatalogGrid;
class QCheckBox;
class QGroupBox;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;
class QRadioButton;
class QSpinBox;
class QTabWidget;
class SettingsHost;
struct AppSettings;
struct SettingsSaveResult;

namespace Db {
class Database;
class DbError;
} // namespace Db

// The settings dialog: the defaults of a quote, the segment tax and the company
// details, kept in the settings record and its file, and the charge, tax and aircraft
// catalogues, read when the dialog opens and edited in their grids with no transaction
// held, so that the other desks of a server work on meanwhile. Save writes the
// catalogues' changes in one transaction on the engine's default workspace, after
// asking the operator about a catalogue another desk changed since; Cancel drops them.
// Nothing reaches the settings record, its file or the database before Save.
class FrmSettings : public QDialog
{
    Q_OBJECT

public:
    enum Tab
    {
        DefaultsTab = 0,
        ChargesTab = 1,
        TaxesTab = 2,
        CompanyTab = 3,
        QuotesTab = 4,
        AircraftProfilesTab = 5
    };

    explicit FrmSettings(SettingsHost* host, QWidget* parent = nullptr);
    ~FrmSettings() override;

    // The tab the dialog shows when it opens (else the Defaults tab); the Company tab
    // opens with the focus in the company's name.
    void showFirst(Tab tab) { m_firstTab = tab; }

public slots:
    void Form_Load();
    void Form_Activate();
    void CmdSave_Click();
    void CmdCancel_Click();
    // Escape and the close box end the dialog as Cancel does.
    void reject() override;

protected:
    void showEvent(QShowEvent* event) override;
    // The key rules of the numeric fields and of the default airport.
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void buildDefaultsTab(QWidget* page);
    void buildTaxesTab(QWidget* page);
    void buildCompanyTab(QWidget* page);
    void buildQuotesTab(QWidget* page);
    // Asks for the logo's image file through the platform's file chooser.
    void CmdBrowseLogo_Click();
    // The charge, tax and aircraft grids in their frames, each keeping its
    // catalogue's edits until Save.
    void buildCatalogGrids();
    // Shows the tab whenever the control receives the focus.
    void showTabOnFocus(QWidget* control, Tab tab);
    void orderTabChain();
    void focusMoved(QWidget* from, QWidget* to);
    void leaveNumber(QLineEdit* field, const QString& mask);
    // The leave rule of a field: formatting, or the default airport check.
    void leaveField(QWidget* field, bool toCancel);
    void TxtMinRunwayLength_LostFocus(bool toCancel);
    void TxtDefaultAirport_LostFocus(bool toCancel);
    void checkDefaultAirport(bool toCancel);
    void refuseDefaultAirport(const QString& text);
    void returnToDefaultAirport();
    AppSettings enteredSettings() const;
    QList<CatalogTable*> catalogTables() const;
    // The operator's answer for a catalogue another desk changed since the dialog read
    // it: keep their own rows over it, or take the other desk's.
    CatalogSave::Choice resolveConflict(const CatalogTable& table, const Db::ChangeStamp& theirs);
    // The message for settings a Save could not write; they stay pending.
    void reportUnsavedSettings(const SettingsSaveResult& saved);
    static QString errorText(const Db::DbError& error);

    SettingsHost* m_host = nullptr;
    std::shared_ptr<Db::Database> m_database; // the catalogues' database
    std::vector<CatalogGrid*> m_catalogGrids; // each takes its current row on Save
    QHash<QWidget*, int> m_focusTabs;
    bool m_returningFocus = false;
    bool m_defaultAirportRefused = false; // by the last default airport check
    Tab m_firstTab = DefaultsTab;

    QTabWidget* m_SSTab1 = nullptr;
    QGroupBox* m_chargesFrame = nullptr;
    QGroupBox* m_taxesFrame = nullptr;
    QRadioButton* m_OptNautBase = nullptr;
    QRadioButton* m_OptStatBase = nullptr;
    QRadioButton* m_OptHourBase = nullptr;
    QLineEdit* m_TxtMinRunwayLength = nullptr;
    QLineEdit* m_TxtDefaultChargeNM = nullptr;
    QLineEdit* m_TxtDefaultChargeSM = nullptr;
    QLineEdit* m_TxtMinBaseCharge = nullptr;
    QLineEdit* m_TxtDefaultAirport = nullptr;
    QCheckBox* m_ChkRoundMiles = nullptr;
    QCheckBox* m_ChkWgs84 = nullptr;
    QLineEdit* m_TxtSegTax = nullptr;
    std::array<QLineEdit*, CompanyFields::Count> m_companyFields{}; // in the table's order
    QSpinBox* m_TxtValidityDays = nullptr;
    QLineEdit* m_TxtLogo = nullptr;
    QPushButton* m_CmdBrowseLogo = nullptr;
    QPlainTextEdit* m_TxtTerms = nullptr;
    QLineEdit* m_TxtMailSubject = nullptr;
    QPlainTextEdit* m_TxtMailBody = nullptr;
    AircraftTab* m_aircraftTab = nullptr;
    QPushButton* m_CmdSave = nullptr;
    QPushButton* m_CmdCancel = nullptr;
};
