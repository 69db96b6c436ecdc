// The page's sound logic (cardbase/phone/page/phone_sound.js), run by node.
'use strict';
const test = require('node:test');
const assert = require('node:assert');
const Sound = require('../../cardbase/phone/page/phone_sound.js');

test('the tone rises with the C/N and never falls below the floor', () => {
  assert.strictEqual(Sound.tonePitch(false, 12), 250);
  assert.strictEqual(Sound.tonePitch(true, 1), 250);
  assert.strictEqual(Sound.tonePitch(true, NaN), 250);
  assert.ok(Math.abs(Sound.tonePitch(true, 10) - 500) < 1e-9);
  assert.ok(Math.abs(Sound.tonePitch(true, 18) - 1000) < 1e-9);
  assert.strictEqual(Sound.tonePitch(true, 60), Sound.ceilingHz);
  let previous = 0;
  for (let cn = 2.1; cn < 25; cn += 0.1) {  // the ceiling comes at 26 dB
    const pitch = Sound.tonePitch(true, cn);
    assert.ok(pitch > previous, 'rises at ' + cn);
    previous = pitch;
  }
});

test('find the peak: the top pitch at the best, an octave down every 3 dB below, chirps only on a real gain', () => {
  const tracker = Sound.newPeakTracker();
  let step = Sound.trackPeak(tracker, true, 10, 0);
  assert.deepStrictEqual(step, { below: 0, chirp: true });  // the first lock is news
  assert.strictEqual(Sound.peakPitch(step.below), Sound.peakTopHz);
  step = Sound.trackPeak(tracker, true, 7, 1000);
  assert.strictEqual(step.below, 3);
  assert.ok(Math.abs(Sound.peakPitch(step.below) - Sound.peakTopHz / 2) < 1e-9);
  assert.strictEqual(Sound.peakPitch(40), Sound.floorHz);
  assert.strictEqual(Sound.peakPitch(NaN), Sound.floorHz);
  // Flicker within a tenth of a dB does not chirp; a tenth more does, but not twice within the gap.
  assert.strictEqual(Sound.trackPeak(tracker, true, 10.05, 2000).chirp, false);
  assert.strictEqual(Sound.trackPeak(tracker, true, 10.12, 3000).chirp, true);
  assert.strictEqual(Sound.trackPeak(tracker, true, 10.5, 3100).chirp, false);
  assert.strictEqual(Sound.trackPeak(tracker, true, 10.5, 3400).chirp, true);
  assert.strictEqual(tracker.best, 10.5);
  assert.deepStrictEqual(Sound.trackPeak(tracker, false, 0, 4000), { below: Infinity, chirp: false });
  Sound.resetPeakTracker(tracker);
  step = Sound.trackPeak(tracker, true, 6, 5000);
  assert.deepStrictEqual(step, { below: 0, chirp: true });
});

test('speech says the chosen figure in the chosen language, at the chosen pace', () => {
  assert.deepStrictEqual(Sound.speechFor('quality', 'en', true, 67, 11.43), { text: '67', lang: 'en-US' });
  assert.deepStrictEqual(Sound.speechFor('cn', 'en', true, 67, 11.46), { text: '11.5', lang: 'en-US' });
  assert.deepStrictEqual(Sound.speechFor('cn', 'ru', true, 67, 9.04), { text: '9,0', lang: 'ru-RU' });
  assert.deepStrictEqual(Sound.speechFor('quality', 'ru', false, 0, 0), { text: 'нет сигнала', lang: 'ru-RU' });
  assert.deepStrictEqual(Sound.speechFor('cn', 'en', false, 0, 0), { text: 'no signal', lang: 'en-US' });
  assert.strictEqual(Sound.speechDue('slow', 10000, 8000, false), false);
  assert.strictEqual(Sound.speechDue('fast', 10000, 8000, false), true);
  assert.strictEqual(Sound.speechDue('fast', 10000, 0, true), false);  // never over the previous words
  assert.ok(Sound.paces.fast.rate > Sound.paces.slow.rate);
});

