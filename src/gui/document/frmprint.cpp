#include "gui/document/frmprint.h"

#include "core/document/printdates.h"
#include "core/errortext.h"
#include "core/format.h"
#include "core/register/customerbook.h"
#include "core/register/quotemail.h"
#include "core/settings/appsettings.h"
#include "gui/appcontext.h"
#include "gui/document/datefield.h"
#include "gui/document/printdialogstate.h"
#include "gui/document/printjob.h"
#include "gui/platform/accesskeys.h"
#include "gui/platform/platform.h"

#include <QCalendarWidget>
#include <QCheckBox>
#include <QCompleter>
#include <QCoreApplication>
#include <QDir>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPrintPreviewDialog>
#include <QPrinter>
#include <QPushButton>
#include <QStandardItemModel>
#include <QTextCursor>
#include <QVBoxLayout>

#include <algorithm>
#include <exception>

namespace {

const QString TextFilter = QStringLiteral("Text File (*.txt)");
const QString PdfFilter = QStringLiteral("PDF Document (*.pdf)");
const QString MailTitle = QStringLiteral("Send by E-mail");

// A proposal's name (what the name field takes) and its place in the list.
constexpr int ProposalName = Qt::UserRole;
constexpr int ProposalRow = Qt::UserRole + 1;

// Where a field sits in its frame's grid: the caption left of it, the field taking
// `span` columns.
struct GridPlace
{
    int row, column, span;
};

// The customer's fields in reading order, which is their Tab order: each row left to
// right, so an address typed from top to bottom lands in the fields it belongs in.
constexpr GridPlace CustomerPlaces[PrintFields::CustomerCount] = {
    {0, 1, 5}, // name
    {1, 1, 5}, // address 1
    {2, 1, 5}, // address 2
    {3, 1, 1}, // city
    {3, 3, 3}, // state
    {4, 1, 1}, // country
    {4, 3, 3}, // zip code
    {5, 1, 1}, // phone
    {5, 3, 3}, // fax
    {6, 1, 5}, // e-mail
};

QLineEdit* addField(QGridLayout* grid, const PrintField& text, GridPlace place)
{
    auto* field = new QLineEdit;
    field->setObjectName(QString(text.controlName));
    field->setMaxLength(text.length);
    if (text.length <= 8) // the state and the zip code need no room to spare
        field->setMaximumWidth(field->fontMetrics().averageCharWidth() * (text.length + 6));
    if (text.caption.isEmpty()) {
        field->setAccessibleName(QStringLiteral("Address line 2"));
    } else {
        const QString caption(text.caption);
        field->setAccessibleName(caption);
        auto* label = new QLabel(caption);
        label->setBuddy(field);
        grid->addWidget(label, place.row, place.column - 1);
    }
    grid->addWidget(field, place.row, place.column, 1, place.span);
    return field;
}

DateField* addDateField(QGridLayout* grid, int row, const QString& caption, const char* name)
{
    auto* field = new DateField;
    field->setObjectName(QLatin1String(name));
    field->setAccessibleName(caption);
    field->lineEdit()->setAccessibleName(caption);
    auto* label = new QLabel(caption);
    label->setBuddy(field);
    grid->addWidget(label, row, 0);
    grid->addWidget(field, row, 1);
    return field;
}

QPushButton* addButton(QHBoxLayout* row, const QString& caption, const char* name)
{
    auto* button = new QPushButton(caption);
    button->setObjectName(QLatin1String(name));
    // No button is the default, so Enter in a field never starts printing.
    button->setAutoDefault(false);
    row->addWidget(button);
    return button;
}

} // namespace

