// The overview: every station a block, every device a row of tiles, updated by a short poll.
// The server keeps a version per channel row, so each poll brings only what changed.
import {
  amountText, channelName, currentText, el, getJson, kDatabaseUnreachable, localTime, voltText,
} from './format.js';

const kPollMs = 1000;
const kStaleSeconds = 10;
const root = document.getElementById('stations');
const stations = new Map(); // name -> { block, devices: Map(device -> row), tiles: Map(key -> parts) }
let since = 0;

function modeOf(state, status) {
  if (state !== 'running' && state !== 'error') return '';
  if (status.includes('充电')) return 'charge';
  if (status.includes('搁置')) return 'rest';
  if (status.includes('放电')) return 'discharge';
  return '';
}

function stationBlock(name) {
  let s = stations.get(name);
  if (s) return s;
  const block = el('section', 'station');
  block.dataset.station = name;
  const head = el('header');
  head.append(el('h2', 'name', name), el('span', 'host'), el('span', 'seen'),
    el('span', 'stale-note', '无响应 (stale)'));
  const devices = el('div', 'devices');
  block.append(head, devices);
  const after = [...stations.keys()].filter((n) => n > name).sort()[0];
  root.insertBefore(block, after === undefined ? null : stations.get(after).block);
  s = { block, host: head.children[1], seen: head.children[2], devices, rows: new Map(), tiles: new Map() };
  stations.set(name, s);
  document.getElementById('empty').hidden = true;
  return s;
}

function deviceRow(s, device) {
  let row = s.rows.get(device);
  if (row) return row;
  row = el('div', 'device');
  row.dataset.device = String(device);
  const after = [...s.rows.keys()].filter((d) => d > device).sort((a, b) => a - b)[0];
  s.devices.insertBefore(row, after === undefined ? null : s.rows.get(after));
  s.rows.set(device, row);
  return row;
}

function tileParts(s, c) {
  const key = `${c.device}-${c.channel}`;
  let t = s.tiles.get(key);
  if (t) return t;
  const tile = el('a', 'tile');
  tile.dataset.channel = channelName(c.device, c.channel);
  const head = el('span', 'head');
  const name = el('span', 'name');
  head.append(el('span', 'lamp'), name);
  const vals = [];
  tile.append(head);
  ['V', 'A', 'Ah', 'Wh'].forEach((unit, k) => {
    const v = el('span', `val v${k + 1}`);
    v.dataset.unit = unit;
    vals.push(v);
    tile.append(v);
  });
  const row = deviceRow(s, c.device);
  const after = [...row.children].find((x) => Number(x.dataset.channel.split('-')[1]) > c.channel);
  row.insertBefore(tile, after ?? null);
  t = { tile, name, vals };
  s.tiles.set(key, t);
  return t;
}

function showChannel(c) {
  const t = tileParts(stationBlock(c.station), c);
  t.tile.dataset.state = c.state;
  const mode = modeOf(c.state, c.status);
  if (mode) t.tile.dataset.mode = mode;
  else delete t.tile.dataset.mode;
  t.name.textContent = c.status || channelName(c.device, c.channel);
  // A channel stopped on its voltage reads 电压 over 出错, as on the station's tile.
  const error = c.state === 'error';
  const texts = [voltText(c.voltage), currentText(c.current),
    error ? '电压' : amountText(c.capacity), error ? '出错' : amountText(c.energy)];
  texts.forEach((text, k) => { if (t.vals[k].textContent !== text) t.vals[k].textContent = text; });
  if (c.test) t.tile.href = `/tests/${encodeURIComponent(c.test)}`;
  else t.tile.removeAttribute('href');
  t.tile.title = c.test ? '打开测试 open the test' : '';
}

function showStation(st) {
  const s = stationBlock(st.name);
  s.host.textContent = st.host ? `${st.host} · ${st.version}` : '';
  const stale = st.age > kStaleSeconds;
  s.block.classList.toggle('stale', stale);
  s.seen.textContent = `最后在线 last seen ${localTime(st.last_seen)}`;
}

async function poll() {
  const status = document.getElementById('link-status');
  try {
    const d = await getJson(`/api/live?since=${since}`);
    d.stations.forEach(showStation);
    d.channels.forEach(showChannel);
    document.getElementById('empty').hidden = stations.size > 0;
    since = d.version;
    document.body.dataset.version = String(since);
    status.textContent = '';
  } catch (e) {
    // Polling goes on: the text clears by itself once the database or the server is back.
    status.textContent = e.message === kDatabaseUnreachable ? e.message : `实验室页面无响应 (${e.message})`;
  } finally {
    setTimeout(poll, kPollMs);
  }
}

poll();
