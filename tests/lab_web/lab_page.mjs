// The lab page with two stations writing: node lab_page.mjs URL STATION_A STATION_B PID_B CELL_A CELL_B
// STATION_B is the station with markup in its name; PID_B its process, killed here. CELL_A and
// CELL_B are finished tests of cells "LFP-Page-0001" (4 cycles) and "LFP-Page-0002" (7 cycles).
import { mkdtempSync, readdirSync, readFileSync, rmSync } from 'node:fs';
import { tmpdir } from 'node:os';
import { join } from 'node:path';
import { check, run } from './browser.mjs';

const [url, nameA, nameB, pidB, cellA] = process.argv.slice(2);
const legendValues = (page, chart) => page.$$eval(`${chart} .u-legend .u-series td.u-value`,
  (tds) => tds.map((t) => t.textContent));
// An attribute selector for a station name; only quotes and backslashes need escaping there.
const quote = (s) => s.replace(/["\\]/g, '\\$&');
const block = (name) => `[data-station="${quote(name)}"]`;

await run('lab page', async ({ newPage }) => {
  const page = await newPage();
  await page.setViewport({ width: 1280, height: 900 });
  await page.goto(url, { waitUntil: 'load' });

  // Both stations' tiles, each named as the station shows it.
  for (const name of [nameA, nameB])
    await page.waitForSelector(`${block(name)} .tile[data-state="running"]`, { timeout: 30000 });
  const heading = await page.$eval(`${block(nameB)} h2`, (h) => h.textContent);
  check(heading === nameB, `the markup station's heading reads ${heading}`);
  check((await page.$$('main img')).length === 0, 'a station name became an image element');

  // A running tile's voltage moves without a reload.
  const tile = `${block(nameA)} .tile[data-state="running"]`;
  const channel = await page.$eval(tile, (t) => t.dataset.channel);
  const first = await page.$eval(`${block(nameA)} .tile[data-channel="${channel}"] .v1`, (v) => v.textContent);
  await page.waitForFunction((sel, was) => document.querySelector(sel).textContent !== was, { timeout: 20000 },
    `${block(nameA)} .tile[data-channel="${channel}"] .v1`, first);

  // The test page: chart drawn, step table, BDF downloaded through its link.
  const href = await page.$eval(`${block(nameA)} .tile[data-channel="${channel}"]`, (t) => t.getAttribute('href'));
  check(href && href.startsWith('/tests/'), `the running tile links to ${href}`);
  const testPage = await newPage();
  await testPage.goto(new URL(href, url).href, { waitUntil: 'load' });
  await testPage.waitForSelector('body[data-chart="drawn"] #chart canvas', { timeout: 10000 });
  // A running test's page follows it: the sample count under the chart grows without a reload.
  // Before any pointer move the legend shows the latest values, and the current says its sign.
  const latest = await legendValues(testPage, '#chart');
  check(latest.length === 3 && latest.slice(1).every((v) => /\d\.\d{3}/.test(v)), `the legend reads ${latest}`);
  const sign = await testPage.$eval('#bdf-sign', (n) => n.textContent);
  check(sign.includes('charge positive, discharge negative'), `the BDF link's note says ${sign}`);
  const note = await testPage.$eval('#chart-note', (n) => n.textContent);
  await testPage.waitForFunction((was) => document.querySelector('#chart-note').textContent !== was,
    { timeout: 25000 }, note);
  const downloads = mkdtempSync(join(tmpdir(), 'klv-bdf-'));
  try {
    const cdp = await testPage.createCDPSession();
    await cdp.send('Browser.setDownloadBehavior', { behavior: 'allow', downloadPath: downloads });
    await testPage.click('#bdf');
    let files = [];
    for (let i = 0; i < 100 && !files.some((f) => f.endsWith('.csv')); ++i) {
      await new Promise((r) => setTimeout(r, 100));
      files = readdirSync(downloads);
    }
    const csv = files.find((f) => f.endsWith('.csv'));
    check(csv, `no BDF file was downloaded (${files})`);
    const text = readFileSync(join(downloads, csv), 'utf8');
    check(text.startsWith('Test Time / s,Voltage / V,Current / A'), `the BDF file starts ${text.slice(0, 60)}`);
    check(text.trim().split('\n').length > 2, 'the BDF file holds no samples');
  } finally {
    rmSync(downloads, { recursive: true, force: true });
  }

  // The test list finds the tests of one station by its markup name.
  const list = await newPage();
  await list.goto(`${url}/tests?station=${encodeURIComponent(nameB)}`, { waitUntil: 'load' });
  await list.waitForSelector('body[data-loaded]');
  const stationsListed = await list.$$eval('#tests tbody tr td:nth-child(3)', (tds) => tds.map((t) => t.textContent));
  check(stationsListed.length > 0 && stationsListed.every((s) => s === nameB), `the list shows ${stationsListed}`);

  // The list finds both cells' tests by part of the ID, case ignored; ticked by keyboard, they
  // go to the compare view as one line each, in Ah or, toggled, in percent.
  const cells = await newPage();
  await cells.goto(`${url}/tests?cell=lfp-page`, { waitUntil: 'load' });
  await cells.waitForSelector('body[data-loaded]');
  const cellIds = await cells.$$eval('#tests tbody tr td:nth-child(6)', (tds) => tds.map((t) => t.textContent));
  check(cellIds.sort().join() === 'LFP-Page-0001,LFP-Page-0002', `the cell filter lists ${cellIds}`);
  for (const box of await cells.$$('input[name="id"]')) {
    await box.focus();
    await cells.keyboard.press('Space');
  }
  await cells.focus('#compare-go');
  await Promise.all([cells.waitForNavigation(), cells.keyboard.press('Enter')]);
  await cells.waitForSelector('#chart[data-lines="2"]', { timeout: 10000 });
  const names = await cells.$$eval('#chart .u-legend .u-series th', (ths) => ths.map((t) => t.textContent));
  check(names.filter((n) => /LFP-Page-000[12]/.test(n)).length === 2, `the compare legend reads ${names}`);
  const amounts = (await legendValues(cells, '#chart')).slice(1).map(Number);
  check(amounts.every((a) => a > 2 && a < 3), `the compare view shows ${amounts} Ah`);
  await cells.click('input[value="discharge_capacity_retention_pct"]');
  await cells.waitForFunction(() => Number(document.querySelectorAll('#chart .u-legend td.u-value')[1]?.textContent) > 90,
    { timeout: 5000 });

  // A cell's finished test: one chart point and one table row per cycle, the legend at the last
  // cycle, and its empty step table saying so.
  const cellPage = await newPage();
  await cellPage.goto(`${url}/tests/${cellA}`, { waitUntil: 'load' });
  await cellPage.waitForSelector('#cycle-chart[data-points="4"]', { timeout: 10000 });
  const rows = await cellPage.$$eval('#cycles tbody tr', (trs) => trs.map((tr) => tr.children[4].textContent));
  check(rows.length === 4, `the cycle table has ${rows.length} rows`);
  check(await cellPage.$eval('#efc-head', (h) => !h.hidden), 'a nominal capacity shows no equivalent full cycles');
  const cycleLegend = await legendValues(cellPage, '#cycle-chart');
  check(cycleLegend[0] === '4' && cycleLegend[1] === rows[3], `the cycle legend reads ${cycleLegend}`);
  const facts = await cellPage.$eval('#facts', (f) => f.textContent);
  check(facts.includes('LFP-Page-0001') && facts.includes('2.5 Ah'), `the facts read ${facts}`);
  const steps = await cellPage.$eval('#steps tbody', (b) => b.textContent);
  check(steps.includes('no step result yet'), `the empty step table reads ${steps}`);

  // A station killed goes stale on the page within 20 s, saying when it was last seen.
  process.kill(Number(pidB), 'SIGKILL');
  await page.waitForSelector(`${block(nameB)}.stale`, { timeout: 20000 });
  const seen = await page.$eval(`${block(nameB)} .seen`, (s) => s.textContent);
  check(/\d\d:\d\d:\d\d/.test(seen), `the stale block says ${seen}`);
  check(!(await page.$eval(block(nameA), (b) => b.classList.contains('stale'))), 'the running station went stale');

  // At phone width the overview needs no sideways scrolling.
  await page.setViewport({ width: 375, height: 800 });
  const wide = await page.evaluate(() => document.documentElement.scrollWidth);
  check(wide <= 375, `the overview is ${wide} px wide on a 375 px screen`);
});
