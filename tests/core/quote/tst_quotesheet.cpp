#include "core/quote/quotesheet.h"
#include "support/tablerows.h"

#include <QSignalSpy>
#include <QTest>

using namespace Qt::StringLiterals;

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

    void pricing_data() { addTableRows(u"core/quote/quotesheet-pricing.txt"_s); }
    void pricing()
    {
        QFETCH(QStringList, row);
        PricingSettings settings;
        settings.base = SettingsText::readQuoteBase(row[0].section(u' ', 0, 0));
        settings.roundMiles = row[0].endsWith(u"whole");
        settings.minBaseCharge = row[1].toDouble();
        QuoteSheet sheet(settings);
        if (settings.hourly())
            sheet.setBillableHours(row[0].section(u' ', 1, 1));
        sheet.setText(QuoteSheet::ChargePerMile, row[4]);
        if (row[5] != u"0")
            sheet.setBaseTax(u"SALES TAX"_s, row[5].toDouble());
        route(sheet, row[2], row[3]);
        QCOMPARE(sheet.text(QuoteSheet::DistanceCharge), row[6]);
        QCOMPARE(sheet.text(QuoteSheet::BaseCharge), row[7]);
        QCOMPARE(sheet.isMinimumCharge(), row[8] == u"yes");
        QCOMPARE(sheet.text(QuoteSheet::TaxAmount), row[9]);
        QCOMPARE(sheet.text(QuoteSheet::TotalBaseCharge), row[10]);
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

    // A rate being typed prices only when it reads; the same text again runs nothing.
    void rateBeingTypedAndTextWrittenAgain()
    {
        QuoteSheet sheet(PricingSettings{}); // statute
        route(sheet, u"86.9"_s, u"100.0"_s);
        QCOMPARE(sheet.text(QuoteSheet::BaseCharge), u"270.00"_s);
        for (const QString& typed : {u"2."_s, u"2"_s, u""_s, u"."_s}) {
            sheet.setText(QuoteSheet::ChargePerMile, typed);
            // An empty rate or a lone point leaves the last price standing.
            QCOMPARE(sheet.text(QuoteSheet::BaseCharge), u"200.00"_s);
        }
        QSignalSpy spy(&sheet, &QuoteSheet::textChanged);
        route(sheet, u"86.9"_s, u"100.0"_s);
        sheet.setText(QuoteSheet::ChargePerMile, u"."_s);
        QCOMPARE(spy.count(), 0);
        sheet.setText(QuoteSheet::ChargePerMile, u"0.00"_s);
        QCOMPARE(sheet.text(QuoteSheet::BaseCharge), u"0.00"_s);
        // A nautical change alone still reprices on the nautical basis.
        sheet.setText(QuoteSheet::ChargePerMile, u"2.70"_s);
        sheet.setSettings({QuoteBase::Nautical});
        sheet.setText(QuoteSheet::TotalNM, u"90.0"_s);
        QCOMPARE(sheet.text(QuoteSheet::DistanceCharge), u"90.0"_s);
        QCOMPARE(sheet.text(QuoteSheet::BaseCharge), u"243.00"_s);
    }
};

QTEST_GUILESS_MAIN(TestQuoteSheet)
#include "tst_quotesheet.moc"