FrmPrint::FrmPrint(std::function<QuoteData()> quote, QWidget* parent)
    : QDialog(parent), m_quote(std::move(quote))
{
    AccessKeys::runAtOnce();
    setObjectName(QStringLiteral("FrmPrint"));
    setWindowTitle(QStringLiteral("Print Quote"));
    setModal(true);

    auto* quoteFrame = new QGroupBox(QStringLiteral("Quote Information"));
    auto* quoteGrid = new QGridLayout(quoteFrame);
    m_DCDateFlight = addDateField(quoteGrid, 0, QStringLiteral("Departure Date:"), "DCDateFlight");
    m_DCDateReturn = addDateField(quoteGrid, 1, QStringLiteral("Return Date:"), "DCDateReturn");
    m_TxtQuotedBy = addField(quoteGrid, PrintFields::QuotedBy, {0, 3, 1});
    const QString companyCaption = QStringLiteral("Print Company Information: ");
    m_ChkComp = new QCheckBox;
    m_ChkComp->setObjectName(QStringLiteral("ChkComp"));
    m_ChkComp->setAccessibleName(companyCaption);
    m_ChkComp->setToolTip(QStringLiteral(
        "Select this option to Print a header with your Company Information from Settings"));
    auto* companyLabel = new QLabel(companyCaption);
    companyLabel->setBuddy(m_ChkComp);
    companyLabel->setToolTip(m_ChkComp->toolTip());
    quoteGrid->addWidget(companyLabel, 1, 2);
    quoteGrid->addWidget(m_ChkComp, 1, 3);
    const QString mapCaption = QStringLiteral("Print Route &Map: ");
    m_ChkMap = new QCheckBox;
    m_ChkMap->setObjectName(QStringLiteral("ChkMap"));
    m_ChkMap->setAccessibleName(QStringLiteral("Print Route Map: "));
    m_ChkMap->setToolTip(QStringLiteral("Select this option to end the quote with a map of the "
                                        "route"));
    auto* mapLabel = new QLabel(mapCaption);
    mapLabel->setBuddy(m_ChkMap);
    mapLabel->setToolTip(m_ChkMap->toolTip());
    quoteGrid->addWidget(mapLabel, 2, 2);
    quoteGrid->addWidget(m_ChkMap, 2, 3);

    auto* customerFrame = new QGroupBox(QStringLiteral("Customer Information"));
    auto* grid = new QGridLayout(customerFrame);
    for (int i = 0; i < PrintFields::CustomerCount; ++i)
        m_customerFields[i] = addField(grid, PrintFields::Customer[i], CustomerPlaces[i]);

    auto* remarksFrame = new QGroupBox(QStringLiteral("Remarks"));
    m_TxtQuoteRemarks = new QPlainTextEdit;
    m_TxtQuoteRemarks->setObjectName(QStringLiteral("TxtQuoteRemarks"));
    m_TxtQuoteRemarks->setAccessibleName(QStringLiteral("Remarks"));
    m_TxtQuoteRemarks->setTabChangesFocus(true);
    m_TxtQuoteRemarks->setLineWrapMode(QPlainTextEdit::NoWrap);
    m_TxtQuoteRemarks->setMinimumWidth(m_TxtQuoteRemarks->fontMetrics().averageCharWidth() *
                                       (Remarks::Line + 4));
    m_TxtQuoteRemarks->setFixedHeight(m_TxtQuoteRemarks->fontMetrics().lineSpacing() * 3 + 12);
    m_TxtQuoteRemarks->installEventFilter(this);
    (new QVBoxLayout(remarksFrame))->addWidget(m_TxtQuoteRemarks);

    auto* buttons = new QHBoxLayout;
    m_CmdPrint = addButton(buttons, QStringLiteral("&Print"), "CmdPrint");
    m_CmdPreview = addButton(buttons, QStringLiteral("Pre&view..."), "CmdPreview");
    m_CmdPreview->setToolTip(QStringLiteral("See the quote page by page as it will print"));
    m_CmdPrintFile = addButton(buttons, QStringLiteral("Save to &File..."), "CmdPrintFile");
    m_CmdPrintFile->setToolTip(QStringLiteral("Write the quote to a text file or a PDF document"));
    m_CmdMail = addButton(buttons, QStringLiteral("Send by &E-mail..."), "CmdMail");
    m_CmdMail->setToolTip(QStringLiteral("Save the quote as a PDF document in the quotes folder "
                                         "and attach it to a new e-mail to the customer"));
    m_CmdClear = addButton(buttons, QStringLiteral("Clear &Data"), "CmdClear");
    m_CmdCancel = addButton(buttons, QStringLiteral("&Cancel"), "CmdCancel");
    m_LblFileHint =
        new QLabel(QStringLiteral("To write the quote to a text file or a PDF document, "
                                  "use Save to File or the print dialog's Print to "
                                  "File."));
    m_LblFileHint->setObjectName(QStringLiteral("LblFileHint"));

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(quoteFrame);
    layout->addWidget(customerFrame);
    layout->addWidget(remarksFrame);
    layout->addLayout(buttons);
    layout->addWidget(m_LblFileHint);

    // Shown on demand just below a date field; it closes when it loses the focus.
    m_MonthView1 = new QCalendarWidget(this);
    m_MonthView1->setObjectName(QStringLiteral("MonthView1"));
    m_MonthView1->setWindowFlags(Qt::Popup);
    m_MonthView1->hide();

    // "Name — City" in the list; picking one fills every customer field.
    m_customerModel = new QStandardItemModel(this);
    m_customerCompleter = new QCompleter(m_customerModel, this);
    m_customerCompleter->setCompletionRole(ProposalName);
    m_customerCompleter->setCaseSensitivity(Qt::CaseInsensitive);
    m_customerFields[0]->setCompleter(m_customerCompleter);

    QList<QWidget*> order = {m_DCDateFlight, m_DCDateReturn, m_TxtQuotedBy, m_ChkComp, m_ChkMap};
    for (QLineEdit* field : m_customerFields)
        order << field;
    order << m_TxtQuoteRemarks << m_CmdPrint << m_CmdPreview << m_CmdPrintFile << m_CmdMail
          << m_CmdClear << m_CmdCancel;
    for (qsizetype i = 1; i < order.size(); ++i)
        setTabOrder(order[i - 1], order[i]);

    connect(m_CmdPrint, &QPushButton::clicked, this, &FrmPrint::CmdPrint_Click);
    connect(m_CmdPreview, &QPushButton::clicked, this, &FrmPrint::CmdPreview_Click);
    connect(m_CmdPrintFile, &QPushButton::clicked, this, &FrmPrint::CmdPrintFile_Click);
    connect(m_CmdMail, &QPushButton::clicked, this, &FrmPrint::CmdMail_Click);
    connect(m_CmdClear, &QPushButton::clicked, this, &FrmPrint::CmdClear_Click);
    connect(m_CmdCancel, &QPushButton::clicked, this, &FrmPrint::CmdCancel_Click);
    connect(m_DCDateFlight, &DateField::valueChanged, this, &FrmPrint::DCDateFlight_Change);
    connect(m_DCDateFlight, &DateField::buttonClicked, this, &FrmPrint::DCDateFlight_ButtonClick);
    connect(m_DCDateReturn, &DateField::buttonClicked, this, &FrmPrint::DCDateReturn_ButtonClick);
    connect(m_MonthView1, &QCalendarWidget::clicked, this, &FrmPrint::MonthView1_DateClick);
    connect(m_MonthView1, &QCalendarWidget::activated, this, &FrmPrint::MonthView1_DateClick);
    connect(m_MonthView1, &QCalendarWidget::selectionChanged, this,
            &FrmPrint::MonthView1_SelChange);
    connect(m_TxtQuoteRemarks, &QPlainTextEdit::textChanged, this,
            &FrmPrint::TxtQuoteRemarks_Change);
    connect(m_customerFields[0], &QLineEdit::textEdited, this, &FrmPrint::TxtCustomerName_Change);
    connect(m_customerCompleter, qOverload<const QModelIndex&>(&QCompleter::activated), this,
            &FrmPrint::TxtCustomerName_Pick);

    Form_Load();
}

