#pragma once

// The least a program can do to show the airport list: a main window with a find
// box over a plain table of the airports in identifier order, read with the sqlite3
// C API a screenful at a time as the table asks for rows. The program's start-up
// is judged beside this window's.

#include <QAbstractTableModel>
#include <QFile>
#include <QHeaderView>
#include <QLineEdit>
#include <QMainWindow>
#include <QTableView>
#include <QVBoxLayout>

#include <sqlite3.h>

#include <algorithm>
#include <array>
#include <vector>

class FloorAirports : public QAbstractTableModel
{
public:
    explicit FloorAirports(const QString& database)
    {
        sqlite3_open_v2(QFile::encodeName(database).constData(), &m_db, SQLITE_OPEN_READONLY,
                        nullptr);
        sqlite3_prepare_v2(m_db,
                           "SELECT ID, NAME, STATE, COUNTRY, \"RUNWAY LENGTH\" FROM Airports "
                           "ORDER BY ID",
                           -1, &m_statement, nullptr);
        m_done = m_statement == nullptr;
    }
    ~FloorAirports() override
    {
        sqlite3_finalize(m_statement);
        sqlite3_close(m_db);
    }

    int rowCount(const QModelIndex& parent = {}) const override
    {
        return parent.isValid() ? 0 : int(m_rows.size());
    }
    int columnCount(const QModelIndex& parent = {}) const override
    {
        return parent.isValid() ? 0 : 5;
    }
    QVariant data(const QModelIndex& index, int role) const override
    {
        if (role != Qt::DisplayRole || !index.isValid())
            return {};
        return m_rows[size_t(index.row())][size_t(index.column())];
    }
    bool canFetchMore(const QModelIndex& parent) const override
    {
        return !parent.isValid() && !m_done;
    }
    void fetchMore(const QModelIndex& parent) override
    {
        if (parent.isValid() || m_done)
            return;
        std::vector<std::array<QString, 5>> more;
        while (more.size() < 64) {
            if (sqlite3_step(m_statement) != SQLITE_ROW) {
                m_done = true;
                break;
            }
            std::array<QString, 5> row;
            for (int i = 0; i < 5; ++i)
                row[size_t(i)] = QString::fromUtf8(
                    reinterpret_cast<const char*>(sqlite3_column_text(m_statement, i)));
            more.push_back(std::move(row));
        }
        if (more.empty())
            return;
        beginInsertRows({}, rowCount(), rowCount() + int(more.size()) - 1);
        std::move(more.begin(), more.end(), std::back_inserter(m_rows));
        endInsertRows();
    }

    // The first row whose identifier starts with `prefix`, found by binary search on the
    // ID column (rows are read on until one sorts after it); -1 when none does.
    int find(const QString& prefix)
    {
        const auto before = [](const std::array<QString, 5>& row, const QString& key) {
            return row[0].compare(key, Qt::CaseInsensitive) < 0;
        };
        while (!m_done && (m_rows.empty() || before(m_rows.back(), prefix)))
            fetchMore({});
        const auto found = std::lower_bound(m_rows.begin(), m_rows.end(), prefix, before);
        if (found == m_rows.end() || !(*found)[0].startsWith(prefix, Qt::CaseInsensitive))
            return -1;
        return int(found - m_rows.begin());
    }

private:
    sqlite3* m_db = nullptr;
    sqlite3_stmt* m_statement = nullptr;
    bool m_done = false;
    std::vector<std::array<QString, 5>> m_rows;
};

class FloorWindow : public QMainWindow
{
public:
    explicit FloorWindow(const QString& database) : m_model(database)
    {
        auto* inside = new QWidget(this);
        auto* layout = new QVBoxLayout(inside);
        auto* find = new QLineEdit(inside);
        m_table = new QTableView(inside);
        m_table->setModel(&m_model);
        m_table->setSelectionBehavior(QAbstractItemView::SelectRows);
        m_table->verticalHeader()->hide();
        layout->addWidget(find);
        layout->addWidget(m_table);
        setCentralWidget(inside);
        resize(1000, 720); // the size the program opens at
        connect(find, &QLineEdit::textEdited, this, [this](const QString& text) {
            const int row = m_model.find(text);
            if (row >= 0)
                m_table->selectRow(row);
        });
    }
    QTableView* table() const { return m_table; }
    FloorAirports& model() { return m_model; }

private:
    FloorAirports m_model;
    QTableView* m_table = nullptr;
};
