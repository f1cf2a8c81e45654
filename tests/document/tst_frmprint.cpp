#include "document/datefield.h"
#include "document/frmprint.h"
#include "document/printdialogstate.h"
#include "support/systemfaults.h"
#include "support/testservices.h"

#include <QCheckBox>
#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QLocale>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>

using Platform::Button;
using Platform::Icon;
using Platform::PrintChoice;

namespace {

// The eleven one-line text fields with their lengths.
const QList<QPair<const char*, int>> TextFields = {
    {"TxtQuotedBy", 15},         {"TxtCustomerName", 32},    {"TxtCustomerAddress1", 32},
    {"TxtCustomerAddress2", 32}, {"TxtCustomerCity", 25},    {"TxtCustomerState", 2},
    {"TxtCustomerZip", 8},       {"TxtCustomerCountry", 30}, {"TxtCustomerPhone", 15},
    {"TxtCustomerFax", 15},      {"TxtCustomerEmail", 32}};

template <typename T = QLineEdit> T* child(const QWidget& dialog, const QString& name)
{
    auto* widget = dialog.findChild<T*>(name);
    if (!widget)
        qFatal("no control %s", qPrintable(name));
    return widget;
}

QLineEdit* date(const QWidget& dialog, const char* name)
{
    return child<DateField>(dialog, name)->lineEdit();
}

// Every field is empty and the company choice is as given.
void expectEmpty(const QWidget& dialog, bool printCompany)
{
    QList<QLineEdit*> fields = {date(dialog, "DCDateFlight"), date(dialog, "DCDateReturn")};
    for (const auto& [name, length] : TextFields)
        fields << child(dialog, name);
    for (QLineEdit* field : fields)
        QVERIFY2(field->text().isEmpty(), qPrintable(field->objectName()));
    QVERIFY(child<QPlainTextEdit>(dialog, "TxtQuoteRemarks")->toPlainText().isEmpty());
    QCOMPARE(child<QCheckBox>(dialog, "ChkComp")->isChecked(), printCompany);
}

// Replaces the field's text as the operator would and leaves the field with Tab.
void typeInto(QWidget* field, const QString& typed)
{
    field->setFocus();
    QTest::keyClick(field, Qt::Key_A, Qt::ControlModifier);
    QTest::keyClick(field, Qt::Key_Delete);
    QTest::keyClicks(field, typed);
    QTest::keyClick(field, Qt::Key_Tab);
}

} // namespace

class TestFrmPrint : public QObject
{
    Q_OBJECT

    std::unique_ptr<TestServices> m_services;
    std::unique_ptr<FrmPrint> m_dialog;

