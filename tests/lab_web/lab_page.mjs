// The lab page with two stations writing: node lab_page.mjs URL STATION_A STATION_B PID_B
// STATION_B is the station with markup in its name; PID_B its process, killed here.
import { mkdtempSync, readdirSync, readFileSync, rmSync } from 'node:fs';
import { tmpdir } from 'node:os';
import { join } from 'node:path';
import { check, run } from './browser.mjs';

const [url, nameA, nameB, pidB] = process.argv.slice(2);
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
  const stationsListed = await list.$$eval('#tests tbody tr td:nth-child(2)', (tds) => tds.map((t) => t.textContent));
  check(stationsListed.length > 0 && stationsListed.every((s) => s === nameB), `the list shows ${stationsListed}`);

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
