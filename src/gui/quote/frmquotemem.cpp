#include "gui/quote/frmquotemem.h"

#include "core/format.h"
#include "gui/platform/accesskeys.h"
#include "gui/platform/colours.h"
#include "gui/platform/platform.h"
#include "gui/quote/quotememory.h"

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
    colourFields(); // a text that did not change ran no change handler
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

void FrmQuoteMem::colourFields()
{
    for (QLineEdit* field : {m_TxtFinalQuote, m_TxtMemQuote, m_TxtQuoteDiff})
        colourByValue(field);
}

// Negative figures in dark red, the others in the theme's highlight colour, each made
// readable on the field (the light theme's highlight is too pale on white). The window's
// own palette gives the theme's colours: on a change of theme it is brought up to date
// before the fields are.
void FrmQuoteMem::colourByValue(QLineEdit* field)
{
    const bool negative = Format::value(field->text()) < 0;
    const QColor colour =
        Colours::readableOn(negative ? Colours::DarkRed : palette().color(QPalette::Highlight),
                            {palette().color(QPalette::Base)});
    QPalette own = field->palette();
    own.setColor(QPalette::Text, colour);
    field->setPalette(own);
}

bool FrmQuoteMem::event(QEvent* event)
{
    if (event->type() == QEvent::WindowActivate)
        Form_Activate();
    return QDialog::event(event);
}

// A change of desktop theme while the window is open gives the fields new colours.
void FrmQuoteMem::changeEvent(QEvent* event)
{
    QDialog::changeEvent(event);
    if (event->type() == QEvent::PaletteChange ||
        event->type() == QEvent::ApplicationPaletteChange) {
        colourFields();
    }
}

void FrmQuoteMem::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    Form_Activate();
}
