#include "gui/airports/airporteditor.h"

#include "core/airports/airportentry.h"
#include "core/airports/airporttable.h"
#include "core/airports/airporttext.h"
#include "core/airports/coordinateparse.h"
#include "core/db/engine.h"
#include "core/errortext.h"
#include "core/format.h"
#include "core/settings/appsettings.h"
#include "gui/airports/airporthost.h"
#include "gui/appcontext.h"
#include "gui/platform/accesskeys.h"
#include "gui/platform/choicelist.h"
#include "gui/platform/platform.h"

#include <QAbstractItemView>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTimeZone>
#include <QTimer>
#include <QVBoxLayout>
#include <QVariant>

#include <cmath>
#include <limits>
#include <optional>

namespace {

const QString ProgramTitle = QStringLiteral("Brisklander");

QString errorLines(const QString& numberCaption, const Db::DbError& error)
{
    return ErrorText::lines(error, numberCaption);
}

// The stored text chosen in a list; a text outside the list is added to it, so saving
// an unrelated change keeps it.
void choose(QComboBox* list, const QString& text)
{
    int index =
        text.isEmpty() ? -1 : list->findText(text, Qt::MatchFixedString | Qt::MatchCaseSensitive);
    if (index < 0 && !text.isEmpty()) {
        list->addItem(text);
        index = list->count() - 1;
    }
    list->setCurrentIndex(index);
}

// A failed rollback is not reported on top of the failure that caused it: that message
// already says nothing was saved, and the workspace drops what it still holds when it
// is closed.
void rollBack(Db::Transaction& transaction)
{
    try {
        transaction.rollback();
    } catch (const Db::DbError&) {
    }
}

} // namespace

AirportEditor::AirportEditor(AirportHost* host, const QString& objectName, const QString& caption,
                             QWidget* parent)
    : QDialog(parent), m_host(host)
{
    AccessKeys::runAtOnce();
    setObjectName(objectName);
    setWindowTitle(caption);
    setModal(true);
    buildLayout();
    connect(qApp, &QApplication::focusChanged, this, &AirportEditor::focusMoved);
}

AirportEditor::~AirportEditor()
{
    // The dialog's own destructor hides the window, which moves the focus; by then
    // this part of the object is gone and must hear no more of it.
    disconnect(qApp, &QApplication::focusChanged, this, &AirportEditor::focusMoved);
}

