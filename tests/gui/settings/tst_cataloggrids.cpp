#include "core/db/engine.h"
#include "core/db/schema.h"
#include "core/folder/starterdata.h"
#include "gui/settings/catalogeditmodel.h"
#include "gui/settings/cataloggrids.h"
#include "support/testservices.h"
#include "support/themes.h"

#include <QAccessible>
#include <QApplication>
#include <QLineEdit>
#include <QPushButton>
#include <QTableView>
#include <QTemporaryDir>
#include <QVBoxLayout>
#include <QtTest>

using Platform::Icon;

// The catalogue grids as the settings dialog holds them: every edit inside one
// transaction on the default workspace, rolled back after each test.
class TestCatalogGrids : public QObject
{
    Q_OBJECT

private:
    QTemporaryDir m_dir;
    std::unique_ptr<TestServices> m_services;
    std::shared_ptr<Db::Database> m_db;
    std::unique_ptr<QWidget> m_window;
    QPushButton* m_save = nullptr;

    template <typename Grid> Grid* open()
    {
        m_window = std::make_unique<QWidget>();
        auto* grid = new Grid(m_db, m_window.get());
        // Next in the focus chain, so the focus reaches Save only when sent there.
        auto* other = new QLineEdit(m_window.get());
        m_save = new QPushButton(QStringLiteral("&Save"), m_window.get());
        grid->setSaveButton(m_save);
        auto* layout = new QVBoxLayout(m_window.get());
        layout->addWidget(grid);
        layout->addWidget(other);
        layout->addWidget(m_save);
        m_window->show();
        m_window->activateWindow();
        [&] { QVERIFY(QTest::qWaitForWindowActive(m_window.get())); }();
        return grid;
    }

    // Types into a cell as the operator does, then leaves it.
    static void type(CatalogGrid* grid, int row, int column, const QString& keys, bool replace)
    {
        const QModelIndex index = grid->model()->index(row, column);
        grid->grid()->setCurrentIndex(index);
        grid->grid()->edit(index);
        auto* editor = qobject_cast<QLineEdit*>(grid->grid()->indexWidget(index));
        QVERIFY(editor);
        if (replace)
            editor->clear();
        editor->end(false);
        QTest::keyClicks(editor, keys);
    }

    QStringList column(const QString& source, const QString& field)
    {
        QStringList values;
        auto records = m_db->openRecordset(source, Db::RecordsetType::Snapshot);
        for (int i = 0; i < records->recordCount(); ++i)
            values << records->row(i).value(records->fieldIndex(field)).toString();
        return values;
    }

