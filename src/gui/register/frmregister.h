#pragma once

#include "core/register/keptquote.h"
#include "core/register/quoteregister.h"

#include <QAbstractTableModel>
#include <QDialog>

#include <functional>

class QComboBox;
class QDateEdit;
class QLineEdit;
class QPushButton;
class QTableView;

// The register's list as a grid: the newest revision of every number, newest first.
class RegisterModel : public QAbstractTableModel
{
    Q_OBJECT

public:
    enum Column
    {
        ColumnNumber,
        ColumnDate,
        ColumnCustomer,
        ColumnRoute,
        ColumnFinalQuote,
        ColumnStatus,
        COLUMNS
    };
    using QAbstractTableModel::QAbstractTableModel;

    void setEntries(const QList<QuoteListEntry>& entries);
    const QList<QuoteListEntry>& entries() const { return m_entries; }

    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    int columnCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation,
                        int role = Qt::DisplayRole) const override;

private:
    QList<QuoteListEntry> m_entries;
};

// The quote register: the kept quotes narrowed by a text, a status and the days they
// were made; a quote opened into the main window (as it was kept, or as its next
// revision, or as a new quote) or, when handed out, printed again as it was; its status
// changed, the list written as CSV.
class FrmRegister : public QDialog
{
    Q_OBJECT

public:
    // `open` shows a kept quote in the main window.
    FrmRegister(std::function<void(const KeptQuote&)> open, QWidget* parent = nullptr);

    RegisterModel* model() const { return m_model; }

public slots:
    void refreshList();
    void CmdOpen_Click();
    void CmdRevise_Click();
    void CmdDuplicate_Click();
    void CmdExport_Click();
    void changeStatus(QuoteStatus status);

private:
    QuoteRegister quotes() const;
    // The number of the selected line; empty when none is selected.
    QString selectedNumber() const;
    // Runs a change of the register; false after its message when it failed.
    bool tryChange(const std::function<void()>& change);
    // Opens the print window on the quote as it was handed out.
    void reprint(const KeptQuote& quote);

    std::function<void(const KeptQuote&)> m_open;
    RegisterModel* m_model = nullptr;
    QLineEdit* m_TxtRegisterFilter = nullptr;
    QComboBox* m_CboRegisterStatus = nullptr;
    QDateEdit* m_DtpRegisterFrom = nullptr;
    QDateEdit* m_DtpRegisterTo = nullptr;
    QTableView* m_GrdRegister = nullptr;
};
