// The link margin on the page: the card's own figure with the modulation and
// code rate it took from the tuner or the network; where neither says, the
// user's pick from the table of thresholds the server sends (the page holds
// no copy of its own); the verdict, the words spoken and what is shown. The
// logic has no browser calls, so that node runs the same code in the tests
// (tests/browser/margin_test.js); show() alone touches the page.
(function (root) {
  'use strict';

  // Shown as one decimal, and judged as shown, as the card judges it:
  // halves away from zero, never "-0.0".
  function tenths(db) { return (Math.sign(db) * Math.round(Math.abs(db) * 10)) / 10 + 0; }

  function verdictOf(marginDb, goodDb) {
    const shown = tenths(marginDb);
    return shown >= goodDb ? 'good' : shown >= 0 ? 'marginal' : 'failing';
  }

  // "+4.2 dB", "-0.7 dB".
  function decibelsText(marginDb) {
    const shown = tenths(marginDb);
    return (shown >= 0 ? '+' : '-') + Math.abs(shown).toFixed(1) + ' dB';
  }

  // A row of the server's table: [modcod, name, C/N it needs].
  function rowOf(thresholds, modcod) {
    const rows = thresholds && Array.isArray(thresholds.rows) ? thresholds.rows : [];
    return rows.find((row) => row[0] === modcod) || null;
  }

  // What is shown for a reading: {known, marginDb, verdict, name, source,
  // thresholdDb, why, missing}. `server` is the card's margin object of the
  // reading, `pick` the user's choice ('' for none).
  function marginFor(server, pick, thresholds, reading) {
    const none = { known: false, marginDb: null, verdict: null, name: null, source: null, thresholdDb: null,
                   why: null, missing: null };
    if (!reading || !reading.lock) return Object.assign(none, { why: 'no lock' });
    if (server && server.status === 'known') {
      return { known: true, marginDb: server.marginDb, verdict: server.verdict, name: server.name,
               source: server.source, thresholdDb: server.thresholdDb, why: null, missing: null,
               orMore: server.orMore === true, orLess: server.orLess === true };
    }
    if (server && server.status === 'nodb') {
      return Object.assign(none, { name: server.name, source: server.name ? server.source : null,
                                   thresholdDb: server.thresholdDb, why: server.why });
    }
    const row = pick ? rowOf(thresholds, pick) : null;
    if (row && Number.isFinite(reading.cn)) {
      const goodDb = thresholds && typeof thresholds.goodDb === 'number' ? thresholds.goodDb : 3;
      const marginDb = tenths(reading.cn - row[2]);
      return { known: true, marginDb: marginDb, verdict: verdictOf(marginDb, goodDb), name: row[1], source: 'user',
               thresholdDb: row[2], why: null, missing: null, orMore: reading.cnOrMore === true,
               orLess: reading.cnOrLess === true };
    }
    return Object.assign(none, { why: (server && server.why) || 'modulation and code rate unknown',
                                 missing: server ? server.missing : null });
  }

  // The threshold under a reading on the chart: the card's of its moment, or the user's pick.
  function thresholdFor(reading, pick, thresholds) {
    if (typeof reading.th === 'number') return reading.th;
    const row = pick ? rowOf(thresholds, pick) : null;
    return row ? row[2] : null;
  }

  // The words for the margin: "plus 4.2", "минус 1,3", "unknown".
  // A margin that is at least its figure (the tuner rounds its C/N down, or
  // stops at its ceiling) says so: "plus 2.1 or more"; one at most its
  // figure (the tuner stops at its floor) "minus 1.5 or less".
  const words = {
    en: { lang: 'en-US', plus: 'plus', minus: 'minus', unknown: 'unknown', point: '.', orMore: 'or more',
          orLess: 'or less' },
    ru: { lang: 'ru-RU', plus: 'плюс', minus: 'минус', unknown: 'неизвестно', point: ',', orMore: 'или больше',
          orLess: 'или меньше' },
  };
  function speechFor(language, margin) {
    const w = words[language] || words.en;
    if (!margin.known) return { text: w.unknown, lang: w.lang };
    const shown = tenths(margin.marginDb);
    return { text: (shown >= 0 ? w.plus : w.minus) + ' ' + Math.abs(shown).toFixed(1).replace('.', w.point) +
                   (margin.orMore ? ' ' + w.orMore : margin.orLess ? ' ' + w.orLess : ''),
             lang: w.lang };
  }

  const sourceWords = { tuner: 'tuner', network: 'network', user: 'your choice' };

  // The page's part: the figure, the verdict in colour and in words, the
  // modulation and code rate with their source, or what is missing.
  function show(elements, margin, live) {
    const figure = elements.figure, verdict = elements.verdict, modulation = elements.modulation;
    const known = live && margin.known;
    const bound = margin.orMore ? ' or more' : margin.orLess ? ' or less' : '';
    figure.textContent = known ? 'Margin ' + decibelsText(margin.marginDb) + bound
      : live ? 'Margin unknown' : 'Margin --';
    figure.className = 'margin-figure ' + (known ? margin.verdict : 'stale');
    verdict.textContent = known ? margin.verdict : '';
    verdict.className = 'verdict ' + (known ? margin.verdict : '');
    modulation.textContent = live && margin.name ? margin.name + ' (' + (sourceWords[margin.source] || margin.source) + ')'
      : 'Modulation and code rate unknown';
    const why = live && !margin.known && margin.why !== 'no lock'
      ? margin.why + (margin.missing ? ': ' + margin.missing : '') : '';
    elements.why.textContent = why;
    elements.why.hidden = !why;
  }

  // The choices of the picker, from the server's table.
  function fillPicker(select, thresholds) {
    const rows = thresholds && Array.isArray(thresholds.rows) ? thresholds.rows : [];
    if (!rows.length || select.options.length > 1) return;
    for (const row of rows) {
      const option = document.createElement('option');
      option.value = row[0];
      option.textContent = row[1] + ' (needs ' + row[2].toFixed(1) + ' dB)';
      select.appendChild(option);
    }
  }

  const api = { tenths, verdictOf, decibelsText, rowOf, marginFor, thresholdFor, speechFor, show, fillPicker };
  root.AzimoraMargin = api;
  if (typeof module !== 'undefined' && module.exports) module.exports = api;
})(typeof window !== 'undefined' ? window : globalThis);
