#pragma once

#include "core/airports/airportentry.h"

#include "core/airports/airportrecord.h"
#include "core/db/changestamp.h"
#include "gui/airports/coordinateentry.h"

#include <QDialog>
#include <QString>

#include <memory>

class AirportHost;
class QCheckBox;
class QComboBox;
class QLineEdit;
class QPushButton;
struct AirportWrite;

namespace Db {
class DbError;
class Recordset;
class Transaction;
class Workspace;
} // namespace Db

// The airport editor's one layout, shared by the add and the modify window: the
// fields with their keystroke filters, what happens when a field is left, the
// identifier check and the validation of Save. What Save then writes, and when the
// transaction starts, is up to the window.
class AirportEditor : public QDialog
{
    Q_OBJECT

public:
    ~AirportEditor() override;

public slots:
    void CmdSave_Click();
    void CmdCancel_Click();

protected:
    AirportEditor(AirportHost* host, const QString& objectName, const QString& caption,
                  QWidget* parent);

    // Writes the validated entry; a failure is reported with reportSaveFailure().
    virtual void save() = 0;
    // Whether leaving the identifier field asks the database about this identifier.
    virtual bool checksIdentifier(const QString& id) const;

    // Every column as entered. Throws the engine's TypeMismatch for a number field
    // that does not read (a text set by the program, never left by the operator).
    AirportRecord enteredRecord() const;
    void showRecord(const AirportRecord& record);
    // The critical message of a Save that failed; `rolledBack` when nothing was kept.
    void reportSaveFailure(const Db::DbError& error, bool rolledBack);
    static Db::Workspace& workspace();
    AirportHost* host() const { return m_host; }

    void done(int result) override;
    bool eventFilter(QObject* watched, QEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void paintEvent(QPaintEvent* event) override;

    QLineEdit* m_TxtIdent = nullptr;
    QLineEdit* m_TxtAirportName = nullptr;
    CoordinateEntry* m_TxtLatitude = nullptr;
    CoordinateEntry* m_TxtLongitude = nullptr;
    QLineEdit* m_TxtState = nullptr;
    QLineEdit* m_TxtCountry = nullptr;
    QLineEdit* m_TxtElevation = nullptr;
    QCheckBox* m_CheckIFR = nullptr;
    QCheckBox* m_CheckCustoms = nullptr;
    QLineEdit* m_TxtRwyLength = nullptr;
    QLineEdit* m_TxtTimeZone = nullptr;
    QComboBox* m_CBTimeZoneName = nullptr;
    QLineEdit* m_TxtRwyWidth = nullptr;
    QComboBox* m_CBPubMil = nullptr;
    QComboBox* m_SSDBCBFuel = nullptr;
    QComboBox* m_SSDBCBLights = nullptr;
    QLineEdit* m_TxtIata = nullptr;
    QLineEdit* m_TxtCity = nullptr;
    QPushButton* m_CmdSave = nullptr;
    QPushButton* m_CmdCancel = nullptr;

private:
    void buildLayout();
    // What the fields hold, for the entry rules.
    AirportEntry entry() const;
    bool validate();
    void focusMoved(QWidget* from, QWidget* to);
    void TxtIdent_LostFocus(bool toCancel);
    void TxtTimeZone_LostFocus(bool toCancel);
    static void rewriteWholeNumber(QLineEdit* field);
    bool refuseKey(const QLineEdit* field, const QString& typed) const;
    // Puts the focus back into a field that refused to be left.
    void keepFocusIn(QWidget* field);

    AirportHost* m_host;
    bool m_returningFocus = false;
};

// "Add Airport": opens empty (N and W in the coordinate entries); Save adds the
// airport in a transaction of its own and refreshes the main window's list.
class FrmAddAirport : public AirportEditor
{
    Q_OBJECT

public:
    explicit FrmAddAirport(AirportHost* host, QWidget* parent = nullptr);

protected:
    void save() override;
};

// "Modify Airport": filled by the opening command, then, once shown, filled again from
// the airport as it is now, with its stamp. On a file it then holds a transaction on
// the airport workspace for as long as it is open; on a server, shared by several
// desks, Save writes in a transaction of its own (EditSessionHoldsTransaction). Save
// updates the airport unless another desk changed it since it was read (then it asks
// whose values win) or deleted it, commits and brings the main window's list and
// route up to date; Cancel or any other way of closing rolls back.
class FrmModAirport : public AirportEditor
{
    Q_OBJECT

public:
    FrmModAirport(AirportHost* host, const QString& id, QWidget* parent = nullptr);
    ~FrmModAirport() override;

    void fill(const AirportRecord& record);
    // Fills the window from the airport list's current row. An elevation, runway length
    // or width that is missing, or that its field cannot hold, leaves the field empty:
    // Save then asks for a required one instead of writing a value nobody entered.
    void fill(const Db::Recordset& row);
    QString airportId() const { return m_id; }
    bool isTransactionPending() const;

public slots:
    // Runs once per opening: takes the opening texts and starts the edit session.
    void Form_Activate();

protected:
    void save() override;
    bool checksIdentifier(const QString& id) const override;
    void done(int result) override;
    void showEvent(QShowEvent* event) override;

private:
    // Another desk changed or deleted the airport since it was read: the operator's
    // values over theirs, or theirs shown again.
    void resolveConflict(const AirportWrite& found);
    // Fills the window from the airport as it is now, and takes its stamp; says so when
    // it is no longer there.
    void reload(Db::Workspace& workspace);

    QString m_id;
    bool m_activated = false;
    // From the opening read until a Save fails.
    bool m_sessionOpen = false;
    // The stamp of the airport the fields were filled from.
    Db::ChangeStamp m_stamp;
    std::unique_ptr<Db::Transaction> m_transaction;
    // Why the edit session ended without closing the window; Save reports it again.
    std::unique_ptr<Db::DbError> m_failure;
    QString m_openingId;
    QString m_openingName;
    QString m_openingLatitude;
    QString m_openingLongitude;
};
