// The link margin on the phone page in Debian's headless Chromium: with the
// practice dish it shows the margin and its verdict, follows the dish as it
// drifts and speaks the margin (the browser's speech stubbed); with a card
// that reports no modulation it says "unknown" and why, until the user picks
// one.
'use strict';
const test = require('node:test');
const assert = require('node:assert');
const h = require('./harness.js');

const left = 37, right = 39;
// What DVB-S2 8PSK 3/4 needs: 7.91 dB and the 0.3 dB allowance.
const needed = 8.21;

const shownMargin = (page) => page.evaluate(() => ({
  figure: document.getElementById('margin').textContent,
  figureClass: document.getElementById('margin').className,
  verdict: document.getElementById('marginVerdict').textContent,
  modulation: document.getElementById('modulation').textContent,
  why: document.getElementById('marginWhy').textContent,
  whyHidden: document.getElementById('marginWhy').hidden,
  state: window.azimoraPhone.state(),
}));

test('the phone page shows and speaks the margin of the practice dish', { timeout: 240000 }, async (t) => {
  const browser = await h.launchBrowser();
  const azimora = await h.startAzimora('window\naim 13.0e\nmodcod 10723h29900 S2-8PSK-3/4\n');
  t.after(async () => { await browser.close(); await h.stopAzimora(azimora); });
  const page = await h.openPhonePage(browser, { speech: true });

  await t.test('the margin, its verdict in colour and words, the modulation and its source', async () => {
    await page.waitForFunction(() => /^Margin [+-]\d+\.\d dB$/.test(document.getElementById('margin').textContent),
                               null, { timeout: 15000 });
    const seen = await shownMargin(page);
    const margin = seen.state.margin;
    assert.strictEqual(seen.state.cardMargin.status, 'known');
    assert.strictEqual(margin.source, 'tuner');
    assert.strictEqual(seen.figure, 'Margin ' + (margin.marginDb >= 0 ? '+' : '-') + Math.abs(margin.marginDb).toFixed(1) + ' dB');
    assert.ok(Math.abs(margin.marginDb - (seen.state.latest.cn - needed)) < 0.051,
              margin.marginDb + ' dB at ' + seen.state.latest.cn + ' dB C/N');
    // Aimed at HotBird with a 0.8 m dish: about 13.6 dB, 5 dB above what 8PSK 3/4 needs.
    assert.strictEqual(seen.verdict, 'good');
    assert.match(seen.figureClass, /\bgood\b/);
    assert.strictEqual(seen.modulation, 'DVB-S2 8PSK 3/4 (tuner)');
    assert.strictEqual(seen.whyHidden, true);
  });

  await t.test('the margin falls as the dish drifts and comes back', async () => {
    const before = (await shownMargin(page)).state.margin.marginDb;
    await h.steer(left, 10);  // a degree off
    await h.sleep(1000);
    const off = await shownMargin(page);
    assert.ok(off.state.latest.lock, 'still locked a degree off');
    assert.ok(off.state.margin.marginDb < before - 1, off.state.margin.marginDb + ' dB against ' + before);
    assert.ok(Math.abs(off.state.margin.marginDb - (off.state.latest.cn - needed)) < 0.051);
    assert.match(off.figure, new RegExp('^Margin [+-]' + Math.abs(off.state.margin.marginDb).toFixed(1).replace('.', '\\.')));
    await h.steer(right, 10);
    await h.sleep(1000);
    assert.ok((await shownMargin(page)).state.margin.marginDb > before - 0.5);
  });

  await t.test('speech says the margin with its sign in English and Russian', async () => {
    await page.click('#soundButton');
    await page.check('input[name="mode"][value="speech"]');
    await page.check('input[name="spoken"][value="margin"]');
    await page.check('input[name="pace"][value="fast"]');
    await page.evaluate(() => { window.spokenForTest.length = 0; });
    await h.sleep(2600);
    let spoken = await page.evaluate(() => window.spokenForTest);
    assert.ok(spoken.length >= 2, spoken.length + ' said');
    let last = spoken[spoken.length - 1];
    assert.match(last.text, /^plus \d+\.\d$/);
    assert.strictEqual(last.lang, 'en-US');
    const margin = (await h.phoneState(page)).margin.marginDb;
    assert.ok(Math.abs(Number(last.text.split(' ')[1]) - margin) < 0.5, last.text + ' against ' + margin);
    await page.check('input[name="language"][value="ru"]');
    await page.evaluate(() => { window.spokenForTest.length = 0; });
    await h.sleep(1500);
    spoken = await page.evaluate(() => window.spokenForTest);
    last = spoken[spoken.length - 1];
    assert.match(last.text, /^плюс \d+,\d$/);
    assert.strictEqual(last.lang, 'ru-RU');
  });
});

test('the phone page says why there is no margin, and takes the user\'s pick', { timeout: 180000 }, async (t) => {
  const browser = await h.launchBrowser();
  // A card that reports no modulation, on a stream without network information.
  const azimora = await h.startAzimora('signal 0 lock 60 11.5\n', { dish: false });
  t.after(async () => { await browser.close(); await h.stopAzimora(azimora); });
  const page = await h.openPhonePage(browser, { speech: true });

  await t.test('"unknown" with what is missing', async () => {
    await page.waitForFunction(() => document.getElementById('margin').textContent === 'Margin unknown', null,
                               { timeout: 15000 });
    const seen = await shownMargin(page);
    assert.strictEqual(seen.verdict, '');
    assert.strictEqual(seen.modulation, 'Modulation and code rate unknown');
    assert.strictEqual(seen.whyHidden, false);
    assert.match(seen.why, /^modulation and code rate unknown: the tuner does not report them; /);
    await page.click('#soundButton');
    await page.check('input[name="mode"][value="speech"]');
    await page.check('input[name="spoken"][value="margin"]');
    await page.check('input[name="pace"][value="fast"]');
    await page.evaluate(() => { window.spokenForTest.length = 0; });
    await h.sleep(1500);
    const spoken = await page.evaluate(() => window.spokenForTest);
    assert.ok(spoken.length >= 1);
    assert.strictEqual(spoken[spoken.length - 1].text, 'unknown');
  });

  await t.test('the user\'s modulation and code rate, from the table the server sent, marked as theirs', async () => {
    const choices = await page.locator('#modcodPick option').count();
    assert.strictEqual(choices, 1 + 33);  // "none chosen" and every row of the table
    await page.selectOption('#modcodPick', 'S-QPSK-3/4');
    const seen = await shownMargin(page);
    // 11.5 dB against the 6.91 dB DVB-S QPSK 3/4 needs.
    assert.strictEqual(seen.figure, 'Margin +4.6 dB');
    assert.strictEqual(seen.verdict, 'good');
    assert.strictEqual(seen.modulation, 'DVB-S QPSK 3/4 (your choice)');
    assert.strictEqual(seen.state.margin.source, 'user');
    assert.strictEqual(seen.whyHidden, true);
  });
});
