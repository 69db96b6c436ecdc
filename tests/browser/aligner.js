// Two scripted people aligning the practice dish (its model run natively by
// build/host/azimora-dish-probe, in simulated time), from the same start:
// one steers by the phone page's search sound alone, the pitch exactly as
// the page computes it (phone_sound.js), turning the dish at most 0.2° at a
// time and twice a second, as a hand does; the other has only the lock to
// go by and works through a square spiral of 0.5° steps, a second each.
// Each stops at the first lock of the satellite sought (the change of
// sound; a lock on a neighbour that repeats its transponder is searched
// past once the network names it, as the page tells). `node aligner.js` prints both
// times for ten starts, 3° off in azimuth and 1.5° in elevation, and how
// many wrong satellites each locked on the way; tests/browser/aligner_test.js
// checks them.
'use strict';
const { spawn } = require('node:child_process');
const fs = require('node:fs');
const path = require('node:path');
const readline = require('node:readline');
const Sound = require('../../cardbase/phone/page/phone_sound.js');

const root = path.resolve(__dirname, '../..');
const probePath = path.join(root, 'build/host/azimora-dish-probe');
const readingMs = 100;  // the card's readings, as the page gets them
const giveUpMs = 600000;

// Sites, satellites (their catalogue transponder) and the side the start lies on.
const starts = [
  { site: 'Moscow', lat: 55.75, lon: 37.62, satellite: 13.0, tp: [10723, 0, 29900], az: 3, el: 1.5 },
  { site: 'Moscow', lat: 55.75, lon: 37.62, satellite: 36.0, tp: [12207, 0, 27500], az: -3, el: -1.5 },
  { site: 'London', lat: 51.5, lon: -0.1, satellite: 19.2, tp: [12515, 0, 22000], az: 3, el: -1.5 },
  { site: 'London', lat: 51.5, lon: -0.1, satellite: 28.2, tp: [10773, 0, 22000], az: -3, el: 1.5 },
  { site: 'Warsaw', lat: 52.23, lon: 21.01, satellite: 16.0, tp: [11449, 0, 16000], az: 3, el: 1.5 },
  { site: 'Madrid', lat: 40.42, lon: -3.7, satellite: -30.0, tp: [11535, 1, 24500], az: -3, el: -1.5 },
  { site: 'Cairo', lat: 30.04, lon: 31.24, satellite: -7.0, tp: [11747, 1, 27500], az: 3, el: -1.5 },
  { site: 'Istanbul', lat: 41.01, lon: 28.98, satellite: 42.0, tp: [11096, 1, 27500], az: -3, el: 1.5 },
  { site: 'Berlin', lat: 52.52, lon: 13.4, satellite: 10.0, tp: [11607, 0, 27500], az: 3, el: 1.5 },
  { site: 'Athens', lat: 37.98, lon: 23.73, satellite: 39.0, tp: [12524, 0, 29000], az: -3, el: -1.5 },
];

// The probe: one question a line, one answer each, in order.
function openProbe() {
  if (!fs.existsSync(probePath)) throw new Error(probePath + ' is missing: build the host tools (tools/scripts/build.sh host)');
  const child = spawn(probePath, [path.join(root, 'resources/satellite.ini')], { stdio: ['pipe', 'pipe', 'inherit'] });
  const waiting = [];
  readline.createInterface({ input: child.stdout }).on('line', (line) => {
    const next = waiting.shift();
    if (next) next(line);
  });
  const ask = (question) => new Promise((resolve, reject) => {
    waiting.push((line) => (line.startsWith('error') ? reject(new Error(question + ': ' + line)) : resolve(line)));
    child.stdin.write(question + '\n');
  });
  return { ask, close: () => child.stdin.end() };
}

// One person at one dish: where it points, the simulated clock, the page's
// floor, and where the network named a wrong satellite.
function newDish(probe, start) {
  return { probe, start, t: 0, az: 0, el: 0, skew: 0, floor: Sound.newLevelFloor(), locked: false, lockedTo: null,
           known: new Set(), wrongPlaces: [] };
}
const stopped = (dish) => dish.locked;

