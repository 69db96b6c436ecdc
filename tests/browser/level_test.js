// The page's level words (cardbase/phone/page/phone_level.js), run by node:
// the level in the driver's own units with its limits ("or less", "or
// more"), a stretch its driver reads as one value as a range, a tuner's
// gain called so, "no level before the lock", and the C/N's bound.
'use strict';
const test = require('node:test');
const assert = require('node:assert');
const Level = require('../../cardbase/phone/page/phone_level.js');

const live = (extra) => Object.assign({ state: 'live', unit: 'dBm', value: -52.14, to: null, bound: null }, extra);

test('the level reads in its own unit, with the limits of its driver', () => {
  assert.strictEqual(Level.levelText(live({})), '-52.1 dBm');
  assert.strictEqual(Level.levelText(live({ value: -30, bound: 'or more' })), '-30.0 dBm or more');
  assert.strictEqual(Level.levelText(live({ value: -70, bound: 'or less' })), '-70.0 dBm or less');
  assert.strictEqual(Level.levelText(live({ value: -69, to: -60 })), '-60 to -69 dBm');
  assert.strictEqual(Level.levelText(live({ unit: 'dB gain', value: -45.25 })), '-45.3 dB gain');
  assert.strictEqual(Level.levelText(live({ unit: '%', value: 40 })), '40.0 %');
  assert.strictEqual(Level.levelText({ state: 'none-before-lock', unit: null, value: null }), '');
  assert.strictEqual(Level.figureText(live({ value: -30, bound: 'or more' }), 12.34),
                     '+12.3 dB over the floor (-30.0 dBm or more)');
  assert.strictEqual(Level.figureText(live({ unit: '%', value: 40 }), 6), '+6.0 points over the floor (40.0 %)');
  assert.strictEqual(Level.figureText(live({}), null), '--');
});

test('the note says what kind of level it is where that matters', () => {
  assert.strictEqual(Level.noteWords({ state: 'none-before-lock', unit: null, value: null }),
                     'this tuner gives no level before the lock');
  assert.strictEqual(Level.noteWords({ state: 'frozen' }), 'the driver repeats one value whatever is tuned: no level');
  assert.strictEqual(Level.noteWords({ state: 'refreshed', refreshMs: 2000, ageMs: 700, unit: 'dB gain', value: -40 }),
                     'the tuner measures it every 2.0 s: 0.7 s old');
  assert.strictEqual(Level.noteWords(live({ unit: 'dB gain' })), 'the tuner gives its own gain, not the power it receives');
  assert.strictEqual(Level.noteWords(live({ value: -69, to: -60 })), 'the driver reads this whole stretch as one value');
  assert.strictEqual(Level.noteWords(live({})), '');
  assert.strictEqual(Level.noteWords(null), '');
});

test("the C/N at a driver's ceiling reads at least, at its floor at most", () => {
  assert.strictEqual(Level.cnText({ lock: true, cn: 14.1, cnOrMore: true }), '\u226514.1');
  assert.strictEqual(Level.cnText({ lock: true, cn: 1.5, cnOrLess: true }), '\u22641.5');
  assert.strictEqual(Level.cnText({ lock: true, cn: 9.25 }), '9.3');
  assert.strictEqual(Level.cnText({ lock: false, cn: 0 }), '--.-');
  assert.strictEqual(Level.cnText(null), '--.-');
});
