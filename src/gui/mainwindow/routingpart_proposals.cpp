// The find box in Anything mode: the list of proposals under the box, the keys that
// move through it, and the chosen airport going into the route.

#include "core/airports/airportsearch.h"
#include "core/airports/airporttable.h"
#include "gui/mainwindow/airportlistmodel.h"
#include "gui/mainwindow/airportproposals.h"
#include "gui/mainwindow/dataview.h"
#include "gui/mainwindow/dberrorbox.h"
#include "gui/mainwindow/routingpart.h"

#include <QElapsedTimer>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPushButton>
#include <QStyle>
#include <QTableView>
#include <QTimer>

namespace {

// As many as the operator takes in at a glance; a longer list means typing on.
constexpr int ProposalRows = 8;

} // namespace

void RoutingPart::buildProposals()
{
    m_proposals = new AirportProposals(this);
    // A child of the tab laid over the lists, never focused: the keys stay in the box,
    // which moves the highlight.
    m_LstProposals = new QTableView(this);
    m_LstProposals->setObjectName(QStringLiteral("LstProposals"));
    m_LstProposals->setAccessibleName(QStringLiteral("Airports found"));
    m_LstProposals->setModel(m_proposals);
    m_LstProposals->setFocusPolicy(Qt::NoFocus);
    m_LstProposals->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_LstProposals->setSelectionMode(QAbstractItemView::SingleSelection);
    m_LstProposals->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_LstProposals->setWordWrap(false);
    m_LstProposals->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    m_LstProposals->verticalHeader()->hide();
    m_LstProposals->verticalHeader()->setDefaultSectionSize(m_LstProposals->fontMetrics().height() +
                                                            6);
    m_LstProposals->horizontalHeader()->setSectionResizeMode(AirportProposals::ColumnName,
                                                             QHeaderView::Stretch);
    m_LstProposals->hide();
    connect(m_LstProposals, &QTableView::clicked, this,
            [this](const QModelIndex& index) { chooseProposal(index.row()); });
    m_readingSlice = new QTimer(this);
    m_readingSlice->setSingleShot(true);
    connect(m_readingSlice, &QTimer::timeout, this, &RoutingPart::readSearchSlice);
    // What an airport edit, an import or a deletion changed is searched from then on.
    connect(m_data1, &DataView::refreshed, this, [this] {
        closeProposals();
        m_readingSlice->stop();
        m_reading.reset();
        if (m_building.valid())
            m_building.wait(); // built from the rows read before: dropped with them
        m_building = {};
        m_search.reset();
        update(); // the next paint prepares the search again
    });
}

void RoutingPart::paintEvent(QPaintEvent* event)
{
    QWidget::paintEvent(event);
    // The list showed its first rows; the keys of the others are read before the
    // first key is typed.
    if (m_data1->recordset() && !m_data1->recordset()->allKeysRead())
        QTimer::singleShot(0, this, [this] {
            try {
                m_data1->readAllKeys();
            } catch (const Db::DbError&) {
                // Read again when needed, which says what failed.
            }
        });
    // Once the window stands, while the operator looks at it: every row of the list in
    // memory, and the search of Anything mode.
    m_airportList->holdAllRows();
    if (!m_search && !m_building.valid() && !m_reading && searchMode() == SearchMode::Anything)
        QTimer::singleShot(50, this, &RoutingPart::prepareSearch);
}

void RoutingPart::prepareSearch()
{
    if (m_search || m_building.valid() || m_reading || !m_data1->database() ||
        searchMode() != SearchMode::Anything)
        return;
    try {
        m_reading = std::make_unique<AirportSearchReader>(*m_data1->database());
        m_readingSlice->start(0);
    } catch (const Db::DbError&) {
        // Read again at the first key, which says what failed.
    }
}

// Reads airports for a few milliseconds and leaves the rest to the next turn of the event
// loop, so that a key typed meanwhile waits no longer; the last slice hands them to
// another thread, which builds the search.
void RoutingPart::readSearchSlice()
{
    constexpr int Batch = 512;
    constexpr qint64 SliceMs = 4;
    if (!m_reading)
        return;
    try {
        QElapsedTimer clock;
        clock.start();
        bool done = false;
        while (!done && clock.elapsed() < SliceMs)
            done = m_reading->readMore(Batch);
        if (!done) {
            m_readingSlice->start(0);
            return;
        }
        m_building = std::async(std::launch::async, [airports = m_reading->take()]() mutable {
            // Moved, not copied: nothing of them is left to free on this side when the
            // search is taken.
            return std::make_unique<AirportSearch>(std::move(airports));
        });
    } catch (const Db::DbError&) {
        // Read again at the first key, which says what failed.
    }
    m_reading.reset();
}

void RoutingPart::findAnything()
{
    const QString typed = m_TxtFind->text();
    if (typed.trimmed().isEmpty()) {
        closeProposals();
        return;
    }
    try {
        if (!m_search) {
            if (!m_data1->database())
                return;
            // Read once after the list: every later key is answered from memory. A key
            // typed before the search stands waits for what is left of it.
            Platform::pointer().setBusy();
            m_readingSlice->stop();
            if (!m_building.valid()) {
                if (!m_reading)
                    m_reading = std::make_unique<AirportSearchReader>(*m_data1->database());
                m_reading->readMore();
                m_search = std::make_unique<AirportSearch>(m_reading->take());
                m_reading.reset();
            } else {
                m_search = m_building.get();
            }
            Platform::pointer().setNormal();
        }
    } catch (const Db::DbError& error) {
        Platform::pointer().setNormal();
        showDbError(QStringLiteral("Brisklander"), error);
        return;
    }
    m_proposals->show(m_search.get(), m_search->find(typed, ProposalRows));
    if (m_proposals->rowCount() == 0) {
        m_LstProposals->hide();
        m_SSDBGrid1->clearSelection();
        return;
    }
    highlightProposal(0);
    placeProposals();
}

