// The phone page in Debian's headless Chromium against the practice dish:
// the figures it shows, how fast it follows the dish, its tone, its speech
// (the browser's speech stubbed) and its return after the server restarts.
'use strict';
const test = require('node:test');
const assert = require('node:assert');
const path = require('node:path');
const h = require('./harness.js');
const Sound = require('../../cardbase/phone/page/phone_sound.js');

const left = 37, up = 38, right = 39, down = 40;

test('the phone page follows the practice dish', { timeout: 240000 }, async (t) => {
  const browser = await h.launchBrowser();
  let azimora = await h.startAzimora();
  t.after(async () => { await browser.close(); await h.stopAzimora(azimora); });
  const page = await h.openPhonePage(browser, { speech: true });
  const text = (id) => page.locator('#' + id).textContent();

  await t.test('shows the quality, the C/N, the transponder and the card', async () => {
    await page.waitForFunction(() => document.getElementById('lock').textContent === 'locked', null, { timeout: 15000 });
    // The figures and the reading they show, seen at one moment.
    const seen = await page.evaluate(() => ({ quality: document.getElementById('quality').textContent,
      cn: document.getElementById('cn').textContent, latest: window.azimoraPhone.state().latest }));
    assert.strictEqual(seen.quality, String(seen.latest.quality));
    assert.match(seen.cn, /^\d+\.\d$/);
    assert.strictEqual(seen.cn, seen.latest.cn.toFixed(1));
    assert.match(await page.locator('#quality').getAttribute('class'), /\blocked\b/);
    assert.strictEqual(await text('transponder'), '10723 MHz H, 29900 kS/s');
    assert.match(await text('card'), /Practice dish/);
    assert.strictEqual(await text('connection'), 'live');
    // Ten readings a second reach the page.
    const before = (await h.phoneState(page)).latest.seq;
    await h.sleep(2000);
    assert.ok((await h.phoneState(page)).latest.seq - before >= 18);
  });

  await t.test('the tone follows the level and the page follows the dish within a second', async () => {
    await page.click('#soundButton');
    let { state, audio } = await h.phoneMoment(page);
    assert.strictEqual(audio.on, true);
    assert.strictEqual(audio.contextState, 'running');
    const onPeak = state.latest;
    assert.ok(Math.abs(audio.frequency - Sound.tonePitch(true, onPeak.cn)) < 1e-6, audio.frequency + ' Hz');

    // A degree off the satellite: still locked, weaker, lower.
    await h.steer(left, 10);
    await h.sleep(1000);
    ({ state, audio } = await h.phoneMoment(page));
    const weaker = state.latest;
    assert.ok(weaker.lock && weaker.cn < onPeak.cn - 1, weaker.cn + ' dB against ' + onPeak.cn);
    assert.ok(Math.abs(audio.frequency - Sound.tonePitch(true, weaker.cn)) < 1e-6);
    assert.ok(audio.frequency < Sound.tonePitch(true, onPeak.cn) * 0.9);

    // Three degrees above the arc (no satellite there): no lock, shown within
    // a second of the keys, the tone at its floor. (Three degrees along the
    // arc is the neighbour, which carries HotBird's transponder too.)
    await h.steer(right, 10);
    const steeredAt = await h.steer(up, 30);
    await page.waitForFunction(() => document.getElementById('lock').textContent === 'no lock', null, { timeout: 3000 });
    const shown = (await h.phoneState(page)).shown;
    const firstUnlocked = shown.find((s) => s[2] >= steeredAt && s[1] >= steeredAt - 100);
    assert.ok(firstUnlocked, 'a reading after the keys');
    const lost = await page.evaluate(() => Date.now());
    assert.ok(lost - steeredAt < 1000, 'no lock shown ' + (lost - steeredAt) + ' ms after the keys');
    assert.match(await page.locator('#quality').getAttribute('class'), /\bnolock\b/);
    assert.strictEqual(await text('quality'), '--');
    assert.strictEqual((await h.phoneAudio(page)).frequency, Sound.floorHz);

    const backAt = await h.steer(down, 30);
    await page.waitForFunction(() => document.getElementById('lock').textContent === 'locked', null, { timeout: 3000 });
    assert.ok((await page.evaluate(() => Date.now())) - backAt < 1000);
    await h.sleep(500);
    audio = await h.phoneAudio(page);
    assert.ok(audio.frequency > Sound.tonePitch(true, weaker.cn));
    assert.ok(Math.abs(audio.oscillatorFrequency - audio.frequency) < 20, 'the oscillator plays the pitch');
  });

  await t.test('find the peak chirps at a new best and drops with the level', async () => {
    await page.check('input[name="mode"][value="peak"]');
    await page.click('#resetPeak');
    await h.sleep(600);
    let audio = await h.phoneAudio(page);
    assert.strictEqual(audio.mode, 'peak');
    assert.ok(audio.chirps >= 1, 'the first lock after the reset chirps');
    assert.ok(audio.frequency > 900, audio.frequency + ' Hz near the best');
    await h.steer(left, 10);
    await h.sleep(1000);
    audio = await h.phoneAudio(page);
    assert.ok(audio.belowDb > 1, audio.belowDb + ' dB below');
    assert.ok(Math.abs(audio.frequency - Sound.peakPitch(audio.belowDb)) < 1e-6);
    await h.steer(right, 10);
    if (process.env.AZM_SHOTS) {  // the phone page document's picture of the page, a dip and the return to the peak on its chart
      await h.sleep(3000);
      await page.screenshot({ path: path.join(h.root, 'docs/screenshot-phone.png') });
    }
  });

  await t.test('speech says the chosen figure in the chosen language', async () => {
    await page.check('input[name="mode"][value="speech"]');
    await page.check('input[name="spoken"][value="cn"]');
    await page.check('input[name="language"][value="ru"]');
    await page.check('input[name="pace"][value="fast"]');
    await page.evaluate(() => { window.spokenForTest.length = 0; });
    await h.sleep(2600);
    let spoken = await page.evaluate(() => window.spokenForTest);
    assert.ok(spoken.length >= 2, spoken.length + ' said');
    const last = spoken[spoken.length - 1];
    assert.match(last.text, /^\d+,\d$/);
    assert.strictEqual(last.lang, 'ru-RU');
    assert.strictEqual(last.rate, Sound.paces.fast.rate);
    await page.check('input[name="spoken"][value="quality"]');
    await page.check('input[name="language"][value="en"]');
    await page.evaluate(() => { window.spokenForTest.length = 0; });
    await h.sleep(1500);
    spoken = await page.evaluate(() => window.spokenForTest);
    const quality = (await h.phoneState(page)).latest.quality;
    assert.ok(spoken.length >= 1);
    assert.strictEqual(spoken[spoken.length - 1].lang, 'en-US');
    assert.ok(Math.abs(Number(spoken[spoken.length - 1].text) - quality) <= 5, spoken[spoken.length - 1].text);
  });

  await t.test('says reconnecting while the server is gone and catches up when it is back', async () => {
    await h.stopAzimora(azimora);
    azimora = null;
    await page.waitForFunction(() => document.getElementById('connection').textContent === 'reconnecting', null,
                               { timeout: 10000 });
    assert.match(await page.locator('#quality').getAttribute('class'), /\bstale\b/);
    azimora = await h.startAzimora();
    await page.waitForFunction(() => document.getElementById('lock').textContent === 'locked', null, { timeout: 30000 });
    const state = await h.phoneState(page);
    assert.strictEqual(state.connection, 'live');
    assert.ok(state.reconnects >= 1);
  });

  // Azimora started again numbers its readings from 1 again: a page that
  // reconnected before the first of them (an empty last minute) follows
  // them at once, however many the run before had.
  await t.test('follows Azimora started again from its first reading', async () => {
    await h.sleep(2000);
    const before = (await h.phoneState(page)).latest.seq;
    assert.ok(before > 10, before + ' readings in the run before');
    await h.stopAzimora(azimora);
    azimora = null;
    await page.waitForFunction(() => document.getElementById('connection').textContent === 'reconnecting', null,
                               { timeout: 10000 });
    azimora = await h.startAzimora(undefined, { measure: false });
    await page.waitForFunction(() => document.getElementById('connection').textContent === 'not measuring', null,
                               { timeout: 15000 });
    const measuringAt = await page.evaluate(() => Date.now());
    await h.startMeasuring();
    await page.waitForFunction(() => document.getElementById('lock').textContent === 'locked', null, { timeout: 15000 });
    const shown = (await h.phoneState(page)).shown.filter((s) => s[2] >= measuringAt);
    assert.ok(shown.length > 0 && shown[0][0] < before, 'first reading shown: ' + JSON.stringify(shown[0]));
    assert.strictEqual(await page.locator('#transponder').textContent(), '10723 MHz H, 29900 kS/s');
  });
});

