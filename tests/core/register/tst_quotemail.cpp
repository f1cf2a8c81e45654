#include "core/register/quotemail.h"
#include "support/tablerows.h"

#include <QFileInfo>
#include <QtTest>

class TestQuoteMail : public QObject
{
    Q_OBJECT

private slots:
    void rows_data() { addTableRows(QStringLiteral("core/register/mail-rows.txt")); }
    void rows()
    {
        QFETCH(QStringList, row); // customer, number, revision, template, what comes out
        QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates));
        QuoteData quote;
        quote.customer.Name = row[0];
        quote.quoteNumber = row[1];
        quote.revision = row[2].toInt();
        quote.route = {{"KTEB", "", "", ""}, {"", "", "", ""}, {"KBOS", "", "", ""}};
        quote.finalQuote = " 12,480.00";
        quote.validUntil = QDate(2027, 1, 5);
        const QFileInfo pdf(QuoteMail::pdfPath("/opt/b", quote));
        QCOMPARE(row[3].isEmpty() ? pdf.fileName()
                                  : QuoteMail::fill(row[3], QuoteMail::parts(quote)),
                 row[4]);
        QCOMPARE(pdf.absolutePath(), "/opt/b/quotes");
    }
    void mailArguments()
    {
        QCOMPARE(
            QuoteMail::mailArguments("S t", "B\nb", "/q/a b.pdf", " a@b.c "),
            QStringList({"--subject", "S t", "--body", "B\nb", "--attach", "/q/a b.pdf", "a@b.c"}));
        QCOMPARE(QuoteMail::mailArguments("S", "B", "/q/a.pdf", "").size(), 6);
        QCOMPARE(QuoteMail::mailArguments("S", "B", "/q/a.pdf", "--cc=x").last(), "mailto:--cc=x");
    }
};

QTEST_MAIN(TestQuoteMail)
#include "tst_quotemail.moc"
