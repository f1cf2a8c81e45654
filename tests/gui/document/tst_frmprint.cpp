#include "core/document/customerfields.h"
#include "gui/document/datefield.h"
#include "gui/document/frmprint.h"
#include "gui/document/printdialogstate.h"
#include "support/systemfaults.h"
#include "support/testfiles.h"
#include "support/testservices.h"

#include <QApplication>
#include <QCalendarWidget>
#include <QCheckBox>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLineEdit>
#include <QLocale>
#include <QPlainTextEdit>
#include <QPrintDialog>
#include <QProcess>
#include <QPushButton>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

using Platform::Button;
using Platform::Icon;
using Platform::PrintChoice;

namespace {

// The eleven one-line text fields.
const QList<PrintField> TextFields = [] {
    QList<PrintField> fields = {PrintFields::QuotedBy};
    for (const CustomerField& field : PrintFields::Customer)
        fields << field;
    return fields;
}();

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
    for (const PrintField& field : TextFields)
        fields << child(dialog, field.controlName);
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

// A trip from Teterboro to Boston, as the main window hands it over.
QuoteData twoStops()
{
    QuoteData data;
    data.route = {{"KTEB", "Teterboro", "0.0", "0.0"},
                  {"KBOS", "Boston Logan Intl", "161.2", "185.5"}};
    data.totalNM = "161.2";
    data.totalSM = "185.5";
    return data;
}

// What pdfinfo tells of a PDF file: "Title", "Page size" ("612 x 792 pts (letter)"), ...
QMap<QString, QString> pdfInfo(const QString& path)
{
    QProcess info;
    info.start(QStandardPaths::findExecutable("pdfinfo"), {path});
    info.waitForFinished(60000);
    QMap<QString, QString> fields;
    for (const QString& line : QString::fromUtf8(info.readAllStandardOutput()).split('\n'))
        if (line.contains(':'))
            fields.insert(line.section(':', 0, 0), line.section(':', 1).trimmed());
    return fields;
}

} // namespace

class TestFrmPrint : public QObject
{
    Q_OBJECT

    std::unique_ptr<TestServices> m_services;
    std::unique_ptr<FrmPrint> m_dialog;

