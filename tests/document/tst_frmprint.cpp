#include "document/datefield.h"
#include "document/frmprint.h"
#include "document/printdialogstate.h"
#include "support/testservices.h"

#include <QApplication>
#include <QCalendarWidget>
#include <QCheckBox>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QLocale>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>
#include <QToolButton>
#include <QWindow>

using namespace Qt::StringLiterals;
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

QuoteData sampleQuote()
{
    QuoteData data;
    data.route = {{"KBOS", "Logan Intl", "0.0", "0.0"}, {"KJFK", "Kennedy Intl", "158.6", "182.5"}};
    data.totalNM = "158.6";
    data.totalSM = "182.5";
    data.baseCharge = data.totalBaseCharge = data.finalQuote = "1,000.00";
    data.today = QDate(2026, 12, 6);
    return data;
}

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

// The one-line fields and the two date fields' texts.
QList<QLineEdit*> textFields(const QWidget& dialog)
{
    QList<QLineEdit*> fields = {date(dialog, "DCDateFlight"), date(dialog, "DCDateReturn")};
    for (const auto& [name, length] : TextFields)
        fields << child(dialog, name);
    return fields;
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
        m_dialog = std::make_unique<FrmPrint>(sampleQuote);
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
        m_services.reset();
    }

    void dateDisplayFormat_data()
    {
        QTest::addColumn<QString>("today");
        QTest::addColumn<QString>("format");
        QTest::newRow("no month name: the short date") << u"12/6/2026"_s << u""_s;
        QTest::newRow("name first") << u"Dec-06-2026"_s << u"mm-dd-yyyy"_s;
        QTest::newRow("name after the day") << u"06-Dec-2026"_s << u"dd-mm-yyyy"_s;
        QTest::newRow("name after one digit") << u"6.Dec.2026"_s << u"dd.mm.yyyy"_s;
        QTest::newRow("name last") << u"2026 06 Dec"_s << u"yyyy mm dd"_s;
        QTest::newRow("digit after the name") << u"Dec06 2026"_s << u"mm/dd/yyyy"_s;
    }
    void dateDisplayFormat()
    {
        QFETCH(QString, today);
        QFETCH(QString, format);
        QCOMPARE(FrmPrint::dateDisplayFormat(today, "Dec"), format);
    }

    void keyboardOrderCaptionsAndLengths()
    {
        FrmPrint& dialog = openDialog();
        date(dialog, "DCDateFlight")->setFocus();
        QStringList visited;
        for (int i = 0; i < 19; ++i) {
            QWidget* focus = QApplication::focusWidget();
            auto* dateField = qobject_cast<DateField*>(focus->parentWidget());
            visited << (dateField ? dateField->objectName() : focus->objectName());
            QTest::keyClick(focus, Qt::Key_Tab);
        }
        QCOMPARE(visited.join(' '), "DCDateFlight DCDateReturn TxtQuotedBy ChkComp "
                                    "TxtCustomerName TxtCustomerAddress1 TxtCustomerAddress2 "
                                    "TxtCustomerCity TxtCustomerState TxtCustomerCountry "
                                    "TxtCustomerZip TxtCustomerPhone TxtCustomerFax "
                                    "TxtCustomerEmail TxtQuoteRemarks CmdPrint CmdPrintFile "
                                    "CmdClear CmdCancel");
        for (const QLabel* label : dialog.findChildren<QLabel*>()) {
            if (label->buddy())
                QCOMPARE(label->buddy()->accessibleName(), label->text());
        }
        for (const auto& [name, length] : TextFields) {
            typeInto(child(dialog, name), QString(40, 'x'));
            QCOMPARE(child(dialog, name)->text().size(), length);
        }
        QTest::keyClick(child(dialog, "TxtCustomerName"), Qt::Key_Return);
        QTest::keyClick(date(dialog, "DCDateFlight"), Qt::Key_Return);
        QCOMPARE(m_services->printChooser->calls(), 0);
        child<QPushButton>(dialog, "CmdClear")->setFocus();
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
        QVERIFY(child(dialog, "TxtCustomerName")->text().isEmpty());
        QTest::keyClick(&dialog, Qt::Key_Escape);
        QVERIFY(!dialog.isVisible());
    }

    void fieldsAreRememberedUntilANewQuote()
    {
        m_services->pointer->setBusy();
        FrmPrint& dialog = openDialog();
        QTRY_VERIFY(!m_services->pointer->isBusy());
        typeInto(date(dialog, "DCDateFlight"), "12/10/2026");
        typeInto(date(dialog, "DCDateReturn"), "12/20/2026");
        for (const auto& [name, length] : TextFields)
            typeInto(child(dialog, name), QString(name).mid(3, length));
        auto* remarks = child<QPlainTextEdit>(dialog, "TxtQuoteRemarks");
        QTest::keyClicks(remarks, "Line one");
        QTest::keyClick(remarks, Qt::Key_Return);
        QTest::keyClicks(remarks, "Line two");
        QTest::keyClick(child<QCheckBox>(dialog, "ChkComp"), Qt::Key_Space);
        click("CmdCancel");
        QVERIFY(!dialog.isVisible());
        QCOMPARE(printDialogState().DepartureDate, "2026-12-10");
        QCOMPARE(printDialogState().Remarks, "Line one\r\nLine two");

        FrmPrint again(sampleQuote);
        QCOMPARE(date(again, "DCDateFlight")->text(), "12/10/2026");
        QCOMPARE(date(again, "DCDateReturn")->text(), "12/20/2026");
        for (const auto& [name, length] : TextFields)
            QCOMPARE(child(again, name)->text(), QString(name).mid(3, length));
        QCOMPARE(child<QPlainTextEdit>(again, "TxtQuoteRemarks")->toPlainText(),
                 "Line one\nLine two");
        QVERIFY(!child<QCheckBox>(again, "ChkComp")->isChecked());

        printDialogState() = PrintDialogState();
        FrmPrint afterNewQuote(sampleQuote);
        for (QLineEdit* field : textFields(afterNewQuote))
            QVERIFY2(field->text().isEmpty(), qPrintable(field->accessibleName()));
        QVERIFY(child<QPlainTextEdit>(afterNewQuote, "TxtQuoteRemarks")->toPlainText().isEmpty());
        QVERIFY(child<QCheckBox>(afterNewQuote, "ChkComp")->isChecked());
    }

    void returnDateFollowsTheDeparture()
    {
        printDialogState().ReturnDate = "2026-12-20";
        QVERIFY(date(FrmPrint(sampleQuote), "DCDateReturn")->text().isEmpty());

        printDialogState().DepartureDate = "2026-12-10";
        FrmPrint& dialog = openDialog();
        QLineEdit* returnDate = date(dialog, "DCDateReturn");
        QCOMPARE(returnDate->text(), "12/20/2026");
        typeInto(date(dialog, "DCDateFlight"), "12/25/2026");
        QCOMPARE(returnDate->text(), "12/25/2026");
        typeInto(date(dialog, "DCDateFlight"), "12/1/2026");
        QCOMPARE(returnDate->text(), "12/25/2026");
        typeInto(returnDate, "11/30/2026");
        QCOMPARE(returnDate->text(), "12/25/2026");
        typeInto(returnDate, "12/2/2026");
        QCOMPARE(returnDate->text(), "12/2/2026");
    }

    void departureRangesFromAYearBackToTenAhead()
    {
        QLineEdit* departure = date(openDialog(), "DCDateFlight");
        const QStringList typed = {"12/5/2025", "12/6/2025", "12/7/2036", "12/6/2036", "soon", ""};
        const QStringList shown = {"", "12/6/2025", "12/6/2025", "12/6/2036", "12/6/2036", ""};
        for (qsizetype i = 0; i < typed.size(); ++i) {
            typeInto(departure, typed.at(i));
            QCOMPARE(departure->text(), shown.at(i));
        }
    }

    void calendarOpensBelowTheFieldAndWritesTheDate()
    {
        FrmPrint& dialog = openDialog();
        auto* departure = child<DateField>(dialog, "DCDateFlight");
        auto* calendar = child<QCalendarWidget>(dialog, "MonthView1");
        QVERIFY(!calendar->isVisible());
        QTest::mouseClick(departure->findChild<QToolButton*>(), Qt::LeftButton);
        QTRY_VERIFY(calendar->isVisible());
        QCOMPARE(calendar->windowHandle()->framePosition(),
                 departure->mapToGlobal(QPoint(0, departure->height())));
        QCOMPARE(calendar->minimumDate(), QDate(2025, 12, 6));
        QCOMPARE(calendar->maximumDate(), QDate(2036, 12, 6));
        QCOMPARE(calendar->selectedDate(), QDate(2026, 12, 6));
        QTRY_VERIFY(calendar->isAncestorOf(QApplication::focusWidget()));
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Up);
        QCOMPARE(departure->lineEdit()->text(), "11/29/2026");
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
        QTRY_VERIFY(!calendar->isVisible());
        QTRY_VERIFY(departure->lineEdit()->hasFocus());

        // An empty return field opens the calendar on the departure date.
        QLineEdit* returnDate = date(dialog, "DCDateReturn");
        returnDate->setFocus();
        QTest::keyClick(returnDate, Qt::Key_Down, Qt::AltModifier);
        QTRY_VERIFY(calendar->isVisible());
        QCOMPARE(calendar->minimumDate(), QDate(2026, 11, 29));
        QCOMPARE(calendar->selectedDate(), QDate(2026, 11, 29));
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
        QTRY_COMPARE(returnDate->text(), "11/29/2026");
    }

    void remarksHoldTwoLinesAtMost()
    {
        auto* remarks = child<QPlainTextEdit>(openDialog(), "TxtQuoteRemarks");
        remarks->setFocus();
        QTest::keyClicks(remarks, QString(85, 'a'));
        QCOMPARE(remarks->toPlainText(), QString(80, 'a'));
        QTest::keyClick(remarks, Qt::Key_Return);
        QTest::keyClicks(remarks, "bc");
        QTest::keyClick(remarks, Qt::Key_Return);
        QTest::keyClicks(remarks, "d");
        QCOMPARE(remarks->toPlainText(), QString(80, 'a') + "\nbcd");
        QTest::keyClick(remarks, Qt::Key_Home);
        QTest::keyClick(remarks, Qt::Key_Backspace);
        QCOMPARE(remarks->toPlainText(), QString(80, 'a'));
    }

    void clearDataKeepsTheCompanyChoice()
    {
        printDialogState() = {"2026-12-10", "2026-12-20", "Jo",     false, "Ann",
                              "1 Main St",  "2",          "Boston", "MA",  "USA",
                              "021",        "555",        "556",    "a@b", "Thanks"};
        FrmPrint& dialog = openDialog();
        click("CmdClear");
        for (QLineEdit* field : textFields(dialog))
            QVERIFY2(field->text().isEmpty(), qPrintable(field->accessibleName()));
        QVERIFY(child<QPlainTextEdit>(dialog, "TxtQuoteRemarks")->toPlainText().isEmpty());
        QVERIFY(!child<QCheckBox>(dialog, "ChkComp")->isChecked());
        QTRY_VERIFY(date(dialog, "DCDateFlight")->hasFocus());
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
        QCOMPARE(m_services->prompter->messages().size(), 1);
        QString why;
        QVERIFY2(sameMessage(m_services->prompter->messages().first(), Icon::Exclamation,
                             "Print Quote", "Need Departure Date with Return Date", Button::Ok,
                             &why),
                 qPrintable(why));
        QCOMPARE(m_services->printChooser->calls(), 0);
        QVERIFY(m_services->fileChooser->requests().isEmpty());
        QVERIFY(dialog.isVisible());
        QTRY_VERIFY(date(dialog, "DCDateFlight")->hasFocus());
    }

    void quoteGoesToTheChosenFile_data()
    {
        QTest::addColumn<QString>("button");
        QTest::addColumn<PrintChoice>("choice");
        QTest::addColumn<QString>("name");
        QTest::addColumn<QByteArray>("start"); // empty: no file
        QTest::newRow("print dialog cancelled")
            << "CmdPrint" << PrintChoice::Cancelled << "" << QByteArray();
        QTest::newRow("print to file, cancelled")
            << "CmdPrint" << PrintChoice::ToFile << "" << QByteArray();
        QTest::newRow("print to file, text") << "CmdPrint" << PrintChoice::ToFile << "quote.txt"
                                             << QByteArray("\r\nBrisklander For Windows");
        QTest::newRow("save to file, PDF")
            << "CmdPrintFile" << PrintChoice::Cancelled << "quote.pdf" << QByteArray("%PDF");
        QTest::newRow("printer") << "CmdPrint" << PrintChoice::Printer << "printed.pdf"
                                 << QByteArray("%PDF");
    }
    void quoteGoesToTheChosenFile()
    {
        QFETCH(QString, button);
        QFETCH(PrintChoice, choice);
        QFETCH(QString, name);
        QFETCH(QByteArray, start);
        QTemporaryDir dir;
        const QString path = dir.filePath(name);
        m_services->printChooser->setChoice(choice, path);
        if (!name.isEmpty())
            m_services->fileChooser->setAnswer(Platform::SaveFileAnswer{path, QString()});
        FrmPrint& dialog = openDialog();
        click(button);
        QVERIFY(m_services->prompter->messages().isEmpty());
        QVERIFY(!dialog.isVisible());
        QVERIFY(!m_services->pointer->isBusy());
        QCOMPARE(QDir(dir.path()).entryList(QDir::Files).size(), start.isEmpty() ? 0 : 1);
        const bool asked = button == "CmdPrintFile" || choice == PrintChoice::ToFile;
        QCOMPARE(m_services->fileChooser->requests().size(), asked ? 1 : 0);
        if (asked) {
            QCOMPARE(m_services->fileChooser->requests().first().title, "Print to File");
            QCOMPARE(m_services->fileChooser->requests().first().filters,
                     QStringList({"Text File (*.txt)", "PDF Document (*.pdf)"}));
        }
        if (!start.isEmpty()) {
            QFile file(path);
            QVERIFY(file.open(QIODevice::ReadOnly));
            QVERIFY(file.readAll().startsWith(start));
        }
    }

    void failedWriteShowsTheErrorAndCloses_data()
    {
        QTest::addColumn<QString>("button");
        QTest::addColumn<PrintChoice>("choice");
        QTest::newRow("text file") << "CmdPrintFile" << PrintChoice::Cancelled;
        QTest::newRow("printer") << "CmdPrint" << PrintChoice::Printer;
    }
    void failedWriteShowsTheErrorAndCloses()
    {
        QFETCH(QString, button);
        QFETCH(PrintChoice, choice);
        QTemporaryDir dir;
        const QString path = dir.filePath("missing/quote.txt");
        m_services->printChooser->setChoice(choice, path);
        m_services->fileChooser->setAnswer(Platform::SaveFileAnswer{path, QString()});
        m_services->prompter->setNextAnswer(Button::Ok);
        FrmPrint& dialog = openDialog();
        click(button);
        QCOMPARE(m_services->prompter->messages().size(), 1);
        const Platform::Message message = m_services->prompter->messages().first();
        QVERIFY2(QRegularExpression("^An Error Occured:\r\rError Number = -?\\d+\r.+$")
                     .match(message.text)
                     .hasMatch(),
                 qPrintable(message.text));
        QVERIFY(sameMessage(message, Icon::Critical, "Brisklander", message.text, Button::Ok));
        QVERIFY(!dialog.isVisible());
        QVERIFY(!m_services->pointer->isBusy());
    }
};

QTEST_MAIN(TestFrmPrint)
#include "tst_frmprint.moc"
