// The LNB's own error on the page of the practice dish under Wine: its
// scenario's LNB 2.3 MHz high, found by its card once locked on HotBird and
// shown with the card's word; none while the dish is off the satellite.
'use strict';
const test = require('node:test');
const assert = require('node:assert');
const h = require('./harness.js');

test("the practice dish's LNB error is shown with its word while locked", { timeout: 120000 }, async (t) => {
  const browser = await h.launchBrowser();
  const azimora = await h.startAzimora('window\naim 13.0e\nlnb 9750 10600 error 2300\n');
  t.after(async () => {
    await browser.close();
    await h.stopAzimora(azimora);
  });
  const page = await h.openPhonePage(browser);
  await page.waitForFunction(() => !document.getElementById('lnbPart').hidden, null, { timeout: 15000 });
  // HotBird's 10723 H is in the low band: its 9750 MHz oscillator.
  assert.strictEqual(await page.locator('#lnbFigure').textContent(), 'LNB +2.3 MHz (9750 MHz oscillator)');
  assert.strictEqual(await page.locator('#lnbWord').textContent(),
                     'a PLL LNB stays within 0.5 MHz; this one drifts or is an older type');
  assert.match(await page.locator('#lnbFigure').getAttribute('class'), /beyond/);
  assert.strictEqual((await h.phoneState(page)).lnb.beyond, true);

  // Three degrees above the arc (along it lies a neighbour with HotBird's
  // transponder): no lock, no error shown.
  await h.steer(38, 30);
  await page.waitForFunction(() => document.getElementById('lnbPart').hidden, null, { timeout: 10000 });
  assert.strictEqual(await page.locator('#lnbFigure').textContent(), '');
});
