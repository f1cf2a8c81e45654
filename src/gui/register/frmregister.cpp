#include "gui/register/frmregister.h"

#include "core/db/dberror.h"
#include "core/folder/durablefile.h"
#include "core/register/quotecsv.h"
#include "gui/appcontext.h"
#include "gui/document/frmprint.h"
#include "gui/mainwindow/dberrorbox.h"
#include "gui/platform/accesskeys.h"
#include "gui/platform/platform.h"

#include <QComboBox>
#include <QDateEdit>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QInputDialog>
#include <QLabel>
#include <QLineEdit>
#include <QLocale>
#include <QPushButton>
#include <QTableView>
#include <QVBoxLayout>

namespace {

const QString Title = QStringLiteral("Quote Register");
// The earliest day the date fields take stands for no limit.
const QDate NoLimit(2000, 1, 1);

constexpr QuoteStatus Statuses[] = {QuoteStatus::Draft,     QuoteStatus::Sent,
                                    QuoteStatus::Accepted,  QuoteStatus::Declined,
                                    QuoteStatus::Cancelled, QuoteStatus::Expired};

// A quote the customer was given stays as it was given: it opens to be printed again.
bool handedOut(QuoteStatus status)
{
    return status == QuoteStatus::Sent || status == QuoteStatus::Accepted ||
           status == QuoteStatus::Declined;
}

QDateTime now()
{
    return QDateTime(Platform::clock().today(), QTime::currentTime());
}

} // namespace

void RegisterModel::setEntries(const QList<QuoteListEntry>& entries)
{
    beginResetModel();
    m_entries = entries;
    endResetModel();
}

int RegisterModel::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : int(m_entries.size());
}

int RegisterModel::columnCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : COLUMNS;
}

QVariant RegisterModel::data(const QModelIndex& index, int role) const
{
    if (!index.isValid() || index.row() >= m_entries.size())
        return {};
    if (role == Qt::TextAlignmentRole)
        return index.column() == ColumnFinalQuote ? QVariant(Qt::AlignRight | Qt::AlignVCenter)
                                                  : QVariant();
    if (role != Qt::DisplayRole && role != Qt::AccessibleTextRole)
        return {};
    const QuoteListEntry& entry = m_entries.at(index.row());
    switch (index.column()) {
    case ColumnNumber:
        return QuoteData::numberText(entry.number, entry.revision);
    case ColumnDate:
        return QLocale().toString(entry.created.date(), QLocale::ShortFormat);
    case ColumnCustomer:
        return entry.customerName;
    case ColumnRoute:
        return entry.route;
    case ColumnFinalQuote:
        return entry.finalQuote;
    case ColumnStatus:
        return QuoteRules::statusName(entry.shown);
    default:
        return {};
    }
}

QVariant RegisterModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole)
        return QAbstractTableModel::headerData(section, orientation, role);
    static const char* const Captions[] = {"Number", "Date",        "Customer",
                                           "Route",  "Final Quote", "Status"};
    return section >= 0 && section < COLUMNS ? QString::fromLatin1(Captions[section]) : QVariant();
}

