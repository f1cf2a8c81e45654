// Builds the world map that the program draws routes on, with no network at run time:
//
//   node world-map.mjs [--scale 50m|110m] [--output FILE]
//
// Copies the Natural Earth land and countries of the npm package world-atlas into
// data/naturalearth/world-50m.json (by default), a TopoJSON topology as world-atlas
// ships it (quantized, delta-encoded arcs shared by the land and the countries), reduced
// to what the program reads: the object `land` and the object `countries` (each country's
// geometry and its ISO 3166 numeric code, the properties left out), written without
// blanks. The program finds it in a resource of its core library.
//
// The scale is 1:50m. At 1:110m a route of a few hundred miles zoomed to its legs shows
// hardly a coastline: its Aegean has one island (Crete), and neither the Balearics nor the
// Channel Islands are there; at 1:50m the Aegean has 35, the Balearics 4, the Channel
// Islands 2. The 1:50m file is 748 kB (227 kB compressed, as the resource keeps it; 1,429
// land rings, 80,617 points) where the 1:110m one is 102 kB (37 kB compressed; 125 rings,
// 8,246 points). A printed map holds only the points in its frame, so a quote zoomed to its
// route carries a small part of either; the 1:10m data (3.6 MB) would weigh on the program
// and on every page for detail that a page cannot show. `--scale 110m` writes the smaller
// one for comparison.

import { readFileSync, writeFileSync } from 'node:fs';
import { dirname, resolve } from 'node:path';
import { fileURLToPath } from 'node:url';
import { createRequire } from 'node:module';

const here = dirname(fileURLToPath(import.meta.url));
const require = createRequire(import.meta.url);

function parseArguments(argv) {
    const options = { scale: '50m', output: undefined };
    for (let i = 0; i < argv.length; i += 2) {
        const value = argv[i + 1];
        if (value === undefined)
            throw new Error(`${argv[i]} needs a value`);
        if (argv[i] === '--output')
            options.output = resolve(value);
        else if (argv[i] === '--scale' && (value === '50m' || value === '110m'))
            options.scale = value;
        else if (argv[i] === '--scale')
            throw new Error(`--scale takes 50m or 110m, not ${value}`);
        else
            throw new Error(`unknown argument ${argv[i]} ${value}`);
    }
    options.output ??= resolve(here, `../../data/naturalearth/world-${options.scale}.json`);
    return options;
}

// The topology with its `land` and `countries` only, each country reduced to its type,
// arcs and code.
function reduce(topology) {
    const { land, countries } = topology.objects;
    if (!land || !countries || !topology.transform)
        throw new Error('world-atlas no longer ships land and countries in one quantized topology');
    return {
        type: 'Topology',
        bbox: topology.bbox,
        transform: topology.transform,
        objects: {
            land,
            countries: {
                type: countries.type,
                geometries: countries.geometries.map(({ type, arcs, id }) =>
                    id === undefined ? { type, arcs } : { type, arcs, id }),
            },
        },
        arcs: topology.arcs,
    };
}

const options = parseArguments(process.argv.slice(2));
const source = require.resolve(`world-atlas/countries-${options.scale}.json`);
const version = JSON.parse(readFileSync(resolve(dirname(source), 'package.json'), 'utf8')).version;
const topology = reduce(JSON.parse(readFileSync(source, 'utf8')));
const text = JSON.stringify(topology);
writeFileSync(options.output, text);
console.log(`${options.output}: world-atlas ${version}, 1:${options.scale}, ` +
            `${topology.arcs.length} arcs, ${topology.objects.countries.geometries.length} countries, ` +
            `${text.length} bytes`);
