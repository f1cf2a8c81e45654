// The quote recomputed after a route change, and after a charge is typed, with
// twenty rows in the charges grid.

#include "core/quote/chargesmodel.h"
#include "core/quote/quotesheet.h"

#include <benchmark/benchmark.h>

#include <QCoreApplication>
#include <QObject>

namespace {

struct Quote
{
    QuoteSheet sheet{PricingSettings{QuoteBase::Statute, false, 1500}}; // minimum 1,500
    ChargesModel charges;

    Quote()
    {
        charges.setTaxLookup([](const QString& type) -> std::optional<double> {
            if (type == QLatin1String("SALES TAX"))
                return 7.5;
            return std::nullopt;
        });
        QObject::connect(&charges, &ChargesModel::sumsChanged, &sheet, [this] {
            sheet.setText(QuoteSheet::TotAddCharges, charges.totalChargesText());
            sheet.setText(QuoteSheet::TotTaxAddCharges, charges.totalTaxesText());
        });
        sheet.setBaseTax(QStringLiteral("SALES TAX"), 7.5);
        charges.ensureRows(8);
        for (int row = 0; row < 20; ++row) {
            charges.pickCharge(row, QStringLiteral("CHARGE %1").arg(row), 10.0 * (row + 1));
            charges.editCell(row, ChargesModel::ColumnNumber, QString::number(row % 4 + 1));
            charges.commitCell(row, ChargesModel::ColumnNumber);
            charges.pickTax(row, QStringLiteral("SALES TAX"), 7.5);
            charges.writeRow(row);
        }
    }
};

void BM_QuoteAfterRouteChange(benchmark::State& state)
{
    Quote quote;
    const QString totals[2][2] = {{QStringLiteral("1,072.8"), QStringLiteral("1,234.5")},
                                  {QStringLiteral("1,154.2"), QStringLiteral("1,328.2")}};
    int i = 0;
    for (auto _ : state) {
        const auto& next = totals[i++ % 2];
        quote.sheet.setText(QuoteSheet::TotalNM, next[0]);
        quote.sheet.setText(QuoteSheet::TotalSM, next[1]);
        benchmark::DoNotOptimize(quote.sheet.text(QuoteSheet::FinalQuote));
    }
}

void BM_QuoteAfterChargeTyped(benchmark::State& state)
{
    Quote quote;
    const QString amounts[2] = {QStringLiteral("125.5"), QStringLiteral("1255")};
    int i = 0;
    for (auto _ : state) {
        quote.charges.editCell(10, ChargesModel::ColumnAmount, amounts[i++ % 2]);
        benchmark::DoNotOptimize(quote.sheet.text(QuoteSheet::FinalQuote));
    }
}

} // namespace

BENCHMARK(BM_QuoteAfterRouteChange);
BENCHMARK(BM_QuoteAfterChargeTyped);

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