FrmPrint::FrmPrint(const QuoteData& handedOut, QWidget* parent)
    : FrmPrint(std::function<QuoteData()>(), parent)
{
    m_handedOut = handedOut;
    setWindowTitle(QStringLiteral("Print Quote %1").arg(handedOut.numberText()));
    PrintDialogState state;
    state.DepartureDate = PrintDates::stored(handedOut.departureDate);
    state.ReturnDate = PrintDates::stored(handedOut.returnDate);
    state.QuotedBy = handedOut.quotedBy;
    state.PrintCompany = handedOut.printCompany;
    state.Customer = handedOut.customer;
    state.Remarks = handedOut.remarks;
    showState(state);

    m_DCDateFlight->setReadOnly(true);
    m_DCDateReturn->setReadOnly(true);
    m_TxtQuotedBy->setReadOnly(true);
    for (QLineEdit* field : m_customerFields)
        field->setReadOnly(true);
    m_TxtQuoteRemarks->setReadOnly(true);
    m_TxtQuoteRemarks->setTextInteractionFlags(Qt::TextSelectableByKeyboard |
                                               Qt::TextSelectableByMouse);
    m_ChkComp->installEventFilter(this);
    m_CmdClear->hide();
    m_LblFileHint->setText(QStringLiteral("The quote as it was handed out. To change it, revise or "
                                          "duplicate it in the quote register."));
}

