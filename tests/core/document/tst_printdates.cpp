#include "core/document/printdates.h"

#include <QLocale>
#include <QTest>

// The print window's date rules; its window test types into one field of each kind.
class TestPrintDates : public QObject
{
    Q_OBJECT

    const QLocale us{QLocale::English, QLocale::UnitedStates};
    const QLocale de{QLocale::German, QLocale::Germany};

private slots:
    void init() { QLocale::setDefault(us); }

    void displayFormat_data()
    {
        QTest::addColumn<QString>("todayShort");
        QTest::addColumn<QString>("format");
        const auto row = [](const char* name, const char* today, const char* format) {
            QTest::newRow(name) << today << format;
        };
        row("no month name", "12/6/2026", "");
        row("name first", "Dec-06-2026", "MM-dd-yyyy");
        row("name at 3", "6 Dec 2026", "dd MM yyyy");
        row("name at 4", "06.Dec.2026", "dd.MM.yyyy");
        row("name later", "2026-Dec-06", "yyyy-MM-dd");
        row("a digit after the name", "Dec06 2026", "MM/dd/yyyy");
        row("name ending the text", "2026 06 Dec", "yyyy MM dd");
    }
    void displayFormat()
    {
        QFETCH(QString, todayShort);
        QTEST(PrintDates::displayFormat(todayShort, "Dec"), "format");
    }

    // Typed in the user's short form or a shorter one of it, shown with the year in
    // full; a year of two digits is this century's.
    void readAndShown_data()
    {
        QTest::addColumn<QLocale>("locale");
        QTest::addColumn<QString>("format");
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("shown"); // empty: not read as a date
        const auto row = [](const char* name, const QLocale& locale, const char* format,
                            const char* typed, const char* shown) {
            QTest::newRow(name) << locale << format << typed << shown;
        };
        const QLocale fr(QLocale::French, QLocale::France);
        row("en_US, short year", us, "", "12/24/26", "12/24/2026");
        row("en_US, one-digit parts", us, "", "1/7/2027", "1/7/2027");
        row("en_US, no date", us, "", "soon", "");
        row("en_US, day 40", us, "", "12/40/2026", "");
        row("de_DE", de, "", "24.12.2026", "24.12.2026");
        row("de_DE, short", de, "", "7.1.27", "07.01.2027");
        row("de_DE, another locale's form", de, "", "12/24/2026", "");
        row("fr_FR, short year", fr, "", "24/12/26", "24/12/2026");
        row("fr_FR", fr, "", "07/01/2027", "07/01/2027");
        row("display format", us, "dd-MM-yyyy", "7-1-27", "07-01-2027");
    }
    void readAndShown()
    {
        QFETCH(QLocale, locale);
        QFETCH(QString, format);
        QFETCH(QString, typed);
        QLocale::setDefault(locale);
        const QDate date = PrintDates::read(typed, format);
        QTEST(date.isValid() ? PrintDates::text(date, format) : QString(), "shown");
    }

    // A year back to ten years ahead (today is 12/6/2026); the return from the departure
    // (12/10/2026) on. A date outside is told with the limits in the user's short form.
    void limitsAndTheirRefusal_data()
    {
        QTest::addColumn<QLocale>("locale");
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("message"); // empty: taken
        const auto row = [](const char* name, const QLocale& locale, const char* field,
                            const char* typed, const QString& message) {
            QTest::newRow(name) << locale << field << typed << message;
        };
        const QString departure = "Departure Date must be between 12/6/2025 and 12/6/2036.";
        row("first day", us, "Departure Date", "12/6/2025", "");
        row("a day too early", us, "Departure Date", "12/5/2025", departure);
        row("last day", us, "Departure Date", "12/6/2036", "");
        row("a day too late", us, "Departure Date", "12/7/2036", departure);
        row("not a date", us, "Departure Date", "soon", "\"soon\" is not a date.\r" + departure);
        row("no caption", us, "", "12/7/2036", "The date must be between 12/6/2025 and 12/6/2036.");
        row("return before the departure", us, "Return Date", "12/9/2026",
            "Return Date must be between 12/10/2026 and 12/6/2036.");
        row("return on the departure", us, "Return Date", "12/10/2026", "");
        row("de_DE, not a date", de, "Departure Date", "12/24/2026",
            "\"12/24/2026\" is not a date.\rDeparture Date must be between 06.12.2025 and "
            "06.12.2036.");
    }
    void limitsAndTheirRefusal()
    {
        QFETCH(QLocale, locale);
        QFETCH(QString, name);
        QFETCH(QString, typed);
        QLocale::setDefault(locale);
        PrintDates::Limits limits = PrintDates::departure(QDate(2026, 12, 6));
        if (name == "Return Date")
            limits = PrintDates::returnDate(limits, QDate(2026, 12, 10));
        const QDate date = PrintDates::read(typed, QString());
        QTEST(date.isValid() && limits.contains(date)
                  ? QString()
                  : PrintDates::refusal(name, typed, date.isValid(), limits),
              "message");
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