test('the page says which satellite the dish sees', { timeout: 120000 }, async (t) => {
  const browser = await h.launchBrowser();
  // Aimed at Eutelsat W2, which carries HotBird's transponder too: it locks, on the wrong satellite.
  const azimora = await h.startAzimora('window\naim 16.0e\n');
  t.after(async () => { await browser.close(); await h.stopAzimora(azimora); });
  const page = await h.openPhonePage(browser, { speech: true });
  await page.click('#soundButton');
  await page.waitForFunction(() => !document.getElementById('wrongSatellite').hidden, null, { timeout: 15000 });
  assert.strictEqual(await page.locator('#wrongSatellite').textContent(), 'wrong satellite: expected 13.0° E');
  assert.match(await page.locator('#network').textContent(), /^Network: Eutelsat W2 \(0x[0-9a-f]{4}\), 16\.0° E$/);
  const network = (await h.phoneState(page)).network;
  assert.strictEqual(network.verdict, 'wrong');
  assert.deepStrictEqual(network.expected, ['13.0° E']);

  // Said once, in the chosen language, and not again while it stays so.
  await h.sleep(1500);
  const spoken = await page.evaluate(() => window.spokenForTest);
  const said = spoken.filter((s) => /degrees/.test(s.text));
  assert.strictEqual(said.length, 1, JSON.stringify(spoken));
  assert.strictEqual(said[0].text, '16.0 degrees east, wrong satellite, expected 13.0 degrees east');
  assert.strictEqual(said[0].lang, 'en-US');
});
