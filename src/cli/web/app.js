// vo web's pages: each is a view of the JSON API beside it (/api/...). No
// library: the DOM, fetch and the charts in charts.js.
'use strict';

const state = { csrf: '', upload: null, cursors: [], nextCursor: 0, symbolOffset: 0 };

// Element by id.
const $ = (id) => document.getElementById(id);

// An element with attributes and children (strings become text, never HTML).
function el(tag, attributes = {}, ...children) {
  const node = document.createElement(tag);
  for (const [name, value] of Object.entries(attributes)) {
    if (name.startsWith('on')) node.addEventListener(name.slice(2), value);
    else if (value !== false && value !== undefined && value !== null) node.setAttribute(name, value === true ? '' : value);
  }
  for (const child of children.flat()) {
    if (child !== null && child !== undefined) node.append(child instanceof Node ? child : String(child));
  }
  return node;
}

function showError(text) {
  const box = $('error');
  box.textContent = text || '';
  box.hidden = !text;
}

// Calls the API; a failure throws its text (vo's words). A busy library
// (a long import under way) is asked again for a while before giving up.
async function api(path, options = {}) {
  const init = { method: options.method || 'GET', headers: {}, credentials: 'same-origin' };
  if (init.method === 'POST') {
    init.headers['X-CSRF-Token'] = state.csrf;
    if (options.form) init.body = new URLSearchParams(options.form);
    if (options.body) init.body = options.body;
  }
  for (let attempt = 0; ; ++attempt) {
    const response = await fetch(path, init);
    const answer = await response.json().catch(() => ({ error: `${response.status} ${response.statusText}` }));
    if (response.status === 503 && answer.busy && attempt < 40) {
      await new Promise((resolve) => setTimeout(resolve, 1500));
      continue;
    }
    if (!response.ok && !options.keepFailure) throw new Error(answer.error || `${response.status}`);
    return answer;
  }
}

// Runs an action of the page, its failure shown at the top.
async function guarded(action) {
  showError('');
  try {
    await action();
  } catch (error) {
    showError(error.message);
  }
}

const kNumeric = /^(trans_id|trans_total|trans_qty|trans_unitprice|trans_commission|run|stored|symbols|skipped|size)$/;

// A table of rows under their column names; `pick` limits and orders columns.
function table(columns, rows, pick) {
  const shown = pick ? pick.filter((name) => columns.includes(name)) : columns;
  const index = shown.map((name) => columns.indexOf(name));
  return el('div', { class: 'scroll' },
    el('table', {},
      el('thead', {}, el('tr', {}, shown.map((name) => el('th', {}, name)))),
      el('tbody', {}, rows.map((row) => el('tr', {},
        index.map((i, k) => el('td', kNumeric.test(shown[k]) ? { class: 'number' } : {}, row[i])))))));
}

function replace(id, ...nodes) {
  $(id).replaceChildren(...nodes.flat().filter((node) => node));
}

const kTradeColumns = ['trans_id', 'trans_dttrade', 'acct_id', 'trans_action', 'sym_name', 'trans_qty',
  'trans_unitprice', 'trans_commission', 'trans_total', 'trans_note_id'];

// ---- Import ----

async function upload(file) {
  state.upload = null;
  $('preview-button').disabled = $('import-button').disabled = true;
  replace('preview');
  replace('import-result');
  $('recognised').textContent = `Reading ${file.name}...`;
  const answer = await api(`/api/upload?name=${encodeURIComponent(file.name)}`, { method: 'POST', body: file });
  state.upload = answer;
  const accounts = answer.brokerAccounts || [];
  $('broker-label').hidden = accounts.length < 2;
  replace('broker-account', accounts.map((account) => el('option', { value: account }, account)));
  if (answer.failure) {
    $('recognised').textContent = `${answer.name}: ${answer.failure}`;
    return;
  }
  $('recognised').textContent = `${answer.name} (${answer.size} bytes) is recognised as ${answer.format}`;
  $('preview-button').disabled = $('import-button').disabled = false;
}

function importForm() {
  const form = { upload: state.upload ? state.upload.upload : '' };
  form.account_id = $('account-id').value.trim();
  form.account_name = $('account-name').value.trim();
  form.skip_duplicates = $('skip-duplicates').checked ? '1' : '0';
  form.once = $('once').checked ? '1' : '0';
  if (!$('broker-label').hidden) form.broker_account = $('broker-account').value;
  return form;
}

