#include "core/db/engine.h"
#include "core/quote/catalogtable.h"
#include "gui/appcontext.h"
#include "gui/settings/catalogeditmodel.h"
#include "gui/settings/cataloggrids.h"
#include "support/dialogkeys.h"
#include "support/tablerows.h"
#include "support/themes.h"

#include <QLineEdit>
#include <QPushButton>
#include <QTableView>
#include <QVBoxLayout>

using namespace Qt::StringLiterals;
using Platform::Icon;

// The catalogue grids as the settings dialog holds them: every edit kept in the grid's
// catalogue table until a Save writes it (CatalogSave, the dialog's own test).
class TestCatalogGrids : public FolderTest
{
    Q_OBJECT

    std::shared_ptr<Db::Database> m_db;
    std::unique_ptr<QWidget> m_window;
    QPushButton* m_save = nullptr;

    CatalogGrid* open(bool taxes)
    {
        m_window = std::make_unique<QWidget>();
        CatalogGrid* grid = taxes ? static_cast<CatalogGrid*>(new TaxesGrid(m_db, m_window.get()))
                                  : new ChargesGrid(m_db, m_window.get());
        auto* layout = new QVBoxLayout(m_window.get());
        layout->addWidget(grid);
        layout->addWidget(new QLineEdit); // next, so the focus reaches Save only when sent there
        layout->addWidget(m_save = new QPushButton(u"&Save"_s));
        grid->setSaveButton(m_save);
        m_window->show();
        m_window->activateWindow();
        [&] { QVERIFY(QTest::qWaitForWindowActive(m_window.get())); }();
        return grid;
    }
    // Types into a cell as the operator does: F2 opens it, the keys replace its text
    // unless they start with "+".
    static void type(CatalogGrid* grid, int row, int column, QString keys)
    {
        const QModelIndex index = grid->model()->index(row, column);
        grid->grid()->setFocus();
        grid->grid()->setCurrentIndex(index);
        QTest::keyClick(grid->grid(), Qt::Key_F2);
        auto* editor = qobject_cast<QLineEdit*>(grid->grid()->indexWidget(index));
        QVERIFY(editor);
        if (!keys.startsWith(u'+'))
            editor->clear();
        editor->end(false);
        QTest::keyClicks(editor, keys.remove(0, keys.startsWith(u'+') ? 1 : 0));
    }
    // What the dialog's Save does with the grid's edits.
    static void save(CatalogGrid* grid)
    {
        CatalogSave save(*Db::DbEngine::instance().defaultWorkspace(), {&grid->model()->table()});
        QVERIFY(save.write({}).isEmpty());
        save.commit();
    }
    QStringList column(const QString& source, const QString& field)
    {
        QStringList values;
        auto records = m_db->openRecordset(source, Db::RecordsetType::Snapshot);
        for (int i = 0; i < records->recordCount(); ++i)
            values << records->row(i).value(records->fieldIndex(field)).toString();
        return values;
    }

private slots:
    void init()
    {
        openFolder();
        m_db = Db::DbEngine::instance().defaultWorkspace()->openDatabase(appContext().DatabasePath);
    }
    void cleanup()
    {
        m_window.reset();
        m_db.reset();
        closeFolder();
    }

    // A new row typed cell by cell, each taken as it is left: the keys each column
    // drops, the text it shows and the row stored by the Save.
    void newRowTypedAndStored_data() { addTableRows(u"gui/settings/cataloggrids-rows.txt"_s); }
    void newRowTypedAndStored()
    {
        QFETCH(QStringList, row);
        const bool taxes = row[0] == u"taxes";
        CatalogGrid* grid = open(taxes);
        const int added = grid->model()->tableRows();
        for (qsizetype i = 5; i + 1 < row.size(); i += 2) {
            type(grid, added, row[i].toInt(), row[i + 1]);
            grid->writeCurrentRow();
        }
        QCOMPARE(grid->model()->rowTexts(added), row.mid(1, 2));
        const QString table = taxes ? u"Taxes"_s : u"AdditionalCharges"_s;
        QCOMPARE(column(table, taxes ? "Tax Type" : "ChargeDescription").size(), added);
        save(grid);
        QCOMPARE((QStringList{column(table, taxes ? "Tax Type" : "ChargeDescription").last(),
                              column(table, taxes ? "Tax %" : "ChargeAmount").last()}),
                 row.mid(3, 2));
    }

