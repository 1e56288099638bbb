// The test list: the filters live in the address, so a filtered page can be bookmarked and sent.
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
    const started = el('td');
    const link = el('a', '', localTime(t.started_at));
    link.href = `/tests/${encodeURIComponent(t.id)}`;
    started.append(link);
    tr.append(started, el('td', 'text', t.station), el('td', '', channelName(t.device, t.channel)),
      el('td', 'text', t.model), el('td', 'text', t.program.split('\n')[0]), el('td', 'text', endText(t)));
    body.append(tr);
  }
  document.getElementById('none').hidden = d.tests.length > 0;
  document.getElementById('page').textContent = `第 ${d.page + 1} 页 (page ${d.page + 1})`;
  if (d.page > 0) pageLink('prev', d.page - 1);
  if (d.more) pageLink('next', d.page + 1);
  document.body.dataset.loaded = 'yes';
}

load().catch((e) => {
  document.getElementById('none').hidden = false;
  document.getElementById('none').textContent = `读取失败 (${e.message})`;
});
