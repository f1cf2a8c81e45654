#include "core/document/quotedocument.h"
#include "core/document/quotetextfile.h"
#include "core/quote/chargesmodel.h"
#include "core/quote/routemodel.h"
#include "core/settings/inifile.h"
#include "gui/appcontext.h"
#include "gui/startup.h"
#include "support/mainwindowfixture.h"
#include "support/recordingsurface.h"

#include <QAccessible>
#include <QComboBox>
#include <QLineEdit>
#include <QRegularExpression>
#include <QTableView>
#include <QTest>

using namespace Qt::StringLiterals;

// One quote, KTEB to London Heathrow at the starter rate of 8.50 per nautical mile,
// priced in a fresh program folder under each locale. The figures are the same
// everywhere; only their form changes.
class TestLocales : public MainWindowFixture
{
    Q_OBJECT

private:
    QString m_group, m_point;

    // A figure written in the United States form, in the form of the locale under test.
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
        QTest::addColumn<QString>("today"); // 6 December 2026 in the short form, year in full

        QTest::newRow("en_US") << QLocale(QLocale::English, QLocale::UnitedStates) << u"$"_s
                               << u"12/6/2026"_s;
        QTest::newRow("de_DE") << QLocale(QLocale::German, QLocale::Germany) << u"€"_s
                               << u"06.12.2026"_s;
        QTest::newRow("fr_FR") << QLocale(QLocale::French, QLocale::France) << u"€"_s
                               << u"06/12/2026"_s;
        QTest::newRow("de_CH") << QLocale(QLocale::German, QLocale::Switzerland) << u"CHF"_s
                               << u"06.12.2026"_s;
        QTest::newRow("C") << QLocale::c() << u"$"_s << u"6 Dec 2026"_s;
    }

    void sameQuoteInEveryLocale()
    {
        QFETCH(QLocale, locale);
        QFETCH(QString, symbol);
        QFETCH(QString, today);
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
        QCOMPARE(figures({"TxtTaxAmount", "TxtTotAddCharges", "TxtTotalTaxes", "TxtFinalQuote",
                          "TxtChargePerMile"}),
                 form(u"0.00 0.00 0.00 0.00 8.50"_s));

        find()->setFocus();
        press(u"egll%s"_s);
        QCOMPARE(routeIds(), (QStringList{u"KTEB"_s, u"EGLL"_s}));
        QCOMPARE(figures({"TxtTotalNM", "TxtBaseCharge"}), form(u"2,991.4 25,426.90"_s));

        // The base charge's tax by its first letter (heard by a screen reader as its
        // caption and choice), and a charge row with a decimal amount and number.
        auto* tax = child<QComboBox>("SSDBCBTaxBaseCharge");
        QTest::keyClick(tax, 'f'); // FET, 7.5 %
        QAccessibleInterface* announced = QAccessible::queryAccessibleInterface(tax);
        QCOMPARE(announced->text(QAccessible::Name) + u'/' + announced->text(QAccessible::Value),
                 u"Tax/FET"_s);
        QCOMPARE(figures({"TxtTaxAmount", "TxtTotalBaseCharge"}), form(u"1,907.02 27,333.92"_s));
        // "." and "," both type the locale's decimal sign (the keypad's decimal key
        // gives either, by keyboard layout).
        enterIntoCell(0, ChargesModel::ColumnAmount, u"85.5"_s);
        enterIntoCell(0, ChargesModel::ColumnNumber, u"2,5"_s);
        QTest::keyClick(child<QTableView>("SSDBGrid3"), Qt::Key_Right); // leaves the cell
        const ChargeLine& line = m_window->charges()->line(0);
        QCOMPARE(line.Amount + u' ' + line.Number + u' ' + line.Total,
                 form(u"85.50 2.50 213.75"_s));
        QCOMPARE(figures({"TxtTotAddCharges", "TxtTotalCharges", "TxtTotalTaxes", "TxtFinalQuote"}),
                 form(u"213.75 25,640.65 1,907.02 27,547.67"_s));

        // The text file and the printed document carry the same figures, the locale's
        // currency symbol before each amount and the date in the locale's short form.
        const QuoteData data = m_window->quoteData();
        const QStringList lines = QuoteTextFile::lines(data);
        QVERIFY2(lines.value(1).endsWith(today), qPrintable(lines.value(1)));
        const auto hasLine = [&lines](const QString& pattern) {
            return lines.indexOf(QRegularExpression(pattern)) >= 0;
        };
        const auto money = [&](const QString& us) {
            return QRegularExpression::escape(symbol) + u" *"_s +
                   QRegularExpression::escape(form(us));
        };
        QVERIFY(hasLine(u"^Base Charge = +"_s + QRegularExpression::escape(form(u"2,991.4"_s)) +
                        u" NM \\* "_s + money(u"8.50"_s) + u" = +"_s + money(u"25,426.90"_s) +
                        u"$"_s));
        const qsizetype charge = lines.indexOf(QRegularExpression(
            u"^ 1  +"_s + money(u"85.50"_s) + u" +"_s +
            QRegularExpression::escape(form(u"2.50"_s)) + u" +"_s + money(u"213.75"_s) + u"$"_s));
        QVERIFY(charge >= 0);
        // A longer currency symbol takes the blanks before its figure: the columns after
        // a money field stay under their headings.
        QCOMPARE(lines[charge].indexOf(form(u"2.50"_s)), lines[charge - 2].indexOf(u"Number"_s));
        QVERIFY(hasLine(u"^Final Quote   = +"_s + money(u"27,547.67"_s) + u"$"_s));

        RecordingSurface surface;
        QuoteDocument::compose(surface, data);
        QStringList printed;
        for (const RecordingSurface::Item& item : surface.items) {
            const QString text = item.text.trimmed();
            printed << (text.startsWith(symbol) ? text.mid(symbol.size()).trimmed() : text);
        }
        for (const QString& figure : {u"25,426.90"_s, u"1,907.02"_s, u"213.75"_s, u"27,547.67"_s})
            QVERIFY2(printed.contains(form(figure)), qPrintable(form(figure)));
        QVERIFY(printed.contains(today));

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
        QCOMPARE(tax->currentText(), QString());
        QCOMPARE(field("TxtTotalTaxes"), form(u"0.00"_s));
    }
};

QTEST_MAIN(TestLocales)
#include "tst_locales.moc"
