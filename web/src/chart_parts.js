// What the lab page's charts share.

// uPlot's legend shows the values under the pointer, and asks for them with no index while the
// pointer is away: until it comes over the chart, and once it leaves, each series then shows
// its latest point (uPlot asks again after new data, so the legend follows a running test).
export function latestValue(format) {
  return (u, v, seriesIdx, idx) => {
    let value = v;
    if (idx == null) {
      const d = u.data[seriesIdx];
      for (let k = d.length - 1; k >= 0 && value == null; --k) value = d[k];
    }
    return value == null ? '' : format(value);
  };
}

// The cycle axis: whole cycles only, however few there are.
export const cycleAxis = { label: '循环 (cycle)', incrs: [1, 2, 5, 10, 20, 50, 100, 200, 500, 1000, 2000, 5000, 10000] };
