#include "core/document/customerfields.h"
#include "gui/document/datefield.h"
#include "gui/document/frmprint.h"
#include "gui/document/printdialogstate.h"
#include "support/child.h"
#include "support/systemfaults.h"
#include "support/testfiles.h"
#include "support/testservices.h"

#include <QApplication>
#include <QCalendarWidget>
#include <QCheckBox>
#include <QFileInfo>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPrintDialog>
#include <QPushButton>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

using Platform::Button;
using Platform::Icon;
using Platform::PrintChoice;

namespace {

QLineEdit* date(const QWidget& dialog, const char* name)
{
    return child<DateField>(dialog, name)->lineEdit();
}

// The one-line text fields: who quoted, then the customer's.
QList<PrintField> textFields()
{
    return QList<PrintField>{PrintFields::QuotedBy}
           << QList<PrintField>(PrintFields::Customer.begin(), PrintFields::Customer.end());
}

// What the fields hold: the dates, the text fields, the remarks, the company choice.
QStringList contents(const QWidget& dialog)
{
    QStringList texts = {date(dialog, "DCDateFlight")->text(),
                         date(dialog, "DCDateReturn")->text()};
    for (const PrintField& field : textFields())
        texts << child<QLineEdit>(dialog, field.controlName.data())->text();
    return texts << child<QPlainTextEdit>(dialog, "TxtQuoteRemarks")->toPlainText()
                 << (child<QCheckBox>(dialog, "ChkComp")->isChecked() ? "company" : "");
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

// Where a quote goes, for quoteGoesToTheChosenFile.
struct Output
{
    QString button;
    PrintChoice choice = PrintChoice::Cancelled;
    QString named = {}, chosen = {}; // the file named in the print dialog, in the save dialog
    QString page = {}, locale = {};  // chosen in the print dialog (landscape), the user's
    QByteArray start = {};           // of the file written; empty: none
    QString size = {};               // of a PDF's page, in points
};

} // namespace

Q_DECLARE_METATYPE(Output)

class TestFrmPrint : public QObject
{
    Q_OBJECT

    std::unique_ptr<TestServices> m_services;
    std::unique_ptr<FrmPrint> m_dialog;

    // The window over a trip from Teterboro to Boston, as the main window hands it over.
    FrmPrint& openDialog()
    {
        m_dialog = std::make_unique<FrmPrint>([] {
            QuoteData data;
            data.route = {{"KTEB", "Teterboro", "0.0", "0.0"}, {"KBOS", "Boston", "161.2", ""}};
            return data;
        });
        m_dialog->show();
        if (!QTest::qWaitForWindowActive(m_dialog.get()))
            qFatal("the print window did not become active");
        return *m_dialog;
    }
    void click(const QString& button)
    {
        QTest::mouseClick(child<QPushButton>(*m_dialog, qPrintable(button)), Qt::LeftButton);
    }
    // The messages shown so far, `count` of them: each with this icon and title, OK the
    // default button and the whole text matching `pattern`.
    void expectMessages(int count, Icon icon, const QString& title, const QString& pattern)
    {
        QCOMPARE(m_services->prompter->messages().size(), count);
        const QRegularExpression text("^(" + pattern + ")$",
                                      QRegularExpression::DotMatchesEverythingOption);
        for (const Platform::Message& message : m_services->prompter->messages()) {
            QString why;
            QVERIFY2(text.match(message.text).hasMatch(), qPrintable(message.text));
            QVERIFY2(sameMessage(message, icon, title, message.text, Button::Ok, &why),
                     qPrintable(why));
        }
    }

private slots:
    void init()
    {
        QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates));
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

