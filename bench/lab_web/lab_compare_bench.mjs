// The compare view's speed in Chromium: node lab_compare_bench.mjs URL IDS LINES
// Prints "render_ms N": from opening the view of the tests IDS (comma-separated) until its chart
// of LINES lines has been drawn. The browser comes from the test list, as a person does.
import { launch } from '../../tests/lab_web/browser.mjs';

const [url, ids, lines] = process.argv.slice(2);
const b = await launch();
try {
  const page = await b.newPage();
  await page.setViewport({ width: 1400, height: 900 });
  await page.goto(`${url}/tests`, { waitUntil: 'load' });
  const t0 = performance.now();
  await page.goto(`${url}/compare?ids=${ids}`);
  await page.waitForSelector(`#chart[data-lines="${lines}"]`, { timeout: 60000 });
  await page.evaluate(() => new Promise((r) => requestAnimationFrame(() => r())));
  console.log(`render_ms ${(performance.now() - t0).toFixed(0)}`);
  if (b.problems.length) throw new Error(b.problems.join('\n'));
} catch (e) {
  console.error(`compare benchmark failed: ${e.stack ?? e}`);
  process.exitCode = 1;
} finally {
  await b.close();
}