void AirportEditor::buildLayout()
{
    auto* grid = new QGridLayout;
    const auto place = [&](QWidget* control, const char* name, const QString& caption, int row,
                           int column, int span = 1) {
        control->setObjectName(QLatin1String(name));
        control->setAccessibleName(caption);
        auto* label = new QLabel(caption);
        label->setBuddy(control);
        grid->addWidget(label, row, column);
        grid->addWidget(control, row, column + 1, 1, span);
    };
    const auto text = [](int limit, bool rightAligned = false) {
        auto* field = new QLineEdit;
        field->setMaxLength(limit);
        if (rightAligned)
            field->setAlignment(Qt::AlignRight);
        return field;
    };
    const auto list = [](const QStringList& items) {
        auto* box = new ChoiceList;
        box->addItems(items);
        box->setCurrentIndex(-1);
        return box;
    };

    m_TxtIdent = text(4);
    m_TxtAirportName = text(50);
    m_TxtLatitude = new CoordinateEntry(true);
    m_TxtLongitude = new CoordinateEntry(false);
    m_TxtState = text(3);
    m_TxtCountry = text(25);
    m_TxtElevation = text(5, true);
    m_CheckIFR = new QCheckBox;
    m_CheckCustoms = new QCheckBox;
    m_TxtRwyLength = text(5, true);
    m_TxtTimeZone = text(6, true);
    m_TxtRwyWidth = text(3, true);
    m_TxtIata = text(3);
    m_TxtCity = text(40);
    // Any zone this machine knows; typing completes a name from the list.
    m_CBTimeZoneName = new QComboBox;
    m_CBTimeZoneName->setEditable(true);
    m_CBTimeZoneName->setInsertPolicy(QComboBox::NoInsert);
    for (const QByteArray& id : QTimeZone::availableTimeZoneIds())
        m_CBTimeZoneName->addItem(QString::fromUtf8(id));
    m_CBTimeZoneName->lineEdit()->setMaxLength(40);
    m_CBTimeZoneName->setMinimumContentsLength(20);
    m_CBTimeZoneName->setCurrentIndex(-1);
    m_CBPubMil = list({QStringLiteral("Public"), QStringLiteral("Military"),
                       QStringLiteral("Joint"), QStringLiteral("Private")});
    m_SSDBCBFuel = list({QStringLiteral("NO FUEL"), QStringLiteral("AVGAS/JET"),
                         QStringLiteral("AVGAS ONLY"), QStringLiteral("JET ONLY")});
    m_SSDBCBLights = list({QStringLiteral("HIGH"), QStringLiteral("LOW"), QStringLiteral("MEDIUM"),
                           QStringLiteral("NO LIGHT")});
    const int coordinateWidth =
        fontMetrics().horizontalAdvance(QStringLiteral("W000\u00B000'00.000\"")) + 16;
    m_TxtLatitude->setMinimumWidth(coordinateWidth);
    m_TxtLongitude->setMinimumWidth(coordinateWidth);

    place(m_TxtIdent, "TxtIdent", QStringLiteral("Identifier:"), 0, 0);
    place(m_TxtIata, "TxtIata", QStringLiteral("IATA Code:"), 0, 2);
    place(m_TxtAirportName, "TxtAirportName", QStringLiteral("Name:"), 1, 0, 3);
    place(m_TxtLatitude, "TxtLatitude", QStringLiteral("Latitude:"), 2, 0);
    place(m_TxtLongitude, "TxtLongitude", QStringLiteral("Longitude:"), 3, 0);
    place(m_TxtState, "TxtState", QStringLiteral("State:"), 4, 0);
    place(m_TxtCountry, "TxtCountry", QStringLiteral("Country:"), 5, 0);
    place(m_TxtElevation, "TxtElevation", QStringLiteral("Elevation:"), 6, 0);
    // The boxes carry no text of their own: the label before them names them, as it
    // does every other field.
    place(m_CheckIFR, "CheckIFR", QStringLiteral("IFR:"), 7, 0);
    place(m_CheckCustoms, "CheckCustoms", QStringLiteral("Customs:"), 8, 0);
    place(m_TxtRwyLength, "TxtRwyLength", QStringLiteral("Runway Length:"), 2, 2);
    place(m_TxtTimeZone, "TxtTimeZone", QStringLiteral("Time Zone (+/- UTC):"), 3, 2);
    place(m_CBTimeZoneName, "CBTimeZoneName", QStringLiteral("Time Zone Name:"), 4, 2);
    place(m_TxtRwyWidth, "TxtRwyWidth", QStringLiteral("Runway Width:"), 5, 2);
    place(m_CBPubMil, "CBPubMil", QStringLiteral("Type:"), 6, 2);
    place(m_SSDBCBFuel, "SSDBCBFuel", QStringLiteral("Fuel:"), 7, 2);
    place(m_SSDBCBLights, "SSDBCBLights", QStringLiteral("Lighting:"), 8, 2);
    place(m_TxtCity, "TxtCity", QStringLiteral("City:"), 9, 0, 3);

    m_CmdSave = new QPushButton(QStringLiteral("&Save"));
    m_CmdSave->setObjectName(QStringLiteral("CmdSave"));
    m_CmdCancel = new QPushButton(QStringLiteral("&Cancel"));
    m_CmdCancel->setObjectName(QStringLiteral("CmdCancel"));
    auto* buttons = new QDialogButtonBox;
    buttons->addButton(m_CmdSave, QDialogButtonBox::AcceptRole);
    buttons->addButton(m_CmdCancel, QDialogButtonBox::RejectRole);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(grid);
    layout->addWidget(buttons);

    const QList<QWidget*> order{m_TxtIdent,       m_TxtIata,      m_TxtAirportName, m_TxtLatitude,
                                m_TxtLongitude,   m_TxtState,     m_TxtCountry,     m_TxtElevation,
                                m_CheckIFR,       m_CheckCustoms, m_TxtRwyLength,   m_TxtTimeZone,
                                m_CBTimeZoneName, m_TxtRwyWidth,  m_CBPubMil,       m_SSDBCBFuel,
                                m_SSDBCBLights,   m_TxtCity,      m_CmdSave,        m_CmdCancel};
    for (qsizetype i = 1; i < order.size(); ++i)
        setTabOrder(order.at(i - 1), order.at(i));

    const QList<QWidget*> filtered{m_TxtIdent,    m_TxtAirportName, m_TxtState,     m_TxtCountry,
                                   m_TxtIata,     m_TxtCity,        m_TxtElevation, m_TxtRwyLength,
                                   m_TxtTimeZone, m_TxtRwyWidth,    m_SSDBCBFuel,   m_SSDBCBLights};
    for (QWidget* control : filtered)
        control->installEventFilter(this);
    connect(m_CmdSave, &QPushButton::clicked, this, &AirportEditor::CmdSave_Click);
    connect(m_CmdCancel, &QPushButton::clicked, this, &AirportEditor::CmdCancel_Click);
}

