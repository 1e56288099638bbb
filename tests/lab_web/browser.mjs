// Debian's Chromium, headless, driven over its DevTools protocol with puppeteer-core. Every
// console error, uncaught page error and dialog is collected: a test ends by asking for none.
import { createRequire } from 'node:module';
import { mkdtempSync, rmSync } from 'node:fs';
import { tmpdir } from 'node:os';
import { join } from 'node:path';

const require = createRequire(join(process.env.KLV_NODE_MODULES, 'puppeteer-core', 'package.json'));
const puppeteer = require('puppeteer-core');

export async function launch() {
  const profile = mkdtempSync(join(tmpdir(), 'klv-chromium-'));
  const browser = await puppeteer.launch({
    executablePath: process.env.KLV_CHROMIUM || '/usr/bin/chromium',
    headless: true,
    args: ['--headless=new', '--no-sandbox', '--disable-gpu', '--no-first-run', '--disable-background-networking',
      '--disable-component-update', '--disable-sync', `--user-data-dir=${profile}`],
  });
  const problems = [];
  const watch = (page) => {
    page.on('console', (m) => { if (m.type() === 'error') problems.push(`console: ${m.text()}`); });
    page.on('pageerror', (e) => problems.push(`page error: ${e.message}`));
    page.on('dialog', async (d) => { problems.push(`dialog: ${d.message()}`); await d.dismiss(); });
  };
  const newPage = async () => {
    const page = await browser.newPage();
    watch(page);
    return page;
  };
  const close = async () => {
    await browser.close();
    rmSync(profile, { recursive: true, force: true });
  };
  return { browser, newPage, problems, close };
}

// Runs the steps, prints each as it passes, exits 1 at the first failure.
export async function run(name, body) {
  const b = await launch();
  try {
    await body(b);
    if (b.problems.length) throw new Error(`the browser reported:\n  ${b.problems.join('\n  ')}`);
    console.log(`${name}: passed`);
  } catch (e) {
    console.error(`${name}: FAILED: ${e.stack ?? e}`);
    process.exitCode = 1;
  } finally {
    await b.close();
  }
}

export function check(condition, message) {
  if (!condition) throw new Error(message);
}
