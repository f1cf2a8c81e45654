#include "core/register/quoteregister.h"
#include "gui/appcontext.h"
#include "gui/document/printdialogstate.h"
#include "gui/register/frmregister.h"
#include "support/mainwindowfixture.h"
#include "support/systemfaults.h"
#include "support/tablerows.h"
#include "support/testfiles.h"
#include "support/testservices.h"

#include <QTest>

using namespace Qt::StringLiterals;
using Platform::Button;
using Platform::Icon;

// The register window's wiring: Ctrl+R opens it, typing narrows the list, Enter opens
// a quote into the main window, or one handed out into the print window as it was,
// Revise its next revision, a status change and the export with its failure. The
// list's and the register's rules are the core's rows.
class TestFrmRegister : public MainWindowFixture
{
    Q_OBJECT

    QuoteRegister quotes() const { return {*appContext().Workspace, appContext().DatabasePath}; }
    // Two quotes kept with Ctrl+S: KTEB-KBOS at 9.00 a mile, then KTEB-KJFK.
    void keepTwo()
    {
        add(u"KBOS"_s);
        press(u"%c9\t^s"_s);
        prompter().setNextAnswer(Button::Yes);
        press(u"%qn"_s);
        add(u"KJFK"_s);
        press(u"^s"_s);
    }
    // Opens the register with Ctrl+R and runs `handle` in it.
    void inRegister(std::function<void(FrmRegister*)> handle)
    {
        bool ran = false;
        onNextModal([&](QWidget* window) {
            auto* dialog = qobject_cast<FrmRegister*>(window);
            QVERIFY(dialog);
            handle(dialog);
            ran = true;
            if (dialog->isVisible())
                QTest::keyClick(dialog, Qt::Key_Escape);
        });
        press(u"^r"_s);
        QVERIFY(ran);
        backToWindow();
    }

private slots:
    // Typing narrows the list; Enter opens the quote: its route and rate back on
    // screen, and what now comes out otherwise told.
    void filterAndOpen()
    {
        keepTwo();
        const QString first = quotes().list({}, QDate(2026, 3, 2)).last().number;
        appSettings().MINBASECHARGE = 5000; // the kept quote's base charge was less
        m_window->applyMinimumBaseCharge();
        prompter().setNextAnswer(Button::Ok);
        inRegister([](FrmRegister* dialog) {
            QCOMPARE(dialog->model()->index(0, RegisterModel::ColumnRoute).data(), u"KTEB-KJFK"_s);
            press(u"kbos"_s);
            QCOMPARE(dialog->model()->rowCount(), 1);
            press(u"\r"_s);
        });
        QCOMPARE(routeIds(), (QStringList{u"KTEB"_s, u"KBOS"_s}));
        QCOMPARE(field("TxtChargePerMile"), u"9.00"_s);
        QCOMPARE(m_window->keptQuote().number, first);
        expectMessage(
            Icon::Information, m_window->windowTitle(),
            u"Quote %1 comes out otherwise than it was kept:\r\rFinal Quote: *"_s.arg(first),
            Button::Ok);
    }

