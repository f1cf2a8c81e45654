#include "core/db/schema.h"
#include "core/folder/databasefiles.h"
#include "core/format.h"
#include "core/quote/chargesmodel.h"
#include "core/quote/quoterequest.h"
#include "core/quote/routemodel.h"
#include "gui/document/printjob.h"
#include "gui/mainwindow/brisklander.h"
#include "gui/startup.h"
#include "paint/pdfjob.h"
#include "quotetool.h"
#include "support/folderrig.h"
#include "support/programfolder.h"
#include "support/systemfaults.h"
#include "support/tablerows.h"
#include "support/testfiles.h"

#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QLineEdit>
#include <QTableView>
#include <QTemporaryDir>

using namespace Qt::StringLiterals;

namespace {

struct Run
{
    int exitCode = -1;
    QByteArray out;
    QString err;
};

// The tool's commands in this process, in the United States locale the test sets, or
// as the operator's scripts run it: a process, with BRISKLANDER_HOME naming `home`.
Run quoteTool(const QStringList& arguments, bool asProcess = false, const QString& home = {})
{
    if (asProcess) {
        const ToolRun run = runTool(arguments, QStringLiteral(BRISKLANDER_QUOTE_TOOL_PATH), home);
        return {run.exitCode, run.out.toUtf8(), run.err};
    }
    QString out, err;
    QTextStream outStream(&out), errStream(&err);
    const int exitCode = runQuoteTool(arguments, outStream, errStream);
    outStream.flush();
    errStream.flush();
    return {exitCode, out.toUtf8(), err};
}

// Every file of the folder with its bytes' digest and time, to see that nothing changed;
// a reader of a database in WAL mode makes its shared index and an empty log.
QStringList folderState(const QString& path)
{
    QStringList state;
    for (const QFileInfo& file : QDir(path).entryInfoList(QDir::Files, QDir::Name)) {
        if (file.fileName().endsWith(u"-shm"_s) ||
            (file.fileName().endsWith(u"-wal"_s) && file.size() == 0))
            continue;
        state << file.fileName() + u' ' +
                     QString::number(qHash(TestFiles::contentOf(file.filePath()))) + u' ' +
                     QString::number(file.lastModified().toMSecsSinceEpoch());
    }
    return state;
}

} // namespace

