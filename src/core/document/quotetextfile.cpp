#include "core/document/quotetextfile.h"

#include "core/format.h"
#include "core/quote/pricing.h"

namespace QuoteTextFile {

namespace {

// Builds the file line by line in character columns: column n is the n-th
// character of the line, counted from 1.
class LineBuilder
{
public:
    LineBuilder& print(const QString& text)
    {
        m_line += text;
        return *this;
    }

    // Pads with spaces up to column n; a line that already reaches column n
    // ends, and the next one starts padded to column n.
    LineBuilder& column(int n)
    {
        if (m_line.size() >= n)
            endLine();
        m_line += QString(n - 1 - m_line.size(), QLatin1Char(' '));
        return *this;
    }

    void endLine()
    {
        m_lines << m_line;
        m_line.clear();
    }

    void emptyLines(int count = 1)
    {
        for (int i = 0; i < count; ++i)
            endLine();
    }

    // A whole line of text.
    void line(const QString& text) { print(text).endLine(); }

    QStringList lines() const { return m_lines; }

private:
    QStringList m_lines;
    QString m_line;
};

// Blank: nothing left once the spaces around it are removed (only spaces count).
bool isBlank(const QString& text)
{
    for (const QChar c : text) {
        if (c != QLatin1Char(' '))
            return false;
    }
    return true;
}

bool filled(const QString& text)
{
    return !isBlank(text);
}

// A value right-aligned in a field of the given width; a longer value is kept
// whole and pushes the rest of the line to the right.
QString field(const QString& value, int width)
{
    return value.rightJustified(width, QLatin1Char(' '));
}

QString money(const QuoteData& data, const QString& value, int width)
{
    return data.money(value, width);
}

bool isNonZero(const QString& figure)
{
    return Format::value(figure) != 0;
}

void writeCompany(LineBuilder& out, const CompanyDetails& c)
{
    out.line(c.NAME);
    if (!isBlank(c.ADDRESS1))
        out.line(c.ADDRESS1);
    if (!isBlank(c.ADDRESS2))
        out.line(c.ADDRESS2);
    const QString city = QuoteData::cityLine(c.CITY, c.STATE, c.ZIP, QStringLiteral(",  "), filled);
    if (!city.isEmpty())
        out.line(city);
    if (!isBlank(c.COUNTRY))
        out.line(c.COUNTRY);
    if (!isBlank(c.PHONE1) || !isBlank(c.PHONE2)) {
        // Column 32 leaves two blanks after a first number of 20 characters.
        out.print(QStringLiteral("Phone:")).column(10).print(c.PHONE1).column(32).print(c.PHONE2);
        out.endLine();
    }
    if (!isBlank(c.FAX))
        out.print(QStringLiteral("Fax:")).column(10).line(c.FAX);
    if (!isBlank(c.EMAIL))
        out.print(QStringLiteral("Email:")).column(10).line(c.EMAIL);
    if (!isBlank(c.WEBSITE))
        out.print(QStringLiteral("Website:")).column(10).line(c.WEBSITE);
    out.emptyLines(2);
}

void writeCustomer(LineBuilder& out, const QuoteData::Customer& c)
{
    out.line(QStringLiteral("Quote for:"));
    out.emptyLines();
    out.line(c.Name);
    out.line(c.Address1); // always, so the block keeps its shape
    if (!isBlank(c.Address2))
        out.line(c.Address2);
    const QString city = QuoteData::cityLine(c.City, c.State, c.Zip, QStringLiteral(", "), filled);
    if (!city.isEmpty())
        out.line(city);
    if (!isBlank(c.Country))
        out.line(c.Country);
    if (!isBlank(c.Phone))
        out.print(QStringLiteral("Phone:")).column(10).line(c.Phone);
    if (!isBlank(c.Fax))
        out.print(QStringLiteral("Fax:")).column(10).line(c.Fax);
    if (!isBlank(c.Email))
        out.print(QStringLiteral("Email:")).column(10).line(c.Email);
    out.emptyLines(2);
}

void writeRoute(LineBuilder& out, const QuoteData& data)
{
    out.column(6).print(QStringLiteral("ID")).column(15).print(QStringLiteral("Airport Name"));
    out.column(52).print(QStringLiteral("Distance NM")).column(65);
    out.line(QStringLiteral("Distance SM"));
    out.emptyLines();
    for (qsizetype i = 0; i < data.route.size(); ++i) {
        const QuoteData::RouteRow& row = data.route.at(i);
        out.print(Format::numberItem(double(i + 1))).column(5).print(row.id);
        out.column(13).print(row.name).column(53).print(field(row.distanceNM, 8));
        out.column(67).line(field(row.distanceSM, 8));
    }
    out.emptyLines();
    out.column(32).print(QStringLiteral("Total Distance =")).column(53);
    out.print(field(data.totalNM, 8)).column(67).line(field(data.totalSM, 8));
    if (data.distanceModel == DistanceModel::Wgs84)
        out.column(32).line(QuoteData::WGS84Note);
    out.emptyLines(2);
}

// The legs' times after the route, before any figure: a quote without them keeps its
// lines where they were.
void writeItinerary(LineBuilder& out, const QuoteData& data)
{
    out.line(data.aircraft.isEmpty() ? QStringLiteral("Itinerary:")
                                     : QStringLiteral("Itinerary: ") + data.aircraft);
    out.emptyLines();
    out.column(5).print(QStringLiteral("From")).column(11).print(QStringLiteral("To"));
    out.column(17).print(QStringLiteral("Departs")).column(40).print(QStringLiteral("Arrives"));
    out.column(64).print(QStringLiteral("Flight")).column(71).line(QStringLiteral("Block"));
    for (qsizetype i = 0; i < data.itinerary.size(); ++i) {
        const QuoteData::ItineraryLeg& leg = data.itinerary.at(i);
        out.print(Format::numberItem(double(i + 1))).column(5).print(leg.from);
        out.column(11).print(leg.to).column(17).print(leg.departs);
        out.column(40).print(leg.arrivesShown()).column(65).print(field(leg.flight, 5));
        out.column(71).print(field(leg.block, 5));
        const QString marks = QuoteData::itineraryMarks(leg);
        if (marks.isEmpty())
            out.endLine();
        else
            out.column(78).line(marks);
    }
    if (!data.billableHours.isEmpty()) {
        out.emptyLines();
        out.column(32).print(QStringLiteral("Billable Hours =")).column(65);
        out.line(field(data.billableHours, 5));
    }
    out.emptyLines(2);
}

void writeBaseCharge(LineBuilder& out, const QuoteData& data)
{
    if (Pricing::usesMinimum(Format::value(data.distanceCharge), Format::value(data.chargePerMile),
                             data.minBaseCharge)) {
        out.print(QStringLiteral("Minimum Charge ="));
    } else {
        out.print(QStringLiteral("Base Charge =")).column(22);
        out.print(data.distanceCharge + QLatin1Char(' ') + data.milesCaption +
                  QStringLiteral(" * ") + data.currencySymbol + data.rateShown() +
                  QStringLiteral(" = "));
    }
    out.column(48).line(money(data, data.baseCharge, 12));

    if (isNonZero(data.taxAmount)) {
        // The sheet computes a tax without a known percentage as 0 %; show it the same way.
        out.print(QStringLiteral("Tax         =")).column(22);
        out.print(data.taxType + QStringLiteral("  ") +
                  Format::numberItem(data.taxPercent.value_or(0)) + QLatin1Char('%'));
        out.column(48).line(money(data, data.taxAmount, 12));
        out.print(QStringLiteral("Total Base Charge =")).column(48);
        out.line(money(data, data.totalBaseCharge, 12));
    }
    out.emptyLines(2);
}

void writeCharges(LineBuilder& out, const QuoteData& data)
{
    out.line(QStringLiteral("Additional Charges:"));
    out.emptyLines();
    out.column(5).print(QStringLiteral("Charge")).column(34).print(QStringLiteral("Amount"));
    out.column(44).print(QStringLiteral("Number")).column(55).print(QStringLiteral("Total"));
    out.column(68).print(QStringLiteral("Tax")).column(80).line(QStringLiteral("Tax Amount"));
    out.emptyLines();

    int counter = 0;
    for (const QuoteData::ChargeRow& row : data.charges) {
        if (row.isBlank())
            continue;
        ++counter;
        out.print(Format::numberItem(counter)).column(5).print(row.charge);
        if (!row.amount.isEmpty()) {
            out.column(32).print(money(data, row.amount, 9));
            out.column(44).print(field(row.number, 4));
            out.column(51).print(money(data, row.total, 12));
        }
        if (!row.tax.isEmpty())
            out.column(66).print(row.tax).column(79).print(money(data, row.taxAmount, 10));
        out.endLine();
    }

    out.emptyLines();
    out.column(20).print(QStringLiteral("Total Additional Charges ="));
    if (isNonZero(data.totAddCharges))
        out.column(51).print(money(data, data.totAddCharges, 12));
    if (isNonZero(data.totTaxAddCharges))
        out.column(79).print(money(data, data.totTaxAddCharges, 10));
    out.endLine();
    out.emptyLines(2);
}

} // namespace

QStringList lines(const QuoteData& data)
{
    LineBuilder out;
    out.emptyLines();
    out.print(QStringLiteral("Brisklander For Windows")).column(72);
    out.line(Format::shortDate(data.today));
    const bool numbered = !isBlank(data.quoteNumber);
    const bool dated = data.validUntil && data.validUntil->isValid();
    if (numbered || dated)
        out.emptyLines();
    if (numbered)
        out.print(QStringLiteral("Quote No.:")).column(20).line(data.numberText());
    if (dated)
        out.print(QStringLiteral("Valid Until:"))
            .column(20)
            .line(Format::longDate(*data.validUntil));
    out.emptyLines(2);

    if (data.printCompany)
        writeCompany(out, data.company);
    if (!isBlank(data.customer.Name))
        writeCustomer(out, data.customer);

    if (data.departureDate) {
        out.print(QStringLiteral("Departure Date: ")).column(20);
        out.line(Format::longDate(*data.departureDate));
        if (data.returnDate) {
            out.print(QStringLiteral("Return Date   : ")).column(20);
            out.line(Format::longDate(*data.returnDate));
        }
        out.emptyLines(2);
    }

    writeRoute(out, data);
    if (!data.itinerary.isEmpty())
        writeItinerary(out, data);
    writeBaseCharge(out, data);
    if (isNonZero(data.totAddCharges) || isNonZero(data.totTaxAddCharges))
        writeCharges(out, data);

    if (isNonZero(data.totalTaxes)) {
        out.print(QStringLiteral("Total Charges =")).column(20);
        out.line(money(data, data.totalCharges, 12));
        out.print(QStringLiteral("Total Taxes   =")).column(20);
        out.line(money(data, data.totalTaxes, 12));
        out.emptyLines();
    }
    out.print(QStringLiteral("Final Quote   =")).column(20);
    out.line(money(data, data.finalQuote, 12));
    out.emptyLines();

    if (!data.terms.trimmed().isEmpty()) {
        out.line(QStringLiteral("Terms:"));
        for (const QString& line : data.termsLines(78))
            out.line(line);
        out.emptyLines();
    }

    if (!data.remarks.isEmpty()) {
        out.emptyLines();
        out.line(QStringLiteral("Remarks:"));
        // Two lines are joined by CR LF: the character after the CR is dropped with it.
        const qsizetype cr = data.remarks.indexOf(QLatin1Char('\r'));
        if (cr < 0) {
            out.line(data.remarks);
        } else {
            out.line(data.remarks.left(cr));
            out.line(data.remarks.mid(cr + 2));
        }
    }

    if (!isBlank(data.quotedBy)) {
        out.emptyLines();
        out.print(QStringLiteral("Quoted By: ")).column(20).line(data.quotedBy);
    }
    return out.lines();
}

QByteArray contents(const QuoteData& data)
{
    QByteArray bytes;
    for (const QString& line : lines(data))
        bytes += line.toUtf8() + "\r\n";
    return bytes;
}

} // namespace QuoteTextFile