    // The fields are remembered when the window closes, each cut to its length, the
    // dates in the user's short form (German, typed short); Clear Data empties them but
    // the company choice; a new quote forgets them; a return date needs its departure,
    // from which it starts.
    void fieldsAreRememberedClearedAndForgotten()
    {
        QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
        FrmPrint& dialog = openDialog();
        typeInto(date(dialog, "DCDateFlight"), "10.12.26");
        typeInto(date(dialog, "DCDateReturn"), "7.1.27");
        QStringList typed = {"10.12.2026", "07.01.2027"};
        for (const PrintField& field : textFields()) {
            const QString text = QString(field.controlName).repeated(3);
            typeInto(child<QLineEdit>(dialog, field.controlName.data()), text);
            typed << text.left(field.length);
        }
        QTest::keyClicks(QApplication::focusWidget(), "Line one");
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
        QTest::keyClicks(QApplication::focusWidget(), "Line two");
        QTest::keyClick(child<QCheckBox>(dialog, "ChkComp"), Qt::Key_Space);
        click("CmdCancel");
        QCOMPARE(printDialogState().Remarks, "Line one\r\nLine two");

        FrmPrint& again = openDialog();
        QCOMPARE(contents(again), (typed + QStringList{"Line one\nLine two", ""}));
        QCOMPARE(child<DateField>(again, "DCDateReturn")->minimum(), QDate(2026, 12, 10));
        // Enter does nothing in a field and works a button.
        QTest::keyClick(child<QLineEdit>(again, "TxtCustomerName"), Qt::Key_Return);
        QVERIFY(again.isVisible());
        child<QPushButton>(again, "CmdClear")->setFocus();
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
        const QStringList empty(textFields().size() + 3);
        QCOMPARE(contents(again), empty + QStringList(""));
        QTRY_VERIFY(date(again, "DCDateFlight")->hasFocus());

        printDialogState() = PrintDialogState();
        printDialogState().ReturnDate = "2026-12-20";
        QCOMPARE(contents(FrmPrint(nullptr)), empty + QStringList("company"));
    }

    // The window opens in the departure date; Tab runs through every control and round
    // again, the customer's fields in reading order (row by row, each left to right) so
    // that an address typed from top to bottom lands where it belongs.
    void focusAndTabOrder()
    {
        QStringList order = {"DCDateFlight", "DCDateReturn", "TxtQuotedBy", "ChkComp"};
        for (const CustomerField& field : PrintFields::Customer)
            order << field.controlName;
        order += {"TxtQuoteRemarks", "CmdPrint", "CmdPrintFile", "CmdClear", "CmdCancel"};
        FrmPrint& dialog = openDialog();
        QRect previous;
        for (qsizetype i = 0; i <= order.size(); ++i) {
            QWidget* focus = QApplication::focusWidget();
            if (focus && focus->objectName().isEmpty()) // a date field's line edit
                focus = focus->parentWidget();
            QCOMPARE(focus ? focus->objectName() : "", order.value(i, order[0]));
            const QRect at(focus->mapTo(&dialog, QPoint()), focus->size());
            QVERIFY2(i < 5 || i > PrintFields::CustomerCount + 3 || at.top() >= previous.bottom() ||
                         (at.center().y() == previous.center().y() && at.left() > previous.right()),
                     qPrintable(order.value(i) + " after " + order.value(i - 1)));
            previous = at;
            QTest::keyClick(focus, Qt::Key_Tab);
        }
    }

    // Print and Save to File refuse a return date before the departure, told already
    // when it is left (its text selected), or one without a departure date: told, the
    // focus back in the field, nothing printed or asked for.
    void datesThatStopPrinting_data()
    {
        QTest::addColumn<QString>("departure");
        QTest::addColumn<QString>("button");
        QTest::addColumn<QString>("message");
        for (const char* button : {"CmdPrint", "CmdPrintFile"}) {
            QTest::addRow("before the departure, %s", button)
                << "12/10/2026" << button
                << "Return Date must be between 12/10/2026 and 12/6/2036\\.";
            QTest::addRow("no departure, %s", button)
                << "" << button << "Need Departure Date with Return Date";
        }
    }
    void datesThatStopPrinting()
    {
        QFETCH(QString, departure);
        QFETCH(QString, button);
        QFETCH(QString, message);
        FrmPrint& dialog = openDialog();
        typeInto(date(dialog, "DCDateFlight"), departure);
        m_services->prompter->setNextAnswer(Button::Ok);
        m_services->prompter->setNextAnswer(Button::Ok);
        typeInto(date(dialog, "DCDateReturn"), "12/9/2026");
        const bool told = !departure.isEmpty();
        QLineEdit* field = date(dialog, told ? "DCDateReturn" : "DCDateFlight");
        expectMessages(told, Icon::Exclamation, "Print Quote", message);
        QTRY_VERIFY(field->hasFocus() || !told);
        QCOMPARE(field->selectedText(), told ? "12/9/2026" : "");
        click(button);
        expectMessages(told + 1, Icon::Exclamation, "Print Quote", message);
        QCOMPARE(m_services->printChooser->calls(), 0);
        QVERIFY(m_services->fileChooser->requests().isEmpty() && dialog.isVisible());
        QTRY_VERIFY(field->hasFocus());
    }

