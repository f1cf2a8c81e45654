#pragma once

#include <QString>

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace Db {
class Database;
}

// Finds airports the way a customer names them: a three-letter IATA code, an
// identifier whole or by its first letters, a city, or any word of the name, without
// regard to case or accents ("zurich" finds "Zürich", "sao paulo" "São Paulo"). Every
// word typed must begin a word of the airport (its identifier, code, name or city;
// "st", "ft", "mt" and "ste" as well as "saint", "fort", "mount" and "sainte"), or the
// words typed run together must ("la guardia" finds "LaGuardia"), or every word must
// begin a word of its country ("bermuda", "st kitts").
//
// The best come first: an exact IATA code or identifier; then the airports with an
// IATA code whose name or city begins with the words typed; then the airports that hold
// every word typed as a whole word; then those whose words only begin with them; then
// the words run together; then the airports of the countries named. Within each,
// airports with an IATA code (the airports that airlines and travel systems list)
// before those without, and the longer runway first:
// "athens" is the airport named for Athens before the one in Athens, Georgia, "paris"
// Charles de Gaulle in "Paris (Roissy-en-France)", and "heathrow" London Heathrow
// before a strip named Heathrow.
//
// The index is read once from the airport table and answers every keystroke from
// memory; it is read again after the table changes.
class AirportSearch
{
public:
    // One airport as the proposals list shows it.
    struct Airport
    {
        QString id, iata, name, city, state, country;
        qint32 runwayLength = 0; // feet; 0 when unknown
    };

    AirportSearch() = default;
    explicit AirportSearch(std::vector<Airport> airports);

    // The best airports for what was typed, best first, at most `limit`; indexes for
    // airport(). Nothing for a text without a letter or digit.
    std::vector<int> find(const QString& typed, int limit) const;
    const Airport& airport(int index) const { return m_airports[size_t(index)]; }
    int size() const { return int(m_airports.size()); }

    // The text as the search compares it: lower case, accents and apostrophes gone,
    // every run of other characters one blank, no blank at either end.
    static std::string fold(const QString& text);

private:
    // A folded text of an airport: where it stands in that airport's words.
    struct Entry
    {
        std::uint64_t head; // its first eight bytes, for a fast order
        std::uint32_t airport;
        std::uint16_t offset, length;
    };
    using Range = std::pair<std::vector<Entry>::const_iterator, std::vector<Entry>::const_iterator>;

    std::string_view text(const Entry& entry) const;
    // The entries of a sorted index that begin with the prefix, or equal it when whole.
    Range range(const std::vector<Entry>& index, std::string_view prefix, bool whole) const;
    bool matches(std::uint32_t airport, const std::vector<std::string>& needles) const;
    void rankOrder(std::vector<std::uint32_t>& airports) const;
    // The best `count` airports of a range of the word index, best first; with needles,
    // only those whose words hold every one of them.
    std::vector<std::uint32_t> bestOf(Range entries, size_t count,
                                      const std::vector<std::string>& needles) const;

    // A country as typed words find it.
    struct Country
    {
        std::string words;                   // " word word ... "
        std::uint64_t starts = 0;            // the marks of its words' first letters
        std::vector<std::uint32_t> airports; // from the largest to the smallest
    };

    std::vector<Airport> m_airports;
    std::vector<std::string> m_words;       // per airport: " word word ... " of all its texts
    std::vector<std::uint64_t> m_starts;    // per airport: the marks of its words' first letters
    std::vector<std::uint32_t> m_rank;      // per airport: its place in m_byRank
    std::vector<std::uint32_t> m_byRank;    // airports from the largest to the smallest
    std::vector<Entry> m_codes;             // identifiers and IATA codes, sorted
    std::vector<Entry> m_namesAndCities;    // whole names and cities of IATA airports, sorted
    std::vector<Entry> m_wordIndex;         // every word of every airport, sorted
    std::vector<std::uint32_t> m_blockBest; // per block of the word index: its best places
    std::vector<Country> m_countries;
};

// Reads every airport of the table Airports as the search needs them, in identifier
// order and some at a time, so that a window reads them between the operator's events.
// Building the search from them takes no database and may run on another thread. Every
// call throws the engine's DbError.
class AirportSearchReader
{
public:
    explicit AirportSearchReader(Db::Database& database);
    // Reads up to `count` more airports, or every one left when 0; true once every
    // airport has been read.
    bool readMore(int count = 0);
    std::vector<AirportSearch::Airport> take() { return std::move(m_airports); }

private:
    Db::Database& m_database;
    QString m_select;
    std::optional<QString> m_last; // the identifier read last
    bool m_done = false;
    std::vector<AirportSearch::Airport> m_airports;
};
