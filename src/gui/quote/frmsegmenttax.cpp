#include "gui/quote/frmsegmenttax.h"

#include "core/format.h"
#include "core/quote/segmenttaxline.h"
#include "gui/platform/accesskeys.h"
#include "gui/platform/platform.h"

#include <QDialogButtonBox>
#include <QEvent>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace {

// The counts take two typed digits at most.
constexpr int CountDigits = 2;

// Keys that are not typed characters: moving, leaving and closing pass untouched.
bool isNavigationKey(const QKeyEvent* key)
{
    switch (key->key()) {
    case Qt::Key_Tab:
    case Qt::Key_Backtab:
    case Qt::Key_Return:
    case Qt::Key_Enter:
    case Qt::Key_Escape:
    case Qt::Key_Delete:
        return true;
    default:
        return key->text().isEmpty();
    }
}

QLineEdit* addField(QGridLayout* grid, int row, const QString& caption, const char* name)
{
    auto* field = new QLineEdit;
    field->setObjectName(QLatin1String(name));
    field->setAlignment(Qt::AlignRight);
    field->setAccessibleName(caption);
    auto* label = new QLabel(caption);
    label->setBuddy(field);
    grid->addWidget(label, row, 0);
    grid->addWidget(field, row, 1);
    return field;
}

QString zeroTotal()
{
    return Format::number(0.0, Format::Money);
}

} // namespace

FrmSegmentTax::FrmSegmentTax(double taxPerSegment, int passengerLegs,
                             const QString& segmentRowCharge, QWidget* parent)
    : QDialog(parent), m_taxPerSegment(taxPerSegment), m_passengerLegs(passengerLegs),
      m_segmentRowCharge(segmentRowCharge)
{
    AccessKeys::runAtOnce();
    setObjectName(QStringLiteral("FrmSegmentTax"));
    setWindowTitle(QStringLiteral("Passenger Segment Tax"));
    setModal(true);

    auto* frame = new QGroupBox(QStringLiteral("Enter Segment Tax"), this);
    frame->setObjectName(QStringLiteral("Frame1"));
    auto* grid = new QGridLayout(frame);
    m_TxtNoPax = addField(grid, 0, QStringLiteral("No. Passengers:"), "TxtNoPax");
    m_TxtNoSegments = addField(grid, 1, QStringLiteral("Segments:"), "TxtNoSegments");
    m_TxtTaxSegment = addField(grid, 2, QStringLiteral("Tax per Segment:"), "TxtTaxSegment");
    m_TxtTotSegTax = addField(grid, 3, QStringLiteral("Total:"), "TxtTotSegTax");
    m_TxtTaxSegment->setReadOnly(true);
    m_TxtTaxSegment->setToolTip(
        QStringLiteral("Tax per Segment can be changed in Program Settings"));
    m_TxtTotSegTax->setReadOnly(true);
    m_TxtNoPax->setText(QStringLiteral("0"));
    m_TxtNoSegments->setText(QStringLiteral("0"));
    m_TxtTaxSegment->setText(QStringLiteral("0"));
    m_TxtTotSegTax->setText(zeroTotal());

    m_CmdSave = new QPushButton(QStringLiteral("&Save"), this);
    m_CmdSave->setObjectName(QStringLiteral("CmdSave"));
    m_CmdSave->setEnabled(false);
    m_CmdCancel = new QPushButton(QStringLiteral("&Cancel"), this);
    m_CmdCancel->setObjectName(QStringLiteral("CmdCancel"));

    auto* buttons = new QDialogButtonBox(this);
    buttons->addButton(m_CmdSave, QDialogButtonBox::AcceptRole);
    buttons->addButton(m_CmdCancel, QDialogButtonBox::RejectRole);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(frame);
    layout->addWidget(buttons);

    for (QLineEdit* count : {m_TxtNoPax, m_TxtNoSegments})
        count->installEventFilter(this);
    connect(m_TxtNoPax, &QLineEdit::textChanged, this, &FrmSegmentTax::TxtNoPax_Change);
    connect(m_TxtNoSegments, &QLineEdit::textChanged, this, &FrmSegmentTax::TxtNoSegments_Change);
    connect(m_TxtTotSegTax, &QLineEdit::textChanged, this, &FrmSegmentTax::TxtTotSegTax_Change);
    connect(m_CmdSave, &QPushButton::clicked, this, &FrmSegmentTax::CmdSave_Click);
    connect(m_CmdCancel, &QPushButton::clicked, this, &FrmSegmentTax::CmdCancel_Click);

    Form_Load();
}

