#include "core/db/database.h"
#include "core/db/dberror.h"
#include "core/db/workspace.h"
#include "core/register/quoteregister.h"
#include "gui/appcontext.h"
#include "support/mainwindowfixture.h"
#include "support/testservices.h"

#include <QAction>
#include <QFile>
#include <QTest>

using namespace Qt::StringLiterals;
using Platform::Button;
using Platform::Icon;

// The main window's quote in the register: Save Quote, printing to a file, the faults
// of the engine and the disk, and the exit question's count. The register's own rules
// have their rows in tests/core/register.
class TestQuoteKeeping : public MainWindowFixture
{
    Q_OBJECT

    QuoteRegister quotes() const { return {*appContext().Workspace, appContext().DatabasePath}; }
    QList<QuoteListEntry> listed() const { return quotes().list({}, QDate(2026, 3, 2)); }
    // Writes the quote to a text file through the print dialog's file command; the
    // dialog, left open when the quote could not be kept, is closed.
    void printToFile()
    {
        m_folder->services().fileChooser->setAnswer(
            Platform::SaveFileAnswer{m_folder->filePath(u"quote.txt"_s), QString()});
        onNextModal([](QWidget* dialog) {
            QTest::keyClick(dialog, Qt::Key_F, Qt::AltModifier);
            if (dialog->isVisible())
                QTest::keyClick(dialog, Qt::Key_Escape);
        });
        press(u"%qp"_s);
        backToWindow();
    }

private slots:
    // Ctrl+S keeps a new quote under a new number and a Draft in place; printed, it is
    // Sent, and a change of it is kept as its next revision.
    void savePrintAndRevise()
    {
        add(u"KBOS"_s);
        press(u"^s"_s);
        const QString number = m_window->keptQuote().number;
        QVERIFY(!number.isEmpty());
        QCOMPARE(listed().size(), 1);
        press(u"%c9\t^s"_s);
        QCOMPARE(m_window->keptQuote().number, number);
        QCOMPARE(m_window->keptQuote().revision, 1);
        QCOMPARE(quotes().load(number)->request.rate, 9.0);

        printToFile();
        QCOMPARE(quotes().load(number)->status, QuoteStatus::Sent);
        press(u"^s"_s); // unchanged: nothing to keep
        QCOMPARE(quotes().load(number)->revision, 1);
        press(u"%c7\t^s"_s);
        QCOMPARE(m_window->keptQuote().revision, 2);
        QCOMPARE(quotes().load(number)->status, QuoteStatus::Draft);
        QCOMPARE(listed().size(), 1);
    }

    // Sent by e-mail: kept first, so that the PDF the mail carries bears its number, and
    // Sent only once the operator says the mail went.
    void mailedQuoteIsSentWhenTheMailWent_data()
    {
        QTest::addColumn<Button>("answer");
        QTest::newRow("the mail went") << Button::Yes;
        QTest::newRow("it did not") << Button::No;
    }

    void mailedQuoteIsSentWhenTheMailWent()
    {
        QFETCH(Button, answer);
        add(u"KBOS"_s);
        prompter().setNextAnswer(answer);
        onNextModal([](QWidget* dialog) { QTest::keyClick(dialog, Qt::Key_Return); });
        press(u"%qe"_s);
        const QString number = m_window->keptQuote().number;
        QVERIFY(!number.isEmpty());
        QCOMPARE(quotes().load(number)->status,
                 answer == Button::Yes ? QuoteStatus::Sent : QuoteStatus::Draft);
        const QStringList mail = m_folder->services().mailer->messages.value(0);
        QVERIFY2(mail.join(u' ').contains(u"/quotes/"_s + number), qPrintable(mail.join(u' ')));
    }

    // A keep the engine refuses (each fault of the register, a full disk among them, is
    // its core rows): the engine's message, nothing kept, the quote still on screen;
    // printed, nothing is written.
    void failedKeepLeavesTheQuoteOnScreen_data()
    {
        QTest::addColumn<bool>("print");
        QTest::newRow("Save Quote") << false;
        QTest::newRow("printing") << true;
    }

    void failedKeepLeavesTheQuoteOnScreen()
    {
        QFETCH(bool, print);
        // The register's tables made by a first quote, then a second one on screen.
        add(u"KBOS"_s);
        press(u"^s"_s);
        prompter().setNextAnswer(Button::Yes);
        child<QAction>("mnunew")->trigger();
        add(u"KJFK"_s);
        appContext()
            .Workspace->openDatabase(appContext().DatabasePath)
            ->execute(u"CREATE TRIGGER Fault BEFORE INSERT ON Quotes BEGIN SELECT "
                      "RAISE(ABORT, 'injected fault'); END"_s);
        prompter().setNextAnswer(Button::Ok);
        if (print) {
            printToFile();
            QVERIFY(m_folder->services().fileChooser->requests().isEmpty());
            QVERIFY(!QFile::exists(m_folder->filePath(u"quote.txt"_s)));
        } else {
            press(u"^s"_s);
        }
        expectMessage(Icon::Critical, u"Brisklander"_s,
                      u"An Error Occurred:\r\rError number = %1\r*"_s.arg(Db::Error::TypeMismatch),
                      Button::Ok);
        QVERIFY(m_window->keptQuote().number.isEmpty());
        QCOMPARE(routeIds(), (QStringList{u"KTEB"_s, u"KJFK"_s}));
        QCOMPARE(listed().size(), 1);
    }

    // The exit question counts the quotes made and never kept: one replaced by a new
    // quote and the one on screen, not the one kept.
    void exitCountsTheQuotesNeverKept()
    {
        for (const QString& keys : {u"^s"_s, QString(), QString()}) {
            add(u"KBOS"_s);
            press(keys);
            prompter().setNextAnswer(Button::Yes);
            child<QAction>("mnunew")->trigger();
        }
        add(u"KJFK"_s);
        prompter().setNextAnswer(Button::No);
        child<QAction>("mnuexit")->trigger();
        expectMessage(Icon::Question, u"Brisklander"_s,
                      u"Are you sure that you want to EXIT Brisklander ?\r\r3 quotes made since "
                      "the start were not saved."_s,
                      Button::No);
    }
};

QTEST_MAIN(TestQuoteKeeping)
#include "tst_quotekeeping.moc"
