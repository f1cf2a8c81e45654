#include "core/airports/airportsearch.h"

#include "core/db/engine.h"

#include <QSet>

#include <algorithm>
#include <string_view>
#include <unordered_map>
#include <utility>

namespace {

// The word index in blocks, each with its best airports kept: a word typed as one
// letter spans thousands of entries, answered from the blocks' best and the entries
// at either end. A block's best hold every airport of the block that can be among the
// answers: no more than that many airports of the block rank before any one of them.
constexpr size_t Block = 1024;
constexpr size_t BlockBest = 16;
constexpr std::uint32_t NoAirport = UINT32_MAX;

// The first eight bytes of a text as one number that orders as the bytes do.
std::uint64_t headOf(std::string_view text)
{
    std::uint64_t head = 0;
    for (size_t i = 0; i < 8; ++i)
        head = head << 8 | (i < text.size() ? std::uint8_t(text[i]) : 0u);
    return head;
}

// The best places in the ranking offered to it, each once, at most `size` of them.
class BestPlaces
{
public:
    explicit BestPlaces(size_t size) : m_size(size) {}
    // Whether a place would be kept: testing it can be left out otherwise.
    bool wants(std::uint32_t place) const
    {
        return m_places.size() < m_size || place < m_places.back();
    }
    void offer(std::uint32_t place)
    {
        if (!wants(place))
            return;
        const auto at = std::lower_bound(m_places.begin(), m_places.end(), place);
        if (at != m_places.end() && *at == place)
            return;
        m_places.insert(at, place);
        if (m_places.size() > m_size)
            m_places.pop_back();
    }
    const std::vector<std::uint32_t>& places() const { return m_places; }

private:
    size_t m_size;
    std::vector<std::uint32_t> m_places;
};

// One of 64 marks for the first two letters of a word; none for a word of one letter.
std::uint64_t startMark(std::string_view word)
{
    if (word.size() < 2 || word[1] == ' ')
        return 0;
    return std::uint64_t(1) << ((std::uint8_t(word[0]) * 31u + std::uint8_t(word[1])) % 64u);
}

void appendUtf8(std::string& out, char32_t c)
{
    const QString text = QString::fromUcs4(&c, 1);
    out += text.toUtf8().toStdString();
}

// Letters that carry no accent to drop but are written in plain letters by those who
// have no key for them.
const char* spelledOut(char32_t lower)
{
    switch (lower) {
    case U'ß':
        return "ss";
    case U'æ':
        return "ae";
    case U'œ':
        return "oe";
    case U'ø':
        return "o";
    case U'ł':
        return "l";
    case U'đ':
    case U'ð':
        return "d";
    case U'þ':
        return "th";
    case U'ı':
        return "i";
    default:
        return nullptr;
    }
}

// Words that place names write either in full or shortened: "Ft Lauderdale" is found as
// "fort lauderdale" and "St. Petersburg" as "saint petersburg", whichever the data holds.
std::string_view otherSpelling(std::string_view word)
{
    static constexpr std::pair<std::string_view, std::string_view> Pairs[] = {
        {"saint", "st"}, {"sainte", "ste"}, {"fort", "ft"}, {"mount", "mt"}};
    for (const auto& [full, shortened] : Pairs) {
        if (word == full)
            return shortened;
        if (word == shortened)
            return full;
    }
    return {};
}

// The shortened or full spelling of each such word of " word word ... ", as more words.
std::string spelledOtherwise(std::string_view words)
{
    std::string more;
    for (size_t start = 1; start < words.size();) {
        const size_t end = words.find(' ', start);
        const std::string_view other = otherSpelling(words.substr(start, end - start));
        if (!other.empty())
            (more += other) += ' ';
        start = end + 1;
    }
    return more;
}

std::vector<std::string> wordsOf(const std::string& folded)
{
    std::vector<std::string> words;
    size_t start = 0;
    while (start < folded.size()) {
        size_t end = folded.find(' ', start);
        if (end == std::string::npos)
            end = folded.size();
        words.emplace_back(folded.substr(start, end - start));
        start = end + 1;
    }
    return words;
}

} // namespace

