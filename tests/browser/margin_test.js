// The page's margin logic (cardbase/phone/page/phone_margin.js), run by node:
// the card's figure taken as it is, the user's pick only where the card
// knows no modulation and only with a C/N in dB, verdicts judged as shown,
// and the words spoken.
'use strict';
const test = require('node:test');
const assert = require('node:assert');
const Margin = require('../../cardbase/phone/page/phone_margin.js');

const thresholds = { allowanceDb: 0.3, goodDb: 3.0,
                     rows: [['S2-8PSK-3/4', 'DVB-S2 8PSK 3/4', 8.21], ['S-QPSK-3/4', 'DVB-S QPSK 3/4', 6.91]] };
const locked = (cn) => ({ lock: true, cn: cn });
const cardKnows = { status: 'known', modcod: 'S2-8PSK-3/4', name: 'DVB-S2 8PSK 3/4', source: 'tuner', thresholdDb: 8.21,
                    marginDb: 4.2, verdict: 'good', why: null, missing: null };
const cardDoesNot = { status: 'nomodcod', modcod: null, name: null, source: 'unknown', thresholdDb: null, marginDb: null,
                      verdict: null, why: 'modulation and code rate unknown',
                      missing: 'the tuner gives back only what it was asked; no network information' };
const notDecibels = { status: 'nodb', modcod: null, name: null, source: 'unknown', thresholdDb: null, marginDb: null,
                      verdict: null, why: 'the tuner gives no C/N in dB', missing: null };

test("the card's own margin comes first, the user's pick only where it knows no modulation", () => {
  const shown = Margin.marginFor(cardKnows, 'S-QPSK-3/4', thresholds, locked(12.41));
  assert.deepStrictEqual([shown.known, shown.marginDb, shown.verdict, shown.source, shown.name],
                         [true, 4.2, 'good', 'tuner', 'DVB-S2 8PSK 3/4']);
  const picked = Margin.marginFor(cardDoesNot, 'S-QPSK-3/4', thresholds, locked(8.0));
  assert.deepStrictEqual([picked.known, picked.marginDb, picked.verdict, picked.source, picked.thresholdDb],
                         [true, 1.1, 'marginal', 'user', 6.91]);
  const unknown = Margin.marginFor(cardDoesNot, '', thresholds, locked(8.0));
  assert.strictEqual(unknown.known, false);
  assert.strictEqual(unknown.why, 'modulation and code rate unknown');
  assert.match(unknown.missing, /only what it was asked/);
  // A pick the table does not hold is no pick.
  assert.strictEqual(Margin.marginFor(cardDoesNot, 'S2-QPSK-7/8', thresholds, locked(8.0)).known, false);
  // Without a C/N in dB no pick makes a margin.
  const derived = Margin.marginFor(notDecibels, 'S-QPSK-3/4', thresholds, locked(8.0));
  assert.deepStrictEqual([derived.known, derived.why], [false, 'the tuner gives no C/N in dB']);
  assert.deepStrictEqual([Margin.marginFor(cardKnows, 'S-QPSK-3/4', thresholds, { lock: false, cn: 0 }).known,
                          Margin.marginFor(cardKnows, '', thresholds, null).why], [false, 'no lock']);
});

test('verdicts are judged as shown, at their edges', () => {
  assert.strictEqual(Margin.verdictOf(3.0, 3), 'good');
  assert.strictEqual(Margin.verdictOf(2.96, 3), 'good');
  assert.strictEqual(Margin.verdictOf(2.94, 3), 'marginal');
  assert.strictEqual(Margin.verdictOf(0, 3), 'marginal');
  assert.strictEqual(Margin.verdictOf(-0.04, 3), 'marginal');
  assert.strictEqual(Margin.verdictOf(-0.05, 3), 'failing');  // -0.1, halves away from zero as the card rounds
  assert.strictEqual(Margin.decibelsText(-0.04), '+0.0 dB');
  assert.strictEqual(Margin.decibelsText(-1.25), '-1.3 dB');
  assert.strictEqual(Margin.decibelsText(4.2), '+4.2 dB');
  // A pick 3.0 dB above what it needs is good, as the card would say.
  assert.strictEqual(Margin.marginFor(cardDoesNot, 'S2-8PSK-3/4', thresholds, locked(11.21)).verdict, 'good');
});