void FrmPrint::Form_Load()
{
    showState(printDialogState());
}

void FrmPrint::showState(const PrintDialogState& state)
{
    const QDate today = Platform::clock().today();
    const QString format = PrintDates::displayFormat(today);
    m_DCDateFlight->setDisplayFormat(format);
    m_DCDateReturn->setDisplayFormat(format);

    // Limits before values, so that the old limits never move a remembered date.
    const std::optional<QDate> departure = PrintDates::fromStored(state.DepartureDate);
    m_DCDateFlight->setLimits(PrintDates::departure(departure.value_or(today)));
    m_DCDateFlight->setValue(departure);

    // A return date is kept only together with its departure date.
    const std::optional<QDate> returnDate = PrintDates::fromStored(state.ReturnDate);
    m_DCDateReturn->setLimits(PrintDates::returnDate(m_DCDateFlight->limits(), departure));
    m_DCDateReturn->setValue(departure ? returnDate : std::nullopt);

    m_TxtQuotedBy->setText(state.QuotedBy);
    for (int i = 0; i < PrintFields::CustomerCount; ++i)
        m_customerFields[i]->setText(state.Customer.*PrintFields::Customer[i].data);
    const QString remarks = Remarks::shown(state.Remarks);
    // Remembered remarks of two lines keep the limit their line break gave them.
    m_remarksLimit = Remarks::limitWith(remarks.indexOf(QLatin1Char('\n')));
    m_TxtQuoteRemarks->setPlainText(remarks);
    m_ChkComp->setChecked(state.PrintCompany);
    m_ChkMap->setChecked(printDialogState().PrintMap);
}

// The menu command set the busy pointer before opening the window.
void FrmPrint::Form_Paint()
{
    Platform::pointer().setNormal();
}

void FrmPrint::Form_Unload()
{
    // Closing the window is no time to argue over a date: a typed date that is
    // refused gives way to the one the field held.
    m_DCDateFlight->commit(DateField::OnRefusal::Drop);
    m_DCDateReturn->commit(DateField::OnRefusal::Drop);
    PrintDialogState& state = printDialogState();
    state.DepartureDate = PrintDates::stored(m_DCDateFlight->value());
    state.ReturnDate = PrintDates::stored(m_DCDateReturn->value());
    state.QuotedBy = m_TxtQuotedBy->text();
    state.PrintCompany = m_ChkComp->isChecked();
    state.PrintMap = m_ChkMap->isChecked();
    for (int i = 0; i < PrintFields::CustomerCount; ++i)
        state.Customer.*PrintFields::Customer[i].data = m_customerFields[i]->text();
    state.Remarks = remarks();
}