std::string AirportSearch::fold(const QString& text)
{
    std::string out;
    out.reserve(size_t(text.size()));
    bool gap = false; // a separator stands between the last letter and the next
    const auto letter = [&](auto&& append) {
        if (gap && !out.empty())
            out += ' ';
        gap = false;
        append();
    };
    for (qsizetype i = 0; i < text.size(); ++i) {
        const char16_t u = text.at(i).unicode();
        if (u < 0x80) {
            const char a = char(u);
            if ((a >= 'a' && a <= 'z') || (a >= '0' && a <= '9'))
                letter([&] { out += a; });
            else if (a >= 'A' && a <= 'Z')
                letter([&] { out += char(a - 'A' + 'a'); });
            else if (a != '\'') // O'Hare is "ohare"
                gap = true;
            continue;
        }
        if (u == 0x2019 || u == 0x2018)
            continue;
        char32_t c = u;
        if (QChar::isHighSurrogate(u) && i + 1 < text.size() &&
            QChar::isLowSurrogate(text.at(i + 1).unicode()))
            c = QChar::surrogateToUcs4(u, text.at(++i).unicode());
        const char32_t lower = QChar::toLower(c);
        if (const char* plain = spelledOut(lower)) {
            letter([&] { out += plain; });
            continue;
        }
        // Accents go; letters of other scripts stay as they are, in lower case.
        const QString parts =
            QString::fromUcs4(&lower, 1).normalized(QString::NormalizationForm_KD);
        for (const QChar part : parts) {
            if (part.isMark())
                continue;
            if (!part.isLetterOrNumber()) {
                gap = true;
                continue;
            }
            const char32_t p = part.toLower().unicode();
            if (p < 0x80)
                letter([&] { out += char(p); });
            else
                letter([&] { appendUtf8(out, p); });
        }
    }
    return out;
}