bool AirportEditor::checksIdentifier(const QString&) const
{
    return true;
}

Db::Workspace& AirportEditor::workspace()
{
    if (!appContext().Workspace)
        throw Db::DbError(Db::Error::ObjectClosed,
                          QStringLiteral("Object invalid or no longer set."));
    return *appContext().Workspace;
}

// Key rules: the text fields turn typed letters to upper case, the number fields take
// only their characters, and Delete or Backspace empties the fuel and lighting choice.
bool AirportEditor::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() != QEvent::KeyPress)
        return QDialog::eventFilter(watched, event);
    const auto* key = static_cast<QKeyEvent*>(event);
    if (watched == m_SSDBCBFuel || watched == m_SSDBCBLights) {
        if (key->key() != Qt::Key_Delete && key->key() != Qt::Key_Backspace)
            return false;
        static_cast<QComboBox*>(watched)->setCurrentIndex(-1);
        return true;
    }
    const QString typed = key->text();
    // Moving, deleting, leaving and shortcuts pass untouched.
    if (typed.isEmpty() || !typed.at(0).isPrint() ||
        (key->modifiers() & (Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier)))
        return false;
    auto* field = static_cast<QLineEdit*>(watched);
    if (field == m_TxtIdent || field == m_TxtAirportName || field == m_TxtState ||
        field == m_TxtCountry || field == m_TxtIata || field == m_TxtCity) {
        const QString upper = typed.toUpper();
        if (upper == typed)
            return false;
        field->insert(upper);
        return true;
    }
    return refuseKey(field, typed);
}

bool AirportEditor::refuseKey(const QLineEdit* field, const QString& typed) const
{
    if (typed.size() != 1)
        return true;
    // Where the character would go, and the text it would join.
    const int position =
        field->hasSelectedText() ? field->selectionStart() : field->cursorPosition();
    QString rest = field->text();
    if (field->hasSelectedText())
        rest.remove(field->selectionStart(), field->selectedText().size());
    if (field == m_TxtElevation)
        return AirportEntryRules::refusesElevationKey(rest, position, typed.at(0));
    if (field == m_TxtTimeZone)
        return AirportEntryRules::refusesTimeZoneKey(rest, position, typed);
    return !(typed.at(0) >= u'0' && typed.at(0) <= u'9');
}

