// The page of a card that measures through a single-cable device, in
// Debian's headless Chromium: the page's own files served from
// cardbase/phone/page as the card serves them, and a stream of readings
// made up here as the card's server words it (cardbase/phone/phone_feed.cpp),
// so that the lines show as a phone sees them whichever card is there.
'use strict';
const test = require('node:test');
const assert = require('node:assert');
const fs = require('node:fs');
const path = require('node:path');
const h = require('./harness.js');

const pageFolder = path.join(h.root, 'cardbase/phone/page');
const origin = 'http://azimora-cable.test';
const types = { '.html': 'text/html; charset=utf-8', '.js': 'text/javascript; charset=utf-8',
                '.css': 'text/css; charset=utf-8' };

function event(name, fields) {
  const data = Object.assign({ run: '1-1', card: 'Linux bridge', canSweep: false, network: { state: 'unlocked' },
                               margin: null, tune: { n: 1, frequencyMHz: 11778, polarization: 'V',
                                                     symbolRate: 27500, switch: '', at: Date.now() } }, fields);
  return 'event: ' + name + '\ndata: ' + JSON.stringify(data) + '\n\n';
}

// A page whose stream says `fields` in its history and in a reading after it.
async function pageSaying(browser, fields) {
  const context = await browser.newContext({ viewport: { width: 390, height: 844 } });
  await context.route(origin + '/**', async (route) => {
    const name = new URL(route.request().url()).pathname;
    if (name === '/events') {
      const t = Date.now();
      const reading = { seq: 1, t, lock: true, quality: 70, cn: 11.5, cnOrMore: false, searchingMs: null,
                        level: null, tuneOf: 1 };
      return route.fulfill({ status: 200, contentType: 'text/event-stream',
                             body: 'retry: 60000\n\n' + event('history', Object.assign({ t, readings: [], record: false },
                                                                                      fields)) +
                                   event('reading', Object.assign(reading, fields)) });
    }
    const file = path.join(pageFolder, name === '/' ? 'index.html' : name.slice(1));
    if (!file.startsWith(pageFolder) || !fs.existsSync(file)) return route.fulfill({ status: 404, body: '' });
    return route.fulfill({ status: 200, contentType: types[path.extname(file)], body: fs.readFileSync(file) });
  });
  const page = await context.newPage();
  await page.goto(origin + '/');
  await page.waitForFunction(() => document.getElementById('transponder').textContent.startsWith('11778'), null,
                             { timeout: 10000 });
  return page;
}

const shown = (page) => page.evaluate(() => ['singleCable', 'userBandShared'].map((id) => {
  const element = document.getElementById(id);
  return element.hidden ? null : element.textContent;
}));

test('the page names the single-cable device and a shared user band', { timeout: 60000 }, async (t) => {
  const browser = await h.launchBrowser();
  t.after(() => browser.close());

  await t.test('a card without a device shows neither line', async () => {
    const page = await pageSaying(browser, { singleCable: null, userBand: null });
    assert.deepStrictEqual(await shown(page), [null, null]);
  });

  await t.test('the device under the transponder', async () => {
    const page = await pageSaying(browser, { singleCable: 'EN 50494, user band 1 at 1210 MHz', userBand: null });
    await page.waitForFunction(() => !document.getElementById('singleCable').hidden, null, { timeout: 5000 });
    assert.deepStrictEqual(await shown(page), ['single cable: EN 50494, user band 1 at 1210 MHz', null]);
    assert.deepStrictEqual((await h.phoneState(page)).cable,
                           { device: 'single cable: EN 50494, user band 1 at 1210 MHz', shared: '' });
  });

  await t.test('another receiver on the same user band, said as an alert', async () => {
    const page = await pageSaying(browser, { singleCable: 'EN 50607, user band 3 at 1420 MHz',
                                             userBand: 'another receiver uses user band 3' });
    await page.waitForFunction(() => !document.getElementById('userBandShared').hidden, null, { timeout: 5000 });
    assert.deepStrictEqual(await shown(page), ['single cable: EN 50607, user band 3 at 1420 MHz',
                                               'another receiver uses user band 3']);
    assert.strictEqual(await page.getAttribute('#userBandShared', 'role'), 'alert');
  });
});