    // A negative amount is dark red while typed; on a dark theme's rows, selected or not,
    // every amount takes a colour that reads.
    void amountColours()
    {
        CatalogGrid* grid = open(false);
        QVERIFY(grid->model()->setRowTexts(0, {"Catering", "25.00"}));
        type(grid, 0, ChargesGrid::ColumnAmount, "+-");
        auto* editor = qobject_cast<QLineEdit*>(QApplication::focusWidget());
        QCOMPARE(editor->palette().color(QPalette::Text), QColor(128, 0, 0));
        grid->writeCurrentRow();
        auto* recorder = new CellRecorder;
        recorder->setParent(grid);
        grid->grid()->setStyle(recorder);
        const QPalette light = QApplication::palette();
        QApplication::setPalette(darkPalette());
        QTRY_COMPARE(grid->grid()->palette().color(QPalette::Base), QColor(42, 42, 42));
        grid->grid()->selectRow(1);
        grid->grid()->viewport()->repaint();
        QStringList unreadable;
        for (const CellRecorder::Cell& cell : std::as_const(recorder->cells))
            if (cell.index.column() == ChargesGrid::ColumnAmount &&
                !cell.index.data().toString().isEmpty() && !readsOn(cell.text, cell.background))
                unreadable << cell.index.data().toString();
        QApplication::setPalette(light);
        QVERIFY(!recorder->cells.isEmpty());
        QCOMPARE(unreadable, QStringList());
    }

    // Tab and Shift+Tab go from cell to cell, and past the last (or before the first)
    // leave the grid for the next (or previous) control, from an open cell as from the
    // grid: nothing typed next lands in the first row.
    void tabLeavesTheGridPastItsLastCell()
    {
        CatalogGrid* grid = open(true);
        QTableView* view = grid->grid();
        const QStringList first = grid->model()->rowTexts(0);
        view->setFocus();
        view->setCurrentIndex(grid->model()->index(0, TaxesGrid::ColumnPercent));
        QTest::keyClick(view, Qt::Key_Backtab, Qt::ShiftModifier);
        QCOMPARE(view->currentIndex(), grid->model()->index(0, TaxesGrid::ColumnTaxType));
        QTest::keyClick(view, Qt::Key_Backtab, Qt::ShiftModifier);
        QVERIFY(QApplication::focusWidget() != view);
        type(grid, grid->model()->rowCount() - 1, TaxesGrid::ColumnPercent, "+");
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        QWidget* next = QApplication::focusWidget();
        QVERIFY(next && next != view && !view->isAncestorOf(next));
        QTest::keyClicks(next, u"9"_s);
        QCOMPARE(grid->model()->rowTexts(0), first);
    }

    // Delete needs a selected row; a charge goes (the focus on to Save), a tax row is
    // emptied; the table keeps them until the Save, which takes them out of the lists.
    void deleteNeedsARowAndWaitsForSave_data()
    {
        QTest::addColumn<bool>("taxes");
        QTest::addColumn<QString>("title");
        QTest::newRow("charge") << false << "Delete Add. Charges";
        QTest::newRow("tax") << true << "Delete Tax";
    }
    void deleteNeedsARowAndWaitsForSave()
    {
        QFETCH(bool, taxes);
        QFETCH(QString, title);
        CatalogGrid* grid = open(taxes);
        const QString listed =
            taxes ? u"Select * from Taxes Where [Tax Type] <> \"\""_s : u"AdditionalCharges"_s;
        const QString field = taxes ? u"Tax Type"_s : u"ChargeDescription"_s;
        const QStringList before = column(listed, field);
        // Without a selection the button is off; the command itself still refuses.
        QVERIFY(!grid->deleteButton()->isEnabled());
        prompter().setNextAnswer(Platform::Button::Ok);
        if (taxes)
            static_cast<TaxesGrid*>(grid)->CmdDelTax_Click();
        else
            static_cast<ChargesGrid*>(grid)->CmdDeleteCharge_Click();
        verifyOnlyMessage(prompter(), Icon::Exclamation, title, u"No Row Selected."_s);
        QCOMPARE(column(listed, field), before);
        grid->grid()->selectRow(1);
        QTest::mouseClick(grid->deleteButton(), Qt::LeftButton);
        QStringList expected = before;
        expected.removeAt(1);
        QCOMPARE(grid->model()->rowTexts(1) == QStringList({"", ""}), taxes);
        QCOMPARE(QApplication::focusWidget(), m_save);
        QCOMPARE(column(listed, field), before);
        save(grid);
        QCOMPARE(column(listed, field), expected);
    }

    void engineFailureIsShownAndTheRowKept()
    {
        CatalogGrid* grid = open(false);
        const QStringList before = grid->model()->rowTexts(0);
        prompter().setNextAnswer(Platform::Button::Ok);
        QVERIFY(!grid->model()->setData(grid->model()->index(0, 0), QString(26, u'x')));
        verifyOnlyMessage(prompter(), Icon::Critical, u"Settings"_s,
                          u"An Error Occurred:\r\rError number = 3163\r*"_s);
        QCOMPARE(grid->model()->rowTexts(0), before);
    }
};

QTEST_MAIN(TestCatalogGrids)
#include "tst_cataloggrids.moc"