// brisklander-quote on a program folder, its commands run in-process and its command
// line once as a process: the same figures and the same text file as the main window,
// the folder only read, every failure named.
class TestQuoteTool : public QObject
{
    Q_OBJECT

private:
    std::unique_ptr<ProgramFolder> m_folder;
    QTemporaryDir m_outside; // files of the runs outside the folder
    QTemporaryDir m_runtime; // the user's runtime folder of a desktop session
    QString folder() const { return m_folder->path(); }
    QString folderFile(const QString& name) const { return m_folder->filePath(name); }

private slots:
    void initTestCase()
    {
        QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates));
        // As in a desktop session, which Qt Gui (the PDF program) asks for.
        if (qEnvironmentVariableIsEmpty("XDG_RUNTIME_DIR"))
            qputenv("XDG_RUNTIME_DIR", QFile::encodeName(m_runtime.path()));
        // As brisklander-quote-pdf does: the tests run the commands in this process.
        setPdfWriter(
            [](const QString& path, const QuoteData& data) { PrintJob::writePdf(path, data); });
        m_folder = std::make_unique<ProgramFolder>();
    }

    // Each run's exit status and message, the folder left as it was (quotetool-runs.txt).
    void runsNameTheirFailures_data()
    {
        const QString links = m_outside.filePath(u"links"_s);
        QVERIFY(QDir().mkpath(links) && QDir().mkpath(folderFile(u"links"_s)));
        QFile::link(folderFile(Schema::DatabaseFileName), links + u"/quote.pdf"_s);
        QCOMPARE(::link(QFile::encodeName(folderFile(Schema::DatabaseFileName)).constData(),
                        QFile::encodeName(folderFile(u"links/quote.txt"_s)).constData()),
                 0);
        QVERIFY(writeFile(m_outside.filePath(u"trips.csv"_s), "stops\nKTEB KBOS\n"));
        addTableRows(u"tools/quotetool-runs.txt"_s);
        QTest::newRow("base charge beyond what its field shows") << QStringList{
            u"2"_s, u"{folder} KTEB"_s + u" EGLL KTEB"_s.repeated(200) + u" --rate 9999999"_s,
            u"Base Charge comes to more than the quote can show (15 digits)."_s};
    }
    void runsNameTheirFailures()
    {
        QFETCH(QStringList, row);
        for (QString& field : row)
            field.replace(u"{folder}"_s, folder())
                .replace(u"{outside}"_s, m_outside.path())
                .replace(u"{links}"_s, m_outside.filePath(u"links"_s))
                .replace(u"{trips}"_s, m_outside.filePath(u"trips.csv"_s))
                .replace(u"{batch}"_s, m_outside.filePath(u"batch.csv"_s))
                .replace(u"{year}"_s, QString::number(QDate::currentDate().year()));
        QVERIFY(row.size() < 4 || writeFile(m_outside.filePath(u"batch.csv"_s), row[3].toUtf8()));
        const QStringList before = folderState(folder());
        QStringList arguments = row[1].split(u' ');
        const bool asProcess = arguments.removeOne(u"{process}"_s);
        const Run run = quoteTool(arguments, asProcess, folder());
        QCOMPARE(run.exitCode, row[0].toInt());
        if (row[0] == u"0") {
            QCOMPARE(run.err, row.value(2));
            QVERIFY(!run.out.isEmpty());
        } else {
            QVERIFY2(run.err.contains(row[2]), qPrintable(run.err));
            QVERIFY(run.out.isEmpty());
        }
        if (run.exitCode != 0 || !arguments.contains(u"--save"_s))
            QCOMPARE(folderState(folder()), before);
    }

    // The legs measured on the ellipsoid when asked, on the sphere by default; the text
    // file says which only for the ellipsoid, so a quote on the sphere reads as before.
    void distanceModel()
    {
        const QString text = m_outside.filePath(u"model.txt"_s);
        QStringList legs, notes;
        for (const QString& model : {u"sphere"_s, u"WGS84"_s}) {
            const Run run = quoteTool({folder(), u"KTEB"_s, u"EGLL"_s, u"--distance-model"_s, model,
                                       u"--json"_s, u"--text"_s, text});
            QCOMPARE(run.exitCode, 0);
            const QJsonObject json = QJsonDocument::fromJson(run.out).object();
            legs << json["legs"_L1][1]["DistanceNM"_L1].toString() + u' ' +
                        json["distanceModel"_L1].toString();
            notes << QString::number(
                TestFiles::contentOf(text).count("Distances measured on the WGS-84 ellipsoid"));
        }
        QCOMPARE(legs.join(u", "_s), u"2,991.4 SPHERE, 3,001.5 WGS84"_s);
        QCOMPARE(notes.join(u' '), u"0 1"_s);
    }

    // The legs flown empty say so; the segment tax counts the others alone.
    void positioningLegs()
    {
        const Run run =
            quoteTool({folder(), u"KTEB"_s, u"KBOS"_s, u"KJFK"_s, u"KTEB"_s, u"--positioning"_s,
                       u"3,1"_s, u"--segment-tax"_s, u"4"_s, u"--json"_s});
        QCOMPARE(run.exitCode, 0);
        const QJsonObject json = QJsonDocument::fromJson(run.out).object();
        QString marks;
        for (const QJsonValue leg : json["legs"_L1].toArray())
            marks += leg["positioning"_L1].toBool() ? u'P' : u'-';
        QCOMPARE(marks, u"-P-P"_s);
        QVERIFY(json["charges"_L1][0]["Charge"_L1].toString().startsWith(u"4 Pax * 1 Segm."_s));
    }

    // With an aircraft and a departure each leg carries its times on the airports' clocks
    // (New York's summer time to London's) and the hourly basis bills the legs' hours (how
    // the times and hours come about is TripTimes' rows); the register hands the same back.
    void timesOfAnAircraft()
    {
        const QStringList quote{folder(),           u"KTEB"_s,
                                u"KBOS"_s,          u"EGLL"_s,
                                u"--aircraft"_s,    u"citation cj3"_s,
                                u"--wind"_s,        u"-20"_s,
                                u"--basis"_s,       u"HR"_s,
                                u"--depart"_s,      u"2026-06-12 18:00"_s,
                                u"--positioning"_s, u"1"_s,
                                u"--json"_s};
        const Run run = quoteTool(quote + QStringList{u"--save"_s});
        QCOMPARE(run.exitCode, 0);
        const QJsonObject json = QJsonDocument::fromJson(run.out).object();
        QCOMPARE(json["aircraft"_L1].toString(), u"Citation CJ3"_s);
        const QJsonArray legs = json["legs"_L1].toArray();
        const auto at = [&legs](int row, const char* key) { return legs[row][QLatin1String(key)]; };
        QCOMPARE(at(1, "departure").toString(), u"2026-06-12T18:00:00-04:00"_s);
        QCOMPARE(at(1, "departureZone").toString() + at(2, "arrivalZone").toString(), u"EDTBST"_s);
        QVERIFY(at(2, "arrival").toString().endsWith(u"+01:00"_s));
        QCOMPARE(at(1, "blockMinutes").toInt(), at(1, "flightMinutes").toInt() + 10); // taxi
        const double billable =
            at(1, "billableHours").toDouble() + at(2, "billableHours").toDouble();
        QVERIFY(billable > 1);
        QVERIFY(at(1, "positioning").toBool() && at(2, "beyondRange").toBool());
        QCOMPARE(at(2, "nauticalMiles").toDouble(), Format::value(at(2, "DistanceNM").toString()));
        QCOMPARE(json["billableHours"_L1].toDouble(), billable);
        QCOMPARE(json["fields"_L1]["LabelMiles"_L1].toString(), u"HR"_s);
        QCOMPARE(json["figures"_L1]["TxtBaseCharge"_L1].toDouble(),
                 std::round(billable * 3600 * 100) / 100); // the aircraft's hourly rate
        const QString number = run.err.section(u' ', 1).trimmed();
        QCOMPARE(
            QJsonDocument::fromJson(quoteTool({folder(), u"--show"_s, number, u"--json"_s}).out)
                .object(),
            json);
    }

    // brisklander-quote hands a PDF to its PDF program; where that program is missing it
    // says so and writes nothing.
    void pdfProgramMissing()
    {
        QTemporaryDir alone;
        const QString copy = alone.filePath(u"brisklander-quote"_s);
        QVERIFY(QFile::copy(QStringLiteral(BRISKLANDER_QUOTE_TOOL_PATH), copy));
        const QString pdf = alone.filePath(u"quote.pdf"_s);
        const ToolRun run = runTool({folder(), u"KTEB"_s, u"KBOS"_s, u"--pdf"_s, pdf}, copy);
        QCOMPARE(run.exitCode, 1);
        QCOMPARE(run.err, u"brisklander-quote: cannot write a PDF: brisklander-quote-pdf is not "
                          "installed\n"_s);
        QVERIFY(!QFile::exists(pdf));
    }

    // Figures that cannot all be written leave the last run's file whole, and say why.
    void batchOutputOnAFullDisk()
    {
        if (!runningAsRoot())
            QSKIP("A small disk needs root.");
        QTemporaryDir out;
        TinyDisk disk(out.filePath(u"disk"_s), "64k");
        QVERIFY(disk.isMounted());
        const QString figures = out.filePath(u"disk/figures.csv"_s);
        const QByteArray before = "figures of the last run\r\n";
        QVERIFY(writeFile(figures, before));
        disk.fill();
        // More figures than the page the old file frees.
        const QString trips = out.filePath(u"trips.csv"_s);
        QVERIFY(writeFile(trips, "stops\n" + QByteArray("KTEB KBOS\n").repeated(60)));
        const Run run = quoteTool({folder(), u"--batch"_s, trips, u"--output"_s, figures});
        QCOMPARE(run.exitCode, 1);
        QVERIFY2(run.err.contains(u"cannot write '"_s + figures + u"': No space left on device"_s),
                 qPrintable(run.err));
        QCOMPARE(TestFiles::contentOf(figures), before);
        QCOMPARE(QDir(out.filePath(u"disk"_s)).entryList(QDir::Files),
                 (QStringList{u"figures.csv"_s, u"filler"_s}));
    }

    // What --save wrote and said is what --show hands out again, byte for byte, and what
    // the list and its CSV file hold.
    void keptQuoteAsHandedOut()
    {
        QTemporaryDir out;
        const QString saved = out.filePath(u"saved.txt"_s), shown = out.filePath(u"shown.txt"_s);
        const Run save = quoteTool({folder(), u"KTEB"_s, u"EGLL"_s, u"--customer"_s,
                                    u"Zephyr Ltd"_s, u"--save"_s, u"--text"_s, saved, u"--json"_s});
        QCOMPARE(save.exitCode, 0);
        QVERIFY2(save.err.startsWith(u"saved "_s), qPrintable(save.err));
        const QString number = save.err.mid(6).trimmed();
        const QJsonObject priced = QJsonDocument::fromJson(save.out).object();
        QCOMPARE(priced["number"_L1].toString(), number);
        QCOMPARE(priced["status"_L1].toString(), u"Sent"_s); // its document was written
        QCOMPARE(priced["validUntil"_L1].toString(),
                 QDate::currentDate().addDays(30).toString(Qt::ISODate)); // VALIDITYDAYS
        QCOMPARE(quoteTool({folder(), u"--show"_s, number, u"--text"_s, shown}).exitCode, 0);
        QCOMPARE(TestFiles::contentOf(shown), TestFiles::contentOf(saved));
        QCOMPARE(
            QJsonDocument::fromJson(quoteTool({folder(), u"--show"_s, number, u"--json"_s}).out)
                .object(),
            priced);
        const QJsonArray list =
            QJsonDocument::fromJson(quoteTool({folder(), u"--list"_s, u"--customer"_s, u"zeph"_s,
                                               u"--status"_s, u"sent"_s, u"--json"_s})
                                        .out)
                .array();
        QCOMPARE(list.size(), 1);
        QCOMPARE(list[0]["number"_L1].toString(), number);
        const QString csv = out.filePath(u"quotes.csv"_s);
        QCOMPARE(quoteTool({folder(), u"--export-csv"_s, csv, u"--customer"_s, u"zeph"_s}).exitCode,
                 0);
        QVERIFY(TestFiles::contentOf(csv).split('\n').value(1).startsWith(number.toUtf8() +
                                                                          ",1,Sent,"));
    }

    // A save the engine, the program's closing or a document not written stands in the
    // way of keeps nothing, leaves the register as it was and says so (the register's own
    // faults, a full disk among them, are its core rows; one engine fault stands for them).
    void saveThatFails_data()
    {
        QTest::addColumn<QString>("fault");
        QTest::addColumn<QString>("message");
        QTest::newRow("engine error") << u"engine"_s << u"injected fault"_s;
        QTest::newRow("writers' lock held by the closing program")
            << u"lock"_s << u"another program is writing it"_s;
        QTest::newRow("its document not written")
            << u"text"_s << u"error 76: Path not found: /nonexistent/quote.txt"_s;
        QTest::newRow("its PDF not written after its text file")
            << u"pdf"_s << u"error 76: Path not found: /nonexistent/quote.pdf"_s;
    }
    void saveThatFails()
    {
        QFETCH(QString, fault);
        QFETCH(QString, message);
        StarterFolder starter;
        const QStringList save{starter.folder, u"KTEB"_s, u"KBOS"_s, u"--save"_s};
        QCOMPARE(quoteTool(save).exitCode, 0);
        const QStringList list{starter.folder, u"--list"_s, u"--json"_s};
        const QByteArray before = quoteTool(list).out;
        std::optional<LockHolder> writers;
        if (fault == u"engine")
            QCOMPARE(execSql(starter.database(),
                             "CREATE TRIGGER Fault BEFORE INSERT ON Quotes "
                             "BEGIN SELECT RAISE(ABORT, 'injected fault'); END"),
                     SQLITE_OK);
        else if (fault == u"lock")
            QVERIFY(writers.emplace(DatabaseWriteLockPath(starter.folder)).isHolding());
        TestFiles files; // a text file written before a PDF that fails is put back
        const QString earlier = files.fileWith("earlier", u"quote"_s);
        QStringList args = save;
        if (fault == u"text")
            args << u"--text"_s << u"/nonexistent/quote.txt"_s;
        else if (fault == u"pdf")
            args << u"--text"_s << earlier << u"--pdf"_s << u"/nonexistent/quote.pdf"_s;
        const Run run = quoteTool(args);
        QCOMPARE(run.exitCode, 1);
        QVERIFY2(run.err.contains(message) &&
                     run.err.endsWith(
                         u"brisklander-quote: nothing was saved; the register is as it was.\n"_s),
                 qPrintable(run.err));
        QVERIFY(!run.err.contains(u"saved "_s + QString::number(QDate::currentDate().year())));
        writers.reset();
        QCOMPARE(quoteTool(list).out, before);
        QCOMPARE(TestFiles::contentOf(earlier), "earlier");
    }

    // A hand-edited value no one can be sure of is priced with its default and told; a
    // settings file that cannot be read gives no quote, never one priced at 0.00.
    void settingsThatCannotBeRead()
    {
        const QString settings = folderFile(u"Brisklander.INI"_s);
        const QByteArray before = TestFiles::contentOf(settings);
        QVERIFY(writeFile(
            settings, QByteArray(before).replace("DEFAULTCHARGENM=8.5", "DEFAULTCHARGENM=8,5")));
        const Run edited = quoteTool({folder(), u"KTEB"_s, u"KBOS"_s});
        QVERIFY(QFile::remove(settings) && QDir().mkdir(settings));
        const Run directory = quoteTool({folder(), u"KTEB"_s, u"KBOS"_s});
        QVERIFY(QDir().rmdir(settings) && writeFile(settings, before));
        QCOMPARE(edited.exitCode, 0);
        QVERIFY2(edited.err.startsWith(u"brisklander-quote: warning: "_s) &&
                     edited.err.contains(u"\nDEFAULTCHARGENM=8,5: 0 is used\n"_s),
                 qPrintable(edited.err));
        QCOMPARE(directory.exitCode, 1);
        QVERIFY2(directory.err.contains(u"cannot be read: Is a directory."_s),
                 qPrintable(directory.err));
        QVERIFY(directory.out.isEmpty());
    }

    // The operator builds the quote in the main window with the keyboard; the tool is
    // given the same: the quote tab's fields and the text file are the same.
    void sameQuoteAsTheMainWindow()
    {
        m_folder->services().clock->setToday(QDate::currentDate()); // the tool dates it today
        LoadSettings(m_folder->settingsPath());
        LoadCurrencySymbol();
        QVERIFY(m_folder->open());
        auto window = m_folder->showMainWindow();
        QVERIFY(window);
        auto* find = window->findChild<QLineEdit*>(u"TxtFind"_s);
        for (const char* id : {"kbos", "egll", "lfpb"}) {
            QTest::keyClicks(find, QString::fromLatin1(id));
            QTest::keyClick(window.get(), Qt::Key_S, Qt::AltModifier);
        }
        QTRY_COMPARE(window->route()->count(), 4);
        auto* rate = window->findChild<QLineEdit*>(u"TxtChargePerMile"_s);
        rate->setFocus();
        rate->selectAll();
        QTest::keyClicks(rate, u"9.35"_s);
        QTest::keyClick(window->findChild<QComboBox*>(u"SSDBCBTaxBaseCharge"_s), 'v'); // VAT
        auto* grid = window->findChild<QTableView*>(u"SSDBGrid3"_s);
        const auto typeInto = [&](int column, const QString& keys, int row = 0) {
            grid->setFocus();
            grid->setCurrentIndex(window->charges()->index(row, column));
            QTest::keyClick(grid, keys.at(0).toLatin1());
            QTest::keyClicks(QApplication::focusWidget(), keys.mid(1));
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
        };
        typeInto(ChargesModel::ColumnCharge, u"Ferry"_s);
        typeInto(ChargesModel::ColumnAmount, u"-1234.567"_s);
        typeInto(ChargesModel::ColumnNumber, u"2.5"_s);
        QTest::keyClick(grid, Qt::Key_Right);                // leaves the cell
        typeInto(ChargesModel::ColumnCharge, u"cater"_s, 1); // the catalogue's CATERING
        const QuoteData shown = window->quoteData();
        QTemporaryDir out;
        PrintJob::writeTextFile(out.filePath(u"window.txt"_s), shown);

        const QStringList quote =
            QStringList{folder()} + u"KTEB KBOS EGLL LFPB --rate 9.35 --tax vat --charge "
                                    "Ferry;-1234.567;2.5 --charge catering;;"_s.split(u' ');
        const Run run =
            quoteTool(quote + QStringList{u"--json"_s, u"--text"_s, out.filePath(u"tool.txt"_s)});
        QCOMPARE(run.exitCode, 0);
        const QJsonDocument json = QJsonDocument::fromJson(run.out);
        // For a person: one figure a line, amounts with the symbol.
        const QStringList lines = QString::fromUtf8(quoteTool(quote).out).split(u'\n');
        for (const QuoteTabField& field : quoteTabFields(shown)) {
            QCOMPARE(json["fields"_L1][field.name].toString(), field.text);
            auto* control = window->findChild<QWidget*>(field.name);
            QVERIFY2(control, qPrintable(field.name));
            const char* text = qobject_cast<QComboBox*>(control) ? "currentText" : "text";
            QCOMPARE(control->property(text).toString(), field.text);
            if (field.kind == QuoteTabField::Kind::Money) {
                QVERIFY2(lines.contains(field.caption + u": $"_s + field.text),
                         qPrintable(field.caption));
                QCOMPARE(json["figures"_L1][field.name].toDouble(), Format::value(field.text));
            }
        }
        QCOMPARE(json["legs"_L1].toArray().size(), 4);
        QCOMPARE(json["charges"_L1][0]["Total"_L1].toString(), shown.charges.at(0).total);
        QCOMPARE(TestFiles::contentOf(out.filePath(u"tool.txt"_s)),
                 TestFiles::contentOf(out.filePath(u"window.txt"_s)));

        // The window's open database takes the tool's save beside it (WAL, a connection of
        // its own).
        QCOMPARE(quoteTool(quote + QStringList{u"--save"_s}).exitCode, 0);
        window.reset();
        m_folder->close();
    }

    // One trip a line; a line that cannot be priced is named and the others are priced.
    // The figures go to the standard output or whole into the file given.
    void batchPricesEveryGoodLine()
    {
        QTemporaryDir out;
        const QString trips = out.filePath(u"trips.csv"_s);
        QVERIFY(writeFile(trips, "\xef\xbb\xbf\"Stops\", Rate ,tax,PASSENGERS\r\nKTEB KBOS,,FET,"
                                 "\r\nKTEB-KZZZ,,,\r\nKTEB-EGLL-LFPB,\"9.5\",,3\r\n"));
        const Run run = quoteTool({folder(), u"--batch"_s, trips});
        QCOMPARE(run.exitCode, 3);
        QVERIFY2(run.err.contains(trips + u":3: Airport Identifier 'KZZZ' not found."_s),
                 qPrintable(run.err));
        const QStringList lines = QString::fromUtf8(run.out).split(u"\r\n"_s);
        QCOMPARE(lines.size(), 4); // the header, two trips and the end of the last line
        const QString figures = out.filePath(u"figures.csv"_s);
        QCOMPARE(quoteTool({folder(), u"--batch"_s, trips, u"--output"_s, figures}).exitCode, 3);
        QCOMPARE(TestFiles::contentOf(figures), run.out);
        const Run single = quoteTool({folder(), u"KTEB"_s, u"EGLL"_s, u"LFPB"_s, u"--rate"_s,
                                      u"9.5"_s, u"--segment-tax"_s, u"3"_s, u"--json"_s});
        const QString finalQuote =
            QJsonDocument::fromJson(single.out)["fields"_L1]["TxtFinalQuote"_L1].toString();
        QVERIFY2(lines.at(2).startsWith(u"4,\"KTEB EGLL LFPB\""_s), qPrintable(lines.at(2)));
        QVERIFY2(lines.at(2).endsWith(u",\""_s + finalQuote + u'"'), qPrintable(lines.at(2)));
    }

    // A database that fails the batch's reads is named, and no figures are written.
    void batchOnADatabaseThatCannotBeRead()
    {
        QTemporaryDir copy;
        for (const QString& name :
             {u"Brisklander.INI"_s, Schema::DatabaseFileName, Schema::WorkgroupFileName})
            QVERIFY(QFile::copy(folderFile(name), copy.filePath(name)));
        QCOMPARE(execSql(copy.filePath(Schema::DatabaseFileName), "DROP TABLE Taxes"), SQLITE_OK);
        QTemporaryDir out;
        const QString trips = out.filePath(u"trips.csv"_s), figures = out.filePath(u"f.csv"_s);
        QVERIFY(writeFile(trips, "stops\nKTEB KBOS\n"));
        const Run run = quoteTool({copy.path(), u"--batch"_s, trips, u"--output"_s, figures});
        QCOMPARE(run.exitCode, 1);
        QVERIFY2(run.err.contains(u"input table or query 'Taxes'"_s) &&
                     run.err.endsWith(u"could not be read; no figures written.\n"_s),
                 qPrintable(run.err));
        QVERIFY(!QFile::exists(figures));
    }
};

QTEST_MAIN(TestQuoteTool)
#include "tst_quotetool.moc"
