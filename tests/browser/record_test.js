// The record on the phone page, in Debian's headless Chromium against the
// practice dish: the Record section lists the measurement just ended in its
// verdict's colour, the CSV downloads and reads back as the same entry, the
// report prints to PDF with Chromium's own --print-to-pdf and reads back with
// its figures, and record=off in the card's settings file takes it all away.
'use strict';
const test = require('node:test');
const assert = require('node:assert');
const fs = require('node:fs');
const path = require('node:path');
const h = require('./harness.js');

const backspace = 8;
const work = path.join(h.root, 'build/browser-run');

// RFC 4180 as the record is written: one physical line per row.
function readCsv(text) {
  const split = (line) => {
    const fields = [];
    for (let at = 0; ;) {
      let field = '';
      if (line[at] === '"') {
        for (at++; ; ) {
          assert.ok(at < line.length, 'an open quote: ' + line);
          if (line[at] !== '"') field += line[at++];
          else if (line[at + 1] === '"') { field += '"'; at += 2; } else { at++; break; }
        }
      } else {
        const end = line.indexOf(',', at);
        field = line.slice(at, end < 0 ? line.length : end);
        at = end < 0 ? line.length : end;
      }
      fields.push(field);
      if (at >= line.length) return fields;
      at++;
    }
  };
  assert.ok(text.endsWith('\r\n'), 'every line ends with CR LF');
  const lines = text.slice(0, -2).split('\r\n');
  const header = split(lines[0]);
  return lines.slice(1).map((line) => {
    const fields = split(line);
    assert.strictEqual(fields.length, header.length, line);
    return Object.fromEntries(header.map((name, i) => [name, fields[i]]));
  });
}

test('the record on the phone page', { timeout: 180000 }, async (t) => {
  const browser = await h.launchBrowser();
  let azimora = await h.startAzimora();
  const settings = path.join(h.build, 'simcard.ini');
  t.after(async () => { fs.rmSync(settings, { force: true }); await browser.close(); await h.stopAzimora(azimora); });
  const page = await h.openPhonePage(browser);
  await page.waitForFunction(() => document.getElementById('lock').textContent === 'locked', null, { timeout: 15000 });
  await h.sleep(2000);
  // <BACK ends the measuring; the measurement is in the record 3 s later.
  await h.azmctl('key', backspace);
  const endedAt = Date.now();

  let newest;
  await t.test('the Record section lists the measurement in its verdict\'s colour', async () => {
    assert.strictEqual(await page.locator('#recordPart').isVisible(), true);
    await page.click('#recordPart summary');
    // Refreshed until the ended measurement is there (at most 15 s).
    for (;;) {
      const shown = await page.evaluate(() => window.azimoraPhone.record());
      newest = shown.entries[0];
      if (newest && Date.parse(newest.start_utc) >= endedAt - 60000 && newest.frequency_mhz === '10723') break;
      assert.ok(Date.now() - endedAt < 15000, 'no entry of the measurement: ' + JSON.stringify(shown).slice(0, 300));
      await h.sleep(500);
      await page.click('#recordRefresh');
    }
    assert.ok(['good', 'marginal', 'failing'].includes(newest.verdict), newest.verdict);
    // The newest item as shown, its words and colours read at one moment.
    const shown = await page.evaluate(() => {
      const li = document.querySelector('#recordList li');
      const verdict = li.querySelector('.verdict').textContent;
      return { text: li.textContent, verdict, border: getComputedStyle(li).borderLeftColor,
               wanted: getComputedStyle(document.documentElement).getPropertyValue(
                 { good: '--locked', marginal: '--marginal', failing: '--nolock' }[verdict]) };
    });
    assert.match(shown.text, /10723 H 29900/);
    assert.match(shown.text, new RegExp('C/N ' + newest.cn_median_db.replace('.', '\\.') + ' dB'));
    assert.strictEqual(shown.verdict, newest.verdict);
    const hex = shown.wanted.trim();
    const rgb = 'rgb(' + [1, 3, 5].map((i) => parseInt(hex.slice(i, i + 2), 16)).join(', ') + ')';
    assert.strictEqual(shown.border, rgb);
  });

  await t.test('the CSV downloads and reads back as the same entry', async () => {
    const [download] = await Promise.all([page.waitForEvent('download'), page.click('#recordCsv')]);
    assert.strictEqual(download.suggestedFilename(), 'azimora-record.csv');
    const bytes = fs.readFileSync(await download.path());
    assert.deepStrictEqual([...bytes.subarray(0, 3)], [0xef, 0xbb, 0xbf], 'UTF-8 with its byte order mark');
    const rows = readCsv(bytes.subarray(3).toString('utf8'));
    const row = rows.find((r) => r.measurement_id === newest.measurement_id);
    assert.ok(row, 'the entry is in the file');
    assert.deepStrictEqual(row, newest);
    assert.match(row.start_utc, /^\d{4}-\d\d-\d\dT\d\d:\d\d:\d\dZ$/);
    assert.match(row.start_local, /^\d{4}-\d\d-\d\dT\d\d:\d\d:\d\d[+-]\d\d:\d\d$/);
    assert.match(row.cn_median_db, /^\d+\.\d\d$/);
    assert.strictEqual(row.card, 'Practice dish (simulated card)');
    assert.strictEqual(row.network_position, '13.0E');
  });

  await t.test('the report prints to PDF with its figures', async () => {
    const pdf = path.join(work, 'report.pdf');
    fs.rmSync(pdf, { force: true });
    const printed = await h.run('/usr/bin/chromium', ['--headless', '--no-sandbox', '--disable-gpu',
      '--disable-background-networking', '--no-first-run', '--user-data-dir=' + path.join(work, 'pdf-profile'),
      '--no-pdf-header-footer', '--print-to-pdf-no-header', '--print-to-pdf=' + pdf, h.pageUrl + 'report'], 60000);
    assert.ok(fs.existsSync(pdf), 'no PDF: ' + printed.stdout);
    assert.strictEqual(fs.readFileSync(pdf).subarray(0, 5).toString(), '%PDF-');
    const text = (await h.run('pdftotext', ['-layout', pdf, '-'])).stdout;
    assert.match(text, /Installation record/);
    assert.match(text, new RegExp(newest.start_local.slice(0, 10)));
    assert.match(text, /Practice dish \(simulated card\)/);
    assert.match(text, /10723 H 29900/);
    assert.match(text, new RegExp(newest.cn_median_db.replace('.', '\\.')));
    assert.match(text, /3 dB or more is\s+good/);
    // A4 landscape, in points.
    const info = (await h.run('pdfinfo', [pdf])).stdout;
    assert.match(info, /Page size:\s+841\.\d+ x 59\d\.\d+ pts \(A4\)/);
  });

  await t.test('record=off takes the section and both routes away', async () => {
    await h.stopAzimora(azimora);
    fs.writeFileSync(settings, '; the record stays on the PC\r\nrecord=off\r\n');
    azimora = await h.startAzimora();
    await page.reload();
    await page.waitForFunction(() => document.getElementById('connection').textContent === 'live', null,
                               { timeout: 15000 });
    assert.strictEqual(await page.locator('#recordPart').isVisible(), false);
    for (const route of ['record.csv', 'report']) {
      const answer = await page.request.get(h.pageUrl + route);
      assert.strictEqual(answer.status(), 404, route);
      assert.match(await answer.text(), /record=off/);
    }
  });
});
