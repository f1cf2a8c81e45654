#include "core/format.h"

#include <QLocale>
#include <QTest>

#include <cmath>

class TestFormat : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void cleanup();

    void number_data();
    void number();
    void numberWithOtherSymbols_data();
    void numberWithOtherSymbols();

    void read_data();
    void read();
    void readWithOtherSymbols_data();
    void readWithOtherSymbols();
    void valueAndIsNumeric();

    void general_data();
    void general();

    void roundHalfAway_data();
    void roundHalfAway();
    void roundHalfEven_data();
    void roundHalfEven();

    void currentSymbols_data();
    void currentSymbols();

private:
    static Format::NumberSymbols germanSymbols();
};

Format::NumberSymbols TestFormat::germanSymbols()
{
    Format::NumberSymbols symbols;
    symbols.decimalPoint = QStringLiteral(",");
    symbols.groupSeparator = QStringLiteral(".");
    return symbols;
}

void TestFormat::initTestCase()
{
    QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates));
}

void TestFormat::cleanup()
{
    QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates));
}

void TestFormat::number_data()
{
    QTest::addColumn<double>("value");
    QTest::addColumn<QString>("mask");
    QTest::addColumn<QString>("expected");

    // Rounding half away from zero on the 15-digit decimal value.
    QTest::newRow("money rounds the decimal half up") << 249.98625 << Format::Money << "249.99";
    QTest::newRow("2.675 is a half, not 2.67499..") << 2.675 << Format::Money << "2.68";
    QTest::newRow("0.1 + 0.2") << 0.1 + 0.2 << Format::Rate << "0.30";
    QTest::newRow("leg 1234.56") << 1234.56 << Format::LegMiles << "1,234.6";
    QTest::newRow("leg 0.04") << 0.04 << Format::LegMiles << "0.0";
    QTest::newRow("leg 0.05") << 0.05 << Format::LegMiles << "0.1";
    QTest::newRow("carry 9.995") << 9.995 << Format::Money << "10.00";
    QTest::newRow("carry 999.95 into a group") << 999.95 << Format::TotalMiles << "1,000.0";
    QTest::newRow("carry 0.995") << 0.995 << Format::Money << "1.00";
    QTest::newRow("whole 0.5 rounds away") << 0.5 << Format::WholeMiles << "1";

    // Negative values.
    QTest::newRow("negative money") << -1234.5 << Format::Money << "-1,234.50";
    QTest::newRow("negative half rounds away") << -0.005 << Format::Rate << "-0.01";
    QTest::newRow("negative rounding to zero has no sign") << -0.004 << Format::Rate << "0.00";
    QTest::newRow("minus zero has no sign") << -0.0 << Format::Money << "0.00";
    QTest::newRow("negative percent") << -0.125 << Format::Percent << "-0.13%";

    // Digit grouping at its boundaries.
    QTest::newRow("999 has no group") << 999.0 << Format::Money << "999.00";
    QTest::newRow("1,000") << 1000.0 << Format::Money << "1,000.00";
    QTest::newRow("1,000,000") << 1000000.0 << Format::WholeMiles << "1,000,000";
    QTest::newRow("large values are never cut") << 12345678.9 << Format::Money << "12,345,678.90";
    QTest::newRow("no grouping without a comma") << 12345.678 << Format::Rate << "12345.68";
    QTest::newRow("beyond 15 digits keeps its magnitude")
        << 1.5e20 << Format::WholeMiles << "150,000,000,000,000,000,000";

    // Minimum integer digits and optional ones.
    QTest::newRow("00 pads") << 5.0 << Format::TwoDigits << "05";
    QTest::newRow("00 of three digits") << 123.0 << Format::TwoDigits << "123";
    QTest::newRow("000 pads") << 73.0 << Format::ThreeDigits << "073";
    QTest::newRow("00.000 pads both sides") << 5.5 << Format::Seconds << "05.500";
    QTest::newRow("# shows nothing but the 0") << 0.5 << Format::Money << "0.50";
    QTest::newRow("only # before the point") << 0.5 << "#.00"
                                             << ".50";
    QTest::newRow("optional decimals are shown") << 1.25 << "0.0#"
                                                 << "1.25";

    // Literal text.
    QTest::newRow("escaped percent") << 7.5 << Format::Percent << "7.50%";
    QTest::newRow("bare percent scales") << 0.075 << "0.00%"
                                         << "7.50%";
    QTest::newRow("quoted prefix") << 12.5 << "\"USD \"#,##0.00"
                                   << "USD 12.50";
    QTest::newRow("sign goes before the prefix") << -12.5 << "\"$\"0.00"
                                                 << "-$12.50";
}