void FrmSegmentTax::Form_Load()
{
    m_TxtTaxSegment->setText(Format::number(m_taxPerSegment, Format::Rate));
    m_editingExisting = !m_segmentRowCharge.isNull();
    if (m_editingExisting) {
        // The counts are read back from the row's own text.
        const SegmentTaxLine line = SegmentTaxLine::parse(m_segmentRowCharge, m_taxPerSegment);
        m_TxtNoPax->setText(QString::number(line.passengers));
        m_TxtNoSegments->setText(QString::number(line.segments));
        m_TxtTotSegTax->setText(line.totalText());
        m_CmdSave->setEnabled(true);
    } else {
        m_TxtNoSegments->setText(QString::number(m_passengerLegs));
    }
}

// The button that opened the window set the busy pointer.
void FrmSegmentTax::Form_Activate()
{
    Platform::pointer().setNormal();
}

SegmentTaxLine FrmSegmentTax::line() const
{
    return SegmentTaxLine{int(Format::value(m_TxtNoPax->text())),
                          int(Format::value(m_TxtNoSegments->text())), m_taxPerSegment};
}

QString FrmSegmentTax::chargeText() const
{
    return line().chargeText();
}

QString FrmSegmentTax::totalText() const
{
    return m_TxtTotSegTax->text();
}

void FrmSegmentTax::TxtNoPax_Change()
{
    countChanged(m_TxtNoPax);
}

void FrmSegmentTax::TxtNoSegments_Change()
{
    countChanged(m_TxtNoSegments);
}

void FrmSegmentTax::countChanged(QLineEdit* count)
{
    if (count->text().isEmpty()) {
        // An emptied count reads as zero, so the product can always be formed.
        count->setText(QStringLiteral("0"));
        count->setCursorPosition(int(count->text().size()));
        m_TxtTotSegTax->setText(zeroTotal());
        return;
    }
    m_TxtTotSegTax->setText(line().totalText());
    // Rewriting as a plain number drops leading zeros: "05" becomes "5".
    count->setText(QString::number(qint64(Format::value(count->text()))));
}

void FrmSegmentTax::TxtTotSegTax_Change()
{
    m_CmdSave->setEnabled(m_TxtTotSegTax->text() != zeroTotal());
}

void FrmSegmentTax::CmdSave_Click()
{
    m_saved = true;
    accept();
}

void FrmSegmentTax::CmdCancel_Click()
{
    reject();
}

bool FrmSegmentTax::event(QEvent* event)
{
    if (event->type() == QEvent::WindowActivate)
        Form_Activate();
    return QDialog::event(event);
}

void FrmSegmentTax::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    Form_Activate();
}

bool FrmSegmentTax::eventFilter(QObject* watched, QEvent* event)
{
    auto* count = qobject_cast<QLineEdit*>(watched);
    if (count != m_TxtNoPax && count != m_TxtNoSegments)
        return QDialog::eventFilter(watched, event);

    switch (event->type()) {
    case QEvent::KeyPress: {
        const auto* key = static_cast<QKeyEvent*>(event);
        if (key->key() == Qt::Key_Backspace || isNavigationKey(key))
            return false;
        const bool digit = key->text().size() == 1 && key->text().at(0).isDigit();
        const bool room = count->text().size() - count->selectedText().size() < CountDigits;
        return !(digit && room);
    }
    case QEvent::KeyRelease: {
        // Leaving with (Shift+)Tab releases the keys in the next field; that must
        // not undo the selection made when the field took the focus.
        const auto* key = static_cast<QKeyEvent*>(event);
        const bool modifierOnly = key->key() == Qt::Key_Shift || key->key() == Qt::Key_Control ||
                                  key->key() == Qt::Key_Alt || key->key() == Qt::Key_Meta;
        if (!modifierOnly && key->key() != Qt::Key_Tab && key->key() != Qt::Key_Backtab)
            count->setCursorPosition(int(count->text().size()));
        return false;
    }
    case QEvent::FocusIn:
        // Let the field take the focus first; it would otherwise place the caret
        // after the selection is made.
        static_cast<QObject*>(count)->event(event);
        count->selectAll();
        return true;
    default:
        return false;
    }
}