    FrmPrint& openDialog()
    {
        m_dialog = std::make_unique<FrmPrint>(twoStops);
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
        for (const PrintField& field : TextFields)
            typeInto(child(dialog, field.controlName), QString(field.controlName).repeated(3));
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
        for (const PrintField& field : TextFields)
            QCOMPARE(child(again, field.controlName)->text(),
                     QString(field.controlName).repeated(3).left(field.length));
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

    // Tab runs through the customer's fields in reading order, row by row and each row
    // left to right, so an address typed from top to bottom lands where it belongs.
    void customerFieldsLieInTabOrder()
    {
        FrmPrint& dialog = openDialog();
        child(dialog, "TxtCustomerName")->setFocus();
        QStringList order;
        QRect previous;
        for (QWidget* field = QApplication::focusWidget();
             field && field->objectName() != "TxtQuoteRemarks";
             field = QApplication::focusWidget()) {
            const QRect at(field->mapTo(&dialog, QPoint()), field->size());
            if (!order.isEmpty())
                QVERIFY2(
                    at.top() >= previous.bottom() ||
                        (at.center().y() == previous.center().y() && at.left() > previous.right()),
                    qPrintable(field->objectName() + " after " + order.last()));
            order << field->objectName();
            previous = at;
            QTest::keyClick(field, Qt::Key_Tab);
        }
        QStringList expected;
        for (const CustomerField& field : PrintFields::Customer)
            expected << field.controlName;
        QCOMPARE(order, expected);
    }

    void returnDateFollowsTheDeparture()
    {
        // A remembered departure alone: the return date still starts at it.
        printDialogState().DepartureDate = "2026-12-10";
        QCOMPARE(child<DateField>(FrmPrint(nullptr), "DCDateReturn")->minimum(),
                 QDate(2026, 12, 10));
        printDialogState().DepartureDate.clear();

        // A remembered return date is kept only with its departure date.
        printDialogState().ReturnDate = "2026-12-20";
        QVERIFY(date(FrmPrint(nullptr), "DCDateReturn")->text().isEmpty());

        printDialogState().DepartureDate = "2026-12-10";
        FrmPrint& dialog = openDialog();
        QLineEdit* returnDate = date(dialog, "DCDateReturn");
        QCOMPARE(returnDate->text(), "12/20/2026");
        const QStringList steps = {"DCDateFlight", "12/25/2026", "12/25/2026", // moved along
                                   "DCDateFlight", "12/1/2026",  "12/25/2026", // kept
                                   "DCDateReturn", "12/2/2026",  "12/2/2026"};
        for (qsizetype i = 0; i < steps.size(); i += 3) {
            typeInto(date(dialog, qPrintable(steps[i])), steps[i + 1]);
            QCOMPARE(returnDate->text(), steps[i + 2]);
        }
    }

    // Dates are typed and shown in the user's short form (the rules' cases are on
    // PrintDates): a short German date comes back in full.
    void datesInTheUsersShortForm()
    {
        QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
        QLineEdit* departure = date(openDialog(), "DCDateFlight");
        typeInto(departure, "7.1.27");
        QCOMPARE(departure->text(), "07.01.2027");
        QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates));
    }

    // A date the field does not take is told, with the dates it takes in the user's
    // short form (the limits' cases are on PrintDates); the focus comes back with the
    // text selected. Print asks again and prints nothing; a date within the limits is
    // taken without a word.
    void refusedDatesAreTold()
    {
        const QString typed = "12/9/2026", taken = "12/10/2026";
        const QString message = "Return Date must be between 12/10/2026 and 12/6/2036.";
        FrmPrint& dialog = openDialog();
        typeInto(date(dialog, "DCDateFlight"), "12/10/2026");
        QLineEdit* edit = date(dialog, "DCDateReturn");
        const auto& shown = m_services->prompter->messages();
        QString why;

        m_services->prompter->setNextAnswer(Button::Ok);
        typeInto(edit, typed);
        QCOMPARE(shown.size(), 1);
        QVERIFY2(sameMessage(shown[0], Icon::Exclamation, "Print Quote", message, Button::Ok, &why),
                 qPrintable(why));
        QTRY_VERIFY(edit->hasFocus());
        QCOMPARE(edit->selectedText(), typed);

        m_services->prompter->setNextAnswer(Button::Ok);
        click("CmdPrint");
        QCOMPARE(shown.size(), 2);
        QVERIFY2(sameMessage(shown[1], Icon::Exclamation, "Print Quote", message, Button::Ok, &why),
                 qPrintable(why));
        QCOMPARE(m_services->printChooser->calls(), 0);
        QVERIFY(dialog.isVisible());
        QTRY_VERIFY(edit->hasFocus());

        typeInto(edit, taken);
        QCOMPARE(shown.size(), 2);
        QCOMPARE(edit->text(), taken);
    }

    // Leaving a refused date for Cancel, or closing with Esc, closes without a word and
    // keeps the date the field held.
    void closingDropsARefusedDate_data()
    {
        QTest::addColumn<bool>("escape");
        QTest::newRow("Cancel") << false;
        QTest::newRow("Esc") << true;
    }
    void closingDropsARefusedDate()
    {
        QFETCH(bool, escape);
        FrmPrint& dialog = openDialog();
        QLineEdit* departure = date(dialog, "DCDateFlight");
        typeInto(departure, "12/10/2026");
        departure->setFocus();
        departure->selectAll();
        QTest::keyClicks(departure, "12/40/2026");
        if (escape) {
            QTest::keyClick(departure, Qt::Key_Escape);
        } else {
            auto* cancel = child<QPushButton>(dialog, "CmdCancel");
            cancel->setFocus(Qt::MouseFocusReason); // as the mouse press gives it
            QVERIFY(cancel->hasFocus());
            QVERIFY(m_services->prompter->messages().isEmpty());
            QTest::mouseClick(cancel, Qt::LeftButton);
        }
        QVERIFY(!dialog.isVisible());
        QVERIFY(m_services->prompter->messages().isEmpty());
        QCOMPARE(printDialogState().DepartureDate, "2026-12-10");
    }

    // The calendar offers the field's dates only: the keys stop at its limits.
    void calendarOffersOnlyTheFieldsDates()
    {
        FrmPrint& dialog = openDialog();
        auto* calendar = child<QCalendarWidget>(dialog, "MonthView1");
        QLineEdit* departure = date(dialog, "DCDateFlight");
        QLineEdit* returnDate = date(dialog, "DCDateReturn");
        // Opens the calendar from the field, moves by the key and picks with Enter.
        const auto pick = [&](QLineEdit* field, Qt::Key key) {
            field->setFocus();
            QTest::keyClick(field, Qt::Key_F4);
            QTRY_VERIFY(calendar->isVisible());
            QVERIFY(calendar->isAncestorOf(QApplication::focusWidget()));
            QTest::keyClick(QApplication::focusWidget(), key);
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
            QTRY_VERIFY(!calendar->isVisible());
        };
        // Today is 12/6/2026: a year back and ten ahead, here the first of them.
        typeInto(departure, "12/6/2025");
        pick(departure, Qt::Key_Left);
        QCOMPARE(departure->text(), "12/6/2025");
        QCOMPARE(calendar->minimumDate(), QDate(2025, 12, 6));
        QCOMPARE(calendar->maximumDate(), QDate(2036, 12, 6));
        // The return date starts at the departure and goes no earlier.
        pick(returnDate, Qt::Key_Left);
        QCOMPARE(returnDate->text(), "12/6/2025");
        pick(returnDate, Qt::Key_Right);
        QCOMPARE(returnDate->text(), "12/7/2025");
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

    // The print dialog's choice decides where the quote goes: a printer (here a PDF
    // file stands in for it), the PDF file named in the dialog itself, or a file still
    // to be chosen in the save dialog (none answered: Cancel). A file that cannot be
    // written ("missing/") is reported, and the window closes all the same.
    void quoteGoesToTheChosenFile_data()
    {
        QTest::addColumn<QString>("button");
        QTest::addColumn<PrintChoice>("choice");
        QTest::addColumn<QString>("named");    // in the print dialog
        QTest::addColumn<QString>("chosen");   // in the save dialog
        QTest::addColumn<QByteArray>("start"); // empty: no file
        const auto row = [](const char* name, const char* button, PrintChoice choice,
                            const char* named, const char* chosen, const char* start) {
            QTest::newRow(name) << button << choice << named << chosen << QByteArray(start);
        };
        row("print dialog cancelled", "CmdPrint", PrintChoice::Cancelled, "", "", "");
        row("print to file, cancelled", "CmdPrint", PrintChoice::ToFile, "", "", "");
        row("print to file, text", "CmdPrint", PrintChoice::ToFile, "", "quote.txt",
            "\r\nBrisklander For Windows");
        row("print to a named PDF file", "CmdPrint", PrintChoice::ToFile, "named.pdf", "", "%PDF");
        row("save to file, PDF", "CmdPrintFile", PrintChoice::Cancelled, "", "quote.pdf", "%PDF");
        row("printer", "CmdPrint", PrintChoice::Printer, "printed.pdf", "", "%PDF");
        row("text file not written", "CmdPrintFile", PrintChoice::Cancelled, "",
            "missing/quote.txt", "");
        row("named PDF file not written", "CmdPrint", PrintChoice::ToFile, "missing/named.pdf", "",
            "");
        row("printer fails", "CmdPrint", PrintChoice::Printer, "missing/printed.pdf", "", "");
    }
    void quoteGoesToTheChosenFile()
    {
        QFETCH(QString, button);
        QFETCH(PrintChoice, choice);
        QFETCH(QString, named);
        QFETCH(QString, chosen);
        QFETCH(QByteArray, start);
        const QString name = named + chosen;
        const bool fails = name.startsWith("missing/");
        QTemporaryDir dir;
        const QString path = dir.filePath(name);
        m_services->printChooser->setChoice(choice, named.isEmpty() ? QString() : path);
        if (!chosen.isEmpty())
            m_services->fileChooser->setAnswer(Platform::SaveFileAnswer{path, QString()});
        if (fails)
            m_services->prompter->setNextAnswer(Button::Ok);
        FrmPrint& dialog = openDialog();
        click(button);
        QVERIFY(!dialog.isVisible());
        const bool asked =
            button == "CmdPrintFile" || (choice == PrintChoice::ToFile && named.isEmpty());
        QCOMPARE(m_services->fileChooser->requests().size(), asked ? 1 : 0);
        QCOMPARE(QDir(dir.path()).entryList(QDir::Files).size(), start.isEmpty() ? 0 : 1);
        QFile file(path);
        QVERIFY(start.isEmpty() ||
                (file.open(QIODevice::ReadOnly) && file.readAll().startsWith(start)));
        QCOMPARE(m_services->prompter->messages().size(), fails ? 1 : 0);
        if (!fails)
            return;
        const Platform::Message message = m_services->prompter->messages().first();
        QVERIFY2(QRegularExpression("^An Error Occurred:\r\rError Number = -?\\d+\r.+$")
                     .match(message.text)
                     .hasMatch(),
                 qPrintable(message.text));
        QVERIFY(sameMessage(message, Icon::Critical, "Brisklander", message.text, Button::Ok));
    }

    // The print dialog opens with the job named after the quote: the customer, or
    // without one the route.
    void jobIsNamedAfterTheQuote_data()
    {
        QTest::addColumn<QString>("customer");
        QTest::addColumn<QString>("name");
        QTest::newRow("customer") << "  Ada Lovelace "
                                  << "Quote Ada Lovelace";
        QTest::newRow("no customer") << "   "
                                     << "Quote KTEB-KBOS";
    }
    void jobIsNamedAfterTheQuote()
    {
        QFETCH(QString, customer);
        QFETCH(QString, name);
        FrmPrint& dialog = openDialog();
        typeInto(child(dialog, "TxtCustomerName"), customer);
        click("CmdPrint");
        QCOMPARE(m_services->printChooser->docNames(), QStringList({name}));
    }

    // A PDF document is written on the page of the printer chosen in the print dialog,
    // or, saved straight to a file, on the paper of the user's locale (its cases are on
    // PrintJob::localePaper). Its title names the quote.
    void pdfTakesItsPaper_data()
    {
        QTest::addColumn<QString>("locale");
        QTest::addColumn<PrintChoice>("choice"); // Cancelled: Save to File
        QTest::addColumn<QString>("chosenPage"); // in the print dialog
        QTest::addColumn<QString>("size");       // width x height in points
        const auto save = [](const char* locale, const char* size) {
            QTest::addRow("save to file, %s", locale)
                << locale << PrintChoice::Cancelled << QString() << QString(size);
        };
        save("en_US", "612 x 792");
        save("de_DE", "595 x 842");
        QTest::newRow("print to file, A4 landscape chosen, en_US")
            << "en_US" << PrintChoice::ToFile << "A4 landscape"
            << "842 x 595";
        QTest::newRow("named PDF file, Letter landscape chosen, de_DE")
            << "de_DE" << PrintChoice::ToFile << "Letter landscape named"
            << "792 x 612";
    }
    void pdfTakesItsPaper()
    {
        QFETCH(QString, locale);
        QFETCH(PrintChoice, choice);
        QFETCH(QString, chosenPage);
        QFETCH(QString, size);
        if (QStandardPaths::findExecutable("pdfinfo").isEmpty())
            QSKIP("pdfinfo is not installed");
        QLocale::setDefault(QLocale(locale));
        QTemporaryDir dir;
        const QString path = dir.filePath("quote.pdf");
        if (!chosenPage.isEmpty())
            m_services->printChooser->setPage(QPageLayout(
                QPageSize(chosenPage.startsWith("A4") ? QPageSize::A4 : QPageSize::Letter),
                QPageLayout::Landscape, QMarginsF(10, 10, 10, 10)));
        m_services->printChooser->setChoice(choice,
                                            chosenPage.endsWith("named") ? path : QString());
        m_services->fileChooser->setAnswer(
            Platform::SaveFileAnswer{path, QStringLiteral("PDF Document (*.pdf)")});
        openDialog();
        click(choice == PrintChoice::Cancelled ? "CmdPrintFile" : "CmdPrint");
        QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates));

        const QMap<QString, QString> info = pdfInfo(path);
        const QStringList points = info.value("Page size").section(" pts", 0, 0).split(" x ");
        QCOMPARE(points.size(), 2);
        QCOMPARE(QStringLiteral("%1 x %2")
                     .arg(qRound(points[0].toDouble()))
                     .arg(qRound(points[1].toDouble())),
                 size);
        QCOMPARE(info.value("Title"), "Quote KTEB-KBOS");
    }

    // The system print dialog through the program's own print chooser: the quote is
    // printed whole (no page range, selection or current page to choose), and its
    // "Print to File (PDF)" writes the PDF to the file named there, asking for no other.
    void systemPrintDialog()
    {
        Platform::Services qt;
        qt.printChooser = Platform::qtServices().printChooser;
        Platform::install(qt);
        QTemporaryDir dir;
        const QString path = dir.filePath("named.pdf");
        QAbstractPrintDialog::PrintDialogOptions options;
        QString docName;
        openDialog();
        QTimer::singleShot(0, this, [&] {
            auto* print = qobject_cast<QPrintDialog*>(QApplication::activeModalWidget());
            auto* file = print ? print->findChild<QLineEdit*>("filename") : nullptr;
            if (!file) {
                QApplication::activeModalWidget()->close();
                return;
            }
            options = print->options();
            docName = print->printer()->docName();
            file->setText(path);
            print->accept();
        });
        click("CmdPrint");
        QCOMPARE(docName, "Quote KTEB-KBOS");
        for (auto option :
             {QAbstractPrintDialog::PrintPageRange, QAbstractPrintDialog::PrintSelection,
              QAbstractPrintDialog::PrintCurrentPage})
            QVERIFY(!options.testFlag(option));
        QVERIFY(options.testFlag(QAbstractPrintDialog::PrintToFile));
        QVERIFY(m_services->fileChooser->requests().isEmpty());
        QFile file(path);
        QVERIFY(file.open(QIODevice::ReadOnly));
        QVERIFY(file.readAll().startsWith("%PDF"));
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
        QVERIFY2(message.text.startsWith("An Error Occurred:\r\rError Number = 75\rPath/File "
                                         "access error: " +
                                         path),
                 qPrintable(message.text));
        QVERIFY(sameMessage(message, Icon::Critical, "Brisklander", message.text, Button::Ok));
        QVERIFY(earlier.open(QIODevice::ReadOnly));
        QCOMPARE(earlier.readAll(), QByteArray("the earlier quote"));
        QCOMPARE(QDir(dir.filePath("disk")).entryList(QDir::Files), QStringList({"filler", name}));
    }

    // A quote file that is a link is written through it, the link kept; a link left
    // beside it at a name a writer might use is never followed.
    void linksAroundTheQuoteFile_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QByteArray>("start");
        QTest::newRow("text file") << "quote.txt" << QByteArray("\r\nBrisklander For Windows");
        QTest::newRow("PDF") << "quote.pdf" << QByteArray("%PDF");
    }
    void linksAroundTheQuoteFile()
    {
        QFETCH(QString, name);
        QFETCH(QByteArray, start);
        QTemporaryDir dir;
        const QString path = dir.filePath(name);
        const QString real = dir.filePath("real-" + name);
        const QString victim = dir.filePath("victim");
        for (const QString& file : {real, victim}) {
            QFile made(file);
            QVERIFY(made.open(QIODevice::WriteOnly) && made.write("kept") == 4);
        }
        QVERIFY(QFile::link(real, path));
        QVERIFY(QFile::link(victim, path + ".part"));
        m_services->fileChooser->setAnswer(Platform::SaveFileAnswer{path, QString()});
        openDialog();
        click("CmdPrintFile");
        QVERIFY(m_services->prompter->messages().isEmpty());
        QCOMPARE(QFileInfo(path).symLinkTarget(), real);
        QVERIFY(TestFiles::contentOf(real).startsWith(start));
        QCOMPARE(TestFiles::contentOf(victim), QByteArray("kept"));
        QCOMPARE(QFileInfo(path + ".part").symLinkTarget(), victim);
    }
};

QTEST_MAIN(TestFrmPrint)
#include "tst_frmprint.moc"