    // Leaving a refused date for Cancel, or closing with Esc, closes without a word and
    // keeps the date the field held.
    void closingDropsARefusedDate()
    {
        for (bool escape : {false, true}) {
            FrmPrint& dialog = openDialog();
            QLineEdit* departure = date(dialog, "DCDateFlight");
            typeInto(departure, "12/10/2026");
            departure->setFocus();
            departure->selectAll();
            QTest::keyClicks(departure, "12/40/2026");
            auto* cancel = child<QPushButton>(dialog, "CmdCancel");
            if (!escape)
                cancel->setFocus(Qt::MouseFocusReason); // as the mouse press gives it
            QVERIFY(m_services->prompter->messages().isEmpty());
            if (escape)
                QTest::keyClick(departure, Qt::Key_Escape);
            else
                QTest::mouseClick(cancel, Qt::LeftButton);
            QVERIFY(!dialog.isVisible());
            QCOMPARE(printDialogState().DepartureDate, "2026-12-10");
        }
    }

    // The calendar, opened from the field, offers the field's dates only: the keys stop
    // at its limits, Enter picks. The return date moves along with a later departure
    // and stays with an earlier one (the rules' cases are on PrintDates).
    void calendarAndTheReturnDate()
    {
        FrmPrint& dialog = openDialog();
        auto* calendar = child<QCalendarWidget>(dialog, "MonthView1");
        QLineEdit* returnDate = date(dialog, "DCDateReturn");
        const auto pick = [&](QLineEdit* field, Qt::Key key, const QString& picked) {
            field->setFocus();
            QTest::keyClick(field, Qt::Key_F4);
            QTRY_VERIFY(calendar->isVisible());
            QVERIFY(calendar->isAncestorOf(QApplication::focusWidget()));
            QTest::keyClick(QApplication::focusWidget(), key);
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
            QTRY_VERIFY(!calendar->isVisible());
            QCOMPARE(field->text(), picked);
        };
        // Today is 12/6/2026: a year back and ten ahead.
        typeInto(date(dialog, "DCDateFlight"), "12/6/2025");
        pick(date(dialog, "DCDateFlight"), Qt::Key_Left, "12/6/2025");
        QCOMPARE(calendar->maximumDate(), QDate(2036, 12, 6));
        pick(returnDate, Qt::Key_Left, "12/6/2025");
        pick(returnDate, Qt::Key_Right, "12/7/2025");
        typeInto(date(dialog, "DCDateFlight"), "12/25/2025");
        QCOMPARE(returnDate->text(), "12/25/2025");
        typeInto(date(dialog, "DCDateFlight"), "12/10/2025");
        QCOMPARE(returnDate->text(), "12/25/2025");
    }

    // Typed through the field, the remarks rule (its cases are on Remarks): 80
    // characters, one line break, 80 more; without the line break, one line cut to 80.
    void remarksHoldTwoLinesAtMost()
    {
        auto* field = child<QPlainTextEdit>(openDialog(), "TxtQuoteRemarks");
        field->setFocus();
        QTest::keyClicks(field, QString(85, 'a'));
        QTest::keyClick(field, Qt::Key_Return);
        QTest::keyClicks(field, QString(82, 'b'));
        QTest::keyClick(field, Qt::Key_Return);
        QTest::keyClicks(field, "c");
        QCOMPARE(field->toPlainText(), QString(80, 'a') + '\n' + QString(80, 'b'));
        QTest::keyClick(field, Qt::Key_Home);
        QTest::keyClick(field, Qt::Key_Backspace);
        QCOMPARE(field->toPlainText(), QString(80, 'a'));
    }

