// A single-cable installation on the page: the device the card measures
// through ("single cable: EN 50494, user band 1 at 1210 MHz") under the
// transponder, and the card's word that another receiver uses the same user
// band, which makes the level follow that receiver's transponder rather
// than the dish. The server's messages carry both ("singleCable",
// "userBand", null for none). The logic has no browser calls, so that node
// runs the same code (tests/browser/cable_test.js); show() alone touches
// the page.
(function (root) {
  'use strict';

  // The lines to show from what the latest message said.
  function cableLines(state) {
    const words = (value) => (typeof value === 'string' ? value : '');
    return {
      device: words(state.singleCable) ? 'single cable: ' + state.singleCable : '',
      shared: words(state.userBand),
    };
  }

  // Takes the message's words into `state`; a message without them leaves it be.
  function take(state, data) {
    if (data.singleCable !== undefined) state.singleCable = data.singleCable;
    if (data.userBand !== undefined) state.userBand = data.userBand;
  }

  function show(elements, state) {
    const lines = cableLines(state);
    elements.device.textContent = lines.device;
    elements.device.hidden = !lines.device;
    elements.shared.textContent = lines.shared;
    elements.shared.hidden = !lines.shared;
  }

  const api = { cableLines, take, show };
  root.AzimoraCable = api;
  if (typeof module !== 'undefined' && module.exports) module.exports = api;
})(typeof window !== 'undefined' ? window : globalThis);
