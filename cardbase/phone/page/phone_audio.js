// The phone page's sound as the browser plays it (Web Audio and speech
// synthesis): the tone or the peak's pitch, the peak's chirps, the search's
// pulsing note before the lock, the lock's chime, the guide's cues and the
// spoken words, by the rules of phone_sound.js, phone_margin.js and
// phone_peak.js. phone.js makes one player over its own state and calls it
// for each reading and four times a second.
(function () {
  'use strict';
  const Sound = window.AzimoraSound, Margin = window.AzimoraMargin, Peak = window.AzimoraPeak;

  // page: the page's state, choice(name) of its settings, fresh() and marginNow().
  function newPlayer(page) {
    const state = page.state, choice = page.choice, fresh = page.fresh, marginNow = page.marginNow;
    const tracker = Sound.newPeakTracker();
    const audio = { context: null, oscillator: null, gain: null, on: false, mode: 'tone', frequency: 0, level: 0,
                    peakHeard: null, peakCues: [],
                    chirps: 0, lastBelowDb: null, spoken: [], lastSpokenMs: -Infinity, positionSaid: '',
                    // Before the lock, a pulsing note of its own; the lock's chime between the two.
                    searchOscillator: null, searchGain: null, kind: 'silent', searchFrequency: 0, searchOn: false,
                    chimes: 0, wasLocked: false };
    const searchPulseHz = 6;
    function start() {
      const Context = window.AudioContext || window.webkitAudioContext;
      if (!audio.context && Context) {
        audio.context = new Context();
        audio.oscillator = audio.context.createOscillator();
        audio.gain = audio.context.createGain();
        audio.gain.gain.value = 0;
        // One call each: older Safari's connect returns nothing to chain.
        audio.oscillator.connect(audio.gain);
        audio.gain.connect(audio.context.destination);
        audio.oscillator.start();
        // The search note, chopped six times a second by a square wave on its gain.
        const c = audio.context;
        audio.searchOscillator = c.createOscillator();
        audio.searchOscillator.type = 'triangle';
        const pulse = c.createGain(), pulseDepth = c.createGain(), chopper = c.createOscillator();
        pulse.gain.value = 0.5;
        pulseDepth.gain.value = 0.5;
        chopper.type = 'square';
        chopper.frequency.value = searchPulseHz;
        chopper.connect(pulseDepth);
        pulseDepth.connect(pulse.gain);
        audio.searchGain = c.createGain();
        audio.searchGain.gain.value = 0;
        audio.searchOscillator.connect(pulse);
        pulse.connect(audio.searchGain);
        audio.searchGain.connect(c.destination);
        chopper.start();
        audio.searchOscillator.start();
      }
      if (audio.context) audio.context.resume();
      audio.on = true;
      audio.lastSpokenMs = -Infinity;
      audio.positionSaid = '';
      update();
    }
    function stop() {
      audio.on = false;
      if (window.speechSynthesis) window.speechSynthesis.cancel();
      update();
    }
    function setTone(frequency, level) {
      audio.frequency = frequency;
      audio.level = level;
      if (!audio.context) return;
      const now = audio.context.currentTime;
      audio.oscillator.frequency.setTargetAtTime(frequency, now, 0.03);
      audio.gain.gain.setTargetAtTime(level, now, 0.02);
    }
    function setSearch(frequency, on) {
      audio.searchFrequency = frequency;
      audio.searchOn = on;
      if (!audio.context) return;
      const now = audio.context.currentTime;
      audio.searchOscillator.frequency.setTargetAtTime(frequency, now, 0.03);
      audio.searchGain.gain.setTargetAtTime(on ? 0.25 : 0, now, 0.02);
    }
    // The lock: two notes up, then the mode's own sound.
    function chime() {
      audio.chimes++;
      if (!audio.context) return;
      const c = audio.context, now = c.currentTime;
      [[660, 0], [990, 0.12]].forEach(([frequency, at]) => {
        const o = c.createOscillator(), g = c.createGain();
        o.frequency.setValueAtTime(frequency, now + at);
        g.gain.setValueAtTime(0.3, now + at);
        g.gain.exponentialRampToValueAtTime(0.001, now + at + 0.2);
        o.connect(g);
        g.connect(c.destination);
        o.start(now + at);
        o.stop(now + at + 0.22);
      });
    }
    function chirp() {
      audio.chirps++;
      if (!audio.context) return;
      const c = audio.context, now = c.currentTime, o = c.createOscillator(), g = c.createGain();
      o.frequency.setValueAtTime(900, now);
      o.frequency.exponentialRampToValueAtTime(1800, now + 0.12);
      g.gain.setValueAtTime(0.3, now);
      g.gain.exponentialRampToValueAtTime(0.001, now + 0.15);
      o.connect(g);
      g.connect(c.destination);
      o.start(now);
      o.stop(now + 0.16);
    }
    // A new word of the guide: sounded and said at once, before any reading's speech.
    function peakNews(peak) {
      const news = Peak.isNews(peak, audio.peakHeard);
      audio.peakHeard = peak.n;
      if (!news || !audio.on || !peak.running && peak.step === 'idle') return;
      audio.peakCues.push(peak.cue);
      if (audio.peakCues.length > 50) audio.peakCues.shift();
      if (audio.context && peak.cue) Peak.playCue(audio.context, peak.cue);
      const words = Peak.peakSpeech(peak, choice('language'));
      if (!words) return;
      if (window.speechSynthesis) window.speechSynthesis.cancel();
      say(words);
    }
    function speak(r) {
      const spoken = choice('spoken');
      say(spoken === 'margin' && r.lock ? Margin.speechFor(choice('language'), marginNow())
                                         : Sound.speechFor(spoken, choice('language'), r.lock, r.quality, r.cn));
    }
    // The network's position, once when it becomes known or changes.
    function sayPosition() {
      const key = Sound.positionKey(fresh() ? state.network : null);
      if (!key || key === audio.positionSaid) return;
      audio.positionSaid = key;
      const words = Sound.positionSpeech(state.network, choice('language'));
      if (words) say(words);
    }
    function say(words) {
      const synth = window.speechSynthesis;
      if (!synth || !window.SpeechSynthesisUtterance) return;
      const utterance = new SpeechSynthesisUtterance(words.text);
      utterance.lang = words.lang;
      utterance.rate = Sound.paces[choice('pace')].rate;
      const voice = synth.getVoices().find((v) => v.lang && v.lang.replace('_', '-').startsWith(words.lang.slice(0, 2)));
      if (voice) utterance.voice = voice;
      synth.speak(utterance);
      audio.lastSpokenMs = Date.now();
      audio.spoken.push({ text: words.text, lang: words.lang, rate: utterance.rate });
      if (audio.spoken.length > 50) audio.spoken.shift();
    }
    // Called for each reading and four times a second, so that the sound
    // stops when the readings do.
    // Before the lock every mode plays the search sound (or, where the card
    // gives no level, a short low beep each second that says the sound
    // still works, and in speech "no signal"); the lock chimes and brings
    // in the mode's own sound; a lost lock brings the search back.
    function update(reading) {
      audio.mode = choice('mode');
      const r = state.latest;
      let frequency = Sound.floorHz, level = 0, searchOn = false;
      if (r && reading) {
        const peak = Sound.trackPeak(tracker, r.lock, r.cn, Date.now());
        audio.lastBelowDb = peak.below;
        if (audio.on && audio.mode === 'peak' && peak.chirp) chirp();
      }
      const search = r && state.search ? state.search : { kind: 'beep', pitch: Sound.floorHz };
      audio.kind = 'silent';
      if (audio.on && r && fresh()) {
        sayPosition();
        if (r.lock && !audio.wasLocked) chime();
        audio.wasLocked = r.lock;
        audio.kind = r.lock ? audio.mode : search.kind;
        if (!r.lock && search.kind === 'search') {
          searchOn = true;
          setSearch(search.pitch, true);
        } else if (audio.mode === 'tone') {
          frequency = Sound.tonePitch(r.lock, r.cn);
          level = r.lock ? 0.25 : (Date.now() % 1000 < 150 ? 0.2 : 0);
        } else if (audio.mode === 'peak') {
          frequency = Sound.peakPitch(r.lock ? audio.lastBelowDb : NaN);
          level = r.lock ? 0.25 : (Date.now() % 1000 < 150 ? 0.2 : 0);
        } else if (audio.mode === 'speech') {
          const synth = window.speechSynthesis;
          if (Sound.speechDue(choice('pace'), Date.now(), audio.lastSpokenMs, synth && synth.speaking)) speak(r);
        }
      } else if (!fresh()) {
        audio.wasLocked = false;
      }
      if (!searchOn) setSearch(audio.searchFrequency || Sound.floorHz, false);
      setTone(frequency, level);
    }
    return {
      audio, start, stop, update,
      onReading: (r) => update(r),
      resetPeak: () => Sound.resetPeakTracker(tracker),
      best: () => tracker.best,
      peakNews,
    };
  }

  window.AzimoraAudio = { newPlayer };
})();
