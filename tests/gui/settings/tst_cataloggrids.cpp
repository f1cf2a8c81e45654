#include "core/db/engine.h"
#include "core/db/schema.h"
#include "core/folder/starterdata.h"
#include "gui/settings/catalogeditmodel.h"
#include "gui/settings/cataloggrids.h"
#include "support/dialogkeys.h"
#include "support/themes.h"

#include <QAccessible>
#include <QLineEdit>
#include <QPushButton>
#include <QTableView>
#include <QTemporaryDir>
#include <QVBoxLayout>

using namespace Qt::StringLiterals;
using Platform::Icon;

// The catalogue grids as the settings dialog holds them: every edit inside one
// transaction on the default workspace, rolled back after each test.
class TestCatalogGrids : public QObject
{
    Q_OBJECT

    QTemporaryDir m_dir;
    std::unique_ptr<TestServices> m_services;
    std::shared_ptr<Db::Database> m_db;
    std::unique_ptr<QWidget> m_window;
    QPushButton* m_save = nullptr;

    CatalogGrid* open(bool taxes)
    {
        m_window = std::make_unique<QWidget>();
        CatalogGrid* grid = taxes ? static_cast<CatalogGrid*>(new TaxesGrid(m_db, m_window.get()))
                                  : new ChargesGrid(m_db, m_window.get());
        // Next in the focus chain, so the focus reaches Save only when sent there.
        auto* other = new QLineEdit(m_window.get());
        m_save = new QPushButton(u"&Save"_s, m_window.get());
        grid->setSaveButton(m_save);
        auto* layout = new QVBoxLayout(m_window.get());
        for (QWidget* widget : {static_cast<QWidget*>(grid), static_cast<QWidget*>(other),
                                static_cast<QWidget*>(m_save)})
            layout->addWidget(widget);
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
    QStringList column(const QString& source, const QString& field)
    {
        QStringList values;
        auto records = m_db->openRecordset(source, Db::RecordsetType::Snapshot);
        for (int i = 0; i < records->recordCount(); ++i)
            values << records->row(i).value(records->fieldIndex(field)).toString();
        return values;
    }

private slots:
    void initTestCase()
    {
        QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates));
        StarterData::createProgramFolder(m_dir.path(), u"Brisklander"_s);
    }
    void init()
    {
        m_services = std::make_unique<TestServices>();
        auto& engine = Db::DbEngine::instance();
        engine.setSystemDB(m_dir.filePath(u"Brisklander.mdw"_s));
        engine.setDefaultUser(Schema::UserName);
        engine.setDefaultPassword(Schema::Password);
        m_db = engine.defaultWorkspace()->openDatabase(m_dir.filePath(u"Brisklander.mdb"_s));
        engine.defaultWorkspace()->beginTrans();
    }
    void cleanup()
    {
        m_window.reset();
        m_db.reset();
        Db::DbEngine::instance().release(); // rolls back what a test left open
        QVERIFY(m_services->prompter->unexpected().isEmpty());
        m_services.reset();
    }

    // The grids are named by their frames' captions, which the dialog shows on its own
    // frames instead of the grids'.
    void gridsAreNamedByTheirFrames()
    {
        for (const bool taxes : {false, true}) {
            CatalogGrid* grid = open(taxes);
            grid->setTitle(QString());
            const QString caption = taxes ? u"Edit Taxes"_s : u"Edit Additional Charges"_s;
            QCOMPARE(grid->grid()->accessibleName(), caption);
            QCOMPARE(QAccessible::queryAccessibleInterface(grid->grid())->text(QAccessible::Name),
                     caption);
        }
    }

    // A new row typed cell by cell, each written as it is left: the keys each column
    // drops, the text it shows and the row stored.
    void newRowTypedAndStored_data()
    {
        QTest::addColumn<bool>("taxes");
        QTest::addColumn<QStringList>("typing"); // column, keys, ...
        QTest::addColumn<QStringList>("shown");
        QTest::addColumn<QStringList>("stored");
        QTest::newRow("charge amount formatted")
            << false << QStringList{"0", "Landing fee", "1", "1234x.5"}
            << QStringList{"Landing fee", "1,234.50"} << QStringList{"Landing fee", "1234.5"};
        QTest::newRow("charge minus goes in front")
            << false << QStringList{"0", "Catering", "1", "25", "1", "+--"}
            << QStringList{"Catering", "-25.00"} << QStringList{"Catering", "-25"};
        QTest::newRow("tax name trimmed, comma types the point")
            << true << QStringList{"0", "  Levy  ", "1", "-7a,5."} << QStringList{"Levy", "7.50"}
            << QStringList{"Levy", "7.5"};
        QTest::newRow("blank tax name empties the percent")
            << true << QStringList{"0", "Levy", "1", "7.5", "0", "   "} << QStringList{"", ""}
            << QStringList{"", ""};
    }
    void newRowTypedAndStored()
    {
        QFETCH(bool, taxes);
        QFETCH(QStringList, typing);
        CatalogGrid* grid = open(taxes);
        const int row = grid->model()->tableRows();
        for (qsizetype i = 0; i < typing.size(); i += 2) {
            type(grid, row, typing[i].toInt(), typing[i + 1]);
            grid->writeCurrentRow();
        }
        QTEST(grid->model()->rowTexts(row), "shown");
        const QString table = taxes ? u"Taxes"_s : u"AdditionalCharges"_s;
        QTEST((QStringList{column(table, taxes ? "Tax Type" : "ChargeDescription").last(),
                           column(table, taxes ? "Tax %" : "ChargeAmount").last()}),
              "stored");
    }

    // A negative amount is dark red while typed; on a dark theme's rows, selected or not,
    // every amount takes a colour that reads.
    void amountColours()
    {
        CatalogGrid* grid = open(false);
        QVERIFY(grid->model()->setRowTexts(0, {"Catering", "25.00"}));
        type(grid, 0, ChargesGrid::ColumnAmount, "+-");
        auto* editor = qobject_cast<QLineEdit*>(QApplication::focusWidget());
        QCOMPARE(editor->text(), u"-25.00"_s);
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
        for (const CellRecorder::Cell& cell : std::as_const(recorder->cells)) {
            if (cell.index.column() == ChargesGrid::ColumnAmount &&
                !cell.index.data().toString().isEmpty() && !readsOn(cell.text, cell.background))
                unreadable << cell.index.data().toString();
        }
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
    // emptied and leaves the lists, until the dialog's transaction is rolled back.
    void deleteNeedsARowAndLastsUntilRollback_data()
    {
        QTest::addColumn<bool>("taxes");
        QTest::addColumn<QString>("title");
        QTest::newRow("charge") << false << "Delete Add. Charges";
        QTest::newRow("tax") << true << "Delete Tax";
    }
    void deleteNeedsARowAndLastsUntilRollback()
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
        m_services->prompter->setNextAnswer(Platform::Button::Ok);
        if (taxes)
            static_cast<TaxesGrid*>(grid)->CmdDelTax_Click();
        else
            static_cast<ChargesGrid*>(grid)->CmdDeleteCharge_Click();
        verifyOnlyMessage(*m_services->prompter, Icon::Exclamation, title, u"No Row Selected."_s);
        QCOMPARE(column(listed, field), before);
        grid->grid()->selectRow(1);
        QTest::mouseClick(grid->deleteButton(), Qt::LeftButton);
        QStringList expected = before;
        expected.removeAt(1);
        QCOMPARE(column(listed, field), expected);
        QCOMPARE(grid->model()->rowTexts(1) == QStringList({"", ""}), taxes);
        QCOMPARE(QApplication::focusWidget(), m_save);
        Db::DbEngine::instance().defaultWorkspace()->rollback();
        QCOMPARE(column(listed, field), before);
    }

    void engineFailureIsShownAndTheRowKept()
    {
        CatalogGrid* grid = open(false);
        const QStringList before = grid->model()->rowTexts(0);
        m_services->prompter->setNextAnswer(Platform::Button::Ok);
        QVERIFY(!grid->model()->setData(grid->model()->index(0, 0), QString(26, u'x')));
        const Platform::Message message = m_services->prompter->messages().value(0);
        QVERIFY2(message.text.startsWith(u"An Error Occurred:\r\rError number = 3163\r"_s),
                 qPrintable(message.text));
        verifyOnlyMessage(*m_services->prompter, Icon::Critical, u"Settings"_s, message.text);
        QCOMPARE(grid->model()->rowTexts(0), before);
    }
};

QTEST_MAIN(TestCatalogGrids)
#include "tst_cataloggrids.moc"
