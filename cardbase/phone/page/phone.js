// The phone page: follows the card substitute's stream of readings, shows
// them (before the lock, the level against the noise floor), draws the
// last minute and makes them heard. window.azimoraPhone
// exposes what is shown and heard, for tests and measurements.
(function () {
  'use strict';
  const Sound = window.AzimoraSound, Chart = window.AzimoraChart, Margin = window.AzimoraMargin;
  const Record = window.AzimoraRecord, Level = window.AzimoraLevel;
  const SweepChart = window.AzimoraSweepChart, Cable = window.AzimoraCable, Lnb = window.AzimoraLnb;
  const Peak = window.AzimoraPeak;
  const Motor = window.AzimoraMotor, Player = window.AzimoraAudio;
  const staleMs = 1500;         // no reading for this long: the figures turn grey and the sound stops
  const silentStreamMs = 3500;  // nothing at all for this long: the stream is given up and opened again
  const retryMs = 1000;
  const $ = (id) => document.getElementById(id);

  const state = {
    run: '',        // the server's run the figures come from
    readings: [],   // the last minute: {seq, t, lock, quality, cn, tune, level}
    lastSeq: 0,
    latest: null,
    tune: null,
    card: '',
    network: null,  // what the card knows of the network it is locked to
    cable: { singleCable: null, userBand: null },  // through a single-cable device (phone_cable.js)
    lnb: { lnb: null },  // the LNB's own error (phone_lnb.js)
    margin: null,      // the card's link margin, as of the latest message
    thresholds: null,  // the server's table of what each modulation and code rate needs
    pick: '',          // the user's modulation and code rate, for this transponder
    connection: 'connecting',
    lastMessageAt: 0,   // page clock
    lastReadingAt: 0,   // page clock
    serverOffsetMs: 0,  // server clock minus page clock, from the latest message
    peakCn: null,
    peakResetT: -Infinity,  // server clock
    floor: Sound.newLevelFloor(),  // the lowest level since the search for this transponder began
    search: null,   // what the latest reading sounds like before the lock (Sound.searchSound)
    canSweep: false,   // the card sweeps the band when asked
    canMotor: false,   // the card turns a motorised dish when asked
    sweep: null,       // the latest sweep, as it goes
    sweepAsk: '',      // what came of the latest ask: '' or why it was refused
    peak: null,        // the bracketing guide, as the card's latest peak event has it
    peakAsk: '',       // why the latest ask of the guide was refused, or ''
    shown: [],      // [seq, server time, page time shown, lock] of the latest readings, for latency measurement
    reconnects: 0,
  };
  const choice = (name) => document.querySelector('input[name="' + name + '"]:checked').value;

  // ---- the stream
  let source = null, retryTimer = null;
  function connect() {
    clearTimeout(retryTimer);
    if (source) source.close();
    source = new EventSource('events');
    state.lastMessageAt = Date.now();
    source.addEventListener('history', (e) => onMessage(e, onHistory));
    source.addEventListener('reading', (e) => onMessage(e, onReading));
    source.addEventListener('idle', (e) => onMessage(e, onIdle));
    source.addEventListener('sweep', (e) => onMessage(e, onSweep));
    source.addEventListener('peak', (e) => onMessage(e, onPeak));
    source.addEventListener('motor', (e) => onMessage(e, (data) => Motor.said(data.words || '')));
    source.onerror = () => reconnectSoon();
  }
  function reconnectSoon() {
    if (source) { source.close(); source = null; }
    setConnection('reconnecting');
    show();
    clearTimeout(retryTimer);
    retryTimer = setTimeout(() => { state.reconnects++; connect(); }, retryMs);
  }
  function onMessage(event, handle) {
    let data;
    try { data = JSON.parse(event.data); } catch (err) { return; }
    state.lastMessageAt = Date.now();
    if (typeof data.t === 'number') state.serverOffsetMs = data.t - Date.now();
    if (typeof data.run === 'string' && data.run !== state.run) newRun(data.run);
    if (typeof data.card === 'string') state.card = data.card;
    if (data.network && typeof data.network === 'object') state.network = data.network;
    if (data.margin && typeof data.margin === 'object') state.margin = data.margin;
    if (data.thresholds && typeof data.thresholds === 'object') {
      state.thresholds = data.thresholds;
      Margin.fillPicker($('modcodPick'), data.thresholds);
    }
    if (data.tune !== undefined) takeTune(data.tune);
    if (typeof data.canSweep === 'boolean') state.canSweep = data.canSweep;
    Cable.take(state.cable, data);
    Lnb.take(state.lnb, data);
    if (typeof data.canMotor === 'boolean') state.canMotor = data.canMotor;
    handle(data);
  }
  // Azimora was started again: its readings and starts are numbered from 1
  // again, so nothing the page counted from the run before holds.
  function newRun(run) {
    const first = state.run === '';
    state.run = run;
    state.readings = [];
    state.lastSeq = 0;
    state.latest = null;
    state.tune = null;
    state.peakCn = null;
    state.peakResetT = -Infinity;
    state.floor = Sound.newLevelFloor();
    state.search = null;
    state.peak = null;
    if (!first) sound.resetPeak();
  }
  function takeTune(tune) {
    const before = state.tune ? state.tune.n : 0;
    const same = (a, b) => a && b && a.frequencyMHz === b.frequencyMHz && a.polarization === b.polarization &&
      a.symbolRate === b.symbolRate && a.switch === b.switch;
    // The user's pick belongs to the transponder it was made for.
    if (state.tune && !same(state.tune, tune)) { state.pick = ''; $('modcodPick').value = ''; }
    state.tune = tune;
    if (tune && tune.n !== before && before !== 0) resetPeak();
    if (tune && tune.n !== before) Record.tuned();
  }
  function onHistory(data) {
    Record.setShown(data.record === true);
    // The server's minute replaces the page's: it holds whatever the page missed.
    const rows = Array.isArray(data.readings) ? data.readings : [];
    state.readings = rows.map((r) => ({ seq: r[0], t: r[1], lock: r[2] === 1, quality: r[3], cn: r[4], tune: r[5],
                                        th: typeof r[6] === 'number' ? r[6] : null, cnOrMore: r[7] === 1, cnOrLess: r[7] === -1,
                                        searchingMs: null,
                                        level: r[8] && typeof r[8] === 'object' ? r[8] : null }));
    state.readings.forEach(notePeak);
    state.readings.forEach(noteLevel);
    const newest = state.readings[state.readings.length - 1];
    if (newest) { state.lastSeq = newest.seq; state.latest = newest; }
    setConnection(newest && data.t - newest.t < staleMs ? 'live' : 'idle');
    if (newest && data.t - newest.t < staleMs) state.lastReadingAt = Date.now();
    show();
  }
  function onReading(data) {
    if (data.seq <= state.lastSeq) return;
    const known = data.margin && data.margin.status === 'known';
    const r = { seq: data.seq, t: data.t, lock: data.lock, quality: data.quality, cn: data.cn, tune: data.tuneOf,
                th: known ? data.margin.thresholdDb : null, cnOrMore: data.cnOrMore === true,
                cnOrLess: data.cnOrLess === true,
                searchingMs: typeof data.searchingMs === 'number' ? data.searchingMs : null,
                level: data.level && typeof data.level === 'object' ? data.level : null };
    state.lastSeq = r.seq;
    state.latest = r;
    state.lastReadingAt = Date.now();
    state.readings.push(r);
    const oldest = r.t - Chart.spanMs - 1000;
    while (state.readings.length && state.readings[0].t < oldest) state.readings.shift();
    notePeak(r);
    noteLevel(r);
    setConnection('live');
    show();
    state.shown.push([r.seq, r.t, Date.now(), r.lock]);
    if (state.shown.length > 200) state.shown.shift();
    sound.onReading(r);
  }
  function onSweep(data) {
    state.sweep = data;
    showBand();
  }
  function onPeak(data) {
    state.peak = data;
    state.peakAsk = '';
    sound.peakNews(data);
    show();
  }
  function onIdle() {
    if (Date.now() - state.lastReadingAt > staleMs) setConnection('idle');
    show();
  }
  function notePeak(r) {
    if (!r.lock || r.t <= state.peakResetT || (state.tune && r.tune !== state.tune.n)) return;
    if (state.peakCn === null || r.cn > state.peakCn) state.peakCn = r.cn;
  }
  // The floor belongs to the transponder searched for: the next one begins its own.
  function searchKey() {
    const t = state.tune;
    return t ? [t.frequencyMHz, t.polarization, t.symbolRate, t.switch].join(' ') : '';
  }
  function noteLevel(r) {
    if (state.tune && r.tune !== state.tune.n) return;
    state.search = Sound.searchSound(state.floor, r, searchKey());
  }
  function resetPeak() {
    state.peakCn = null;
    state.peakResetT = Date.now() + state.serverOffsetMs;
    sound.resetPeak();
    show();
  }

  // ---- what is shown
  function setConnection(kind) {
    state.connection = kind;
    const words = { live: 'live', idle: 'not measuring', reconnecting: 'reconnecting', connecting: 'connecting' };
    const element = $('connection');
    element.textContent = words[kind];
    element.className = 'connection ' + kind;
  }
  function fresh() { return state.latest && Date.now() - state.lastReadingAt < staleMs && state.connection === 'live'; }
  function show() {
    const r = state.latest, live = fresh();
    const look = !r || !live ? 'stale' : r.lock ? 'locked' : 'nolock';
    const quality = $('quality'), cn = $('cn'), lock = $('lock');
    quality.textContent = r && r.lock ? String(r.quality) : '--';
    // A C/N the tuner rounds down, or holds at its ceiling, is at least the figure; at its floor, at most.
    cn.textContent = Level.cnText(r);
    // The driver searching holds up its readings: how long none came.
    const searching = r && !r.lock && r.searchingMs ? 'searching ' + (r.searchingMs / 1000).toFixed(1) + ' s' : '';
    lock.textContent = !r ? 'no reading' : !live ? 'not live' : r.lock ? 'locked' : searching || 'no lock';
    quality.className = 'quality ' + look;
    cn.className = 'cn ' + look;
    lock.className = 'lock ' + look;
    $('card').textContent = state.card;
    const t = state.tune;
    $('transponder').textContent = !t ? 'Not tuned yet' : t.frequencyMHz + ' MHz ' + (t.polarization || '') + ', ' +
      t.symbolRate + ' kS/s' + (t.switch ? ', switch ' + t.switch : '');
    Cable.show({ device: $('singleCable'), shared: $('userBandShared') }, state.cable);
    Lnb.show({ part: $('lnbPart'), figure: $('lnbFigure'), word: $('lnbWord') }, state.lnb, live && r.lock);
    $('peak').textContent = state.peakCn === null ? '--' : state.peakCn.toFixed(1) + ' dB';
    showLevel(r, live);
    showBand();
    showPeak();
    showNetwork(live ? state.network : null);
    Margin.show({ figure: $('margin'), verdict: $('marginVerdict'), modulation: $('modulation'), why: $('marginWhy') },
                marginNow(), live);
    drawSoon();
  }
  // Before the lock and after it: the level as a bar over the noise floor,
  // the driver's "signal present" where it has one, and what kind of level
  // it is where that matters.
  function showLevel(r, live) {
    const level = r && live ? r.level : null;
    const valued = Sound.levelValued(level);
    const above = valued && state.search ? state.search.above : null;
    const unit = valued ? level.unit : 'dBm';
    const figure = $('levelFigure'), present = $('signalPresent'), note = $('levelNote');
    figure.textContent = Level.figureText(level, above);
    figure.className = 'level-figure ' + (above === null ? 'stale' : r.lock ? 'locked' : 'nolock');
    $('levelBar').style.width = (100 * Sound.levelBarShare(above, unit)).toFixed(1) + '%';
    $('levelBar').className = 'level-fill' + (r && r.lock ? ' locked' : '');
    present.hidden = !level || level.present === null || level.present === undefined;
    present.textContent = level && level.present ? 'signal present' : 'no signal present';
    present.className = 'present' + (level && level.present ? ' yes' : '');
    const words = Level.noteWords(level);
    note.textContent = words;
    note.hidden = !words;
  }

  // The band: a sweep the card makes on asking, while Azimora is not
  // measuring (in Setup), shown as a chart with each peak named.
  function showBand() {
    Motor.update(state.canMotor, state.connection === 'live');
    $('bandPart').hidden = !state.canSweep;
    if (!state.canSweep) return;
    const sweep = state.sweep, running = sweep && sweep.state === 'running';
    const measuring = state.connection === 'live';
    const button = $('sweepButton');
    button.disabled = measuring || running;
    button.textContent = running ? 'Sweeping\u2026' : 'Sweep the band';
    let note = '';
    if (measuring) note = 'Azimora is measuring: go back to Setup to sweep the band';
    else if (state.sweepAsk) note = state.sweepAsk;
    else if (running) note = 'sweeping ' + sweep.title + ': ' + sweep.stepsDone + ' of ' + sweep.steps + ' steps';
    else if (sweep && sweep.state === 'failed') note = sweep.title + ': ' + sweep.problem;
    else if (sweep && sweep.state === 'done')
      note = sweep.title + ': ' + sweep.peaks.length + (sweep.peaks.length === 1 ? ' peak' : ' peaks');
    $('sweepNote').textContent = note;
    const list = $('sweepPeaks');
    list.textContent = '';
    for (const peak of sweep && sweep.state === 'done' ? sweep.peaks : []) {
      const item = document.createElement('li');
      item.textContent = SweepChart.peakText(peak, sweep.unit);
      if (peak.locked) item.className = 'locked';
      list.appendChild(item);
    }
    SweepChart.drawSweep($('sweepChart'), sweep);
  }
  async function askSweep() {
    const words = ['band=' + $('sweepBand').value, 'pol=' + $('sweepPol').value, 'switch=' + $('sweepSwitch').value,
                   'lnb=universal', 'step=2', 'try=' + ($('sweepTry').checked ? '1' : '0')];
    state.sweepAsk = '';
    try {
      const answer = await fetch('sweep?' + words.join('&'), { method: 'POST', headers: { 'X-Azimora': 'sweep' } });
      if (!answer.ok) state.sweepAsk = (await answer.text()).replace(/^\d+ [^:]*: /, '').trim();
    } catch (err) {
      state.sweepAsk = 'the card did not answer';
    }
    showBand();
  }
  // The form starts from the transponder tuned.
  function fillSweepForm() {
    const t = state.tune;
    if (!t) return;
    $('sweepBand').value = t.frequencyMHz >= 11700 ? 'high' : 'low';
    if (t.polarization === 'H' || t.polarization === 'V') $('sweepPol').value = t.polarization;
    $('sweepSwitch').value = t.switch || '';
  }

  function showPeak() { Peak.show(document, state.peak, state.peakAsk); }
  async function askPeak(query) {
    state.peakAsk = await Peak.ask(query);
    showPeak();
  }

  // The network's own word on where the dish points, and a clear warning
  // when that is not the satellite the catalogue expected. A position
  // guessed from the rest of the table is only "probably" so, and never
  // reason enough to warn.
  function showNetwork(n) {
    const line = $('network'), warning = $('wrongSatellite');
    let text = 'Network: no lock', look = '';
    if (n && n.state === 'reading') text = 'Network: reading\u2026';
    else if (n && n.state === 'none') text = 'no network information';
    else if (n && n.state === 'known') {
      text = 'Network: ' + (n.name || '(no name)') + ' (' + n.id + '), ' +
        (n.position ? (n.uncertain ? 'probably ' : '') + n.position : 'position unknown');
      if (n.verdict === 'expected' && !n.uncertain) look = 'expected';
    }
    line.textContent = text;
    line.className = 'network-line ' + look;
    const wrong = n && n.state === 'known' && n.verdict === 'wrong' && !n.uncertain && n.expected && n.expected.length;
    warning.hidden = !wrong;
    warning.textContent = wrong ? 'wrong satellite: expected ' + n.expected.join(' or ') : '';
  }

  function marginNow() { return Margin.marginFor(state.margin, state.pick, state.thresholds, state.latest); }

  let drawPending = false;
  function drawSoon() {
    if (drawPending) return;
    drawPending = true;
    requestAnimationFrame(() => {
      drawPending = false;
      // The user's pick stands under the readings only while the card knows no modulation of its own.
      const picked = marginNow().source === 'user' ? state.pick : '';
      const peak = state.peak;
      const edgeCn = peak && peak.running && peak.source === 'cn' ? peak.edgeAt : null;
      Chart.drawChart($('chart'), state.readings, Date.now() + state.serverOffsetMs, state.peakCn,
                      (r) => Margin.thresholdFor(r, picked, state.thresholds),
                      { marks: Peak.chartMarks(peak), edgeCn: edgeCn });
    });
  }

  // ---- the sound (phone_audio.js)
  const sound = Player.newPlayer({ state, choice, fresh, marginNow });

  // ---- keeping the screen on, where the browser allows it (HTTPS or localhost only)
  let wakeLock = null;
  async function keepAwake() {
    if (!$('keepAwake').checked || !navigator.wakeLock || document.hidden) return;
    try { wakeLock = await navigator.wakeLock.request('screen'); } catch (err) { wakeLock = null; }
  }

  // ---- wiring
  $('soundButton').addEventListener('click', () => {
    if (sound.audio.on) sound.stop(); else sound.start();
    $('soundButton').textContent = sound.audio.on ? 'Sound on: tap to stop' : 'Tap for sound';
    $('soundButton').classList.toggle('on', sound.audio.on);
  });
  $('resetPeak').addEventListener('click', resetPeak);
  $('sweepButton').addEventListener('click', askSweep);
  Peak.wire(document, askPeak);
  $('modcodPick').addEventListener('change', () => { state.pick = $('modcodPick').value; show(); });
  document.querySelectorAll('input[name="mode"]').forEach((input) => input.addEventListener('change', () => {
    if (window.speechSynthesis) window.speechSynthesis.cancel();
    sound.audio.lastSpokenMs = -Infinity;
    sound.update();
  }));
  if (navigator.wakeLock) {
    $('awakeChoice').hidden = false;
    $('keepAwake').addEventListener('change', () => {
      if ($('keepAwake').checked) keepAwake(); else if (wakeLock) { wakeLock.release(); wakeLock = null; }
    });
  }
  document.addEventListener('visibilitychange', () => {
    if (document.hidden) return;
    // Back from sleep: catch up at once rather than wait for the stream to time out.
    if (Date.now() - state.lastMessageAt > staleMs) connect();
    if (sound.audio.context && sound.audio.on) sound.audio.context.resume();
    keepAwake();
    show();
  });
  window.addEventListener('online', connect);
  window.addEventListener('resize', drawSoon);
  setInterval(() => {
    if (source && Date.now() - state.lastMessageAt > silentStreamMs) reconnectSoon();
    if (state.connection === 'live' && !fresh()) setConnection('idle');
    sound.update();
    show();
  }, 250);

  window.azimoraPhone = {
    state: () => ({
      connection: state.connection, latest: state.latest, tune: state.tune, card: state.card, peakCn: state.peakCn,
      network: state.network, margin: marginNow(), cardMargin: state.margin, pick: state.pick,
      cable: Cable.cableLines(state.cable), lnb: Lnb.lnbLines(state.lnb.lnb),
      search: state.search, floor: state.floor.lowest, canSweep: state.canSweep, sweep: state.sweep,
      sweepAsk: state.sweepAsk, peak: state.peak, peakAsk: state.peakAsk,
      readings: state.readings.length, reconnects: state.reconnects, shown: state.shown.slice(),
    }),
    record: () => Record.state(),
    audio: () => ({
      on: sound.audio.on, mode: sound.audio.mode, frequency: sound.audio.frequency, level: sound.audio.level,
      contextState: sound.audio.context ? sound.audio.context.state : 'none',
      oscillatorFrequency: sound.audio.oscillator ? sound.audio.oscillator.frequency.value : 0,
      chirps: sound.audio.chirps, best: sound.best(), belowDb: sound.audio.lastBelowDb, spoken: sound.audio.spoken.slice(),
      kind: sound.audio.kind, searchFrequency: sound.audio.searchFrequency, searchOn: sound.audio.searchOn,
      chimes: sound.audio.chimes, peakCues: sound.audio.peakCues.slice(),
      searchOscillatorFrequency: sound.audio.searchOscillator ? sound.audio.searchOscillator.frequency.value : 0,
    }),
  };
  connect();
  show();
})();
