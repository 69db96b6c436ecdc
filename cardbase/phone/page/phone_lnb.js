// The LNB's own error on the page: how far its oscillator is off, as the
// tuner found the carrier ("LNB +2.3 MHz (10600 MHz oscillator)"), with the
// card's word on it (a PLL LNB stays within 0.5 MHz); where the card cannot
// say, why, in grey; nothing without a lock. The server's messages carry it
// as "lnb" (null for none; cardbase/phone/phone_feed.h). The logic has no
// browser calls, so that node runs the same code (tests/browser/lnb_test.js);
// show() alone touches the page.
(function (root) {
  'use strict';

  // What to show from what the latest message said.
  function lnbLines(lnb) {
    if (!lnb || typeof lnb !== 'object') return { figure: '', word: '', beyond: false };
    if (lnb.known !== true) {
      const why = typeof lnb.why === 'string' ? lnb.why : '';
      return { figure: why ? 'LNB error unknown: ' + why : '', word: '', beyond: false };
    }
    return { figure: String(lnb.text || ''), word: String(lnb.word || ''), beyond: lnb.beyond === true };
  }

  // Takes the message's word into `state`; a message without one leaves it be.
  function take(state, data) {
    if (data.lnb !== undefined) state.lnb = data.lnb;
  }

  function show(elements, state, live) {
    const lines = live ? lnbLines(state.lnb) : lnbLines(null);
    elements.figure.textContent = lines.figure;
    elements.figure.className = 'lnb-figure' + (lines.beyond ? ' beyond' : lines.word ? '' : ' unknown');
    elements.word.textContent = lines.word;
    elements.part.hidden = !lines.figure;
  }

  const api = { lnbLines, take, show };
  root.AzimoraLnb = api;
  if (typeof module !== 'undefined' && module.exports) module.exports = api;
})(typeof window !== 'undefined' ? window : globalThis);
