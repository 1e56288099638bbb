// Bundles the lab page (pages and icon copied as they are): node build.mjs SOURCE_DIR OUT_DIR, run from the folder where `npm ci`
// installed the packages. uPlot is bundled in, so klv-lab serves everything itself.
import * as esbuild from 'esbuild';
import { copyFileSync, mkdirSync, readdirSync } from 'node:fs';
import { dirname, join } from 'node:path';
import { fileURLToPath } from 'node:url';

const [src, out] = process.argv.slice(2);
if (!src || !out) {
  console.error('usage: node build.mjs SOURCE_DIR OUT_DIR');
  process.exit(2);
}
const here = dirname(fileURLToPath(import.meta.url));
mkdirSync(out, { recursive: true });

await esbuild.build({
  entryPoints: ['overview.js', 'list.js', 'test.js', 'compare.js', 'lab.css'].map((f) => join(src, f)),
  outdir: out,
  bundle: true,
  minify: true,
  format: 'iife',
  target: ['chrome110', 'firefox110'],
  nodePaths: [join(here, 'node_modules')],
  logLevel: 'warning',
});
for (const f of readdirSync(src).filter((f) => f.endsWith('.html') || f.endsWith('.svg')))
  copyFileSync(join(src, f), join(out, f));
