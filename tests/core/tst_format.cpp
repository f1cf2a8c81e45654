#include "core/format.h"
#include "support/tablerows.h"

#include <QLocale>
#include <QTest>

using namespace Qt::StringLiterals;

namespace {

// Decimal comma and point grouping, set explicitly rather than through a locale.
Format::NumberSymbols commaSymbols()
{
    Format::NumberSymbols symbols;
    symbols.decimalPoint = QStringLiteral(",");
    symbols.groupSeparator = QStringLiteral(".");
    return symbols;
}

const QLocale UnitedStates(QLocale::English, QLocale::UnitedStates);

} // namespace

// The figures as the program shows and reads them; the long tables are format-*.txt.
class TestFormat : public QObject
{
    Q_OBJECT

private slots:
    void init() { QLocale::setDefault(UnitedStates); }

    void number_data() { addTableRows(u"core/format-number.txt"_s); }
    void number()
    {
        QFETCH(QStringList, row);
        const QHash<QString, QString> masks = {
            {u"Money"_s, Format::Money},           {u"Rate"_s, Format::Rate},
            {u"WholeMiles"_s, Format::WholeMiles}, {u"TotalMiles"_s, Format::TotalMiles},
            {u"LegMiles"_s, Format::LegMiles},     {u"Percent"_s, Format::Percent},
            {u"TwoDigits"_s, Format::TwoDigits},   {u"ThreeDigits"_s, Format::ThreeDigits},
            {u"Seconds"_s, Format::Seconds}};
        const Format::NumberSymbols symbols = row[2] == u"comma" ? commaSymbols()
                                              : row[2] == u"plain"
                                                  ? Format::NumberSymbols::plain()
                                                  : Format::NumberSymbols::current();
        const double value = row[0].toDouble();
        QCOMPARE(row[1] == u"general" ? Format::general(value, symbols)
                                      : Format::number(value, masks.value(row[1]), symbols),
                 row[3]);
    }

    void read_data() { addTableRows(u"core/format-read.txt"_s); }
    void read()
    {
        QFETCH(QStringList, row);
        const double expected = row[2] == u"refused" ? qQNaN() : row[2].toDouble();
        if (row[1] != u"plain") {
            const auto result =
                row[1] == u"comma" ? Format::read(row[0], commaSymbols()) : Format::read(row[0]);
            QCOMPARE(result.value_or(qQNaN()), expected); // QCOMPARE takes NaN as equal to NaN
            return;
        }
        for (const QLocale& locale : {UnitedStates, QLocale(QLocale::German, QLocale::Germany),
                                      QLocale(QLocale::French, QLocale::France)}) {
            QLocale::setDefault(locale);
            QCOMPARE(Format::readPlain(row[0]).value_or(qQNaN()), expected);
        }
    }

    void rounding()
    {
        QCOMPARE(Format::roundHalfEven(450.5), 450.0);
        QCOMPARE(Format::roundHalfEven(451.5), 452.0);
        QCOMPARE(Format::roundHalfEven(-2.5), -2.0);
        QCOMPARE(Format::roundHalfEven(2.51), 3.0);
        QCOMPARE(Format::roundHalfAway(-2.5, 0), -3.0);
        QCOMPARE(Format::roundHalfAway(1234.0, -1), 1230.0);
    }

    void followsTheDefaultLocale_data() { addTableRows(u"core/format-locales.txt"_s); }
    void followsTheDefaultLocale()
    {
        QFETCH(QStringList, row); // the row's name is the locale's
        QLocale::setDefault(QLocale(QString::fromLatin1(QTest::currentDataTag())));
        QCOMPARE(Format::number(1234.5, Format::Money), row[0]);
        for (const QString& text : (row[1] + u';' + row[0]).split(u';'))
            QVERIFY2(Format::read(text) == 1234.5, qPrintable(text));
        QCOMPARE(Format::decimalKey(u"."_s), row[2]);
        QCOMPARE(Format::decimalKey(u","_s), row[2]);
        QCOMPARE(Format::decimalKey(u"'"_s), u"'"_s); // grouping types itself, for the filters
    }

    // Held symbols are the locale's when the hold began, until it ends, nested or not.
    void heldSymbolsOutlastAChangeOfLocale()
    {
        {
            const Format::HeldSymbols held;
            QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
            {
                const Format::HeldSymbols inner;
                QCOMPARE(Format::number(1234.5, Format::Money), u"1,234.50"_s);
            }
            QCOMPARE(Format::read(u"1,234.50"_s), 1234.5);
        }
        QCOMPARE(Format::number(1234.5, Format::Money), u"1.234,50"_s);
    }
};

QTEST_GUILESS_MAIN(TestFormat)
#include "tst_format.moc"