    // The print dialog's choice decides where the quote goes: a printer (a PDF file
    // stands in for it), the PDF file named in the dialog itself, or a file still to be
    // chosen in the save dialog (none answered: Cancel). A PDF is on the page chosen in
    // the print dialog, else on the locale's paper (the cases are on
    // PrintJob::localePaper), titled by the route. A file that cannot be written
    // ("missing/") is reported, and the window closes all the same.
    void quoteGoesToTheChosenFile_data()
    {
        QTest::addColumn<Output>("output");
        const auto print = "CmdPrint", save = "CmdPrintFile";
        const auto none = PrintChoice::Cancelled, toFile = PrintChoice::ToFile,
                   printer = PrintChoice::Printer;
        const QList<std::pair<const char*, Output>> rows = {
            {"print dialog cancelled", {print, none}},
            {"print to file, cancelled", {print, toFile}},
            {"print to file, text", {print, toFile, "", "a.txt", "", "", "\r\nBrisklander"}},
            {"print to file, PDF", {print, toFile, "", "a.pdf", "A4", "", "%PDF", "842 x 595"}},
            {"named PDF", {print, toFile, "a.pdf", "", "Letter", "de_DE", "%PDF", "792 x 612"}},
            {"save, PDF, en_US", {save, none, "", "a.pdf", "", "", "%PDF", "612 x 792"}},
            {"save, PDF, de_DE", {save, none, "", "a.pdf", "", "de_DE", "%PDF", "595 x 842"}},
            {"printer", {print, printer, "printed.pdf", "", "", "", "%PDF"}},
            {"text file not written", {save, none, "", "missing/a.txt"}},
            {"named PDF not written", {print, toFile, "missing/a.pdf"}},
            {"printer fails", {print, printer, "missing/printed.pdf"}}};
        for (const auto& [name, output] : rows)
            QTest::newRow(name) << output;
    }
    void quoteGoesToTheChosenFile()
    {
        QFETCH(Output, output);
        const bool fails = (output.named + output.chosen).startsWith("missing/");
        QTemporaryDir dir;
        const QString path = dir.filePath(output.named + output.chosen);
        if (!output.page.isEmpty())
            m_services->printChooser->setPage(
                QPageLayout(QPageSize(output.page == "A4" ? QPageSize::A4 : QPageSize::Letter),
                            QPageLayout::Landscape, QMarginsF(10, 10, 10, 10)));
        m_services->printChooser->setChoice(output.choice, output.named.isEmpty() ? "" : path);
        if (!output.chosen.isEmpty())
            m_services->fileChooser->setAnswer(Platform::SaveFileAnswer{path, QString()});
        m_services->prompter->setNextAnswer(Button::Ok);
        if (!output.locale.isEmpty())
            QLocale::setDefault(QLocale(output.locale));
        FrmPrint& dialog = openDialog();
        click(output.button);
        QVERIFY(!dialog.isVisible());
        const bool asked = output.button == "CmdPrintFile" ||
                           (output.choice == PrintChoice::ToFile && output.named.isEmpty());
        QCOMPARE(m_services->fileChooser->requests().size(), asked);
        QCOMPARE(QDir(dir.path()).entryList(QDir::Files).size(), output.start.isEmpty() ? 0 : 1);
        QVERIFY(TestFiles::contentOf(path).startsWith(output.start));
        expectMessages(fails, Icon::Critical, "Brisklander",
                       "An Error Occurred:\r\rError Number = -?\\d+\r.+");
        if (output.size.isEmpty())
            return;
        QProcess pdfinfo;
        pdfinfo.start("pdfinfo", {path});
        if (!pdfinfo.waitForFinished(60000))
            QSKIP("pdfinfo is not installed");
        const QString info = QString::fromUtf8(pdfinfo.readAllStandardOutput());
        QVERIFY2(info.contains(QRegularExpression("(^|\n)Title: +Quote KTEB-KBOS\n")),
                 qPrintable(info));
        const auto page = QRegularExpression("Page size: +([\\d.]+) x ([\\d.]+) pts").match(info);
        QCOMPARE(QString::number(qRound(page.captured(1).toDouble())) + " x " +
                     QString::number(qRound(page.captured(2).toDouble())),
                 output.size);
    }

