// The charts of vo web, drawn as inline SVG: rows imported per run over
// time, and one symbol's trades on a price and quantity timeline.
'use strict';

const Charts = (() => {
  const kNs = 'http://www.w3.org/2000/svg';
  const kWidth = 760;
  const kHeight = 240;
  const kMargin = { left: 60, right: 48, top: 16, bottom: 40 };

  function svg(tag, attributes = {}, text) {
    const node = document.createElementNS(kNs, tag);
    for (const [name, value] of Object.entries(attributes)) node.setAttribute(name, value);
    if (text !== undefined) node.textContent = text;
    return node;
  }

  // "2026-12-06 03:32:55" as milliseconds; NaN when it is no date.
  function time(text) {
    return Date.parse(String(text).replace(' ', 'T'));
  }

  // "$1,234.50" or "(12)" as a number; NaN when it is none.
  function amount(text) {
    const plain = String(text).replace(/[$,\s]/g, '');
    const negative = /^\(.*\)$/.test(plain);
    const value = parseFloat(negative ? plain.slice(1, -1) : plain);
    return negative ? -value : value;
  }

  // The frame of a chart: axes, a few labelled ticks on each, and scales
  // from the data's ranges into the drawing area.
  function frame(xRange, yRange, xLabel, yLabel, formatX, formatY) {
    const root = svg('svg', { width: kWidth, height: kHeight, viewBox: `0 0 ${kWidth} ${kHeight}`, role: 'img' });
    const plotWidth = kWidth - kMargin.left - kMargin.right;
    const plotHeight = kHeight - kMargin.top - kMargin.bottom;
    const [x0, x1] = xRange[0] === xRange[1] ? [xRange[0] - 1, xRange[1] + 1] : xRange;
    const [y0, y1] = yRange[0] === yRange[1] ? [yRange[0] - 1, yRange[1] + 1] : yRange;
    const x = (value) => kMargin.left + ((value - x0) / (x1 - x0)) * plotWidth;
    const y = (value) => kMargin.top + plotHeight - ((value - y0) / (y1 - y0)) * plotHeight;
    for (let i = 0; i <= 4; ++i) {
      const yValue = y0 + ((y1 - y0) * i) / 4;
      root.append(svg('line', { class: 'grid', x1: kMargin.left, x2: kWidth - kMargin.right, y1: y(yValue), y2: y(yValue) }));
      root.append(svg('text', { x: kMargin.left - 6, y: y(yValue) + 4, 'text-anchor': 'end' }, formatY(yValue)));
      const xValue = x0 + ((x1 - x0) * i) / 4;
      root.append(svg('text', { x: x(xValue), y: kHeight - kMargin.bottom + 16, 'text-anchor': 'middle' }, formatX(xValue)));
    }
    root.append(svg('line', { class: 'axis', x1: kMargin.left, x2: kMargin.left, y1: kMargin.top, y2: kHeight - kMargin.bottom }));
    root.append(svg('line', { class: 'axis', x1: kMargin.left, x2: kWidth - kMargin.right, y1: kHeight - kMargin.bottom, y2: kHeight - kMargin.bottom }));
    root.append(svg('text', { x: kMargin.left + plotWidth / 2, y: kHeight - 6, 'text-anchor': 'middle' }, xLabel));
    root.append(svg('text', { x: 12, y: kMargin.top + plotHeight / 2, transform: `rotate(-90 12 ${kMargin.top + plotHeight / 2})`, 'text-anchor': 'middle' }, yLabel));
    return { root, x, y };
  }

  // Dates are the ledger's local times, read and shown as local times.
  const two = (n) => String(n).padStart(2, '0');
  const day = (ms) => {
    const d = new Date(ms);
    return `${d.getFullYear()}-${two(d.getMonth() + 1)}-${two(d.getDate())}`;
  };
  const minute = (ms) => {
    const d = new Date(ms);
    return `${two(d.getMonth() + 1)}-${two(d.getDate())} ${two(d.getHours())}:${two(d.getMinutes())}`;
  };
  const count = (value) => String(Math.round(value));
  const price = (value) => (Math.abs(value) >= 1000 ? Math.round(value).toLocaleString() : String(+value.toFixed(2)));

  function empty(text) {
    const note = document.createElement('p');
    note.className = 'muted';
    note.textContent = text;
    return note;
  }

  // One bar per run at its start time, as high as the rows it stored;
  // undone runs in grey.
  function runsPerTime(runs) {
    const points = runs.map((run) => ({ run, t: time(run.started) })).filter((p) => !Number.isNaN(p.t));
    if (!points.length) return empty('No imports yet.');
    const times = points.map((p) => p.t);
    // A multiple of 4, so that each of the 4 ticks is a whole count.
    const most = 4 * Math.ceil(Math.max(1, ...points.map((p) => p.run.stored)) / 4);
    const spread = Math.max(...times) - Math.min(...times);
    const pad = Math.max(spread * 0.05, 3600e3);
    const chart = frame([Math.min(...times) - pad, Math.max(...times) + pad], [0, most], 'run started',
      'rows stored', spread < 2 * 86400e3 ? minute : day, count);
    const barWidth = Math.max(3, Math.min(24, 600 / points.length));
    for (const { run, t } of points) {
      const top = chart.y(run.stored);
      const bar = svg('rect', { class: run.undone ? 'bar undone' : 'bar', x: chart.x(t) - barWidth / 2, y: top,
        width: barWidth, height: chart.y(0) - top });
      bar.append(svg('title', {}, `run ${run.id}: ${run.stored} rows, ${run.started}${run.undone ? ' (undone)' : ''}`));
      chart.root.append(bar);
    }
    return chart.root;
  }

  // Each trade at its date and price, its area as its quantity: buys green,
  // sells red, anything else violet.
  function symbolTimeline(symbol, columns, rows) {
    const at = (name) => columns.indexOf(name);
    const trades = rows.map((row) => ({
      t: time(row[at('trans_dttrade')]), price: amount(row[at('trans_unitprice')]),
      qty: Math.abs(amount(row[at('trans_qty')])), action: String(row[at('trans_action')]), id: row[at('trans_id')],
    })).filter((trade) => !Number.isNaN(trade.t) && !Number.isNaN(trade.price));
    if (!trades.length) return empty(`No priced trades of ${symbol}.`);
    const times = trades.map((trade) => trade.t);
    const prices = trades.map((trade) => trade.price);
    const pad = Math.max((Math.max(...times) - Math.min(...times)) * 0.05, 86400e3);
    const chart = frame([Math.min(...times) - pad, Math.max(...times) + pad],
      [Math.min(0, ...prices), Math.max(...prices) * 1.1], `${symbol}: trade date`, 'price', day, price);
    const largest = Math.max(1, ...trades.map((trade) => trade.qty || 0));
    for (const trade of trades) {
      const kind = /buy|cover|open/i.test(trade.action) && !/sell/i.test(trade.action) ? 'buy'
        : /sell|short/i.test(trade.action) ? 'sell' : 'other';
      const dot = svg('circle', { class: kind, cx: chart.x(trade.t), cy: chart.y(trade.price),
        r: 3 + 12 * Math.sqrt((trade.qty || 0) / largest) });
      dot.append(svg('title', {}, `#${trade.id} ${trade.action} ${trade.qty} @ ${trade.price}, ${day(trade.t)}`));
      chart.root.append(dot);
    }
    return chart.root;
  }

  return { runsPerTime, symbolTimeline };
})();