    void verifyNoRowSelected(const QString& title)
    {
        QCOMPARE(m_services->prompter->messages().size(), 1);
        QString why;
        QVERIFY2(sameMessage(m_services->prompter->messages().first(), Icon::Exclamation, title,
                             QStringLiteral("No Row Selected."), Platform::Button::Ok, &why),
                 qPrintable(why));
        m_services->prompter->clear();
    }

private slots:
    void initTestCase()
    {
        QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates));
        StarterData::createProgramFolder(m_dir.path(), QStringLiteral("Brisklander"));
    }

    void init()
    {
        m_services = std::make_unique<TestServices>();
        auto& engine = Db::DbEngine::instance();
        engine.setSystemDB(m_dir.filePath(QStringLiteral("Brisklander.mdw")));
        engine.setDefaultUser(Schema::UserName);
        engine.setDefaultPassword(Schema::Password);
        m_db = engine.defaultWorkspace()->openDatabase(
            m_dir.filePath(QStringLiteral("Brisklander.mdb")));
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
        const auto check = [](CatalogGrid* grid, const QString& caption) {
            grid->setTitle(QString());
            QCOMPARE(grid->grid()->accessibleName(), caption);
            QCOMPARE(QAccessible::queryAccessibleInterface(grid->grid())->text(QAccessible::Name),
                     caption);
        };
        check(open<ChargesGrid>(), QStringLiteral("Edit Additional Charges"));
        check(open<TaxesGrid>(), QStringLiteral("Edit Taxes"));
    }

    void newChargeIsWrittenWithItsAmountFormatted()
    {
        auto* grid = open<ChargesGrid>();
        const int row = grid->model()->tableRows();
        type(grid, row, ChargesGrid::ColumnDescription, "Landing fee", true);
        grid->writeCurrentRow();
        type(grid, row, ChargesGrid::ColumnAmount, "1234x.5", true);
        grid->writeCurrentRow();
        QCOMPARE(grid->model()->text(row, ChargesGrid::ColumnAmount), QString("1,234.50"));
        QCOMPARE(column("AdditionalCharges", "ChargeAmount").last(), QString("1234.5"));
    }

    void minusGoesInFrontAndTurnsTheAmountDarkRed()
    {
        auto* grid = open<ChargesGrid>();
        QVERIFY(grid->model()->setRowTexts(0, {"Catering", "25.00"}));
        type(grid, 0, ChargesGrid::ColumnAmount, "--", false);
        auto* editor =
            qobject_cast<QLineEdit*>(grid->grid()->indexWidget(grid->model()->index(0, 1)));
        QCOMPARE(editor->text(), QString("-25.00"));
        QCOMPARE(editor->palette().color(QPalette::Text), QColor(128, 0, 0));
        grid->writeCurrentRow();
        QCOMPARE(column("AdditionalCharges", "ChargeAmount").first(), QString("-25"));

        // On a dark theme's rows, selected or not, every amount takes a colour that reads.
        auto* recorder = new CellRecorder;
        recorder->setParent(grid);
        grid->grid()->setStyle(recorder);
        const auto unreadable = [&] {
            recorder->cells.clear();
            grid->grid()->viewport()->repaint();
            QStringList found;
            for (const CellRecorder::Cell& cell : std::as_const(recorder->cells)) {
                if (cell.index.column() == ChargesGrid::ColumnAmount &&
                    !cell.index.data().toString().isEmpty() && !readsOn(cell.text, cell.background))
                    found << cell.index.data().toString();
            }
            return recorder->cells.isEmpty() ? QStringList{"nothing drawn"} : found;
        };
        const QPalette light = QApplication::palette();
        QApplication::setPalette(darkPalette());
        QTRY_COMPARE(grid->grid()->palette().color(QPalette::Base), QColor(42, 42, 42));
        grid->grid()->selectRow(1);
        QCOMPARE(unreadable(), QStringList());
        QApplication::setPalette(light);
    }

    void taxNameIsTrimmedAndABlankNameEmptiesThePercent()
    {
        auto* grid = open<TaxesGrid>();
        const int row = grid->model()->tableRows();
        type(grid, row, TaxesGrid::ColumnTaxType, "  Levy  ", true);
        grid->writeCurrentRow();
        type(grid, row, TaxesGrid::ColumnPercent, "-7a,5.", true); // "," types the point too
        grid->writeCurrentRow();
        QCOMPARE(grid->model()->rowTexts(row), QStringList({"Levy", "7.50"}));
        QCOMPARE(column("Taxes", "Tax Type").last(), QString("Levy"));
        type(grid, row, TaxesGrid::ColumnTaxType, "   ", true);
        grid->writeCurrentRow();
        QCOMPARE(grid->model()->rowTexts(row), QStringList({"", ""}));
        QCOMPARE(column("Taxes", "Tax %").last(), QString());
    }

    // Tab and Shift+Tab go from cell to cell, and past the last (or before the first)
    // leave the grid for the next (or previous) control, from an open cell as from the
    // grid: nothing typed next lands in the first row.
    void tabLeavesTheGridPastItsLastCell()
    {
        auto* grid = open<TaxesGrid>();
        QTableView* view = grid->grid();
        const QStringList first = grid->model()->rowTexts(0);
        view->setFocus();
        view->setCurrentIndex(grid->model()->index(0, TaxesGrid::ColumnPercent));
        QTest::keyClick(view, Qt::Key_Backtab, Qt::ShiftModifier);
        QCOMPARE(view->currentIndex(), grid->model()->index(0, TaxesGrid::ColumnTaxType));
        QTest::keyClick(view, Qt::Key_Backtab, Qt::ShiftModifier);
        QVERIFY(QApplication::focusWidget() != view);

        const QModelIndex last =
            grid->model()->index(grid->model()->rowCount() - 1, TaxesGrid::ColumnPercent);
        view->setFocus();
        view->setCurrentIndex(last);
        QTest::keyClick(view, Qt::Key_F2);
        QVERIFY(view->indexWidget(last));
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        QWidget* next = QApplication::focusWidget();
        QVERIFY(next && next != view && !view->isAncestorOf(next));
        QTest::keyClicks(next, QStringLiteral("9"));
        QCOMPARE(grid->model()->rowTexts(0), first);
    }

    void deletingAChargeNeedsARowAndLastsUntilRollback()
    {
        auto* grid = open<ChargesGrid>();
        const QStringList before = column("AdditionalCharges", "ChargeDescription");
        m_services->prompter->setNextAnswer(Platform::Button::Ok);
        grid->CmdDeleteCharge_Click();
        verifyNoRowSelected("Delete Add. Charges");
        QCOMPARE(column("AdditionalCharges", "ChargeDescription"), before);
        grid->grid()->selectRow(1);
        QTest::mouseClick(grid->deleteButton(), Qt::LeftButton);
        QStringList expected = before;
        expected.removeAt(1);
        QCOMPARE(column("AdditionalCharges", "ChargeDescription"), expected);
        QCOMPARE(QApplication::focusWidget(), m_save);
        Db::DbEngine::instance().defaultWorkspace()->rollback();
        QCOMPARE(column("AdditionalCharges", "ChargeDescription"), before);
    }

    void deletingATaxNeedsARowAndDropsItFromTheLists()
    {
        auto* grid = open<TaxesGrid>();
        const QString listed = QString("Select * from Taxes Where [Tax Type] <> \"\"");
        const QStringList before = column(listed, "Tax Type");
        m_services->prompter->setNextAnswer(Platform::Button::Ok);
        grid->CmdDelTax_Click();
        verifyNoRowSelected("Delete Tax");
        QCOMPARE(column(listed, "Tax Type"), before);
        grid->grid()->selectRow(0);
        QTest::mouseClick(grid->deleteButton(), Qt::LeftButton);
        QCOMPARE(grid->model()->rowTexts(0), QStringList({"", ""}));
        QCOMPARE(column(listed, "Tax Type"), before.mid(1));
    }

    void engineFailureIsShownAndTheRowKept()
    {
        auto* grid = open<ChargesGrid>();
        const QStringList before = grid->model()->rowTexts(0);
        m_services->prompter->setNextAnswer(Platform::Button::Ok);
        QVERIFY(!grid->model()->setData(grid->model()->index(0, 0), QString(26, u'x')));
        QCOMPARE(m_services->prompter->messages().size(), 1);
        const Platform::Message message = m_services->prompter->messages().first();
        QCOMPARE(message.icon, Icon::Critical);
        QCOMPARE(message.title, QString("Settings"));
        QVERIFY2(message.text.startsWith(QString("An Error Occurred:\r\rError number = 3163\r")),
                 qPrintable(message.text));
        m_services->prompter->clear();
        QCOMPARE(grid->model()->rowTexts(0), before);
    }
};

QTEST_MAIN(TestCatalogGrids)
#include "tst_cataloggrids.moc"
