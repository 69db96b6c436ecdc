// The sun by astronomy-engine (npm), apparent and without refraction, and
// the moments it passes an azimuth by the same rule as the program's: the
// day looked at every two minutes, each change of side halved down to a
// second, the sun up. What the tests compare the program's sun with.
'use strict';
const Astronomy = require('astronomy-engine');

function engineSun(lat, lon, ms) {
  const date = new Date(ms);
  const observer = new Astronomy.Observer(lat, lon, 0);
  const equator = Astronomy.Equator(Astronomy.Body.Sun, date, observer, true, true);
  const horizon = Astronomy.Horizon(date, observer, equator.ra, equator.dec);
  return { azimuth: horizon.azimuth, elevation: horizon.altitude };
}

// How far the azimuth lies clockwise of the reference, -180 .. 180.
const azimuthOffset = (azimuth, reference) => ((azimuth - reference) % 360 + 540) % 360 - 180;

function engineCrossings(lat, lon, from, to, azimuth) {
  const side = (ms) => azimuthOffset(engineSun(lat, lon, ms).azimuth, azimuth);
  const found = [];
  let before = from, offsetBefore = side(from);
  while (before < to) {
    const after = Math.min(before + 120000, to), offsetAfter = side(after);
    if ((offsetBefore < 0) !== (offsetAfter < 0) && Math.abs(offsetBefore) + Math.abs(offsetAfter) < 180) {
      let low = before, high = after, offsetLow = offsetBefore;
      while (high - low > 1000) {
        const middle = Math.floor((low + high) / 2), offsetMiddle = side(middle);
        if ((offsetMiddle < 0) === (offsetLow < 0)) { low = middle; offsetLow = offsetMiddle; } else high = middle;
      }
      const at = Math.floor((low + high) / 2), elevation = engineSun(lat, lon, at).elevation;
      if (elevation > 0) found.push([at, elevation]);
    }
    before = after; offsetBefore = offsetAfter;
  }
  return found;
}

module.exports = { engineSun, engineCrossings, azimuthOffset };