async function pointAt(dish, az, el) {
  dish.az = Math.round(az * 100) / 100;
  dish.el = Math.round(el * 100) / 100;
  await dish.probe.ask('point ' + dish.az + ' ' + dish.el + ' ' + dish.skew);
}

// The readings of `ms` as the page hears them: the mean pitch in octaves
// over the floor's 250 Hz. A lock changes the sound: on the satellite
// sought it ends the search; on a neighbour that repeats its transponder
// the page soon says "wrong satellite", and the person searches on,
// remembering where that was.
async function listen(dish, ms) {
  let octaves = 0, count = 0;
  for (let waited = 0; waited < ms && !stopped(dish); waited += readingMs) {
    dish.t += readingMs;
    const [locked, , , state, value, present, satellite] = (await dish.probe.ask('poll ' + dish.t)).split(' ');
    const reading = { lock: locked === '1', level: { state, unit: 'dBm', value: Number(value), present: Number(present) } };
    const sound = Sound.searchSound(dish.floor, reading, 'the transponder');
    if (sound.kind === 'lock' && Number(satellite) === dish.start.satellite) {
      dish.locked = true;
      dish.lockedTo = Number(satellite);
      break;
    }
    if (sound.kind === 'lock' && !dish.known.has(satellite)) {
      dish.known.add(satellite);
      dish.wrongPlaces.push({ az: dish.az, el: dish.el });
    }
    const above = Sound.trackLevelFloor(dish.floor, reading.level, 'the transponder');
    octaves += Math.log2(Sound.searchPitch(above, 'dBm') / Sound.floorHz);
    ++count;
  }
  return count ? octaves / count : 0;
}

async function begin(probe, start) {
  const dish = newDish(probe, start);
  await probe.ask('site ' + start.lat + ' ' + start.lon);
  const [az, el, skew] = (await probe.ask('aim ' + start.satellite)).split(' ').map(Number);
  dish.skew = skew;  // the skew set from the pointing figures, as people do first
  await probe.ask('tune ' + start.tp.join(' '));
  await pointAt(dish, az + start.az, el + start.el);
  return dish;
}

// By ear: along one axis from where the dish is, one way and then, if no
// clear peak came, the other; back to the loudest place heard. A peak is
// clear once the note has risen half an octave (3 dB) over the quietest
// heard on the way and then fallen a sixth of an octave (1 dB) below its
// best: a first side lobe's small bump is passed over. Within a beam's
// width of where a wrong satellite locked, nothing counts as a peak.
const moveMs = 500, moveDeg = 0.2, reachDeg = 4, clearRise = 0.5, clearFall = 1 / 6, wrongSpanDeg = 2;

function nearWrongPlace(dish) {
  const across = Math.cos(dish.el * Math.PI / 180);
  return dish.wrongPlaces.some((p) => Math.hypot((p.az - dish.az) * across, p.el - dish.el) < wrongSpanDeg);
}

async function sweepAxis(dish, axis, step) {
  const origin = { az: dish.az, el: dish.el };
  const place = (offset) => (axis === 'az' ? [origin.az + offset, origin.el] : [origin.az, origin.el + offset]);
  const heard = async () => {
    const octaves = await listen(dish, moveMs);
    return nearWrongPlace(dish) ? -Infinity : octaves;
  };
  let best = { offset: 0, octaves: await heard() };
  let offset = 0;
  const goTo = async (target) => {
    while (Math.abs(target - offset) > 1e-9 && !stopped(dish)) {
      offset += Math.sign(target - offset) * Math.min(step, Math.abs(target - offset));
      await pointAt(dish, ...place(offset));
      const octaves = await heard();
      if (octaves > best.octaves) best = { offset, octaves };
    }
  };
  for (const direction of [1, -1]) {
    await goTo(0);
    let quietest = best.octaves, peaked = false;
    for (let n = 1; n * step <= reachDeg + 1e-9 && !stopped(dish); ++n) {
      offset = direction * n * step;
      await pointAt(dish, ...place(offset));
      const octaves = await heard();
      if (octaves === -Infinity) continue;
      quietest = Math.min(quietest, octaves);
      if (octaves > best.octaves) best = { offset, octaves };
      if (best.octaves - quietest >= clearRise && octaves <= best.octaves - clearFall &&
          Math.sign(best.offset) === direction) {
        peaked = true;
        break;
      }
    }
    if (peaked || stopped(dish)) break;
  }
  await goTo(best.offset);
}

