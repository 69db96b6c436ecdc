// Figures of the phone page (not a test: these machines are shared and
// noisy), against the practice dish under Wine:
//   latency  from a change at the dish (the keys posted to its window) to the
//            page showing it, in Chromium, over 20 changes of lock
//   cpu      Azimora's share of a core while measuring, without the page and
//            with it, and its "phone server" thread's share with 1 and with 8
//            phones following the stream
// Run by tools/scripts/measure_phone.sh.
'use strict';
const fs = require('node:fs');
const http = require('node:http');
const h = require('./harness.js');

const what = process.argv[2] || 'all';
const median = (values) => [...values].sort((a, b) => a - b)[Math.floor(values.length / 2)];
const max = (values) => Math.max(...values);

// The host's process of the Azimora copy the harness runs, and a thread of it by name.
function azimoraStat() {
  for (const pid of fs.readdirSync('/proc').filter((name) => /^\d+$/.test(name))) {
    let commandLine = '';
    try { commandLine = fs.readFileSync('/proc/' + pid + '/cmdline', 'utf8'); } catch (err) { continue; }
    if (commandLine.includes('browser-run') && commandLine.includes('Azimora.exe')) return '/proc/' + pid;
  }
  return null;
}
function threadStat(processPath, name) {
  for (const task of fs.readdirSync(processPath + '/task')) {
    const base = processPath + '/task/' + task;
    if (fs.readFileSync(base + '/comm', 'utf8').trim() === name) return base;
  }
  return null;
}
function cpuSeconds(path) {
  const stat = fs.readFileSync(path + '/stat', 'utf8');
  const fields = stat.slice(stat.lastIndexOf(')') + 2).split(' ');
  return (Number(fields[11]) + Number(fields[12])) / 100;  // utime + stime, in ticks of 1/100 s
}
async function shareOver(paths, ms) {
  const before = paths.map(cpuSeconds), start = Date.now();
  await h.sleep(ms);
  const wall = (Date.now() - start) / 1000;
  return paths.map((p, i) => 100 * (cpuSeconds(p) - before[i]) / wall);
}

// A phone that follows the stream without a browser: what the server does per phone is the same.
function follow() {
  const request = http.get(h.pageUrl + 'events', (response) => response.on('data', () => {}));
  request.on('error', () => {});
  return request;
}

// The dish is steered this many presses of 0.1 degree below the satellite and
// back: 6 degrees below the geostationary arc it is off every satellite's main
// lobe (a 0.8 m dish's is about 2.5 degrees across at Ku band), so the lock
// surely goes, whichever neighbours repeat the transponder; back up, it is on
// the satellite again and locks. (Steering along the arc could end on a
// neighbour that carries the same transponder and keep the lock.)
const pressesOffTheArc = 60;
const virtualKeyUp = 38, virtualKeyDown = 40;

async function measureLatency(browser) {
  const page = await h.openPhonePage(browser);
  await page.waitForFunction(() => document.getElementById('lock').textContent === 'locked', null, { timeout: 15000 });
  const total = [], toReading = [], toPage = [];
  for (let i = 0; i < 20; ++i) {
    const wantLock = i % 2 === 1;
    const steeredAt = await h.steer(wantLock ? virtualKeyUp : virtualKeyDown, pressesOffTheArc);
    await page.waitForFunction((lock) => document.getElementById('lock').textContent === (lock ? 'locked' : 'no lock'),
                               wantLock, { timeout: 10000 });
    // The first reading shown with the dish's new lock after the keys.
    const first = (await h.phoneState(page)).shown.find((s) => s[1] >= steeredAt && s[3] === wantLock);
    if (first) { total.push(first[2] - steeredAt); toReading.push(first[1] - steeredAt); toPage.push(first[2] - first[1]); }
    await h.sleep(700);
  }
  await page.context().close();
  console.log('dish change to page in Chromium: median ' + median(total) + ' ms, max ' + max(total) + ' ms over ' +
              total.length + ' changes (to the card\'s reading: median ' + median(toReading) + ' ms, max ' +
              max(toReading) + ' ms; reading to page: median ' + median(toPage) + ' ms, max ' + max(toPage) + ' ms)');
}

async function measureCpu() {
  const processPath = azimoraStat();
  const server = threadStat(processPath, 'phone server');
  await h.sleep(2000);
  let [program, thread] = await shareOver([processPath, server], 10000);
  console.log('measuring with the page served, no phone: Azimora ' + program.toFixed(1) + ' %, phone server thread ' +
              thread.toFixed(2) + ' % of one core (10 s)');
  for (const phones of [1, 8]) {
    const followers = Array.from({ length: phones }, follow);
    await h.sleep(2000);
    [program, thread] = await shareOver([processPath, server], 10000);
    followers.forEach((r) => r.destroy());
    console.log(phones + (phones === 1 ? ' phone' : ' phones') + ' following: Azimora ' + program.toFixed(1) +
                ' %, phone server thread ' + thread.toFixed(2) + ' % of one core (10 s)');
    await h.sleep(1000);
  }
}

async function measureWithoutPage() {
  const run = await h.startAzimora('window\naim 13.0e\n', { phone: false });
  await h.sleep(2000);
  const [program] = await shareOver([azimoraStat()], 10000);
  console.log('measuring with the practice dish, no page: Azimora ' + program.toFixed(1) + ' % of one core (10 s)');
  await h.stopAzimora(run);
}

(async () => {
  if (what === 'all' || what === 'cpu') await measureWithoutPage();
  const run = await h.startAzimora();
  const browser = await h.launchBrowser();
  try {
    if (what === 'all' || what === 'latency') await measureLatency(browser);
    if (what === 'all' || what === 'cpu') await measureCpu();
  } finally {
    await browser.close();
    await h.stopAzimora(run);
  }
})().catch((err) => { console.error(err); process.exit(1); });
