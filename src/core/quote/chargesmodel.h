#pragma once

#include "core/quote/chargekeys.h"

#include <QAbstractTableModel>
#include <QList>
#include <QString>

#include <functional>
#include <optional>

// One row of the charges grid, every cell a text as the grid shows it.
struct ChargeLine
{
    QString Charge;
    QString Amount;    // "#,##0.00", may begin with "-" (a discount)
    QString Number;    // whole numbers without decimals, others with two
    QString Total;     // Amount x Number
    QString Tax;       // a tax type, "Segment Tax", or empty
    QString TaxAmount; // Total x the tax type's percentage / 100

    bool isSegmentTax() const { return Tax == QLatin1String("Segment Tax"); }
    // A row to type into: no charge or no amount.
    bool isEmpty() const { return Charge.isEmpty() || Amount.isEmpty(); }
    bool operator==(const ChargeLine&) const = default;
};

// The additional charges of the quote: the rows of the charges grid with their
// computed totals and taxes, and the two running sums (all row totals, all row
// taxes) that feed the quote's total charges and total taxes.
class ChargesModel : public QAbstractTableModel
{
    Q_OBJECT

public:
    enum Column
    {
        ColumnCharge,
        ColumnAmount,
        ColumnNumber,
        ColumnTotal,
        ColumnTax,
        ColumnTaxAmount,
        COLUMNS
    };

    // The percentage of a tax type by its name (letter case ignored), or nothing
    // when the tax list holds no such type.
    using TaxLookup = std::function<std::optional<double>(const QString& type)>;

    // Starts without rows: the window fills the grid with reset() or ensureRows().
    explicit ChargesModel(QObject* parent = nullptr);

    void setTaxLookup(TaxLookup lookup) { m_taxLookup = std::move(lookup); }

    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    int columnCount(const QModelIndex& parent = QModelIndex()) const override;
    // Display texts; the grid draws the cells' styles.
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation,
                        int role = Qt::DisplayRole) const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;

    int count() const { return int(m_lines.size()); }
    // True when the cell holds a figure below zero (a discount and what follows from it).
    bool isNegative(int row, int column) const;
    // The computed columns, which the operator never types into.
    static bool isComputed(int column)
    {
        return column == ColumnTotal || column == ColumnTaxAmount;
    }
    const ChargeLine& line(int row) const { return m_lines.at(row); }

    // The running sums and their texts ("#,##0.00").
    double totalCharges() const { return m_totalCharges; }
    double totalTaxes() const { return m_totalTaxes; }
    QString totalChargesText() const;
    QString totalTaxesText() const;

    // A cell's text changed while it is edited: Amount and Number recompute the
    // row and both sums at once; Charge and Tax just take the text. The computed
    // columns and the segment tax row take nothing. A change to one row first
    // writes any other row left with unwritten changes, as the grid does when the
    // current row moves.
    void editCell(int row, int column, const QString& text);
    // An edit of a cell is committed: Amount and Number are normalised (a changed
    // text recomputes the row, so the Total follows the shown figures), then the
    // row is written.
    void commitCell(int row, int column);
    // The row is written: it becomes the row "as last written" the sums are built
    // from, and a free row is kept at the end.
    void writeRow(int row);

    // A catalogue charge picked for a row: amount, number 1, total, and its tax again.
    // Picking closes the list, so the row is written. Not on the segment tax row.
    void pickCharge(int row, const QString& description, double amount);
    // A tax type picked (or found by its first letter) for a row; the row is written.
    // Not on the segment tax row.
    void pickTax(int row, const QString& type, double percent);
    // The Delete key in the Tax cell: the row loses its tax (not on the segment tax row).
    void clearTax(int row);
    // Removes a row, taking its total and tax out of the sums; keeps enough rows
    // to fill the grid. Returns false when there is no such row.
    bool removeLine(int row, int visibleRows);

    // Appends empty rows until the grid holds `rows`.
    void ensureRows(int rows);
    // A new quote: no rows but `visibleRows` empty ones, both sums 0.
    void reset(int visibleRows);

    // Writes the segment tax row: into `row` when it is the segment tax row being
    // edited, else into the first empty row (or a new one at the end). The tax sum
    // moves by the new tax amount less the row's previous one. Returns the row.
    int saveSegmentTax(int row, const QString& chargeText, const QString& taxAmountText);

signals:
    // After every change of a sum; the window shows both (charges first).
    void sumsChanged();

private:
    bool isRow(int row) const { return row >= 0 && row < count(); }
    void recompute(int row);
    void writeRowsLeftBehind(int except);
    std::optional<double> taxPercent(const QString& type) const;
    void appendEmptyRows(int rows);
    void rowChanged(int row);
    void setSums(double charges, double taxes);

    TaxLookup m_taxLookup;
    QList<ChargeLine> m_lines;
    QList<ChargeLine> m_written; // each row as last written
    double m_totalCharges = 0;
    double m_totalTaxes = 0;
};
