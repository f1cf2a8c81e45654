#include "core/document/quotedata.h"
#include "core/quote/chargesmodel.h"
#include "support/mainwindowfixture.h"
#include "support/tablerows.h"

#include <QAbstractItemView>
#include <QApplication>
#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <QTableView>
#include <QTest>

// The charges grid of the main window, driven by keys as the operator types them.
using namespace Qt::StringLiterals;

class TestChargesGrid : public MainWindowFixture
{
    Q_OBJECT

public:
    TestChargesGrid() { m_start.DEFAULTCHARGENM = 8.5; }

private:
    QTableView* grid() const { return child<QTableView>("SSDBGrid3"); }
    const ChargesModel* charges() const { return m_window->charges(); }
    static QString cells(const ChargeLine& line)
    {
        return QStringList{line.Charge, line.Amount, line.Number,
                           line.Total,  line.Tax,    line.TaxAmount}
            .join(u';');
    }
    QString cellName() const
    {
        const QModelIndex current = grid()->currentIndex();
        return QStringLiteral("%1,%2").arg(current.row()).arg(current.column());
    }
    // Leaves a cell by a key as QKeySequence names it ("Tab", "Return"), or by a click on
    // the charge per mile for "click".
    void leaveBy(const QString& how)
    {
        if (how == u"click")
            QTest::mouseClick(child<QLineEdit>("TxtChargePerMile"), Qt::LeftButton);
        else if (!how.isEmpty())
            key(QKeySequence(how)[0].key(), QKeySequence(how)[0].keyboardModifiers());
    }
    // Opens the segment tax window with Alt+S as a person does: the S is let go only
    // once the window is open, in its first field. Types the passengers and saves.
    void segmentTaxByAccessKey(const QString& passengers)
    {
        backToWindow(); // as the desktop does when a dialog closes
        onNextModal([passengers](QWidget* window) {
            QTest::keyRelease(QApplication::focusWidget(), Qt::Key_S, Qt::AltModifier);
            QTest::keyClicks(QApplication::focusWidget(), passengers);
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_S, Qt::AltModifier);
            QVERIFY(!window->isVisible());
        });
        QTest::keyPress(QApplication::focusWidget(), Qt::Key_S, Qt::AltModifier);
        QVERIFY(!QApplication::activeModalWidget());
    }

