// Number and time texts as the station writes them on its tiles and tables.

// At least `intDigits` integer digits and `decimals` decimals: "00.00" gives 05.50.
export function pattern(value, intDigits, decimals) {
  const text = Math.abs(value).toFixed(decimals);
  const [whole, frac] = text.split('.');
  const body = whole.padStart(intDigits, '0') + (frac === undefined ? '' : '.' + frac);
  return (value < 0 && Number(text) !== 0 ? '-' : '') + body;
}

export const voltText = (v) => (v >= 100 ? pattern(v, 3, 1) : pattern(v, 1, 3));
// The tile shows the current's magnitude; its direction is in the status word.
export const currentText = (i) => (Math.abs(i) >= 10 ? pattern(Math.abs(i), 2, 2) : pattern(Math.abs(i), 1, 3));
export const amountText = (x) => (x < 10 ? pattern(x, 1, 3) : x < 100 ? pattern(x, 2, 2) : pattern(x, 3, 1));

// hh:mm:ss with the hours counting on past a day (90061 s is 25:01:01).
export function clockText(seconds) {
  const s = Math.max(0, Math.round(seconds));
  const two = (n) => String(n).padStart(2, '0');
  return `${two(Math.floor(s / 3600))}:${two(Math.floor(s / 60) % 60)}:${two(s % 60)}`;
}

// A database time (Unix seconds) in the reader's local time, "2024-03-12 09:30:05".
export function localTime(seconds) {
  if (seconds == null) return '';
  const d = new Date(seconds * 1000);
  const two = (n) => String(n).padStart(2, '0');
  return `${d.getFullYear()}-${two(d.getMonth() + 1)}-${two(d.getDate())} ` +
    `${two(d.getHours())}:${two(d.getMinutes())}:${two(d.getSeconds())}`;
}

export const channelName = (device, channel) => `${device}-${channel}`;

// A value with `digits` decimals, or empty when it does not exist (as in the CSV downloads).
export const fixedText = (x, digits) => (x == null ? '' : x.toFixed(digits));

// The sign of the current in the charts and in the BDF download, as the station records it.
export const kCurrentSign = '充电为正，放电为负 (charge positive, discharge negative)';

// Builds an element with text content only: database texts never become markup.
export function el(tag, className, text) {
  const e = document.createElement(tag);
  if (className) e.className = className;
  if (text !== undefined) e.textContent = text;
  return e;
}

// Fills a table body with its rows (arrays of cell texts); a table without rows says so in words.
export function fillRows(body, rows, emptyText, columns) {
  body.replaceChildren();
  for (const cells of rows) {
    const tr = el('tr');
    tr.append(...cells.map((c) => (c instanceof Node ? c : el('td', '', c))));
    body.append(tr);
  }
  if (rows.length === 0) {
    const td = el('td', 'empty', emptyText);
    td.colSpan = columns;
    const tr = el('tr');
    tr.append(td);
    body.append(tr);
  }
}

// What the pages say while klv-lab cannot read the lab database.
export const kDatabaseUnreachable = '实验室库无法连接 (database unreachable)';

// A 503 of klv-lab says why in {"error": …}; the database's absence has its own text.
export async function getJson(url) {
  const r = await fetch(url, { cache: 'no-store', credentials: 'same-origin' });
  if (r.ok) return r.json();
  const body = await r.json().catch(() => ({}));
  throw new Error(body.error === 'database unreachable' ? kDatabaseUnreachable : `${r.status} ${url}`);
}
