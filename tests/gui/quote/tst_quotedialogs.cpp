#include "gui/quote/frmquotemem.h"
#include "gui/quote/frmsegmenttax.h"
#include "gui/quote/quotememory.h"
#include "support/child.h"
#include "support/tablerows.h"
#include "support/testservices.h"
#include "support/themes.h"

#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QLocale>
#include <QMessageBox>
#include <QPushButton>
#include <QSet>
#include <QTest>
#include <QTimer>

using namespace Qt::StringLiterals;

namespace {

QString text(const QDialog& dialog, const char* name)
{
    return child<QLineEdit>(dialog, name)->text();
}

// The memory window's final quote, memorized quote and difference.
QString figures(const QDialog& memory)
{
    return text(memory, "TxtFinalQuote") + u' ' + text(memory, "TxtMemQuote") + u' ' +
           text(memory, "TxtQuoteDiff");
}

QColor textColour(const QDialog& dialog, const char* name)
{
    return child<QLineEdit>(dialog, name)->palette().color(QPalette::Text);
}

} // namespace

class TestQuoteDialogs : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates)); }

    // The segment tax window: the segments from the route's passenger legs (or from the row
    // edited, whose text the core reads), two-digit counts typed over and never left empty, the
    // tax priced as they are typed; Save writes the row, Escape cancels.
    void segmentTax_data() { addTableRows(u"gui/quote/segmenttax-keys.txt"_s); }

    void segmentTax()
    {
        QFETCH(QStringList, row);
        const QString& edited = row[1];
        const QString& keys = row[2];
        const QString& saved = row[5];
        TestServices services;
        services.pointer->setBusy();
        FrmSegmentTax tax(2.5, row[0].toInt(), edited.isEmpty() ? QString() : edited);
        QCOMPARE(tax.isEditingExisting(), !edited.isEmpty());
        QCOMPARE(text(tax, "TxtTaxSegment"), QStringLiteral("2.50"));
        tax.show();
        QVERIFY(QTest::qWaitForWindowActive(&tax));
        QVERIFY(!services.pointer->isBusy());
        auto* pax = child<QLineEdit>(tax, "TxtNoPax");
        pax->setFocus();
        QTRY_VERIFY(pax->hasFocus());
        for (const QChar key : keys)
            QTest::keyClick(pax,
                            key == u'\b'     ? Qt::Key_Backspace
                            : key == u'\x1b' ? Qt::Key_Escape
                                             : Qt::Key(key.toUpper().unicode()),
                            Qt::NoModifier);
        QCOMPARE(text(tax, "TxtNoPax") + u' ' + text(tax, "TxtNoSegments"), row[3]);
        QCOMPARE(tax.totalText(), row[4]);
        if (keys == u"\x1b") {
            QVERIFY(!tax.isVisible() && !tax.isSaved());
            QCOMPARE(tax.result(), int(QDialog::Rejected));
            return;
        }
        QCOMPARE(text(tax, "TxtTotSegTax"), tax.totalText());
        QCOMPARE(child<QPushButton>(tax, "CmdSave")->isEnabled(), !saved.isEmpty());
        if (saved.isEmpty())
            return;
        QTest::mouseClick(child<QPushButton>(tax, "CmdSave"), Qt::LeftButton);
        QVERIFY(tax.isSaved());
        QCOMPARE(tax.result(), int(QDialog::Accepted));
        QCOMPARE(tax.chargeText(), saved);
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
        QTest::addColumn<int>("key"); // with its modifiers
        QTest::addColumn<int>("answer");

        using B = Platform::Button;
        QTest::newRow("O") << int(B::Ok | B::Cancel) << int(Qt::Key_O) << int(B::Ok);
        QTest::newRow("Alt+Y") << int(B::Yes | B::No | B::Cancel)
                               << (Qt::AltModifier | Qt::Key_Y).toCombined() << int(B::Yes);
        QTest::newRow("C") << int(B::Ok | B::Yes | B::No | B::Cancel) << int(Qt::Key_C)
                           << int(B::Cancel);
    }

    void messageBoxButtonsAnswerTheirAccessKeys()
    {
        QFETCH(int, buttons);
        QFETCH(int, key);
        QSet<QString> keys; // the buttons' access keys, each once
        QTimer::singleShot(0, this, [&] {
            auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
            if (!box)
                return;
            static_cast<void>(QTest::qWaitFor([box] { return box->isActiveWindow(); }));
            for (QAbstractButton* button : box->buttons())
                keys << QKeySequence::mnemonic(button->text()).toString();
            const auto typed = QKeyCombination::fromCombined(key);
            QTest::keyClick(QApplication::focusWidget(), typed.key(), typed.keyboardModifiers());
            if (box->isVisible()) // the key did nothing: the box is closed as Escape does
                box->reject();
        });
        const Platform::Button answered = Platform::qtServices().prompter->ask(Platform::Message{
            Platform::Icon::Question, QStringLiteral("Delete Airport"), QStringLiteral("Delete?"),
            Platform::Buttons(buttons), Platform::Button::Cancel});
        QTEST(int(answered), "answer");
        keys.remove(QString());
        QCOMPARE(keys.size(), QString::number(buttons, 2).count(u'1'));
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
            QCOMPARE(figures(memory), u"3,583.14 0.00 3,583.14"_s);
            QTest::mouseClick(child<QPushButton>(memory, "CmdSave"), Qt::LeftButton);
            QCOMPARE(memorizedQuote(), 3583.14);
            QCOMPARE(figures(memory), u"3,583.14 3,583.14 0.00"_s);
            QVERIFY(memory.isVisible());
        }
        FrmQuoteMem memory(QStringLiteral("3,000.00"));
        QCOMPARE(figures(memory), u"3,000.00 3,583.14 -583.14"_s);
        QCOMPARE(textColour(memory, "TxtQuoteDiff"), darkRed);
        // The figures stay readable after a switch to a dark theme while the window is open.
        memory.show();
        QVERIFY(QTest::qWaitForWindowExposed(&memory));
        const QPalette light = QApplication::palette();
        QApplication::setPalette(darkPalette());
        QTRY_COMPARE(memory.palette().color(QPalette::Base), QColor(42, 42, 42));
        for (const char* name : {"TxtFinalQuote", "TxtMemQuote", "TxtQuoteDiff"})
            QVERIFY2(readsOn(textColour(memory, name),
                             child<QLineEdit>(memory, name)->palette().color(QPalette::Base)),
                     name);
        QApplication::setPalette(light);

        memorizedQuote() = -10.0;
        FrmQuoteMem negative(QStringLiteral("-25.50"));
        QCOMPARE(textColour(negative, "TxtMemQuote"), darkRed);
        QCOMPARE(figures(negative), u"-25.50 -10.00 -15.50"_s);
        memorizedQuote() = 0.0;
    }
};

QTEST_MAIN(TestQuoteDialogs)
#include "tst_quotedialogs.moc"
