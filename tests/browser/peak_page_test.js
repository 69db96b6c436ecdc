// The page's "Peak" section against the practice dish: an azimuth bracketed
// by steering the dish's window as the guide's words say, the words shown,
// spoken and sounded, the marks on the chart, and what the card refuses.
'use strict';
const test = require('node:test');
const assert = require('node:assert');
const h = require('./harness.js');

const left = 37, right = 39;

// One tenth of a degree of azimuth at a time, a reading or two apart, as a hand turns it.
async function turn(key, steps) {
  for (let i = 0; i < steps; ++i) {
    await h.steer(key, 1);
    await h.sleep(150);
  }
}

const words = (page) => page.locator('#peakWords').textContent();
async function waitForWords(page, wanted, timeout = 8000) {
  await page.waitForFunction((w) => document.getElementById('peakWords').textContent === w, wanted, { timeout });
}

test('an azimuth is bracketed as the guide says, and the marks come on the chart', { timeout: 150000 }, async (t) => {
  const browser = await h.launchBrowser();
  const azimora = await h.startAzimora();
  t.after(async () => {
    await browser.close();
    await h.stopAzimora(azimora);
  });
  const page = await h.openPhonePage(browser, { speech: true });
  await page.waitForFunction(() => document.getElementById('lock').textContent === 'locked', null, { timeout: 30000 });
  await page.click('#soundButton');

  // Asked without the page's header, or a check before any edge: refused.
  const refused = await page.evaluate(async () => {
    const bare = await fetch('peak?do=start&axis=azimuth', { method: 'POST' });
    const early = await fetch('peak?do=check', { method: 'POST', headers: { 'X-Azimora': 'peak' } });
    return [bare.status, early.status, await early.text()];
  });
  assert.deepStrictEqual(refused.slice(0, 2), [403, 409]);
  assert.match(refused[2], /nothing to check yet/);

  await page.click('.peak-axis[data-axis="azimuth"]');
  await waitForWords(page, 'turn slowly one way');
  assert.strictEqual(await page.locator('#peakStop').isHidden(), false);
  assert.match(await page.locator('#peakFigures').textContent(), /^azimuth, 1 dB edges: best \d+\.\d dB C\/N, edges at/);

  // Aimed at the beam's middle, any way falls: turned round, over the top, to the first edge.
  await turn(right, 10);
  await waitForWords(page, 'falling: turn the other way');
  await turn(left, 12);
  await waitForWords(page, 'rising: keep turning');
  await turn(left, 10);
  await waitForWords(page, 'edge one: mark the mount');
  // Back past the peak to the second edge, and three seconds to mark it.
  await turn(right, 12);
  await turn(right, 10);
  await waitForWords(page, 'edge two: mark the mount');
  await waitForWords(page, 'set the dish halfway between your marks', 5000);
  assert.strictEqual(await page.locator('#peakCheck').isHidden(), false);
  const peak = (await h.phoneState(page)).peak;
  assert.deepStrictEqual(peak.marks.map((m) => m.kind), ['edge-one', 'past-peak', 'edge-two']);
  assert.ok(peak.marks.every((m) => Math.abs(m.t - Date.now()) < 60000));

  // Halfway, then the check.
  await turn(left, 10);
  await page.click('#peakCheck');
  await waitForWords(page, 'checking', 3000);
  await page.waitForFunction(() => /: (done|try again)$/.test(document.getElementById('peakWords').textContent), null,
                             { timeout: 10000 });
  assert.match(await words(page), /^(within 0\.1 dB of the best: done|below the best by \d\.\d dB: try again)$/);

  // Said, in English as chosen, and sounded, each step once.
  const audio = await h.phoneAudio(page);
  const said = await page.evaluate(() => window.spokenForTest.map((s) => s.text));
  for (const expected of ['turn slowly one way', 'falling: turn the other way', 'edge one: mark the mount',
                          'past the peak', 'edge two: mark the mount', 'set the dish halfway between your marks'])
    assert.strictEqual(said.filter((s) => s === expected).length, 1, expected + ' in ' + JSON.stringify(said));
  for (const cue of ['start', 'turn', 'edge', 'past', 'set']) assert.ok(audio.peakCues.includes(cue), cue);
});
