#include "core/format.h"
#include "quote/chargesmodel.h"

#include <QAbstractItemModelTester>
#include <QColor>
#include <QFont>
#include <QLocale>
#include <QRandomGenerator>
#include <QSignalSpy>
#include <QTest>

#include <functional>

namespace {

using C = ChargesModel;
const QColor DarkBlue(0, 0, 128);
const QColor DarkRed(128, 0, 0);
const QString SegmentRow = QStringLiteral("4 Pax * 2 Segm. * 2.50");

std::optional<double> taxList(const QString& type)
{
    if (type.compare("SALES TAX", Qt::CaseInsensitive) == 0)
        return 7.5;
    if (type.compare("VAT", Qt::CaseInsensitive) == 0)
        return 20;
    return std::nullopt;
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

QVariant role(const ChargesModel& model, int row, int column, int role)
{
    return model.data(model.index(row, column), role);
}

QString sums(const ChargesModel& model)
{
    return model.totalChargesText() + " / " + model.totalTaxesText();
}

// The running sums must always equal the figures the grid shows.
void verifySums(const ChargesModel& model)
{
    double charges = 0;
    double taxes = 0;
    for (int row = 0; row < model.count(); ++row) {
        charges += Format::value(model.line(row).Total);
        taxes += Format::value(model.line(row).TaxAmount);
    }
    QVERIFY2(qAbs(model.totalCharges() - charges) < 1e-9, qPrintable(model.totalChargesText()));
    QVERIFY2(qAbs(model.totalTaxes() - taxes) < 1e-9, qPrintable(model.totalTaxesText()));
}

} // namespace

class TestChargesModel : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates)); }

    void pricesACatalogueChargeWithNumberAndTax()
    {
        ChargesModel* model = grid(this);
        QSignalSpy changes(model, &ChargesModel::sumsChanged);
        model->pickCharge(0, "Catering", 150);
        QCOMPARE(model->line(0), (ChargeLine{"Catering", "150.00", "1", "150.00", "", ""}));
        QCOMPARE(sums(*model), QString("150.00 / 0.00"));
        model->editCell(0, C::ColumnNumber, "3");
        model->pickTax(0, "SALES TAX", 7.5);
        QCOMPARE(model->line(0).Total, QString("450.00"));
        QCOMPARE(model->line(0).TaxAmount, QString("33.75"));
        QCOMPARE(sums(*model), QString("450.00 / 33.75"));
        model->editCell(0, C::ColumnCharge, "Catering, hot");
        QCOMPARE(changes.count(), 3); // one for each change of the sums, none for a name

        // A typed amount in the next row: the sums keep the first row's figures.
        type(*model, 1, C::ColumnAmount, "12.5");
        type(*model, 1, C::ColumnNumber, "2");
        model->pickTax(1, "VAT", 20);
        QCOMPARE(sums(*model), QString("475.00 / 38.75"));
        // A catalogue charge picked again keeps the row's tax and moves both sums.
        model->pickCharge(1, "Landing fee", 40);
        QCOMPARE(model->line(1).TaxAmount, QString("8.00"));
        QCOMPARE(sums(*model), QString("490.00 / 41.75"));
        verifySums(*model);
    }

    void discountsAreNegativeAndStyledBySign()
    {
        ChargesModel* model = grid(this);
        QStringList captions;
        for (int column = 0; column < C::COLUMNS; ++column)
            captions << model->headerData(column, Qt::Horizontal).toString();
        QCOMPARE(captions,
                 QStringList({"Charge", "Amount", "Number", "Total", "Tax", "Tax Amount"}));

        model->pickCharge(0, "Landing fee", 25);
        model->pickCharge(1, "Catering", 100);
        model->pickTax(1, "VAT", 20);
        model->editCell(0, C::ColumnAmount, C::amountKey("25.00", 5, '-').text);
        QCOMPARE(model->line(0).Amount, QString("-25.00"));
        QCOMPARE(model->line(0).Total, QString("-25.00"));
        QCOMPARE(model->totalChargesText(), QString("75.00"));
        // Deleting the first digit of 1,234.00 leaves no separator in front.
        model->pickCharge(2, "Handling", 1234);
        model->editCell(2, C::ColumnAmount, ",234.00");
        QCOMPARE(model->line(2).Amount, QString("234.00"));
        QCOMPARE(model->totalChargesText(), QString("309.00"));

        const auto colour = [&](int row, int column) {
            return role(*model, row, column, Qt::ForegroundRole).value<QColor>();
        };
        QCOMPARE(colour(0, C::ColumnAmount), DarkRed);
        QCOMPARE(colour(1, C::ColumnAmount), DarkBlue);
        QCOMPARE(colour(0, C::ColumnTotal), DarkRed);
        QCOMPARE(colour(1, C::ColumnTaxAmount), QColor(Qt::black));
        QCOMPARE(colour(1, C::ColumnTax), DarkBlue);
        for (int column : {C::ColumnTotal, C::ColumnTaxAmount, C::ColumnAmount}) {
            const bool computed = column != C::ColumnAmount;
            QCOMPARE(role(*model, 0, column, Qt::FontRole).value<QFont>().bold(), computed);
            QCOMPARE(role(*model, 0, column, Qt::BackgroundRole).value<QColor>(),
                     computed ? QColor(0xd4, 0xd0, 0xc8) : QColor());
            QCOMPARE(bool(model->flags(model->index(0, column)) & Qt::ItemIsEditable), !computed);
        }
        verifySums(*model);
    }

    void commitNormalisesTheFigures_data()
    {
        QTest::addColumn<QString>("amount");
        QTest::addColumn<QString>("number");
        QTest::addColumn<int>("column");
        QTest::addColumn<QString>("shown");
        QTest::addColumn<QString>("total");
        const auto add = [](const char* name, const char* amount, const char* number, int column,
                            const char* shown, const char* total) {
            QTest::newRow(name) << QString(amount) << QString(number) << column << QString(shown)
                                << QString(total);
        };
        const int a = C::ColumnAmount;
        const int n = C::ColumnNumber;
        add("amount grouped, total from it", "1234.567", "3", a, "1,234.57", "3,703.71");
        add("lone point, no number", ".", "", a, "", "");
        add("lone minus, no number", "-", "", a, "", "");
        add("lone minus with a number", "-", "2", a, "", "0.00");
        add("number with decimals", "10", "2.5", n, "2.50", "25.00");
        add("number rounded, total follows", "100", ".125", n, "0.13", "13.00");
        add("whole number 3.0", "10", "3.0", n, "3", "30.00");
        add("whole number 3.", "10", "3.", n, "3", "30.00");
        add("lone point, no amount", "", ".", n, "", "");
    }

    void commitNormalisesTheFigures()
    {
        QFETCH(QString, amount);
        QFETCH(QString, number);
        QFETCH(int, column);
        ChargesModel* model = grid(this);
        model->pickCharge(0, "Fuel stop", 80); // another row that must stay in the sums
        model->editCell(1, C::ColumnCharge, "Waiting");
        model->pickTax(1, "VAT", 20);
        type(*model, 1, C::ColumnAmount, amount);
        type(*model, 1, C::ColumnNumber, number);
        model->commitCell(1, column);
        QTEST(model->data(model->index(1, column)).toString(), "shown");
        QTEST(model->line(1).Total, "total");
        QCOMPARE(model->line(1).TaxAmount,
                 Format::number(Format::value(model->line(1).Total) * 0.2, Format::Money));
        verifySums(*model);
    }

    void keyRules_data()
    {
        QTest::addColumn<char>("column");
        QTest::addColumn<QString>("text");
        QTest::addColumn<QChar>("key");
        QTest::addColumn<QString>("result"); // the new text, or empty when dropped
        const auto add = [](const char* name, char column, const QString& text, char key,
                            const char* result) {
            QTest::newRow(name) << column << text << QChar(key) << QString(result);
        };
        add("five whole digits", 'A', "1234", '5', "12345");
        add("no sixth whole digit", 'A', "12345", '6', "");
        add("a point allows eight", 'A', "12345", '.', "12345.");
        add("eighth with point", 'A', "1234.56", '7', "1234.567");
        add("ninth with point", 'A', "1234.567", '8', "");
        add("separator adds one", 'A', "1,234.56", '7', "1,234.567");
        add("sign adds one", 'A', "-1234.56", '7', "-1234.567");
        add("column holds nine", 'A', "-1,234.56", '7', "");
        add("minus goes in front", 'A', "1,234.567", '-', "-1,234.567");
        add("minus at the limit", 'A', "1234.567", '-', "-1234.567");
        add("second minus", 'A', "-25", '-', "");
        add("second point", 'A', "2.5", '.', "");
        add("amount letter", 'A', "12", 'a', "");
        add("number point", 'N', "12", '.', "12.");
        add("number second point", 'N', "1.2", '.', "");
        add("number four", 'N', "123", '4', "1234");
        add("number no fifth", 'N', "1234", '5', "");
        add("charge text", 'C', "Cater", '!', "Cater!");
        add("charge enter", 'C', "Cater", '\r', "");
        add("charge bracket", 'C', "Cater", ']', "");
        add("charge limit", 'C', QString(25, 'x'), 'y', "");
    }

    void keyRules()
    {
        QFETCH(char, column);
        QFETCH(QString, text);
        QFETCH(QChar, key);
        QFETCH(QString, result);
        const int caret = int(text.size());
        const KeyOutcome outcome = column == 'A'   ? ChargesModel::amountKey(text, caret, key)
                                   : column == 'N' ? ChargesModel::numberKey(text, caret, key)
                                                   : ChargesModel::chargeKey(text, caret, key);
        QVERIFY(!(outcome.accepted && outcome.replaced));
        const QString typed = outcome.replaced   ? outcome.text
                              : outcome.accepted ? text + key
                                                 : QString();
        QCOMPARE(typed, result);
        if (outcome.replaced)
            QCOMPARE(outcome.caret, caret + 1);
    }

    void taxesLeaveTheirRows()
    {
        ChargesModel* model = grid(this);
        model->pickCharge(0, "Catering", 100);
        model->pickTax(0, "VAT", 20);
        const int segment = model->saveSegmentTax(-1, SegmentRow, "20.00");
        model->clearTax(segment); // the segment tax row keeps its tax
        model->clearTax(0);
        QCOMPARE(model->line(0), (ChargeLine{"Catering", "100.00", "1", "100.00", "", ""}));
        QCOMPARE(model->line(segment).TaxAmount, QString("20.00"));
        QCOMPARE(sums(*model), QString("100.00 / 20.00"));
        for (int column = 0; column < C::COLUMNS; ++column)
            QVERIFY(!(model->flags(model->index(segment, column)) & Qt::ItemIsEditable));

        // A tax the tax list no longer knows goes with the next edit of the row.
        model->pickTax(0, "GST", 5);
        QCOMPARE(model->totalTaxesText(), QString("25.00"));
        model->editCell(0, C::ColumnNumber, "2");
        QCOMPARE(model->line(0).Tax + model->line(0).TaxAmount, QString());
        QCOMPARE(sums(*model), QString("200.00 / 20.00"));
        verifySums(*model);
    }

    void segmentTaxRowIsWrittenAndReplaced()
    {
        ChargesModel* model = grid(this, 2);
        model->pickCharge(0, "Catering", 100);
        model->pickTax(0, "SALES TAX", 7.5);
        const int row = model->saveSegmentTax(0, SegmentRow, "20.00"); // row 0 is no such row
        QCOMPARE(row, 1);
        QCOMPARE(model->line(row), (ChargeLine{SegmentRow, "", "", "", "Segment Tax", "20.00"}));
        QCOMPARE(model->totalTaxesText(), QString("27.50"));
        QCOMPARE(model->count(), 3); // the segment tax row is no row to type into

        QSignalSpy changes(model, &ChargesModel::sumsChanged);
        QCOMPARE(model->saveSegmentTax(row, "5 Pax * 2 Segm. * 2.50", "25.00"), row);
        QCOMPARE(model->totalTaxesText(), QString("32.50"));
        QCOMPARE(changes.count(), 1);
        QCOMPARE(model->saveSegmentTax(0, SegmentRow, "20.00"), 2); // a further one
        QCOMPARE(sums(*model), QString("100.00 / 52.50"));
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

        QVERIFY(!model->removeLine(3, 8));
        QVERIFY(model->removeLine(0, 2));
        QCOMPARE(sums(*model), QString("0.00 / 0.00")); // the Number is still empty
        QCOMPARE(model->count(), 2);                    // more than two visible rows less one
        QVERIFY(model->removeLine(0, 3));
        QCOMPARE(model->count(), 2); // refilled to three visible rows less one
        model->ensureRows(5);
        QCOMPARE(model->count(), 5);

        model->pickCharge(0, "Catering", 100);
        model->pickTax(0, "VAT", 20);
        model->reset(8);
        QCOMPARE(model->count(), 8);
        QCOMPARE(sums(*model), QString("0.00 / 0.00"));
        model->pickCharge(0, "Landing fee", 40);
        model->pickTax(0, "VAT", 20);
        QCOMPARE(model->totalTaxesText(), QString("8.00"));
    }

    // Random runs of the grid's operations on random rows; after each the running sums
    // must still equal the shown figures, and views must have been told every change.
    void sumsFollowTheRowsThroughRandomEdits()
    {
        const QStringList amounts = {"150", "-25", "1234.567", ".", "-", "", "0.05", "99.99"};
        const QStringList numbers = {"3", "2.5", ".125", "", ".", "10", "3.0"};
        const QStringList taxes = {"VAT", "SALES TAX", "GST"};
        for (quint32 seed : {3u, 17u, 2024u}) {
            QRandomGenerator random(seed);
            ChargesModel* model = grid(this, 4);
            QAbstractItemModelTester tester(model,
                                            QAbstractItemModelTester::FailureReportingMode::QtTest);
            const auto pick = [&](const QStringList& list) {
                return list.at(random.bounded(list.size()));
            };
            const std::function<void(int)> operations[] = {
                [&](int row) { model->editCell(row, C::ColumnAmount, pick(amounts)); },
                [&](int row) { type(*model, row, C::ColumnNumber, pick(numbers)); },
                [&](int row) { model->commitCell(row, C::ColumnAmount + random.bounded(2)); },
                [&](int row) { model->pickCharge(row, "Fee", random.bounded(-50, 500) + 0.25); },
                [&](int row) { model->pickTax(row, pick(taxes), random.bounded(1, 30)); },
                [&](int row) { model->clearTax(row); },
                [&](int row) { model->removeLine(row, 4); },
                [&](int row) {
                    model->saveSegmentTax(row, SegmentRow, pick({"20.00", "7.50"}));
                },
            };
            for (int step = 0; step < 300; ++step) {
                operations[random.bounded(8)](random.bounded(model->count()));
                verifySums(*model);
                if (QTest::currentTestFailed())
                    QFAIL(qPrintable(QString("seed %1, step %2").arg(seed).arg(step)));
            }
        }
    }
};

QTEST_MAIN(TestChargesModel)
#include "tst_chargesmodel.moc"