    // The system print dialog through the program's own print chooser: the job named
    // after the customer, the quote printed whole (no page range, selection or current
    // page to choose); its "Print to File (PDF)" writes the file named there, asking for
    // no other.
    void systemPrintDialog()
    {
        Platform::Services qt;
        qt.printChooser = Platform::qtServices().printChooser;
        Platform::install(qt);
        QTemporaryDir dir;
        QAbstractPrintDialog::PrintDialogOptions options;
        QString docName;
        typeInto(child<QLineEdit>(openDialog(), "TxtCustomerName"), "  Ada Lovelace ");
        QTimer::singleShot(0, this, [&] {
            auto* print = qobject_cast<QPrintDialog*>(QApplication::activeModalWidget());
            auto* file = print ? print->findChild<QLineEdit*>("filename") : nullptr;
            if (!file)
                return QApplication::activeModalWidget()->close(), void();
            options = print->options();
            docName = print->printer()->docName();
            file->setText(dir.filePath("named.pdf"));
            print->accept();
        });
        click("CmdPrint");
        QCOMPARE(docName, "Quote Ada Lovelace");
        using Dialog = QAbstractPrintDialog;
        QCOMPARE(options & (Dialog::PrintPageRange | Dialog::PrintSelection |
                            Dialog::PrintCurrentPage | Dialog::PrintToFile),
                 Dialog::PrintToFile);
        QVERIFY(m_services->fileChooser->requests().isEmpty());
        QVERIFY(TestFiles::contentOf(dir.filePath("named.pdf")).startsWith("%PDF"));
    }

    // Saved over an earlier quote file on a full disk or into a folder turned read-only,
    // the earlier quote stays whole and the failure is reported, never a short file
    // called saved. A quote file that is a link is written through it, the link kept; a
    // link at a name a writer might use beside it is never followed.
    void savedOverAnEarlierQuoteFile_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("around");
        for (const char* name : {"quote.txt", "quote.pdf"})
            for (const char* around : {"full disk", "read-only folder", "links"})
                QTest::addRow("%s, %s", name, around) << name << around;
    }
    void savedOverAnEarlierQuoteFile()
    {
        QFETCH(QString, name);
        QFETCH(QString, around);
        const bool links = around == "links";
        if (!links && !runningAsRoot())
            QSKIP("needs root to mount a file system");
        QTemporaryDir dir;
        const QString folder = dir.filePath("disk"), path = folder + '/' + name;
        std::optional<TinyDisk> disk;
        std::optional<ReadOnlyFolder> readOnly;
        if (!links && !disk.emplace(folder, "64k").isMounted())
            QSKIP("cannot mount a tmpfs here");
        QDir().mkpath(folder);
        const QString earlier = links ? folder + "/real-" + name : path;
        const QString victim = folder + "/victim";
        for (const QString& file : {earlier, victim}) {
            QFile made(file);
            QVERIFY(made.open(QIODevice::WriteOnly) && made.write("kept") == 4);
        }
        if (links)
            QVERIFY(QFile::link(earlier, path) && QFile::link(victim, path + ".part"));
        else if (around == "full disk")
            disk->fill();
        else
            QVERIFY(readOnly.emplace(folder).isReadOnly());
        m_services->fileChooser->setAnswer(Platform::SaveFileAnswer{path, QString()});
        m_services->prompter->setNextAnswer(Button::Ok);
        openDialog();
        click("CmdPrintFile");
        QCOMPARE(TestFiles::contentOf(victim), QByteArray("kept"));
        if (links) {
            expectMessages(0, Icon::Critical, "Brisklander", "");
            QCOMPARE(QFileInfo(path).symLinkTarget(), earlier);
            QCOMPARE(QFileInfo(path + ".part").symLinkTarget(), victim);
            QVERIFY(
                TestFiles::contentOf(earlier).startsWith(name.endsWith("pdf") ? "%PDF" : "\r\n"));
            return;
        }
        expectMessages(1, Icon::Critical, "Brisklander",
                       "An Error Occurred:\r\rError Number = 75\rPath/File access error: " +
                           QRegularExpression::escape(path) + ".*");
        QCOMPARE(TestFiles::contentOf(path), QByteArray("kept"));
        QCOMPARE(QDir(folder).entryList(QDir::Files),
                 QStringList({"filler", name, "victim"}).mid(readOnly ? 1 : 0));
    }
};

QTEST_MAIN(TestFrmPrint)
#include "tst_frmprint.moc"