FrmRegister::FrmRegister(std::function<void(const KeptQuote&)> open, QWidget* parent)
    : QDialog(parent), m_open(std::move(open))
{
    AccessKeys::runAtOnce();
    setObjectName(QStringLiteral("FrmRegister"));
    setWindowTitle(Title);

    const auto labelled = [this](QGridLayout* grid, int column, const QString& caption,
                                 QWidget* field) {
        auto* label = new QLabel(caption, this);
        label->setBuddy(field);
        field->setAccessibleName(QString(caption).remove(QLatin1Char('&')).remove(u':'));
        grid->addWidget(label, 0, column);
        grid->addWidget(field, 0, column + 1);
    };
    auto* filters = new QGridLayout;
    m_TxtRegisterFilter = new QLineEdit(this);
    m_TxtRegisterFilter->setObjectName(QStringLiteral("TxtRegisterFilter"));
    m_TxtRegisterFilter->setToolTip(
        QStringLiteral("Part of the number or the customer's name, an airport or a run of stops"));
    labelled(filters, 0, QStringLiteral("&Find:"), m_TxtRegisterFilter);
    m_CboRegisterStatus = new QComboBox(this);
    m_CboRegisterStatus->setObjectName(QStringLiteral("CboRegisterStatus"));
    m_CboRegisterStatus->addItem(QStringLiteral("(All)"));
    for (const QuoteStatus status : Statuses)
        m_CboRegisterStatus->addItem(QuoteRules::statusName(status), int(status));
    labelled(filters, 2, QStringLiteral("&Status:"), m_CboRegisterStatus);
    for (QDateEdit** field : {&m_DtpRegisterFrom, &m_DtpRegisterTo}) {
        *field = new QDateEdit(this);
        (*field)->setMinimumDate(NoLimit);
        (*field)->setSpecialValueText(QStringLiteral("(any day)"));
        (*field)->setCalendarPopup(true);
        (*field)->setDate(NoLimit);
        connect(*field, &QDateEdit::dateChanged, this, &FrmRegister::refreshList);
    }
    m_DtpRegisterFrom->setObjectName(QStringLiteral("DtpRegisterFrom"));
    m_DtpRegisterTo->setObjectName(QStringLiteral("DtpRegisterTo"));
    labelled(filters, 4, QStringLiteral("Fro&m:"), m_DtpRegisterFrom);
    labelled(filters, 6, QStringLiteral("&To:"), m_DtpRegisterTo);
    filters->setColumnStretch(1, 1);

    m_model = new RegisterModel(this);
    m_GrdRegister = new QTableView(this);
    m_GrdRegister->setObjectName(QStringLiteral("GrdRegister"));
    m_GrdRegister->setAccessibleName(Title);
    m_GrdRegister->setModel(m_model);
    m_GrdRegister->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_GrdRegister->setSelectionMode(QAbstractItemView::SingleSelection);
    m_GrdRegister->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_GrdRegister->setTabKeyNavigation(false);
    m_GrdRegister->verticalHeader()->hide();
    m_GrdRegister->horizontalHeader()->setStretchLastSection(true);

    auto* buttons = new QHBoxLayout;
    const auto button = [this, buttons](const QString& caption, const char* name) {
        auto* command = new QPushButton(caption, this);
        command->setObjectName(QString::fromLatin1(name));
        command->setAutoDefault(false);
        buttons->addWidget(command);
        return command;
    };
    QPushButton* openCommand = button(QStringLiteral("&Open"), "CmdOpen");
    openCommand->setDefault(true); // Enter opens the selected quote
    connect(openCommand, &QPushButton::clicked, this, &FrmRegister::CmdOpen_Click);
    connect(button(QStringLiteral("&Revise"), "CmdRevise"), &QPushButton::clicked, this,
            &FrmRegister::CmdRevise_Click);
    connect(button(QStringLiteral("&Duplicate"), "CmdDuplicate"), &QPushButton::clicked, this,
            &FrmRegister::CmdDuplicate_Click);
    buttons->addSpacing(12);
    connect(button(QStringLiteral("&Accepted"), "CmdAccepted"), &QPushButton::clicked, this,
            [this] { changeStatus(QuoteStatus::Accepted); });
    connect(button(QStringLiteral("Decli&ned..."), "CmdDeclined"), &QPushButton::clicked, this,
            [this] { changeStatus(QuoteStatus::Declined); });
    connect(button(QStringLiteral("Cance&lled"), "CmdCancelled"), &QPushButton::clicked, this,
            [this] { changeStatus(QuoteStatus::Cancelled); });
    buttons->addStretch();
    connect(button(QStringLiteral("&Export CSV..."), "CmdExport"), &QPushButton::clicked, this,
            &FrmRegister::CmdExport_Click);
    connect(button(QStringLiteral("Close"), "CmdClose"), &QPushButton::clicked, this,
            &QDialog::reject);

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(filters);
    layout->addWidget(m_GrdRegister, 1);
    layout->addLayout(buttons);
    resize(820, 480);

    connect(m_TxtRegisterFilter, &QLineEdit::textChanged, this, &FrmRegister::refreshList);
    connect(m_CboRegisterStatus, &QComboBox::currentIndexChanged, this, &FrmRegister::refreshList);
    refreshList();
    m_TxtRegisterFilter->setFocus();
}

