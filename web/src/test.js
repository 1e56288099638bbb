// One test: its facts, its curves drawn with uPlot from the server's decimated points, its
// step results, its cycles and its downloads.
import uPlot from 'uplot';
import 'uplot/dist/uPlot.min.css';
import { showCycles } from './cycles.js';
import { amountText, channelName, clockText, fillRows, getJson, kCurrentSign, kDatabaseUnreachable, localTime }
  from './format.js';
import { latestValue } from './chart_parts.js';

const id = decodeURIComponent(location.pathname.split('/')[2] ?? '');
const base = `/api/tests/${encodeURIComponent(id)}`;
const text = (elementId, value) => { document.getElementById(elementId).textContent = value; };

function showFacts(t) {
  document.title = `${t.station} ${channelName(t.device, t.channel)} · Cellward`;
  text('title', `测试 (test) ${channelName(t.device, t.channel)} · ${t.station}`);
  text('station', t.station);
  text('channel', channelName(t.device, t.channel));
  text('model', t.model);
  text('cell', t.cell_id ?? '无 (none)');
  text('nominal', t.nominal_capacity_ah == null ? '无 (none)' : `${t.nominal_capacity_ah} Ah`);
  text('started', localTime(t.started_at));
  text('ended', t.ended_at ? `${localTime(t.ended_at)} ${t.end_reason ?? ''}` : '运行中 (running)');
  text('program', t.program);
  document.getElementById('bdf').href = `/tests/${encodeURIComponent(id)}/bdf`;
  document.getElementById('cycles-csv').href = `/tests/${encodeURIComponent(id)}/cycles.csv`;
}

function showSteps(steps) {
  fillRows(document.querySelector('#steps tbody'), steps.map((s) => [String(s.cycle), String(s.step), s.mode,
    amountText(s.capacity), amountText(s.energy), clockText(s.seconds)]), '还没有工步结果 (no step result yet)', 6);
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
      { label: '时间 (test time)', value: latestValue(clockText) },
      { label: '电压 V (voltage)', scale: 'V', stroke: '#0000ff', width: 1.5, value: latestValue((v) => v.toFixed(3)) },
      { label: `电流 A, ${kCurrentSign}`, scale: 'A', stroke: '#ff0000', width: 1.5,
        value: latestValue((v) => v.toFixed(3)) },
    ],
    axes: [
      { values: (u, ticks) => ticks.map(clockText), space: 90 },
      { scale: 'V', label: '[V]' },
      { scale: 'A', label: '[A] 充+ 放− (charge +, discharge −)', side: 1, grid: { show: false } },
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

// The facts, the curve and the cycles are asked for at once: the page waits for the slowest, not
// the sum.
async function fetchAll() {
  const width = Math.max(280, document.getElementById('chart').clientWidth);
  return Promise.allSettled([getJson(base), getJson(`${base}/curve?width=${width}`), getJson(`${base}/cycles`)]);
}

// A running test's page follows it: facts, steps, curve and cycles again every ten seconds.
async function follow() {
  const [test, curve, cycles] = await fetchAll();
  if (cycles.status === 'fulfilled') showCycles(cycles.value);
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
  text('bdf-sign', `电流 (current): ${kCurrentSign}`);
  text('sign-note', `电流 (current): ${kCurrentSign}`);
  const [test, curve, cycles] = await fetchAll();
  if (test.status !== 'fulfilled') {
    if (test.reason.message === kDatabaseUnreachable) text('missing', kDatabaseUnreachable);
    document.getElementById('missing').hidden = false;
    document.getElementById('facts').hidden = true;
    return;
  }
  showFacts(test.value);
  showSteps(test.value.steps);
  if (cycles.status === 'fulfilled') showCycles(cycles.value);
  if (curve.status !== 'fulfilled') {
    text('chart-note', `曲线读取失败 (${curve.reason.message})`);
    return;
  }
  drawChart(curve.value);
  if (!test.value.ended_at) setTimeout(follow, kRunningRefreshMs);
}

load();
