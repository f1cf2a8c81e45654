#include "core/document/quotetextfile.h"
#include "core/quote/chargesmodel.h"
#include "core/settings/inifile.h"
#include "gui/appcontext.h"
#include "gui/startup.h"
#include "support/mainwindowfixture.h"

#include <QAccessible>
#include <QComboBox>
#include <QRegularExpression>
#include <QTableView>
#include <QTest>

using namespace Qt::StringLiterals;

// One quote, KTEB to London Heathrow at the starter rate of 8.50 per nautical mile,
// priced in a fresh program folder under a decimal comma and under a longer currency
// symbol (the United States form is every other window test's). The figures are the
// same everywhere; only their form changes.
class TestLocales : public MainWindowFixture
{
    Q_OBJECT

private:
    QString m_group, m_point;

    // Figures written in the United States form, in the form of the locale under test.
    QString form(const QString& us) const
    {
        QString text;
        for (const QChar c : us)
            text += c == u',' ? m_group : c == u'.' ? m_point : QString(c);
        return text;
    }

    QString figures(std::initializer_list<const char*> names) const
    {
        QStringList shown;
        for (const char* name : names)
            shown << field(name);
        return shown.join(u' ');
    }

private slots:
    void init() {} // each locale builds its own folder and window

    void sameQuoteInEveryLocale_data()
    {
        QTest::addColumn<QLocale>("locale");
        QTest::addColumn<QString>("symbol");
        QTest::newRow("de_DE") << QLocale(QLocale::German, QLocale::Germany) << u"€"_s;
        QTest::newRow("de_CH") << QLocale(QLocale::German, QLocale::Switzerland) << u"CHF"_s;
    }

    void sameQuoteInEveryLocale()
    {
        QFETCH(QLocale, locale);
        QFETCH(QString, symbol);
        m_group = locale.groupSeparator();
        m_point = locale.decimalPoint();
        QLocale::setDefault(locale);

        // The build makes the program folder under the operator's locale; start-up reads it.
        m_folder = std::make_unique<ProgramFolder>();
        const QString settings = m_folder->settingsPath();
        QCOMPARE(ReadIni(settings, u"SETTINGS"_s, u"DEFAULTCHARGENM"_s), u"8.5"_s);
        LoadSettings(settings);
        LoadCurrencySymbol();
        QCOMPARE(appContext().CurrencySymbol, symbol);
        QVERIFY(m_folder->open());
        m_window = m_folder->showMainWindow();
        QVERIFY(m_window);

        // Before anything is priced every figure already shows in the locale's form.
        QCOMPARE(figures({"TxtTotAddCharges", "TxtFinalQuote", "TxtChargePerMile"}),
                 form(u"0.00 0.00 8.50"_s));
        find()->setFocus();
        press(u"egll%s"_s);
        QCOMPARE(routeIds(), (QStringList{u"KTEB"_s, u"EGLL"_s}));
        QCOMPARE(figures({"TxtTotalNM", "TxtBaseCharge"}), form(u"2,991.4 25,426.90"_s));

        // The base charge's tax by its first letter (heard by a screen reader as its
        // caption and choice), and a charge row with a decimal amount and number: "."
        // and "," both type the locale's decimal sign (the keypad's decimal key gives
        // either, by keyboard layout).
        auto* tax = child<QComboBox>("SSDBCBTaxBaseCharge");
        QTest::keyClick(tax, 'f'); // FET, 7.5 %
        QAccessibleInterface* announced = QAccessible::queryAccessibleInterface(tax);
        QCOMPARE(announced->text(QAccessible::Name) + u'/' + announced->text(QAccessible::Value),
                 u"Tax/FET"_s);
        typeIntoCell(0, ChargesModel::ColumnAmount, u"85.5"_s, true);
        typeIntoCell(0, ChargesModel::ColumnNumber, u"2,5"_s, true);
        QTest::keyClick(child<QTableView>("SSDBGrid3"), Qt::Key_Right); // leaves the cell
        const ChargeLine& line = m_window->charges()->line(0);
        QCOMPARE(line.Amount + u' ' + line.Number + u' ' + line.Total,
                 form(u"85.50 2.50 213.75"_s));
        QCOMPARE(figures({"TxtTotalCharges", "TxtTotalTaxes", "TxtFinalQuote"}),
                 form(u"25,640.65 1,907.02 27,547.67"_s));

        // The text file puts the locale's currency symbol before each amount; a longer one
        // takes the blanks before its figure, so the columns after it stay under their
        // headings.
        const QStringList lines = QuoteTextFile::lines(m_window->quoteData());
        const auto money = [&](const QString& us) {
            return QRegularExpression::escape(symbol) + u" *"_s +
                   QRegularExpression::escape(form(us));
        };
        const qsizetype charge = lines.indexOf(QRegularExpression(
            u"^ 1  +"_s + money(u"85.50"_s) + u" +"_s +
            QRegularExpression::escape(form(u"2.50"_s)) + u" +"_s + money(u"213.75"_s) + u"$"_s));
        QVERIFY(charge >= 2);
        QCOMPARE(lines[charge].indexOf(form(u"2.50"_s)), lines[charge - 2].indexOf(u"Number"_s));

        // The charge per mile takes one decimal sign, typed by "." or ",", and nothing else,
        // and prices as it is typed. Delete empties the base charge's tax.
        auto* rate = child<QLineEdit>("TxtChargePerMile");
        rate->setFocus();
        rate->selectAll();
        press(u"1x-2.,5'"_s);
        QCOMPARE(figures({"TxtChargePerMile", "TxtBaseCharge"}), form(u"12.5 37,392.50"_s));
        find()->setFocus();
        QCOMPARE(rate->text(), form(u"12.50"_s));
        QTest::keyClick(tax, Qt::Key_Delete);
        QCOMPARE(tax->currentText() + field("TxtTotalTaxes"), form(u"0.00"_s));
    }
};

QTEST_MAIN(TestLocales)
#include "tst_locales.moc"
