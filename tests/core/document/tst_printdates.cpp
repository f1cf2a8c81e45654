#include "core/document/printdates.h"
#include "support/tablerows.h"

#include <QLocale>

// The print window's date rules; its window test types into one field of each kind.
class TestPrintDates : public QObject
{
    Q_OBJECT

private slots:
    void displayFormat_data() { addTableRows("core/document/data/display-formats.txt"); }
    void displayFormat()
    {
        QFETCH(QStringList, row); // today's short date, the format
        QCOMPARE(PrintDates::displayFormat(row[0], "Dec"), row[1]);
    }

    // Typed in the user's short form or a shorter one of it, shown with the year in full
    // (a year of two digits is this century's); taken from a year before today to ten
    // years after, a return date from the departure on. A text refused is told with the
    // limits in the user's short form.
    void typedDates_data() { addTableRows("core/document/data/typed-dates.txt"); }
    void typedDates()
    {
        QFETCH(QStringList, row); // locale, typed, result, field, format
        QLocale::setDefault(QLocale(row[0]));
        PrintDates::Limits limits = PrintDates::departure(QDate(2026, 12, 6));
        if (row[3] == "Return Date")
            limits = PrintDates::returnDate(limits, QDate(2026, 12, 10));
        const QDate date = PrintDates::read(row[1], row[4]);
        QCOMPARE(date.isValid() && limits.contains(date)
                     ? PrintDates::text(date, row[4])
                     : PrintDates::refusal(row[3], row[1], date.isValid(), limits),
                 row[2]);
    }

    void storedAsIsoDates()
    {
        QCOMPARE(PrintDates::stored(QDate(2026, 1, 7)), "2026-01-07");
        QCOMPARE(PrintDates::stored(std::nullopt), QString());
        QCOMPARE(PrintDates::fromStored("2026-01-07"), QDate(2026, 1, 7));
        QCOMPARE(PrintDates::fromStored("2026-13-01"), std::nullopt);
        QCOMPARE(PrintDates::fromStored(QString()), std::nullopt);
    }
};

QTEST_GUILESS_MAIN(TestPrintDates)
#include "tst_printdates.moc"
