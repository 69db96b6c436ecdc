// What the browser tests and the phone measurement share: Azimora under
// Wine with the practice dish and its phone page (the environment comes from
// tools/scripts/browser_tests.sh: the Wine session, AZM_WIN, AZM_PHONE_PORT),
// and Debian's Chromium driven by Playwright.
'use strict';
const { execFile, spawn } = require('node:child_process');
const fs = require('node:fs');
const path = require('node:path');
const { chromium } = require('playwright-core');

const root = path.resolve(__dirname, '../..');
const build = path.resolve(root, process.env.AZM_WIN || 'build/win64');
const work = path.join(root, 'build/browser-run');
const port = Number(process.env.AZM_PHONE_PORT || 18474);
const pageUrl = 'http://127.0.0.1:' + port + '/';
// HotBird 13.0e in the built-in catalogue: 10723 H 29900.
const hotBirdLine = 53;

function run(command, args, timeoutMs = 30000) {
  return new Promise((resolve) => {
    execFile(command, args, { timeout: timeoutMs, env: process.env }, (error, stdout) => {
      resolve({ code: error ? (error.code ?? 1) : 0, stdout: String(stdout).replace(/\r/g, '').trim() });
    });
  });
}
const azmctl = (...args) => run('wine', [path.join(build, 'azmctl.exe'), ...args.map(String)]);
const sleep = (ms) => new Promise((resolve) => setTimeout(resolve, ms));

async function windowsPath(unixPath) { return (await run('winepath', ['-w', unixPath])).stdout; }

// Azimora with the practice dish aimed at HotBird, measuring it (unless
// told otherwise: then startMeasuring does), with its phone page unless told
// otherwise; `dish: false` for a scenario without the dish's window.
async function startAzimora(scenario = 'window\naim 13.0e\n', { phone = true, measure = true, dish = true } = {}) {
  fs.mkdirSync(work, { recursive: true });
  fs.copyFileSync(path.join(build, 'Azimora.exe'), path.join(work, 'Azimora.exe'));
  fs.writeFileSync(path.join(work, 'scenario.txt'), scenario);
  const env = { ...process.env, AZIMORA_PHONE: phone ? '127.0.0.1:' + port : 'off',
                SIMCARD_SCENARIO: await windowsPath(path.join(work, 'scenario.txt')) };
  const program = spawn('wine', [path.join(work, 'Azimora.exe')], { env, stdio: 'ignore' });
  const exited = new Promise((resolve) => program.on('exit', resolve));
  if ((await azmctl('wait', 20000)).code !== 0) throw new Error("Azimora's window did not appear");
  if (dish && (await azmctl('dishwait', 10000)).code !== 0) throw new Error("the practice dish's window did not appear");
  if (measure) await startMeasuring();
  return { program, exited };
}

async function startMeasuring() {
  await azmctl('select', hotBirdLine);
  await azmctl('key', 13);
}

async function stopAzimora(run) {
  if (!run) return;
  await azmctl('close');
  const ended = await Promise.race([run.exited.then(() => true), sleep(15000).then(() => false)]);
  if (!ended) run.program.kill('SIGKILL');
}

// Presses a key on the dish's window COUNT times at once; the host's time of the press.
async function steer(virtualKey, count) {
  const result = await azmctl('dishkey', virtualKey, count, 0);
  return Number(result.stdout.split('\n').pop());
}

// `extraArgs` for Chromium's command line as well.
async function launchBrowser(extraArgs = []) {
  return chromium.launch({
    executablePath: '/usr/bin/chromium',
    headless: true,
    args: ['--no-sandbox', '--disable-gpu', '--disable-background-networking', '--disable-component-update',
           '--no-first-run', '--autoplay-policy=no-user-gesture-required', ...extraArgs],
  });
}

// A phone-sized page; `speech` stubs the browser's speech and records what it is asked to say.
async function openPhonePage(browser, { speech = false } = {}) {
  const context = await browser.newContext({ viewport: { width: 390, height: 844 }, deviceScaleFactor: 2,
                                             isMobile: true, hasTouch: true });
  const page = await context.newPage();
  if (speech) {
    await page.addInitScript(() => {
      window.spokenForTest = [];
      window.SpeechSynthesisUtterance = function (text) { this.text = text; };
      Object.defineProperty(window, 'speechSynthesis', { configurable: true, value: {
        speaking: false, getVoices: () => [], cancel() {},
        speak(u) { window.spokenForTest.push({ text: u.text, lang: u.lang, rate: u.rate }); },
      } });
    });
  }
  await page.goto(pageUrl);
  return page;
}

const phoneState = (page) => page.evaluate(() => window.azimoraPhone.state());
const phoneAudio = (page) => page.evaluate(() => window.azimoraPhone.audio());
// What is shown and what is heard, at one moment (readings come ten a second).
const phoneMoment = (page) => page.evaluate(() => ({ state: window.azimoraPhone.state(), audio: window.azimoraPhone.audio() }));

module.exports = { root, build, port, pageUrl, run, azmctl, sleep, startAzimora, startMeasuring, stopAzimora, steer,
                   launchBrowser, openPhonePage, phoneState, phoneAudio, phoneMoment };