void RoutingPart::highlightProposal(int row)
{
    if (m_LstProposals->currentIndex().row() != row)
        m_LstProposals->setCurrentIndex(m_proposals->index(row, 0));
    m_LstProposals->selectRow(row);
    // The airport list follows, so that Select, Details and Modify act on the airport
    // highlighted, as they do on the one the other modes find.
    Db::Recordset* set = m_data1->recordset();
    if (!set)
        return;
    try {
        // The rows held in memory answer when they can, as the database would.
        const QString id = m_proposals->id(row);
        std::optional<int> held = m_airportList->findPrefix(AirportListModel::ColumnId, id);
        if (held && *held >= 0 &&
            m_airportList->index(*held, AirportListModel::ColumnId).data().toString() != id)
            held = -1;
        if (held && *held >= 0)
            set->setAbsolutePosition(*held);
        if (held ? *held < 0 : !FindAirport(*set, id)) {
            m_SSDBGrid1->clearSelection();
            return;
        }
        const QModelIndex found = m_airportList->index(set->absolutePosition(), 0);
        if (m_SSDBGrid1->currentIndex() != found)
            m_SSDBGrid1->setCurrentIndex(found);
        m_SSDBGrid1->scrollTo(found);
        m_SSDBGrid1->selectRow(found.row());
    } catch (const Db::DbError& error) {
        showDbError(QStringLiteral("Brisklander"), error);
    }
}

void RoutingPart::placeProposals()
{
    QHeaderView* header = m_LstProposals->horizontalHeader();
    static constexpr std::pair<int, const char*> Widest[] = {
        {AirportProposals::ColumnId, "WWWW (WWW)"},
        {AirportProposals::ColumnCity, "SAN FRANCISCO DE MACORIS"},
        {AirportProposals::ColumnWhere, "NSW, UNITED KINGDOM"},
        {AirportProposals::ColumnRunwayLength, "00,000 ft"}};
    if (!m_LstProposals->isVisible()) {
        // Each column as wide as its usual widest text, measured once for the list's font,
        // set as the list opens: a key changes the rows, never the columns. Fitting the
        // columns to the rows of every key took most of its time.
        if (m_proposalsWidths.empty() || m_proposalsFont != m_LstProposals->font()) {
            m_proposalsFont = m_LstProposals->font();
            const QFontMetrics metrics = m_LstProposals->fontMetrics();
            const int margin = 2 * (m_LstProposals->style()->pixelMetric(
                                        QStyle::PM_FocusFrameHMargin, nullptr, m_LstProposals) +
                                    1);
            m_proposalsWidths.clear();
            for (const auto& [column, widest] : Widest)
                m_proposalsWidths.push_back(
                    qMax(metrics.horizontalAdvance(QString::fromLatin1(widest)) + margin,
                         header->sectionSizeHint(column)));
            m_proposalsHeaderHeight = header->sizeHint().height();
        }
        for (size_t i = 0; i < std::size(Widest); ++i)
            header->resizeSection(Widest[i].first, m_proposalsWidths[i]);
    }
    // Under the box, as wide as the tab allows, as tall as its rows.
    const QPoint below = m_TxtFind->mapTo(this, QPoint(0, m_TxtFind->height()));
    const int rows = m_proposals->rowCount();
    const int height = m_proposalsHeaderHeight +
                       rows * m_LstProposals->verticalHeader()->defaultSectionSize() +
                       2 * m_LstProposals->frameWidth();
    const int width = qMax(m_TxtFind->width(), this->width() - below.x() - 8);
    const QRect place(below, QSize(width, height));
    if (m_LstProposals->geometry() != place)
        m_LstProposals->setGeometry(place);
    if (!m_LstProposals->isVisible()) {
        m_LstProposals->show();
        m_LstProposals->raise();
    }
}

void RoutingPart::closeProposals()
{
    if (!m_LstProposals)
        return;
    m_LstProposals->hide();
    m_proposals->clear();
}

bool RoutingPart::proposalsKey(QKeyEvent* event)
{
    const bool shown = m_LstProposals->isVisible();
    const int row = m_LstProposals->currentIndex().row();
    switch (event->key()) {
    case Qt::Key_Down:
    case Qt::Key_Up: {
        if (!shown) {
            findAnything(); // the list closed by Escape comes back
            return true;
        }
        const int step = event->key() == Qt::Key_Down ? 1 : -1;
        highlightProposal(qBound(0, row + step, m_proposals->rowCount() - 1));
        return true;
    }
    case Qt::Key_Return:
    case Qt::Key_Enter:
        if (shown && row >= 0) {
            chooseProposal(row);
            return true;
        }
        return false; // Select's own airport, chosen in the list
    case Qt::Key_Escape:
        if (!shown)
            return false;
        closeProposals();
        return true;
    default:
        return false;
    }
}

void RoutingPart::chooseProposal(int row)
{
    const QString id = m_proposals->id(row);
    closeProposals();
    Db::Recordset* set = m_data1->recordset();
    if (id.isEmpty() || !set)
        return;
    try {
        // Into the route as Select puts the list's airport: the runway question and the
        // place of insertion included.
        if (!FindAirport(*set, id)) {
            Platform::prompter().beep(); // deleted since the proposals were made
            m_search.reset();
            return;
        }
        const int position = set->absolutePosition();
        m_SSDBGrid1->setCurrentIndex(m_airportList->index(position, 0));
        m_SSDBGrid1->selectRow(position);
        CmdSelect_Click();
    } catch (const Db::DbError& error) {
        showDbError(window()->windowTitle(), error);
    }
}