// The rules for leaving a field run once the focus has arrived in another control of
// this window; the window losing the focus as a whole leaves no field.
void AirportEditor::focusMoved(QWidget* from, QWidget* to)
{
    if (m_returningFocus || !from || !to || from->window() != this || to->window() != this)
        return;
    const bool toCancel = to == m_CmdCancel;
    if (from == m_TxtIdent)
        TxtIdent_LostFocus(toCancel);
    else if (from == m_TxtTimeZone)
        TxtTimeZone_LostFocus(toCancel);
    else if (from == m_TxtElevation || from == m_TxtRwyLength || from == m_TxtRwyWidth)
        rewriteWholeNumber(static_cast<QLineEdit*>(from));
}

void AirportEditor::keepFocusIn(QWidget* field)
{
    // The control the focus went to gives it up again without its own leave rule.
    m_returningFocus = true;
    field->setFocus(Qt::OtherFocusReason);
    m_returningFocus = false;
}

void AirportEditor::TxtIdent_LostFocus(bool toCancel)
{
    const QString id = m_TxtIdent->text();
    if (id.isEmpty() || toCancel || !checksIdentifier(id))
        return;
    Platform::pointer().setBusy();
    try {
        const bool taken = AirportIdExists(workspace(), appContext().DatabasePath, id);
        Platform::pointer().setNormal();
        if (!taken)
            return;
        Platform::prompter().inform(Platform::Icon::Exclamation, windowTitle(),
                                    QStringLiteral("Airport Identifier '") + id +
                                        QStringLiteral("' already exists."));
        m_TxtIdent->clear();
        keepFocusIn(m_TxtIdent);
    } catch (const Db::DbError& error) {
        Platform::pointer().setNormal();
        Platform::prompter().inform(Platform::Icon::Critical, ProgramTitle,
                                    QStringLiteral("An Error Occurred:\r\r") +
                                        errorLines(QStringLiteral("Error Number = "), error));
        m_TxtIdent->clear();
    }
}

void AirportEditor::TxtTimeZone_LostFocus(bool toCancel)
{
    const AirportEntryRules::TimeZoneLeave leave =
        AirportEntryRules::leaveTimeZone(m_TxtTimeZone->text());
    m_TxtTimeZone->setText(leave.text);
    if (toCancel || !leave.refused)
        return;
    Platform::prompter().beep();
    keepFocusIn(m_TxtTimeZone);
}

void AirportEditor::rewriteWholeNumber(QLineEdit* field)
{
    // "007" becomes "7", "-0" becomes "0"; what does not read is emptied, so Save
    // stops at the field's own step.
    const std::optional<qint32> value = AirportEntryRules::wholeNumber(field->text());
    field->setText(value ? QString::number(*value) : QString());
}

void AirportEditor::CmdSave_Click()
{
    // Enter presses Save without leaving the field: leave it now, so its rule runs
    // first. A field that refuses to be left keeps the focus and ends Save here.
    if (isActiveWindow() && focusWidget() != m_CmdSave) {
        m_CmdSave->setFocus(Qt::OtherFocusReason);
        if (focusWidget() != m_CmdSave)
            return;
    }
    if (!validate())
        return;
    if (Format::value(m_TxtRwyLength->text()) < appSettings().MINRUNWAYLENGTH)
        Platform::prompter().inform(
            Platform::Icon::Information, windowTitle(),
            QStringLiteral("Runway Length is below current Minimum Runway Length setting.\r\r"
                           "Airport will be shown in Red in the Airport List."));
    save();
}

void AirportEditor::CmdCancel_Click()
{
    reject();
}