AirportSearch::AirportSearch(std::vector<Airport> airports) : m_airports(std::move(airports))
{
    const auto count = std::uint32_t(m_airports.size());
    m_words.resize(count);
    m_starts.assign(count, 0);
    m_codes.reserve(2 * size_t(count));
    m_namesAndCities.reserve(2 * size_t(count));
    m_wordIndex.reserve(6 * size_t(count));
    for (std::uint32_t a = 0; a < count; ++a) {
        const Airport& airport = m_airports[a];
        std::string& words = m_words[a];
        words = ' ';
        // Each text's place in the words, for the indexes of whole texts.
        const auto add = [&](const QString& text) -> Entry {
            const std::string folded = fold(text);
            if (folded.empty())
                return {0, a, 0, 0};
            const Entry entry{headOf(folded), a, std::uint16_t(words.size()),
                              std::uint16_t(folded.size())};
            words += folded;
            words += ' ';
            return entry;
        };
        for (const Entry& code : {add(airport.id), add(airport.iata)}) {
            if (code.length > 0)
                m_codes.push_back(code);
        }
        // Airports with an IATA code, for what their name or city begins with.
        for (const Entry& text : {add(airport.name), add(airport.city)}) {
            if (text.length > 0 && !airport.iata.isEmpty())
                m_namesAndCities.push_back(text);
        }
        words += spelledOtherwise(words);
        // Every word once per airport.
        std::vector<std::string_view> seen;
        size_t start = 1;
        while (start < words.size()) {
            const size_t end = words.find(' ', start);
            const std::string_view word(words.data() + start, end - start);
            if (std::find(seen.begin(), seen.end(), word) == seen.end()) {
                seen.push_back(word);
                m_starts[a] |= startMark(word);
                m_wordIndex.push_back(
                    {headOf(word), a, std::uint16_t(start), std::uint16_t(end - start)});
            }
            start = end + 1;
        }
    }

    m_byRank.resize(count);
    for (std::uint32_t a = 0; a < count; ++a)
        m_byRank[a] = a;
    std::sort(m_byRank.begin(), m_byRank.end(), [this](std::uint32_t x, std::uint32_t y) {
        const Airport& a = m_airports[x];
        const Airport& b = m_airports[y];
        if (a.iata.isEmpty() != b.iata.isEmpty())
            return b.iata.isEmpty();
        if (a.runwayLength != b.runwayLength)
            return a.runwayLength > b.runwayLength;
        return a.id.compare(b.id, Qt::CaseInsensitive) < 0;
    });
    m_rank.resize(count);
    for (std::uint32_t place = 0; place < count; ++place)
        m_rank[m_byRank[place]] = place;

    // Each country's airports from the largest to the smallest.
    std::unordered_map<QString, std::uint32_t> countryOf;
    for (const std::uint32_t a : m_byRank) {
        const auto [at, added] =
            countryOf.try_emplace(m_airports[a].country, std::uint32_t(m_countries.size()));
        if (added) {
            Country country;
            const std::string folded = fold(m_airports[a].country);
            country.words = ' ' + folded + ' ';
            country.words += spelledOtherwise(country.words);
            for (const std::string& word : wordsOf(country.words.substr(1)))
                country.starts |= startMark(word);
            m_countries.push_back(std::move(country));
        }
        m_countries[at->second].airports.push_back(a);
    }

    const auto byText = [this](const Entry& x, const Entry& y) {
        if (x.head != y.head)
            return x.head < y.head;
        // Equal heads of texts of up to eight bytes: the shorter is the other's beginning.
        const int order = x.length <= 8 && y.length <= 8 ? int(x.length) - int(y.length)
                                                         : text(x).compare(text(y));
        return order != 0 ? order < 0 : m_rank[x.airport] < m_rank[y.airport];
    };
    for (std::vector<Entry>* index : {&m_codes, &m_namesAndCities, &m_wordIndex})
        std::sort(index->begin(), index->end(), byText);

    m_blockBest.assign((m_wordIndex.size() / Block) * BlockBest, NoAirport);
    for (size_t block = 0; block < m_wordIndex.size() / Block; ++block) {
        BestPlaces best(BlockBest);
        for (size_t e = block * Block; e < (block + 1) * Block; ++e)
            best.offer(m_rank[m_wordIndex[e].airport]);
        std::copy(best.places().begin(), best.places().end(),
                  m_blockBest.begin() + std::ptrdiff_t(block * BlockBest));
    }
}

AirportSearchReader::AirportSearchReader(Db::Database& database) : m_database(database)
{
    // A folder made before the airports knew their IATA code and city reads them empty.
    QSet<QString> columns;
    for (const Db::ColumnInfo& column : database.columns(QStringLiteral("Airports")))
        columns.insert(column.name.toUpper());
    const auto column = [&columns](const char* name) {
        const QString n = QString::fromLatin1(name);
        return columns.contains(n) ? QStringLiteral("[%1]").arg(n) : QStringLiteral("''");
    };
    m_select =
        QStringLiteral("SELECT ID, %1, NAME, %2, STATE, COUNTRY, [RUNWAY LENGTH] FROM Airports")
            .arg(column("IATA"), column("CITY"));
}

bool AirportSearchReader::readMore(int count)
{
    if (m_done)
        return true;
    // Each slice from where the last one ended, by the identifiers' index.
    QString sql = m_select;
    if (m_last)
        sql += QStringLiteral(" WHERE ID > :last");
    sql += QStringLiteral(" ORDER BY ID");
    if (count > 0)
        sql += QStringLiteral(" LIMIT %1").arg(count);
    auto query = m_database.temporaryQueryDef(sql);
    if (m_last)
        query.setParameter(QStringLiteral("last"), *m_last);
    const auto set = query.openSnapshot();
    const int read = set->recordCount();
    m_airports.reserve(m_airports.size() + size_t(read));
    for (; !set->eof(); set->moveNext()) {
        AirportSearch::Airport a;
        a.id = set->value(0).toString();
        a.iata = set->value(1).toString();
        a.name = set->value(2).toString();
        a.city = set->value(3).toString();
        a.state = set->value(4).toString();
        a.country = set->value(5).toString();
        a.runwayLength = set->value(6).toInt();
        m_airports.push_back(std::move(a));
    }
    if (read > 0)
        m_last = m_airports.back().id;
    m_done = count <= 0 || read < count;
    return m_done;
}

