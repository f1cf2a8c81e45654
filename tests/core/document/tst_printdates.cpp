#include "core/document/printdates.h"

#include <QLocale>
#include <QTest>

using namespace Qt::StringLiterals;

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
        QTest::newRow("no month name") << u"12/6/2026"_s << QString();
        QTest::newRow("name first") << u"Dec-06-2026"_s << u"MM-dd-yyyy"_s;
        QTest::newRow("name at 3") << u"6 Dec 2026"_s << u"dd MM yyyy"_s;
        QTest::newRow("name at 4") << u"06.Dec.2026"_s << u"dd.MM.yyyy"_s;
        QTest::newRow("name later") << u"2026-Dec-06"_s << u"yyyy-MM-dd"_s;
        QTest::newRow("a digit after the name") << u"Dec06 2026"_s << u"MM/dd/yyyy"_s;
        QTest::newRow("name ending the text") << u"2026 06 Dec"_s << u"yyyy MM dd"_s;
    }
    void displayFormat()
    {
        QFETCH(QString, todayShort);
        QTEST(PrintDates::displayFormat(todayShort, u"Dec"_s), "format");
    }

    // Typed in the user's short form or a shorter one of it, shown with the year in
    // full; a year of two digits is this century's.
    void readAndShown_data()
    {
        QTest::addColumn<QLocale>("locale");
        QTest::addColumn<QString>("format");
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("shown"); // empty: not read as a date
        const QLocale us(QLocale::English, QLocale::UnitedStates);
        const QLocale de(QLocale::German, QLocale::Germany);
        const QLocale fr(QLocale::French, QLocale::France);
        QTest::newRow("en_US, short year") << us << QString() << "12/24/26"
                                           << "12/24/2026";
        QTest::newRow("en_US, one-digit parts") << us << QString() << "1/7/2027"
                                                << "1/7/2027";
        QTest::newRow("en_US, no date") << us << QString() << "soon"
                                        << "";
        QTest::newRow("en_US, day 40") << us << QString() << "12/40/2026"
                                       << "";
        QTest::newRow("de_DE") << de << QString() << "24.12.2026"
                               << "24.12.2026";
        QTest::newRow("de_DE, short") << de << QString() << "7.1.27"
                                      << "07.01.2027";
        QTest::newRow("de_DE, another locale's form") << de << QString() << "12/24/2026"
                                                      << "";
        QTest::newRow("fr_FR, short year") << fr << QString() << "24/12/26"
                                           << "24/12/2026";
        QTest::newRow("fr_FR") << fr << QString() << "07/01/2027"
                               << "07/01/2027";
        QTest::newRow("display format") << us << "dd-MM-yyyy"
                                        << "7-1-27"
                                        << "07-01-2027";
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

    // A year back to ten years ahead; the return from the departure on. A date outside
    // is told with the limits in the user's short form.
    void limitsAndTheirRefusal_data()
    {
        QTest::addColumn<QLocale>("locale");
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("message"); // empty: taken
        const QLocale us(QLocale::English, QLocale::UnitedStates);
        const QString departure = u"Departure Date must be between 12/6/2025 and 12/6/2036."_s;
        QTest::newRow("first day") << us << "Departure Date"
                                   << "12/6/2025"
                                   << "";
        QTest::newRow("a day too early") << us << "Departure Date"
                                         << "12/5/2025" << departure;
        QTest::newRow("last day") << us << "Departure Date"
                                  << "12/6/2036"
                                  << "";
        QTest::newRow("a day too late") << us << "Departure Date"
                                        << "12/7/2036" << departure;
        QTest::newRow("not a date") << us << "Departure Date"
                                    << "soon"
                                    << "\"soon\" is not a date.\r" + departure;
        QTest::newRow("no caption") << us << ""
                                    << "12/7/2036"
                                    << "The date must be between 12/6/2025 and 12/6/2036.";
        QTest::newRow("return before the departure")
            << us << "Return Date"
            << "12/9/2026"
            << "Return Date must be between 12/10/2026 and 12/6/2036.";
        QTest::newRow("return on the departure") << us << "Return Date"
                                                 << "12/10/2026"
                                                 << "";
        QTest::newRow("de_DE, not a date")
            << QLocale(QLocale::German, QLocale::Germany) << "Departure Date"
            << "12/24/2026"
            << "\"12/24/2026\" is not a date.\rDeparture Date must be between 06.12.2025 and "
               "06.12.2036.";
    }
    void limitsAndTheirRefusal()
    {
        QFETCH(QLocale, locale);
        QFETCH(QString, name);
        QFETCH(QString, typed);
        QLocale::setDefault(locale);
        PrintDates::Limits limits = PrintDates::departure(QDate(2026, 12, 6));
        if (name == u"Return Date")
            limits = PrintDates::returnDate(limits, QDate(2026, 12, 10));
        const QDate date = PrintDates::read(typed, QString());
        QTEST(date.isValid() && limits.contains(date)
                  ? QString()
                  : PrintDates::refusal(name, typed, date.isValid(), limits),
              "message");
    }

    void storedAsIsoDates()
    {
        QCOMPARE(PrintDates::stored(QDate(2026, 1, 7)), u"2026-01-07"_s);
        QCOMPARE(PrintDates::stored(std::nullopt), QString());
        QCOMPARE(PrintDates::fromStored(u"2026-01-07"_s), QDate(2026, 1, 7));
        QCOMPARE(PrintDates::fromStored(u"2026-13-01"_s), std::nullopt);
        QCOMPARE(PrintDates::fromStored(QString()), std::nullopt);
    }
};

QTEST_GUILESS_MAIN(TestPrintDates)
#include "tst_printdates.moc"
