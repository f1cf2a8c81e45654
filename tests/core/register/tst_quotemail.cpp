#include "core/register/quotemail.h"

#include <QDir>
#include <QFileInfo>
#include <QtTest>

class TestQuoteMail : public QObject
{
    Q_OBJECT

private slots:
    void fill_data();
    void fill();
    void fileName_data();
    void fileName();
    void mailArguments();
};

void TestQuoteMail::fill_data()
{
    QTest::addColumn<QString>("customer");
    QTest::addColumn<int>("revision");
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("filled");
    QTest::newRow("every part") << "Harborview Air" << 2
                                << "{number} {customer} {route} {total} {valid_until}"
                                << "2026-0042 rev. 2 Harborview Air KTEB-KBOS $12,480.00 1/5/2027";
    QTest::newRow("first revision, twice") << "Acme" << 1 << "{number}/{number}"
                                           << "2026-0042/2026-0042";
    QTest::newRow("unknown and open braces stay") << "Acme" << 1 << "{Number} {date} {route"
                                                  << "{Number} {date} {route";
    QTest::newRow("a part's braces are not filled") << "{route} Inc" << 1 << "Dear {customer},"
                                                    << "Dear {route} Inc,";
    QTest::newRow("line breaks kept") << "Acme" << 1 << "Dear {customer},\n\n{total}\n"
                                      << "Dear Acme,\n\n$12,480.00\n";
}

void TestQuoteMail::fill()
{
    QFETCH(QString, customer);
    QFETCH(int, revision);
    QFETCH(QString, text);
    QFETCH(QString, filled);
    QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates));
    QuoteData quote;
    quote.quoteNumber = "2026-0042";
    quote.revision = revision;
    quote.customer.Name = "  " + customer;
    quote.route = {{"KTEB", "Teterboro", "", ""}, {"", "", "", ""}, {"KBOS", "Boston", "", ""}};
    quote.finalQuote = " 12,480.00";
    quote.validUntil = QDate(2027, 1, 5);
    QCOMPARE(QuoteMail::fill(text, QuoteMail::parts(quote)), filled);
}

void TestQuoteMail::fileName_data()
{
    QTest::addColumn<QString>("number");
    QTest::addColumn<int>("revision");
    QTest::addColumn<QString>("customer");
    QTest::addColumn<QString>("name");
    QTest::newRow("revision 2") << "2026-0042" << 2 << "Harborview Air"
                                << "2026-0042 rev 2 Harborview Air.pdf";
    QTest::newRow("first revision") << "2026-0042" << 1 << " Acme "
                                    << "2026-0042 Acme.pdf";
    QTest::newRow("not kept, no customer: the route") << "" << 0 << ""
                                                      << "KTEB-KBOS.pdf";
    QTest::newRow("refused characters") << "2026-0042" << 1 << "A/B\\C:D*E?F\"G<H>I|J\tK"
                                        << "2026-0042 A_B_C_D_E_F_G_H_I_J_K.pdf";
    QTest::newRow("leading out of the folder") << "" << 0 << "../../etc/passwd"
                                               << "_.._etc_passwd.pdf";
    QTest::newRow("dots only") << "" << 0 << ".."
                               << "Quote.pdf";
    QTest::newRow("long name cut")
        << "2026-0042" << 1 << QString(200, 'x') << "2026-0042 " + QString(110, 'x') + ".pdf";
}

void TestQuoteMail::fileName()
{
    QFETCH(QString, number);
    QFETCH(int, revision);
    QFETCH(QString, customer);
    QFETCH(QString, name);
    QuoteData quote;
    quote.quoteNumber = number;
    quote.revision = revision;
    quote.customer.Name = customer;
    quote.route = {{"KTEB", "Teterboro", "", ""}, {"KBOS", "Boston", "", ""}};
    const QString path = QuoteMail::pdfPath("/opt/brisklander", quote);
    QCOMPARE(QFileInfo(path).fileName(), name);
    QCOMPARE(QFileInfo(path).absolutePath(), "/opt/brisklander/quotes");
}

void TestQuoteMail::mailArguments()
{
    QCOMPARE(
        QuoteMail::mailArguments("S t", "B\nb", "/q/a b.pdf", " a@b.c "),
        QStringList({"--subject", "S t", "--body", "B\nb", "--attach", "/q/a b.pdf", "a@b.c"}));
    QCOMPARE(QuoteMail::mailArguments("S", "B", "/q/a.pdf", "").size(), 6);
    QCOMPARE(QuoteMail::mailArguments("S", "B", "/q/a.pdf", "--cc=x@y").last(), "mailto:--cc=x@y");
}

QTEST_MAIN(TestQuoteMail)
#include "tst_quotemail.moc"