// Every close (Cancel, Esc, the close box, the end of printing) passes here.
void FrmPrint::done(int result)
{
    if (!m_handedOut)
        Form_Unload();
    QDialog::done(result);
}

void FrmPrint::CmdPrint_Click()
{
    if (!datesComplete())
        return;
    hide();
    QPrinter printer(QPrinter::HighResolution);
    // The print dialog and the print queue show what the job is.
    printer.setDocName(PrintJob::documentName(quoteData()));
    const Platform::PrintChoice choice =
        Platform::printChooser().choosePrinter(parentWidget() ? parentWidget() : this, printer);
    Platform::pointer().setBusy();
    // Lets the main window repaint where the dialogs were before composing starts.
    QCoreApplication::processEvents();
    switch (choice) {
    case Platform::PrintChoice::Cancelled:
        Platform::pointer().setNormal();
        reject();
        return;
    case Platform::PrintChoice::ToFile:
        if (printer.outputFormat() == QPrinter::PdfFormat && !printer.outputFileName().isEmpty()) {
            // The dialog's PDF file printer named the file already, and its page.
            const QString path = printer.outputFileName();
            finishJob([&] { PrintJob::writePdf(path, quoteData(), printer.pageLayout()); });
            return;
        }
        m_chosenPage = printer.pageLayout();
        PrintQuoteToFile();
        return;
    case Platform::PrintChoice::Printer:
        break;
    }
    finishJob([&] { PrintJob::printDocument(printer, quoteData()); });
}

// The document as it will print, page by page, on the paper of the user's locale. The
// preview's own Print is this window's Print, so that the quote is kept and numbered
// before it goes out, whichever button sent it.
void FrmPrint::CmdPreview_Click()
{
    if (!datesComplete())
        return;
    QPrinter printer(QPrinter::HighResolution);
    printer.setPageSize(PrintJob::localePaper());
    printer.setDocName(PrintJob::documentName(quoteData()));
    QPrintPreviewDialog preview(&printer, this);
    preview.setObjectName(QStringLiteral("PrintPreview"));
    preview.setWindowTitle(QStringLiteral("Print Preview"));
    std::optional<PrintJob::PrintError> failure;
    connect(&preview, &QPrintPreviewDialog::paintRequested, this, [&](QPrinter* device) {
        try {
            PrintJob::compose(*device, quoteData());
        } catch (const PrintJob::PrintError& error) {
            failure = error;
        }
    });
    bool print = false;
    for (QAction* action : preview.findChildren<QAction*>()) {
        if (action->text().remove(QLatin1Char('&')) != u"Print")
            continue;
        disconnect(action, &QAction::triggered, nullptr, nullptr);
        connect(action, &QAction::triggered, &preview, [&] {
            print = true;
            preview.reject();
        });
    }
    preview.exec();
    if (failure)
        showFailure(failure->number(), failure->description());
    else if (print)
        m_CmdPrint->click();
}

void FrmPrint::finishJob(const std::function<void()>& job)
{
    try {
        job();
    } catch (const PrintJob::PrintError& error) {
        showFailure(error.number(), error.description());
        reject();
        return;
    } catch (const std::exception& error) {
        showFailure(0, QString::fromLocal8Bit(error.what()));
        reject();
        return;
    }
    Platform::pointer().setNormal();
    accept();
}

void FrmPrint::CmdPrintFile_Click()
{
    if (!datesComplete())
        return;
    hide();
    m_chosenPage.reset();
    PrintQuoteToFile();
}

void FrmPrint::PrintQuoteToFile()
{
    // The operator works in the save dialog with the normal pointer.
    Platform::pointer().setNormal();
    const auto answer =
        Platform::fileChooser().saveFile(parentWidget() ? parentWidget() : this,
                                         Platform::SaveFileRequest{QStringLiteral("Print to File"),
                                                                   {TextFilter, PdfFilter},
                                                                   QStringLiteral("txt"),
                                                                   QString()});
    if (!answer) {
        reject();
        return;
    }
    Platform::pointer().setBusy();
    finishJob([&] {
        const QuoteData quote = quoteData();
        if (answer->path.endsWith(QLatin1String(".pdf"), Qt::CaseInsensitive) ||
            answer->filter == PdfFilter)
            PrintJob::writePdf(answer->path, quote, m_chosenPage);
        else
            PrintJob::writeTextFile(answer->path, quote);
    });
}

