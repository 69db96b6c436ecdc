// The band sweep's chart: the level at each step against the frequency,
// the band's floor dashed, and each peak marked, those that locked named
// by their network. No page state here; phone.js draws with it.
(function (root) {
  'use strict';
  const colours = { level: '#4fc3f7', floor: '#8a97a3', peak: '#ffd54f', locked: '#3ddc84', grid: '#23384a',
                    text: '#b8c6d2' };

  function drawSweep(canvas, sweep) {
    const ratio = root.devicePixelRatio || 1;
    const width = Math.round(canvas.clientWidth * ratio), height = Math.round(canvas.clientHeight * ratio);
    if (!width || !height) return;
    if (canvas.width !== width || canvas.height !== height) { canvas.width = width; canvas.height = height; }
    const g = canvas.getContext('2d');
    g.clearRect(0, 0, width, height);
    const points = (sweep && Array.isArray(sweep.points) ? sweep.points : []).filter((p) => typeof p[1] === 'number');
    if (!points.length) return;
    const left = 34 * ratio, right = width - 6 * ratio, top = 16 * ratio, bottom = height - 16 * ratio;
    const first = points[0][0], last = Math.max(points[points.length - 1][0], first + 1);
    let low = Math.min(...points.map((p) => p[1])), high = Math.max(...points.map((p) => p[1]));
    low = Math.floor(low - 1);
    high = Math.max(low + 10, Math.ceil(high + 2));
    const x = (f) => left + (right - left) * (f - first) / (last - first);
    const y = (level) => bottom - (bottom - top) * (level - low) / (high - low);
    g.font = (10 * ratio) + 'px system-ui, sans-serif';
    g.lineWidth = ratio;
    g.strokeStyle = colours.grid;
    g.fillStyle = colours.text;
    for (let level = Math.ceil(low / 5) * 5; level <= high; level += 5) {
      g.beginPath(); g.moveTo(left, y(level)); g.lineTo(right, y(level)); g.stroke();
      g.fillText(String(level), 2 * ratio, y(level) + 4 * ratio);
    }
    g.fillText(String(first), left, height - 3 * ratio);
    g.fillText(String(last) + ' MHz', right - 52 * ratio, height - 3 * ratio);
    if (typeof sweep.floor === 'number') {
      g.strokeStyle = colours.floor; g.setLineDash([4 * ratio, 3 * ratio]);
      g.beginPath(); g.moveTo(left, y(sweep.floor)); g.lineTo(right, y(sweep.floor)); g.stroke();
      g.setLineDash([]);
    }
    g.strokeStyle = colours.level; g.lineWidth = 1.5 * ratio; g.beginPath();
    points.forEach((p, i) => (i ? g.lineTo(x(p[0]), y(p[1])) : g.moveTo(x(p[0]), y(p[1]))));
    g.stroke();
    for (const peak of Array.isArray(sweep.peaks) ? sweep.peaks : []) {
      g.fillStyle = peak.locked ? colours.locked : colours.peak;
      const px = x(peak.f), py = y(peak.level);
      g.beginPath(); g.moveTo(px, py - 2 * ratio); g.lineTo(px - 4 * ratio, py - 9 * ratio);
      g.lineTo(px + 4 * ratio, py - 9 * ratio); g.closePath(); g.fill();
      const name = peak.locked && peak.network ? peak.network.slice(0, 12) : String(peak.f);
      g.fillText(name, Math.min(px - 10 * ratio, right - 60 * ratio), Math.max(top - 4 * ratio, py - 11 * ratio));
    }
  }

  // One line for a peak: "11362 MHz: locked 27500 kS/s, S2-8PSK-3/4, Astra, 19.2° E".
  function peakText(peak, unit) {
    let text = peak.f + ' MHz, ' + (unit === '%' ? peak.level.toFixed(0) + ' %' : peak.level.toFixed(1) + ' ' + unit) +
      ' (+' + peak.above.toFixed(1) + '), ' + peak.width.toFixed(0) + ' MHz wide';
    if (!peak.tried) return text;
    if (!peak.locked) return text + ': no lock';
    text += ': locked ' + peak.symbolRate + ' kS/s';
    if (peak.modcod) text += ', ' + peak.modcod;
    if (peak.network) text += ', ' + peak.network;
    if (peak.position) text += ', ' + peak.position;
    return text;
  }

  const api = { drawSweep, peakText };
  root.AzimoraSweepChart = api;
  if (typeof module !== 'undefined' && module.exports) module.exports = api;
})(typeof window !== 'undefined' ? window : globalThis);
