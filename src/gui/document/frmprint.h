#pragma once

#include "core/document/customerfields.h"
#include "core/document/quotedata.h"
#include "core/document/remarks.h"

#include <QDialog>
#include <QPageLayout>
#include <QString>

#include <array>

#include <functional>
#include <optional>

class DateField;
struct PrintDialogState;
class QCalendarWidget;
class QCheckBox;
class QCompleter;
class QLabel;
class QStandardItemModel;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;

// The print window: what the quote document needs beyond the quote itself (the
// customer, the dates, remarks, who quoted and whether the company header is
// printed), then printing, or writing the quote to a text file or a PDF document.
// Its fields are remembered in printDialogState() whenever it closes. The customer's
// name proposes the customers of the kept quotes; the quote can be sent by e-mail.
// A quote already handed out is shown as it was: its fields read-only, its documents
// made from the quote as kept, and nothing remembered.
class FrmPrint : public QDialog
{
    Q_OBJECT

public:
    // `quote` gives the main window's quote at the moment of printing; the window
    // adds its own fields to it.
    explicit FrmPrint(std::function<QuoteData()> quote, QWidget* parent = nullptr);
    // The quote exactly as it was handed out, to print, save or send it again.
    explicit FrmPrint(const QuoteData& handedOut, QWidget* parent = nullptr);

    void done(int result) override;
    // Opens with Send by E-mail ready for Enter (the main window's Send by E-mail).
    void offerMail();

signals:
    // The operator said the e-mail with the quote went out; the quote as it was sent.
    void quoteSent(const QuoteData& quote);

public slots:
    void Form_Load();
    void Form_Paint();
    void Form_Unload();
    void CmdPrint_Click();
    void CmdPrintFile_Click();
    void CmdClear_Click();
    // Writes the quote's PDF into the quotes folder and hands it to the mail program.
    void CmdMail_Click();
    void CmdCancel_Click();
    void CmdPreview_Click();
    void PrintQuoteToFile();
    void DCDateFlight_Change();
    void DCDateFlight_ButtonClick();
    void DCDateReturn_ButtonClick();
    void MonthView1_DateClick(const QDate& date);
    void MonthView1_SelChange();
    void MonthView1_LostFocus();
    void TxtQuoteRemarks_Change();
    void TxtCustomerName_Change(const QString& text);
    void TxtCustomerName_Pick(const QModelIndex& index);

protected:
    void paintEvent(QPaintEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    // Enter in the remarks.
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    // The print command's date check; false (after the message) when it fails.
    bool datesComplete();
    QuoteData quoteData() const;
    // Shows the fields' values of `state`, as the window opens.
    void showState(const PrintDialogState& state);
    void showFailure(int number, const QString& description);
    // Runs a print or file job; a failure is reported, and the dialog closes either way.
    void finishJob(const std::function<void()>& job);
    void openCalendar(DateField* target);
    QString remarks() const;
    // The customer book's proposals for the name's first letters; none without a book.
    QList<QuoteData::Customer> customerProposals(const QString& prefix) const;

    std::function<QuoteData()> m_quote;
    std::optional<QuoteData> m_handedOut; // the quote shown as it was handed out
    // The page of the printer chosen in the print dialog before the file was asked
    // for; none when the file was the first choice.
    std::optional<QPageLayout> m_chosenPage;
    DateField* m_calendarTarget = nullptr; // CalendarTarget
    bool m_settingUpCalendar = false;
    int m_remarksLimit = Remarks::Line; // counted with the line break as two characters

    DateField* m_DCDateFlight = nullptr;
    DateField* m_DCDateReturn = nullptr;
    QLineEdit* m_TxtQuotedBy = nullptr;
    QCheckBox* m_ChkComp = nullptr;
    QCheckBox* m_ChkMap = nullptr;
    QPushButton* m_CmdPreview = nullptr;
    // TxtCustomerName ... TxtCustomerEmail, as PrintFields::Customer lists them.
    std::array<QLineEdit*, PrintFields::CustomerCount> m_customerFields{};
    QPlainTextEdit* m_TxtQuoteRemarks = nullptr;
    QPushButton* m_CmdPrint = nullptr;
    QPushButton* m_CmdPrintFile = nullptr;
    QPushButton* m_CmdClear = nullptr;
    QPushButton* m_CmdMail = nullptr;
    QPushButton* m_CmdCancel = nullptr;
    QLabel* m_LblFileHint = nullptr;
    QCalendarWidget* m_MonthView1 = nullptr;
    QCompleter* m_customerCompleter = nullptr;
    QStandardItemModel* m_customerModel = nullptr;
    QList<QuoteData::Customer> m_proposals; // the rows of m_customerModel
};
