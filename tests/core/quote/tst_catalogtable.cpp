#include "core/db/engine.h"
#include "core/quote/aircraftcatalog.h"
#include "core/quote/catalogtable.h"
#include "support/emptydatabase.h"
#include "support/serverdatabase.h"
#include "support/tablerows.h"

#include <QTemporaryDir>
#include <QtTest>

using namespace Qt::StringLiterals;

namespace {

const QStringList TaxFields{u"Tax Type"_s, u"Tax %"_s};
const QStringList ChargeFields{u"ChargeDescription"_s, u"ChargeAmount"_s};

// "PST=8" as a row's values: the figure a whole number or a decimal, NULL when empty.
QVariantList valuesOf(const QString& text)
{
    const QString figure = text.section(u'=', 1);
    QVariant value;
    if (!figure.isEmpty())
        value = figure.contains(u'.') ? QVariant(figure.toDouble()) : QVariant(figure.toLongLong());
    return {text.section(u'=', 0, 0), value};
}

// A table's rows of two fields, as "TYPE=PERCENT", in its order.
QString rowsOf(Db::Database& db, const QString& table, const QStringList& fields)
{
    QStringList rows;
    auto records = db.openRecordset(table);
    for (int i = 0; i < records->recordCount(); ++i) {
        const QVariantList row = records->row(i);
        rows << row.value(records->fieldIndex(fields[0])).toString() + u'=' +
                    row.value(records->fieldIndex(fields[1])).toString();
    }
    return rows.join(u' ');
}

void fill(Db::Database& db, const QString& table, const QStringList& fields, const QString& rows)
{
    auto records = db.openRecordset(table);
    for (const QString& row : rows.split(u' ', Qt::SkipEmptyParts)) {
        const QVariantList values = valuesOf(row);
        records->addNew();
        records->setValue(fields[0], values[0]);
        records->setValue(fields[1], values[1]);
        records->update();
    }
}

QVariantList hawker(const QString& name)
{
    return {name, 430, -60, 0, 0, 0, 4250.5, QVariant(), 60};
}

// What the dialog's Save does when no other desk is in the way.
void save(Db::Workspace& workspace, const QList<CatalogTable*>& tables)
{
    CatalogSave save(workspace, tables);
    QVERIFY(save.write({}).isEmpty());
    save.commit();
}

} // namespace

// The catalogues as the settings dialog edits them: read when it opens, changed in memory,
// written by Save in one transaction, all or nothing, with another desk's change since the
// read put to the operator. The last test runs on a PostgreSQL server (scripts/test.sh runs
// the tests beside a throwaway one; its PG* variables name it) and fails without one.
class TestCatalogTable : public QObject
{
    Q_OBJECT

    std::unique_ptr<QTemporaryDir> m_dir;
    std::shared_ptr<Db::Workspace> m_ws;
    std::shared_ptr<Db::Database> m_db;
    std::unique_ptr<ServerDatabase> m_server;

private slots:
    void init()
    {
        m_dir = std::make_unique<QTemporaryDir>();
        m_ws = createEmptyDatabase(m_dir->path());
        m_db = m_ws->openDatabase(m_dir->filePath(Schema::DatabaseFileName));
        fill(*m_db, u"Taxes"_s, TaxFields, u"GST=5 PST=7 HST=13"_s);
        fill(*m_db, u"AdditionalCharges"_s, ChargeFields, u"HANGAR=150 CATERING=40"_s);
    }
    void cleanup()
    {
        m_db.reset();
        m_ws.reset();
        Db::DbEngine::instance().release();
    }
    void cleanupTestCase() { m_server.reset(); }

    // The operator's edits, the changes a Save finds in them, and the table it leaves.
    void edits_data() { addTableRows(u"core/quote/catalogtable-edits.txt"_s); }
    void edits()
    {
        QFETCH(QStringList, row);
        CatalogTable taxes(m_db, u"Taxes"_s, TaxFields, u"taxes"_s);
        for (const QString& edit : row[0].split(u';', Qt::SkipEmptyParts)) {
            const QStringList words = edit.trimmed().split(u' ');
            if (words[0] == u"set")
                taxes.setRow(words[1].toInt(), valuesOf(words[2]));
            else if (words[0] == u"add")
                taxes.setRow(int(taxes.rows().size()), valuesOf(words[1]));
            else
                taxes.removeRow(words[1].toInt());
        }
        const auto list = [](const QList<int>& rows) {
            QStringList texts;
            for (int position : rows)
                texts << QString::number(position);
            return texts.join(u' ');
        };
        const CatalogTable::Changes changes = taxes.changes();
        QCOMPARE((QStringList{list(changes.deleted), list(changes.changed), list(changes.added)}),
                 row.mid(1, 3));
        QCOMPARE(rowsOf(*m_db, u"Taxes"_s, TaxFields), u"GST=5 PST=7 HST=13"_s);
        save(*m_ws, {&taxes});
        QCOMPARE(rowsOf(*m_db, u"Taxes"_s, TaxFields), row[4]);
    }

