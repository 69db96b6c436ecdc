// The phone page's "Record" section: today's measurements from the card's
// record (record.csv), newest first, each in its verdict's colour, with the
// file and the printable report a tap away. Shown only where the card
// serves the record (no record=off in its settings file).
(function () {
  'use strict';
  const $ = (id) => document.getElementById(id);
  // After a new start the measurement before it is written within a second.
  const afterStartMs = 1500;
  const record = { shown: false, loaded: false, entries: [], problem: '', timer: null, listed: '',
                   olderLeftOut: false };

  // One physical line of the record as its fields (RFC 4180, as the card writes it); null when malformed.
  function splitLine(line) {
    const fields = [];
    let at = 0;
    for (;;) {
      let field = '';
      if (line[at] === '"') {
        for (at++; ; at++) {
          if (at >= line.length) return null;
          if (line[at] !== '"') field += line[at];
          else if (line[at + 1] === '"') { field += '"'; at++; } else break;
        }
        at++;
        if (at < line.length && line[at] !== ',') return null;
      } else {
        const end = line.indexOf(',', at);
        field = line.slice(at, end < 0 ? line.length : end);
        if (field.indexOf('"') >= 0) return null;
        at = end < 0 ? line.length : end;
      }
      fields.push(field);
      if (at >= line.length) return fields;
      at++;
    }
  }
  // The rows as objects by column name; a torn or malformed line is left out.
  function parseRecord(text) {
    const complete = text.replace(/^\uFEFF/, '').split(/\r\n|\n|\r/);
    complete.pop();  // after the last line end: nothing, or a line torn by a crash
    const header = complete.length ? splitLine(complete[0]) : null;
    if (!header) return [];
    const rows = [];
    for (const line of complete.slice(1)) {
      const fields = line ? splitLine(line) : null;
      if (!fields || fields.length !== header.length) continue;
      const row = {};
      header.forEach((name, i) => { row[name] = fields[i]; });
      rows.push(row);
    }
    return rows;
  }
  function localDate(date) {
    const two = (n) => String(n).padStart(2, '0');
    return date.getFullYear() + '-' + two(date.getMonth() + 1) + '-' + two(date.getDate());
  }
  function todays(rows, today) {
    return rows.filter((r) => (r.start_local || '').slice(0, 10) === today).reverse();
  }
  function entryText(r) {
    const what = r.frequency_mhz + ' ' + r.polarisation + ' ' + r.symbol_rate_ksps + (r.switch ? ' ' + r.switch : '');
    let figures;
    if (r.verdict === 'no lock') figures = 'no lock in ' + Math.round(Number(r.duration_s)) + ' s';
    else {
      figures = r.cn_median_db ? 'C/N ' + r.cn_median_db + ' dB' : 'quality ' + r.quality_median_percent + ' %';
      if (r.margin_db) figures += ', margin ' + (Number(r.margin_db) >= 0 ? '+' : '') + r.margin_db + ' dB';
    }
    return { time: (r.start_local || '').slice(11, 16), what, figures };
  }
  function show() {
    const part = $('recordPart');
    part.hidden = !record.shown;
    if (!record.shown) return;
    const list = $('recordList');
    // Drawn again only when the entries changed: a refresh that brings nothing new leaves the list be.
    const listed = JSON.stringify(record.entries);
    if (listed !== record.listed) {
      record.listed = listed;
      list.replaceChildren(...record.entries.map(entryItem));
    }
    // The server sends the newest 4 MB of the record; what is older stays on the PC.
    const older = record.olderLeftOut ? ' Older entries are kept on the PC, in the record\'s earlier files.' : '';
    const none = !record.loaded ? 'Loading\u2026' : record.entries.length ? '' : 'No measurement recorded today.';
    $('recordNote').textContent = record.problem || (none + older).trim();
  }
  function entryItem(r) {
    const words = entryText(r);
    const item = document.createElement('li');
    const look = r.verdict === 'no lock' ? 'nolock' : r.verdict;
    item.className = 'record-entry ' + look;
    for (const [kind, text] of [['time', words.time], ['what', words.what], ['verdict ' + look, r.verdict],
                                ['figures', words.figures]]) {
      const span = document.createElement('span');
      span.className = kind;
      span.textContent = text;
      item.append(span, ' ');
    }
    return item;
  }
  async function load() {
    if (!record.shown || !$('recordPart').open) return;
    try {
      const answer = await fetch('record.csv', { cache: 'no-store' });
      if (!answer.ok) throw new Error(answer.status === 503 ? 'busy' : String(answer.status));
      record.entries = todays(parseRecord(await answer.text()), localDate(new Date()));
      record.olderLeftOut = answer.headers.get('X-Azimora-Older-Left-Out') === 'yes';
      record.problem = '';
      record.loaded = true;
    } catch (err) {
      record.problem = err.message === 'busy' ? 'The record is being sent to another phone; try again.'
                                              : 'The record could not be read.';
    }
    show();
  }
  function setShown(shown) {
    if (record.shown === shown) return;
    record.shown = shown;
    show();
    load();
  }
  // A new start ends the measurement before it: it is in the record a moment later.
  function tuned() {
    clearTimeout(record.timer);
    record.timer = setTimeout(load, afterStartMs);
  }

  $('recordPart').addEventListener('toggle', load);
  $('recordRefresh').addEventListener('click', load);
  window.AzimoraRecord = {
    setShown, tuned, load, parseRecord,
    state: () => ({ shown: record.shown, loaded: record.loaded, problem: record.problem,
                    olderLeftOut: record.olderLeftOut, entries: record.entries.map((r) => Object.assign({}, r)) }),
  };
})();
