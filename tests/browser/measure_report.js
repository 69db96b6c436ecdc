// Figures of the record's routes against the program's readings (not a
// test: these machines are shared and noisy), against the practice dish
// under Wine with a record of 4 MB in which every entry is another
// transponder of one day (the report's costliest case) and a C/N series of
// 4 MB beside it: the longest gap between two of the program's readings
// (each reading's own time, as the stream of readings carries it) while no
// phone asks for anything, while one phone asks for /report again and again,
// and while one asks for /record.csv again and again.
// Run by tools/scripts/measure_report.sh.
'use strict';
const fs = require('node:fs');
const http = require('node:http');
const path = require('node:path');
const h = require('./harness.js');

const windowMs = Number(process.env.AZM_MEASURE_MS || 20000);
const recordBytes = 4000000, seriesBytes = 4000000;

function recordFolder() {
  const users = path.join(process.env.WINEPREFIX, 'drive_c/users');
  for (const user of fs.readdirSync(users)) {
    const folder = path.join(users, user, 'Documents/Azimora');
    if (fs.existsSync(folder)) return folder;
  }
  return null;
}

function get(route) {
  return new Promise((resolve) => {
    const began = Date.now();
    const request = http.get(h.pageUrl + route, (response) => {
      let size = 0;
      response.on('data', (chunk) => { size += chunk.length; });
      response.on('end', () => resolve({ status: response.statusCode, size, ms: Date.now() - began }));
    });
    request.on('error', () => resolve({ status: 0, size: 0, ms: Date.now() - began }));
  });
}

// The program's readings as the stream carries them: [seq, t].
function followReadings() {
  const readings = [];
  let buffer = '';
  const request = http.get(h.pageUrl + 'events', (response) => {
    response.setEncoding('utf8');
    response.on('data', (text) => {
      buffer += text;
      let end;
      while ((end = buffer.indexOf('\n\n')) >= 0) {
        const event = buffer.slice(0, end);
        buffer = buffer.slice(end + 2);
        if (!event.startsWith('event: reading\n')) continue;
        const data = JSON.parse(event.slice(event.indexOf('data: ') + 6));
        readings.push([data.seq, data.t]);
      }
    });
  });
  request.on('error', () => {});
  return { readings, stop: () => request.destroy() };
}

// The longest gap between consecutive readings taken in [from, to).
function longestGap(readings, from, to) {
  let longest = 0, count = 0;
  for (let i = 1; i < readings.length; ++i) {
    const [seq, t] = readings[i], [before, then] = readings[i - 1];
    if (then < from || t >= to || seq !== before + 1) continue;
    longest = Math.max(longest, t - then);
    ++count;
  }
  return { longest, count };
}

function writeRecord(folder, header) {
  const names = header.split(',');
  const day = new Date(Date.now() - 86400000).toISOString().slice(0, 10);
  const lines = [], series = [];
  let size = header.length + 5, seriesSize = 80;
  for (let i = 0; size < recordBytes; ++i) {
    const id = day.replace(/-/g, '') + 'T100000Z-9.1-' + (i + 1);
    const second = String(i % 60).padStart(2, '0'), minute = String(Math.floor(i / 60) % 60).padStart(2, '0');
    const values = {
      measurement_id: id, start_utc: day + 'T10:' + minute + ':' + second + 'Z',
      start_local: day + 'T12:' + minute + ':' + second + '+02:00', duration_s: '30.0',
      card: 'Practice dish (simulated card)', frequency_mhz: String(10700 + (i % 2000)),
      polarisation: Math.floor(i / 2000) % 2 ? 'V' : 'H', symbol_rate_ksps: String(22000 + Math.floor(i / 4000)),
      switch: '', band: 'low', lnb_lo_mhz: '9750', verdict: 'good', time_to_lock_s: '1.2',
      locked_percent: '99.0', readings: '300', cn_min_db: '11.50', cn_median_db: '12.25', cn_peak_db: '12.75',
      quality_min_percent: '70', quality_median_percent: '72', quality_peak_percent: '74',
      modulation: 'DVB-S2 8PSK 3/4', modulation_source: 'tuner', threshold_db: '8.21', margin_db: '4.0',
      margin_verdict: 'good', network_name: 'Network ' + i, network_id: '0x0001', network_position: '13.0E',
      network_verdict: 'expected', expected_positions: '13.0E', site_latitude: '55.7500',
      site_longitude: '37.6200', satellite_position: '13.0E', azimuth_deg: '210.5', magnetic_azimuth_deg: '199.4',
      elevation_deg: '24.1', lnb_skew_deg: '-8.2',
    };
    const line = names.map((name) => values[name] || '').join(',') + '\r\n';
    lines.push(line);
    size += line.length;
    for (let s = 0; s < 30 && seriesSize < seriesBytes; ++s) {
      const point = id + ',' + s + ',1,12.' + String(s).padStart(2, '0') + ',72\r\n';
      series.push(point);
      seriesSize += point.length;
    }
  }
  fs.writeFileSync(path.join(folder, 'record.csv'), '\ufeff' + header + '\r\n' + lines.join(''));
  fs.writeFileSync(path.join(folder, 'record-series.csv'),
                   '\ufeffmeasurement_id,second,locked,cn_db,quality_percent\r\n' + series.join(''));
  return lines.length;
}

// Asks for `route` again and again until `until`: how many answers, their statuses and times.
async function loop(route, until) {
  const answers = [];
  while (Date.now() < until) answers.push(await get(route));
  return answers;
}

function describe(answers) {
  const ok = answers.filter((a) => a.status === 200);
  const times = ok.map((a) => a.ms).sort((a, b) => a - b);
  return answers.length + ' answers (' + ok.length + ' of 200, ' +
         (ok.length ? Math.round(ok[0].size / 1024) + ' KB, median ' + times[Math.floor(times.length / 2)] + ' ms' : '') +
         ')';
}

(async () => {
  const run = await h.startAzimora();
  const follower = followReadings();
  try {
    let folder = null;
    for (let i = 0; i < 50 && !(folder = recordFolder()); ++i) await h.sleep(200);
    if (!folder) throw new Error('no record folder in the prefix');
    const empty = await new Promise((resolve) => {
      http.get(h.pageUrl + 'record.csv', (response) => {
        let text = '';
        response.setEncoding('utf8');
        response.on('data', (chunk) => { text += chunk; });
        response.on('end', () => resolve(text));
      });
    });
    const header = empty.replace(/^\ufeff/, '').split('\r\n')[0];
    const entries = writeRecord(folder, header);
    console.log('record: ' + entries + ' entries of one day, each another transponder, ' +
                fs.statSync(path.join(folder, 'record.csv')).size + ' bytes; series ' +
                fs.statSync(path.join(folder, 'record-series.csv')).size + ' bytes');
    await h.sleep(3000);

    const phases = [['no phone asking', null], ['one phone asking for /report again and again', 'report'],
                    ['one phone asking for /record.csv again and again', 'record.csv']];
    for (const [name, route] of phases) {
      const from = Date.now(), until = from + windowMs;
      const answers = route ? await loop(route, until) : (await h.sleep(windowMs), []);
      await h.sleep(1500);  // the last readings of the window reach the stream
      const { longest, count } = longestGap(follower.readings, from, until);
      console.log(name + ': longest gap between the program\'s readings ' + longest + ' ms over ' + count +
                  ' readings (' + windowMs / 1000 + ' s)' + (route ? '; ' + describe(answers) : ''));
    }
  } finally {
    follower.stop();
    await h.stopAzimora(run);
  }
})().catch((err) => { console.error(err); process.exit(1); });
