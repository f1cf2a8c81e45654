#include "core/format.h"

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

class TestFormat : public QObject
{
    Q_OBJECT

private slots:
    void init() { QLocale::setDefault(UnitedStates); }
    void cleanupTestCase() { QLocale::setDefault(UnitedStates); }

    void number_data();
    void number();
    void read_data();
    void read();
    void general_data();
    void general();
    void rounding();
    void followsTheDefaultLocale_data();
    void followsTheDefaultLocale();
    void plainFormIsTheSameEverywhere_data();
    void plainFormIsTheSameEverywhere();
};

void TestFormat::number_data()
{
    QTest::addColumn<double>("value");
    QTest::addColumn<QString>("mask");
    QTest::addColumn<bool>("comma"); // with commaSymbols() instead of the default ones
    QTest::addColumn<QString>("expected");

    // Half away from zero on the 15-digit decimal value, not on the binary one.
    QTest::newRow("249.98625") << 249.98625 << Format::Money << false << "249.99";
    QTest::newRow("2.675 is a half") << 2.675 << Format::Money << false << "2.68";
    QTest::newRow("leg tie after an even digit")
        << 1234.25 << Format::LegMiles << false << "1,234.3";
    QTest::newRow("carry 9.995") << 9.995 << Format::Money << false << "10.00";
    QTest::newRow("carry into a group") << 999.95 << Format::TotalMiles << false << "1,000.0";

    QTest::newRow("negative") << -1234.5 << Format::Money << false << "-1,234.50";
    QTest::newRow("negative percent") << -0.125 << Format::Percent << false << "-0.13%";
    QTest::newRow("rounds to no -0.00") << -0.004 << Format::Rate << false << "0.00";
    QTest::newRow("minus zero") << -0.0 << Format::Money << false << "0.00";

    QTest::newRow("999 ungrouped") << 999.0 << Format::Money << false << "999.00";
    QTest::newRow("1,000") << 1000.0 << Format::Money << false << "1,000.00";
    QTest::newRow("1,000,000") << 1000000.0 << Format::WholeMiles << false << "1,000,000";
    QTest::newRow("0.00 ungrouped") << 12345.678 << Format::Rate << false << "12345.68";

    QTest::newRow("00 pads") << 5.0 << Format::TwoDigits << false << "05";
    QTest::newRow("000 pads") << 73.0 << Format::ThreeDigits << false << "073";
    QTest::newRow("00.000 pads") << 5.5 << Format::Seconds << false << "05.500";

    QTest::newRow("comma money") << 1234567.891 << Format::Money << true << "1.234.567,89";
    QTest::newRow("comma negative") << -1000.0 << Format::WholeMiles << true << "-1.000";
}

void TestFormat::number()
{
    QFETCH(double, value);
    QFETCH(QString, mask);
    QFETCH(bool, comma);
    QFETCH(QString, expected);
    QCOMPARE(comma ? Format::number(value, mask, commaSymbols()) : Format::number(value, mask),
             expected);
}

void TestFormat::read_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("comma");
    QTest::addColumn<double>("expected"); // NaN: the text must be rejected

    const double rejected = qQNaN();
    QTest::newRow("decimal") << "2.7" << false << 2.7;
    QTest::newRow("blanks, sign, grouping") << " \t-12,345,678.90 " << false << -12345678.9;
    QTest::newRow("leading point") << ".5" << false << 0.5;
    QTest::newRow("loose grouping") << "1,2,34" << false << 1234.0;
    QTest::newRow("signed exponent") << "+1.5E-3" << false << 0.0015;
    QTest::newRow("comma decimal and grouping") << "-1.234.567,89" << true << -1234567.89;
    QTest::newRow("comma: point groups") << "1.5" << true << 15.0;

    QTest::newRow("empty") << "" << false << rejected;
    QTest::newRow("lone sign") << "-" << false << rejected;
    QTest::newRow("lone point") << "." << false << rejected;
    QTest::newRow("letters") << "abc" << false << rejected;
    QTest::newRow("two points") << "1.2.3" << false << rejected;
    QTest::newRow("blank inside") << "1 234" << false << rejected;
    QTest::newRow("leading group") << ",123" << false << rejected;
    QTest::newRow("group after the point") << "1.2,34" << false << rejected;
    QTest::newRow("exponent without digits") << "1e" << false << rejected;
    QTest::newRow("out of range") << "1e999" << false << rejected;
    QTest::newRow("comma: two decimal commas") << "1,2,3" << true << rejected;
}