std::string_view AirportSearch::text(const Entry& entry) const
{
    return std::string_view(m_words[entry.airport]).substr(entry.offset, entry.length);
}

AirportSearch::Range AirportSearch::range(const std::vector<Entry>& index, std::string_view prefix,
                                          bool whole) const
{
    // Most entries differ from the prefix in their first eight bytes, kept in the index
    // itself: their words are not read.
    const std::uint64_t head = headOf(prefix);
    const bool shortPrefix = prefix.size() <= 8;
    const std::uint64_t mask =
        prefix.empty() ? 0 : ~std::uint64_t(0) << (8 * (8 - std::min<size_t>(prefix.size(), 8)));
    const auto from = std::partition_point(index.begin(), index.end(), [&](const Entry& e) {
        if (e.head != head)
            return e.head < head;
        // Equal heads of texts of up to eight bytes: the shorter is the other's beginning.
        return e.length <= 8 && shortPrefix ? e.length < prefix.size() : text(e) < prefix;
    });
    const auto to = std::partition_point(from, index.end(), [&](const Entry& e) {
        if ((e.head & mask) != (head & mask))
            return false;
        if (shortPrefix)
            return !whole || e.length == prefix.size();
        const std::string_view t = text(e);
        return whole ? t == prefix : t.substr(0, prefix.size()) == prefix;
    });
    return {from, to};
}

bool AirportSearch::matches(std::uint32_t airport, const std::vector<std::string>& needles) const
{
    // The letters its words begin with first: most candidates fail there, without
    // their words being read.
    for (const std::string& needle : needles) {
        const std::uint64_t mark = startMark(std::string_view(needle).substr(1));
        if ((m_starts[airport] & mark) != mark)
            return false;
    }
    const std::string& words = m_words[airport];
    for (const std::string& needle : needles) {
        if (words.find(needle) == std::string::npos)
            return false;
    }
    return true;
}

void AirportSearch::rankOrder(std::vector<std::uint32_t>& airports) const
{
    std::sort(airports.begin(), airports.end(),
              [this](std::uint32_t x, std::uint32_t y) { return m_rank[x] < m_rank[y]; });
    airports.erase(std::unique(airports.begin(), airports.end()), airports.end());
}

std::vector<std::uint32_t> AirportSearch::bestOf(Range entries, size_t count,
                                                 const std::vector<std::string>& needles) const
{
    BestPlaces best(count);
    const auto scan = [&](std::vector<Entry>::const_iterator from,
                          std::vector<Entry>::const_iterator to) {
        for (auto e = from; e != to; ++e) {
            const std::uint32_t place = m_rank[e->airport];
            if (best.wants(place) && (needles.empty() || matches(e->airport, needles)))
                best.offer(place);
        }
    };
    const auto begin = m_wordIndex.begin();
    const size_t from = size_t(entries.first - begin), to = size_t(entries.second - begin);
    const size_t firstBlock = (from + Block - 1) / Block, endBlock = to / Block;
    if (!needles.empty() || count > BlockBest || firstBlock >= endBlock) {
        scan(entries.first, entries.second);
    } else {
        // Whole blocks by their best, the entries before and after them one by one.
        scan(entries.first, begin + std::ptrdiff_t(firstBlock * Block));
        for (size_t block = firstBlock; block < endBlock; ++block) {
            for (size_t i = 0; i < BlockBest; ++i) {
                const std::uint32_t place = m_blockBest[block * BlockBest + i];
                if (place == NoAirport)
                    break;
                best.offer(place);
            }
        }
        scan(begin + std::ptrdiff_t(endBlock * Block), entries.second);
    }
    std::vector<std::uint32_t> airports;
    for (const std::uint32_t place : best.places())
        airports.push_back(m_byRank[place]);
    return airports;
}

