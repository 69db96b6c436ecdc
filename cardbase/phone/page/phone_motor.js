// The motorised dish on the phone page: "Go to" a satellite of the
// catalogue and steps east or west are card requests (POST motor?... with
// the header X-Azimora: motor), offered while Azimora is not measuring; the
// card's words come back on the stream's "motor" event. phone.js tells it
// what the card can and whether Azimora measures.
(function (root) {
  'use strict';
  const $ = (id) => document.getElementById(id);
  let canMotor = false, measuring = false, filled = false;
  let note = '';  // the card's words, or why an ask was refused
  let heard = 0;  // the card's words received so far: its answer may come before the ask's own

  // "goto=19.2E", "step=east&n=10", "halt=1": what the page asks.
  function requestWords(kind, value, steps) {
    if (kind === 'goto') return 'goto=' + encodeURIComponent(value);
    if (kind === 'step') return 'step=' + value + '&n=' + steps;
    return 'halt=1';
  }

  function show() {
    const part = $('motorPart');
    if (!part) return;
    part.hidden = !canMotor;
    for (const id of ['motorGoto', 'motorEast', 'motorWest', 'motorHalt']) $(id).disabled = measuring;
    $('motorNote').textContent = measuring ? 'Azimora is measuring and turns the dish itself: go back to Setup to ' +
      'turn it from here' : note;
  }

  async function fill() {
    if (filled) return;
    try {
      const answer = await fetch('satellites');
      const list = (await answer.json()).satellites || [];
      const select = $('motorSatellite');
      select.textContent = '';
      for (const satellite of list) {
        const option = document.createElement('option');
        option.value = satellite.value;
        option.textContent = satellite.name + ', ' + satellite.position;
        select.appendChild(option);
      }
      filled = true;
    } catch (err) {
      note = 'the satellites could not be read';
      show();
    }
  }

  async function ask(kind, value) {
    const steps = $('motorSteps').value;
    const heardBefore = heard;
    try {
      const answer = await fetch('motor?' + requestWords(kind, value, steps),
        { method: 'POST', headers: { 'X-Azimora': 'motor' } });
      if (!answer.ok) note = (await answer.text()).replace(/^\d+ [^:]*: /, '').trim();
      else if (heard === heardBefore) note = 'asked\u2026';
    } catch (err) {
      note = 'the card did not answer';
    }
    show();
  }

  function start() {
    if (!$('motorPart')) return;
    $('motorGoto').addEventListener('click', () => ask('goto', $('motorSatellite').value));
    $('motorEast').addEventListener('click', () => ask('step', 'east'));
    $('motorWest').addEventListener('click', () => ask('step', 'west'));
    $('motorHalt').addEventListener('click', () => ask('halt', ''));
    $('motorPart').addEventListener('toggle', () => { if ($('motorPart').open) fill(); });
  }

  const api = {
    requestWords,
    // From phone.js: what the card offers and whether Azimora measures now.
    update(offered, measuringNow) { canMotor = offered; measuring = measuringNow; show(); },
    said(words) { note = words; ++heard; show(); },
  };
  root.AzimoraMotor = api;
  if (typeof module !== 'undefined' && module.exports) module.exports = api;
  if (typeof document !== 'undefined') document.addEventListener('DOMContentLoaded', start);
})(typeof window !== 'undefined' ? window : globalThis);
