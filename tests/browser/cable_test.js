// The page's words for a single-cable installation
// (cardbase/phone/page/phone_cable.js), run by node: the device's line and
// the shared user band's, each only while the server's messages say it.
'use strict';
const test = require('node:test');
const assert = require('node:assert');
const Cable = require('../../cardbase/phone/page/phone_cable.js');

test('the device and a shared user band are shown while the messages say so', () => {
  const state = { singleCable: null, userBand: null };
  assert.deepStrictEqual(Cable.cableLines(state), { device: '', shared: '' });
  Cable.take(state, { singleCable: 'EN 50494, user band 1 at 1210 MHz', userBand: null });
  assert.deepStrictEqual(Cable.cableLines(state),
                         { device: 'single cable: EN 50494, user band 1 at 1210 MHz', shared: '' });
  Cable.take(state, { singleCable: 'EN 50494, user band 1 at 1210 MHz', userBand: 'another receiver uses user band 1' });
  assert.strictEqual(Cable.cableLines(state).shared, 'another receiver uses user band 1');
  // A message that says nothing of them (an older server) leaves them be; a new start's null takes the note away.
  Cable.take(state, { t: 1 });
  assert.strictEqual(Cable.cableLines(state).shared, 'another receiver uses user band 1');
  Cable.take(state, { singleCable: 'EN 50607, user band 12 at 1420 MHz', userBand: null });
  assert.deepStrictEqual(Cable.cableLines(state),
                         { device: 'single cable: EN 50607, user band 12 at 1420 MHz', shared: '' });
  // Anything but words is no line.
  Cable.take(state, { singleCable: 7, userBand: {} });
  assert.deepStrictEqual(Cable.cableLines(state), { device: '', shared: '' });
});