void FrmPrint::CmdClear_Click()
{
    m_TxtQuotedBy->clear();
    for (QLineEdit* field : m_customerFields)
        field->clear();
    m_TxtQuoteRemarks->clear();
    m_DCDateFlight->clear();
    m_DCDateReturn->clear();
    m_DCDateFlight->setFocus();
}

void FrmPrint::offerMail()
{
    m_CmdMail->setFocus();
}

void FrmPrint::CmdMail_Click()
{
    if (!datesComplete())
        return;
    const QuoteData quote = quoteData();
    const QString folder = QuoteMail::folder(appContext().ProgramFolder);
    const QString path = QuoteMail::pdfPath(appContext().ProgramFolder, quote);
    Platform::pointer().setBusy();
    try {
        QDir().mkpath(folder);
        PrintJob::writePdf(path, quote);
    } catch (const PrintJob::PrintError& error) {
        showFailure(error.number(), error.description());
        return;
    } catch (const std::exception& error) {
        showFailure(0, QString::fromLocal8Bit(error.what()));
        return;
    }
    Platform::pointer().setNormal();

    const QuoteMail::Parts parts = QuoteMail::parts(quote);
    const QString shownPath = QDir::toNativeSeparators(path);
    if (!Platform::mailer().compose(QuoteMail::mailArguments(
            QuoteMail::fill(appSettings().MAILSUBJECT, parts),
            QuoteMail::fill(appSettings().MAILBODY, parts), path, quote.customer.Email))) {
        Platform::prompter().inform(
            Platform::Icon::Exclamation, MailTitle,
            QStringLiteral("No mail program could be started.\r\rThe quote is saved as\r%1\r\r"
                           "Attach it to an e-mail to the customer.")
                .arg(shownPath));
        Platform::shell().open(folder);
        reject(); // not handed out yet: the operator sends the file
        return;
    }
    const Platform::Button answer = Platform::prompter().question(
        MailTitle, QStringLiteral("Did the e-mail with the quote go?\r\r%1").arg(shownPath),
        Platform::Button::Yes | Platform::Button::No, Platform::Button::Yes);
    // Accepted only when the mail went, so that the quote counts as sent.
    if (answer != Platform::Button::Yes)
        return reject();
    accept();
    emit quoteSent(quote);
}

void FrmPrint::CmdCancel_Click()
{
    reject();
}

// A return date never lies before the departure.
void FrmPrint::DCDateFlight_Change()
{
    const std::optional<QDate> departure = m_DCDateFlight->value();
    if (!departure)
        return;
    // The return date moves along with its new first date.
    m_DCDateReturn->setLimits(PrintDates::returnDate(m_DCDateFlight->limits(), departure));
}

void FrmPrint::DCDateFlight_ButtonClick()
{
    openCalendar(m_DCDateFlight);
}

void FrmPrint::DCDateReturn_ButtonClick()
{
    openCalendar(m_DCDateReturn);
}

void FrmPrint::openCalendar(DateField* target)
{
    if (m_MonthView1->isVisible())
        return;
    m_calendarTarget = target;
    m_MonthView1->adjustSize();
    m_MonthView1->move(target->mapToGlobal(QPoint(0, target->height())));

    // Setting the calendar up is no choice of the operator's.
    m_settingUpCalendar = true;
    m_MonthView1->setDateRange(target->minimum(), target->maximum());
    const QDate today = Platform::clock().today();
    QDate shown = today;
    if (target->value())
        shown = *target->value();
    else if (target == m_DCDateReturn && m_DCDateFlight->value())
        shown = *m_DCDateFlight->value();
    else if (target == m_DCDateReturn && today <= m_MonthView1->minimumDate())
        shown = m_MonthView1->minimumDate();
    m_MonthView1->setSelectedDate(shown);
    m_settingUpCalendar = false;

    m_MonthView1->show();
    m_MonthView1->raise();
    m_MonthView1->setFocus();
}