test('the chart draws the threshold of each reading, or the pick where the card had none', () => {
  assert.strictEqual(Margin.thresholdFor({ th: 8.21 }, 'S-QPSK-3/4', thresholds), 8.21);
  assert.strictEqual(Margin.thresholdFor({ th: null }, 'S-QPSK-3/4', thresholds), 6.91);
  assert.strictEqual(Margin.thresholdFor({ th: null }, '', thresholds), null);
});

test('the margin is spoken with its sign, in either language, or said unknown', () => {
  const at = (db) => ({ known: true, marginDb: db });
  assert.deepStrictEqual(Margin.speechFor('en', at(4.2)), { text: 'plus 4.2', lang: 'en-US' });
  assert.deepStrictEqual(Margin.speechFor('en', at(-1.26)), { text: 'minus 1.3', lang: 'en-US' });
  assert.deepStrictEqual(Margin.speechFor('ru', at(4.2)), { text: 'плюс 4,2', lang: 'ru-RU' });
  assert.deepStrictEqual(Margin.speechFor('ru', at(-0.7)), { text: 'минус 0,7', lang: 'ru-RU' });
  assert.deepStrictEqual(Margin.speechFor('en', at(-0.01)), { text: 'plus 0.0', lang: 'en-US' });
  assert.deepStrictEqual(Margin.speechFor('en', { known: false }), { text: 'unknown', lang: 'en-US' });
  assert.deepStrictEqual(Margin.speechFor('ru', { known: false }), { text: 'неизвестно', lang: 'ru-RU' });
});

test("a margin the card gives as a floor is shown and spoken with 'or more'", () => {
  const floored = Object.assign({}, cardKnows, { marginDb: 2.1, verdict: 'marginal', orMore: true });
  const shown = Margin.marginFor(floored, '', thresholds, locked(10.31));
  assert.deepStrictEqual([shown.known, shown.marginDb, shown.orMore], [true, 2.1, true]);
  assert.strictEqual(Margin.speechFor('en', shown).text, 'plus 2.1 or more');
  assert.strictEqual(Margin.speechFor('ru', shown).text, 'плюс 2,1 или больше');
  assert.strictEqual(Margin.speechFor('en', Margin.marginFor(cardKnows, '', thresholds, locked(12.41))).text,
                     'plus 4.2');
  // The user's pick against a C/N that is at least its figure is at least its margin too.
  const picked = Margin.marginFor(cardDoesNot, 'S-QPSK-3/4', thresholds, { lock: true, cn: 14.1, cnOrMore: true });
  assert.deepStrictEqual([picked.marginDb, picked.orMore], [7.2, true]);
});

test("a margin at most its figure (a driver's floor) is shown and spoken with 'or less'", () => {
  const atMost = Object.assign({}, cardKnows, { marginDb: -6.7, verdict: 'failing', orLess: true });
  const shown = Margin.marginFor(atMost, '', thresholds, locked(1.5));
  assert.deepStrictEqual([shown.known, shown.marginDb, shown.orMore, shown.orLess], [true, -6.7, false, true]);
  assert.strictEqual(Margin.speechFor('en', shown).text, 'minus 6.7 or less');
  assert.strictEqual(Margin.speechFor('ru', shown).text, 'минус 6,7 или меньше');
  const picked = Margin.marginFor(cardDoesNot, 'S-QPSK-3/4', thresholds, { lock: true, cn: 1.5, cnOrLess: true });
  assert.deepStrictEqual([picked.marginDb, picked.orLess], [-5.4, true]);
});