void TestFormat::read()
{
    QFETCH(QString, text);
    QFETCH(bool, comma);
    QFETCH(double, expected);

    const std::optional<double> result =
        comma ? Format::read(text, commaSymbols()) : Format::read(text);
    QCOMPARE(result.value_or(qQNaN()), expected); // QCOMPARE takes NaN as equal to NaN
}

void TestFormat::general_data()
{
    QTest::addColumn<double>("value");
    QTest::addColumn<QString>("expected");

    QTest::newRow("2.7") << 2.7 << "2.7";
    QTest::newRow("150") << 150.0 << "150";
    QTest::newRow("0.35") << 0.35 << "0.35";
    QTest::newRow("0.1 + 0.2") << 0.1 + 0.2 << "0.3";
    QTest::newRow("negative") << -2.5 << "-2.5";
    QTest::newRow("minus zero") << -0.0 << "0";
    QTest::newRow("no grouping") << 1234567.5 << "1234567.5";
}

void TestFormat::general()
{
    QFETCH(double, value);
    QFETCH(QString, expected);
    QCOMPARE(Format::general(value), expected);
    QCOMPARE(Format::general(value, commaSymbols()), QString(expected).replace(u'.', u','));
}

void TestFormat::rounding()
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
void TestFormat::followsTheDefaultLocale_data()
{
    QTest::addColumn<QLocale>("locale");
    QTest::addColumn<QString>("shown");
    QTest::addColumn<QStringList>("alsoRead");
    QTest::addColumn<QString>("point"); // what the keys "." and "," type into an amount

    QTest::newRow("de_DE") << QLocale(QLocale::German, QLocale::Germany) << u"1.234,50"_s
                           << QStringList{u"1234,5"_s} << u","_s;
    QTest::newRow("fr_FR") << QLocale(QLocale::French, QLocale::France) << u"1\u202F234,50"_s
                           << QStringList{u"1 234,50"_s, u"1\u00A0234,5"_s, u"1234,5"_s} << u","_s;
    QTest::newRow("de_CH") << QLocale(QLocale::German, QLocale::Switzerland) << u"1\u2019234.50"_s
                           << QStringList{u"1'234.50"_s, u"1234.5"_s} << u"."_s;
    QTest::newRow("C") << QLocale::c() << u"1,234.50"_s << QStringList{u"1234.5"_s} << u"."_s;
}

void TestFormat::followsTheDefaultLocale()
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
    QCOMPARE(Format::decimalKey(u"'"_s), u"'"_s); // grouping types itself, for the filters to drop
}

// Files hold numbers in plain form, which reads as the same number in every locale
// and is never taken for digit grouping.
void TestFormat::plainFormIsTheSameEverywhere_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<double>("expected");
    const double rejected = qQNaN();

    QTest::newRow("decimal") << u" 8.5 "_s << 8.5;
    QTest::newRow("integer with a blank for the sign") << u" 5000"_s << 5000.0;
    QTest::newRow("signed exponent") << u"-2.5e1"_s << -25.0;
    QTest::newRow("three decimals are no group") << u"1.500"_s << 1.5;
    QTest::newRow("grouping") << u"1,500"_s << rejected;
    QTest::newRow("decimal comma") << u"8,5"_s << rejected;
    QTest::newRow("blank grouping") << u"1 500"_s << rejected;
}

void TestFormat::plainFormIsTheSameEverywhere()
{
    QFETCH(QString, text);
    QFETCH(double, expected);
    for (const QLocale& locale : {UnitedStates, QLocale(QLocale::German, QLocale::Germany),
                                  QLocale(QLocale::French, QLocale::France)}) {
        QLocale::setDefault(locale);
        QCOMPARE(Format::readPlain(text).value_or(qQNaN()), expected);
    }
    QCOMPARE(Format::general(-1234567.25, Format::NumberSymbols::plain()), u"-1234567.25"_s);
}

QTEST_GUILESS_MAIN(TestFormat)
#include "tst_format.moc"
