#include "core/db/schema.h"
#include "core/format.h"
#include "core/quote/chargesmodel.h"
#include "core/quote/quoterequest.h"
#include "core/quote/routemodel.h"
#include "core/settings/appsettings.h"
#include "gui/appcontext.h"
#include "gui/document/printjob.h"
#include "gui/mainwindow/brisklander.h"
#include "gui/startup.h"
#include "support/databasedump.h"
#include "support/programfolder.h"
#include "support/systemfaults.h"

#include <QApplication>
#include <QComboBox>
#include <QCryptographicHash>
#include <QDir>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QLabel>
#include <QLineEdit>
#include <QProcess>
#include <QTableView>
#include <QTemporaryDir>
#include <QTest>

using namespace Qt::StringLiterals;

namespace {

struct Run
{
    int exitCode = -1;
    QByteArray out;
    QString err;
};

// The tool as the operator's scripts run it, in the United States locale.
Run quoteTool(const QStringList& arguments)
{
    QProcess process;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(u"LC_ALL"_s, u"en_US.UTF-8"_s);
    process.setProcessEnvironment(environment);
    process.start(QStringLiteral(BRISKLANDER_QUOTE_TOOL_PATH), arguments);
    if (!process.waitForFinished(60000) || process.exitStatus() != QProcess::NormalExit)
        return {};
    return {process.exitCode(), process.readAllStandardOutput(),
            QString::fromUtf8(process.readAllStandardError())};
}

// Every file of the folder with its bytes' digest and time, to see that nothing changed.
QStringList folderState(const QString& path)
{
    QStringList state;
    for (const QFileInfo& file : QDir(path).entryInfoList(QDir::Files, QDir::Name)) {
        QFile f(file.filePath());
        f.open(QIODevice::ReadOnly);
        state << file.fileName() + u' ' +
                     QString::fromLatin1(
                         QCryptographicHash::hash(f.readAll(), QCryptographicHash::Sha1).toHex()) +
                     u' ' + QString::number(file.lastModified().toMSecsSinceEpoch());
    }
    return state;
}

} // namespace