function notes(list) {
  return (list || []).map((text) => el('div', { class: 'note' }, text));
}

async function preview() {
  replace('import-result');
  const answer = await api('/api/import/preview', { method: 'POST', form: importForm() });
  if (answer.failure) throw new Error(answer.failure);
  const problems = answer.problems || [];
  replace('preview',
    el('div', { class: 'ok', id: 'preview-line' }, answer.line), notes(answer.notes),
    el('h3', {}, `Rows that would be stored (${answer.rowCount}${answer.rowCount > answer.rows.length ? `, the first ${answer.rows.length} shown` : ''})`),
    table(answer.columns, answer.rows, kTradeColumns.filter((name) => name !== 'trans_id')),
    el('h3', {}, `Refused lines and warnings (${problems.length})`),
    problems.length ? el('ul', {}, problems.map((p) => el('li', {}, `${p.level} ${p.record}: ${p.message}`)))
      : el('p', { class: 'muted' }, 'None.'),
    el('h3', {}, `Duplicates that Skip duplicates would leave out (${answer.duplicateCount})`),
    answer.duplicates.length ? table(answer.columns, answer.duplicates, kTradeColumns.filter((name) => name !== 'trans_id'))
      : el('p', { class: 'muted' }, 'None.'));
}

async function runImport() {
  replace('preview');
  replace('import-result');
  $('import-button').disabled = true;
  $('progress').hidden = false;
  let done = false;
  const watch = (async () => {
    while (!done) {
      const progress = await fetch('/api/import/progress').then((r) => r.json()).catch(() => null);
      if (progress && progress.totalBytes > 0) {
        const percent = Math.min(100, Math.round((100 * progress.bytesRead) / progress.totalBytes));
        $('progress-bar').value = percent;
        $('progress-text').textContent = `${percent}% read, ${progress.linesRead} lines`;
      }
      await new Promise((resolve) => setTimeout(resolve, 250));
    }
  })();
  try {
    const answer = await api('/api/import', { method: 'POST', form: importForm() });
    $('progress-bar').value = 100;
    $('progress-text').textContent = 'done';
    if (answer.failure) throw new Error(answer.failure);
    replace('import-result', el('div', { class: 'ok', id: 'import-line' }, answer.line), notes(answer.notes),
      notes(answer.messages),
      el('p', {}, el('a', { href: `#runs/${answer.runId}`, id: 'open-run' }, `Open run ${answer.runId}`)));
  } finally {
    done = true;
    await watch;
    $('import-button').disabled = false;
  }
}

function setUpImport() {
  $('file').addEventListener('change', () => $('file').files[0] && guarded(() => upload($('file').files[0])));
  const drop = $('drop');
  drop.addEventListener('dragover', (event) => { event.preventDefault(); drop.classList.add('over'); });
  drop.addEventListener('dragleave', () => drop.classList.remove('over'));
  drop.addEventListener('drop', (event) => {
    event.preventDefault();
    drop.classList.remove('over');
    if (event.dataTransfer.files[0]) guarded(() => upload(event.dataTransfer.files[0]));
  });
  $('preview-button').addEventListener('click', () => guarded(preview));
  $('import-button').addEventListener('click', () => guarded(runImport));
}

// ---- Runs ----

async function showRuns() {
  const answer = await api('/api/runs');
  const runs = answer.runs.slice().reverse();
  if (!runs.length) return replace('runs', el('p', { class: 'muted' }, 'No imports yet.'));
  replace('runs', el('div', { class: 'scroll' }, el('table', { id: 'runs-table' },
    el('thead', {}, el('tr', {}, ['run', 'account', 'result', 'started', 'stored', 'symbols', 'skipped', 'format', 'file', '']
      .map((name) => el('th', {}, name)))),
    el('tbody', {}, runs.map((run) => el('tr', { class: run.undone ? 'undone' : '', 'data-run': run.id },
      el('td', { class: 'number' }, run.id), el('td', {}, run.account),
      el('td', {}, run.result + (run.undone ? ` ${run.undone}` : '')), el('td', {}, run.started),
      el('td', { class: 'number' }, run.stored), el('td', { class: 'number' }, run.symbols),
      el('td', { class: 'number' }, run.skipped), el('td', {}, run.format), el('td', {}, run.file),
      el('td', {}, el('a', { href: `#runs/${run.id}` }, 'open'))))))));
}

