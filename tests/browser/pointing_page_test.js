// The phone page's "Where to point" in Debian's headless Chromium against
// the practice dish: the site typed on the page (and kept on the phone), the
// figures, the picture of the LNB's turn, the sun's hour (against
// astronomy-engine), the phone's position where the browser gives it, and
// the page's word where it does not (a page that is not secure: the same
// server reached by this computer's own name rather than localhost).
'use strict';
const test = require('node:test');
const assert = require('node:assert');
const path = require('node:path');
const h = require('./harness.js');
const { engineCrossings } = require('./reference_sun.js');

// The server answers only a Host that names this computer.
const insecureHost = require('node:os').hostname();
// The phone's time zone, fixed (no summer time) so that its local hours are known.
const zone = 'Europe/Moscow', zoneMinutes = 180;
const london = { text: '51.5,-0.13', lat: 51.5, lon: -0.13 };

async function openPage(browser, url, options = {}) {
  const context = await browser.newContext({ viewport: { width: 390, height: 844 }, deviceScaleFactor: 2,
                                             isMobile: true, hasTouch: true, timezoneId: zone, ...options });
  const page = await context.newPage();
  await page.goto(url);
  return page;
}

const pointState = (page) => page.evaluate(() => window.azimoraPoint.state());
// Waits until the page shows an answer asked after `after` (the count of questions).
async function answerAfter(page, after) {
  await page.waitForFunction((n) => { const s = window.azimoraPoint.state(); return s.asked > n && (s.answer || s.problem); },
                             after, { timeout: 10000 });
  await h.sleep(200);  // a question asked meanwhile by the page's own timer
  return pointState(page);
}
async function figure(page, name) {
  return page.locator('#pointFigures dd[data-name="' + name + '"]').textContent();
}

