#include "gui/quote/frmquotemem.h"
#include "gui/quote/frmsegmenttax.h"
#include "gui/quote/quotememory.h"
#include "support/child.h"
#include "support/testservices.h"
#include "support/themes.h"

#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QLocale>
#include <QMessageBox>
#include <QPushButton>
#include <QTest>
#include <QTimer>

namespace {

QLineEdit* field(const QDialog& dialog, const char* name)
{
    return child<QLineEdit>(dialog, name);
}

QPushButton* button(const QDialog& dialog, const char* name)
{
    return child<QPushButton>(dialog, name);
}

QColor textColour(const QLineEdit* edit)
{
    return edit->palette().color(QPalette::Text);
}

// Shows the dialog and puts the focus into the field, as a click or Tab would.
void focusField(QDialog& dialog, const char* name)
{
    dialog.show();
    QVERIFY(QTest::qWaitForWindowActive(&dialog));
    field(dialog, name)->setFocus();
    QTRY_VERIFY(field(dialog, name)->hasFocus());
}

} // namespace

class TestQuoteDialogs : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates)); }

    void newSegmentTaxCountsTheLegsOfTheRoute()
    {
        TestServices services;
        FrmSegmentTax tax(2.5, 3, QString());
        QVERIFY(!tax.isEditingExisting());
        QCOMPARE(field(tax, "TxtNoSegments")->text(), QStringLiteral("2"));
        QCOMPARE(field(tax, "TxtNoPax")->text(), QStringLiteral("0"));
        QCOMPARE(field(tax, "TxtTaxSegment")->text(), QStringLiteral("2.50"));
        QCOMPARE(tax.totalText(), QStringLiteral("0.00"));
        QVERIFY(!button(tax, "CmdSave")->isEnabled());
        QCOMPARE(field(FrmSegmentTax(2.5, 1, QString()), "TxtNoSegments")->text(),
                 QStringLiteral("0"));
    }

    void typingPassengersPricesTheTaxAndSaves()
    {
        TestServices services;
        services.pointer->setBusy();
        FrmSegmentTax tax(2.5, 3, QString());
        focusField(tax, "TxtNoPax");
        QVERIFY(!services.pointer->isBusy());
        QTest::keyClicks(field(tax, "TxtNoPax"), QStringLiteral("4"));
        QCOMPARE(field(tax, "TxtNoPax")->text(), QStringLiteral("4"));
        QCOMPARE(field(tax, "TxtTotSegTax")->text(), QStringLiteral("20.00"));
        QVERIFY(button(tax, "CmdSave")->isEnabled());
        QTest::mouseClick(button(tax, "CmdSave"), Qt::LeftButton);
        QVERIFY(tax.isSaved());
        QCOMPARE(tax.result(), int(QDialog::Accepted));
        QCOMPARE(tax.chargeText(), QStringLiteral("4 Pax * 2 Segm. * 2.50"));
        QCOMPARE(tax.totalText(), QStringLiteral("20.00"));
    }

    void editingTheSegmentTaxRowReadsItsCounts()
    {
        TestServices services;
        FrmSegmentTax tax(2.5, 5, QStringLiteral("4 Pax * 2 Segm. * 2.50"));
        QVERIFY(tax.isEditingExisting());
        QCOMPARE(field(tax, "TxtNoPax")->text(), QStringLiteral("4"));
        QCOMPARE(field(tax, "TxtNoSegments")->text(), QStringLiteral("2"));
        QCOMPARE(tax.totalText(), QStringLiteral("20.00"));
        QVERIFY(button(tax, "CmdSave")->isEnabled());
        focusField(tax, "TxtNoPax");
        QTest::keyClicks(field(tax, "TxtNoPax"), QStringLiteral("5"));
        QCOMPARE(tax.totalText(), QStringLiteral("25.00"));
        QCOMPARE(tax.chargeText(), QStringLiteral("5 Pax * 2 Segm. * 2.50"));

        FrmSegmentTax malformed(2.5, 5, QStringLiteral("Pax"));
        QCOMPARE(field(malformed, "TxtNoPax")->text(), QStringLiteral("0"));
        QCOMPARE(field(malformed, "TxtNoSegments")->text(), QStringLiteral("0"));
    }

    void countsTakeOnlyTwoDigitsAndNeverStayEmpty()
    {
        TestServices services;
        FrmSegmentTax tax(2.5, 3, QStringLiteral("4 Pax * 2 Segm. * 2.50"));
        focusField(tax, "TxtNoPax");
        QLineEdit* pax = field(tax, "TxtNoPax");
        QTest::keyClick(pax, Qt::Key_Backspace);
        QCOMPARE(pax->text(), QStringLiteral("0"));
        QCOMPARE(tax.totalText(), QStringLiteral("0.00"));
        QVERIFY(!button(tax, "CmdSave")->isEnabled());
        QTest::keyClicks(pax, QStringLiteral("a-.x"));
        QCOMPARE(pax->text(), QStringLiteral("0"));
        QTest::keyClicks(pax, QStringLiteral("5"));
        QCOMPARE(pax->text(), QStringLiteral("5"));
        QCOMPARE(pax->cursorPosition(), 1);
        QTest::keyClicks(pax, QStringLiteral("78"));
        QCOMPARE(pax->text(), QStringLiteral("57"));
        QCOMPARE(tax.totalText(), QStringLiteral("285.00"));
    }

    void escapeCancels()
    {
        TestServices services;
        FrmSegmentTax tax(2.5, 3, QStringLiteral("4 Pax * 2 Segm. * 2.50"));
        focusField(tax, "TxtNoSegments");
        QTest::keyClick(field(tax, "TxtNoSegments"), Qt::Key_Escape);
        QVERIFY(!tax.isVisible());
        QVERIFY(!tax.isSaved());
        QCOMPARE(tax.result(), int(QDialog::Rejected));
    }

    void everyFieldIsNamedByItsCaption()
    {
        FrmSegmentTax tax(2.5, 3, QString());
        FrmQuoteMem memory(QStringLiteral("0.00"));
        int buddies = 0;
        for (const QDialog* dialog : {static_cast<QDialog*>(&tax), static_cast<QDialog*>(&memory)})
            for (const QLabel* label : dialog->findChildren<QLabel*>())
                if (label->buddy()) {
                    ++buddies;
                    QCOMPARE(label->buddy()->accessibleName(), label->text());
                    QVERIFY(label->buddy()->focusPolicy() & Qt::TabFocus);
                }
        QCOMPARE(buddies, 7);
    }

    // Every button of the desktop's message box has its own access key, which answers
    // with or without Alt: the confirmations of a delete take O for OK.
    void messageBoxButtonsAnswerTheirAccessKeys_data()
    {
        QTest::addColumn<int>("buttons");
        QTest::addColumn<int>("key");
        QTest::addColumn<int>("modifiers");
        QTest::addColumn<int>("answer");

        const int okCancel = int(Platform::Button::Ok | Platform::Button::Cancel);
        const int yesNoCancel =
            int(Platform::Button::Yes | Platform::Button::No | Platform::Button::Cancel);
        QTest::newRow("Alt+O") << okCancel << int(Qt::Key_O) << int(Qt::AltModifier)
                               << int(Platform::Button::Ok);
        QTest::newRow("O") << okCancel << int(Qt::Key_O) << int(Qt::NoModifier)
                           << int(Platform::Button::Ok);
        QTest::newRow("N") << yesNoCancel << int(Qt::Key_N) << int(Qt::NoModifier)
                           << int(Platform::Button::No);
        QTest::newRow("Alt+Y") << yesNoCancel << int(Qt::Key_Y) << int(Qt::AltModifier)
                               << int(Platform::Button::Yes);
        QTest::newRow("C") << int(Platform::Button::Ok | Platform::Button::Yes |
                                  Platform::Button::No | Platform::Button::Cancel)
                           << int(Qt::Key_C) << int(Qt::NoModifier)
                           << int(Platform::Button::Cancel);
    }

    void messageBoxButtonsAnswerTheirAccessKeys()
    {
        QFETCH(int, buttons);
        QFETCH(int, key);
        QFETCH(int, modifiers);
        QFETCH(int, answer);

        QStringList captions;
        QTimer::singleShot(0, this, [&] {
            auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
            if (!box)
                return;
            static_cast<void>(QTest::qWaitFor([box] { return box->isActiveWindow(); }));
            for (QAbstractButton* button : box->buttons())
                captions << button->text();
            QTest::keyClick(QApplication::focusWidget(), Qt::Key(key),
                            Qt::KeyboardModifiers(modifiers));
            if (box->isVisible()) // the key did nothing: the box is closed as Escape does
                box->reject();
        });
        const Platform::Button answered = Platform::qtServices().prompter->ask(Platform::Message{
            Platform::Icon::Question, QStringLiteral("Delete Airport"), QStringLiteral("Delete?"),
            Platform::Buttons(buttons), Platform::Button::Cancel});
        QCOMPARE(int(answered), answer);
        QCOMPARE(captions.size(), QString::number(buttons, 2).count(u'1'));
        QList<int> keys;
        for (const QString& caption : captions) {
            const QKeySequence mnemonic = QKeySequence::mnemonic(caption);
            QVERIFY2(!mnemonic.isEmpty() && !keys.contains(mnemonic[0].key()),
                     qPrintable(captions.join(u' ')));
            keys << mnemonic[0].key();
        }
    }

    void quoteMemoryComparesAndRemembers()
    {
        TestServices services;
        QCOMPARE(memorizedQuote(), 0.0);
        const QColor darkRed(128, 0, 0);
        {
            FrmQuoteMem memory(QStringLiteral("3,583.14"));
            memory.show();
            QVERIFY(QTest::qWaitForWindowActive(&memory));
            QCOMPARE(field(memory, "TxtFinalQuote")->text(), QStringLiteral("3,583.14"));
            QCOMPARE(field(memory, "TxtMemQuote")->text(), QStringLiteral("0.00"));
            QCOMPARE(field(memory, "TxtQuoteDiff")->text(), QStringLiteral("3,583.14"));
            QTest::mouseClick(button(memory, "CmdSave"), Qt::LeftButton);
            QCOMPARE(memorizedQuote(), 3583.14);
            QCOMPARE(field(memory, "TxtMemQuote")->text(), QStringLiteral("3,583.14"));
            QCOMPARE(field(memory, "TxtQuoteDiff")->text(), QStringLiteral("0.00"));
            QVERIFY(memory.isVisible());
        }
        FrmQuoteMem memory(QStringLiteral("3,000.00"));
        QCOMPARE(field(memory, "TxtMemQuote")->text(), QStringLiteral("3,583.14"));
        QCOMPARE(field(memory, "TxtQuoteDiff")->text(), QStringLiteral("-583.14"));
        QCOMPARE(textColour(field(memory, "TxtQuoteDiff")), darkRed);
        // The figures are drawn in the highlight's blue, dark enough to read on white
        // (the light theme's own highlight gives 3.7:1), and readable after a switch to
        // a dark theme while the window is open.
        const auto readable = [&](QPalette::ColorRole blueFrom) {
            for (const char* name : {"TxtFinalQuote", "TxtMemQuote", "TxtQuoteDiff"}) {
                const QLineEdit* figure = field(memory, name);
                const QColor text = textColour(figure);
                if (!readsOn(text, figure->palette().color(QPalette::Base)))
                    return QStringLiteral("%1 unreadable").arg(QLatin1String(name));
                const QColor blue = memory.palette().color(blueFrom);
                if (qstrcmp(name, "TxtQuoteDiff") != 0 &&
                    (text.blue() <= text.red() || qAbs(text.hueF() - blue.hueF()) > 0.02))
                    return QStringLiteral("%1 not in the highlight's hue").arg(QLatin1String(name));
            }
            return QString();
        };
        QCOMPARE(readable(QPalette::Highlight), QString());
        memory.show();
        QVERIFY(QTest::qWaitForWindowExposed(&memory));
        const QPalette light = QApplication::palette();
        QApplication::setPalette(darkPalette());
        QTRY_COMPARE(memory.palette().color(QPalette::Base), QColor(42, 42, 42));
        QCOMPARE(readable(QPalette::Highlight), QString());
        QVERIFY(textColour(field(memory, "TxtQuoteDiff")).red() > 128);
        QApplication::setPalette(light);
        QTRY_COMPARE(textColour(field(memory, "TxtQuoteDiff")), darkRed);

        memorizedQuote() = -10.0;
        FrmQuoteMem negative(QStringLiteral("-25.50"));
        QCOMPARE(textColour(field(negative, "TxtMemQuote")), darkRed);
        QCOMPARE(textColour(field(negative, "TxtFinalQuote")), darkRed);
        QCOMPARE(field(negative, "TxtQuoteDiff")->text(), QStringLiteral("-15.50"));
        memorizedQuote() = 0.0;
    }
};

QTEST_MAIN(TestQuoteDialogs)
#include "tst_quotedialogs.moc"