// brisklander-quote, run as a process on a program folder: the same figures and the
// same text file as the main window, the folder only read, every failure named.
class TestQuoteTool : public QObject
{
    Q_OBJECT

private:
    std::unique_ptr<ProgramFolder> m_folder;
    QTemporaryDir m_outside; // files of the runs outside the folder
    QString folder() const { return m_folder->path(); }
    QString folderFile(const QString& name) const { return m_folder->filePath(name); }

private slots:
    void initTestCase()
    {
        QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates));
        m_folder = std::make_unique<ProgramFolder>();
    }

    void failuresNameTheirCause_data()
    {
        QTest::addColumn<QStringList>("arguments"); // after the folder
        QTest::addColumn<int>("exitCode");
        QTest::addColumn<QString>("message");
        QTest::newRow("unknown airport")
            << QStringList{"KTEB", "kzzz"} << 3 << "Airport Identifier 'KZZZ' not found.";
        QTest::newRow("unknown tax type")
            << QStringList{"KTEB", "KBOS", "--tax", "NOPE"} << 3 << "Unknown tax type 'NOPE'.";
        QTest::newRow("the same airport twice")
            << QStringList{"KTEB", "KBOS", "KBOS"} << 3
            << "KBOS: Selected Airport is the same as Current Airport in Quote.";
        // Figures in plain form only, whatever the locale, and no more than the window holds.
        QTest::newRow("rate with a decimal comma")
            << QStringList{"KTEB", "KBOS", "--rate", "8,5"} << 2
            << "--rate: '8,5' is not a number in plain form (such as 8.5).";
        QTest::newRow("rate longer than Charge p/m")
            << QStringList{"KTEB", "KBOS", "--rate", "12345678"} << 2
            << "--rate: '12345678' does not fit \"Charge p/m\" (7 characters).";
        QTest::newRow("rate with an exponent")
            << QStringList{"KTEB", "KBOS", "--rate", "1e308"} << 2
            << "--rate: '1e308' does not fit \"Charge p/m\" (7 characters).";
        QStringList longRoute{"KTEB"};
        for (int leg = 0; leg < 200; ++leg)
            longRoute << "EGLL"
                      << "KTEB";
        QTest::newRow("base charge beyond what its field shows")
            << longRoute + QStringList{"--rate", "9999999"} << 2
            << "Base Charge comes to more than the quote can show (15 digits).";
        QTest::newRow("amount with digit grouping")
            << QStringList{"KTEB", "KBOS", "--charge", "Ferry;1,234.5;1"} << 2
            << "--charge 'Ferry;1,234.5;1': '1,234.5' is not a number in plain form";
        QTest::newRow("amount the grid cannot hold")
            << QStringList{"KTEB", "KBOS", "--charge", "Ferry;123456;1"} << 2
            << "--charge: Amount '123456' of the charge 'Ferry' does not fit the charges grid.";
        QTest::newRow("misspelt catalogue charge without an amount")
            << QStringList{"KTEB", "KBOS", "--charge", "caterng;;"} << 2
            << "--charge: 'caterng' is no charge of the catalogue (LANDING FEE, CATERING,";
        QTest::newRow("malformed charge") << QStringList{"KTEB", "KBOS", "--charge", "Ferry"} << 2
                                          << "give DESCRIPTION;AMOUNT;NUMBER[;TAX TYPE].";
        QTest::newRow("malformed segment tax")
            << QStringList{"KTEB", "KBOS", "--segment-tax", "four"} << 2
            << "--segment-tax 'four': 'four' is not a whole number from 1 to 99.";
        QTest::newRow("text file that cannot be written")
            << QStringList{"KTEB", "KBOS", "--text", "/nonexistent/quote.txt"} << 1
            << "error 76: Path not found: /nonexistent/quote.txt";
        // The folder is only read: none of its files is ever an output, however named.
        const QString links = m_outside.filePath(u"links"_s);
        QVERIFY(QDir().mkpath(links) && QDir().mkpath(folderFile(u"links"_s)));
        QFile::link(folderFile(Schema::DatabaseFileName), links + u"/quote.pdf"_s);
        QCOMPARE(::link(QFile::encodeName(folderFile(Schema::DatabaseFileName)).constData(),
                        QFile::encodeName(folderFile(u"links/quote.txt"_s)).constData()),
                 0);
        const QString trips = m_outside.filePath(u"trips.csv"_s);
        QFile tripsFile(trips);
        QVERIFY(tripsFile.open(QIODevice::WriteOnly) && tripsFile.write("stops\nKTEB KBOS\n") > 0);
        tripsFile.close();
        QTest::newRow("text file over the settings file")
            << QStringList{"KTEB", "KBOS", "--text", folderFile(u"Brisklander.INI"_s)} << 2
            << "is the program folder's Brisklander.INI; give another file.";
        QTest::newRow("PDF through a link to the database")
            << QStringList{"KTEB", "KBOS", "--pdf", links + u"/quote.pdf"_s} << 2
            << "--pdf '" + links + "/quote.pdf' is the program folder's Brisklander.mdb";
        QTest::newRow("text file as a second name of the database")
            << QStringList{"KTEB", "KBOS", "--text", folderFile(u"links/quote.txt"_s)} << 2
            << "is the program folder's Brisklander.mdb";
        QTest::newRow("batch figures over the workgroup file, the folder spelt otherwise")
            << QStringList{"--batch", trips, "--output", folderFile(u"links/../Brisklander.mdw"_s)}
            << 2 << "is the program folder's Brisklander.mdw";
        QTest::newRow("one airport") << QStringList{"KTEB"} << 2 << "at least two airports";
        QTest::newRow("unknown option")
            << QStringList{"KTEB", "KBOS", "--fast"} << 2 << "Unknown option 'fast'.";
        QTest::newRow("customer name too long")
            << QStringList{"KTEB", "KBOS", "--customer", QString(33, u'x')} << 2
            << "--customer takes at most 32 characters.";
        QTest::newRow("quoted by longer than the print window's")
            << QStringList{"KTEB", "KBOS", "--quoted-by", QString(16, u'x')} << 2
            << "--quoted-by takes at most 15 characters.";
        QTest::newRow("phone of 21 characters")
            << QStringList{"KTEB", "KBOS", "--customer-phone", QString(21, u'1')} << 2
            << "--customer-phone takes at most 20 characters.";
    }
    void failuresNameTheirCause()
    {
        QFETCH(QStringList, arguments);
        QFETCH(int, exitCode);
        QFETCH(QString, message);
        const QStringList before = folderState(folder());
        const Run run = quoteTool(QStringList{folder()} + arguments);
        QCOMPARE(run.exitCode, exitCode);
        QVERIFY2(run.err.contains(message), qPrintable(run.err));
        QVERIFY(run.out.isEmpty());
        QCOMPARE(folderState(folder()), before);
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
        QFile old(figures);
        QVERIFY(old.open(QIODevice::WriteOnly) && old.write(before) == before.size());
        old.close();
        disk.fill();
        // More figures than the page the old file frees.
        QFile trips(out.filePath(u"trips.csv"_s));
        QVERIFY(trips.open(QIODevice::WriteOnly));
        trips.write("stops\n" + QByteArray("KTEB KBOS\n").repeated(60));
        trips.close();
        const Run run =
            quoteTool({folder(), u"--batch"_s, trips.fileName(), u"--output"_s, figures});
        QCOMPARE(run.exitCode, 1);
        QVERIFY2(run.err.contains(u"cannot write '"_s + figures + u"': No space left on device"_s),
                 qPrintable(run.err));
        QVERIFY(old.open(QIODevice::ReadOnly));
        QCOMPARE(old.readAll(), before);
        QCOMPARE(QDir(out.filePath(u"disk"_s)).entryList(QDir::Files),
                 (QStringList{u"figures.csv"_s, u"filler"_s}));
    }

    // A hand-edited value no one can be sure of is priced with its default and told.
    void unreadableSettingIsTold()
    {
        const QString settings = QDir(folder()).filePath(u"Brisklander.INI"_s);
        const auto rewrite = [&settings](const QByteArray& content) {
            QFile file(settings);
            return file.open(QIODevice::WriteOnly) && file.write(content) == content.size();
        };
        QFile original(settings);
        QVERIFY(original.open(QIODevice::ReadOnly));
        const QByteArray before = original.readAll();
        original.close();
        QVERIFY(before.contains("DEFAULTCHARGENM=8.5"));
        QByteArray edited = before;
        edited.replace("DEFAULTCHARGENM=8.5", "DEFAULTCHARGENM=8,5");
        QVERIFY(rewrite(edited));
        const Run run = quoteTool({folder(), u"KTEB"_s, u"KBOS"_s});
        QVERIFY(rewrite(before));
        QCOMPARE(run.exitCode, 0);
        QVERIFY2(run.err.contains(u"warning: "_s) &&
                     run.err.contains(u"\nDEFAULTCHARGENM=8,5: 0 is used\n"_s),
                 qPrintable(run.err));
    }

    // A settings file that cannot be read gives no quote, never one priced at 0.00.
    void unreadableSettingsFileStopsTheTool()
    {
        const QString settings = QDir(folder()).filePath(u"Brisklander.INI"_s);
        const QString aside = settings + u".aside"_s;
        QVERIFY(QFile::rename(settings, aside));
        QVERIFY(QDir().mkdir(settings));
        const Run run = quoteTool({folder(), u"KTEB"_s, u"KBOS"_s});
        QVERIFY(QDir().rmdir(settings));
        QVERIFY(QFile::rename(aside, settings));
        QCOMPARE(run.exitCode, 1);
        QVERIFY2(run.err.contains(u"cannot be read: Is a directory."_s), qPrintable(run.err));
        QVERIFY(run.out.isEmpty());
    }

    // The folder is only read, so the tool may run while the program is open.
    void folderIsOnlyRead()
    {
        const QStringList before = folderState(folder());
        QTemporaryDir out;
        const Run run = quoteTool({folder(), u"KTEB"_s, u"KBOS"_s, u"--text"_s,
                                   out.filePath(u"quote.txt"_s), u"--json"_s});
        QCOMPARE(run.exitCode, 0);
        QCOMPARE(folderState(folder()), before);

        const Run missing = quoteTool({m_folder->filePath(u"nowhere"_s), u"KTEB"_s, u"KBOS"_s});
        QCOMPARE(missing.exitCode, 1);
        QVERIFY2(missing.err.contains(u"No program folder"_s), qPrintable(missing.err));
    }

    // The operator builds the quote in the main window with the keyboard; the tool is
    // given the same: the quote tab's fields and the text file are the same.
    void sameQuoteAsTheMainWindow()
    {
        m_folder->services().clock->setToday(QDate::currentDate()); // the tool dates it today
        LoadSettings(m_folder->settingsPath());
        LoadCurrencySymbol();
        QVERIFY(m_folder->open());
        auto window = std::make_unique<Brisklander>();
        window->show();
        QVERIFY(QTest::qWaitForWindowActive(window.get()));
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

        const QStringList quote = {folder(),
                                   u"KTEB"_s,
                                   u"KBOS"_s,
                                   u"EGLL"_s,
                                   u"LFPB"_s,
                                   u"--rate"_s,
                                   u"9.35"_s,
                                   u"--tax"_s,
                                   u"vat"_s,
                                   u"--charge"_s,
                                   u"Ferry;-1234.567;2.5"_s,
                                   u"--charge"_s,
                                   u"catering;;"_s};
        const Run run =
            quoteTool(quote + QStringList{u"--json"_s, u"--text"_s, out.filePath(u"tool.txt"_s)});
        QCOMPARE(run.exitCode, 0);
        const QJsonObject json = QJsonDocument::fromJson(run.out).object();
        const QJsonObject fields = json.value(u"fields"_s).toObject();
        const QJsonObject figures = json.value(u"figures"_s).toObject();
        // For a person: the window's captions, one figure a line, amounts with the symbol.
        const QStringList lines = QString::fromUtf8(quoteTool(quote).out).split(u'\n');
        QCOMPARE(lines.first().simplified(), u"ID Airport Name Distance NM Distance SM"_s);
        for (const QuoteTabField& field : quoteTabFields(shown)) {
            QCOMPARE(fields.value(field.name).toString(), field.text);
            auto* control = window->findChild<QWidget*>(field.name);
            QVERIFY2(control, qPrintable(field.name));
            if (auto* line = qobject_cast<QLineEdit*>(control))
                QCOMPARE(line->text(), field.text);
            if (field.kind == QuoteTabField::Kind::Caption) {
                QCOMPARE(qobject_cast<QLabel*>(control)->text(), field.text);
                continue;
            }
            const QList<QLabel*> labels = window->findChildren<QLabel*>();
            const auto label = std::find_if(labels.cbegin(), labels.cend(),
                                            [&](QLabel* l) { return l->buddy() == control; });
            QVERIFY2(label != labels.cend(), qPrintable(field.name));
            QCOMPARE((*label)->text().remove(u'&').remove(u':'), field.caption);
            if (field.kind == QuoteTabField::Kind::Money) {
                QVERIFY2(lines.contains(field.caption + u": $"_s + field.text),
                         qPrintable(field.caption));
                QCOMPARE(figures.value(field.name).toDouble(), Format::value(field.text));
            }
        }
        QCOMPARE(json.value(u"legs"_s).toArray().size(), 4);
        QCOMPARE(json.value(u"charges"_s).toArray().at(0).toObject().value(u"Total"_s).toString(),
                 shown.charges.at(0).total);
        QFile windowFile(out.filePath(u"window.txt"_s)), toolFile(out.filePath(u"tool.txt"_s));
        QVERIFY(windowFile.open(QIODevice::ReadOnly) && toolFile.open(QIODevice::ReadOnly));
        const QByteArray tool = toolFile.readAll(), window_ = windowFile.readAll();
        const QList<QByteArray> toolLines = tool.split('\n'), windowLines = window_.split('\n');
        for (qsizetype i = 0; i < qMin(toolLines.size(), windowLines.size()); ++i)
            QCOMPARE(toolLines.at(i), windowLines.at(i));
        QCOMPARE(tool, window_);

        window.reset();
        m_folder->close();
    }

    // One trip a line; a line that cannot be priced is named and the others are priced.
    void batchPricesEveryGoodLine()
    {
        QTemporaryDir out;
        const QString trips = out.filePath(u"trips.csv"_s);
        QFile file(trips);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(
            "\xef\xbb\xbf\"Stops\", Rate ,tax,PASSENGERS\r\nKTEB KBOS,,FET,\r\nKTEB-KZZZ,,,\r\n"
            "KTEB-EGLL-LFPB,\"9.5\",,3\r\n");
        file.close();
        const Run run = quoteTool(
            {folder(), u"--batch"_s, trips, u"--output"_s, out.filePath(u"figures.csv"_s)});
        QCOMPARE(run.exitCode, 3);
        QVERIFY2(run.err.contains(trips + u":3: Airport Identifier 'KZZZ' not found."_s),
                 qPrintable(run.err));
        QFile figures(out.filePath(u"figures.csv"_s));
        QVERIFY(figures.open(QIODevice::ReadOnly));
        const QStringList lines = QString::fromUtf8(figures.readAll()).split(u"\r\n"_s);
        QCOMPARE(lines.size(), 4); // the header, two trips and the end of the last line
        const Run single = quoteTool({folder(), u"KTEB"_s, u"EGLL"_s, u"LFPB"_s, u"--rate"_s,
                                      u"9.5"_s, u"--segment-tax"_s, u"3"_s, u"--json"_s});
        const QString finalQuote = QJsonDocument::fromJson(single.out)
                                       .object()
                                       .value(u"fields"_s)
                                       .toObject()
                                       .value(u"TxtFinalQuote"_s)
                                       .toString();
        QVERIFY2(lines.at(2).startsWith(u"4,\"KTEB EGLL LFPB\""_s), qPrintable(lines.at(2)));
        QVERIFY2(lines.at(2).endsWith(u",\""_s + finalQuote + u'"'), qPrintable(lines.at(2)));
    }

    // A batch file with a malformed line prices nothing: no figure goes missing unnoticed.
    void batchRefusesMalformedLines_data()
    {
        QTest::addColumn<QByteArray>("trips");
        QTest::addColumn<QString>("message"); // after the file's name
        QTest::newRow("more columns than the header")
            << QByteArray("stops,rate,passengers\nKTEB KBOS,9.5,2\nKTEB KBOS,8,5,2\n")
            << ":3: 4 columns where the header has 3.";
        QTest::newRow("a misspelt column")
            << QByteArray("stops,rte\nKTEB KBOS,9.5\n")
            << ":1: column 2: 'rte' is no column or named twice (the columns are stops, rate, "
               "tax, passengers).";
        QTest::newRow("a decimal comma in quotes")
            << QByteArray("stops,rate\r\nKTEB KBOS,\"8,5\"\r\n")
            << ":2: column 2 (rate): '8,5' is not a number in plain form (such as 8.5).";
    }
    void batchRefusesMalformedLines()
    {
        QFETCH(QByteArray, trips);
        QFETCH(QString, message);
        QTemporaryDir out;
        const QString path = out.filePath(u"trips.csv"_s);
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly) && file.write(trips) == trips.size());
        file.close();
        const Run run = quoteTool({folder(), u"--batch"_s, path});
        QCOMPARE(run.exitCode, 2);
        QVERIFY2(run.err.contains(path + message), qPrintable(run.err));
        QVERIFY(run.out.isEmpty());
    }

    void helpShowsThreeExamples()
    {
        const Run run = quoteTool({u"--help"_s});
        QCOMPARE(run.exitCode, 0);
        const QString help = QString::fromUtf8(run.out);
        QVERIFY2(help.contains(u"Examples:"_s), qPrintable(help));
        QCOMPARE(help.section(u"Examples:"_s, 1)
                     .section(u"\n\n"_s, 0, 0)
                     .count(u"  brisklander-quote "_s),
                 3);
    }
};

QTEST_MAIN(TestQuoteTool)
#include "tst_quotetool.moc"