test('the position is said with what was expected, and only a known position is', () => {
  const known = { state: 'known', position: '19.2\u00b0 E', expected: ['13.0\u00b0 E'], verdict: 'wrong' };
  assert.deepStrictEqual(Sound.positionSpeech(known, 'en'),
                         { text: '19.2 degrees east, wrong satellite, expected 13.0 degrees east', lang: 'en-US' });
  assert.deepStrictEqual(Sound.positionSpeech({ ...known, position: '30.0\u00b0 W', verdict: 'unexpected', expected: [] }, 'ru'),
                         { text: '30,0 градуса западной долготы', lang: 'ru-RU' });
  assert.strictEqual(Sound.positionSpeech({ ...known, position: null, verdict: 'unknown' }, 'en'), null);
  assert.strictEqual(Sound.positionSpeech({ state: 'none' }, 'en'), null);
  assert.strictEqual(Sound.positionKey({ state: 'reading' }), '');
  assert.notStrictEqual(Sound.positionKey(known), Sound.positionKey({ ...known, verdict: 'expected' }));
  // Where the stream's own entry was not found, only "probably", never "wrong", whatever the verdict says.
  const guessed = { ...known, uncertain: true };
  assert.deepStrictEqual(Sound.positionSpeech(guessed, 'en'), { text: 'probably 19.2 degrees east', lang: 'en-US' });
  assert.deepStrictEqual(Sound.positionSpeech({ ...guessed, verdict: 'probable' }, 'ru'),
                         { text: 'вероятно, 19,2 градуса восточной долготы', lang: 'ru-RU' });
  assert.notStrictEqual(Sound.positionKey(guessed), Sound.positionKey(known));
});

test('before the lock the search sound rises with the level over the floor, the lowest level of this search', () => {
  const floor = Sound.newLevelFloor();
  const level = (value, state = 'live', unit = 'dBm') => ({ state, unit, value });
  const reading = (value, lock = false) => ({ lock, level: level(value) });
  // The first level is the floor: the search starts at the bottom note.
  assert.deepStrictEqual(Sound.searchSound(floor, reading(-50), 'A'), { kind: 'search', pitch: Sound.floorHz, above: 0 });
  // Lower: a new floor; higher: an octave per 6 dB over it.
  assert.strictEqual(Sound.searchSound(floor, reading(-52), 'A').above, 0);
  let step = Sound.searchSound(floor, reading(-46), 'A');
  assert.strictEqual(step.above, 6);
  assert.ok(Math.abs(step.pitch - 2 * Sound.floorHz) < 1e-9);
  assert.strictEqual(Sound.searchSound(floor, reading(-20), 'A').pitch, Sound.ceilingHz);
  let previous = 0;
  for (let value = -52; value <= -34.1; value += 0.1) {
    const pitch = Sound.searchSound(floor, reading(value), 'A').pitch;
    assert.ok(pitch > previous, 'rises at ' + value);
    previous = pitch;
  }
  // The lock changes the sound, and the floor still takes the level; lost, the search comes back.
  assert.deepStrictEqual(Sound.searchSound(floor, reading(-40, true), 'A'), { kind: 'lock', pitch: null, above: 12 });
  assert.strictEqual(Sound.searchSound(floor, reading(-44), 'A').kind, 'search');
  // Another transponder, another floor.
  assert.strictEqual(Sound.searchSound(floor, reading(-44), 'B').above, 0);
  // A driver's own scale: an octave per 20 points.
  const percent = Sound.newLevelFloor();
  Sound.trackLevelFloor(percent, level(20, 'live', '%'), 'A');
  assert.ok(Math.abs(Sound.searchSound(percent, { lock: false, level: level(40, 'refreshed', '%') }, 'A').pitch -
                     2 * Sound.floorHz) < 1e-9);
});

test('without a level the search is a beep, and the bar fills from the floor up', () => {
  const floor = Sound.newLevelFloor();
  for (const level of [null, { state: 'none-before-lock', unit: null, value: null }, { state: 'frozen', value: null },
                       { state: 'unknown' }, { state: 'live', unit: 'dBm', value: NaN }])
    assert.deepStrictEqual(Sound.searchSound(floor, { lock: false, level }, 'A'), { kind: 'beep', pitch: Sound.floorHz, above: null });
  assert.strictEqual(Sound.searchSound(floor, { lock: true, level: null }, 'A').kind, 'lock');
  assert.strictEqual(Sound.levelBarShare(null, 'dBm'), 0);
  assert.strictEqual(Sound.levelBarShare(9, 'dBm'), 0.5);
  assert.strictEqual(Sound.levelBarShare(40, 'dBm'), 1);
  assert.strictEqual(Sound.levelBarShare(30, '%'), 0.5);
});
