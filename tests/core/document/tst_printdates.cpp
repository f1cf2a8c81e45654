#include "core/document/printdates.h"

#include <QLocale>
#include <QTest>

// The print window's date rules; its window test types into one field of each kind.
class TestPrintDates : public QObject
{
    Q_OBJECT

private slots:
    void init() { QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates)); }

    void displayFormat_data()
    {
        QTest::addColumn<QString>("todayShort");
        QTest::addColumn<QString>("format");
        QTest::newRow("no month name") << "12/6/2026"
                                       << "";
        QTest::newRow("name first") << "Dec-06-2026"
                                    << "MM-dd-yyyy";
        QTest::newRow("name at 3") << "6 Dec 2026"
                                   << "dd MM yyyy";
        QTest::newRow("name at 4") << "06.Dec.2026"
                                   << "dd.MM.yyyy";
        QTest::newRow("name later") << "2026-Dec-06"
                                    << "yyyy-MM-dd";
        QTest::newRow("a digit after the name") << "Dec06 2026"
                                                << "MM/dd/yyyy";
        QTest::newRow("name ending the text") << "2026 06 Dec"
                                              << "yyyy MM dd";
    }
    void displayFormat()
    {
        QFETCH(QString, todayShort);
        QTEST(PrintDates::displayFormat(todayShort, "Dec"), "format");
    }

    // Typed in the user's short form or a shorter one of it, shown with the year in full
    // (a year of two digits is this century's); taken from a year before today
    // (12/6/2026) to ten years after, a return date from the departure (12/10/2026) on.
    // A text refused is told with the limits in the user's short form.
    void typedDates_data()
    {
        QTest::addColumn<QLocale>("locale");
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("result"); // shown when taken, else why it is refused
        QTest::addColumn<QString>("field");  // its caption
        QTest::addColumn<QString>("format"); // the display format; empty: the short date
        const auto row = [](const char* name, const char* locale, const char* typed,
                            const QString& result, const char* field = "Departure Date",
                            const char* format = "") {
            QTest::newRow(name) << QLocale(locale) << typed << result << field << format;
        };
        const QString departure = "Departure Date must be between 12/6/2025 and 12/6/2036.";
        const QString notADate = "\"%1\" is not a date.\r" + departure;
        row("en_US, short year", "en_US", "12/24/26", "12/24/2026");
        row("en_US, one-digit parts", "en_US", "1/7/2027", "1/7/2027");
        row("en_US, no date", "en_US", "soon", notADate.arg("soon"));
        row("en_US, day 40", "en_US", "12/40/2026", notADate.arg("12/40/2026"));
        row("de_DE", "de_DE", "24.12.2026", "24.12.2026");
        row("de_DE, short", "de_DE", "7.1.27", "07.01.2027");
        row("de_DE, another locale's form", "de_DE", "12/24/2026",
            "\"12/24/2026\" is not a date.\rDeparture Date must be between 06.12.2025 and "
            "06.12.2036.");
        row("fr_FR, short year", "fr_FR", "24/12/26", "24/12/2026");
        row("fr_FR", "fr_FR", "07/01/2027", "07/01/2027");
        row("display format", "en_US", "7-1-27", "07-01-2027", "Departure Date", "dd-MM-yyyy");
        row("first day", "en_US", "12/6/2025", "12/6/2025");
        row("a day too early", "en_US", "12/5/2025", departure);
        row("last day", "en_US", "12/6/2036", "12/6/2036");
        row("a day too late", "en_US", "12/7/2036", departure);
        row("no caption", "en_US", "12/7/2036", "The date must be between 12/6/2025 and 12/6/2036.",
            "");
        row("return before the departure", "en_US", "12/9/2026",
            "Return Date must be between 12/10/2026 and 12/6/2036.", "Return Date");
        row("return on the departure", "en_US", "12/10/2026", "12/10/2026", "Return Date");
    }
    void typedDates()
    {
        QFETCH(QLocale, locale);
        QFETCH(QString, typed);
        QFETCH(QString, field);
        QFETCH(QString, format);
        QLocale::setDefault(locale);
        PrintDates::Limits limits = PrintDates::departure(QDate(2026, 12, 6));
        if (field == "Return Date")
            limits = PrintDates::returnDate(limits, QDate(2026, 12, 10));
        const QDate date = PrintDates::read(typed, format);
        QTEST(date.isValid() && limits.contains(date)
                  ? PrintDates::text(date, format)
                  : PrintDates::refusal(field, typed, date.isValid(), limits),
              "result");
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