void TestFormat::number()
{
    QFETCH(double, value);
    QFETCH(QString, mask);
    QFETCH(QString, expected);
    QCOMPARE(Format::number(value, mask), expected);
}

void TestFormat::numberWithOtherSymbols_data()
{
    QTest::addColumn<double>("value");
    QTest::addColumn<QString>("mask");
    QTest::addColumn<QString>("expected");

    QTest::newRow("money") << 1234567.891 << Format::Money << "1.234.567,89";
    QTest::newRow("leg") << 1234.56 << Format::LegMiles << "1.234,6";
    QTest::newRow("rate") << 2.675 << Format::Rate << "2,68";
    QTest::newRow("seconds") << 5.5 << Format::Seconds << "05,500";
    QTest::newRow("percent") << 7.5 << Format::Percent << "7,50%";
    QTest::newRow("negative") << -1000.0 << Format::WholeMiles << "-1.000";
}

void TestFormat::numberWithOtherSymbols()
{
    QFETCH(double, value);
    QFETCH(QString, mask);
    QFETCH(QString, expected);
    QCOMPARE(Format::number(value, mask, germanSymbols()), expected);
}

void TestFormat::read_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("valid");
    QTest::addColumn<double>("expected");

    QTest::newRow("integer") << "150" << true << 150.0;
    QTest::newRow("decimal") << "2.7" << true << 2.7;
    QTest::newRow("leading point") << ".5" << true << 0.5;
    QTest::newRow("trailing point") << "5." << true << 5.0;
    QTest::newRow("negative") << "-12.5" << true << -12.5;
    QTest::newRow("plus sign") << "+12.5" << true << 12.5;
    QTest::newRow("minus zero") << "-00" << true << 0.0;
    QTest::newRow("blanks around") << "  42.25 \t" << true << 42.25;
    QTest::newRow("grouped") << "1,234.56" << true << 1234.56;
    QTest::newRow("grouped millions") << "12,345,678.90" << true << 12345678.9;
    QTest::newRow("loose grouping") << "1,2,34" << true << 1234.0;
    QTest::newRow("exponent") << "1e5" << true << 100000.0;
    QTest::newRow("signed exponent") << "1.5E-3" << true << 0.0015;

    QTest::newRow("empty") << "" << false << 0.0;
    QTest::newRow("lone minus") << "-" << false << 0.0;
    QTest::newRow("lone point") << "." << false << 0.0;
    QTest::newRow("letters") << "abc" << false << 0.0;
    QTest::newRow("two points") << "1.2.3" << false << 0.0;
    QTest::newRow("blank inside") << "1 234" << false << 0.0;
    QTest::newRow("leading group separator") << ",123" << false << 0.0;
    QTest::newRow("trailing group separator") << "123," << false << 0.0;
    QTest::newRow("double group separator") << "1,,234" << false << 0.0;
    QTest::newRow("group separator after the point") << "1.2,34" << false << 0.0;
    QTest::newRow("exponent without digits") << "1e" << false << 0.0;
    QTest::newRow("exponent alone") << "e5" << false << 0.0;
    QTest::newRow("too large") << "1e999" << false << 0.0;
    QTest::newRow("infinity") << "inf" << false << 0.0;
}

void TestFormat::read()
{
    QFETCH(QString, text);
    QFETCH(bool, valid);
    QFETCH(double, expected);

    const std::optional<double> result = Format::read(text);
    QCOMPARE(result.has_value(), valid);
    if (valid)
        QCOMPARE(*result, expected);
}

void TestFormat::readWithOtherSymbols_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("valid");
    QTest::addColumn<double>("expected");

    QTest::newRow("decimal comma") << "2,75" << true << 2.75;
    QTest::newRow("grouped") << "1.234.567,89" << true << 1234567.89;
    QTest::newRow("point groups") << "1.5" << true << 15.0;
    QTest::newRow("two decimal commas") << "1,2,3" << false << 0.0;
    QTest::newRow("negative") << "-0,5" << true << -0.5;
}

void TestFormat::readWithOtherSymbols()
{
    QFETCH(QString, text);
    QFETCH(bool, valid);
    QFETCH(double, expected);

    const std::optional<double> result = Format::read(text, germanSymbols());
    QCOMPARE(result.has_value(), valid);
    if (valid)
        QCOMPARE(*result, expected);
}

