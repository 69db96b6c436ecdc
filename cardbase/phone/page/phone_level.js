// The level's words on the page: its figure with the driver's own limits
// ("-30.0 dBm or more", a stretch the driver reads as one value as "-60 to
// -70 dBm"), the C/N's bound ("≥14.1", "≤1.5") and the note under the bar
// that says what kind of level it is. No browser calls here, so that node
// runs the same code in the tests (tests/browser/sound_test.js).
(function (root) {
  'use strict';
  // "-52.1 dBm", "-60 to -70 dBm", "-30.0 dBm or more", "-45.0 dB gain".
  function levelText(level) {
    if (!level || typeof level.value !== 'number' || !Number.isFinite(level.value)) return '';
    const unit = level.unit || 'dBm';
    if (typeof level.to === 'number' && Number.isFinite(level.to)) {
      const high = Math.max(level.value, level.to), low = Math.min(level.value, level.to);
      return Math.round(high) + ' to ' + Math.round(low) + ' ' + unit;
    }
    const bound = level.bound === 'or less' || level.bound === 'or more' ? ' ' + level.bound : '';
    return level.value.toFixed(1) + ' ' + unit + bound;
  }
  // The figure beside the bar: how far over the floor, and the level itself.
  function figureText(level, above) {
    if (above === null || above === undefined || !levelText(level)) return '--';
    return '+' + above.toFixed(1) + (level.unit === '%' ? ' points' : ' dB') + ' over the floor (' + levelText(level) +
      ')';
  }
  // What kind of level it is, where that matters; '' where nothing needs saying.
  function noteWords(level) {
    if (!level) return '';
    if (level.state === 'refreshed')
      return 'the tuner measures it every ' + (level.refreshMs / 1000).toFixed(1) + ' s: ' +
        (level.ageMs / 1000).toFixed(1) + ' s old';
    if (level.state === 'none-before-lock') return 'this tuner gives no level before the lock';
    if (level.state === 'frozen') return 'the driver repeats one value whatever is tuned: no level';
    if (level.unit === 'dB gain') return 'the tuner gives its own gain, not the power it receives';
    if (typeof level.to === 'number') return 'the driver reads this whole stretch as one value';
    return '';
  }
  // The C/N as shown: "≥14.1" at a driver's ceiling, "≤1.5" at its floor.
  function cnText(reading) {
    if (!reading || !reading.lock) return '--.-';
    return (reading.cnOrMore ? '\u2265' : reading.cnOrLess ? '\u2264' : '') + reading.cn.toFixed(1);
  }

  const api = { levelText, figureText, noteWords, cnText };
  root.AzimoraLevel = api;
  if (typeof module !== 'undefined' && module.exports) module.exports = api;
})(typeof window !== 'undefined' ? window : globalThis);
