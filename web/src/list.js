// The test list: the filters live in the address, so a filtered page can be bookmarked and sent.
// The ticked tests go to the compare view as its address's ids.
import { channelName, el, getJson, localTime } from './format.js';

const params = new URLSearchParams(location.search);
const form = document.getElementById('filters');
for (const [k, v] of params) if (form.elements[k]) form.elements[k].value = v;

function pageLink(id, page) {
  const a = document.getElementById(id);
  const p = new URLSearchParams(params);
  p.set('page', String(page));
  a.href = `/tests?${p}`;
  a.hidden = false;
}

function endText(t) {
  if (!t.ended_at) return '运行中 (running)';
  return t.end_reason ? `${localTime(t.ended_at)} ${t.end_reason}` : localTime(t.ended_at);
}

async function load() {
  const d = await getJson(`/api/tests?${params}`);
  const body = document.querySelector('#tests tbody');
  for (const t of d.tests) {
    const tr = el('tr');
    const pick = el('td');
    const box = el('input');
    Object.assign(box, { type: 'checkbox', name: 'id', value: t.id });
    box.setAttribute('form', 'compare');
    box.setAttribute('aria-label', `对比 (compare) ${localTime(t.started_at)} ${t.station} ${t.cell_id ?? ''}`);
    pick.append(box);
    const started = el('td');
    const link = el('a', '', localTime(t.started_at));
    link.href = `/tests/${encodeURIComponent(t.id)}`;
    started.append(link);
    tr.append(pick, started, el('td', 'text', t.station), el('td', '', channelName(t.device, t.channel)),
      el('td', 'text', t.model), el('td', 'text', t.cell_id ?? ''), el('td', 'text', t.program.split('\n')[0]),
      el('td', 'text', endText(t)));
    body.append(tr);
  }
  document.getElementById('none').hidden = d.tests.length > 0;
  document.getElementById('page').textContent = `第 ${d.page + 1} 页 (page ${d.page + 1})`;
  if (d.page > 0) pageLink('prev', d.page - 1);
  if (d.more) pageLink('next', d.page + 1);
  document.body.dataset.loaded = 'yes';
}

// The compare view takes its tests as one list, ids=A,B,…
document.getElementById('compare').addEventListener('submit', (e) => {
  e.preventDefault();
  const ids = [...document.querySelectorAll('input[name="id"]:checked')].map((b) => b.value);
  if (ids.length) location.href = `/compare?ids=${ids.join(',')}`;
});

load().catch((e) => {
  document.getElementById('none').hidden = false;
  document.getElementById('none').textContent = `读取失败 (${e.message})`;
});