AirportEntry AirportEditor::entry() const
{
    AirportEntry e;
    e.ident = m_TxtIdent->text();
    e.name = m_TxtAirportName->text();
    e.state = m_TxtState->text();
    e.country = m_TxtCountry->text();
    e.elevation = m_TxtElevation->text();
    e.latitude = ParseCoordinateEntry(m_TxtLatitude->entryText(), true);
    e.longitude = ParseCoordinateEntry(m_TxtLongitude->entryText(), false);
    e.runwayLength = m_TxtRwyLength->text();
    e.runwayWidth = m_TxtRwyWidth->text();
    e.timeZone = m_TxtTimeZone->text();
    e.type = m_CBPubMil->currentIndex() < 0 ? QString() : m_CBPubMil->currentText();
    e.ifr = m_CheckIFR->isChecked();
    e.customs = m_CheckCustoms->isChecked();
    e.fuel = m_SSDBCBFuel->currentText();
    e.lighting = m_SSDBCBLights->currentText();
    e.timeZoneName = m_CBTimeZoneName->currentText();
    e.iata = m_TxtIata->text();
    e.city = m_TxtCity->text();
    return e;
}

bool AirportEditor::validate()
{
    const std::optional<AirportEntry::Refusal> refusal = entry().check();
    if (!refusal)
        return true;
    QWidget* const fields[] = {m_TxtIdent,   m_TxtAirportName, m_TxtLatitude,  m_TxtLongitude,
                               m_TxtCountry, m_TxtElevation,   m_TxtRwyLength, m_TxtTimeZone,
                               m_CBPubMil,   m_CBTimeZoneName, m_TxtIata};
    Platform::prompter().inform(Platform::Icon::Exclamation, windowTitle(), refusal->message);
    fields[int(refusal->field)]->setFocus(Qt::OtherFocusReason);
    return false;
}

AirportRecord AirportEditor::enteredRecord() const
{
    return entry().record();
}

void AirportEditor::showRecord(const AirportRecord& record)
{
    m_TxtIdent->setText(record.ID);
    m_TxtAirportName->setText(record.NAME);
    m_TxtState->setText(record.STATE);
    m_TxtCountry->setText(record.COUNTRY);
    m_TxtElevation->setText(QString::number(record.ELEVATION));
    m_TxtLatitude->setText(CoordinateEntryText(record.Latitude, true));
    m_TxtLongitude->setText(CoordinateEntryText(record.Longitude, false));
    m_TxtRwyLength->setText(QString::number(record.RUNWAY_LENGTH));
    m_TxtRwyWidth->setText(record.RUNWAY_WIDTH ? QString::number(*record.RUNWAY_WIDTH) : QString());
    m_TxtTimeZone->setText(FormatTimeZone(record.TIME_ZONE));
    m_CBTimeZoneName->setCurrentIndex(m_CBTimeZoneName->findText(record.TIME_ZONE_NAME));
    m_CBTimeZoneName->setEditText(record.TIME_ZONE_NAME);
    m_TxtIata->setText(record.IATA);
    m_TxtCity->setText(record.CITY);
    // An unknown code leaves the type unset, so Save asks for one.
    const QString use = UseText(record.PUB_MIL);
    m_CBPubMil->setCurrentIndex(use.isEmpty() ? -1 : m_CBPubMil->findText(use));
    m_CheckIFR->setChecked(record.IFR);
    m_CheckCustoms->setChecked(record.CUSTOMS);
    choose(m_SSDBCBFuel, record.FUEL);
    choose(m_SSDBCBLights, record.LIGHTING);
}

void AirportEditor::reportSaveFailure(const Db::DbError& error, bool rolledBack)
{
    Platform::pointer().setNormal();
    const QString detail = errorLines(QStringLiteral("Error number = "), error);
    Platform::prompter().inform(
        Platform::Icon::Critical, windowTitle(),
        rolledBack ? QStringLiteral("An Error Occurred, no record saved\r\r") + detail
                   : QStringLiteral("An Error Occurred: \r\r") + detail);
}

void AirportEditor::done(int result)
{
    Platform::pointer().setNormal();
    QDialog::done(result);
}