async function byPitch(probe, start) {
  const dish = await begin(probe, start);
  for (let round = 0; !dish.locked && dish.t < giveUpMs; ++round) {
    const step = round === 0 ? moveDeg : 0.1;
    await sweepAxis(dish, 'az', step);
    if (!stopped(dish)) await sweepAxis(dish, 'el', step);
  }
  return dish;
}

// By lock alone: an outward square spiral of 0.5° steps about the start,
// each place listened to for a second.
const rasterDeg = 0.5, rasterMs = 1000;

async function byLock(probe, start) {
  const dish = await begin(probe, start);
  const origin = { az: dish.az, el: dish.el };
  let x = 0, y = 0;
  const visit = async () => {
    await pointAt(dish, origin.az + rasterDeg * x, origin.el + rasterDeg * y);
    await listen(dish, rasterMs);
  };
  await visit();
  for (let ring = 1; !stopped(dish) && dish.t < giveUpMs; ++ring) {
    x = ring; y = -ring + 1;
    await visit();
    const legs = [[0, 1, 2 * ring - 1], [-1, 0, 2 * ring], [0, -1, 2 * ring], [1, 0, 2 * ring]];
    for (const [dx, dy, count] of legs) {
      for (let i = 0; i < count && !stopped(dish); ++i) {
        x += dx; y += dy;
        await visit();
      }
    }
  }
  return dish;
}

// Both people at every start: [{start, pitch: {ms, lockedTo}, lock: {...}}].
async function measureAligners() {
  const probe = openProbe();
  try {
    const rows = [];
    for (const start of starts) {
      const pitch = await byPitch(probe, start);
      const lock = await byLock(probe, start);
      rows.push({ start, pitch: { ms: pitch.locked ? pitch.t : Infinity, wrongLocks: pitch.known.size },
                  lock: { ms: lock.locked ? lock.t : Infinity, wrongLocks: lock.known.size } });
    }
    return rows;
  } finally {
    probe.close();
  }
}

function report(rows) {
  const lines = ['start (first lock on the satellite sought) by pitch            by lock alone'];
  const seconds = (ms) => (Number.isFinite(ms) ? (ms / 1000).toFixed(1).padStart(6) + ' s' : '  none  ');
  for (const { start, pitch, lock } of rows) {
    const at = (wrongLocks) => (wrongLocks ? ' (' + wrongLocks + ' wrong)' : '');
    lines.push((start.site + ' to ' + Math.abs(start.satellite).toFixed(1) + (start.satellite < 0 ? 'W' : 'E') +
                ', ' + (start.az > 0 ? '+' : '') + start.az + '° az ' + (start.el > 0 ? '+' : '') + start.el + '° el')
                 .padEnd(40) + (seconds(pitch.ms) + at(pitch.wrongLocks)).padEnd(20) + seconds(lock.ms) + at(lock.wrongLocks));
  }
  const total = (key) => rows.reduce((sum, row) => sum + row[key].ms, 0);
  lines.push('mean'.padEnd(40) + seconds(total('pitch') / rows.length).padEnd(20) + seconds(total('lock') / rows.length));
  return lines.join('\n');
}

module.exports = { starts, measureAligners, report, byPitch, byLock, openProbe };

if (require.main === module) {
  measureAligners().then((rows) => console.log(report(rows)), (error) => { console.error(error.message); process.exit(1); });
}
