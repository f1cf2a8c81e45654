#include "core/quote/quotesheet.h"

#include <QSignalSpy>
#include <QTest>

using Field = QuoteSheet::Field;

class TestQuoteSheet : public QObject
{
    Q_OBJECT

private:
    // A route's totals arrive as the route writes them: nautical, then statute.
    static void route(QuoteSheet& sheet, const QString& nm, const QString& sm)
    {
        sheet.setText(QuoteSheet::TotalNM, nm);
        sheet.setText(QuoteSheet::TotalSM, sm);
    }

private slots:
    void init() { QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates)); }

    void pricing_data()
    {
        QTest::addColumn<bool>("nautical");
        QTest::addColumn<bool>("wholeMiles");
        QTest::addColumn<double>("minimum");
        QTest::addColumn<QString>("nm");
        QTest::addColumn<QString>("sm");
        QTest::addColumn<QString>("rate");
        QTest::addColumn<double>("taxPercent"); // 0: no tax chosen
        QTest::addColumn<QString>("distance");
        QTest::addColumn<QString>("base");
        QTest::addColumn<bool>("minimumApplies");
        QTest::addColumn<QString>("tax");
        QTest::addColumn<QString>("totalBase");

        QTest::newRow("statute, no tax") << false << false << 0.0 << "1,072.8"
                                         << "1,234.5"
                                         << "2.70" << 0.0 << "1,234.5"
                                         << "3,333.15" << false << "0.00"
                                         << "3,333.15";
        QTest::newRow("tax rounded from the shown base") // 249.98625 shows as 249.99
            << false << false << 0.0 << "1,072.8"
            << "1,234.5"
            << "2.70" << 7.5 << "1,234.5"
            << "3,333.15" << false << "249.99"
            << "3,583.14";
        QTest::newRow("whole statute miles, halves up") << false << true << 0.0 << "1,072.8"
                                                        << "1,234.5"
                                                        << "2.70" << 0.0 << "1,235"
                                                        << "3,334.50" << false << "0.00"
                                                        << "3,334.50";
        QTest::newRow("nautical basis") << true << false << 0.0 << "1,000.0"
                                        << "1,150.8"
                                        << "8.50" << 0.0 << "1,000.0"
                                        << "8,500.00" << false << "0.00"
                                        << "8,500.00";
        QTest::newRow("whole nautical miles") << true << true << 0.0 << "999.4"
                                              << "1,150.1"
                                              << "10.00" << 0.0 << "999"
                                              << "9,990.00" << false << "0.00"
                                              << "9,990.00";
        QTest::newRow("below the minimum") << false << false << 500.0 << "86.9"
                                           << "100.0"
                                           << "2.70" << 0.0 << "100.0"
                                           << "500.00" << true << "0.00"
                                           << "500.00";
        QTest::newRow("exactly the minimum") << false << false << 500.0 << "86.9"
                                             << "100.0"
                                             << "5.00" << 10.0 << "100.0"
                                             << "500.00" << false << "50.00"
                                             << "550.00";
        QTest::newRow("minimum taxed") << false << false << 500.0 << "86.9"
                                       << "100.0"
                                       << "2.70" << 7.5 << "100.0"
                                       << "500.00" << true << "37.50"
                                       << "537.50";
        // Compared on the decimal values: in binary 10.7 x 8.50 and 5,775 x 8.04 lie a
        // hair below 90.95 and 46,431, and 10.7 x 7.03 a hair below 75.221; 90.897 is
        // below 90.90 although it shows as 90.90.
        QTest::newRow("product at the minimum at cents") << true << false << 90.95 << "10.7"
                                                         << "12.3"
                                                         << "8.50" << 0.0 << "10.7"
                                                         << "90.95" << false << "0.00"
                                                         << "90.95";
        QTest::newRow("whole miles at the minimum at cents") << true << true << 46431.0 << "5,775.2"
                                                             << "6,646.0"
                                                             << "8.04" << 0.0 << "5,775"
                                                             << "46,431.00" << false << "0.00"
                                                             << "46,431.00";
        QTest::newRow("product equal to a minimum past the cents")
            << true << false << 75.221 << "10.7"
            << "12.3"
            << "7.03" << 0.0 << "10.7"
            << "75.22" << false << "0.00"
            << "75.22";
        QTest::newRow("product below a minimum it rounds to") << true << false << 90.90 << "12.3"
                                                              << "14.2"
                                                              << "7.39" << 0.0 << "12.3"
                                                              << "90.90" << true << "0.00"
                                                              << "90.90";
        QTest::newRow("one airport never the minimum") << false << false << 500.0 << "0.0"
                                                       << "0.0"
                                                       << "2.70" << 0.0 << "0.0"
                                                       << "0.00" << false << "0.00"
                                                       << "0.00";
        QTest::newRow("minimum of 0") << false << false << 0.0 << "0.9"
                                      << "1.0"
                                      << "0.00" << 0.0 << "1.0"
                                      << "0.00" << false << "0.00"
                                      << "0.00";
    }

    void pricing()
    {
        QFETCH(bool, nautical);
        QFETCH(bool, wholeMiles);
        QFETCH(double, minimum);
        QFETCH(QString, nm);
        QFETCH(QString, sm);
        QFETCH(QString, rate);
        QFETCH(double, taxPercent);
        PricingSettings settings;
        settings.base = nautical ? QuoteBase::Nautical : QuoteBase::Statute;
        settings.roundMiles = wholeMiles;
        settings.minBaseCharge = minimum;

        QuoteSheet sheet(settings);
        sheet.setText(QuoteSheet::ChargePerMile, rate);
        if (taxPercent > 0)
            sheet.setBaseTax(QStringLiteral("SALES TAX"), taxPercent);
        route(sheet, nm, sm);

        QTEST(sheet.text(QuoteSheet::DistanceCharge), "distance");
        QTEST(sheet.text(QuoteSheet::BaseCharge), "base");
        QTEST(sheet.isMinimumCharge(), "minimumApplies");
        QTEST(sheet.text(QuoteSheet::TaxAmount), "tax");
        QTEST(sheet.text(QuoteSheet::TotalBaseCharge), "totalBase");
        QCOMPARE(sheet.text(QuoteSheet::TotalCharges), sheet.text(QuoteSheet::BaseCharge));
        QCOMPARE(sheet.text(QuoteSheet::TotalTaxes), sheet.text(QuoteSheet::TaxAmount));
        QCOMPARE(sheet.text(QuoteSheet::FinalQuote), sheet.text(QuoteSheet::TotalBaseCharge));
    }

    void chargesSumsJoinTheTotals()
    {
        QuoteSheet sheet(PricingSettings{}); // statute
        sheet.setBaseTax(QStringLiteral("SALES TAX"), 7.5);
        route(sheet, QStringLiteral("1,072.8"), QStringLiteral("1,234.5"));
        sheet.setText(QuoteSheet::TotAddCharges, QStringLiteral("450.00"));
        sheet.setText(QuoteSheet::TotTaxAddCharges, QStringLiteral("33.75"));
        QCOMPARE(sheet.text(QuoteSheet::TotalCharges), QStringLiteral("3,783.15"));
        QCOMPARE(sheet.text(QuoteSheet::TotalTaxes), QStringLiteral("283.74"));
        QCOMPARE(sheet.text(QuoteSheet::FinalQuote), QStringLiteral("4,066.89"));

        // No tax on the base charge any more: the totals follow at once.
        sheet.setBaseTax(QString(), std::nullopt);
        QCOMPARE(sheet.text(QuoteSheet::TaxAmount), QStringLiteral("0.00"));
        QCOMPARE(sheet.text(QuoteSheet::TotalBaseCharge), QStringLiteral("3,333.15"));
        QCOMPARE(sheet.text(QuoteSheet::FinalQuote), QStringLiteral("3,816.90"));

        // A large discount turns the quote negative.
        sheet.setText(QuoteSheet::TotAddCharges, QStringLiteral("-5,000.00"));
        QCOMPARE(sheet.text(QuoteSheet::FinalQuote), QStringLiteral("-1,633.10"));
        QVERIFY(sheet.isNegative(QuoteSheet::FinalQuote));
        QVERIFY(sheet.isNegative(QuoteSheet::TotalCharges));
    }

    void rateBeingTypedPricesOnlyWhenReadable()
    {
        QuoteSheet sheet(PricingSettings{}); // statute
        route(sheet, QStringLiteral("86.9"), QStringLiteral("100.0"));
        QCOMPARE(sheet.text(QuoteSheet::BaseCharge), QStringLiteral("270.00"));
        for (const char* typed : {"2.", "2", "", "."}) {
            sheet.setText(QuoteSheet::ChargePerMile, QString::fromLatin1(typed));
            // An empty rate or a lone point leaves the last price standing.
            QCOMPARE(sheet.text(QuoteSheet::BaseCharge), QStringLiteral("200.00"));
        }
        sheet.setText(QuoteSheet::ChargePerMile, QStringLiteral("0.00"));
        QCOMPARE(sheet.text(QuoteSheet::BaseCharge), QStringLiteral("0.00"));
    }

    void sameTextRunsNothing()
    {
        QuoteSheet sheet(PricingSettings{});
        route(sheet, QStringLiteral("86.9"), QStringLiteral("100.0"));
        QSignalSpy spy(&sheet, &QuoteSheet::textChanged);
        route(sheet, QStringLiteral("86.9"), QStringLiteral("100.0"));
        sheet.setText(QuoteSheet::ChargePerMile, QStringLiteral("2.70"));
        QCOMPARE(spy.count(), 0);
        // A nautical change alone still reprices on the nautical basis.
        sheet.setSettings({QuoteBase::Nautical});
        sheet.setText(QuoteSheet::TotalNM, QStringLiteral("90.0"));
        QCOMPARE(sheet.text(QuoteSheet::DistanceCharge), QStringLiteral("90.0"));
        QCOMPARE(sheet.text(QuoteSheet::BaseCharge), QStringLiteral("243.00"));
    }
};

QTEST_GUILESS_MAIN(TestQuoteSheet)
#include "tst_quotesheet.moc"