async function showRun(id) {
  const [rows, log] = await Promise.all([api(`/api/runs/${id}/rows`),
    api(`/api/runs/${id}/log`, { keepFailure: true })]);
  const runs = (await api('/api/runs')).runs;
  const run = runs.find((r) => String(r.id) === String(id));
  const canUndo = run && !run.undone && run.result === 'imported';
  replace('run-detail',
    el('h3', {}, `Run ${id}${run ? `: ${run.file}` : ''}`),
    canUndo ? el('button', { class: 'danger', id: 'undo', onclick: () => askUndo(id, rows.rows.length) }, `Undo run ${id}`) : null,
    el('div', { id: 'undo-area' }),
    el('h3', {}, `Rows stored (${rows.rows.length}${rows.more ? '+' : ''})`),
    rows.rows.length ? table(rows.columns, rows.rows, kTradeColumns) : el('p', { class: 'muted' }, 'None (any more).'),
    el('h3', {}, 'Run log'),
    el('pre', { id: 'run-log' }, log.error ? log.error : log.text));
}

function askUndo(id, count) {
  replace('undo-area', el('div', { class: 'confirm' },
    `Undo run ${id}: remove the ${count} transactions it stored and the symbols only it added? `,
    el('button', { class: 'danger', id: 'undo-confirm', onclick: () => guarded(() => undo(id)) }, 'Yes, undo'), ' ',
    el('button', { onclick: () => replace('undo-area') }, 'Cancel')));
}

async function undo(id) {
  const answer = await api(`/api/runs/${id}/undo`, { method: 'POST', keepFailure: true });
  if (!answer.undone) {
    replace('undo-area', el('div', { class: 'error', id: 'undo-refused' }, answer.error,
      answer.blockers.length ? el('ul', {}, answer.blockers.map((b) => el('li', {}, b))) : null));
    return;
  }
  await showRuns();
  await showRun(id);
  replace('undo-area', el('div', { class: 'ok', id: 'undo-line' }, answer.line));
}

// ---- Transactions ----

function filterParams() {
  const params = new URLSearchParams();
  for (const [name, value] of new FormData($('filters'))) if (value) params.set(name, value);
  return params;
}

async function showTransactions(after) {
  const params = filterParams();
  if (after) params.set('after', after);
  const answer = await api(`/api/transactions?${params}`);
  if (answer.total !== undefined) state.total = answer.total;
  const rows = answer.rows;
  state.nextCursor = answer.more && rows.length ? rows[rows.length - 1][answer.columns.indexOf('trans_id')] : 0;
  $('next').disabled = !state.nextCursor;
  $('prev').disabled = state.cursors.length === 0;
  const first = state.cursors.length * Number(params.get('limit') || 50);
  $('page-info').textContent = rows.length
    ? `rows ${first + 1} to ${first + rows.length} of ${state.total}` : 'no rows';
  replace('transactions', table(answer.columns, rows, kTradeColumns));
  const exportParams = filterParams();
  exportParams.delete('limit');
  $('export').href = `/api/transactions.csv?${exportParams}`;
}

function setUpTransactions() {
  const sorts = { trans_dttrade: 'trade date', trans_dtsettle: 'settlement date', trans_id: 'id',
    acct_id: 'account', sym_name: 'symbol', trans_action: 'action', trans_total: 'total' };
  replace('sort', Object.entries(sorts).map(([value, label]) => el('option', { value }, label)));
  $('filters').addEventListener('submit', (event) => {
    event.preventDefault();
    state.cursors = [];
    guarded(() => showTransactions(0));
  });
  $('next').addEventListener('click', () => {
    state.cursors.push(state.currentAfter || 0);
    state.currentAfter = state.nextCursor;
    guarded(() => showTransactions(state.currentAfter));
  });
  $('prev').addEventListener('click', () => {
    state.currentAfter = state.cursors.pop() || 0;
    guarded(() => showTransactions(state.currentAfter));
  });
}

