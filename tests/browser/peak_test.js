// The bracketing guide's logic on the page (cardbase/phone/page/phone_peak.js), run by node.
'use strict';
const test = require('node:test');
const assert = require('node:assert');
const Peak = require('../../cardbase/phone/page/phone_peak.js');

test('the page asks an axis at the depth chosen, and only the three depths', () => {
  assert.strictEqual(Peak.startQuery('azimuth', '1'), 'do=start&axis=azimuth&edge=1');
  assert.strictEqual(Peak.startQuery('skew', '0.5'), 'do=start&axis=skew&edge=0.5');
  assert.strictEqual(Peak.startQuery('elevation', '2'), 'do=start&axis=elevation&edge=1');
  assert.throws(() => Peak.startQuery('roll', '1'));
});

test('each kind of word has a sound of its own, and a new step is said once in the language of speech', () => {
  const patterns = new Set();
  for (const cue of ['start', 'turn', 'rise', 'edge', 'past', 'set', 'done', 'again', 'stop']) {
    const pips = Peak.cuePips(cue);
    assert.ok(pips.length > 0, cue);
    for (const [frequency, at, length] of pips) assert.ok(frequency >= 250 && at >= 0 && length > 0 && length < 0.5);
    patterns.add(JSON.stringify(pips));
  }
  assert.strictEqual(patterns.size, 9);
  assert.deepStrictEqual(Peak.cuePips(''), []);
  const peak = { n: 4, say: { en: 'edge one: mark the mount', ru: 'первый край: отметьте положение' } };
  assert.deepStrictEqual(Peak.peakSpeech(peak, 'ru'), { text: 'первый край: отметьте положение', lang: 'ru-RU' });
  assert.deepStrictEqual(Peak.peakSpeech(peak, 'en'), { text: 'edge one: mark the mount', lang: 'en-US' });
  assert.strictEqual(Peak.isNews(peak, 3), true);
  assert.strictEqual(Peak.isNews(peak, 4), false);
  assert.strictEqual(Peak.isNews(null, 3), false);
});

test('the figures and the marks on the chart', () => {
  const peak = { step: 'edge-one', axis: 'elevation', edgeDb: 0.5, source: 'cn', unit: 'dB', best: 13.42, edgeAt: 12.92,
                 marks: [{ kind: 'edge-one', t: 1000, value: 12.9 }, { kind: 'past-peak', t: 2000, value: 13 },
                         { kind: 'edge-two', t: 3000, value: 12.8 }, { kind: 'check', t: 4000, value: 13.4 }] };
  assert.strictEqual(Peak.figuresText(peak), 'elevation, 0.5 dB edges: best 13.4 dB C/N, edges at 12.9 dB');
  assert.deepStrictEqual(Peak.chartMarks(peak), [[1000, '1'], [2000, 'P'], [3000, '2'], [4000, 'C']]);
  const level = { step: 'seeking', axis: 'azimuth', edgeDb: 3, source: 'level', unit: 'dBm', best: -48.2, edgeAt: -51.2,
                  marks: [] };
  assert.strictEqual(Peak.figuresText(level), 'azimuth, 3 dB edges: best -48.2 dBm (level), edges at -51.2 dBm');
  assert.strictEqual(Peak.figuresText({ step: 'idle' }), '');
  assert.deepStrictEqual(Peak.chartMarks(null), []);
});
