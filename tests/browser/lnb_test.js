// The page's words for the LNB's own error (cardbase/phone/page/phone_lnb.js),
// run by node: the figure and the card's word while the messages give one,
// why not in grey where the card cannot say, nothing without a lock.
'use strict';
const test = require('node:test');
const assert = require('node:assert');
const Lnb = require('../../cardbase/phone/page/phone_lnb.js');

test('the error, its word and why none, as the messages say', () => {
  assert.deepStrictEqual(Lnb.lnbLines(null), { figure: '', word: '', beyond: false });
  const state = { lnb: null };
  Lnb.take(state, { lnb: { known: true, errorKHz: 2300, oscillatorMHz: 10600,
                           text: 'LNB +2.3 MHz (10600 MHz oscillator)',
                           word: 'a PLL LNB stays within 0.5 MHz; this one drifts or is an older type', beyond: true } });
  assert.deepStrictEqual(Lnb.lnbLines(state.lnb), {
    figure: 'LNB +2.3 MHz (10600 MHz oscillator)',
    word: 'a PLL LNB stays within 0.5 MHz; this one drifts or is an older type', beyond: true });
  // A message without it (an older server) leaves it be.
  Lnb.take(state, { t: 1 });
  assert.strictEqual(Lnb.lnbLines(state.lnb).beyond, true);
  Lnb.take(state, { lnb: { known: false, why: 'the driver does not give back the frequency it found' } });
  assert.deepStrictEqual(Lnb.lnbLines(state.lnb), {
    figure: 'LNB error unknown: the driver does not give back the frequency it found', word: '', beyond: false });
  // The lock gone: nothing.
  Lnb.take(state, { lnb: null });
  assert.deepStrictEqual(Lnb.lnbLines(state.lnb), { figure: '', word: '', beyond: false });
  // Anything but the server's form is no line.
  assert.deepStrictEqual(Lnb.lnbLines({ known: false, why: 3 }), { figure: '', word: '', beyond: false });
  assert.deepStrictEqual(Lnb.lnbLines('LNB'), { figure: '', word: '', beyond: false });
});
