// The pointing's figures against libraries nobody here wrote: the sun's
// position and the hour it stands at the satellite's azimuth against
// astronomy-engine (npm) and PyEphem (Debian's python3-ephem), the magnetic
// declination against NOAA's WMM2025 test values (as npm's geomagnetism
// ships them) and against geomagnetism and magvar for a grid of places, for
// places in both hemispheres, the tropics and high latitudes, and dates near
// the solstices and equinoxes. The figures come from azimora-point (the
// phone page's own answers, build/host), three decimals each. Agreement
// within 0.1° for angles and a minute for the sun's hour; the largest
// differences are printed.
'use strict';
const test = require('node:test');
const assert = require('node:assert');
const { execFileSync } = require('node:child_process');
const fs = require('node:fs');
const path = require('node:path');
const geomagnetism = require('geomagnetism');
const { magvar } = require('magvar');
const { engineSun, engineCrossings } = require('./reference_sun.js');

const root = path.resolve(__dirname, '../..');
const tool = path.join(root, process.env.AZM_HOST || 'build/host', 'azimora-point');
const angleTolerance = 0.1;
const hourToleranceMs = 60000;

const places = [
  ['Moscow', 55.75, 37.62], ['London', 51.5, -0.13], ['Reykjavik', 64.15, -21.94], ['Tromsø', 69.65, 18.96],
  ['Anchorage', 61.22, -149.9], ['Singapore', 1.35, 103.82], ['Nairobi', -1.29, 36.82], ['Havana', 23.11, -82.37],
  ['Mumbai', 19.08, 72.88], ['Lima', -12.05, -77.04], ['Sydney', -33.87, 151.21], ['Buenos Aires', -34.6, -58.38],
  ['Cape Town', -33.92, 18.42], ['Hobart', -42.88, 147.33], ['Ushuaia', -54.8, -68.3],
];
// Near the solstices and equinoxes, inside WMM2025's five years.
const moments = ['2025-06-21T09:30Z', '2025-12-21T15:00Z', '2026-03-20T06:00Z', '2027-09-23T20:00Z',
                 '2028-06-20T12:00Z', '2029-12-21T03:00Z'].map((t) => Date.parse(t));

// Two satellites for each place, west and east of it: every azimuth of the arc's middle.
function cases() {
  const list = [];
  for (const [name, lat, lon] of places) {
    const zone = Math.round(lon / 15) * 60;
    for (const t of moments) {
      for (const shift of [-20, 15]) {
        let satellite = Math.round((lon + shift) * 10) / 10;
        if (satellite > 180) satellite -= 360;
        if (satellite < -180) satellite += 360;
        list.push({ name, lat, lon, t, zone, satellite });
      }
    }
  }
  return list;
}

function answers(lines) {
  if (!fs.existsSync(tool)) throw new Error(tool + ' is missing: build the host tools (tools/scripts/build.sh host)');
  const output = execFileSync(tool, [], { input: lines.join('\n') + '\n', encoding: 'utf8', timeout: 120000 });
  return output.trim().split('\n').map((line) => {
    if (line.startsWith('error:')) throw new Error(line);
    return JSON.parse(line);
  });
}

const query = (c) => 'site=' + c.lat + ',' + c.lon + '&satellite=' + Math.abs(c.satellite) + (c.satellite < 0 ? 'W' : 'E') +
  '&t=' + c.t + '&zone=' + c.zone;
const azimuthGap = (a, b) => { const d = ((a - b) % 360 + 540) % 360 - 180; return Math.abs(d); };

function largest(label) {
  const worst = { value: 0, where: '' };
  return {
    note(value, where) { if (value > worst.value) { worst.value = value; worst.where = where; } },
    report(unit) { console.log('largest difference, ' + label + ': ' + worst.value.toFixed(unit === 's' ? 1 : 4) + ' ' + unit +
                               (worst.where ? ' (' + worst.where + ')' : '')); },
  };
}

function ephemAnswers(asked) {
  const output = execFileSync('/usr/bin/python3', [path.join(__dirname, 'sun_ephem.py')],
                              { input: JSON.stringify(asked), encoding: 'utf8', timeout: 300000 });
  return JSON.parse(output);
}

// Local midnight to midnight of the query's day, as the program takes "today".
function dayOf(c) {
  const shift = c.zone * 60000, day = 86400000;
  const start = Math.floor((c.t + shift) / day) * day - shift;
  return [start, start + day];
}

// Crossings the sun makes with the horizon within a few minutes may fall either side of it.
const clearOfHorizon = (crossings) => crossings.filter((x) => x[1] > 0.5);

