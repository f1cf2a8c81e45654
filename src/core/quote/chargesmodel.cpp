#include "core/quote/chargesmodel.h"

#include "core/format.h"

#include <algorithm>
#include <cmath>

namespace {

const char* const Captions[ChargesModel::COLUMNS] = {
    "Charge", "Amount", "Number", "Total", "Tax", "Tax Amount",
};

const QString SegmentTax = QStringLiteral("Segment Tax");

// Typing limits of the Charge, Amount and Number columns.

// The separators of the user's number format: the "." of the key rules is the
// decimal point, the "," the digit grouping.
Format::NumberSymbols symbols()
{
    return Format::NumberSymbols::current();
}

bool isNegative(const QString& text)
{
    return text.startsWith(u'-') || text.startsWith(symbols().negativeSign);
}

// A figure of a cell: its thousands separators removed, and the transient texts
// "", "." and "-" of an edit counting as no value.
std::optional<double> cellValue(const QString& text)
{
    const Format::NumberSymbols s = symbols();
    if (text.isEmpty() || text == s.decimalPoint || text == u"-" || text == s.negativeSign)
        return std::nullopt;
    QString plain = text;
    plain.remove(s.groupSeparator);
    return Format::read(plain);
}

double valueOf(const QString& text)
{
    return cellValue(text).value_or(0);
}

// The cell of a column, for reading and for writing.
template <typename Line> auto& cell(Line& line, int column)
{
    switch (column) {
    case ChargesModel::ColumnCharge:
        return line.Charge;
    case ChargesModel::ColumnAmount:
        return line.Amount;
    case ChargesModel::ColumnNumber:
        return line.Number;
    case ChargesModel::ColumnTotal:
        return line.Total;
    case ChargesModel::ColumnTax:
        return line.Tax;
    default:
        return line.TaxAmount;
    }
}

} // namespace

ChargesModel::ChargesModel(QObject* parent) : QAbstractTableModel(parent) {}

int ChargesModel::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : count();
}

int ChargesModel::columnCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : COLUMNS;
}

QVariant ChargesModel::data(const QModelIndex& index, int role) const
{
    if (!index.isValid() || !checkIndex(index, CheckIndexOption::IndexIsValid))
        return {};
    const ChargeLine& row = m_lines.at(index.row());
    const int column = index.column();
    const bool computed = isComputed(column);
    switch (role) {
    case Qt::DisplayRole:
    case Qt::EditRole:
    case Qt::AccessibleTextRole:
        return cell(row, column);
    case Qt::TextAlignmentRole:
        // Figures stand right-aligned, so their decimals line up.
        if (column == ColumnAmount || column == ColumnNumber || computed)
            return int(Qt::AlignRight | Qt::AlignVCenter);
        return {};
    default:
        return {};
    }
}

bool ChargesModel::isNegative(int row, int column) const
{
    return isRow(row) && column >= 0 && column < COLUMNS &&
           ::isNegative(cell(m_lines.at(row), column));
}

QVariant ChargesModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation == Qt::Horizontal && role == Qt::DisplayRole && section >= 0 &&
        section < COLUMNS)
        return QString::fromLatin1(Captions[section]);
    return QAbstractTableModel::headerData(section, orientation, role);
}

Qt::ItemFlags ChargesModel::flags(const QModelIndex& index) const
{
    if (!index.isValid() || !checkIndex(index, CheckIndexOption::IndexIsValid))
        return Qt::NoItemFlags;
    const Qt::ItemFlags flags = Qt::ItemIsEnabled | Qt::ItemIsSelectable;
    const int column = index.column();
    if (column == ColumnTotal || column == ColumnTaxAmount ||
        m_lines.at(index.row()).isSegmentTax())
        return flags;
    return flags | Qt::ItemIsEditable;
}

QString ChargesModel::totalChargesText() const
{
    return Format::number(m_totalCharges, Format::Money);
}

QString ChargesModel::totalTaxesText() const
{
    return Format::number(m_totalTaxes, Format::Money);
}

void ChargesModel::editCell(int row, int column, const QString& text)
{
    if (!isRow(row) || column < 0 || column >= COLUMNS || column == ColumnTotal ||
        column == ColumnTaxAmount || m_lines.at(row).isSegmentTax())
        return;
    writeRowsLeftBehind(row);
    QString& target = cell(m_lines[row], column);
    if (target == text)
        return;
    target = text;
    // Deleting the first digit of a formatted amount leaves its grouping separator
    // in front.
    if (column == ColumnAmount && target.startsWith(symbols().groupSeparator))
        target.remove(0, symbols().groupSeparator.size());
    if (column == ColumnAmount || column == ColumnNumber)
        recompute(row);
    else
        rowChanged(row);
}

