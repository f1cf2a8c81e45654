#include "core/db/workspace.h"
#include "core/document/customerfields.h"
#include "core/register/customerbook.h"
#include "core/settings/appsettings.h"
#include "gui/appcontext.h"
#include "gui/document/datefield.h"
#include "gui/document/frmprint.h"
#include "gui/document/printdialogstate.h"
#include "support/child.h"
#include "support/programfolder.h"
#include "support/systemfaults.h"
#include "support/tablerows.h"
#include "support/testfiles.h"
#include "support/testservices.h"

#include <QApplication>
#include <QCalendarWidget>
#include <QCheckBox>
#include <QCompleter>
#include <QFileInfo>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPrintDialog>
#include <QPrintPreviewDialog>
#include <QPrintPreviewWidget>
#include <QPushButton>
#include <QSignalSpy>
#include <QStringEncoder>
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

} // namespace

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
            data.route = {{"KTEB", "Teterboro", "0.0", "0.0", false, LatLon{40.85, -74.06}},
                          {"KBOS", "Boston", "161.2", "", false, LatLon{42.36, -71.01}}};
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
    // The messages shown so far, `count` of them: each with this icon, title and text
    // ("*" standing for any text), OK the default button.
    void expectMessages(int count, Icon icon, const QString& title, const QString& text)
    {
        QCOMPARE(m_services->prompter->messages().size(), count);
        QString why;
        for (const Platform::Message& message : m_services->prompter->messages())
            QVERIFY2(sameMessage(message, icon, title, text, Button::Ok, &why), qPrintable(why));
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
    // dates typed short shown in full; Clear Data empties them but the company choice; a
    // new quote forgets them; a return date needs its departure, from which it starts.
    void fieldsAreRememberedClearedAndForgotten()
    {
        FrmPrint& dialog = openDialog();
        typeInto(date(dialog, "DCDateFlight"), "12/10/26");
        typeInto(date(dialog, "DCDateReturn"), "1/7/27");
        QStringList typed = {"12/10/2026", "1/7/2027"};
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
        QStringList order = {"DCDateFlight", "DCDateReturn", "TxtQuotedBy", "ChkComp", "ChkMap"};
        for (const CustomerField& field : PrintFields::Customer)
            order << field.controlName;
        order += {"TxtQuoteRemarks", "CmdPrint", "CmdPreview", "CmdPrintFile",
                  "CmdMail",         "CmdClear", "CmdCancel"};
        FrmPrint& dialog = openDialog();
        QRect previous;
        for (qsizetype i = 0; i <= order.size(); ++i) {
            QWidget* focus = QApplication::focusWidget();
            if (focus && focus->objectName().isEmpty()) // a date field's line edit
                focus = focus->parentWidget();
            QCOMPARE(focus ? focus->objectName() : "", order.value(i, order[0]));
            const QRect at(focus->mapTo(&dialog, QPoint()), focus->size());
            QVERIFY2(i < 6 || i > PrintFields::CustomerCount + 4 || at.top() >= previous.bottom() ||
                         (at.center().y() == previous.center().y() && at.left() > previous.right()),
                     qPrintable(order.value(i) + " after " + order.value(i - 1)));
            previous = at;
            QTest::keyClick(focus, Qt::Key_Tab);
        }
    }

    // Print and Save to File refuse a return date before the departure, told already
    // when it is left (its text selected), or one without a departure date: told, the
    // focus back in the field, nothing printed or asked for.
    void datesThatStopPrinting_data() { addTableRows("gui/document/refused-dates.txt"); }
    void datesThatStopPrinting()
    {
        QFETCH(QStringList, row); // the departure, the button, the message
        FrmPrint& dialog = openDialog();
        typeInto(date(dialog, "DCDateFlight"), row[0]);
        m_services->prompter->setNextAnswer(Button::Ok);
        m_services->prompter->setNextAnswer(Button::Ok);
        typeInto(date(dialog, "DCDateReturn"), "12/9/2026");
        const bool told = !row[0].isEmpty();
        QLineEdit* field = date(dialog, told ? "DCDateReturn" : "DCDateFlight");
        expectMessages(told, Icon::Exclamation, "Print Quote", row[2]);
        QTRY_VERIFY(field->hasFocus() || !told);
        QCOMPARE(field->selectedText(), told ? "12/9/2026" : "");
        click(row[1]);
        expectMessages(told + 1, Icon::Exclamation, "Print Quote", row[2]);
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
    // and stays with an earlier one.
    void calendarAndTheReturnDate()
    {
        FrmPrint& dialog = openDialog();
        auto* calendar = child<QCalendarWidget>(dialog, "MonthView1");
        QLineEdit* returnDate = date(dialog, "DCDateReturn");
        const auto pick = [&](Qt::Key key, const QString& picked) {
            returnDate->setFocus();
            QTest::keyClick(returnDate, Qt::Key_F4);
            QTRY_VERIFY(calendar->isVisible());
            QTest::keyClick(QApplication::focusWidget(), key);
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
            QTRY_VERIFY(!calendar->isVisible());
            QCOMPARE(returnDate->text(), picked);
        };
        // Today is 12/6/2026, and a departure a year back the first one taken.
        typeInto(date(dialog, "DCDateFlight"), "12/6/2025");
        pick(Qt::Key_Left, "12/6/2025");
        pick(Qt::Key_Right, "12/7/2025");
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

    // The print dialog's choice decides where the quote goes: a printer, the PDF file
    // named in the dialog itself, or a file still to be chosen in the save dialog. A
    // PDF is on the page chosen in the print dialog, else on the locale's paper (the
    // cases are on PrintJob::localePaper), titled by the route. A file that cannot be
    // written is reported, and the window closes all the same.
    void quoteGoesToTheChosenFile_data() { addTableRows("gui/document/quote-outputs.txt"); }
    void quoteGoesToTheChosenFile()
    {
        QFETCH(QStringList, row); // button, choice, named, chosen, page, locale, start, size
        const QString &named = row[2], &chosen = row[3], &page = row[4], &size = row[7];
        QTemporaryDir dir;
        const QString path = dir.filePath(named + chosen);
        if (!page.isEmpty())
            m_services->printChooser->setPage(
                QPageLayout(QPageSize(page == "A4" ? QPageSize::A4 : QPageSize::Letter),
                            QPageLayout::Landscape, QMarginsF(10, 10, 10, 10)));
        const PrintChoice choice = row[1] == "printer" ? PrintChoice::Printer
                                   : row[1] == "file"  ? PrintChoice::ToFile
                                                       : PrintChoice::Cancelled;
        m_services->printChooser->setChoice(choice, named.isEmpty() ? "" : path);
        if (!chosen.isEmpty())
            m_services->fileChooser->setAnswer(Platform::SaveFileAnswer{path, QString()});
        m_services->prompter->setNextAnswer(Button::Ok);
        if (!row[5].isEmpty())
            QLocale::setDefault(QLocale(row[5]));
        FrmPrint& dialog = openDialog();
        click(row[0]);
        QVERIFY(!dialog.isVisible());
        const bool asked = row[0] == "CmdPrintFile" || (row[1] == "file" && named.isEmpty());
        QCOMPARE(m_services->fileChooser->requests().size(), asked);
        QCOMPARE(QDir(dir.path()).entryList(QDir::Files).size(), row[6].isEmpty() ? 0 : 1);
        QVERIFY(TestFiles::contentOf(path).startsWith(row[6].toUtf8()));
        expectMessages(path.contains("missing/"), Icon::Critical, "Brisklander",
                       "An Error Occurred:\r\rError Number = *\r*");
        if (size.isEmpty())
            return;
        const QByteArray pdf = TestFiles::contentOf(path);
        const QByteArray title = QStringEncoder(QStringEncoder::Utf16BE)(u"\uFEFFQuote KTEB-KBOS");
        QVERIFY(pdf.contains("/Title (" + title + ')'));
        const auto box = QRegularExpression("/MediaBox \\[0 0 (\\d+)\\.0* (\\d+)\\.0*\\]");
        const auto match = box.match(QString::fromLatin1(pdf));
        QCOMPARE(match.captured(1) + " x " + match.captured(2), size);
    }

    // The route's map ends the printed quote unless its box is cleared (Alt+M), a choice
    // kept for the run; Preview (Alt+V) shows the document page by page and leaves the
    // window open, its own Print printing as the window's does.
    void mapAndPreview()
    {
        QTemporaryDir dir;
        const auto savedPdf = [&](const QString& name) {
            m_services->fileChooser->setAnswer(
                Platform::SaveFileAnswer{dir.filePath(name), QString()});
            QTest::keyClick(m_dialog.get(), Qt::Key_F, Qt::AltModifier);
            return QFileInfo(dir.filePath(name)).size();
        };
        FrmPrint& dialog = openDialog();
        QVERIFY(child<QCheckBox>(dialog, "ChkMap")->isChecked());
        int pages = 0;
        QTimer::singleShot(200, this, [&] {
            auto* preview = qobject_cast<QPrintPreviewDialog*>(QApplication::activeModalWidget());
            if (preview) {
                pages = preview->findChild<QPrintPreviewWidget*>()->pageCount();
                preview->reject();
            }
        });
        QTest::keyClick(&dialog, Qt::Key_V, Qt::AltModifier);
        QCOMPARE(pages, 1);
        QVERIFY(dialog.isVisible());
        dialog.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&dialog));
        QTest::keyClick(&dialog, Qt::Key_M, Qt::AltModifier);
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Space);
        const qint64 withoutMap = savedPdf("without.pdf");

        FrmPrint& again = openDialog();
        QVERIFY(!child<QCheckBox>(again, "ChkMap")->isChecked());
        QTest::keyClick(&again, Qt::Key_M, Qt::AltModifier);
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Space);
        const qint64 withMap = savedPdf("with.pdf");
        QVERIFY2(withoutMap > 0 && withMap > withoutMap + 3'000,
                 qPrintable(QString("%1 and %2 bytes").arg(withoutMap).arg(withMap)));

        // The preview's Print is the window's: the print dialog comes next (cancelled here).
        FrmPrint& third = openDialog();
        QTimer::singleShot(200, this, [] {
            auto* preview = QApplication::activeModalWidget();
            for (QAction* action : preview ? preview->findChildren<QAction*>() : QList<QAction*>())
                if (action->text().remove('&') == "Print")
                    return action->trigger();
            if (preview)
                preview->close(); // no Print found: the check below fails
        });
        QTest::keyClick(&third, Qt::Key_V, Qt::AltModifier);
        QCOMPARE(m_services->printChooser->calls(), 1);
        QVERIFY(!third.isVisible());
    }

    // The system print dialog through the program's own print chooser: the job named
    // after the customer; its "Print to File (PDF)" writes the file named there, asking
    // for no other.
    void systemPrintDialog()
    {
        Platform::Services qt;
        qt.printChooser = Platform::qtServices().printChooser;
        Platform::install(qt);
        QTemporaryDir dir;
        QString docName;
        typeInto(child<QLineEdit>(openDialog(), "TxtCustomerName"), "  Ada Lovelace ");
        QTimer::singleShot(0, this, [&] {
            auto* print = qobject_cast<QPrintDialog*>(QApplication::activeModalWidget());
            auto* file = print ? print->findChild<QLineEdit*>("filename") : nullptr;
            if (!file)
                return QApplication::activeModalWidget()->close(), void();
            docName = print->printer()->docName();
            file->setText(dir.filePath("named.pdf"));
            print->accept();
        });
        click("CmdPrint");
        QCOMPARE(docName, "Quote Ada Lovelace");
        QVERIFY(m_services->fileChooser->requests().isEmpty());
        QVERIFY(TestFiles::contentOf(dir.filePath("named.pdf")).startsWith("%PDF"));
    }

    // Saved over an earlier quote file on a full disk or into a folder turned read-only,
    // the earlier quote stays whole and the failure is reported, never a short file
    // called saved. A quote file that is a link is written through it, the link kept; a
    // link at a name a writer might use beside it is never followed.
    void savedOverAnEarlierQuoteFile_data() { addTableRows("gui/document/saved-over.txt"); }
    void savedOverAnEarlierQuoteFile()
    {
        QFETCH(QStringList, row); // the file, what is around it
        const bool links = row[1] == "links";
        if (!links && !runningAsRoot())
            QSKIP("needs root to mount a file system");
        QTemporaryDir dir;
        const QString folder = dir.filePath("disk"), path = folder + '/' + row[0];
        std::optional<TinyDisk> disk;
        std::optional<ReadOnlyFolder> readOnly;
        if (!links && !disk.emplace(folder, "64k").isMounted())
            QSKIP("cannot mount a tmpfs here");
        QDir().mkpath(folder);
        const QString earlier = links ? folder + "/real-" + row[0] : path;
        const QString victim = folder + "/victim";
        QVERIFY(writeFile(earlier, "kept") && writeFile(victim, "kept"));
        if (links)
            QVERIFY(QFile::link(earlier, path) && QFile::link(victim, path + ".part"));
        else if (row[1] == "full disk")
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
            QVERIFY(TestFiles::contentOf(earlier).startsWith("%PDF"));
            return;
        }
        expectMessages(1, Icon::Critical, "Brisklander",
                       "An Error Occurred:\r\rError Number = 75\rPath/File access error: " + path +
                           " *");
        QCOMPARE(TestFiles::contentOf(path), QByteArray("kept"));
        QCOMPARE(QDir(folder).entryList(QDir::Files),
                 QStringList({"filler", row[0], "victim"}).mid(readOnly ? 1 : 0));
    }

    // The name's first letters propose the kept customers, name and city; Down and
    // Enter pick one, which fills every customer field.
    void customerBookProposesKeptCustomers()
    {
        ProgramFolder folder;
        QVERIFY(folder.open());
        QuoteData::Customer kept;
        for (int i = 0; i < PrintFields::CustomerCount; ++i)
            kept.*PrintFields::Customer[i].data = QChar('A' + i); // the city a "D"
        kept.Name = "Harborview Air";
        CustomerBook::remember(*appContext().Workspace->openDatabase(folder.databasePath()), kept);
        auto* name = child<QLineEdit>(openDialog(), "TxtCustomerName");
        name->setFocus();
        QTest::keyClicks(name, "hARB");
        QTRY_VERIFY(QApplication::activePopupWidget());
        QCOMPARE(name->completer()->completionModel()->index(0, 0).data(), "Harborview Air — D");
        QTest::keyClick(QApplication::activePopupWidget(), Qt::Key_Down);
        QTest::keyClick(QApplication::activePopupWidget(), Qt::Key_Return);
        for (const CustomerField& field : PrintFields::Customer)
            QCOMPARE(child<QLineEdit>(*m_dialog, field.controlName.data())->text(),
                     kept.*field.data);
    }

    // Send by E-mail writes the quote's PDF into the quotes folder and hands it to the
    // mail program (xdg-email, a script here) with the customer's address and the filled
    // templates, each one argument, and tells the frame when the operator says it went.
    // A quotes folder that cannot be written to is reported and starts no mail program;
    // where none starts, the operator is told the file to attach and sees its folder.
    void sendByMail_data()
    {
        QTest::addColumn<QString>("fault");
        QTest::newRow("went") << "";
        QTest::newRow("no mail program") << "no mail program";
        QTest::newRow("read-only quotes folder") << "read-only";
    }
    void sendByMail()
    {
        QFETCH(QString, fault);
        if (fault == "read-only" && !runningAsRoot())
            QSKIP("needs root to mount a file system");
        QTemporaryDir dir;
        const QString quotes = dir.filePath("quotes"), pdf = quotes + "/Harborview_Air.pdf",
                      script = dir.filePath("xdg-email");
        QVERIFY(QDir().mkpath(quotes) &&
                writeFile(script, "#!/bin/sh\nprintf '%s\\0' \"$@\" > \"$0.arguments\"\n") &&
                QFile::setPermissions(script, QFile::ReadOwner | QFile::ExeOwner));
        std::optional<ReadOnlyFolder> readOnly;
        if (fault == "read-only")
            QVERIFY(readOnly.emplace(quotes).isReadOnly());
        Platform::Services qt;
        qt.mailer = Platform::qtServices().mailer;
        if (fault.isEmpty())
            Platform::install(qt);
        m_services->mailer->starts = false;
        qputenv("PATH", QFile::encodeName(dir.path()) + ':' + qgetenv("PATH"));
        appContext().ProgramFolder = dir.path();
        appSettings().MAILSUBJECT = "{route} {number}";
        appSettings().MAILBODY = "Dear {customer},\n{total}";
        printDialogState().Customer.Name = "Harborview/Air";
        printDialogState().Customer.Email = "ops@harborview.example";
        m_services->prompter->setNextAnswer(fault.isEmpty() ? Button::Yes : Button::Ok);
        FrmPrint& dialog = openDialog();
        QSignalSpy sent(&dialog, &FrmPrint::quoteSent);
        QTest::keyClick(&dialog, Qt::Key_E, Qt::AltModifier);
        if (readOnly) {
            expectMessages(
                1, Icon::Critical, "Brisklander",
                "An Error Occurred:\r\rError Number = 75\rPath/File access error: " + pdf + " *");
            QVERIFY(m_services->mailer->messages.isEmpty() && !QFile::exists(pdf));
            return;
        }
        QVERIFY(TestFiles::contentOf(pdf).startsWith("%PDF") && !dialog.isVisible());
        QCOMPARE(sent.size(), fault.isEmpty() ? 1 : 0);
        if (!fault.isEmpty()) {
            QCOMPARE(m_services->shell->opened(), QStringList(quotes));
            expectMessages(1, Icon::Exclamation, "Send by E-mail",
                           "No mail program could be started.\r\rThe quote is saved as\r" + pdf +
                               "\r\rAttach it to an e-mail to the customer.");
            return;
        }
        QCOMPARE(TestFiles::contentOf(script + ".arguments").split('\0'),
                 QByteArrayList({"--subject", "KTEB-KBOS ", "--body", "Dear Harborview/Air,\n",
                                 "--attach", pdf.toUtf8(), "ops@harborview.example", ""}));
    }
};

QTEST_MAIN(TestFrmPrint)
#include "tst_frmprint.moc"
