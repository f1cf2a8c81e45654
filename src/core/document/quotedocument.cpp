#include "core/document/quotedocument.h"

#include "core/document/printersurface.h"
#include "core/format.h"
#include "core/map/routemap.h"
#include "core/quote/pricing.h"

#include <algorithm>

namespace QuoteDocument {

namespace {

const QString Arial = QStringLiteral("Arial");
const QString CourierNew = QStringLiteral("Courier New");

bool isBlank(const QString& text)
{
    return text.trimmed().isEmpty();
}

bool holdsDate(const std::optional<QDate>& date)
{
    return date && date->isValid();
}

QString pageOf(int page, int pages)
{
    return QStringLiteral("    Page %1 of %2").arg(page).arg(pages);
}

// A value padded with blanks in front to the field's width; a longer value is
// printed whole. Printed in Courier New, so the right ends of a column line up.
QString rightAligned(const QString& value, int width)
{
    return value.rightJustified(width, QLatin1Char(' '));
}

// Keeps the whole document's state in one place: the surface, the inputs and the
// block margin that most lines start from.
class Composer
{
public:
    Composer(PrinterSurface& surface, const QuoteData& data, int pages)
        : m_surface(surface), m_data(data), m_pages(pages)
    {}

    void compose();

private:
    void font(const QString& name, double points, bool bold, bool italic, bool underline)
    {
        m_surface.setFontName(name);
        m_surface.setFontSize(points);
        m_surface.setBold(bold);
        m_surface.setItalic(italic);
        m_surface.setUnderline(underline);
    }
    void print(const QString& text)
    {
        keepLineOnPage();
        m_surface.print(text);
        m_pageInUse = m_surface.page();
    }
    void column(int n) { m_surface.column(n); }
    void endLine(int count = 1)
    {
        for (int i = 0; i < count; ++i)
            m_surface.endLine();
    }
    void atMargin(const QString& text)
    {
        m_surface.setX(m_margin);
        print(text);
    }
    void atMargin() { m_surface.setX(m_margin); }
    QString money(const QString& value, int width) const { return m_data.money(value, width); }
    void checkNewPage() { CheckNewPage(m_surface, m_data, m_pages); }
    void keepLineOnPage();

    void title();
    void reference();
    void referenceLine(const QString& label, const QString& text);
    void takeMargin();
    void company();
    void customer();
    void labelledLines(std::initializer_list<std::pair<QString, QString>> lines);
    void dates();
    void routeTable();
    void totalDistance();
    void itinerary();
    void baseCharge();
    void baseChargeTax();
    void additionalCharges();
    void totals();
    void finalQuote();
    void terms();
    void remarks();
    void quotedBy();
    void routeMap();