void ChargesModel::commitCell(int row, int column)
{
    if (!isRow(row))
        return;
    writeRowsLeftBehind(row);
    ChargeLine& line = m_lines[row];
    const Format::NumberSymbols s = symbols();
    bool changed = false;
    if (column == ColumnAmount) {
        QString amount = line.Amount;
        if (amount == s.decimalPoint || amount == u"-" || amount == s.negativeSign)
            amount.clear();
        if (!amount.isEmpty())
            amount = Format::number(valueOf(amount), Format::Money);
        changed = amount != line.Amount;
        line.Amount = amount;
    } else if (column == ColumnNumber) {
        QString number = line.Number;
        if (number == s.decimalPoint)
            number.clear();
        else if (number.contains(s.decimalPoint)) {
            const double value = valueOf(number);
            number = Format::number(value, value == std::floor(value) ? QStringLiteral("0")
                                                                      : Format::Rate);
        }
        changed = number != line.Number;
        line.Number = number;
    }
    // The Total is computed from the figures as they are shown: 1234.567 shows as
    // 1,234.57 and three of them cost 3,703.71, not 3,703.70. Emptying "." or "-"
    // recomputes the same way, which empties the Total when no figure is left.
    if (changed)
        recompute(row);
    writeRow(row);
}

void ChargesModel::writeRow(int row)
{
    if (!isRow(row))
        return;
    m_written[row] = m_lines.at(row);
    // The segment tax row has no amount but is no row to type into.
    const bool free = std::any_of(m_lines.cbegin(), m_lines.cend(), [](const ChargeLine& line) {
        return line.isEmpty() && !line.isSegmentTax();
    });
    if (!free)
        appendEmptyRows(1);
}

void ChargesModel::pickCharge(int row, const QString& description, double amount)
{
    if (!isRow(row) || m_lines.at(row).isSegmentTax())
        return;
    writeRowsLeftBehind(row);
    ChargeLine& line = m_lines[row];
    const double previousTotal = valueOf(line.Total);
    const double previousTax = valueOf(line.TaxAmount);
    line.Charge = description;
    line.Amount = Format::number(amount, Format::Money);
    line.Number = QStringLiteral("1");
    line.Total = Format::number(valueOf(line.Amount) * valueOf(line.Number), Format::Money);
    double taxes = m_totalTaxes;
    if (!line.Tax.isEmpty()) {
        if (const std::optional<double> percent = taxPercent(line.Tax)) {
            line.TaxAmount = Format::number(valueOf(line.Total) * *percent / 100, Format::Money);
        } else {
            line.Tax.clear();
            line.TaxAmount.clear();
        }
        taxes += valueOf(line.TaxAmount) - previousTax;
    }
    rowChanged(row);
    setSums(m_totalCharges + valueOf(line.Total) - previousTotal, taxes);
    writeRow(row);
}

void ChargesModel::pickTax(int row, const QString& type, double percent)
{
    if (!isRow(row) || m_lines.at(row).isSegmentTax())
        return;
    writeRowsLeftBehind(row);
    ChargeLine& line = m_lines[row];
    const double previousTax = valueOf(line.TaxAmount);
    line.Tax = type;
    line.TaxAmount = Format::number(valueOf(line.Total) * percent / 100, Format::Money);
    rowChanged(row);
    setSums(m_totalCharges, m_totalTaxes + valueOf(line.TaxAmount) - previousTax);
    writeRow(row);
}

void ChargesModel::clearTax(int row)
{
    if (!isRow(row) || m_lines.at(row).isSegmentTax())
        return;
    writeRowsLeftBehind(row);
    ChargeLine& line = m_lines[row];
    if (line.Tax.isEmpty() && line.TaxAmount.isEmpty())
        return;
    const double taxes = m_totalTaxes - valueOf(line.TaxAmount);
    line.Tax.clear();
    line.TaxAmount.clear();
    rowChanged(row);
    setSums(m_totalCharges, taxes);
}

