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
    void cleanupTestCase() { QLocale::setDefault(UnitedStates); }

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
        QVERIFY(masks.contains(row[1]));
        const double value = row[0].toDouble();
        QCOMPARE(row[2] == u"comma" ? Format::number(value, masks[row[1]], commaSymbols())
                                    : Format::number(value, masks[row[1]]),
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

    // The shortest form that reads back, never grouped; with the given symbols.
    void general()
    {
        const QList<std::pair<double, QString>> rows = {
            {2.7, u"2.7"_s},   {150.0, u"150"_s}, {0.35, u"0.35"_s},          {0.1 + 0.2, u"0.3"_s},
            {-2.5, u"-2.5"_s}, {-0.0, u"0"_s},    {1234567.5, u"1234567.5"_s}};
        for (const auto& [value, shown] : rows) {
            QCOMPARE(Format::general(value), shown);
            QCOMPARE(Format::general(value, commaSymbols()), QString(shown).replace(u'.', u','));
        }
        QCOMPARE(Format::general(-1234567.25, Format::NumberSymbols::plain()), u"-1234567.25"_s);
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

    // Each locale shows 1234.5 in its own form and reads back every grouping sign of its
    // kind: a French figure typed with an ordinary blank, a Swiss one with a straight
    // apostrophe.
    void followsTheDefaultLocale_data()
    {
        QTest::addColumn<QLocale>("locale");
        QTest::addColumn<QString>("shown");
        QTest::addColumn<QStringList>("alsoRead");
        QTest::addColumn<QString>("point"); // what the keys "." and "," type into an amount
        QTest::newRow("de_DE") << QLocale(QLocale::German, QLocale::Germany) << u"1.234,50"_s
                               << QStringList{u"1234,5"_s} << u","_s;
        QTest::newRow("fr_FR") << QLocale(QLocale::French, QLocale::France) << u"1\u202F234,50"_s
                               << QStringList{u"1 234,50"_s, u"1\u00A0234,5"_s, u"1234,5"_s}
                               << u","_s;
        QTest::newRow("de_CH") << QLocale(QLocale::German, QLocale::Switzerland)
                               << u"1\u2019234.50"_s << QStringList{u"1'234.50"_s, u"1234.5"_s}
                               << u"."_s;
        QTest::newRow("C") << QLocale::c() << u"1,234.50"_s << QStringList{u"1234.5"_s} << u"."_s;
    }
    void followsTheDefaultLocale()
    {
        QFETCH(QLocale, locale);
        QFETCH(QString, shown);
        QFETCH(QStringList, alsoRead);
        QFETCH(QString, point);
        QLocale::setDefault(locale);
        QCOMPARE(Format::number(1234.5, Format::Money), shown);
        for (const QString& text : QStringList{shown} + alsoRead)
            QVERIFY2(Format::read(text) == 1234.5, qPrintable(text));
        QCOMPARE(Format::decimalKey(u"."_s), point);
        QCOMPARE(Format::decimalKey(u","_s), point);
        QCOMPARE(Format::decimalKey(u"'"_s), u"'"_s); // grouping types itself, for the filters
    }
};

QTEST_GUILESS_MAIN(TestFormat)
#include "tst_format.moc"
