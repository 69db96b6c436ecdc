// The phone page's "Where to point": the site (typed and kept in this
// phone's own storage, the settings file's, or the phone's position where
// the browser gives it), the satellite (the tuned catalogue line's, or one
// picked from the catalogue), and the figures the server works out for
// them (/point): azimuth, elevation, the LNB's turn with a picture, the
// sun's hour at the satellite's azimuth and, live, where the sun stands
// now. Folded away once the dish is locked. window.azimoraPoint exposes
// what is shown, for tests.
(function () {
  'use strict';
  const $ = (id) => document.getElementById(id);
  const siteKey = 'azimora.site', offsetKey = 'azimora.offset';
  const refreshMs = 15000;      // the live line: the sun moves a quarter of a degree a minute
  const settleMs = 400;         // typing: ask once the fingers stop
  const lookMs = 1000;          // the stream's tune, network and lock
  const tunedValue = 'tuned';

  const point = {
    place: null,          // the server's /satellites
    siteFrom: '',         // 'typed', 'settings', 'phone' or ''
    answer: null,         // the latest /point
    problem: '',
    asked: 0,
    locked: false,
    geolocation: '',      // what the browser said of the phone's position
  };

  function stored(key) { try { return localStorage.getItem(key); } catch (err) { return null; } }
  function store(key, value) {
    try { if (value) localStorage.setItem(key, value); else localStorage.removeItem(key); } catch (err) { /* private mode */ }
  }

  // "13.0° E" (the stream's form) as the query takes it: "13.0E".
  function positionValue(text) {
    const match = /^(\d+(?:\.\d+)?)\u00b0?\s*([EW])$/.exec(String(text || '').trim());
    return match ? match[1] + match[2] : null;
  }
  function phoneState() { return window.azimoraPhone ? window.azimoraPhone.state() : null; }
  function tunedPosition() {
    const s = phoneState(), expected = s && s.network && s.network.expected;
    return expected && expected.length ? expected[0] : null;
  }

  function showSiteNote() {
    const notes = {
      typed: 'typed on this phone (kept on it, never on the PC)',
      settings: point.place && point.place.siteFrom ? 'from ' + point.place.siteFrom : '',
      phone: "this phone's position",
    };
    let text = notes[point.siteFrom] || 'type the site as LAT,LON in degrees, north and east positive (55.75,37.62)';
    if (point.geolocation) text = point.geolocation;
    $('pointSiteNote').textContent = text;
    const problem = point.place && point.place.siteProblem;
    $('pointSettingsProblem').hidden = !problem;
    $('pointSettingsProblem').textContent = problem || '';
  }

  function fillSatellites() {
    const select = $('pointSatellite'), chosen = select.value;
    const tuned = tunedPosition();
    select.textContent = '';
    const first = document.createElement('option');
    first.value = tunedValue;
    first.textContent = tuned ? 'the tuned satellite, ' + tuned : 'the tuned satellite (none: pick one)';
    select.appendChild(first);
    for (const s of (point.place && point.place.satellites) || []) {
      const option = document.createElement('option');
      option.value = s.value;
      option.textContent = s.name + ' (' + s.position + ')';
      select.appendChild(option);
    }
    if (chosen) select.value = chosen;
  }
  function satelliteValue() {
    const value = $('pointSatellite').value;
    return value === tunedValue ? positionValue(tunedPosition()) : value;
  }

  function showTuned() {
    const option = $('pointSatellite').options[0], tuned = tunedPosition();
    const text = tuned ? 'the tuned satellite, ' + tuned : 'the tuned satellite (none: pick one)';
    if (option && option.textContent !== text) { option.textContent = text; askSoon(); }
    // Once locked and known, the network's own word beside it.
    const s = phoneState(), n = s && s.network;
    const live = s && s.connection === 'live' && s.latest;
    $('pointNetwork').textContent = live && n && n.state === 'known' && n.position
      ? 'the network says ' + n.position + (n.uncertain ? ' (uncertain)' : '') : '';
    const locked = !!(live && s.latest.lock);
    if (locked && !point.locked) $('pointPart').open = false;
    point.locked = locked;
  }

  // ---- the skew's picture: the LNB seen from behind the dish, turned from upright
  function drawSkew(skew) {
    const turn = Math.abs(skew) < 0.05 ? 0 : skew;
    $('skewLnb').setAttribute('transform', 'rotate(' + turn.toFixed(1) + ')');
    const radius = 52, start = -90 * Math.PI / 180, end = (-90 + turn) * Math.PI / 180;
    const at = (a) => (radius * Math.cos(a)).toFixed(2) + ' ' + (radius * Math.sin(a)).toFixed(2);
    const arrow = $('skewArrow');
    arrow.setAttribute('d', turn === 0 ? '' : 'M ' + at(start) + ' A ' + radius + ' ' + radius + ' 0 0 ' +
                       (turn > 0 ? 1 : 0) + ' ' + at(end));
    arrow.setAttribute('class', 'skew-arrow ' + (turn > 0 ? 'clockwise' : turn < 0 ? 'counterclockwise' : 'upright'));
    $('skewAngle').textContent = turn === 0 ? '0\u00b0' : Math.abs(turn).toFixed(1) + '\u00b0';
    // The word "up" on the side the arrow leaves free.
    $('skewUp').setAttribute('x', turn > 0 ? '-4' : '4');
    $('skewUp').setAttribute('text-anchor', turn > 0 ? 'end' : 'start');
  }

  function show() {
    const a = point.answer;
    $('pointProblem').hidden = !point.problem;
    $('pointProblem').textContent = point.problem;
    $('pointResult').hidden = !a;
    if (!a) return;
    const list = $('pointFigures');
    list.textContent = '';
    for (const [name, value] of a.lines) {
      if (name === 'skew' || name === 'sun' || name === 'sun now') continue;
      const term = document.createElement('dt'), detail = document.createElement('dd');
      term.textContent = name;
      detail.textContent = value;
      detail.dataset.name = name;
      list.appendChild(term);
      list.appendChild(detail);
    }
    $('pointFigures').className = 'point-figures ' + a.visibility;
    $('skewInstruction').textContent = a.skewText;
    drawSkew(a.skew);
    $('sunHour').textContent = a.sunText;
    const now = a.lines.find(([name]) => name === 'sun now');
    $('sunNow').textContent = now ? 'now: the sun stands ' + now[1] : '';
  }

  // ---- asking the server
  let timer = null;
  function askSoon(delay = settleMs) { clearTimeout(timer); timer = setTimeout(ask, delay); }
  async function ask() {
    clearTimeout(timer);
    timer = setTimeout(ask, refreshMs);
    if (!$('pointPart').open) return;  // folded away: asked again when unfolded
    const site = $('pointSite').value.trim(), satellite = satelliteValue();
    if (!site || !satellite) {
      point.answer = null;
      point.problem = !site ? '' : 'pick the satellite: nothing tuned has a catalogue line';
      show();
      return;
    }
    const query = new URLSearchParams({ site, satellite, t: String(Date.now()),
                                        zone: String(-new Date().getTimezoneOffset()) });
    const offset = $('pointOffset').value.trim();
    if (offset) query.set('offset', offset);
    const asked = ++point.asked;
    try {
      const response = await fetch('point?' + query.toString(), { cache: 'no-store' });
      const body = await response.text();
      if (asked !== point.asked) return;  // a newer question is on its way
      if (response.ok) {
        point.answer = JSON.parse(body);
        point.problem = '';
      } else {
        point.answer = null;
        point.problem = body.replace(/^\d+ [^:]*: /, '').trim();
      }
    } catch (err) {
      if (asked !== point.asked) return;
      point.problem = 'the PC does not answer: ' + err.message;
    }
    show();
  }

  // ---- the phone's own position, where the browser gives it
  function useThisPhone() {
    if (!window.isSecureContext || !navigator.geolocation) {
      point.geolocation = "this page came over plain HTTP from the PC, and browsers give a position only to " +
        'secure pages (HTTPS, or the PC itself): type the site instead';
      showSiteNote();
      return;
    }
    point.geolocation = 'asking the phone where it is\u2026';
    showSiteNote();
    navigator.geolocation.getCurrentPosition((position) => {
      const c = position.coords;
      $('pointSite').value = c.latitude.toFixed(4) + ',' + c.longitude.toFixed(4);
      store(siteKey, $('pointSite').value);
      point.siteFrom = 'phone';
      point.geolocation = "this phone's position (within " + Math.round(c.accuracy) + ' m)';
      showSiteNote();
      ask();
    }, (err) => {
      point.geolocation = 'the browser gave no position (' + err.message + '): type the site instead';
      showSiteNote();
    }, { enableHighAccuracy: true, timeout: 20000, maximumAge: 60000 });
  }

  async function start() {
    const typed = stored(siteKey);
    if (typed) { $('pointSite').value = typed; point.siteFrom = 'typed'; }
    $('pointOffset').value = stored(offsetKey) || '';
    try {
      const response = await fetch('satellites', { cache: 'no-store' });
      if (response.ok) point.place = await response.json();
    } catch (err) { /* the stream says when the PC is gone */ }
    if (!typed && point.place && point.place.site) {
      $('pointSite').value = point.place.site.text;
      point.siteFrom = 'settings';
    }
    fillSatellites();
    showSiteNote();
    showTuned();
    ask();
  }

  $('pointSite').addEventListener('input', () => {
    store(siteKey, $('pointSite').value.trim());
    point.siteFrom = $('pointSite').value.trim() ? 'typed' : '';
    point.geolocation = '';
    showSiteNote();
    askSoon();
  });
  $('pointOffset').addEventListener('input', () => { store(offsetKey, $('pointOffset').value.trim()); askSoon(); });
  $('pointSatellite').addEventListener('change', () => ask());
  $('pointHere').addEventListener('click', useThisPhone);
  $('pointPart').addEventListener('toggle', () => { if ($('pointPart').open) ask(); });
  setInterval(showTuned, lookMs);

  window.azimoraPoint = {
    state: () => ({ answer: point.answer, problem: point.problem, siteFrom: point.siteFrom, asked: point.asked,
                    open: $('pointPart').open, place: point.place }),
    ask,
  };
  start();
})();
