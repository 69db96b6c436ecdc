// The page's Motor part against the practice dish on a motorised mount: it
// is offered where the card has a motor, lists the catalogue's satellites,
// turns the dish while Azimora is in Setup (the card's words come back on the
// stream), and is put out of reach while Azimora measures.
'use strict';
const test = require('node:test');
const assert = require('node:assert');
const fs = require('node:fs');
const path = require('node:path');
const h = require('./harness.js');

const note = (page) => page.locator('#motorNote').textContent();

test('the Motor part turns the dish in Setup, not while Azimora measures', { timeout: 150000 }, async (t) => {
  const settings = path.join(h.build, 'simcard.ini');
  fs.writeFileSync(settings, 'motor=usals\r\nsite=51.5,-0.13\r\n');
  const browser = await h.launchBrowser();
  let azimora;
  t.after(async () => {
    fs.rmSync(settings, { force: true });
    await browser.close();
    await h.stopAzimora(azimora);
  });
  azimora = await h.startAzimora('window\nsite 51.5 -0.13\nmotor speed 20\n', { measure: false });
  const page = await h.openPhonePage(browser);
  await page.waitForFunction(() => !document.getElementById('motorPart').hidden, null, { timeout: 20000 });
  assert.strictEqual(await page.locator('#motorGoto').isDisabled(), false);

  // Opened, the part lists each orbital position of the catalogue once.
  await page.click('#motorPart summary');
  await page.waitForFunction(() => document.getElementById('motorSatellite').options.length > 1, null,
                             { timeout: 10000 });
  const values = await page.locator('#motorSatellite option').evaluateAll((all) => all.map((o) => o.value));
  assert.strictEqual(new Set(values).size, values.length);
  assert.ok(values.includes('19.2E'), values.join(' '));

  // Go to Astra: the card says where it turns the dish, on the stream.
  await page.selectOption('#motorSatellite', '19.2E');
  await page.click('#motorGoto');
  await page.waitForFunction(() => /^turning the dish to 19\.2\u00b0 E \(21\.3\u00b0 east\)/.test(
    document.getElementById('motorNote').textContent), null, { timeout: 10000 });

  // Ten steps west, then the halt: each in the card's words.
  await page.selectOption('#motorSteps', '10');
  await page.click('#motorWest');
  await page.waitForFunction(() => /^driving the dish 10 steps west/.test(
    document.getElementById('motorNote').textContent), null, { timeout: 10000 });
  // The halt's answer held back until the card's words have come on the stream (as a loaded machine may
  // deliver them): the words stay, not "asked".
  await page.evaluate(() => {
    const realFetch = window.fetch;
    window.fetch = async (...args) => {
      window.fetch = realFetch;
      const answer = await realFetch(...args);
      if (String(args[0]).startsWith('motor?halt')) {
        while (!/^the motor halted/.test(document.getElementById('motorNote').textContent))
          await new Promise((resolve) => setTimeout(resolve, 20));
        window.haltAnswered = true;
      }
      return answer;
    };
  });
  await page.click('#motorHalt');
  await page.waitForFunction(() => window.haltAnswered, null, { timeout: 10000 });
  assert.match(await page.evaluate(() => new Promise((resolve) => setTimeout(() => resolve(
    document.getElementById('motorNote').textContent), 0))), /^the motor halted/);

  // Measuring, the program turns the dish itself: the buttons go out of reach and the page says why.
  await h.startMeasuring();
  await page.waitForFunction(() => document.getElementById('motorGoto').disabled, null, { timeout: 15000 });
  assert.strictEqual(await page.locator('#motorHalt').isDisabled(), true);
  assert.match(await note(page), /^Azimora is measuring and turns the dish itself/);
  // Asked regardless, the card refuses.
  const refused = await page.evaluate(async () => {
    const answer = await fetch('motor?halt=1', { method: 'POST', headers: { 'X-Azimora': 'motor' } });
    return [answer.status, await answer.text()];
  });
  assert.notStrictEqual(refused[0], 202);
  assert.match(refused[1], /Azimora is measuring and turns the dish itself/);
});
