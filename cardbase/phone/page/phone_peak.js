// The bracketing guide on the page: what is asked of the card (the axis
// and the edge's depth), what its words, figures and marks look like, the
// words spoken, and its sound of its own: short square-wave pips, unlike
// any other sound of the page, a pattern for each kind of word. The logic
// has no browser calls, so that node runs the same code in the tests
// (tests/browser/peak_test.js); phone.js shows and plays it.
(function (root) {
  'use strict';
  const axes = ['azimuth', 'elevation', 'skew'];
  const edges = ['0.5', '1', '3'];
  const defaultEdge = '1';

  // The query of a POST /peak (with the header "X-Azimora: peak").
  function startQuery(axis, edge) {
    if (axes.indexOf(axis) < 0) throw new Error('no such axis: ' + axis);
    return 'do=start&axis=' + axis + '&edge=' + (edges.indexOf(edge) >= 0 ? edge : defaultEdge);
  }

  // The pips of each cue: [frequency Hz, start s, length s].
  const pip = 0.09, gap = 0.04;
  const cueNotes = {
    start: [880],
    turn: [660, 440],
    rise: [440, 660],
    edge: [1320, 1320],
    past: [990],
    set: [660, 880, 1100],
    done: [880, 1100, 1320, 1760],
    again: [880, 660, 440],
  };
  function cuePips(cue) {
    if (cue === 'stop') return [[330, 0, 0.4]];  // one long low note: the guide cannot go on
    return (cueNotes[cue] || []).map((frequency, i) => [frequency, i * (pip + gap), pip]);
  }

  // The words said for a peak event, in the page's language of speech.
  function peakSpeech(peak, language) {
    if (!peak || !peak.say) return null;
    const ru = language === 'ru';
    const text = ru ? peak.say.ru : peak.say.en;
    return text ? { text: text, lang: ru ? 'ru-RU' : 'en-US' } : null;
  }

  // Under the big words: the axis, the edges and the best so far.
  function figuresText(peak) {
    if (!peak || peak.step === 'idle') return '';
    let text = peak.axis + ', ' + peak.edgeDb.toFixed(peak.edgeDb < 1 ? 1 : 0) + ' dB edges';
    if (typeof peak.best === 'number') {
      const unit = peak.unit || 'dB';
      text += ': best ' + peak.best.toFixed(1) + ' ' + unit + (peak.source === 'level' ? ' (level)' : ' C/N') +
        ', edges at ' + peak.edgeAt.toFixed(1) + ' ' + unit;
    }
    return text;
  }

  // The marks on the last minute's chart: [time, label].
  function chartMarks(peak) {
    const labels = { 'edge-one': '1', 'past-peak': 'P', 'edge-two': '2', check: 'C' };
    return (peak && Array.isArray(peak.marks) ? peak.marks : []).map((m) => [m.t, labels[m.kind] || '?']);
  }

  // A new step of the guide, against the one heard before: to be said and sounded once.
  function isNews(peak, heardN) { return !!peak && typeof peak.n === 'number' && peak.n !== heardN; }

  // ---- on the page (phone.js calls these; node never does)
  // Its words in large letters, what to do meanwhile, its figures, the
  // buttons that go with its step, and why an ask was refused.
  function show(doc, peak, refusal) {
    const $ = (id) => doc.getElementById(id), running = !!peak && peak.running;
    if (peak && peak.step !== 'idle') {
      $('peakWords').textContent = peak.words;
      $('peakWords').className = 'peak-words ' + (peak.cue || '');
      $('peakHint').textContent = peak.hint;
    }
    $('peakFigures').textContent = figuresText(peak);
    $('peakCheck').hidden = !(peak && peak.canCheck);
    $('peakStop').hidden = !running;
    doc.querySelectorAll('.peak-axis').forEach((button) => {
      button.classList.toggle('on', running && button.dataset.axis === peak.axis);
    });
    $('peakNote').hidden = !refusal;
    $('peakNote').textContent = refusal;
  }
  // Asks the card; '' when it agreed, else why not.
  async function ask(query) {
    try {
      const answer = await fetch('peak?' + query, { method: 'POST', headers: { 'X-Azimora': 'peak' } });
      return answer.ok ? '' : (await answer.text()).replace(/^\d+ [^:]*: /, '').trim();
    } catch (err) {
      return 'the card did not answer';
    }
  }
  // The buttons: an axis starts the guide at the depth chosen (kept on
  // this phone), Check and Stop.
  function wire(doc, asker) {
    const edge = doc.getElementById('peakEdge');
    doc.querySelectorAll('.peak-axis').forEach((button) => button.addEventListener('click', () => {
      asker(startQuery(button.dataset.axis, edge.value));
    }));
    doc.getElementById('peakCheck').addEventListener('click', () => asker('do=check'));
    doc.getElementById('peakStop').addEventListener('click', () => asker('do=stop'));
    try {
      const kept = root.localStorage.getItem('azimoraPeakEdge');
      if (edges.indexOf(kept) >= 0) edge.value = kept;
    } catch (err) { /* storage refused: the usual depth */ }
    edge.addEventListener('change', () => {
      try { root.localStorage.setItem('azimoraPeakEdge', edge.value); } catch (err) { /* not kept */ }
    });
  }
  // The guide's own sound: square-wave pips in the pattern of its word.
  function playCue(context, cue) {
    const now = context.currentTime;
    for (const [frequency, at, length] of cuePips(cue)) {
      const o = context.createOscillator(), g = context.createGain();
      o.type = 'square';
      o.frequency.setValueAtTime(frequency, now + at);
      g.gain.setValueAtTime(0.15, now + at);
      g.gain.setValueAtTime(0, now + at + length);
      o.connect(g);
      g.connect(context.destination);
      o.start(now + at);
      o.stop(now + at + length + 0.02);
    }
  }

  const api = { axes, edges, defaultEdge, startQuery, cuePips, peakSpeech, figuresText, chartMarks, isNews, show, ask,
                wire, playCue };
  root.AzimoraPeak = api;
  if (typeof module !== 'undefined' && module.exports) module.exports = api;
})(typeof window !== 'undefined' ? window : globalThis);