    // A value the table's column refuses is refused as it is entered. A row the table
    // refuses at the Save (a profile's name twice) rolls back every catalogue, the
    // profiles' table made for it too, and the edits stay for a Save once it is mended.
    void refusedRowLeavesEveryTableAsItWas()
    {
        m_db->execute(u"DROP TABLE Aircraft"_s); // a database made before the profiles
        CatalogTable charges(m_db, u"AdditionalCharges"_s, ChargeFields, u"additional charges"_s);
        CatalogTable taxes(m_db, u"Taxes"_s, TaxFields, u"taxes"_s);
        CatalogTable aircraft(m_db, AircraftCatalog::Table, AircraftCatalog::columnNames(),
                              u"aircraft profiles"_s,
                              [](Db::Database& db) { Schema::createAircraftTable(db); });
        QCOMPARE(aircraft.rows().size(), 0);
        try {
            charges.setRow(0, {QString(26, u'x'), 150});
            QFAIL("a description longer than its column was taken");
        } catch (const Db::DbError& error) {
            QCOMPARE(error.number(), Db::Error::TooSmall);
        }
        QCOMPARE(charges.rows()[0].values[0].toString(), u"HANGAR"_s);

        charges.setRow(0, valuesOf(u"HANGAR=175"_s));
        taxes.removeRow(0);
        aircraft.setRow(0, hawker(u"Hawker 800"_s));
        aircraft.setRow(1, hawker(u"HAWKER 800"_s));
        const QList<CatalogTable*> all{&charges, &taxes, &aircraft};
        try {
            save(*m_ws, all);
            QFAIL("a profile's name was written twice");
        } catch (const Db::DbError& error) {
            QCOMPARE(error.number(), Db::Error::DuplicateKey);
        }
        QVERIFY(!m_ws->inTransaction());
        QCOMPARE(rowsOf(*m_db, u"AdditionalCharges"_s, ChargeFields), u"HANGAR=150 CATERING=40"_s);
        QCOMPARE(rowsOf(*m_db, u"Taxes"_s, TaxFields), u"GST=5 PST=7 HST=13"_s);
        QVERIFY(!AircraftCatalog::hasTable(*m_db));

        aircraft.removeRow(1);
        save(*m_ws, all);
        QCOMPARE(rowsOf(*m_db, u"AdditionalCharges"_s, ChargeFields), u"HANGAR=175 CATERING=40"_s);
        QCOMPARE(rowsOf(*m_db, u"Taxes"_s, TaxFields), u"PST=7 HST=13"_s);
        QCOMPARE(AircraftCatalog::read(*m_db),
                 QList{AircraftCatalog::fromValues(hawker(u"Hawker 800"_s))});
    }

