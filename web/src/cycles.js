// A test's cycles: the table as the station exports it, and capacity per cycle (discharge and
// charge on the left axis, coulombic efficiency on the right), one point per cycle.
import uPlot from 'uplot';
import { fillRows, fixedText } from './format.js';
import { cycleAxis, latestValue } from './chart_parts.js';

// The columns of the cycle table and their decimals (null: an integer as it is).
const kColumns = [
  ['cycle_count', null], ['start_time_second', null], ['end_time_second', null],
  ['charging_capacity_ah', 3], ['discharging_capacity_ah', 3], ['charging_energy_wh', 3],
  ['discharging_energy_wh', 3], ['coulombic_efficiency_pct', 2], ['energy_efficiency_pct', 2],
  ['mean_charging_voltage_volt', 3], ['mean_discharging_voltage_volt', 3], ['maximum_voltage_volt', 3],
  ['minimum_voltage_volt', 3], ['discharge_capacity_retention_pct', 2], ['cumulative_throughput_ah', 3],
];
const cellText = (c, [key, digits]) => (digits == null ? (c[key] == null ? '' : String(c[key])) : fixedText(c[key], digits));

const ah = (v) => v.toFixed(3);
const pct = (v) => v.toFixed(2);

let plot = null;

function chartData(cycles) {
  const column = (key) => cycles.map((c) => c[key]);
  return [column('cycle_count'), column('discharging_capacity_ah'), column('charging_capacity_ah'),
    column('coulombic_efficiency_pct')];
}

function draw(box, data) {
  const width = Math.max(280, box.clientWidth);
  const opts = {
    width,
    height: Math.min(360, Math.max(220, Math.round(width * 0.4))),
    scales: { x: { time: false }, Ah: {}, pct: {} },
    series: [
      { label: '循环 (cycle)', value: latestValue((v) => String(v)) },
      { label: '放电容量 Ah (discharge capacity)', scale: 'Ah', stroke: '#0000ff', width: 1.5,
        points: { show: true, size: 6 }, value: latestValue(ah) },
      { label: '充电容量 Ah (charge capacity)', scale: 'Ah', stroke: '#ff0000', width: 1.5,
        points: { show: true, size: 6 }, value: latestValue(ah) },
      { label: '库仑效率 % (coulombic efficiency)', scale: 'pct', stroke: '#008000', width: 1,
        dash: [4, 3], points: { show: true, size: 5 }, value: latestValue(pct) },
    ],
    axes: [
      cycleAxis,
      { scale: 'Ah', label: '[Ah]' },
      { scale: 'pct', label: '[%]', side: 1, grid: { show: false } },
    ],
    hooks: {
      draw: [(u) => { box.dataset.points = String(u.data[0].length); }],
    },
  };
  plot = new uPlot(opts, data, box);
}

// Called with each answer of /api/tests/ID/cycles: the chart grows by the cycles that ended.
// With the cell's nominal capacity the table ends in the equivalent full cycles, as the CSV does.
export function showCycles(answer) {
  const { cycles, nominal_capacity_ah: nominal } = answer;
  const efc = (c) => (nominal == null ? [] : [(c.cumulative_throughput_ah / (2 * nominal)).toFixed(3)]);
  document.getElementById('efc-head').hidden = nominal == null;
  fillRows(document.querySelector('#cycles tbody'), cycles.map((c) => [...kColumns.map((k) => cellText(c, k)), ...efc(c)]),
    '还没有循环 (no cycle yet)', kColumns.length + (nominal == null ? 0 : 1));
  const data = chartData(cycles);
  if (plot) plot.setData(data);
  else draw(document.getElementById('cycle-chart'), data);
}
