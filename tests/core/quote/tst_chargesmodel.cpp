#include "core/format.h"
#include "core/quote/chargesmodel.h"
#include "support/randomedits.h"
#include "support/tablerows.h"

#include <QHash>
#include <QLocale>
#include <QSignalSpy>

#include <functional>

using namespace Qt::StringLiterals;

namespace {

using C = ChargesModel;
const QString SegmentRow = QStringLiteral("4 Pax * 2 Segm. * 2.50");

std::optional<double> taxList(const QString& type)
{
    const QHash<QString, double> percents = {{"SALES TAX", 7.5}, {"VAT", 20}};
    return percents.contains(type) ? std::optional(percents.value(type)) : std::nullopt;
}

ChargesModel* grid(QObject* parent, int rows = 8)
{
    auto* model = new ChargesModel(parent);
    model->setTaxLookup(taxList);
    model->reset(rows);
    return model;
}

// Types a figure one character at a time, as the editor reports each change.
void type(ChargesModel& model, int row, int column, const QString& text)
{
    for (int length = 1; length <= text.size(); ++length)
        model.editCell(row, column, text.left(length));
}

QString sums(const ChargesModel& model)
{
    return model.totalChargesText() + " / " + model.totalTaxesText();
}

// The running sums must always equal the figures the grid shows.
void verifySums(const ChargesModel& model)
{
    double charges = 0, taxes = 0;
    for (int row = 0; row < model.count(); ++row) {
        charges += Format::value(model.line(row).Total);
        taxes += Format::value(model.line(row).TaxAmount);
    }
    QVERIFY2(qAbs(model.totalCharges() - charges) + qAbs(model.totalTaxes() - taxes) < 1e-9,
             qPrintable(sums(model)));
}

} // namespace

