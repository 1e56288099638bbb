// The lab page's speed in Chromium: node lab_page_bench.mjs URL TILES TEST_ID STATION CHANNEL MARK
// Prints "name milliseconds" lines. After the overview it prints "ready" and waits for the tile
// CHANNEL of STATION to read MARK volts, which the driver writes into the database on "ready".
import { launch } from '../../tests/lab_web/browser.mjs';

const [url, tiles, testId, station, channel, mark] = process.argv.slice(2);
const b = await launch();
try {
  const page = await b.newPage();
  await page.setViewport({ width: 1400, height: 900 });
  let t0 = performance.now();
  await page.goto(url);
  await page.waitForFunction((n) => document.querySelectorAll('.tile').length >= n, { timeout: 60000, polling: 'raf' },
    Number(tiles));
  await page.evaluate(() => new Promise((r) => requestAnimationFrame(() => r())));
  console.log(`overview_ms ${(performance.now() - t0).toFixed(0)}`);

  const selector = `[data-station="${station}"] .tile[data-channel="${channel}"] .v1`;
  t0 = performance.now();
  console.log('ready');
  await page.waitForFunction((sel, m) => document.querySelector(sel)?.textContent === m, { timeout: 30000, polling: 'raf' },
    selector, mark);
  console.log(`change_ms ${(performance.now() - t0).toFixed(0)}`);

  const test = await b.newPage();
  await test.setViewport({ width: 1400, height: 900 });
  t0 = performance.now();
  await test.goto(`${url}/tests/${testId}`);
  await test.waitForSelector('body[data-chart="drawn"]', { timeout: 60000 });
  console.log(`test_page_ms ${(performance.now() - t0).toFixed(0)}`);
  if (b.problems.length) throw new Error(b.problems.join('\n'));
} catch (e) {
  console.error(`lab page benchmark failed: ${e.stack ?? e}`);
  process.exitCode = 1;
} finally {
  await b.close();
}
