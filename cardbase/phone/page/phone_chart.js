// The chart of the last 60 seconds: C/N (dB, left scale) and quality (%,
// right scale) against the server's clock, the peak C/N since the reset as a
// dashed line, under the C/N what the locked modulation and code rate
// need, so that the margin is the gap, and the bracketing guide's marks (its
// edges, the peak passed, the check) with, while it brackets by the C/N,
// the level of its edges.
(function (root) {
  'use strict';
  const spanMs = 60000;
  const cnTop = 20;
  const colours = { cn: '#4fc3f7', quality: '#ffd54f', peak: '#f48fb1', need: '#ce93d8', grid: '#23384a', text: '#8a97a3', nolock: 'rgba(255,92,92,0.18)', mark: '#ffffff' };

  // `needOf(reading)`: the C/N its modulation and code rate need, or null;
  // `guide`: {marks: [[time, label], ...], edgeCn: the C/N of its edges or null}.
  function drawChart(canvas, readings, nowMs, peakCn, needOf, guide) {
    const ratio = root.devicePixelRatio || 1;
    const width = Math.round(canvas.clientWidth * ratio), height = Math.round(canvas.clientHeight * ratio);
    if (!width || !height) return;
    if (canvas.width !== width || canvas.height !== height) { canvas.width = width; canvas.height = height; }
    const g = canvas.getContext('2d');
    g.clearRect(0, 0, width, height);
    const left = 26 * ratio, right = width - 30 * ratio, top = 6 * ratio, bottom = height - 16 * ratio;
    const x = (t) => left + (right - left) * (1 - (nowMs - t) / spanMs);
    const yCn = (cn) => bottom - (bottom - top) * Math.max(0, Math.min(cnTop, cn)) / cnTop;
    const yQuality = (q) => bottom - (bottom - top) * Math.max(0, Math.min(100, q)) / 100;

    g.font = (10 * ratio) + 'px system-ui, sans-serif';
    g.lineWidth = ratio;
    g.strokeStyle = colours.grid;
    g.fillStyle = colours.text;
    for (let cn = 0; cn <= cnTop; cn += 5) {
      g.beginPath(); g.moveTo(left, yCn(cn)); g.lineTo(right, yCn(cn)); g.stroke();
      g.fillText(String(cn), 4 * ratio, yCn(cn) + 4 * ratio);
      g.fillText(String(cn * 5), right + 4 * ratio, yCn(cn) + 4 * ratio);
    }
    for (let s = 0; s <= 60; s += 15) g.fillText('-' + s + ' s', x(nowMs - s * 1000) - 12 * ratio, height - 3 * ratio);

    const shown = readings.filter((r) => r.t >= nowMs - spanMs);
    g.fillStyle = colours.nolock;
    for (let i = 0; i < shown.length; ++i) {
      if (shown[i].lock) continue;
      const next = i + 1 < shown.length ? shown[i + 1].t : nowMs;
      g.fillRect(x(shown[i].t), top, Math.max(ratio, x(next) - x(shown[i].t)), bottom - top);
    }
    const line = (colour, y) => {
      g.strokeStyle = colour; g.lineWidth = 2 * ratio; g.beginPath();
      let drawing = false;
      for (const r of shown) {
        if (!r.lock || y(r) === null) { drawing = false; continue; }
        if (drawing) g.lineTo(x(r.t), y(r)); else g.moveTo(x(r.t), y(r));
        drawing = true;
      }
      g.stroke();
    };
    line(colours.quality, (r) => yQuality(r.quality));
    if (needOf) {
      g.setLineDash([4 * ratio, 3 * ratio]);
      line(colours.need, (r) => { const need = needOf(r); return typeof need === 'number' ? yCn(need) : null; });
      g.setLineDash([]);
    }
    line(colours.cn, (r) => yCn(r.cn));
    if (peakCn !== null) {
      g.strokeStyle = colours.peak; g.lineWidth = 1.5 * ratio; g.setLineDash([6 * ratio, 4 * ratio]);
      g.beginPath(); g.moveTo(left, yCn(peakCn)); g.lineTo(right, yCn(peakCn)); g.stroke();
      g.setLineDash([]);
    }
    if (!guide) return;
    g.strokeStyle = colours.mark; g.fillStyle = colours.mark; g.lineWidth = ratio;
    g.setLineDash([2 * ratio, 3 * ratio]);
    if (typeof guide.edgeCn === 'number') {
      g.beginPath(); g.moveTo(left, yCn(guide.edgeCn)); g.lineTo(right, yCn(guide.edgeCn)); g.stroke();
    }
    for (const [t, label] of guide.marks) {
      if (t < nowMs - spanMs || t > nowMs) continue;
      g.beginPath(); g.moveTo(x(t), top); g.lineTo(x(t), bottom); g.stroke();
      g.fillText(label, x(t) + 2 * ratio, top + 10 * ratio);
    }
    g.setLineDash([]);
  }

  root.AzimoraChart = { drawChart, spanMs };
})(window);
