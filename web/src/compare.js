// Several tests' cycles on one chart: discharge capacity per cycle, or retention, one line per
// test with a legend. The tests are the address's ids, as the test list ticks them.
import uPlot from 'uplot';
import 'uplot/dist/uPlot.min.css';
import { channelName, getJson } from './format.js';
import { cycleAxis, latestValue } from './chart_parts.js';

const params = new URLSearchParams(location.search);
const ids = [...(params.get('ids') ?? '').split(','), ...params.getAll('id')].filter((s) => s);
const note = (t) => { document.getElementById('note').textContent = t; };

const kUnits = { discharging_capacity_ah: ['[Ah]', 3], discharge_capacity_retention_pct: ['[%]', 2] };

// The tests' cycle numbers joined on one axis; a test without a cycle of that number has a gap.
function aligned(tests, quantity) {
  const xs = [...new Set(tests.flatMap((t) => t.cycle))].sort((a, b) => a - b);
  const at = new Map(xs.map((x, i) => [x, i]));
  const lines = tests.map((t) => {
    const ys = new Array(xs.length).fill(null);
    t.cycle.forEach((c, k) => { ys[at.get(c)] = t[quantity][k]; });
    return ys;
  });
  return [xs, ...lines];
}

const testName = (t) => `${t.station} ${channelName(t.device, t.channel)}${t.cell_id ? ` ${t.cell_id}` : ''}`;
// Hues apart by the golden angle: neighbours in the legend never look alike.
const colour = (i) => `hsl(${Math.round((i * 137.508) % 360)} 75% 38%)`;

let plot = null;

function draw(tests, quantity) {
  const box = document.getElementById('chart');
  plot?.destroy();
  const [unit, digits] = kUnits[quantity];
  const width = Math.max(280, box.clientWidth);
  const opts = {
    width,
    height: Math.min(520, Math.max(240, Math.round(width * 0.5))),
    scales: { x: { time: false } },
    series: [
      { label: '循环 (cycle)', value: latestValue(String) },
      ...tests.map((t, i) => ({ label: testName(t), stroke: colour(i), width: 1.25, spanGaps: true,
        value: latestValue((v) => v.toFixed(digits)) })),
    ],
    axes: [cycleAxis, { label: unit }],
    hooks: { draw: [(u) => { box.dataset.lines = String(u.series.length - 1); }] },
  };
  plot = new uPlot(opts, aligned(tests, quantity), box);
  document.body.dataset.chart = 'drawn';
}

async function load() {
  if (ids.length === 0) {
    note('没有选择测试: 在测试列表中勾选 (no test chosen: tick them in the test list)');
    return;
  }
  const { tests } = await getJson(`/api/compare?ids=${ids.map(encodeURIComponent).join(',')}`);
  if (tests.length < ids.length) note(`${ids.length - tests.length} 个测试不存在 (tests not found)`);
  const quantity = () => document.querySelector('input[name="quantity"]:checked').value;
  document.getElementById('quantity').addEventListener('change', () => draw(tests, quantity()));
  draw(tests, quantity());
}

load().catch((e) => note(`读取失败 (${e.message})`));