// The opening command showed the busy pointer; the window ends it whenever it shows.
void AirportEditor::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    Platform::pointer().setNormal();
}

void AirportEditor::paintEvent(QPaintEvent* event)
{
    Platform::pointer().setNormal();
    QDialog::paintEvent(event);
}

FrmAddAirport::FrmAddAirport(AirportHost* host, QWidget* parent)
    : AirportEditor(host, QStringLiteral("FrmAddAirport"), QStringLiteral("Add Airport"), parent)
{
    m_TxtLatitude->setText(QStringLiteral("N"));
    m_TxtLongitude->setText(QStringLiteral("W"));
}

void FrmAddAirport::save()
{
    std::optional<Db::Transaction> transaction;
    try {
        const AirportRecord record = enteredRecord();
        Db::Workspace& ws = workspace();
        transaction.emplace(ws);
        Platform::pointer().setBusy();
        AddAirport(ws, appContext().DatabasePath, record);
        transaction->commit();
        Platform::pointer().setNormal();
        if (host()) {
            host()->refreshAirportList();
            host()->clearFindBox();
        }
        accept();
    } catch (const Db::DbError& error) {
        const bool pending = transaction && transaction->isPending();
        if (pending)
            rollBack(*transaction);
        reportSaveFailure(error, pending);
    }
}

FrmModAirport::FrmModAirport(AirportHost* host, const QString& id, QWidget* parent)
    : AirportEditor(host, QStringLiteral("FrmModAirport"), QStringLiteral("Modify Airport"),
                    parent),
      m_id(id)
{}

// A window destroyed with its edit session still open rolls it back (the guard does).
FrmModAirport::~FrmModAirport() = default;

void FrmModAirport::fill(const AirportRecord& record)
{
    showRecord(record);
}

void FrmModAirport::fill(const Db::Recordset& row)
{
    // The record reads a missing number as 0; the fields show what is really stored.
    showRecord(readAirportRecord(row));
    using namespace AirportColumn;
    m_TxtElevation->setText(storedWholeText(row.value(Elevation), AirportLimits::Elevation));
    m_TxtRwyLength->setText(storedWholeText(row.value(RunwayLength), AirportLimits::RunwayLength));
    m_TxtRwyWidth->setText(storedWholeText(row.value(RunwayWidth), AirportLimits::RunwayWidth));
}

bool FrmModAirport::isTransactionPending() const
{
    return m_transaction && m_transaction->isPending();
}

bool FrmModAirport::checksIdentifier(const QString& id) const
{
    return id != m_id;
}

void FrmModAirport::showEvent(QShowEvent* event)
{
    AirportEditor::showEvent(event);
    // Once the window runs in its own event loop, so that it can close itself again.
    if (!m_activated)
        QTimer::singleShot(0, this, &FrmModAirport::Form_Activate);
}

void FrmModAirport::Form_Activate()
{
    if (m_activated)
        return;
    m_activated = true;
    m_openingId = m_TxtIdent->text();
    m_openingName = m_TxtAirportName->text();
    m_openingLatitude = m_TxtLatitude->entryText();
    m_openingLongitude = m_TxtLongitude->entryText();
    try {
        Db::Workspace& ws = workspace();
        auto row = OpenAirportForEdit(*ws.openDatabase(appContext().DatabasePath), m_id, &m_stamp);
        if (!row) {
            Platform::pointer().setNormal();
            Platform::prompter().inform(Platform::Icon::Exclamation, windowTitle(),
                                        QStringLiteral("Airport not found."));
            reject();
            return;
        }
        // What the opening command filled in may have been read a while ago: the fields
        // show the values the stamp belongs to.
        fill(*row);
        row.reset();
        if (EditSessionHoldsTransaction(appContext().DatabasePath))
            m_transaction = std::make_unique<Db::Transaction>(ws);
        m_sessionOpen = true;
    } catch (const Db::DbError& error) {
        Platform::pointer().setNormal();
        Platform::prompter().inform(Platform::Icon::Critical, ProgramTitle,
                                    QStringLiteral("An error occurred:\r\r") +
                                        errorLines(QStringLiteral("Error number = "), error));
        reject();
    }
}