QuoteRegister FrmRegister::quotes() const
{
    return QuoteRegister(*appContext().Workspace, appContext().DatabasePath);
}

void FrmRegister::refreshList()
{
    QuoteFilter filter;
    filter.text = m_TxtRegisterFilter->text().trimmed();
    const QVariant status = m_CboRegisterStatus->currentData();
    if (status.isValid())
        filter.status = QuoteStatus(status.toInt());
    if (m_DtpRegisterFrom->date() != NoLimit)
        filter.from = m_DtpRegisterFrom->date();
    if (m_DtpRegisterTo->date() != NoLimit)
        filter.to = m_DtpRegisterTo->date();
    const QString selected = selectedNumber();
    try {
        m_model->setEntries(quotes().list(filter, Platform::clock().today()));
    } catch (const Db::DbError& error) {
        m_model->setEntries({});
        showDbError(Title, error);
    }
    int row = 0;
    for (int i = 0; i < m_model->entries().size(); ++i) {
        if (m_model->entries().at(i).number == selected)
            row = i;
    }
    if (!m_model->entries().isEmpty())
        m_GrdRegister->setCurrentIndex(m_model->index(row, 0));
}

QString FrmRegister::selectedNumber() const
{
    const QModelIndex current = m_GrdRegister->currentIndex();
    return current.isValid() && current.row() < m_model->entries().size()
               ? m_model->entries().at(current.row()).number
               : QString();
}

bool FrmRegister::tryChange(const std::function<void()>& change)
{
    try {
        change();
        return true;
    } catch (const Db::DbError& error) {
        showDbError(Title, error);
    } catch (const QuoteRuleError& error) {
        Platform::prompter().inform(Platform::Icon::Exclamation, Title, error.message());
    }
    return false;
}

void FrmRegister::CmdOpen_Click()
{
    const QString number = selectedNumber();
    std::optional<KeptQuote> quote;
    if (number.isEmpty() || !tryChange([&] { quote = quotes().load(number); }) || !quote)
        return;
    if (handedOut(quote->status))
        return reprint(*quote);
    accept();
    m_open(*quote);
}

void FrmRegister::reprint(const KeptQuote& quote)
{
    // The number, revision and validity the document bore are the register's.
    Platform::pointer().setBusy();
    FrmPrint dialog(quote.numbered(quote.data), this);
    dialog.exec();
    Platform::pointer().setNormal();
}

void FrmRegister::CmdRevise_Click()
{
    const QString number = selectedNumber();
    KeptQuote quote;
    if (number.isEmpty() || !tryChange([&] { quote = quotes().revise(number, now(), QString()); }))
        return;
    accept();
    m_open(quote);
}

void FrmRegister::CmdDuplicate_Click()
{
    const QString number = selectedNumber();
    KeptQuote quote;
    if (number.isEmpty() ||
        !tryChange([&] { quote = quotes().duplicate(number, 0, now(), QString()); }))
        return;
    accept();
    m_open(quote);
}

void FrmRegister::changeStatus(QuoteStatus status)
{
    const QString number = selectedNumber();
    if (number.isEmpty())
        return;
    QString reason;
    if (status == QuoteStatus::Declined) {
        bool given = false;
        reason = QInputDialog::getText(this, Title, QStringLiteral("Why was the quote declined?"),
                                       QLineEdit::Normal, QString(), &given)
                     .trimmed();
        if (!given)
            return;
    }
    if (tryChange([&] { quotes().setStatus(number, status, reason, now()); }))
        refreshList();
}

void FrmRegister::CmdExport_Click()
{
    const auto answer = Platform::fileChooser().saveFile(
        this, Platform::SaveFileRequest{QStringLiteral("Export CSV"),
                                        {QStringLiteral("CSV File (*.csv)")},
                                        QStringLiteral("csv"),
                                        QStringLiteral("quotes.csv")});
    if (!answer)
        return;
    const DurableFile::Result written =
        DurableFile::write(answer->path, QuoteCsv::listText(m_model->entries()).toUtf8());
    if (!written.ok)
        Platform::prompter().inform(Platform::Icon::Critical, Title,
                                    QStringLiteral("The list could not be written to %1:\r\r%2")
                                        .arg(answer->path, written.error));
}