    PrinterSurface& m_surface;
    const QuoteData& m_data;
    int m_pages; // the document's pages, 0 when its pages are not counted
    double m_margin = 0;
    double m_tallestLine = 0;
    // The line keepLineOnPage() last looked at, and the page that holds a line of the
    // document's own (the running header does not count).
    int m_checkedPage = 0;
    double m_checkedY = -1;
    int m_pageInUse = 0;
};

void Composer::compose()
{
    // No line of the document is higher than one in 12 points.
    m_surface.setFontSize(12);
    for (const QString& name : {Arial, CourierNew}) {
        m_surface.setFontName(name);
        m_tallestLine = std::max(m_tallestLine, m_surface.lineHeight());
    }
    // The logo goes at the head of the first page; one that cannot be read is left out.
    if (!isBlank(m_data.logoPath))
        m_surface.image(m_data.logoPath, LogoWidthTwips, LogoHeightTwips);
    title();
    takeMargin();
    if (m_data.printCompany)
        company();
    endLine();
    if (!isBlank(m_data.customer.Name))
        customer();
    if (holdsDate(m_data.departureDate))
        dates();
    routeTable();
    totalDistance();
    if (!m_data.itinerary.isEmpty())
        itinerary();
    baseCharge();
    if (Format::value(m_data.taxAmount) != 0)
        baseChargeTax();
    endLine(2);
    checkNewPage();
    if (Format::value(m_data.totAddCharges) != 0 || Format::value(m_data.totTaxAddCharges) != 0)
        additionalCharges();
    checkNewPage();
    m_surface.setBold(true);
    if (Format::value(m_data.totalTaxes) != 0)
        totals();
    checkNewPage();
    finalQuote();
    checkNewPage();
    if (!m_data.terms.trimmed().isEmpty())
        terms();
    if (!m_data.remarks.isEmpty())
        remarks();
    if (!isBlank(m_data.quotedBy))
        quotedBy();
    if (m_data.printMap && std::any_of(m_data.route.begin(), m_data.route.end(),
                                       [](const QuoteData::RouteRow& row) { return row.position; }))
        routeMap();
}

// The fixed checks of the layout break at a height meant for a portrait page. A line
// that would still run past the printable area (on a shorter page, or in a block
// the checks do not reach in time) starts a new page instead, in the font and at
// the place it was to have. The first line of a page always stays, so a page too
// short for even one line is not left empty.
void Composer::keepLineOnPage()
{
    const double y = m_surface.y();
    if (m_surface.page() == m_checkedPage && y == m_checkedY)
        return; // the rest of a line already placed
    if (m_pageInUse == m_surface.page() && y + m_tallestLine > m_surface.pageHeight()) {
        const double x = m_surface.x();
        const QString name = m_surface.fontName();
        const double size = m_surface.fontSize();
        const bool bold = m_surface.bold();
        const bool italic = m_surface.italic();
        const bool underline = m_surface.underline();
        runningHeader(m_surface, m_data, m_pages);
        font(name, size, bold, italic, underline);
        m_surface.setX(x);
    }
    m_checkedPage = m_surface.page();
    m_checkedY = m_surface.y();
}

void Composer::title()
{
    font(Arial, 12, true, true, true);
    endLine();
    column(10);
    print(QStringLiteral("Air Charter Quote"));
    column(72);
    m_surface.setUnderline(false);
    print(Format::shortDate(m_data.today));
    if (m_pages > 0)
        print(pageOf(1, m_pages));
    endLine();
    reference();
    endLine(2);
}

// The quote's number and the last day it is valid, each when the quote has it, under
// the title.
void Composer::reference()
{
    const bool numbered = !isBlank(m_data.quoteNumber);
    const bool dated = holdsDate(m_data.validUntil);
    if (!numbered && !dated)
        return;
    font(Arial, 10, true, false, false);
    endLine();
    if (numbered)
        referenceLine(QStringLiteral("Quote No.:"), m_data.numberText());
    if (dated)
        referenceLine(QStringLiteral("Valid Until:"), Format::longDate(*m_data.validUntil));
}

void Composer::referenceLine(const QString& label, const QString& text)
{
    column(12);
    print(label);
    column(30);
    m_surface.setBold(false);
    print(text);
    endLine();
    m_surface.setBold(true);
}

void Composer::takeMargin()
{
    // Bold stays on into the company name. Wherever column 12 of this font falls is
    // where almost every later line starts.
    m_surface.setFontSize(10);
    m_surface.setItalic(false);
    column(12);
    m_margin = m_surface.x();
}

void Composer::company()
{
    const CompanyDetails& company = m_data.company;
    print(company.NAME);
    endLine();
    m_surface.setBold(false);
    m_surface.setFontSize(8);

    atMargin(company.ADDRESS1);
    endLine();
    if (!company.ADDRESS2.isEmpty()) {
        atMargin(company.ADDRESS2);
        endLine();
    }
    const QString city =
        QuoteData::cityLine(company.CITY, company.STATE, company.ZIP, QStringLiteral(",  "),
                            [](const QString& text) { return !isBlank(text); });
    if (!city.isEmpty()) {
        atMargin(city);
        endLine();
    }
    if (!isBlank(company.COUNTRY)) {
        atMargin(company.COUNTRY);
        endLine();
    }
    if (!isBlank(company.PHONE1) || !isBlank(company.PHONE2)) {
        atMargin(QStringLiteral("Phone:"));
        column(28);
        print(company.PHONE1);
        // Room for a first number of 20 characters, whose digits are wider than the
        // font's average character.
        column(54);
        print(company.PHONE2);
        endLine();
    }
    labelledLines({{QStringLiteral("Fax:"), company.FAX},
                   {QStringLiteral("Email:"), company.EMAIL},
                   {QStringLiteral("Website:"), company.WEBSITE}});
    endLine();
}

// A caption at the margin and its text at column 28, one line each; blank texts skip
// their line.
void Composer::labelledLines(std::initializer_list<std::pair<QString, QString>> lines)
{
    for (const auto& [label, text] : lines) {
        if (isBlank(text))
            continue;
        atMargin(label);
        column(28);
        print(text);
        endLine();
    }
}

void Composer::customer()
{
    const QuoteData::Customer& customer = m_data.customer;
    font(Arial, 12, true, true, true);
    atMargin(QStringLiteral("Quote for:"));
    endLine(2);
    font(Arial, 10, true, false, false);
    atMargin(customer.Name);
    endLine();
    m_surface.setBold(false);
    m_surface.setFontSize(8);

    // Unlike the company block, the address lines count as present even when they
    // hold only blanks.
    atMargin(customer.Address1);
    endLine();
    if (!customer.Address2.isEmpty()) {
        atMargin(customer.Address2);
        endLine();
    }
    const QString city =
        QuoteData::cityLine(customer.City, customer.State, customer.Zip, QStringLiteral(", "),
                            [](const QString& text) { return !text.isEmpty(); });
    if (!city.isEmpty()) {
        atMargin(city);
        endLine();
    }
    if (!customer.Country.isEmpty()) {
        atMargin(customer.Country);
        endLine();
    }
    labelledLines({{QStringLiteral("Phone:"), customer.Phone},
                   {QStringLiteral("Fax:"), customer.Fax},
                   {QStringLiteral("Email:"), customer.Email}});
    endLine(2);
}

void Composer::dates()
{
    m_surface.setBold(true);
    m_surface.setFontSize(10);
    atMargin(QStringLiteral("Departure Date: "));
    column(30);
    m_surface.setBold(false);
    print(Format::longDate(*m_data.departureDate));
    endLine();
    if (holdsDate(m_data.returnDate)) {
        atMargin();
        m_surface.setBold(true);
        print(QStringLiteral("Return Date: "));
        column(30);
        m_surface.setBold(false);
        print(Format::longDate(*m_data.returnDate));
        endLine();
    }
    endLine();
}

void Composer::routeTable()
{
    // The header's columns count from the left edge, not from the margin.
    font(Arial, 10, true, false, true);
    column(19);
    print(QStringLiteral("ID"));
    column(28);
    print(QStringLiteral("Airport Name"));
    column(78);
    print(QStringLiteral("Distance NM"));
    column(94);
    print(QStringLiteral("Distance SM"));
    endLine();
    m_surface.setBold(false);
    m_surface.setUnderline(false);
    endLine();

    for (int row = 0; row < m_data.route.size(); ++row) {
        const QuoteData::RouteRow& leg = m_data.route.at(row);
        atMargin();
        m_surface.setBold(true);
        print(Format::numberItem(row + 1));
        m_surface.setBold(false);
        column(20);
        print(leg.id);
        column(30);
        print(leg.name);
        m_surface.setFontName(CourierNew);
        column(63);
        print(rightAligned(leg.distanceNM, 8));
        column(75);
        print(rightAligned(leg.distanceSM, 8));
        endLine();
        m_surface.setFontName(Arial);
        checkNewPage();
    }
    endLine();
    checkNewPage();
}

void Composer::totalDistance()
{
    atMargin();
    m_surface.setBold(true);
    column(50);
    print(QStringLiteral("Total Distance ="));
    m_surface.setFontName(CourierNew);
    column(63);
    print(rightAligned(m_data.totalNM, 8));
    column(75);
    print(rightAligned(m_data.totalSM, 8));
    endLine();
    m_surface.setBold(false);
    m_surface.setFontName(Arial);
    if (m_data.distanceModel == DistanceModel::Wgs84) {
        atMargin();
        column(50);
        print(QuoteData::WGS84Note);
        endLine();
    }
    endLine(2);
    checkNewPage();
}

// The legs' local times and durations, after the distances and before any figure, so
// that a quote without them keeps every line where it was.
void Composer::itinerary()
{
    font(Arial, 10, true, false, true);
    atMargin(m_data.aircraft.isEmpty() ? QStringLiteral("Itinerary:")
                                       : QStringLiteral("Itinerary: ") + m_data.aircraft);
    endLine(2);
    m_surface.setUnderline(false);
    const int columns[] = {20, 28, 52, 78, 86, 94};
    atMargin(QStringLiteral("From"));
    const QString headings[] = {QStringLiteral("To"), QStringLiteral("Departs"),
                                QStringLiteral("Arrives"), QStringLiteral("Flight"),
                                QStringLiteral("Block")};
    for (int i = 0; i < 5; ++i) {
        column(columns[i]);
        print(headings[i]);
    }
    endLine();
    m_surface.setBold(false);
    for (const QuoteData::ItineraryLeg& leg : m_data.itinerary) {
        atMargin(leg.from);
        const QString cells[] = {leg.to, leg.departs, leg.arrivesShown()};
        for (int i = 0; i < 3; ++i) {
            column(columns[i]);
            print(cells[i]);
        }
        // The columns count in Arial, as the headings do; the times print in Courier New
        // so that their right ends line up.
        for (const auto& [n, time] : {std::pair{columns[3], leg.flight}, {columns[4], leg.block}}) {
            column(n);
            m_surface.setFontName(CourierNew);
            print(rightAligned(time, 5));
            m_surface.setFontName(Arial);
        }
        column(columns[5]);
        print(QuoteData::itineraryMarks(leg));
        endLine();
        checkNewPage();
    }
    if (!m_data.billableHours.isEmpty()) {
        endLine();
        m_surface.setBold(true);
        atMargin();
        column(50);
        print(QStringLiteral("Billable Hours ="));
        column(columns[3]);
        m_surface.setFontName(CourierNew);
        print(rightAligned(m_data.billableHours, 5));
        m_surface.setFontName(Arial);
        m_surface.setBold(false);
        endLine();
    }
    endLine(2);
    checkNewPage();
}

void Composer::baseCharge()
{
    atMargin();
    m_surface.setBold(true);
    if (Pricing::usesMinimum(Format::value(m_data.distanceCharge),
                             Format::value(m_data.chargePerMile), m_data.minBaseCharge)) {
        print(QStringLiteral("Minimum Charge ="));
        m_surface.setBold(false);
        m_surface.setFontName(CourierNew);
    } else {
        print(QStringLiteral("Base Charge ="));
        m_surface.setBold(false);
        m_surface.setFontName(CourierNew);
        column(30);
        print(m_data.distanceCharge + QLatin1Char(' ') + m_data.milesCaption +
              QStringLiteral(" * ") + m_data.currencySymbol + m_data.rateShown() +
              QStringLiteral(" = "));
    }
    column(55);
    print(money(m_data.baseCharge, 12));
    endLine();
    m_surface.setFontName(Arial);
}

void Composer::baseChargeTax()
{
    m_surface.setBold(true);
    atMargin(QStringLiteral("Tax ="));
    m_surface.setBold(false);
    m_surface.setFontName(CourierNew);
    column(30);
    // The tax amount was computed with a missing percentage taken as 0, and so it reads.
    print(m_data.taxType + QStringLiteral("  ") +
          Format::numberItem(m_data.taxPercent.value_or(0)) + QLatin1Char('%'));
    m_surface.setUnderline(true);
    column(55);
    print(money(m_data.taxAmount, 12));
    endLine();
    m_surface.setUnderline(false);
    m_surface.setFontName(Arial);

    m_surface.setBold(true);
    atMargin(QStringLiteral("Total Base Charge ="));
    m_surface.setFontName(CourierNew);
    column(55);
    print(money(m_data.totalBaseCharge, 12));
    endLine();
    m_surface.setBold(false);
    m_surface.setFontName(Arial);
}

void Composer::additionalCharges()
{
    m_surface.setBold(true);
    m_surface.setUnderline(true);
    atMargin(QStringLiteral("Additional Charges:"));
    endLine(2);
    atMargin();
    const std::pair<int, QString> headings[] = {
        {17, QStringLiteral("Charge")}, {49, QStringLiteral("Amount")},
        {62, QStringLiteral("Number")}, {76, QStringLiteral("Total")},
        {92, QStringLiteral("Tax")},    {106, QStringLiteral("Tax Amount")},
    };
    for (const auto& [n, heading] : headings) {
        column(n);
        print(heading);
    }
    endLine(2);
    m_surface.setBold(false);
    m_surface.setUnderline(false);

    // Rows left empty in the grid are not printed and do not count, so the printed
    // rows are numbered without gaps.
    int counter = 0;
    for (const QuoteData::ChargeRow& row : m_data.charges) {
        if (!row.isBlank()) {
            ++counter;
            atMargin();
            m_surface.setBold(true);
            print(Format::numberItem(counter));
            m_surface.setBold(false);
            column(18);
            print(row.charge);
            m_surface.setFontName(CourierNew);
            if (!row.amount.isEmpty()) {
                column(36);
                print(money(row.amount, 9));
                column(48);
                print(rightAligned(row.number, 4));
                column(55);
                print(money(row.total, 12));
            }
            if (!row.tax.isEmpty()) {
                column(70);
                print(row.tax);
                column(84);
                print(money(row.taxAmount, 10));
            }
            endLine();
            m_surface.setFontName(Arial);
        }
        checkNewPage();
    }

    endLine();
    m_surface.setBold(true);
    atMargin();
    column(30);
    print(QStringLiteral("Total Additional Charges ="));
    m_surface.setFontName(CourierNew);
    if (Format::value(m_data.totAddCharges) != 0) {
        column(55);
        print(money(m_data.totAddCharges, 12));
    }
    if (Format::value(m_data.totTaxAddCharges) != 0) {
        column(84);
        print(money(m_data.totTaxAddCharges, 10));
    }
    endLine();
    m_surface.setBold(false);
    m_surface.setFontName(Arial);
    endLine(2);
}

void Composer::totals()
{
    m_surface.setFontSize(12);
    atMargin(QStringLiteral("Total Charges ="));
    m_surface.setFontName(CourierNew);
    column(25);
    print(money(m_data.totalCharges, 12));
    endLine();
    m_surface.setFontName(Arial);
    atMargin(QStringLiteral("Total Taxes ="));
    m_surface.setFontName(CourierNew);
    column(25);
    print(money(m_data.totalTaxes, 12));
    endLine();
    m_surface.setFontName(Arial);
    m_surface.setFontSize(10);
    endLine();
}

void Composer::finalQuote()
{
    atMargin();
    font(Arial, 12, true, true, true);
    print(QStringLiteral("Final Quote ="));
    m_surface.setUnderline(false);
    m_surface.setFontName(CourierNew);
    column(25);
    print(money(m_data.finalQuote, 12));
    endLine();
    m_surface.setFontName(Arial);
    m_surface.setItalic(false);
    m_surface.setBold(false);
    m_surface.setFontSize(10);
    endLine();
}

void Composer::terms()
{
    endLine();
    m_surface.setBold(true);
    atMargin(QStringLiteral("Terms:"));
    endLine();
    m_surface.setBold(false);
    m_surface.setFontSize(8);
    for (const QString& line : m_data.termsLines(TermsLineLength)) {
        atMargin(line);
        endLine();
    }
    m_surface.setFontSize(10);
}

void Composer::remarks()
{
    const QString& remarks = m_data.remarks;
    endLine();
    m_surface.setBold(true);
    atMargin(QStringLiteral("Remarks:"));
    endLine();
    m_surface.setBold(false);
    m_surface.setFontName(CourierNew);
    // The dialog allows one line break: a carriage return and the line feed after
    // it, both dropped.
    const qsizetype cr = remarks.indexOf(QLatin1Char('\r'));
    if (cr < 0) {
        atMargin(remarks);
        endLine();
    } else {
        atMargin(remarks.left(cr));
        endLine();
        atMargin(remarks.mid(cr + 2));
        endLine();
    }
    m_surface.setFontName(Arial);
}

void Composer::quotedBy()
{
    endLine();
    m_surface.setBold(true);
    atMargin(QStringLiteral("Quoted By: "));
    m_surface.setBold(false);
    column(30);
    print(m_data.quotedBy);
    endLine();
}

// The map of the trip closes the document, so that every line before it stays where it
// was: on the last page when it fits below the last line, else on a page of its own.
void Composer::routeMap()
{
    QList<RouteMap::StopInput> stops;
    for (qsizetype row = 0; row < m_data.route.size(); ++row) {
        const QuoteData::RouteRow& stop = m_data.route.at(row);
        const bool beyondRange = row > 0 && row - 1 < m_data.itinerary.size() &&
                                 m_data.itinerary.at(row - 1).beyondRange;
        stops.append({stop.id, stop.position, stop.positioning, beyondRange});
    }
    endLine();
    font(Arial, 10, true, false, true);
    if (m_surface.y() + 2 * m_surface.lineHeight() + MapHeightTwips > m_surface.pageHeight())
        runningHeader(m_surface, m_data, m_pages);
    font(Arial, 10, true, false, true);
    atMargin(QStringLiteral("Route Map:"));
    endLine(2);
    m_surface.setUnderline(false);
    m_surface.setBold(false);
    atMargin();
    m_surface.map(RouteMap(stops, m_data.distanceModel), MapWidthTwips, MapHeightTwips);
}

} // namespace

void compose(PrinterSurface& surface, const QuoteData& data)
{
    int pages = 0;
    if (!isBlank(data.quoteNumber)) {
        surface.setDrawing(false);
        // Counted with page texts of their own, which move no line.
        Composer(surface, data, 1).compose();
        pages = surface.page();
        surface.setDrawing(true);
    }
    Composer(surface, data, pages).compose();
}

void CheckNewPage(PrinterSurface& surface, const QuoteData& data, int pages)
{
    if (surface.y() < PageBreakTwips)
        return;
    runningHeader(surface, data, pages);
}

void runningHeader(PrinterSurface& surface, const QuoteData& data, int pages)
{
    surface.newPage();
    surface.setFontName(Arial);
    surface.setFontSize(12);
    surface.setBold(true);
    surface.setItalic(true);
    surface.setUnderline(true);
    surface.endLine();
    surface.column(10);
    surface.print(QStringLiteral("Brisklander for Windows"));
    surface.column(72);
    surface.setUnderline(false);
    surface.print(Format::shortDate(data.today));
    if (pages > 0) {
        surface.print(pageOf(surface.page(), pages));
    } else {
        surface.print(QStringLiteral("    Page "));
        surface.print(Format::numberItem(surface.page()));
    }
    surface.endLine();
    surface.endLine();
    surface.endLine();
    // The caller's next line goes on in Arial 10, still bold.
    surface.setUnderline(false);
    surface.setFontSize(10);
    surface.setItalic(false);
}

} // namespace QuoteDocument
