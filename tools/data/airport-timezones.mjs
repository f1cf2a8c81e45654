// Builds the airport time-zone table that the importer ships with:
//
//   node airport-timezones.mjs [--airports FILE] [--output FILE] [--year YEAR]
//
// Reads an OurAirports airports.csv (by default data/ourairports/airports.csv), finds
// the IANA time zone at each airport's position in the timezone-boundary-builder
// boundaries that geo-tz carries, and writes one line per airport (by default to
// data/ourairports/timezones.csv):
//
//   ident,iso_country,latitude_deg,longitude_deg,tz_database_name,standard_offset_hours
//
// The standard offset is worked out here, from the ICU time-zone data that node
// bundles, so that the import gives the same figures whatever time-zone database the
// machine that imports has. It is written as it is, also where the airport table cannot
// hold it (+13, +12.75): the importer decides what it keeps.

import { readFileSync, writeFileSync } from 'node:fs';
import { dirname, resolve } from 'node:path';
import { fileURLToPath } from 'node:url';
import { find } from 'geo-tz/all';

const here = dirname(fileURLToPath(import.meta.url));

function parseArguments(argv) {
    const options = {
        airports: resolve(here, '../../data/ourairports/airports.csv'),
        output: resolve(here, '../../data/ourairports/timezones.csv'),
        // The year after the run: its offsets follow the rules in force now, and no
        // change made earlier in the current year is mixed in.
        year: new Date().getUTCFullYear() + 1,
    };
    for (let i = 0; i < argv.length; i += 2) {
        const value = argv[i + 1];
        if (value === undefined)
            throw new Error(`${argv[i]} needs a value`);
        if (argv[i] === '--airports')
            options.airports = resolve(value);
        else if (argv[i] === '--output')
            options.output = resolve(value);
        else if (argv[i] === '--year' && /^\d{4}$/.test(value))
            options.year = Number(value);
        else if (argv[i] === '--year')
            throw new Error(`--year takes a year of four digits, not ${value}`);
        else
            throw new Error(`unknown argument ${argv[i]} ${value}`);
    }
    return options;
}

// The records of a CSV text (RFC 4180: quoted fields may hold commas, quotes and
// line breaks).
function parseCsv(text) {
    const records = [];
    let record = [], field = '', quoted = false;
    for (let i = 0; i < text.length; ++i) {
        const c = text[i];
        if (quoted) {
            if (c === '"' && text[i + 1] === '"') {
                field += '"';
                ++i;
            } else if (c === '"') {
                quoted = false;
            } else {
                field += c;
            }
        } else if (c === '"') {
            quoted = true;
        } else if (c === ',') {
            record.push(field);
            field = '';
        } else if (c === '\n' || c === '\r') {
            if (c === '\r' && text[i + 1] === '\n')
                ++i;
            record.push(field);
            records.push(record);
            record = [];
            field = '';
        } else {
            field += c;
        }
    }
    if (field !== '' || record.length > 0) {
        record.push(field);
        records.push(record);
    }
    return records.filter((r) => r.length > 1 || r[0] !== '');
}

// The offset from UTC in minutes of `zone` at `date`, as ICU has it.
function offsetMinutes(format, date) {
    const name = format.formatToParts(date).find((p) => p.type === 'timeZoneName').value;
    const match = /^GMT(?:([+-])(\d{2}):(\d{2}))?$/.exec(name);
    if (!match)
        throw new Error(`unexpected offset "${name}"`);
    if (!match[1])
        return 0;
    const minutes = Number(match[2]) * 60 + Number(match[3]);
    return match[1] === '-' ? -minutes : minutes;
}

// Clock changes that last for months are the seasons' summer time: the standard offset
// is the smallest offset in force for at least this many days of the year. Counting
// days this way gives the winter offset in the south as in the north, and in zones
// whose rules call the winter offset a negative saving (Europe/Dublin) as well; a short
// change such as Morocco's hour back during Ramadan is not the zone's standard time.
const SeasonDays = 60;

function standardOffsetHours(zone, year) {
    const format = new Intl.DateTimeFormat('en-US', { timeZone: zone, timeZoneName: 'longOffset' });
    const days = new Map(); // offset in minutes -> days of the year at noon UTC
    for (let d = new Date(Date.UTC(year, 0, 1, 12)); d.getUTCFullYear() === year;
         d = new Date(d.getTime() + 86400000)) {
        const offset = offsetMinutes(format, d);
        days.set(offset, (days.get(offset) ?? 0) + 1);
    }
    const seasons = [...days].filter(([, count]) => count >= SeasonDays).map(([offset]) => offset);
    return Math.min(...seasons) / 60;
}

// Zones taken where the boundaries give more than one: in Xinjiang both Beijing time and
// Urumqi time come back, and its airports publish their flights in Beijing time.
const PreferredOnDispute = new Set(['Asia/Shanghai']);

function csvField(text) {
    return /[",\r\n]/.test(text) ? `"${text.replaceAll('"', '""')}"` : text;
}

function main() {
    const options = parseArguments(process.argv.slice(2));
    const [header, ...rows] = parseCsv(readFileSync(options.airports, 'utf8'));
    const column = (name) => {
        const index = header.findIndex((h) => h.trim().toLowerCase() === name);
        if (index < 0)
            throw new Error(`${options.airports} has no column ${name}`);
        return index;
    };
    const cIdent = column('ident'), cLat = column('latitude_deg'), cLon = column('longitude_deg'),
          cCountry = column('iso_country');

    const offsets = new Map(); // zone -> standard offset in hours
    const lines = [];
    let ambiguous = 0, skipped = 0;
    for (const row of rows) {
        const ident = (row[cIdent] ?? '').trim().toUpperCase();
        const lat = Number(row[cLat]), lon = Number(row[cLon]);
        if (!ident || row[cLat]?.trim() === '' || row[cLon]?.trim() === '' ||
            !Number.isFinite(lat) || !Number.isFinite(lon) || Math.abs(lat) > 90 ||
            Math.abs(lon) > 180) {
            ++skipped;
            continue;
        }
        // More than one zone comes back on a boundary line or where the timekeeping
        // is disputed; the first is taken, unless a preferred one is among them, and
        // the count is reported.
        const zones = find(lat, lon);
        if (zones.length > 1)
            ++ambiguous;
        const zone = zones.find((z) => PreferredOnDispute.has(z)) ?? zones[0];
        if (!offsets.has(zone))
            offsets.set(zone, standardOffsetHours(zone, options.year));
        lines.push({
            ident,
            text: [ident, (row[cCountry] ?? '').trim().toUpperCase(),
                   Number(lat.toFixed(4)), Number(lon.toFixed(4)), zone, offsets.get(zone)]
                      .map((v) => csvField(String(v)))
                      .join(','),
        });
    }
    lines.sort((a, b) => (a.ident < b.ident ? -1 : a.ident > b.ident ? 1 : 0));
    const out = ['ident,iso_country,latitude_deg,longitude_deg,tz_database_name,' +
                 'standard_offset_hours']
                    .concat(lines.map((l) => l.text));
    writeFileSync(options.output, out.join('\n') + '\n');
    console.log(`${lines.length} airports written to ${options.output}, ${offsets.size} zones, ` +
                `offsets of ${options.year} (ICU ${process.versions.icu}, tz ${process.versions.tz})`);
    if (ambiguous)
        console.log(`${ambiguous} airports on more than one zone: the preferred or else the first taken`);
    if (skipped)
        console.log(`${skipped} lines without an identifier or a position left out`);
}

main();