void TestFormat::valueAndIsNumeric()
{
    QCOMPARE(Format::value(QStringLiteral("1,234.5")), 1234.5);
    QCOMPARE(Format::value(QString()), 0.0);
    QCOMPARE(Format::value(QStringLiteral("abc")), 0.0);
    QVERIFY(Format::isNumeric(QStringLiteral(" -3 ")));
    QVERIFY(!Format::isNumeric(QStringLiteral("3 4")));
    QVERIFY(!Format::isNumeric(QString()));
}

void TestFormat::general_data()
{
    QTest::addColumn<double>("value");
    QTest::addColumn<QString>("expected");

    QTest::newRow("decimal") << 2.7 << "2.7";
    QTest::newRow("integer") << 150.0 << "150";
    QTest::newRow("below one") << 0.35 << "0.35";
    QTest::newRow("0.1 + 0.2") << 0.1 + 0.2 << "0.3";
    QTest::newRow("negative") << -2.5 << "-2.5";
    QTest::newRow("zero") << 0.0 << "0";
    QTest::newRow("minus zero") << -0.0 << "0";
    QTest::newRow("no grouping") << 1234567.5 << "1234567.5";
    QTest::newRow("sixteenth digit rounds") << 0.12345678901234567 << "0.123456789012346";
    QTest::newRow("small exponent") << 0.000015 << "1.5e-05";
    QTest::newRow("large exponent") << 1e15 << "1e+15";
}

void TestFormat::general()
{
    QFETCH(double, value);
    QFETCH(QString, expected);
    QCOMPARE(Format::general(value), expected);

    // The same text with the other symbols' decimal point.
    QString german = expected;
    german.replace(u'.', u',');
    QCOMPARE(Format::general(value, germanSymbols()), german);
}

void TestFormat::roundHalfAway_data()
{
    QTest::addColumn<double>("value");
    QTest::addColumn<int>("decimals");
    QTest::addColumn<double>("expected");

    QTest::newRow("decimal half") << 249.98625 << 2 << 249.99;
    QTest::newRow("2.675") << 2.675 << 2 << 2.68;
    QTest::newRow("one decimal") << 1234.56 << 1 << 1234.6;
    QTest::newRow("negative half") << -2.5 << 0 << -3.0;
    QTest::newRow("carry") << 9.995 << 2 << 10.0;
    QTest::newRow("below the first digit") << 0.004 << 2 << 0.0;
    QTest::newRow("to tens") << 1234.0 << -1 << 1230.0;
}

void TestFormat::roundHalfAway()
{
    QFETCH(double, value);
    QFETCH(int, decimals);
    QFETCH(double, expected);
    QCOMPARE(Format::roundHalfAway(value, decimals), expected);
}

void TestFormat::roundHalfEven_data()
{
    QTest::addColumn<double>("value");
    QTest::addColumn<double>("expected");

    QTest::newRow("450.5 to even below") << 450.5 << 450.0;
    QTest::newRow("451.5 to even above") << 451.5 << 452.0;
    QTest::newRow("1.5") << 1.5 << 2.0;
    QTest::newRow("negative half") << -2.5 << -2.0;
    QTest::newRow("below a half") << 2.49 << 2.0;
}

void TestFormat::roundHalfEven()
{
    QFETCH(double, value);
    QFETCH(double, expected);
    QCOMPARE(Format::roundHalfEven(value), expected);
}

void TestFormat::currentSymbols_data()
{
    QTest::addColumn<QLocale>("locale");
    QTest::addColumn<QString>("decimalPoint");
    QTest::addColumn<QString>("groupSeparator");
    QTest::addColumn<QString>("money");

    QTest::newRow("C") << QLocale::c() << "."
                       << ","
                       << "1,234.50";
    QTest::newRow("English") << QLocale(QLocale::English, QLocale::UnitedStates) << "."
                             << ","
                             << "1,234.50";
    QTest::newRow("German") << QLocale(QLocale::German, QLocale::Germany) << ","
                            << "."
                            << "1.234,50";
}

void TestFormat::currentSymbols()
{
    QFETCH(QLocale, locale);
    QFETCH(QString, decimalPoint);
    QFETCH(QString, groupSeparator);
    QFETCH(QString, money);

    QLocale::setDefault(locale);
    const Format::NumberSymbols symbols = Format::NumberSymbols::current();
    QCOMPARE(symbols.decimalPoint, decimalPoint);
    QCOMPARE(symbols.groupSeparator, groupSeparator);
    QCOMPARE(Format::number(1234.5, Format::Money), money);
    QCOMPARE(Format::read(money), std::optional<double>(1234.5));
}

QTEST_GUILESS_MAIN(TestFormat)
#include "tst_format.moc"
