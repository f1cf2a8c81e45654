#pragma once

#include <QAbstractTableModel>
#include <QColor>
#include <QIcon>
#include <QList>
#include <QVariant>

#include <optional>
#include <vector>

class DataView;
class QTableView;
class QTimer;

// The airport list's rows: the records of the airport view, five columns, and the
// dark red of airports whose runway is shorter than the minimum runway length. The
// short runway is marked by more than its colour: a warning sign in its cell and a
// description that screen readers and tool tips give.
//
// Once the list has been painted, the model reads the five columns of every row into
// memory, a slice at a time between the operator's events, and from then on a key, a
// scroll or a paint reads nothing; each refresh of the list (an airport changed here
// or, on an office's server, on another desk) reads them again. Until it holds them
// all, a row it does not hold is read with the rows after it, as many as the list last
// showed, in one statement, so that a paint, which asks for its rows from the top,
// reads the rows it shows once.
class AirportListModel : public QAbstractTableModel
{
    Q_OBJECT

public:
    enum Column
    {
        ColumnId,
        ColumnName,
        ColumnState,
        ColumnCountry,
        ColumnRunwayLength,
        COLUMNS
    };

    explicit AirportListModel(DataView* view, QObject* parent = nullptr);

    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    int columnCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation,
                        int role = Qt::DisplayRole) const override;

    // True when the airport of the row is to be drawn in the "LineRed" style.
    bool isShortRunway(int row) const;

    // Reads the rows the list now shows, unless they are held already, so that
    // the list's paint and whatever asks for them before it read nothing more.
    // Throws the engine's DbError.
    void readRowsShownIn(const QTableView* list);

    // Begins reading every row into memory, if not done already; called once the list
    // has been painted, and by itself after every later refresh.
    void holdAllRows();
    // True when every row is in memory.
    bool holdsAllRows() const;
    // The first row whose ID or NAME begins with the prefix, found by halving the rows in
    // memory when they are all held in that column's order and the prefix is found that
    // way (FoundByHalving); -1 when none begins so. Nothing when the database is to be
    // asked instead.
    std::optional<int> findPrefix(Column column, const QString& prefix) const;

    // Redraws every row, for a changed minimum runway length.
    void restyle();

    // The colour of short runways' rows, dark red made readable on the list's rows.
    void setShortRunwayColour(const QColor& colour);
    QColor shortRunwayColour() const { return m_shortRunwayColour; }

private:
    QVariant cell(int row, int column) const;
    void readRows(int first, int count) const;
    void readSlice();

    DataView* m_view;
    QColor m_shortRunwayColour;
    mutable QIcon m_shortRunwaySign;
    QList<int> m_fields;                           // the set's fields read, in column order
    int m_fieldOf[COLUMNS] = {-1, -1, -1, -1, -1}; // a column's place in m_fields
    mutable int m_first = 0;                       // the first of the rows held
    mutable QList<QVariantList> m_rows;            // the rows held, from m_first on
    mutable int m_shown = 32;                      // how many rows the list last showed
    // A row held in memory: its texts (ID, name, state, country) by their place in
    // m_text, and its runway length.
    struct HeldRow
    {
        quint32 at[ColumnRunwayLength];
        quint16 size[ColumnRunwayLength];
        std::optional<qint32> runway;
    };
    QStringView heldText(const HeldRow& row, int column) const
    {
        return QStringView(m_text).sliced(row.at[column], row.size[column]);
    }
    std::vector<HeldRow> m_held;      // every row from the first, as read so far
    QString m_text;                   // the texts of m_held, one after the other
    QTimer* m_slice;                  // reads the next slice of m_held
    bool m_holding = false;           // holdAllRows() was asked for
    bool m_inOrder[2] = {true, true}; // m_held in ID, NAME order so far
};