class TestChargesModel : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates)); }

    void pricesChargesAndDiscounts()
    {
        ChargesModel* model = grid(this);
        QSignalSpy changes(model, &ChargesModel::sumsChanged);
        model->pickCharge(0, "Catering", 150);
        QCOMPARE(model->line(0), (ChargeLine{"Catering", "150.00", "1", "150.00", "", ""}));
        model->editCell(0, C::ColumnNumber, "3");
        model->pickTax(0, "SALES TAX", 7.5);
        QCOMPARE(model->line(0),
                 (ChargeLine{"Catering", "150.00", "3", "450.00", "SALES TAX", "33.75"}));
        QCOMPARE(sums(*model), QString("450.00 / 33.75"));
        model->editCell(0, C::ColumnCharge, "Catering, hot");
        QCOMPARE(changes.count(), 3); // one for each change of the sums, none for a name

        // A catalogue charge picked again keeps the row's tax; the number starts again at 1.
        model->pickCharge(0, "Landing fee", 40);
        QCOMPARE(sums(*model), QString("40.00 / 3.00"));

        // "-" typed into an amount makes it a discount, below zero with its total.
        model->pickCharge(1, "Refund", 25);
        model->editCell(1, C::ColumnAmount, ChargeKeys::amount("25.00", 5, '-').text);
        QCOMPARE(model->line(1).Total, QString("-25.00"));
        QCOMPARE(sums(*model), QString("15.00 / 3.00"));
        QVERIFY(model->isNegative(1, C::ColumnAmount));
        QVERIFY(model->isNegative(1, C::ColumnTotal));
        QVERIFY(!model->isNegative(0, C::ColumnAmount));
        QVERIFY(!(model->flags(model->index(0, C::ColumnTotal)) & Qt::ItemIsEditable));
        verifySums(*model);
    }

    void commitNormalisesTheFigures_data() { addTableRows(u"core/quote/charges-commit.txt"_s); }
    void commitNormalisesTheFigures()
    {
        QFETCH(QStringList, row);
        const int column = row[0] == u"Amount" ? C::ColumnAmount : C::ColumnNumber;
        ChargesModel* model = grid(this);
        model->pickCharge(0, "Fuel stop", 80); // another row that must stay in the sums
        model->pickTax(1, "VAT", 20);
        type(*model, 1, C::ColumnAmount, row[1]);
        type(*model, 1, C::ColumnNumber, row[2]);
        model->commitCell(1, column);
        QCOMPARE(model->data(model->index(1, column)).toString(), row[3]);
        QCOMPARE(model->line(1).Total, row[4]);
        QCOMPARE(model->line(1).TaxAmount,
                 Format::number(Format::value(row[4]) * 0.2, Format::Money));
        verifySums(*model);
    }

    void amountKeyLimits_data() { addTableRows(u"core/quote/charges-amountkeys.txt"_s); }
    void amountKeyLimits()
    {
        QFETCH(QStringList, row);
        const QString& text = row[0];
        const KeyOutcome outcome = ChargeKeys::amount(text, int(text.size()), row[1].at(0));
        QCOMPARE(outcome.replaced   ? outcome.text
                 : outcome.accepted ? text + row[1]
                                    : QString(),
                 row[2]);
        if (outcome.replaced)
            QCOMPARE(outcome.caret, text.size() + 1);
    }

    void segmentTaxRowIsWrittenAndReplaced()
    {
        ChargesModel* model = grid(this, 2);
        model->pickCharge(0, "Catering", 100);
        model->pickTax(0, "SALES TAX", 7.5);
        const int row = model->saveSegmentTax(0, SegmentRow, "20.00"); // row 0 is no such row
        QCOMPARE(row, 1);
        QCOMPARE(model->line(row), (ChargeLine{SegmentRow, "", "", "", "Segment Tax", "20.00"}));
        QCOMPARE(model->count(), 3); // the segment tax row is no row to type into
        QCOMPARE(model->saveSegmentTax(row, "5 Pax * 2 Segm. * 2.50", "25.00"), row);
        QCOMPARE(model->saveSegmentTax(0, SegmentRow, "20.00"), 2); // a further one
        QCOMPARE(sums(*model), QString("100.00 / 52.50"));

        // Delete in the Tax cell: the row loses its tax, the segment tax row keeps its own.
        model->clearTax(row);
        model->clearTax(0);
        QCOMPARE(model->line(0), (ChargeLine{"Catering", "100.00", "1", "100.00", "", ""}));
        QCOMPARE(model->line(row).TaxAmount, QString("25.00"));
        QCOMPARE(sums(*model), QString("100.00 / 45.00"));
        // A tax the tax list no longer knows goes with the next edit of the row.
        model->pickTax(0, "GST", 5);
        model->editCell(0, C::ColumnNumber, "2");
        QCOMPARE(model->line(0).Tax + model->line(0).TaxAmount, QString());
        QCOMPARE(sums(*model), QString("200.00 / 45.00"));
        verifySums(*model);
    }

    void removingAndRefillingRows()
    {
        ChargesModel* model = grid(this, 2);
        model->pickCharge(0, "Catering", 100);
        model->pickTax(0, "VAT", 20);
        model->editCell(1, C::ColumnCharge, "Waiting");
        type(*model, 1, C::ColumnAmount, "50");
        model->commitCell(1, C::ColumnAmount);
        QCOMPARE(model->count(), 3); // filling the last empty row adds one

        QVERIFY(model->removeLine(0, 2));
        QCOMPARE(sums(*model), QString("0.00 / 0.00")); // the Number is still empty
        QCOMPARE(model->count(), 2);                    // more than two visible rows less one
        QVERIFY(model->removeLine(0, 3));
        QCOMPARE(model->count(), 2); // refilled to three visible rows less one

        // New Quote.
        model->pickCharge(0, "Catering", 100);
        model->pickTax(0, "VAT", 20);
        model->reset(8);
        QCOMPARE(sums(*model), QString("0.00 / 0.00"));
        type(*model, 1, C::ColumnAmount, "40"); // the old rows count no more
        type(*model, 1, C::ColumnNumber, "2");
        QCOMPARE(sums(*model), QString("80.00 / 0.00"));
    }

    // The grid's operations at random on random rows; after each the running sums must
    // still equal the shown figures.
    void sumsFollowTheRowsThroughRandomEdits()
    {
        runRandomEdits<ChargesModel>({3u, 17u, 2024u}, 300, [](ChargesModel& model, auto& random) {
            model.setTaxLookup(taxList);
            model.reset(4);
            return [&model, &random] {
                const auto pick = [&](const QStringList& list) {
                    return list.at(random.bounded(list.size()));
                };
                const int row = random.bounded(model.count());
                const std::function<void()> operations[] = {
                    [&] {
                        model.editCell(
                            row, C::ColumnAmount,
                            pick({"150", "-25", "1234.567", ".", "-", "", "0.05", "99.99"}));
                    },
                    [&] {
                        type(model, row, C::ColumnNumber,
                             pick({"3", "2.5", ".125", "", ".", "10", "3.0"}));
                    },
                    [&] { model.commitCell(row, C::ColumnAmount + random.bounded(2)); },
                    [&] { model.pickCharge(row, "Fee", random.bounded(-50, 500) + 0.25); },
                    [&] {
                        model.pickTax(row, pick({"VAT", "SALES TAX", "GST"}),
                                      random.bounded(1, 30));
                    },
                    [&] { model.clearTax(row); },
                    [&] { model.removeLine(row, 4); },
                    [&] {
                        model.saveSegmentTax(row, SegmentRow, pick({"20.00", "7.50"}));
                    },
                };
                operations[random.bounded(8)]();
                verifySums(model);
            };
        });
    }
};

QTEST_MAIN(TestChargesModel)
#include "tst_chargesmodel.moc"
