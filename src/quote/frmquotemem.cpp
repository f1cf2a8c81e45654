#include "quote/frmquotemem.h"

#include "core/accesskeys.h"
#include "core/format.h"
#include "core/platform.h"
#include "quote/quotememory.h"

#include <QDialogButtonBox>
#include <QEvent>
#include <QFrame>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace {

QLineEdit* addField(QGridLayout* grid, int row, const QString& caption, const char* name)
{
    auto* field = new QLineEdit(Format::number(0, Format::Money));
    field->setObjectName(QLatin1String(name));
    field->setReadOnly(true);
    field->setAlignment(Qt::AlignRight);
    field->setAccessibleName(caption);
    QPalette palette = field->palette();
    palette.setColor(QPalette::Text, palette.color(QPalette::Highlight));
    field->setPalette(palette);
    auto* label = new QLabel(caption);
    label->setBuddy(field);
    grid->addWidget(label, row, 0);
    grid->addWidget(field, row, 1);
    return field;
}

} // namespace

FrmQuoteMem::FrmQuoteMem(const QString& finalQuoteText, QWidget* parent)
    : QDialog(parent), m_finalQuoteText(finalQuoteText)
{
    AccessKeys::runAtOnce();
    setObjectName(QStringLiteral("FrmQuoteMem"));
    setWindowTitle(QStringLiteral("Quote Memory"));
    setModal(true);

    auto* grid = new QGridLayout;
    m_TxtFinalQuote = addField(grid, 0, QStringLiteral("Current Final Quote:"), "TxtFinalQuote");
    m_TxtMemQuote = addField(grid, 1, QStringLiteral("Memorized Quote:"), "TxtMemQuote");
    // The subtraction sign written as on a calculator tape, over a rule.
    auto* minus = new QLabel(QStringLiteral("-/-"));
    minus->setObjectName(QStringLiteral("Label4"));
    minus->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    auto* rule = new QFrame;
    rule->setObjectName(QStringLiteral("Line1"));
    rule->setFrameShape(QFrame::HLine);
    rule->setFrameShadow(QFrame::Sunken);
    grid->addWidget(minus, 2, 0);
    grid->addWidget(rule, 2, 1);
    m_TxtQuoteDiff = addField(grid, 3, QStringLiteral("Difference:"), "TxtQuoteDiff");

    m_CmdSave = new QPushButton(QStringLiteral("&Save current Quote in memory"), this);
    m_CmdSave->setObjectName(QStringLiteral("CmdSave"));
    m_CmdCancel = new QPushButton(QStringLiteral("E&xit"), this);
    m_CmdCancel->setObjectName(QStringLiteral("CmdCancel"));

    auto* buttons = new QDialogButtonBox(this);
    buttons->addButton(m_CmdSave, QDialogButtonBox::ActionRole);
    buttons->addButton(m_CmdCancel, QDialogButtonBox::RejectRole);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(grid);
    layout->addWidget(buttons);

    connect(m_TxtFinalQuote, &QLineEdit::textChanged, this, &FrmQuoteMem::TxtFinalQuote_Change);
    connect(m_TxtMemQuote, &QLineEdit::textChanged, this, &FrmQuoteMem::TxtMemQuote_Change);
    connect(m_TxtQuoteDiff, &QLineEdit::textChanged, this, &FrmQuoteMem::TxtQuoteDiff_Change);
    connect(m_CmdSave, &QPushButton::clicked, this, &FrmQuoteMem::CmdSave_Click);
    connect(m_CmdCancel, &QPushButton::clicked, this, &FrmQuoteMem::CmdCancel_Click);

    Form_Load();
}

void FrmQuoteMem::Form_Load()
{
    m_TxtFinalQuote->setText(m_finalQuoteText);
    showMemorizedQuote();
}

// The button that opened the window set the busy pointer.
void FrmQuoteMem::Form_Activate()
{
    Platform::pointer().setNormal();
}

void FrmQuoteMem::TxtFinalQuote_Change()
{
    // The final quote cannot change while this modal window is open, so the
    // difference is not recomputed here.
    colourByValue(m_TxtFinalQuote);
}

void FrmQuoteMem::TxtMemQuote_Change()
{
    colourByValue(m_TxtMemQuote);
    m_TxtQuoteDiff->setText(Format::number(Format::value(m_TxtFinalQuote->text()) -
                                               Format::value(m_TxtMemQuote->text()),
                                           Format::Money));
}

void FrmQuoteMem::TxtQuoteDiff_Change()
{
    colourByValue(m_TxtQuoteDiff);
}

void FrmQuoteMem::CmdSave_Click()
{
    memorizedQuote() = Format::value(m_TxtFinalQuote->text());
    showMemorizedQuote();
}

void FrmQuoteMem::CmdCancel_Click()
{
    reject();
}

void FrmQuoteMem::showMemorizedQuote()
{
    const QString text = Format::number(memorizedQuote(), Format::Money);
    // Writing the text it already shows would not run the change handler, and the
    // difference must be computed on every opening.
    if (m_TxtMemQuote->text() == text)
        TxtMemQuote_Change();
    else
        m_TxtMemQuote->setText(text);
}

void FrmQuoteMem::colourByValue(QLineEdit* field)
{
    QPalette palette = field->palette();
    const bool negative = Format::value(field->text()) < 0;
    palette.setColor(QPalette::Text,
                     negative ? negativeColour() : palette.color(QPalette::Highlight));
    field->setPalette(palette);
}

bool FrmQuoteMem::event(QEvent* event)
{
    if (event->type() == QEvent::WindowActivate)
        Form_Activate();
    return QDialog::event(event);
}

void FrmQuoteMem::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    Form_Activate();
}