async function loadActions() {
  const answer = await api('/api/actions');
  const chosen = $('action-filter').value;
  replace('action-filter', el('option', { value: '' }, 'any'),
    answer.actions.map((a) => el('option', { value: a.value, selected: a.value === chosen }, a.name)));
}

// ---- Symbols ----

async function showSymbols() {
  const prefix = new FormData($('symbol-filter')).get('prefix') || '';
  const answer = await api(`/api/symbols?prefix=${encodeURIComponent(prefix)}&offset=${state.symbolOffset}`);
  $('symbols-prev').disabled = state.symbolOffset === 0;
  $('symbols-next').disabled = !answer.more;
  replace('symbols', answer.rows.length ? table(answer.columns, answer.rows,
    ['sym_name', 'sym_type', 'sym_desc', 'sym_under', 'sym_strike', 'sym_exp_date', 'sym_cur_price', 'exch_name', 'sym_verified'])
    : el('p', { class: 'muted' }, 'No symbols.'));
}

async function symbolUpdate(apply) {
  const url = $('secmaster-url').value.trim();
  const answer = await api(apply ? '/api/symbols/update' : '/api/symbols/preview',
    { method: 'POST', form: { url }, keepFailure: true });
  const messages = notes(answer.messages);
  if (answer.error) return replace('symbol-result', el('div', { class: 'error' }, answer.error), messages);
  replace('symbol-result', el('div', { class: 'ok', id: 'symbol-line' }, answer.line), messages,
    answer.changes ? el('pre', { id: 'symbol-changes' }, answer.changes.join('\n') || '(no changes)') : null);
  if (apply) await showSymbols();
}

function setUpSymbols() {
  $('symbol-filter').addEventListener('submit', (event) => {
    event.preventDefault();
    state.symbolOffset = 0;
    guarded(showSymbols);
  });
  $('symbols-next').addEventListener('click', () => { state.symbolOffset += 50; guarded(showSymbols); });
  $('symbols-prev').addEventListener('click', () => {
    state.symbolOffset = Math.max(0, state.symbolOffset - 50);
    guarded(showSymbols);
  });
  $('symbol-preview').addEventListener('click', () => guarded(() => symbolUpdate(false)));
  $('symbol-apply').addEventListener('click', () => {
    replace('symbol-result', el('div', { class: 'confirm' }, 'Apply the update to the ledger? ',
      el('button', { class: 'danger', onclick: () => guarded(() => symbolUpdate(true)) }, 'Yes, apply'), ' ',
      el('button', { onclick: () => replace('symbol-result') }, 'Cancel')));
  });
}

// ---- Charts ----

async function showCharts() {
  const runs = (await api('/api/runs')).runs;
  replace('runs-chart', Charts.runsPerTime(runs));
}

async function drawSymbol() {
  const symbol = $('chart-symbol').value.trim();
  if (!symbol) return;
  const answer = await api(`/api/transactions?symbol=${encodeURIComponent(symbol)}&limit=5000`);
  replace('symbol-chart', Charts.symbolTimeline(symbol, answer.columns, answer.rows));
}

// ---- Pages ----

async function route() {
  const [page, detail] = (location.hash.slice(1) || 'import').split('/');
  for (const section of document.querySelectorAll('.page')) section.hidden = section.id !== `page-${page}`;
  for (const link of document.querySelectorAll('nav a')) link.classList.toggle('current', link.id === `nav-${page}`);
  showError('');
  await guarded(async () => {
    if (page === 'runs') {
      await showRuns();
      if (detail) await showRun(detail);
      else replace('run-detail');
    } else if (page === 'transactions') {
      await loadActions();
      state.cursors = [];
      state.currentAfter = 0;
      await showTransactions(0);
    } else if (page === 'symbols') {
      await showSymbols();
    } else if (page === 'charts') {
      await showCharts();
    }
  });
  document.body.dataset.page = page;
  document.body.dataset.ready = String(Date.now());
}

async function start() {
  setUpImport();
  setUpTransactions();
  setUpSymbols();
  $('symbol-chart-form').addEventListener('submit', (event) => { event.preventDefault(); guarded(drawSymbol); });
  await guarded(async () => {
    const session = await api('/api/session');
    state.csrf = session.csrf;
    $('database').textContent = session.database;
  });
  window.addEventListener('hashchange', route);
  await route();
}

start();