    // A quote handed out opens from the register as it was sent: every field reached by
    // Tab, showing the kept customer and unchanged by typing; its text file again byte
    // for byte though the settings' terms and the day changed since; nothing new kept
    // and the print window's memory as it was.
    void handedOutQuoteReprints()
    {
        const QString sent = m_folder->filePath(u"1.txt"_s), again = m_folder->filePath(u"2.txt"_s);
        add(u"KBOS"_s);
        printDialogState().Customer.Name = u"Acme"_s;
        m_folder->services().fileChooser->setAnswer(Platform::SaveFileAnswer{sent, QString()});
        onNextModal([](QWidget* dialog) { QTest::keyClick(dialog, Qt::Key_F, Qt::AltModifier); });
        press(u"%qp"_s);
        backToWindow();
        appSettings().TERMS = u"Payment in advance."_s;
        m_folder->services().clock->setToday(QDate(2026, 3, 9));
        printDialogState().Customer.Name = u"Other"_s;
        m_folder->services().fileChooser->setAnswer(Platform::SaveFileAnswer{again, QString()});
        QStringList seen; // each field's name and what it shows, before and after typing
        inRegister([this, &seen](FrmRegister*) {
            onNextModal([&seen](QWidget* dialog) {
                for (int i = 0; i < 30; press(++i % 2 ? u"x \b"_s : u"\t"_s)) {
                    const QWidget* field = dialog->focusWidget();
                    seen << field->accessibleName() + u'=' + field->property("text").toString() +
                                field->property("plainText").toString() +
                                field->property("checked").toString();
                }
                QTest::keyClick(dialog, Qt::Key_F, Qt::AltModifier);
            });
            press(u"\r"_s);
        });
        QVERIFY(seen.contains(u"Name:=Acme"_s));
        QCOMPARE(QSet<QString>(seen.begin(), seen.end()).size(), 16); // the map's box too
        QCOMPARE(TestFiles::contentOf(again), TestFiles::contentOf(sent));
        QCOMPARE(quotes().list({}, QDate(2026, 3, 9)).first().revision, 1);
        QCOMPARE(printDialogState().Customer.Name, u"Other"_s);
    }

    // A quote handed out opened with Revise is its next revision; Declined asks why.
    void reviseAndDecline()
    {
        keepTwo();
        const QString number = m_window->keptQuote().number;
        quotes().setStatus(number, QuoteStatus::Sent, {}, QDateTime(QDate(2026, 3, 2), {}));
        inRegister(
            [](FrmRegister* dialog) { QTest::keyClick(dialog, Qt::Key_R, Qt::AltModifier); });
        QCOMPARE(m_window->keptQuote().number, number);
        QCOMPARE(m_window->keptQuote().revision, 2);

        quotes().setStatus(number, QuoteStatus::Sent, {}, QDateTime(QDate(2026, 3, 2), {}));
        inRegister([this](FrmRegister* dialog) {
            onNextModal([](QWidget* box) {
                QTest::keyClicks(box->focusWidget(), u"Price"_s);
                QTest::keyClick(box->focusWidget(), Qt::Key_Return);
            });
            QTest::keyClick(dialog, Qt::Key_N, Qt::AltModifier);
        });
        QCOMPARE(quotes().load(number)->reason, u"Price"_s);
    }

    // The export writes the list whole, or on a full disk leaves the file as it was and
    // says why.
    void exportCsv_data()
    {
        QTest::addColumn<bool>("full");
        QTest::newRow("written") << false;
        QTest::newRow("full disk") << true;
    }

    void exportCsv()
    {
        QFETCH(bool, full);
        keepTwo();
        std::unique_ptr<TinyDisk> disk;
        QString folder = m_folder->filePath(u"out"_s);
        if (full) {
            if (!runningAsRoot())
                QSKIP("needs root to mount file systems");
            disk = std::make_unique<TinyDisk>(folder, "64k");
            if (!disk->isMounted())
                QSKIP("cannot mount a tmpfs here");
        }
        QVERIFY(QDir().mkpath(folder));
        const QString path = folder + u"/quotes.csv"_s;
        QVERIFY(writeFile(path, "kept"));
        if (full) {
            disk->fill();
            prompter().setNextAnswer(Button::Ok);
        }
        m_folder->services().fileChooser->setAnswer(Platform::SaveFileAnswer{path, QString()});
        inRegister(
            [](FrmRegister* dialog) { QTest::keyClick(dialog, Qt::Key_E, Qt::AltModifier); });
        const QByteArray contents = TestFiles::contentOf(path);
        if (!full) {
            QCOMPARE(contents.count('\n'), 3); // the heading and two quotes
            return;
        }
        QCOMPARE(contents, QByteArray("kept"));
        expectMessage(Icon::Critical, u"Quote Register"_s,
                      u"The list could not be written to %1:\r\r*"_s.arg(path), Button::Ok);
    }
};

QTEST_MAIN(TestFrmRegister)
#include "tst_frmregister.moc"