std::vector<int> AirportSearch::find(const QString& typed, int limit) const
{
    const std::string query = fold(typed);
    if (query.empty() || limit <= 0)
        return {};
    const std::vector<std::string> words = wordsOf(query);

    std::vector<std::uint32_t> found;
    const auto take = [&](std::vector<std::uint32_t> tier) {
        rankOrder(tier);
        for (const std::uint32_t airport : tier) {
            if (found.size() >= size_t(limit))
                return;
            if (std::find(found.begin(), found.end(), airport) == found.end())
                found.push_back(airport);
        }
    };
    std::vector<std::uint32_t> codes;
    for (Range r = range(m_codes, query, true); r.first != r.second; ++r.first)
        codes.push_back(r.first->airport);
    take(codes);
    // The airports with an IATA code whose name or city begins with the words typed:
    // "paris" is Charles de Gaulle, in "Paris (Roissy-en-France)", and "bern" is Bern
    // before New Bern. "saint louis" is also "st louis", as the data writes it.
    std::string otherwise;
    if (std::any_of(words.begin(), words.end(),
                    [](const std::string& word) { return !otherSpelling(word).empty(); })) {
        for (const std::string& word : words) {
            const std::string_view other = otherSpelling(word);
            (otherwise += other.empty() ? std::string_view(word) : other) += ' ';
        }
        otherwise.pop_back();
    }
    BestPlaces named{size_t(limit)};
    for (const std::string_view begun : {std::string_view(query), std::string_view(otherwise)}) {
        if (begun.empty())
            continue;
        for (Range r = range(m_namesAndCities, begun, false); r.first != r.second; ++r.first) {
            const std::string_view t = text(*r.first);
            if (t.size() == begun.size() || t[begun.size()] == ' ')
                named.offer(m_rank[r.first->airport]);
        }
    }
    std::vector<std::uint32_t> starting;
    for (const std::uint32_t place : named.places())
        starting.push_back(m_byRank[place]);
    take(starting);

    // Then every word typed a whole word of the airport ("bern" is New Bern before San
    // Bernardino), then every word the beginning of one. The rarest word names the
    // candidates, and the others are looked for in each candidate's words. Enough for
    // the places the tiers before did not take, whichever they took.
    for (const bool whole : {true, false}) {
        std::vector<std::string> needles;
        Range rarest;
        for (const std::string& word : words) {
            needles.push_back(' ' + word + (whole ? " " : ""));
            const Range r = range(m_wordIndex, word, whole);
            if (needles.size() == 1 || r.second - r.first < rarest.second - rarest.first)
                rarest = r;
        }
        take(bestOf(rarest, size_t(limit) + found.size(),
                    words.size() == 1 ? std::vector<std::string>() : needles));
    }
    // Words typed apart that the airport writes as one: "la guardia" is LaGuardia.
    if (words.size() > 1 && found.size() < size_t(limit)) {
        std::string joined;
        for (const std::string& word : words)
            joined += word;
        take(bestOf(range(m_wordIndex, joined, false), size_t(limit) + found.size(), {}));
    }
    // Last, the largest airports of the countries whose words begin with the words typed:
    // an island is named for its country ("bermuda", "st kitts").
    if (found.size() < size_t(limit)) {
        std::vector<std::string> needles;
        std::uint64_t marks = 0;
        for (const std::string& word : words) {
            needles.push_back(' ' + word);
            marks |= startMark(word);
        }
        std::vector<std::uint32_t> largest;
        for (const Country& country : m_countries) {
            if ((country.starts & marks) != marks ||
                !std::all_of(needles.begin(), needles.end(), [&](const std::string& needle) {
                    return country.words.find(needle) != std::string::npos;
                }))
                continue;
            const size_t count = std::min(country.airports.size(), size_t(limit) + found.size());
            largest.insert(largest.end(), country.airports.begin(),
                           country.airports.begin() + std::ptrdiff_t(count));
        }
        take(largest);
    }
    return std::vector<int>(found.begin(), found.end());
}