    // Two desks on one server. Desk B changes the taxes while desk A has them open; A's
    // Save asks about the taxes alone (not the profiles B changed too, which A left
    // alone), with no transaction held, and asks again when B changes them once more
    // meanwhile. Kept, A's rows replace B's; taken, nothing of A's is written and the
    // taxes read again are B's.
    void anotherDesksChangeIsPutToTheOperator()
    {
        m_server = std::make_unique<ServerDatabase>(u"catalog"_s);
        QVERIFY2(m_server->isMade(),
                 qPrintable(u"the test server cannot be reached: "_s + m_server->error()));
        const QString location = m_server->location();
        auto deskA = Db::DbEngine::scratchWorkspace();
        auto deskB = Db::DbEngine::scratchWorkspace();
        auto a = deskA->openDatabase(location);
        auto b = deskB->openDatabase(location);
        fill(*b, u"Taxes"_s, TaxFields, u"GST=5 PST=7"_s);
        fill(*b, u"AdditionalCharges"_s, ChargeFields, u"HANGAR=150"_s);

        struct Asked
        {
            QString name;
            Db::ChangeStamp theirs;
        };
        QList<Asked> asked;
        bool heldWhileAsked = false;
        const auto desks = [&](CatalogSave::Choice choice, bool changeAgain) {
            return
                [&, choice, changeAgain](const CatalogTable& table, const Db::ChangeStamp& theirs) {
                    asked << Asked{table.name(), theirs};
                    heldWhileAsked = heldWhileAsked || deskA->inTransaction();
                    if (changeAgain && asked.size() == 1)
                        fill(*b, u"Taxes"_s, TaxFields, u"QST=9"_s);
                    return choice;
                };
        };

        {
            CatalogTable taxes(a, u"Taxes"_s, TaxFields, u"taxes"_s);
            CatalogTable charges(a, u"AdditionalCharges"_s, ChargeFields, u"additional charges"_s);
            CatalogTable aircraft(a, AircraftCatalog::Table, AircraftCatalog::columnNames(),
                                  u"aircraft profiles"_s);
            taxes.setRow(1, valuesOf(u"PST=8"_s));
            charges.setRow(1, valuesOf(u"DEICING=350"_s));
            fill(*b, u"Taxes"_s, TaxFields, u"HST=13"_s);
            AircraftCatalog::add(*deskB, *b, {AircraftCatalog::fromValues(hawker(u"Hawker"_s))});
            const qint64 readVersion = taxes.stampRead().version;

            CatalogSave save(*deskA, {&taxes, &charges, &aircraft});
            QVERIFY(save.write(desks(CatalogSave::Choice::KeepMine, true)).isEmpty());
            save.commit();
            QVERIFY(!heldWhileAsked);
            QCOMPARE(asked.size(), 2);
            QCOMPARE(asked[0].name, u"taxes"_s);
            QCOMPARE(asked[1].name, u"taxes"_s);
            QVERIFY(asked[0].theirs.version > readVersion);
            QVERIFY(asked[1].theirs.version > asked[0].theirs.version);
            const Db::ChangeStamp byB = asked[0].theirs;
            QVERIFY2(byB.by.contains(u" on "_s), qPrintable(byB.by));
            const QString text = CatalogSave::conflictText(u"taxes"_s, byB);
            for (const QString& part :
                 {u"The taxes were changed by "_s + byB.by + u" "_s,
                  u"at "_s + byB.at.toLocalTime().toString(u"HH:mm"_s) +
                      u" after you opened Settings.\r\r"_s
                      "Yes: keep your changes, replacing theirs.\r"
                      "No: reload theirs; your changes to them are dropped."_s})
                QVERIFY2(text.contains(part), qPrintable(text));
            QCOMPARE(rowsOf(*b, u"Taxes"_s, TaxFields), u"GST=5 PST=8"_s);
            QCOMPARE(rowsOf(*b, u"AdditionalCharges"_s, ChargeFields), u"HANGAR=150 DEICING=350"_s);
        }

        asked.clear();
        CatalogTable taxes(a, u"Taxes"_s, TaxFields, u"taxes"_s);
        CatalogTable charges(a, u"AdditionalCharges"_s, ChargeFields, u"additional charges"_s);
        taxes.removeRow(0);
        charges.removeRow(0);
        fill(*b, u"Taxes"_s, TaxFields, u"HST=13"_s);
        CatalogSave save(*deskA, {&taxes, &charges});
        QVERIFY(save.write(desks(CatalogSave::Choice::TakeTheirs, false)) ==
                QList<CatalogTable*>{&taxes});
        QCOMPARE(asked.size(), 1);
        QVERIFY(!deskA->inTransaction());
        QCOMPARE(rowsOf(*b, u"Taxes"_s, TaxFields), u"GST=5 PST=8 HST=13"_s);
        QCOMPARE(rowsOf(*b, u"AdditionalCharges"_s, ChargeFields), u"HANGAR=150 DEICING=350"_s);
        taxes.reload();
        QVERIFY(!taxes.isChanged());
        QCOMPARE(taxes.rows().size(), 3);
        QCOMPARE(taxes.stampRead().version, a->tableStamp(u"Taxes"_s).version);
    }
};

QTEST_GUILESS_MAIN(TestCatalogTable)
#include "tst_catalogtable.moc"