bool ChargesModel::removeLine(int row, int visibleRows)
{
    if (!isRow(row))
        return false;
    writeRowsLeftBehind(row);
    const double charges = m_totalCharges - valueOf(m_lines.at(row).Total);
    const double taxes = m_totalTaxes - valueOf(m_lines.at(row).TaxAmount);
    beginRemoveRows(QModelIndex(), row, row);
    m_lines.removeAt(row);
    m_written.removeAt(row);
    endRemoveRows();
    if (count() <= visibleRows - 1)
        appendEmptyRows(1);
    setSums(charges, taxes);
    return true;
}

void ChargesModel::ensureRows(int rows)
{
    appendEmptyRows(rows - count());
}

void ChargesModel::reset(int visibleRows)
{
    beginResetModel();
    m_lines = QList<ChargeLine>(qMax(0, visibleRows));
    m_written = m_lines;
    endResetModel();
    setSums(0, 0);
}

int ChargesModel::saveSegmentTax(int row, const QString& chargeText, const QString& taxAmountText)
{
    writeRowsLeftBehind(-1);
    int target = row;
    if (!isRow(row) || !m_lines.at(row).isSegmentTax()) {
        const auto found =
            std::find_if(m_lines.cbegin(), m_lines.cend(), [](const ChargeLine& line) {
                return line.Charge.isEmpty() && line.Amount.isEmpty();
            });
        target = int(found - m_lines.cbegin());
        if (target == count())
            appendEmptyRows(1);
    }
    // A new row's previous tax counts as 0: a row without charge and amount has no
    // total and no tax, so taking out its own figures is the same and keeps the sums
    // true to the rows whatever was typed into it.
    ChargeLine& line = m_lines[target];
    const double charges = m_totalCharges - valueOf(line.Total);
    const double taxes = m_totalTaxes - valueOf(line.TaxAmount) + valueOf(taxAmountText);
    line = ChargeLine{chargeText, QString(), QString(), QString(), SegmentTax, taxAmountText};
    rowChanged(target);
    setSums(charges, taxes);
    writeRow(target);
    return target;
}

// An edit of Amount or Number: the Total from the shown figures, the tax from the tax
// list, then both sums over the rows as last written with this row's new figures in
// place of its written ones.
void ChargesModel::recompute(int row)
{
    ChargeLine& line = m_lines[row];
    const ChargeLine& written = m_written.at(row);

    if (line.Amount.isEmpty() && line.Number.isEmpty())
        line.Total.clear();
    else
        line.Total = Format::number(valueOf(line.Amount) * valueOf(line.Number), Format::Money);

    if (!line.Tax.isEmpty()) {
        if (const std::optional<double> percent = taxPercent(line.Tax)) {
            line.TaxAmount = Format::number(valueOf(line.Total) * *percent / 100, Format::Money);
        } else {
            line.Tax.clear();
            line.TaxAmount.clear();
        }
    }

    double charges = 0;
    double taxes = 0;
    for (const ChargeLine& each : std::as_const(m_written)) {
        charges += valueOf(each.Total);
        taxes += valueOf(each.TaxAmount);
    }
    charges += valueOf(line.Total) - valueOf(written.Total);
    taxes += valueOf(line.TaxAmount) - valueOf(written.TaxAmount);
    rowChanged(row);
    setSums(charges, taxes);
}

// The sums of an edit are built from the rows as last written, so no other row may
// hold changes that were never written: the grid writes a row when it is left, and
// a change to another row means it was.
void ChargesModel::writeRowsLeftBehind(int except)
{
    for (int row = 0; row < count(); ++row) {
        if (row != except && m_lines.at(row) != m_written.at(row))
            writeRow(row);
    }
}

std::optional<double> ChargesModel::taxPercent(const QString& type) const
{
    return m_taxLookup ? m_taxLookup(type) : std::nullopt;
}

void ChargesModel::appendEmptyRows(int rows)
{
    if (rows <= 0)
        return;
    beginInsertRows(QModelIndex(), count(), count() + rows - 1);
    for (int i = 0; i < rows; ++i) {
        m_lines.append(ChargeLine());
        m_written.append(ChargeLine());
    }
    endInsertRows();
}

void ChargesModel::rowChanged(int row)
{
    emit dataChanged(index(row, 0), index(row, COLUMNS - 1));
}

void ChargesModel::setSums(double charges, double taxes)
{
    if (charges == m_totalCharges && taxes == m_totalTaxes)
        return;
    m_totalCharges = charges;
    m_totalTaxes = taxes;
    emit sumsChanged();
}
