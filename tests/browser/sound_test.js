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