void FrmPrint::MonthView1_DateClick(const QDate& date)
{
    if (!m_calendarTarget)
        return;
    m_calendarTarget->setValue(date);
    MonthView1_LostFocus();
    m_calendarTarget->setFocus();
}

// Moving through the calendar with the keys shows the date in the field at once.
void FrmPrint::MonthView1_SelChange()
{
    if (m_settingUpCalendar || !m_calendarTarget || !m_MonthView1->isVisible())
        return;
    m_calendarTarget->setValue(m_MonthView1->selectedDate());
}

void FrmPrint::MonthView1_LostFocus()
{
    m_MonthView1->hide();

    // "Name — City" in the list; picking one fills every customer field.
    m_customerModel = new QStandardItemModel(this);
    m_customerCompleter = new QCompleter(m_customerModel, this);
    m_customerCompleter->setCompletionRole(ProposalName);
    m_customerCompleter->setCaseSensitivity(Qt::CaseInsensitive);
    m_customerFields[0]->setCompleter(m_customerCompleter);
}

void FrmPrint::TxtQuoteRemarks_Change()
{
    const QString text = m_TxtQuoteRemarks->toPlainText();
    const qsizetype lineBreak = text.indexOf(QLatin1Char('\n'));
    QTextCursor cursor = m_TxtQuoteRemarks->textCursor();
    const int limitBefore = m_remarksLimit;
    m_remarksLimit = Remarks::limitAfter(text, limitBefore);
    if (lineBreak < 0 && limitBefore > Remarks::Line) {
        // The line break was deleted: one line again, cut to its length.
        if (text.size() > Remarks::Line) {
            cursor.setPosition(Remarks::Line);
            cursor.movePosition(QTextCursor::End, QTextCursor::KeepAnchor);
            cursor.removeSelectedText();
        }
        return;
    }
    if (lineBreak >= 0) {
        // A pasted line break counts as a typed one; a second one becomes a blank.
        const qsizetype second = text.indexOf(QLatin1Char('\n'), lineBreak + 1);
        if (second >= 0) {
            QTextCursor extra(m_TxtQuoteRemarks->document());
            extra.setPosition(int(second));
            extra.setPosition(int(second) + 1, QTextCursor::KeepAnchor);
            extra.insertText(QStringLiteral(" "));
            return;
        }
    }
    // What goes past the limit is what was just typed or pasted, before the caret.
    const int excess = Remarks::excess(text, m_remarksLimit);
    if (excess > 0) {
        const int end = cursor.position();
        cursor.setPosition(std::max(0, end - excess));
        cursor.setPosition(end, QTextCursor::KeepAnchor);
        cursor.removeSelectedText();
    }
}

void FrmPrint::TxtCustomerName_Change(const QString& text)
{
    m_proposals =
        text.trimmed().isEmpty() ? QList<QuoteData::Customer>() : customerProposals(text.trimmed());
    m_customerModel->clear();
    for (qsizetype row = 0; row < m_proposals.size(); ++row) {
        const QuoteData::Customer& customer = m_proposals[row];
        auto* item = new QStandardItem(customer.City.isEmpty()
                                           ? customer.Name
                                           : customer.Name + QStringLiteral(" — ") + customer.City);
        item->setData(customer.Name, ProposalName);
        item->setData(int(row), ProposalRow);
        m_customerModel->appendRow(item);
    }
}

void FrmPrint::TxtCustomerName_Pick(const QModelIndex& index)
{
    const int row = index.data(ProposalRow).toInt();
    if (row < 0 || row >= m_proposals.size())
        return;
    const QuoteData::Customer customer = m_proposals[row];
    for (int i = 0; i < PrintFields::CustomerCount; ++i)
        m_customerFields[i]->setText(customer.*PrintFields::Customer[i].data);
}

