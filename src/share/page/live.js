'use strict';
// The live timing page: one WebSocket to the timing laptop, a full snapshot
// (JSON) in each message; the race clock ticks here between snapshots.
(function () {
  const token = new URLSearchParams(location.search).get('t') || '';
  const byId = (id) => document.getElementById(id);
  // No message for this long (the laptop sends a heartbeat every 5 s) means
  // the link is gone even if the socket has not noticed yet.
  const silenceMs = 12000;
  const stateWords = { setup: 'Setup', armed: 'Armed', running: 'Running', finished: 'Finished' };
  let socket = null;
  let watchdog = 0;
  let retryMs = 500;
  let clock = null; // {seconds, running, at: performance.now() when received}
  // Each rendered snapshot: [sequence, Date.now() once drawn]; read by tests.
  window.liveTimingLog = [];

  function text(id, value) {
    byId(id).textContent = value === null || value === undefined ? '—' : String(value);
  }

  function showLink(connected, message) {
    const banner = byId('link');
    banner.hidden = connected;
    if (!connected)
      banner.textContent = message;
    document.body.dataset.link = connected ? 'up' : 'down';
  }

  function clockText(seconds) {
    const tenths = Math.floor(seconds * 10 + 1e-6);
    const h = Math.floor(tenths / 36000);
    const m = Math.floor(tenths / 600) % 60;
    const s = Math.floor(tenths / 10) % 60;
    const pad = (n) => String(n).padStart(2, '0');
    const rest = pad(s) + '.' + (tenths % 10);
    return h > 0 ? h + ':' + pad(m) + ':' + rest : m + ':' + rest;
  }

  function tick() {
    if (!clock) {
      text('clock', null);
      return;
    }
    const elapsed = clock.running ? (performance.now() - clock.at) / 1000 : 0;
    text('clock', clockText(clock.seconds + elapsed));
  }

  function deltaText(seconds) {
    const magnitude = Math.abs(seconds).toFixed(3);
    if (magnitude === '0.000')
      return '0.000';
    return (seconds < 0 ? '\u2212' : '+') + magnitude;
  }

  function flagClass(flag) {
    const f = (flag || '').toLowerCase();
    for (const colour of ['green', 'yellow', 'red', 'blue', 'white', 'black'])
      if (f.includes(colour))
        return colour;
    return '';
  }

  function timeCell(cell) {
    const td = document.createElement('td');
    td.textContent = cell.text === null ? '' : cell.text;
    const notes = [];
    if (cell.best) {
      td.classList.add('best');
      notes.push('best');
    }
    if (cell.improved) {
      td.classList.add('improved');
      notes.push('improved');
    }
    if (notes.length) {
      td.title = notes.join(', ');
      td.setAttribute('aria-label', td.textContent + ', ' + notes.join(', '));
    }
    return td;
  }

  function renderLaps(view) {
    const head = byId('laps-head');
    const columns = ['Lap'];
    for (let s = 1; s <= view.segmentsPerLap && view.segmentsPerLap > 1; ++s)
      columns.push('S' + s);
    columns.push('Time', 'Conditions');
    head.replaceChildren(...columns.map((c) => {
      const th = document.createElement('th');
      th.textContent = c;
      th.scope = 'col';
      return th;
    }));
    const rows = view.laps.slice().reverse().map((lap) => {
      const tr = document.createElement('tr');
      tr.dataset.lap = lap.lap;
      const number = document.createElement('td');
      number.textContent = lap.lap;
      tr.append(number);
      if (view.segmentsPerLap > 1)
        lap.segments.forEach((cell) => tr.append(timeCell(cell)));
      tr.append(timeCell(lap.time));
      const cond = document.createElement('td');
      cond.className = 'cond';
      const parts = [lap.flag, lap.position === null ? null : 'P' + lap.position, lap.traffic];
      parts.filter((p) => p !== null).forEach((p, i) => {
        if (i)
          cond.append(' · ');
        const b = document.createElement('b');
        b.textContent = p;
        cond.append(b);
      });
      tr.append(cond);
      return tr;
    });
    byId('laps-body').replaceChildren(...rows);
  }

  function render(view) {
    text('title', view.title || 'Live Timing');
    text('state', stateWords[view.state] || view.state);
    document.body.dataset.state = view.state;
    clock = view.clock ? { seconds: view.clock.seconds, running: view.clock.running, at: performance.now() } : null;
    tick();
    const flag = byId('flag');
    flag.className = 'flag ' + flagClass(view.flag);
    text('flag-text', view.flag);
    text('lap', view.lap);
    text('last-lap', view.lastLap);
    text('best-lap', view.bestLap ? view.bestLap.text : null);
    byId('best-lap-number').textContent = view.bestLap && view.bestLap.lap !== null ? '(lap ' + view.bestLap.lap + ')' : '';
    const delta = byId('delta');
    delta.className = 'value';
    if (view.deltaToBest === null) {
      text('delta', null);
    } else {
      text('delta', deltaText(view.deltaToBest));
      if (view.deltaToBest < 0)
        delta.classList.add('ahead');
      else if (view.deltaToBest > 0)
        delta.classList.add('behind');
    }
    text('predicted', view.predictedLap);
    text('position', view.position);
    text('traffic', view.traffic);
    renderLaps(view);
    document.body.dataset.sequence = view.sequence;
    requestAnimationFrame(() => window.liveTimingLog.push([view.sequence, Date.now()]));
  }

  function armWatchdog() {
    clearTimeout(watchdog);
    watchdog = setTimeout(() => {
      if (socket)
        socket.close();
    }, silenceMs);
  }

  function connect() {
    const scheme = location.protocol === 'https:' ? 'wss://' : 'ws://';
    const ws = new WebSocket(scheme + location.host + '/live?t=' + encodeURIComponent(token));
    socket = ws;
    ws.onopen = () => {
      retryMs = 500;
      showLink(true);
      armWatchdog();
    };
    ws.onmessage = (event) => {
      armWatchdog();
      let view;
      try {
        view = JSON.parse(event.data);
      } catch (e) {
        return;
      }
      if (!view.heartbeat)
        render(view);
    };
    ws.onclose = () => {
      if (socket !== ws)
        return;
      socket = null;
      clearTimeout(watchdog);
      showLink(false, 'Link to the timing laptop lost. Reconnecting…');
      setTimeout(connect, retryMs);
      retryMs = Math.min(retryMs * 2, 5000);
    };
  }

  showLink(false, 'Connecting to the timing laptop…');
  setInterval(tick, 100);
  connect();
}());
