#pragma once

#include <QDialog>
#include <QString>

#include <memory>

class AirportHost;
class QCheckBox;
class QLineEdit;
class QPushButton;

namespace Db {
class Database;
class Recordset;
} // namespace Db

// A read-only view of one airport, with buttons that hand the airport to the main
// window's Modify and Delete commands. The window reads its own view of the airport
// table, so moving in it never moves the main window's list.
class FrmAirportDetails : public QDialog
{
    Q_OBJECT

public:
    // Shows the airport of the identifier, or the first airport of the list order
    // when the identifier is empty. An identifier that is not in the table, or a
    // database that cannot be read, leaves the window without an airport: it then
    // closes at once, without a message.
    FrmAirportDetails(AirportHost* host, const QString& airportId, QWidget* parent = nullptr);
    ~FrmAirportDetails() override;

    bool hasAirport() const { return m_hasAirport; }
    // The identifier shown; empty without an airport.
    QString shownId() const { return m_shownId; }

    // Returns Rejected at once when there is no airport to show.
    int exec() override;

public slots:
    void CmdModify_Click();
    void CmdDelete_Click();
    void CmdOK_Click();

protected:
    void showEvent(QShowEvent* event) override;
    // Keeps the check boxes from taking the focus or changing.
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void Form_Load(const QString& airportId);
    void showCurrentAirport();

    AirportHost* m_host = nullptr;
    std::shared_ptr<Db::Database> m_database;
    std::unique_ptr<Db::Recordset> m_airports;
    bool m_hasAirport = false;
    QString m_shownId;

    QLineEdit* m_TxtIdent = nullptr;
    QLineEdit* m_TxtAirportName = nullptr;
    QLineEdit* m_TxtState = nullptr;
    QLineEdit* m_TxtCountry = nullptr;
    QLineEdit* m_TxtElevation = nullptr;
    QLineEdit* m_TxtLatitude = nullptr;
    QLineEdit* m_TxtLongitude = nullptr;
    QLineEdit* m_TxtRwyLength = nullptr;
    QLineEdit* m_Text1 = nullptr;
    QLineEdit* m_TxtTimeZone = nullptr;
    QLineEdit* m_TxtTimeZoneName = nullptr;
    QLineEdit* m_TxtPubMil = nullptr;
    QCheckBox* m_CheckIFR = nullptr;
    QCheckBox* m_CheckCustoms = nullptr;
    QLineEdit* m_TxtFuel = nullptr;
    QLineEdit* m_TxtLights = nullptr;
    QLineEdit* m_TxtIata = nullptr;
    QLineEdit* m_TxtCity = nullptr;
    QPushButton* m_CmdModify = nullptr;
    QPushButton* m_CmdDelete = nullptr;
    QPushButton* m_CmdOK = nullptr;
};