private slots:
    // The Charge cell completes a typed charge from the catalogue ("Cater" shows
    // "CaterING", the rest proposed). Leaving the cell in any way while the proposal
    // stands picks that catalogue row; anything else stays exactly as typed.
    void leavingTheChargeCellDecidesOnItsCompletion_data()
    {
        addTableRows(u"gui/mainwindow/chargecell-leaving.txt"_s);
    }

    void leavingTheChargeCellDecidesOnItsCompletion()
    {
        QFETCH(QStringList, row);
        typeIntoCell(1, ChargesModel::ColumnCharge, row[0]);
        auto* box = qobject_cast<QComboBox*>(QApplication::focusWidget());
        QVERIFY(box);
        if (row[0] == u"Cater")
            QCOMPARE(box->currentText(), QStringLiteral("CaterING"));
        leaveBy(row[1]);
        leaveBy(row[2]);
        QCOMPARE(cells(charges()->line(1)), row[3]);
        const QString sum = row[3].startsWith(u"CATERING") ? u"85.50"_s : u"0.00"_s;
        QCOMPARE(field("TxtTotAddCharges") + u' ' + field("TxtTotalCharges"), sum + u' ' + sum);
        if (row[2] == u"Down") // Down leaves for the next row, as it does from every other cell
            QCOMPARE(grid()->currentIndex().row(), 2);
    }

    // The catalogue stays one key away: F4 opens it, the arrows step through it and
    // Enter picks a row.
    void theCatalogueListOpensFromTheKeyboard()
    {
        typeIntoCell(0, ChargesModel::ColumnCharge, QStringLiteral("x"));
        auto* box = qobject_cast<QComboBox*>(QApplication::focusWidget());
        QVERIFY(box);
        key(Qt::Key_F4);
        QTRY_VERIFY(box->view()->isVisible());
        QTest::keyClick(box->view(), Qt::Key_Down); // from LANDING FEE, the first row
        QTest::keyClick(box->view(), Qt::Key_Return);
        QCOMPARE(cells(charges()->line(0)), QStringLiteral("CATERING;85.50;1;85.50;;"));
        QCOMPARE(QApplication::focusWidget(), grid());
    }

    // A cell holding a figure or a charge is typed over, as the editor opens with its
    // text selected; entering a picked charge and leaving it untouched changes nothing.
    void typingIntoAFilledCellReplacesIt()
    {
        typeIntoCell(0, ChargesModel::ColumnCharge, QStringLiteral("Cater"));
        press(QStringLiteral("\t12345.6\t"));
        QCOMPARE(cells(charges()->line(0)), QStringLiteral("CATERING;12,345.60;1;12,345.60;;"));
        typeIntoCell(0, ChargesModel::ColumnAmount, QStringLiteral("9"), true);
        QCOMPARE(charges()->line(0).Amount, QStringLiteral("9.00"));
        // A minus goes in front of it all.
        typeIntoCell(0, ChargesModel::ColumnAmount, QStringLiteral("-"), true);
        QCOMPARE(charges()->line(0).Amount, QStringLiteral("-9.00"));
        grid()->setCurrentIndex(charges()->index(0, ChargesModel::ColumnCharge));
        key(Qt::Key_F2);
        key(Qt::Key_Tab);
        QCOMPARE(cells(charges()->line(0)), QStringLiteral("CATERING;-9.00;1;-9.00;;"));
        typeIntoCell(0, ChargesModel::ColumnCharge, QStringLiteral("Hangar"));
        key(Qt::Key_Tab);
        QCOMPARE(cells(charges()->line(0)), QStringLiteral("HANGAR;275.00;1;275.00;;"));
        QCOMPARE(field("TxtTotAddCharges"), QStringLiteral("275.00"));
    }

    // A whole charge from the keyboard alone: Tab goes on to the next editable cell, where
    // a letter picks the first tax type it begins, on the cell or in the list a click on
    // the current Tax cell opens; leaving the cell in any way keeps it, and Delete
    // empties it again.
    void aLetterPicksTheTaxType_data() { addTableRows(u"gui/mainwindow/taxcell-letter.txt"_s); }

    void aLetterPicksTheTaxType()
    {
        QFETCH(QStringList, row);
        typeIntoCell(0, ChargesModel::ColumnCharge, QStringLiteral("Cater"));
        press(QStringLiteral("\t\t3\t"));
        QCOMPARE(cellName(), QStringLiteral("0,4"));
        const QModelIndex tax = charges()->index(0, ChargesModel::ColumnTax);
        if (row[0] == u"yes") {
            QTest::mouseClick(grid()->viewport(), Qt::LeftButton, {},
                              grid()->visualRect(tax).center());
            QTRY_VERIFY(QApplication::activePopupWidget());
        }
        press(QStringLiteral("s"));
        leaveBy(row[1]);

        QVERIFY(!QApplication::activePopupWidget());
        QCOMPARE(cells(charges()->line(0)),
                 QStringLiteral("CATERING;85.50;3;256.50;SALES TAX;16.03"));
        QCOMPARE(field("TxtTotTaxAddCharges"), QStringLiteral("16.03"));
        QCOMPARE(m_window->quoteData().charges.value(0).tax, QStringLiteral("SALES TAX"));
        QCOMPARE(cellName(), row[2]);
        grid()->setFocus();
        grid()->setCurrentIndex(tax);
        key(Qt::Key_Delete);
        QCOMPARE(charges()->line(0).Tax, QString());
        QCOMPARE(field("TxtTotTaxAddCharges"), QStringLiteral("0.00"));
    }

    // The passengers of a segment tax row are typed over when the row is opened again
    // with the access key, whose release comes in the window it opened.
    void segmentTaxCountIsTypedOverWhenOpenedByItsAccessKey()
    {
        add(QStringLiteral("KBOS"));
        grid()->setFocus();
        grid()->setCurrentIndex(charges()->index(0, ChargesModel::ColumnCharge));
        segmentTaxByAccessKey(QStringLiteral("3"));
        QCOMPARE(charges()->line(0).Charge, QStringLiteral("3 Pax * 1 Segm. * 2.50"));
        QCOMPARE(grid()->currentIndex().row(), 0);
        segmentTaxByAccessKey(QStringLiteral("5"));
        QCOMPARE(cells(charges()->line(0)),
                 QStringLiteral("5 Pax * 1 Segm. * 2.50;;;;Segment Tax;12.50"));
        QCOMPARE(field("TxtTotTaxAddCharges"), QStringLiteral("12.50"));
    }

    // Tab and Shift+Tab visit every editable cell (Charge, Amount, Number, Tax) of
    // every row, never the computed Total and Tax Amount, and only then leave the
    // grid for the next or the previous control; from an open editor as well, with
    // its entry written.
    void tabAndShiftTabVisitTheEditableCellsBeforeLeaving()
    {
        QStringList order;
        for (int row = 0; row < charges()->count(); ++row)
            for (int column : {0, 1, 2, 4})
                order << QStringLiteral("%1,%2").arg(row).arg(column);
        // Tab to the last cell and out, Shift+Tab back onto it, to the first cell and out.
        QStringList expected = order.mid(1) << u"CmdQuoteMem"_s;
        std::reverse_copy(order.cbegin(), order.cend(), std::back_inserter(expected));
        expected << u"SSDBCBTaxBaseCharge"_s;
        grid()->setFocus();
        grid()->setCurrentIndex(charges()->index(0, 0));
        QStringList visited;
        while (visited.size() < expected.size()) {
            press(visited.size() < order.size() ? u"\t"_s : u"\x0b"_s);
            const QWidget* focus = QApplication::focusWidget();
            visited << (focus == grid() ? cellName() : focus->objectName());
        }
        QCOMPARE(visited, expected);

        typeIntoCell(0, ChargesModel::ColumnCharge, QStringLiteral("Cater"));
        key(Qt::Key_Tab, Qt::ShiftModifier);
        QCOMPARE(QApplication::focusWidget()->objectName(), expected.last());
        QCOMPARE(charges()->line(0).Charge, QStringLiteral("CATERING"));
    }
};

QTEST_MAIN(TestChargesGrid)
#include "tst_chargesgrid.moc"
