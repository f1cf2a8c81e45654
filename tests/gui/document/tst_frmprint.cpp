#include "core/document/customerfields.h"
#include "core/document/printdialogstate.h"
#include "gui/document/datefield.h"
#include "gui/document/frmprint.h"
#include "support/child.h"
#include "support/systemfaults.h"
#include "support/testfiles.h"
#include "support/testservices.h"

#include <QApplication>
#include <QCalendarWidget>
#include <QCheckBox>
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

QLineEdit* edit(const QWidget& dialog, QLatin1StringView name)
{
    return child<QLineEdit>(dialog, name.data());
}
QLineEdit* date(const QWidget& dialog, const char* name)
{
    return child<DateField>(dialog, name)->lineEdit();
}
QPlainTextEdit* remarks(const QWidget& dialog)
{
    return child<QPlainTextEdit>(dialog, "TxtQuoteRemarks");
}

// What the fields hold: the dates, the text fields, the remarks, the company choice.
QStringList contents(const QWidget& dialog)
{
    QStringList texts = {date(dialog, "DCDateFlight")->text(),
                         date(dialog, "DCDateReturn")->text()};
    for (const PrintField& field : TextFields)
        texts << edit(dialog, field.controlName)->text();
    return texts << remarks(dialog)->toPlainText()
                 << (child<QCheckBox>(dialog, "ChkComp")->isChecked() ? "company" : "");
}
QStringList emptyContents(bool printCompany)
{
    return QStringList(2 + TextFields.size() + 1, QString()) << (printCompany ? "company" : "");
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
    void click(const char* button)
    {
        QTest::mouseClick(child<QPushButton>(*m_dialog, button), Qt::LeftButton);
    }
    // Every message shown so far, `count` of them: this icon and title, OK the default
    // button, the whole text matching `pattern`.
    void expectMessages(int count, Icon icon, const QString& title, const QString& pattern)
    {
        const QList<Platform::Message>& shown = m_services->prompter->messages();
        QCOMPARE(shown.size(), count);
        const QRegularExpression text("^(" + pattern + ")$",
                                      QRegularExpression::DotMatchesEverythingOption);
        for (const Platform::Message& message : shown) {
            QString why;
            QVERIFY2(text.match(message.text).hasMatch(), qPrintable(message.text));
            QVERIFY2(sameMessage(message, icon, title, message.text, Button::Ok, &why),
                     qPrintable(why));
        }
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

    // The fields are remembered when the window closes, each cut to its length; Clear
    // Data empties them and keeps the company choice; a new quote forgets them.
    void fieldsAreRememberedClearedAndForgotten()
    {
        FrmPrint& dialog = openDialog();
        typeInto(date(dialog, "DCDateFlight"), "12/10/2026");
        typeInto(date(dialog, "DCDateReturn"), "12/20/2026");
        QStringList typed = {"12/10/2026", "12/20/2026"};
        for (const PrintField& field : TextFields) {
            typeInto(edit(dialog, field.controlName), QString(field.controlName).repeated(3));
            typed << QString(field.controlName).repeated(3).left(field.length);
        }
        QTest::keyClicks(remarks(dialog), "Line one");
        QTest::keyClick(remarks(dialog), Qt::Key_Return);
        QTest::keyClicks(remarks(dialog), "Line two");
        QTest::keyClick(child<QCheckBox>(dialog, "ChkComp"), Qt::Key_Space);
        click("CmdCancel");
        QCOMPARE(printDialogState().Remarks, "Line one\r\nLine two");

        FrmPrint& again = openDialog();
        QCOMPARE(contents(again), typed << "Line one\nLine two"
                                        << "");
        // Enter does nothing in a field and works a button.
        QTest::keyClick(edit(again, PrintFields::Customer[0].controlName), Qt::Key_Return);
        QCOMPARE(m_services->printChooser->calls(), 0);
        auto* clear = child<QPushButton>(again, "CmdClear");
        clear->setFocus();
        QTest::keyClick(clear, Qt::Key_Return);
        QCOMPARE(contents(again), emptyContents(false));
        QTRY_VERIFY(date(again, "DCDateFlight")->hasFocus());

        printDialogState() = PrintDialogState();
        QCOMPARE(contents(FrmPrint(nullptr)), emptyContents(true));
    }

    // The window opens in the departure date; Tab runs through every control and round
    // again, the customer's fields in reading order, row by row and each row left to
    // right, so an address typed from top to bottom lands where it belongs.
    void focusAndTabOrder()
    {
        QStringList order = {"DCDateFlight", "DCDateReturn", "TxtQuotedBy", "ChkComp"};
        for (const CustomerField& field : PrintFields::Customer)
            order << field.controlName;
        order << "TxtQuoteRemarks"
              << "CmdPrint"
              << "CmdPrintFile"
              << "CmdClear"
              << "CmdCancel"
              << "DCDateFlight";
        FrmPrint& dialog = openDialog();
        QRect previous;
        for (qsizetype i = 0; i < order.size(); ++i) {
            QWidget* focus = QApplication::focusWidget();
            if (focus && focus->objectName().isEmpty()) // a date field's line edit
                focus = focus->parentWidget();
            QCOMPARE(focus ? focus->objectName() : QString(), order[i]);
            const QRect at(focus->mapTo(&dialog, QPoint()), focus->size());
            if (i > 4 && i <= PrintFields::CustomerCount + 3)
                QVERIFY2(
                    at.top() >= previous.bottom() ||
                        (at.center().y() == previous.center().y() && at.left() > previous.right()),
                    qPrintable(order[i] + " after " + order[i - 1]));
            previous = at;
            QTest::keyClick(focus, Qt::Key_Tab);
        }
    }

    void returnDateFollowsTheDeparture()
    {
        // A remembered departure alone: the return date still starts at it.
        printDialogState().DepartureDate = "2026-12-10";
        QCOMPARE(child<DateField>(FrmPrint(nullptr), "DCDateReturn")->minimum(),
                 QDate(2026, 12, 10));
        // A remembered return date is kept only with its departure date.
        printDialogState() = PrintDialogState();
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
        QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates));
        QCOMPARE(departure->text(), "07.01.2027");
    }

    // A date the field does not take is told (the limits' cases are on PrintDates); the
    // focus comes back with the text selected. Print asks again and prints nothing; a
    // date within the limits is taken without a word.
    void refusedDatesAreTold()
    {
        const QString message = "Return Date must be between 12/10/2026 and 12/6/2036\\.";
        FrmPrint& dialog = openDialog();
        typeInto(date(dialog, "DCDateFlight"), "12/10/2026");
        QLineEdit* returnDate = date(dialog, "DCDateReturn");
        m_services->prompter->setNextAnswer(Button::Ok);
        typeInto(returnDate, "12/9/2026");
        expectMessages(1, Icon::Exclamation, "Print Quote", message);
        QTRY_VERIFY(returnDate->hasFocus());
        QCOMPARE(returnDate->selectedText(), "12/9/2026");

        m_services->prompter->setNextAnswer(Button::Ok);
        click("CmdPrint");
        expectMessages(2, Icon::Exclamation, "Print Quote", message);
        QCOMPARE(m_services->printChooser->calls(), 0);
        QVERIFY(dialog.isVisible());
        QTRY_VERIFY(returnDate->hasFocus());

        typeInto(returnDate, "12/10/2026");
        QCOMPARE(m_services->prompter->messages().size(), 2);
        QCOMPARE(returnDate->text(), "12/10/2026");
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
        auto* cancel = child<QPushButton>(dialog, "CmdCancel");
        if (escape) {
            QTest::keyClick(departure, Qt::Key_Escape);
        } else {
            cancel->setFocus(Qt::MouseFocusReason); // as the mouse press gives it
            QVERIFY(cancel->hasFocus() && m_services->prompter->messages().isEmpty());
            QTest::mouseClick(cancel, Qt::LeftButton);
        }
        QVERIFY(!dialog.isVisible());
        QVERIFY(m_services->prompter->messages().isEmpty());
        QCOMPARE(printDialogState().DepartureDate, "2026-12-10");
    }

    // The calendar, opened from the field, offers the field's dates only: the keys stop
    // at its limits, Enter picks.
    void calendarOffersOnlyTheFieldsDates()
    {
        FrmPrint& dialog = openDialog();
        auto* calendar = child<QCalendarWidget>(dialog, "MonthView1");
        const auto pick = [&](const char* name, Qt::Key key, const QString& picked) {
            QLineEdit* field = date(dialog, name);
            field->setFocus();
            QTest::keyClick(field, Qt::Key_F4);
            QTRY_VERIFY(calendar->isVisible());
            QVERIFY(calendar->isAncestorOf(QApplication::focusWidget()));
            QTest::keyClick(QApplication::focusWidget(), key);
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
            QTRY_VERIFY(!calendar->isVisible());
            QCOMPARE(field->text(), picked);
        };
        // Today is 12/6/2026: a year back and ten ahead, here the first of them.
        typeInto(date(dialog, "DCDateFlight"), "12/6/2025");
        pick("DCDateFlight", Qt::Key_Left, "12/6/2025");
        QCOMPARE(calendar->minimumDate(), QDate(2025, 12, 6));
        QCOMPARE(calendar->maximumDate(), QDate(2036, 12, 6));
        // The return date starts at the departure and goes no earlier.
        pick("DCDateReturn", Qt::Key_Left, "12/6/2025");
        pick("DCDateReturn", Qt::Key_Right, "12/7/2025");
    }

    // Typed through the field, the remarks rule (its cases are on Remarks): 80
    // characters, one line break, a second line of 80 more; without the line break one
    // line again, cut to its length.
    void remarksHoldTwoLinesAtMost()
    {
        QPlainTextEdit* field = remarks(openDialog());
        field->setFocus();
        QTest::keyClicks(field, QString(85, 'a'));
        QCOMPARE(field->toPlainText(), QString(80, 'a'));
        QTest::keyClick(field, Qt::Key_Return);
        QTest::keyClicks(field, QString(82, 'b'));
        QTest::keyClick(field, Qt::Key_Return);
        QTest::keyClicks(field, "c");
        QCOMPARE(field->toPlainText(), QString(80, 'a') + '\n' + QString(80, 'b'));
        QTest::keyClick(field, Qt::Key_Home);
        QTest::keyClick(field, Qt::Key_Backspace);
        QCOMPARE(field->toPlainText(), QString(80, 'a'));
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
        click(qPrintable(button));
        expectMessages(1, Icon::Exclamation, "Print Quote", "Need Departure Date with Return Date");
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
        const bool fails = (named + chosen).startsWith("missing/");
        QTemporaryDir dir;
        const QString path = dir.filePath(named + chosen);
        m_services->printChooser->setChoice(choice, named.isEmpty() ? QString() : path);
        if (!chosen.isEmpty())
            m_services->fileChooser->setAnswer(Platform::SaveFileAnswer{path, QString()});
        if (fails)
            m_services->prompter->setNextAnswer(Button::Ok);
        FrmPrint& dialog = openDialog();
        click(qPrintable(button));
        QVERIFY(!dialog.isVisible());
        const bool asked =
            button == "CmdPrintFile" || (choice == PrintChoice::ToFile && named.isEmpty());
        QCOMPARE(m_services->fileChooser->requests().size(), asked ? 1 : 0);
        QCOMPARE(QDir(dir.path()).entryList(QDir::Files).size(), start.isEmpty() ? 0 : 1);
        QVERIFY(start.isEmpty() || TestFiles::contentOf(path).startsWith(start));
        expectMessages(fails ? 1 : 0, Icon::Critical, "Brisklander",
                       "An Error Occurred:\r\rError Number = -?\\d+\r.+");
    }

    // A PDF document is written on the page of the printer chosen in the print dialog,
    // or, saved straight to a file, on the paper of the user's locale (its cases are on
    // PrintJob::localePaper). Its title names the quote: without a customer, the route.
    void pdfTakesItsPaper_data()
    {
        QTest::addColumn<QString>("locale");
        QTest::addColumn<PrintChoice>("choice"); // Cancelled: Save to File
        QTest::addColumn<QString>("chosenPage"); // in the print dialog
        QTest::addColumn<QString>("size");       // width x height in points
        QTest::newRow("save to file, en_US") << "en_US" << PrintChoice::Cancelled << ""
                                             << "612 x 792";
        QTest::newRow("save to file, de_DE") << "de_DE" << PrintChoice::Cancelled << ""
                                             << "595 x 842";
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
        QTEST(QStringLiteral("%1 x %2")
                  .arg(qRound(points[0].toDouble()))
                  .arg(qRound(points[1].toDouble())),
              "size");
        QCOMPARE(info.value("Title"), "Quote KTEB-KBOS");
    }

    // The system print dialog through the program's own print chooser: the job named
    // after the customer, the quote printed whole (no page range, selection or current
    // page to choose), and its "Print to File (PDF)" writes the PDF to the file named
    // there, asking for no other.
    void systemPrintDialog()
    {
        Platform::Services qt;
        qt.printChooser = Platform::qtServices().printChooser;
        Platform::install(qt);
        QTemporaryDir dir;
        const QString path = dir.filePath("named.pdf");
        QAbstractPrintDialog::PrintDialogOptions options;
        QString docName;
        typeInto(edit(openDialog(), PrintFields::Customer[0].controlName), "  Ada Lovelace ");
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
        QCOMPARE(docName, "Quote Ada Lovelace");
        for (auto option :
             {QAbstractPrintDialog::PrintPageRange, QAbstractPrintDialog::PrintSelection,
              QAbstractPrintDialog::PrintCurrentPage})
            QVERIFY(!options.testFlag(option));
        QVERIFY(options.testFlag(QAbstractPrintDialog::PrintToFile));
        QVERIFY(m_services->fileChooser->requests().isEmpty());
        QVERIFY(TestFiles::contentOf(path).startsWith("%PDF"));
    }

    // A quote file saved again on a full disk or into a folder turned read-only keeps
    // the earlier quote whole, and the failure is reported, never a short file called
    // saved.
    void failedWriteKeepsTheEarlierQuoteFile_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<bool>("fullDisk"); // else a read-only folder
        for (const char* name : {"quote.txt", "quote.pdf"}) {
            QTest::addRow("%s, full disk", name) << name << true;
            QTest::addRow("%s, read-only folder", name) << name << false;
        }
    }
    void failedWriteKeepsTheEarlierQuoteFile()
    {
        QFETCH(QString, name);
        QFETCH(bool, fullDisk);
        if (!runningAsRoot())
            QSKIP("needs root to mount a file system");
        QTemporaryDir dir;
        TinyDisk disk(dir.filePath("disk"), "64k");
        if (!disk.isMounted())
            QSKIP("cannot mount a tmpfs here");
        const QString path = dir.filePath("disk/" + name);
        QFile earlier(path);
        QVERIFY(earlier.open(QIODevice::WriteOnly) && earlier.write("the earlier quote") > 0);
        earlier.close();
        std::optional<ReadOnlyFolder> readOnly;
        if (fullDisk)
            disk.fill();
        else
            QVERIFY(readOnly.emplace(dir.filePath("disk")).isReadOnly());
        m_services->fileChooser->setAnswer(Platform::SaveFileAnswer{path, QString()});
        m_services->prompter->setNextAnswer(Button::Ok);
        openDialog();
        click("CmdPrintFile");
        expectMessages(1, Icon::Critical, "Brisklander",
                       "An Error Occurred:\r\rError Number = 75\rPath/File access error: " +
                           QRegularExpression::escape(path) + ".*");
        QCOMPARE(TestFiles::contentOf(path), QByteArray("the earlier quote"));
        QCOMPARE(QDir(dir.filePath("disk")).entryList(QDir::Files),
                 fullDisk ? QStringList({"filler", name}) : QStringList(name));
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