function compareCrossings(label, c, ours, theirs, hour, height) {
  const mine = clearOfHorizon(ours.map((s) => [s.at, s.elevation]));
  const reference = clearOfHorizon(theirs);
  assert.strictEqual(mine.length, reference.length,
                     label + ': ' + c.name + ' ' + new Date(c.t).toISOString() + ' sat ' + c.satellite + ': ' +
                     JSON.stringify(mine) + ' against ' + JSON.stringify(reference));
  mine.forEach(([at, elevation], i) => {
    const where = c.name + ' ' + new Date(at).toISOString() + ' sat ' + c.satellite;
    hour.note(Math.abs(at - reference[i][0]) / 1000, where);
    height.note(Math.abs(elevation - reference[i][1]), where);
    assert.ok(Math.abs(at - reference[i][0]) <= hourToleranceMs, label + ' hour ' + where);
    assert.ok(Math.abs(elevation - reference[i][1]) <= angleTolerance, label + ' elevation ' + where);
  });
}

test('the pointing agrees with other people\'s sun and magnetic models', { timeout: 600000 }, async (t) => {
  const list = cases();
  const figures = answers(list.map(query));

  await t.test('the sun now and its hour at the satellite\'s azimuth, against astronomy-engine', () => {
    const azimuth = largest('sun azimuth, astronomy-engine'), elevation = largest('sun elevation, astronomy-engine');
    const hour = largest('sun hour, astronomy-engine'), height = largest('sun elevation at that hour, astronomy-engine');
    let crossings = 0;
    list.forEach((c, i) => {
      const f = figures[i], sun = engineSun(c.lat, c.lon, c.t);
      const where = c.name + ' ' + new Date(c.t).toISOString();
      azimuth.note(azimuthGap(f.sunNow.azimuth, sun.azimuth), where);
      elevation.note(Math.abs(f.sunNow.elevation - sun.elevation), where);
      assert.ok(azimuthGap(f.sunNow.azimuth, sun.azimuth) <= angleTolerance, 'sun azimuth ' + where);
      assert.ok(Math.abs(f.sunNow.elevation - sun.elevation) <= angleTolerance, 'sun elevation ' + where);
      const [from, to] = dayOf(c);
      compareCrossings('astronomy-engine', c, f.sun, engineCrossings(c.lat, c.lon, from, to, f.azimuth), hour, height);
      crossings += f.sun.length;
    });
    for (const l of [azimuth, elevation]) l.report('°');
    hour.report('s');
    height.report('°');
    // Days without the sun at the azimuth (polar night) are among them.
    assert.ok(list.some((c, i) => figures[i].sun.length === 0), 'a day without the sun at the azimuth');
    assert.ok(crossings > list.length / 2);
  });

  await t.test('where the sun turns back through an azimuth, both hours, against both', () => {
    // Between the tropic and the equator, when the sun culminates on the far
    // side of the zenith, its azimuth turns back: no geostationary satellite
    // stands there (they are all on the equator's side), but the search is
    // the same for every azimuth.
    const turning = [['Havana', 23.11, -82.37, '2025-06-21T05:00Z', 75], ['Havana', 23.11, -82.37, '2025-06-21T05:00Z', 84],
                     ['Mumbai', 19.08, 72.88, '2026-06-20T18:30Z', 290], ['Lima', -12.05, -77.04, '2025-12-21T05:00Z', 110],
                     ['Singapore', 1.35, 103.82, '2027-06-21T16:00Z', 66.7]];
    const lines = turning.map(([, lat, lon, day, az]) => ['crossings', lat, lon, Date.parse(day),
                                                          Date.parse(day) + 86400000, az].join(' '));
    const mine = answers(lines);
    const ephem = ephemAnswers({ crossings: turning.map(([, lat, lon, day, az]) => [lat, lon, Date.parse(day),
                                                                                    Date.parse(day) + 86400000, az]) });
    const hour = largest('sun hour where it turns back'), height = largest('sun elevation where it turns back');
    let twice = 0;
    turning.forEach(([name, lat, lon, day, az], i) => {
      const c = { name, t: Date.parse(day), satellite: 'azimuth ' + az };
      const ours = mine[i].map(([at, elevation]) => ({ at, elevation }));
      compareCrossings('astronomy-engine', c, ours,
                       engineCrossings(lat, lon, Date.parse(day), Date.parse(day) + 86400000, az), hour, height);
      compareCrossings('PyEphem', c, ours, ephem.crossings[i], hour, height);
      if (ours.length === 2) twice++;
    });
    hour.report('s');
    height.report('°');
    assert.ok(twice >= 3, twice + ' days with the sun at the azimuth twice');
  });

  await t.test('the sun now and its hour at the satellite\'s azimuth, against PyEphem', () => {
    const asked = { positions: list.map((c) => [c.lat, c.lon, c.t]),
                    crossings: list.map((c, i) => [c.lat, c.lon, ...dayOf(c), figures[i].azimuth]) };
    const ephem = ephemAnswers(asked);
    const azimuth = largest('sun azimuth, PyEphem'), elevation = largest('sun elevation, PyEphem');
    const hour = largest('sun hour, PyEphem'), height = largest('sun elevation at that hour, PyEphem');
    list.forEach((c, i) => {
      const f = figures[i], [az, el] = ephem.positions[i];
      const where = c.name + ' ' + new Date(c.t).toISOString();
      azimuth.note(azimuthGap(f.sunNow.azimuth, az), where);
      elevation.note(Math.abs(f.sunNow.elevation - el), where);
      assert.ok(azimuthGap(f.sunNow.azimuth, az) <= angleTolerance, 'sun azimuth ' + where);
      assert.ok(Math.abs(f.sunNow.elevation - el) <= angleTolerance, 'sun elevation ' + where);
      compareCrossings('PyEphem', c, f.sun, ephem.crossings[i], hour, height);
    });
    for (const l of [azimuth, elevation]) l.report('°');
    hour.report('s');
    height.report('°');
  });

  await t.test('the declination, against geomagnetism and magvar', () => {
    const fromGeomagnetism = largest('declination, geomagnetism'), fromMagvar = largest('declination, magvar');
    list.forEach((c, i) => {
      const f = figures[i], date = new Date(c.t);
      const where = c.name + ' ' + date.toISOString();
      const year = date.getUTCFullYear(), start = Date.UTC(year, 0, 1);
      const decimalYear = year + (c.t - start) / (Date.UTC(year + 1, 0, 1) - start);
      const other = geomagnetism.model(date, { allowOutOfBoundsModel: true }).point([c.lat, c.lon, 0]).decl;
      const third = magvar(c.lat, c.lon, 0, decimalYear);
      assert.ok(f.declination !== null, where);
      fromGeomagnetism.note(azimuthGap(f.declination, other), where);
      fromMagvar.note(azimuthGap(f.declination, third), where);
      assert.ok(azimuthGap(f.declination, other) <= angleTolerance, 'geomagnetism ' + where);
      assert.ok(azimuthGap(f.declination, third) <= angleTolerance, 'magvar ' + where);
      assert.ok(azimuthGap(f.magneticAzimuth, f.azimuth - f.declination) < 0.002, where);
    });
    fromGeomagnetism.report('°');
    fromMagvar.report('°');
  });

  await t.test('the declination and field, against NOAA\'s WMM2025 test values', () => {
    const file = path.join(path.dirname(require.resolve('geomagnetism/package.json')), 'test/values.csv');
    const rows = fs.readFileSync(file, 'utf8').trim().split(/\r?\n/).slice(1).map((l) => l.split(',').map(Number))
      .filter((r) => r[0] >= 2025);
    assert.strictEqual(rows.length, 100, 'the 100 test values of WMM2025');
    const fields = answers(rows.map(([year, height, lat, lon]) => 'field ' + [lat, lon, height, year].join(' ')));
    const declination = largest('declination, NOAA test values'), inclination = largest('inclination, NOAA test values');
    const components = largest('field components, NOAA test values');
    rows.forEach(([year, height, lat, lon, x, y, z, , , incl, decl], i) => {
      const f = fields[i], where = [year, height, lat, lon].join(' ');
      declination.note(azimuthGap(f.declination, decl), where);
      inclination.note(Math.abs(f.inclination - incl), where);
      for (const [mine, theirs] of [[f.north, x], [f.east, y], [f.down, z]]) components.note(Math.abs(mine - theirs), where);
      // The values are given to a hundredth of a degree and a tenth of a nT or finer.
      assert.ok(azimuthGap(f.declination, decl) <= 0.011, 'declination ' + where);
      assert.ok(Math.abs(f.inclination - incl) <= 0.011, 'inclination ' + where);
      for (const [mine, theirs] of [[f.north, x], [f.east, y], [f.down, z]]) assert.ok(Math.abs(mine - theirs) < 1, where);
    });
    declination.report('°');
    inclination.report('°');
    components.report('nT');
  });
});