test('the phone page says where to point', { timeout: 240000 }, async (t) => {
  const browser = await h.launchBrowser(['--host-resolver-rules=MAP ' + insecureHost + ' 127.0.0.1',
                                         '--disable-features=HttpsUpgrades']);
  const azimora = await h.startAzimora();
  t.after(async () => { await browser.close(); await h.stopAzimora(azimora); });
  const page = await openPage(browser, h.pageUrl, { permissions: ['geolocation'],
                                                    geolocation: { latitude: -33.87, longitude: 151.21 } });

  await t.test('starts from the practice dish\'s site and the tuned satellite, and folds away once locked', async () => {
    await page.waitForFunction(() => window.azimoraPoint.state().place, null, { timeout: 15000 });
    assert.strictEqual(await page.inputValue('#pointSite'), '55.75,37.62');
    assert.strictEqual(await page.locator('#pointSiteNote').textContent(), "from the practice dish's site");
    // HotBird 13.0° E, the tuned line's position.
    await page.waitForFunction(() => document.getElementById('pointSatellite').options[0].textContent ===
                               'the tuned satellite, 13.0\u00b0 E', null, { timeout: 15000 });
    await page.waitForFunction(() => document.getElementById('lock').textContent === 'locked', null, { timeout: 15000 });
    await page.waitForFunction(() => !document.getElementById('pointPart').open, null, { timeout: 5000 });
    await page.waitForFunction(() => /^the network says 13\.0\u00b0 E/.test(
      document.getElementById('pointNetwork').textContent), null, { timeout: 15000 });
    const before = (await pointState(page)).asked;
    await page.click('#pointPart summary');
    assert.strictEqual((await pointState(page)).open, true);
    const answer = (await answerAfter(page, before)).answer;
    // Moscow to 13.0° E, as the practice dish's own window has it.
    assert.strictEqual(answer.satellite.position, '13.0\u00b0 E');
    assert.strictEqual(await figure(page, 'azimuth'), '209.0\u00b0 (true)');
    assert.strictEqual(await figure(page, 'elevation'), '22.8\u00b0');
  });

  await t.test('a typed site gives its figures, the picture of the skew and the sun\'s hour', async () => {
    const before = (await pointState(page)).asked;
    await page.fill('#pointSite', london.text);
    const { answer, siteFrom } = await answerAfter(page, before);
    assert.strictEqual(siteFrom, 'typed');
    assert.strictEqual(await page.locator('#pointSiteNote').textContent(),
                       'typed on this phone (kept on it, never on the PC)');
    assert.deepStrictEqual(answer.site, { latitude: 51.5, longitude: -0.13 });
    assert.strictEqual(await figure(page, 'azimuth'), '163.4\u00b0 (true)');
    assert.strictEqual(await figure(page, 'elevation'), '29.8\u00b0');
    assert.strictEqual(await figure(page, 'usals'), '14.5\u00b0 E');
    assert.match(await figure(page, 'magnetic azimuth'), /^16[12]\.\d\u00b0 \(declination [01]\.\d\u00b0 E, WMM2025\)$/);

    // West of the satellite, north of the equator: a counterclockwise turn, drawn so.
    assert.strictEqual(await page.locator('#skewInstruction').textContent(),
                       'turn the LNB 10.2\u00b0 counterclockwise, seen from behind the dish');
    assert.strictEqual(await page.locator('#skewLnb').getAttribute('transform'), 'rotate(-10.2)');
    assert.match(await page.locator('#skewArrow').getAttribute('class'), /\bcounterclockwise\b/);
    assert.strictEqual(await page.locator('#skewAngle').textContent(), '10.2\u00b0');
    assert.ok(await page.locator('#skewPicture').isVisible());

    // The hour today (the phone's day, in its zone) against astronomy-engine.
    const dayStart = Math.floor((Date.now() + zoneMinutes * 60000) / 86400000) * 86400000 - zoneMinutes * 60000;
    const reference = engineCrossings(london.lat, london.lon, dayStart, dayStart + 86400000, answer.azimuth);
    const sunText = await page.locator('#sunHour').textContent();
    if (reference.length === 0) {
      assert.strictEqual(sunText, 'the sun does not reach that azimuth today');
    } else {
      const [at, elevation] = reference[0];
      const local = new Date(at + zoneMinutes * 60000);
      const minutes = local.getUTCHours() * 60 + local.getUTCMinutes() + local.getUTCSeconds() / 60;
      // The offset it is in said: the phone's.
      const shown = /^the sun stands at the satellite's azimuth at (\d\d):(\d\d) local time \(UTC\+03:00\), (\d+)\u00b0 high/.exec(sunText);
      assert.ok(shown, sunText);
      assert.ok(Math.abs(Number(shown[1]) * 60 + Number(shown[2]) - minutes) <= 1, sunText + ' against ' + local.toISOString());
      assert.ok(Math.abs(Number(shown[3]) - elevation) <= 0.6, sunText);
    }
    assert.match(await page.locator('#sunNow').textContent(),
                 /^now: the sun stands (below the horizon|\d+\.\d\u00b0 (left|right) of the satellite's azimuth \(facing it\), \d+\u00b0 high)$/);
    if (process.env.AZM_SHOTS)  // the pointing document's picture of the part
      await page.locator('#pointPart').screenshot({ path: path.join(h.root, 'docs/screenshot-phone-point.png') });
  });

  await t.test('the offset angle gives the plate\'s tilt; a wrong value says which and what a good one is', async () => {
    let before = (await pointState(page)).asked;
    await page.fill('#pointOffset', '26');
    await answerAfter(page, before);
    assert.strictEqual(await figure(page, 'plate'), '3.8\u00b0 back from vertical (offset 26.0\u00b0)');

    before = (await pointState(page)).asked;
    await page.fill('#pointSite', '95,10');
    const { problem } = await answerAfter(page, before);
    assert.strictEqual(problem, "the site's latitude 95 is beyond 90\u00b0: give LAT,LON in degrees, north and east " +
                       'positive, such as 55.75,37.62');
    assert.strictEqual(await page.locator('#pointProblem').textContent(), problem);
    assert.ok(await page.locator('#pointProblem').isVisible());
    assert.ok(await page.locator('#pointResult').isHidden());
    before = (await pointState(page)).asked;
    await page.fill('#pointSite', london.text);
    await answerAfter(page, before);
  });

  await t.test('the typed site stays on the phone, and a picked satellite is asked for', async () => {
    await page.reload();
    // Locked already: folded away as soon as the page sees it.
    await page.waitForFunction(() => window.azimoraPoint && !window.azimoraPoint.state().open, null, { timeout: 15000 });
    assert.strictEqual(await page.inputValue('#pointSite'), london.text);
    assert.strictEqual(await page.inputValue('#pointOffset'), '26');
    await page.click('#pointPart summary');
    await page.waitForFunction(() => window.azimoraPoint.state().answer, null, { timeout: 10000 });
    await page.selectOption('#pointSatellite', '19.2E');
    await page.waitForFunction(() => { const a = window.azimoraPoint.state().answer;
                                       return a && a.satellite.position === '19.2\u00b0 E'; }, null, { timeout: 10000 });
    assert.strictEqual(await figure(page, 'azimuth'), '155.9\u00b0 (true)');
    assert.strictEqual(await figure(page, 'elevation'), '28.3\u00b0');
  });

  await t.test('this phone\'s position, on a page the browser trusts', async () => {
    const before = (await pointState(page)).asked;
    await page.click('#pointHere');
    const { answer, siteFrom } = await answerAfter(page, before);
    assert.strictEqual(siteFrom, 'phone');
    assert.strictEqual(await page.inputValue('#pointSite'), '-33.8700,151.2100');
    assert.match(await page.locator('#pointSiteNote').textContent(), /^this phone's position \(within \d+ m\)$/);
    assert.deepStrictEqual(answer.site, { latitude: -33.87, longitude: 151.21 });
  });

  await t.test('on a page that is not secure, the page says why there is no position', async () => {
    const insecure = await openPage(browser, 'http://' + insecureHost + ':' + h.port + '/');
    await insecure.waitForFunction(() => window.azimoraPoint && !window.azimoraPoint.state().open, null,
                                   { timeout: 15000 });
    assert.strictEqual(await insecure.evaluate(() => window.isSecureContext), false);
    await insecure.click('#pointPart summary');
    await insecure.click('#pointHere');
    assert.strictEqual(await insecure.locator('#pointSiteNote').textContent(),
                       'this page came over plain HTTP from the PC, and browsers give a position only to secure ' +
                       'pages (HTTPS, or the PC itself): type the site instead');
    // Its own storage: the other page's typed site is not here.
    assert.strictEqual(await insecure.inputValue('#pointSite'), '55.75,37.62');
  });
});