    FrmPrint& openDialog()
    {
        m_dialog = std::make_unique<FrmPrint>(nullptr);
        m_dialog->show();
        if (!QTest::qWaitForWindowActive(m_dialog.get()))
            qFatal("the print window did not become active");
        return *m_dialog;
    }
    void click(const QString& button)
    {
        QTest::mouseClick(child<QPushButton>(*m_dialog, button), Qt::LeftButton);
    }

private slots:
    void initTestCase() { QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates)); }
    void init()
    {
        printDialogState() = PrintDialogState();
        m_services = std::make_unique<TestServices>();
    }
    void cleanup()
    {
        m_dialog.reset();
        const auto unexpected = m_services->prompter->unexpected();
        const bool busy = m_services->pointer->isBusy();
        m_services.reset();
        QVERIFY2(unexpected.isEmpty(), unexpected.isEmpty() ? "" : qPrintable(unexpected[0].text));
        QVERIFY(!busy);
    }

    void fieldsAreRememberedClearedAndForgotten()
    {
        FrmPrint& dialog = openDialog();
        typeInto(date(dialog, "DCDateFlight"), "12/10/2026");
        typeInto(date(dialog, "DCDateReturn"), "12/20/2026");
        for (const auto& [name, length] : TextFields)
            typeInto(child(dialog, name), QString(name).repeated(3));
        auto* remarks = child<QPlainTextEdit>(dialog, "TxtQuoteRemarks");
        QTest::keyClicks(remarks, "Line one");
        QTest::keyClick(remarks, Qt::Key_Return);
        QTest::keyClicks(remarks, "Line two");
        QTest::keyClick(child<QCheckBox>(dialog, "ChkComp"), Qt::Key_Space);
        click("CmdCancel");
        QCOMPARE(printDialogState().Remarks, "Line one\r\nLine two");

        FrmPrint& again = openDialog();
        QCOMPARE(date(again, "DCDateFlight")->text(), "12/10/2026");
        QCOMPARE(date(again, "DCDateReturn")->text(), "12/20/2026");
        for (const auto& [name, length] : TextFields)
            QCOMPARE(child(again, name)->text(), QString(name).repeated(3).left(length));
        QCOMPARE(child<QPlainTextEdit>(again, "TxtQuoteRemarks")->toPlainText(),
                 "Line one\nLine two");
        QVERIFY(!child<QCheckBox>(again, "ChkComp")->isChecked());

        // Clear Data empties the fields and keeps the company choice. Enter does nothing
        // in a field and works a button.
        QTest::keyClick(child(again, "TxtCustomerName"), Qt::Key_Return);
        QCOMPARE(m_services->printChooser->calls(), 0);
        auto* clear = child<QPushButton>(again, "CmdClear");
        clear->setFocus();
        QTest::keyClick(clear, Qt::Key_Return);
        expectEmpty(again, false);
        QTRY_VERIFY(date(again, "DCDateFlight")->hasFocus());

        // A new quote forgets them.
        printDialogState() = PrintDialogState();
        expectEmpty(FrmPrint(nullptr), true);
    }

    void returnDateFollowsTheDeparture()
    {
        // A remembered return date is kept only with its departure date.
        printDialogState().ReturnDate = "2026-12-20";
        QVERIFY(date(FrmPrint(nullptr), "DCDateReturn")->text().isEmpty());

        printDialogState().DepartureDate = "2026-12-10";
        FrmPrint& dialog = openDialog();
        QLineEdit* returnDate = date(dialog, "DCDateReturn");
        QCOMPARE(returnDate->text(), "12/20/2026");
        const QStringList steps = {"DCDateFlight", "12/25/2026", "12/25/2026", // moved along
                                   "DCDateFlight", "12/1/2026",  "12/25/2026", // kept
                                   "DCDateReturn", "11/30/2026", "12/25/2026", // before: refused
                                   "DCDateReturn", "12/2/2026",  "12/2/2026"};
        for (qsizetype i = 0; i < steps.size(); i += 3) {
            typeInto(date(dialog, qPrintable(steps[i])), steps[i + 1]);
            QCOMPARE(returnDate->text(), steps[i + 2]);
        }
    }

    // Dates are typed and shown in the user's short form, the year in full; a year of
    // two digits is this century's.
    void datesInTheUsersShortForm_data()
    {
        QTest::addColumn<QLocale>("locale");
        QTest::addColumn<QStringList>("typed");
        QTest::addColumn<QStringList>("shown");
        QTest::newRow("en_US") << QLocale(QLocale::English, QLocale::UnitedStates)
                               << QStringList{"12/24/26", "1/7/2027"}
                               << QStringList{"12/24/2026", "1/7/2027"};
        QTest::newRow("de_DE") << QLocale(QLocale::German, QLocale::Germany)
                               << QStringList{"24.12.2026", "7.1.27", "12/24/2026"}
                               << QStringList{"24.12.2026", "07.01.2027", "07.01.2027"};
        QTest::newRow("fr_FR") << QLocale(QLocale::French, QLocale::France)
                               << QStringList{"24/12/26", "07/01/2027"}
                               << QStringList{"24/12/2026", "07/01/2027"};
    }
    void datesInTheUsersShortForm()
    {
        QFETCH(QLocale, locale);
        QFETCH(QStringList, typed);
        QFETCH(QStringList, shown);
        QLocale::setDefault(locale);
        QLineEdit* departure = date(openDialog(), "DCDateFlight");
        for (qsizetype i = 0; i < typed.size(); ++i) {
            typeInto(departure, typed.at(i));
            QCOMPARE(departure->text(), shown.at(i));
        }
        QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates));
    }

    // From a year back to ten years ahead; a date outside keeps the one before.
    void departureDateLimits()
    {
        QLineEdit* departure = date(openDialog(), "DCDateFlight");
        const QStringList typed = {"12/5/2025", "12/6/2025", "12/7/2036", "12/6/2036", "soon", ""};
        const QStringList shown = {"", "12/6/2025", "12/6/2025", "12/6/2036", "12/6/2036", ""};
        for (qsizetype i = 0; i < typed.size(); ++i) {
            typeInto(departure, typed.at(i));
            QCOMPARE(departure->text(), shown.at(i));
        }
    }

    // 80 characters, one line break, and a second line of 80 more.
    void remarksHoldTwoLinesAtMost()
    {
        auto* remarks = child<QPlainTextEdit>(openDialog(), "TxtQuoteRemarks");
        remarks->setFocus();
        QTest::keyClicks(remarks, QString(85, 'a'));
        QCOMPARE(remarks->toPlainText(), QString(80, 'a'));
        QTest::keyClick(remarks, Qt::Key_Return);
        QTest::keyClicks(remarks, QString(82, 'b'));
        QTest::keyClick(remarks, Qt::Key_Return);
        QTest::keyClicks(remarks, "c");
        QCOMPARE(remarks->toPlainText(), QString(80, 'a') + '\n' + QString(80, 'b'));
        // Without the line break it is one line again, cut to its length.
        QTest::keyClick(remarks, Qt::Key_Home);
        QTest::keyClick(remarks, Qt::Key_Backspace);
        QCOMPARE(remarks->toPlainText(), QString(80, 'a'));
    }

    void returnDateNeedsADepartureDate_data()
    {
        QTest::addColumn<QString>("button");
        QTest::newRow("print") << "CmdPrint";
        QTest::newRow("save to file") << "CmdPrintFile";
    }
    void returnDateNeedsADepartureDate()
    {
        QFETCH(QString, button);
        FrmPrint& dialog = openDialog();
        typeInto(date(dialog, "DCDateReturn"), "12/20/2026");
        m_services->prompter->setNextAnswer(Button::Ok);
        click(button);
        const auto& shown = m_services->prompter->messages();
        QString why = QStringLiteral("%1 messages").arg(shown.size());
        QVERIFY2(shown.size() == 1 &&
                     sameMessage(shown[0], Icon::Exclamation, "Print Quote",
                                 "Need Departure Date with Return Date", Button::Ok, &why),
                 qPrintable(why));
        QCOMPARE(m_services->printChooser->calls(), 0);
        QVERIFY(m_services->fileChooser->requests().isEmpty());
        QVERIFY(dialog.isVisible());
        QTRY_VERIFY(date(dialog, "DCDateFlight")->hasFocus());
    }

    // The file chooser answers `name` (none: Cancel); a file that cannot be written
    // ("missing/") is reported and the window closes all the same.
    void quoteGoesToTheChosenFile_data()
    {
        QTest::addColumn<QString>("button");
        QTest::addColumn<PrintChoice>("choice");
        QTest::addColumn<QString>("name");
        QTest::addColumn<QByteArray>("start"); // empty: no file
        const auto row = [](const char* name, const char* button, PrintChoice choice,
                            const char* file, const char* start) {
            QTest::newRow(name) << button << choice << file << QByteArray(start);
        };
        row("print dialog cancelled", "CmdPrint", PrintChoice::Cancelled, "", "");
        row("print to file, cancelled", "CmdPrint", PrintChoice::ToFile, "", "");
        row("print to file, text", "CmdPrint", PrintChoice::ToFile, "quote.txt",
            "\r\nBrisklander For Windows");
        row("save to file, PDF", "CmdPrintFile", PrintChoice::Cancelled, "quote.pdf", "%PDF");
        row("printer", "CmdPrint", PrintChoice::Printer, "printed.pdf", "%PDF");
        row("text file not written", "CmdPrintFile", PrintChoice::Cancelled, "missing/quote.txt",
            "");
        row("printer fails", "CmdPrint", PrintChoice::Printer, "missing/printed.pdf", "");
    }
    void quoteGoesToTheChosenFile()
    {
        QFETCH(QString, button);
        QFETCH(PrintChoice, choice);
        QFETCH(QString, name);
        QFETCH(QByteArray, start);
        const bool fails = name.startsWith("missing/");
        QTemporaryDir dir;
        const QString path = dir.filePath(name);
        m_services->printChooser->setChoice(choice, path);
        if (!name.isEmpty())
            m_services->fileChooser->setAnswer(Platform::SaveFileAnswer{path, QString()});
        if (fails)
            m_services->prompter->setNextAnswer(Button::Ok);
        FrmPrint& dialog = openDialog();
        click(button);
        QVERIFY(!dialog.isVisible());
        const bool asked = button == "CmdPrintFile" || choice == PrintChoice::ToFile;
        QCOMPARE(m_services->fileChooser->requests().size(), asked ? 1 : 0);
        QCOMPARE(QDir(dir.path()).entryList(QDir::Files).size(), start.isEmpty() ? 0 : 1);
        QFile file(path);
        QVERIFY(start.isEmpty() ||
                (file.open(QIODevice::ReadOnly) && file.readAll().startsWith(start)));
        QCOMPARE(m_services->prompter->messages().size(), fails ? 1 : 0);
        if (!fails)
            return;
        const Platform::Message message = m_services->prompter->messages().first();
        QVERIFY2(QRegularExpression("^An Error Occured:\r\rError Number = -?\\d+\r.+$")
                     .match(message.text)
                     .hasMatch(),
                 qPrintable(message.text));
        QVERIFY(sameMessage(message, Icon::Critical, "Brisklander", message.text, Button::Ok));
    }

    // A quote file saved again on a full disk keeps the earlier quote whole, and the
    // failure is reported, never a short file called saved.
    void fullDiskKeepsTheEarlierQuoteFile_data()
    {
        QTest::addColumn<QString>("name");
        QTest::newRow("text file") << "quote.txt";
        QTest::newRow("PDF") << "quote.pdf";
    }
    void fullDiskKeepsTheEarlierQuoteFile()
    {
        QFETCH(QString, name);
        if (!runningAsRoot())
            QSKIP("needs root to mount a tmpfs");
        QTemporaryDir dir;
        TinyDisk disk(dir.filePath("disk"), "64k");
        if (!disk.isMounted())
            QSKIP("cannot mount a tmpfs here");
        const QString path = dir.filePath("disk/" + name);
        QFile earlier(path);
        QVERIFY(earlier.open(QIODevice::WriteOnly) && earlier.write("the earlier quote") > 0);
        earlier.close();
        disk.fill();
        m_services->fileChooser->setAnswer(Platform::SaveFileAnswer{path, QString()});
        m_services->prompter->setNextAnswer(Button::Ok);
        openDialog();
        click("CmdPrintFile");
        QCOMPARE(m_services->prompter->messages().size(), 1);
        const Platform::Message message = m_services->prompter->messages().first();
        QVERIFY2(message.text.startsWith("An Error Occured:\r\rError Number = 75\rPath/File "
                                         "access error: " +
                                         path),
                 qPrintable(message.text));
        QVERIFY(sameMessage(message, Icon::Critical, "Brisklander", message.text, Button::Ok));
        QVERIFY(earlier.open(QIODevice::ReadOnly));
        QCOMPARE(earlier.readAll(), QByteArray("the earlier quote"));
        QCOMPARE(QDir(dir.filePath("disk")).entryList(QDir::Files), QStringList({"filler", name}));
    }
};

QTEST_MAIN(TestFrmPrint)
#include "tst_frmprint.moc"
