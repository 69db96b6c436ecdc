// What the page's sound says about a reading: the search sound before the
// lock, the tone's pitch, the "find the peak" pitch and chirp, and the
// words spoken. No browser calls here, so
// that node runs the same code in the tests (tests/browser/sound_test.js).
(function (root) {
  'use strict';
  // Small phone speakers play little below this.
  const floorHz = 250;
  const ceilingHz = 2000;

  // The tone: an octave higher for every 8 dB of C/N, 250 Hz at 2 dB (below
  // any lock), 500 Hz at 10 dB, 1000 Hz at 18 dB; without lock the floor.
  function tonePitch(locked, cn) {
    if (!locked || !(cn > 2)) return floorHz;
    return Math.min(ceilingHz, floorHz * Math.pow(2, (cn - 2) / 8));
  }

  // Find the peak: the top pitch at the best C/N since the reset, an octave
  // lower for every 3 dB below it, the floor without lock.
  const peakTopHz = 1200;
  function peakPitch(belowDb) {
    if (!(belowDb >= 0)) return floorHz;
    return Math.max(floorHz, peakTopHz * Math.pow(2, -belowDb / 3));
  }

  // A new best must beat the one heard by this much to chirp, and chirps
  // come no closer than this, so that the flicker of a steady signal does
  // not chirp.
  const chirpStepDb = 0.1;
  const chirpGapMs = 300;

  function newPeakTracker() { return { best: null, heard: null, lastChirpMs: -Infinity }; }
  function resetPeakTracker(tracker) { tracker.best = null; tracker.heard = null; }

  // Takes one reading: how far it is below the best (Infinity without
  // lock) and whether it chirps as a new best.
  function trackPeak(tracker, locked, cn, nowMs) {
    if (!locked || !Number.isFinite(cn)) return { below: Infinity, chirp: false };
    if (tracker.best === null || cn > tracker.best) tracker.best = cn;
    let chirp = false;
    if ((tracker.heard === null || cn >= tracker.heard + chirpStepDb) && nowMs - tracker.lastChirpMs >= chirpGapMs) {
      tracker.heard = cn;
      tracker.lastChirpMs = nowMs;
      chirp = true;
    }
    return { below: tracker.best - cn, chirp: chirp };
  }

  // Before the lock: the search sound, whose pitch follows the level above
  // the noise floor, the lowest level heard since the search for this
  // transponder began. An octave for every 6 dB (or 20 points of a driver's
  // own 0 .. 100 scale): 250 Hz on the floor, 2000 Hz at 18 dB over it.
  const searchOctaveDb = 6;
  const searchOctavePoints = 20;
  const barSpanDb = 18;
  const barSpanPoints = 60;
  function levelValued(level) {
    return !!level && (level.state === 'live' || level.state === 'refreshed') && typeof level.value === 'number' &&
      Number.isFinite(level.value);
  }
  function newLevelFloor() { return { key: null, unit: null, lowest: null }; }
  // Takes a reading's level: how far above the floor it stands, or null
  // without a level. `key` names the transponder searched for: a new one
  // (or a new unit) begins a new floor.
  function trackLevelFloor(floor, level, key) {
    if (!levelValued(level)) return null;
    if (floor.key !== key || floor.unit !== level.unit || floor.lowest === null) {
      floor.key = key;
      floor.unit = level.unit;
      floor.lowest = level.value;
    }
    if (level.value < floor.lowest) floor.lowest = level.value;
    return level.value - floor.lowest;
  }
  function searchPitch(above, unit) {
    if (!(above > 0)) return floorHz;
    const octaves = above / (unit === '%' ? searchOctavePoints : searchOctaveDb);
    return Math.min(ceilingHz, floorHz * Math.pow(2, octaves));
  }
  // The bar's filled share: the floor empty, barSpanDb over it full.
  function levelBarShare(above, unit) {
    if (!(above > 0)) return 0;
    return Math.min(1, above / (unit === '%' ? barSpanPoints : barSpanDb));
  }
  // What the page plays for a reading, in every mode: 'lock' once locked
  // (the mode's own sound, brought in by a chime), else 'search' (a pulsing
  // note at searchPitch) where the card gives a level, else 'beep' (a short
  // low beep each second, that the sound still works). The floor takes
  // every reading's level, locked or not.
  function searchSound(floor, reading, key) {
    const above = trackLevelFloor(floor, reading && reading.level, key);
    if (reading && reading.lock) return { kind: 'lock', pitch: null, above: above };
    if (above === null) return { kind: 'beep', pitch: floorHz, above: null };
    return { kind: 'search', pitch: searchPitch(above, reading.level.unit), above: above };
  }

  // How often the value is spoken, and how quickly.
  const paces = { slow: { intervalMs: 3000, rate: 0.9 }, fast: { intervalMs: 1200, rate: 1.3 } };
  const languages = { en: { lang: 'en-US', noSignal: 'no signal', point: '.' }, ru: { lang: 'ru-RU', noSignal: 'нет сигнала', point: ',' } };

  // The words for a reading: the quality's percentage or the C/N with one
  // decimal (with the decimal comma in Russian), or that there is no signal.
  function speechFor(what, language, locked, quality, cn) {
    const words = languages[language] || languages.en;
    let text = words.noSignal;
    if (locked) text = what === 'cn' ? cn.toFixed(1).replace('.', words.point) : String(quality);
    return { text: text, lang: words.lang };
  }

  function speechDue(pace, nowMs, lastSpokenMs, speaking) {
    return !speaking && nowMs - lastSpokenMs >= (paces[pace] || paces.slow).intervalMs;
  }

  // The network's position, said once when it becomes known or changes:
  // "19.2 degrees east", and what was expected when it is the wrong
  // satellite; "probably 19.2 degrees east" when the position is only the
  // table's most common one. Null while no position is known.
  const sides = {
    en: { E: 'degrees east', W: 'degrees west', wrong: 'wrong satellite, expected', probably: 'probably' },
    ru: { E: 'градуса восточной долготы', W: 'градуса западной долготы', wrong: 'не тот спутник, ожидался',
          probably: 'вероятно,' },
  };
  function positionWords(position, language) {
    const match = /^(\d+\.\d)\u00b0 ([EW])$/.exec(position || '');
    if (!match) return null;
    const words = languages[language] ? language : 'en';
    return match[1].replace('.', languages[words].point) + ' ' + sides[words][match[2]];
  }
  function positionSpeech(network, language) {
    if (!network || network.state !== 'known') return null;
    const at = positionWords(network.position, language);
    if (!at) return null;
    const words = languages[language] ? language : 'en';
    if (network.uncertain) return { text: sides[words].probably + ' ' + at, lang: languages[words].lang };
    let text = at;
    const expected = Array.isArray(network.expected) ? positionWords(network.expected[0], language) : null;
    if (network.verdict === 'wrong' && expected) text += ', ' + sides[words].wrong + ' ' + expected;
    return { text: text, lang: languages[words].lang };
  }
  // What, changed, makes the position worth saying again.
  function positionKey(network) {
    if (!network || network.state !== 'known' || !network.position) return '';
    return network.position + ' ' + network.verdict + (network.uncertain ? ' probably' : '');
  }

  const api = { floorHz, ceilingHz, peakTopHz, chirpStepDb, chirpGapMs, paces, tonePitch, peakPitch, newPeakTracker,
                resetPeakTracker, trackPeak, speechFor, speechDue, positionSpeech, positionKey, searchOctaveDb,
                searchOctavePoints, levelValued, newLevelFloor, trackLevelFloor, searchPitch, levelBarShare,
                searchSound };
  root.AzimoraSound = api;
  if (typeof module !== 'undefined' && module.exports) module.exports = api;
})(typeof window !== 'undefined' ? window : globalThis);
