// One test: its facts, its curves drawn with uPlot from the server's decimated points, its
// step results and its BDF download.
import uPlot from 'uplot';
import 'uplot/dist/uPlot.min.css';
import { amountText, channelName, clockText, el, getJson, kDatabaseUnreachable, localTime } from './format.js';

const id = decodeURIComponent(location.pathname.split('/')[2] ?? '');
const base = `/api/tests/${encodeURIComponent(id)}`;
const text = (elementId, value) => { document.getElementById(elementId).textContent = value; };

function showFacts(t) {
  document.title = `${t.station} ${channelName(t.device, t.channel)} · Cellward`;
  text('title', `测试 ${channelName(t.device, t.channel)} · ${t.station}`);
  text('station', t.station);
  text('channel', channelName(t.device, t.channel));
  text('model', t.model);
  text('started', localTime(t.started_at));
  text('ended', t.ended_at ? `${localTime(t.ended_at)} ${t.end_reason ?? ''}` : '运行中 (running)');
  text('program', t.program);
  document.getElementById('bdf').href = `/tests/${encodeURIComponent(id)}/bdf`;
}

function showSteps(steps) {
  const body = document.querySelector('#steps tbody');
  body.replaceChildren();
  for (const s of steps) {
    const tr = el('tr');
    tr.append(el('td', '', String(s.cycle)), el('td', '', String(s.step)), el('td', '', s.mode),
      el('td', '', amountText(s.capacity)), el('td', '', amountText(s.energy)), el('td', '', clockText(s.seconds)));
    body.append(tr);
  }
}

let plot = null;

function drawChart(c) {
  const box = document.getElementById('chart');
  const width = Math.max(280, box.clientWidth);
  const opts = {
    width,
    height: Math.min(420, Math.max(240, Math.round(width * 0.5))),
    scales: { x: { time: false }, V: {}, A: {} },
    series: [
      { label: '时间 (test time)', value: (u, v) => (v == null ? '' : clockText(v)) },
      { label: '电压 V', scale: 'V', stroke: '#0000ff', width: 1.5, value: (u, v) => (v == null ? '' : v.toFixed(3)) },
      { label: '电流 A', scale: 'A', stroke: '#ff0000', width: 1.5, value: (u, v) => (v == null ? '' : v.toFixed(3)) },
    ],
    axes: [
      { values: (u, ticks) => ticks.map(clockText), space: 90 },
      { scale: 'V', label: '[V]' },
      { scale: 'A', label: '[A]', side: 1, grid: { show: false } },
    ],
    hooks: { draw: [() => { document.body.dataset.chart = 'drawn'; }] },
  };
  plot = new uPlot(opts, [c.t, c.v, c.i], box);
  noteCurve(c);
}

function noteCurve(c) {
  text('chart-note', c.total > c.t.length
    ? `${c.total} 个采样点, 显示 ${c.t.length} 个 (every ${c.step}th sample and the last)`
    : `${c.total} 个采样点 (samples)`);
}

const kRunningRefreshMs = 10000;

// The facts and the curve are asked for at once: the page waits for the slower, not the sum.
async function fetchBoth() {
  const width = Math.max(280, document.getElementById('chart').clientWidth);
  return Promise.allSettled([getJson(base), getJson(`${base}/curve?width=${width}`)]);
}

// A running test's page follows it: facts, steps and curve again every ten seconds.
async function follow() {
  const [test, curve] = await fetchBoth();
  if (test.status === 'fulfilled') {
    showFacts(test.value);
    showSteps(test.value.steps);
  }
  if (curve.status === 'fulfilled') {
    plot.setData([curve.value.t, curve.value.v, curve.value.i]);
    noteCurve(curve.value);
  }
  if (test.status !== 'fulfilled' || !test.value.ended_at) setTimeout(follow, kRunningRefreshMs);
}

async function load() {
  const [test, curve] = await fetchBoth();
  if (test.status !== 'fulfilled') {
    if (test.reason.message === kDatabaseUnreachable) text('missing', kDatabaseUnreachable);
    document.getElementById('missing').hidden = false;
    document.getElementById('facts').hidden = true;
    return;
  }
  showFacts(test.value);
  showSteps(test.value.steps);
  if (curve.status !== 'fulfilled') {
    text('chart-note', `曲线读取失败 (${curve.reason.message})`);
    return;
  }
  drawChart(curve.value);
  if (!test.value.ended_at) setTimeout(follow, kRunningRefreshMs);
}

load();