QList<QuoteData::Customer> FrmPrint::customerProposals(const QString& prefix) const
{
    const AppContext& context = appContext();
    if (!context.Workspace || context.DatabasePath.isEmpty())
        return {};
    try {
        return CustomerBook(*context.Workspace, context.DatabasePath).proposals(prefix);
    } catch (const std::exception&) {
        // Proposals are a help to typing; a book that cannot be read offers none.
        return {};
    }
}

void FrmPrint::paintEvent(QPaintEvent* event)
{
    Form_Paint();
    QDialog::paintEvent(event);
}

void FrmPrint::keyPressEvent(QKeyEvent* event)
{
    // Enter works the button that has the focus and does nothing in a field.
    if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) {
        if (auto* button = qobject_cast<QPushButton*>(focusWidget()))
            button->click();
        event->accept();
        return;
    }
    QDialog::keyPressEvent(event);
}

bool FrmPrint::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == m_ChkComp) {
        // Handed out, the company choice is shown and reached with Tab but not changed.
        switch (event->type()) {
        case QEvent::MouseButtonPress:
        case QEvent::MouseButtonRelease:
        case QEvent::MouseButtonDblClick:
            return true;
        case QEvent::KeyPress:
        case QEvent::KeyRelease: {
            const int key = static_cast<QKeyEvent*>(event)->key();
            return key == Qt::Key_Space || key == Qt::Key_Select;
        }
        default:
            return false;
        }
    }
    if (watched == m_TxtQuoteRemarks && event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent*>(event)->key();
        if (key == Qt::Key_Return || key == Qt::Key_Enter) {
            // One line break at most; the line after it may hold a full line again.
            if (m_TxtQuoteRemarks->toPlainText().contains(QLatin1Char('\n')))
                return true;
            m_remarksLimit = Remarks::limitWith(m_TxtQuoteRemarks->textCursor().position());
        }
    }
    return QDialog::eventFilter(watched, event);
}

bool FrmPrint::datesComplete()
{
    if (m_handedOut)
        return true; // printed with the dates it was handed out with
    if (!m_DCDateFlight->commit() || !m_DCDateReturn->commit())
        return false;
    if (m_DCDateReturn->value() && !m_DCDateFlight->value()) {
        Platform::prompter().inform(Platform::Icon::Exclamation, QStringLiteral("Print Quote"),
                                    QStringLiteral("Need Departure Date with Return Date"));
        m_DCDateFlight->setFocus();
        return false;
    }
    return true;
}

// The map is the operator's choice each time, a quote handed out included: it adds no
// figure.
QuoteData FrmPrint::quoteData() const
{
    if (m_handedOut) {
        QuoteData quote = *m_handedOut;
        quote.printMap = m_ChkMap->isChecked();
        return quote;
    }
    QuoteData quote = m_quote ? m_quote() : QuoteData();
    quote.printMap = m_ChkMap->isChecked();
    if (!quote.today.isValid())
        quote.today = Platform::clock().today();
    quote.printCompany = m_ChkComp->isChecked();
    for (int i = 0; i < PrintFields::CustomerCount; ++i)
        quote.customer.*PrintFields::Customer[i].data = m_customerFields[i]->text();
    quote.departureDate = m_DCDateFlight->value();
    quote.returnDate = m_DCDateReturn->value();
    quote.remarks = remarks();
    quote.quotedBy = m_TxtQuotedBy->text();
    return quote;
}

void FrmPrint::showFailure(int number, const QString& description)
{
    Platform::pointer().setNormal();
    Platform::prompter().inform(
        Platform::Icon::Critical, QStringLiteral("Brisklander"),
        QStringLiteral("An Error Occurred:\r\r") +
            ErrorText::lines(number, description, QStringLiteral("Error Number = ")));
}

// The remarks as they are kept and printed: the line break as carriage return and line feed.
QString FrmPrint::remarks() const
{
    return Remarks::stored(m_TxtQuoteRemarks->toPlainText());
}