void FrmModAirport::save()
{
    if (!m_sessionOpen || (m_transaction && !m_transaction->isPending())) {
        // The edit session ended with an earlier failure: nothing more is written, and
        // Cancel is the way out.
        reportSaveFailure(m_failure
                              ? *m_failure
                              : Db::DbError(Db::Error::ObjectClosed,
                                            QStringLiteral("Object invalid or no longer set.")),
                          false);
        return;
    }
    // Without a held session, the write's own transaction.
    std::optional<Db::Transaction> own;
    try {
        const AirportRecord record = enteredRecord();
        Db::Workspace& ws = workspace();
        Platform::pointer().setBusy();
        if (!m_transaction)
            own.emplace(ws);
        const AirportWrite written =
            UpdateAirport(ws, appContext().DatabasePath, m_id, record, m_stamp);
        if (written.outcome != AirportWrite::Outcome::Written) {
            // Nothing was written; no desk waits for this one while the operator decides.
            if (own)
                own->rollback();
            Platform::pointer().setNormal();
            resolveConflict(written);
            return;
        }
        if (own)
            own->commit();
        else
            m_transaction->commit();
        AirportChange change;
        change.oldId = m_openingId;
        change.newId = record.ID;
        change.oldName = m_openingName;
        change.newName = record.NAME;
        change.positionChanged = m_TxtLatitude->entryText() != m_openingLatitude ||
                                 m_TxtLongitude->entryText() != m_openingLongitude;
        if (host()) {
            host()->refreshAirportList();
            if (change.changed())
                host()->RefreshRouteAfterModify(change);
            host()->showAirportInList(record.ID);
        }
        Platform::pointer().setNormal();
        accept();
    } catch (const Db::DbError& error) {
        m_failure = std::make_unique<Db::DbError>(error);
        m_sessionOpen = false;
        Db::Transaction* const pending = own && own->isPending()  ? &*own
                                         : isTransactionPending() ? m_transaction.get()
                                                                  : nullptr;
        if (pending)
            rollBack(*pending);
        reportSaveFailure(error, pending != nullptr);
    }
}

void FrmModAirport::resolveConflict(const AirportWrite& found)
{
    if (found.outcome == AirportWrite::Outcome::Deleted) {
        Platform::prompter().inform(Platform::Icon::Exclamation, windowTitle(),
                                    AirportGoneMessage(m_id));
        return;
    }
    const Platform::Button answer = Platform::prompter().question(
        windowTitle(), AirportChangedQuestion(m_id, found.stamp, Platform::clock().today()),
        Platform::Button::Yes | Platform::Button::No, Platform::Button::No);
    if (answer == Platform::Button::Yes) {
        // Over theirs: written against the stamp just read, so a change made while the
        // operator decided is asked about again.
        m_stamp = found.stamp;
        save();
        return;
    }
    try {
        reload(workspace());
    } catch (const Db::DbError& error) {
        reportSaveFailure(error, true);
    }
}

void FrmModAirport::reload(Db::Workspace& workspace)
{
    Db::ChangeStamp stamp;
    auto row = OpenAirportForEdit(*workspace.openDatabase(appContext().DatabasePath), m_id, &stamp);
    if (!row) {
        Platform::prompter().inform(Platform::Icon::Exclamation, windowTitle(),
                                    AirportGoneMessage(m_id));
        return;
    }
    fill(*row);
    m_stamp = stamp;
}

void FrmModAirport::done(int result)
{
    if (isTransactionPending())
        rollBack(*m_transaction);
    AirportEditor::done(result);
}
