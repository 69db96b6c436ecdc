// Before the lock on the phone page, against the practice dish: the level
// as a bar over the floor, the search sound and the change of sound at the
// lock; and the band swept from the page while Azimora is in Setup.
'use strict';
const test = require('node:test');
const assert = require('node:assert');
const h = require('./harness.js');
const Sound = require('../../cardbase/phone/page/phone_sound.js');

const up = 38, down = 40;

test('before the lock the page shows the level and plays the search sound', {timeout : 120000}, async (t) => {
    const browser = await h.launchBrowser();
    const azimora = await h.startAzimora();
    t.after(async () => {
        await browser.close();
        await h.stopAzimora(azimora);
    });
    const page = await h.openPhonePage(browser);
    await page.waitForFunction(() => document.getElementById('lock').textContent === 'locked', null, {timeout : 15000});
    await page.click('#soundButton');
    await h.sleep(500);
    let {state, audio} = await h.phoneMoment(page);
    assert.strictEqual(state.latest.level.state, 'live');
    assert.strictEqual(state.latest.level.unit, 'dBm');
    assert.strictEqual(audio.kind, 'tone');
    assert.strictEqual(audio.searchOn, false);
    const chimes = audio.chimes;

    // Three degrees above the arc: no lock, but a level, and the search sound at its pitch.
    await h.steer(up, 30);
    await page.waitForFunction(() => document.getElementById('lock').textContent === 'no lock', null, {timeout : 3000});
    await h.sleep(600);
    ({state, audio} = await h.phoneMoment(page));
    assert.strictEqual(state.latest.lock, false);
    assert.strictEqual(state.latest.level.state, 'live');
    assert.strictEqual(audio.kind, 'search');
    assert.strictEqual(audio.searchOn, true);
    assert.strictEqual(audio.frequency, Sound.floorHz);  // the lock's tone is silent
    assert.ok(Math.abs(audio.searchFrequency - Sound.searchPitch(state.search.above, 'dBm')) < 1e-6);
    assert.strictEqual(state.floor, Math.min(state.floor, state.latest.level.value));
    assert.match(await page.locator('#levelFigure').textContent(), /^\+\d+\.\d dB over the floor \(-\d+\.\d dBm\)$/);
    assert.strictEqual(await page.locator('#signalPresent').isHidden(), false);
    assert.strictEqual(await page.locator('#signalPresent').textContent(), 'no signal present');
    const searching = audio.searchFrequency;

    // Back towards the satellite: the pitch rises before the lock, then the lock chimes.
    await h.steer(down, 20);
    await h.sleep(600);
    ({state, audio} = await h.phoneMoment(page));
    if (!state.latest.lock)
        assert.ok(audio.searchFrequency > searching, audio.searchFrequency + ' Hz after ' + searching);
    await h.steer(down, 10);
    await page.waitForFunction(() => document.getElementById('lock').textContent === 'locked', null, {timeout : 3000});
    await h.sleep(400);
    audio = await h.phoneAudio(page);
    assert.strictEqual(audio.kind, 'tone');
    assert.strictEqual(audio.searchOn, false);
    assert.ok(audio.chimes > chimes, 'the lock chimed');
});

test('the band is swept from the page while Azimora is in Setup', {timeout : 120000}, async (t) => {
    const browser = await h.launchBrowser();
    const azimora = await h.startAzimora('window\naim 13.0e\n', {measure : false});
    t.after(async () => {
        await browser.close();
        await h.stopAzimora(azimora);
    });
    const page = await h.openPhonePage(browser);
    await page.waitForFunction(() => !document.getElementById('bandPart').hidden, null, {timeout : 15000});
    await page.click('#bandPart summary');
    await page.check('#sweepTry');
    await page.click('#sweepButton');
    await page.waitForFunction(() => {
        const s = window.azimoraPhone.state().sweep;
        return s && s.state === 'done';
    }, null, {timeout : 30000});
    const sweep = (await h.phoneState(page)).sweep;
    assert.strictEqual(sweep.title, '10700-11698 MHz H, low band');
    assert.strictEqual(sweep.points.length, 500);
    const hotBird = sweep.peaks.find((p) => Math.abs(p.f - 10723) <= 3);
    assert.ok(hotBird, JSON.stringify(sweep.peaks));
    assert.strictEqual(hotBird.locked, true);
    assert.strictEqual(hotBird.network, 'HotBird1-6');
    assert.strictEqual(hotBird.position, '13.0° E');
    const listed = await page.locator('#sweepPeaks li').allTextContents();
    assert.ok(listed.some((line) => /^1072\d MHz, .*locked 29\d00 kS\/s.*HotBird1-6, 13\.0° E$/.test(line)),
              JSON.stringify(listed));
    assert.match(await page.locator('#sweepNote').textContent(), /^10700-11698 MHz H, low band: \d+ peaks$/);

    // Measuring: the button says why not, and the server refuses all the same.
    await h.startMeasuring();
    await page.waitForFunction(() => document.getElementById('lock').textContent === 'locked', null, {timeout : 15000});
    assert.strictEqual(await page.locator('#sweepButton').isDisabled(), true);
    assert.match(await page.locator('#sweepNote').textContent(), /Azimora is measuring/);
    const refused = await page.evaluate(async () => {
        const answer = await fetch('sweep?band=low&pol=H', {method : 'POST', headers : {'X-Azimora' : 'sweep'}});
        return [ answer.status, await answer.text() ];
    });
    assert.strictEqual(refused[0], 409);
    assert.match(refused[1], /Azimora is measuring/);
});
