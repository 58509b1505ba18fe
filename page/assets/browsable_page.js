// The browsable page's script: reads the scan's data blocks lazily and shows
// a folder tree, the listing of the chosen folder (only the rows on screen
// are in the document), search, sorting, a size chart and exports.
//
// Every name reaches the document through textContent: names are data, never
// markup. A byte that is not valid UTF-8 is kept as the lone surrogate
// U+DC80-U+DCFF (as the JSON listing writes it) and shown as U+FFFD.
'use strict';

(function () {
  const ROW_HEIGHT = 24;
  const byId = (id) => document.getElementById(id);
  const blockText = (id) => {
    const block = byId(id);
    return block ? block.textContent : '';
  };

  // ---- Data ---------------------------------------------------------------

  const head = JSON.parse(blockText('tf-head'));
  // The detail columns: their listing names (the exports' keys), their
  // headings, and which hold numbers.
  const columnNames = head.columns;
  const columnTitles = head.titles;
  const isNumberColumn = columnNames.map((name, c) => head.numbers.includes(c));

  // "\XX" is one byte: below 0x80 the character itself, above it a byte that
  // is not part of valid UTF-8.
  function decodeText(text) {
    if (text.indexOf('\\') < 0) return text;
    return text.replace(/\\([0-9A-F]{2})/g, (whole, hex) => {
      const byte = parseInt(hex, 16);
      return String.fromCharCode(byte < 0x80 ? byte : 0xdc00 + byte);
    });
  }

  const LONE_BYTE = /(?<![\ud800-\udbff])[\udc80-\udcff]/g;
  const hasLoneByte = (text) => /(?<![\ud800-\udbff])[\udc80-\udcff]/.test(text);
  // Control characters show as their visible pictures (a line break in a
  // name as U+240A), so every name stays on its row.
  const CONTROL = /[\u0000-\u001f]/g;
  const readable = (text) => text.replace(LONE_BYTE, '\ufffd');
  const shownText = (text) =>
    text.replace(LONE_BYTE, '\ufffd').replace(CONTROL, (c) => String.fromCharCode(0x2400 + c.charCodeAt(0)));

  // Folders, in pre-order: the files of a folder's whole subtree are the run
  // fileStart[f] .. fileStart[subtreeEnd[f]].
  const folders = (function readFolders() {
    const lines = blockText('tf-folders').split('\n');
    if (lines.length && lines[lines.length - 1] === '') lines.pop();
    const count = lines.length;
    const depth = new Int32Array(count);
    const parent = new Int32Array(count);
    const fileStart = new Float64Array(count + 1);
    const subtreeEnd = new Int32Array(count);
    const name = new Array(count);
    const children = new Array(count);
    const roots = [];
    const stack = [];
    for (let f = 0; f < count; ++f) {
      const line = lines[f];
      const tab1 = line.indexOf('\t');
      const tab2 = line.indexOf('\t', tab1 + 1);
      depth[f] = parseInt(line.slice(0, tab1), 36);
      fileStart[f + 1] = fileStart[f] + parseInt(line.slice(tab1 + 1, tab2), 36);
      name[f] = decodeText(line.slice(tab2 + 1));
      children[f] = [];
      while (stack.length > depth[f]) subtreeEnd[stack.pop()] = f;
      if (depth[f] === 0) {
        parent[f] = -1;
        roots.push(f);
      } else {
        parent[f] = stack[stack.length - 1];
        children[parent[f]].push(f);
      }
      stack.push(f);
    }
    while (stack.length) subtreeEnd[stack.pop()] = count;
    return { count, depth, parent, fileStart, subtreeEnd, name, children, roots };
  })();

  const fileCount = folders.fileStart[folders.count];

  // Numbers in base 36 separated by commas, read into one array when first
  // needed.
  function readNumbers(id, base) {
    const text = blockText(id);
    const values = new Float64Array(fileCount);
    let at = 0;
    let value = 0;
    for (let i = 0; i < text.length; ++i) {
      const c = text.charCodeAt(i);
      if (c === 44) {
        values[at++] = value + base;
        value = 0;
      } else {
        value = value * 36 + (c <= 57 ? c - 48 : c - 87);
      }
    }
    return values;
  }

  const lazy = (make) => {
    let value;
    return () => (value === undefined ? (value = make()) : value);
  };
  const sizes = lazy(() => readNumbers('tf-sizes', 0));
  const times = lazy(() => readNumbers('tf-times', head.timeBase));

  // Where each file's line of a text with one value a line starts, and where
  // the last one ends.
  function lineStarts(text) {
    const starts = new Float64Array(fileCount + 1);
    let at = 0;
    for (let i = 0; i < fileCount; ++i) {
      starts[i] = at;
      at = text.indexOf('\n', at) + 1;
    }
    starts[fileCount] = at;
    return starts;
  }

  // A text with one value a line: the lines are found once, each value is
  // cut out and decoded when it is shown.
  function lineColumn(id) {
    const text = blockText(id);
    const starts = lineStarts(text);
    return {
      text,
      starts,
      value: (i) => decodeText(text.slice(starts[i], starts[i + 1] - 1)),
    };
  }
  const names = lazy(() => lineColumn('tf-names'));
  const detailColumns = columnNames.map((column, c) => lazy(() => lineColumn('tf-column-' + c)));
  const nameOf = (i) => names().value(i);

  // Totals of each folder with everything below it.
  const totals = lazy(() => {
    const bytes = new Float64Array(folders.count);
    const own = sizes();
    for (let f = 0; f < folders.count; ++f) {
      let sum = 0;
      for (let i = folders.fileStart[f]; i < folders.fileStart[f + 1]; ++i) sum += own[i];
      bytes[f] = sum;
    }
    for (let f = folders.count - 1; f >= 0; --f) {
      if (folders.parent[f] >= 0) bytes[folders.parent[f]] += bytes[f];
    }
    return bytes;
  });
  const subtreeFiles = (f) => folders.fileStart[folders.subtreeEnd[f]] - folders.fileStart[f];
  const subtreeFolders = (f) => folders.subtreeEnd[f] - f - 1;

  function folderOfFile(i) {
    let low = 0;
    let high = folders.count - 1;
    while (low < high) {
      const mid = (low + high + 1) >> 1;
      if (folders.fileStart[mid] <= i) low = mid;
      else high = mid - 1;
    }
    while (low < folders.count - 1 && folders.fileStart[low + 1] <= i) ++low;
    return low;
  }

  function joinPath(folderPath, name) {
    return folderPath.endsWith('/') ? folderPath + name : folderPath + '/' + name;
  }
  const pathCache = new Map();
  function pathOf(f) {
    let path = pathCache.get(f);
    if (path === undefined) {
      const up = folders.parent[f];
      path = up < 0 ? folders.name[f] : joinPath(pathOf(up), folders.name[f]);
      pathCache.set(f, path);
    }
    return path;
  }

  // ---- Formats ------------------------------------------------------------

  const numberFormat = new Intl.NumberFormat();
  const two = (n) => String(n).padStart(2, '0');
  const shortNumber = new Intl.NumberFormat(undefined, { maximumFractionDigits: 1 });
  const dateFormat = new Intl.DateTimeFormat(undefined, { dateStyle: 'short', timeStyle: 'medium' });
  const collator = new Intl.Collator(undefined, { numeric: true, sensitivity: 'base' });
  const UNITS = ['bytes', 'KB', 'MB', 'GB', 'TB', 'PB'];

  function humanSize(bytes) {
    let unit = 0;
    let value = bytes;
    while (value >= 1024 && unit < UNITS.length - 1) {
      value /= 1024;
      ++unit;
    }
    return (unit === 0 ? numberFormat.format(value) : shortNumber.format(value)) + ' ' + UNITS[unit];
  }
  const formatDate = (seconds) => dateFormat.format(new Date(seconds * 1000));

  // The detail columns' machine values in the reader's terms. A number
  // column's value is digits with at most one point; blank when the file
  // has none.
  const kilohertz = new Intl.NumberFormat(undefined, { maximumFractionDigits: 3 });
  function clockText(seconds) {
    const whole = Math.floor(seconds);
    return Math.floor(whole / 3600) + ':' + two(Math.floor(whole / 60) % 60) + ':' + two(whole % 60);
  }
  // A time taken is the clock time where it was taken: it is shown as that,
  // with its offset when the file gives one, never moved to the reader's zone.
  const takenFormat = new Intl.DateTimeFormat(undefined, { dateStyle: 'short', timeStyle: 'medium', timeZone: 'UTC' });
  const TAKEN = /^(\d{4})-(\d\d)-(\d\d)T(\d\d):(\d\d):(\d\d)([+-]\d\d:\d\d|Z)?$/;
  function takenText(iso) {
    const parts = TAKEN.exec(iso);
    if (!parts) return shownText(iso);
    const [year, month, day, hours, minutes, seconds] = parts.slice(1, 7).map(Number);
    const clock = new Date(Date.UTC(year, month - 1, day, hours, minutes, seconds));
    if (year < 100) clock.setUTCFullYear(year);
    const offset = parts[7] === undefined ? '' : parts[7] === 'Z' || parts[7] === '+00:00' ? ' UTC' : ' UTC' + parts[7];
    return takenFormat.format(clock) + offset;
  }
  const detailFormats = {
    duration: (value) => clockText(Number(value)),
    bitrate: (value) => numberFormat.format(Number(value)) + ' kbps',
    sample_rate: (value) => kilohertz.format(Number(value) / 1000) + ' kHz',
    taken: takenText,
  };
  const plainNumber = (value) => numberFormat.format(Number(value));
  const detailText = columnNames.map((name, c) => detailFormats[name] || (isNumberColumn[c] ? plainNumber : shownText));
  const shownDetail = (c, value) => (value === '' ? '' : detailText[c](value));
  const plural = (count, one, many) => numberFormat.format(count) + ' ' + (count === 1 ? one : many);

  // ---- Elements -----------------------------------------------------------

  function make(tag, className, text) {
    const element = document.createElement(tag);
    if (className) element.className = className;
    if (text !== undefined) element.textContent = text;
    return element;
  }

  function buildFrame() {
    const top = make('header', 'top');
    const title = make('h1', '', head.program + ' ' + head.version);
    top.append(title);
    const facts = make('p', 'facts');
    facts.id = 'facts';
    top.append(facts);
    const tools = make('div', 'tools');
    const search = make('input');
    search.id = 'search';
    search.type = 'search';
    search.placeholder = 'Search names (* and ? match any text and any character)';
    search.setAttribute('aria-label', 'Search');
    const where = make('select');
    where.id = 'search-where';
    where.setAttribute('aria-label', 'Search in');
    for (const [value, text] of [['all', 'whole listing'], ['below', 'below this folder']]) {
      const option = make('option', '', text);
      option.value = value;
      where.append(option);
    }
    const what = make('select');
    what.id = 'search-what';
    what.setAttribute('aria-label', 'Match against');
    for (const [value, text] of [['name', 'names'], ['path', 'whole paths']]) {
      const option = make('option', '', text);
      option.value = value;
      what.append(option);
    }
    const csv = make('button', '', 'Export CSV');
    csv.id = 'export-csv';
    const json = make('button', '', 'Export JSON');
    json.id = 'export-json';
    tools.append(search, what, where, csv, json);
    top.append(tools);

    const main = make('main', 'panes');
    const tree = make('div', 'tree');
    tree.id = 'tree';
    tree.tabIndex = 0;
    tree.setAttribute('role', 'tree');
    tree.setAttribute('aria-label', 'Folders');
    const right = make('section', 'listing');
    const crumbs = make('nav', 'crumbs');
    crumbs.id = 'crumbs';
    crumbs.setAttribute('aria-label', 'Path');
    const status = make('p', 'status');
    status.id = 'status';
    const chart = make('div', 'chart');
    chart.id = 'chart';
    const columnsRow = make('div', 'row heading');
    columnsRow.id = 'heading';
    const rows = make('div', 'rows');
    rows.id = 'rows';
    rows.tabIndex = 0;
    const spacer = make('div', 'spacer');
    spacer.id = 'spacer';
    rows.append(spacer);
    right.append(crumbs, status, chart, columnsRow, rows);
    main.append(tree, right);
    document.body.append(top, main);
  }

  // ---- State --------------------------------------------------------------

  const state = {
    folder: folders.roots.length ? folders.roots[0] : -1,
    expanded: new Set(folders.roots),
    cursor: folders.roots.length ? folders.roots[0] : -1,
    sort: { column: 'name', ascending: true },
    rows: [], // { folder: f } or { file: i }
    search: null, // { query, hits, matcher } while a search is shown
    selectedFile: -1,
  };

  // ---- Tree ---------------------------------------------------------------

  function sortedChildren(f) {
    const list = folders.children[f];
    if (!list.sorted) {
      list.sort((a, b) => collator.compare(folders.name[a], folders.name[b]));
      list.sorted = true;
    }
    return list;
  }

  function visibleTree() {
    const shown = [];
    const visit = (f) => {
      shown.push(f);
      if (state.expanded.has(f)) for (const c of sortedChildren(f)) visit(c);
    };
    for (const root of folders.roots) visit(root);
    return shown;
  }

  function renderTree() {
    const tree = byId('tree');
    const items = [];
    for (const f of visibleTree()) {
      const item = make('div', 'node');
      item.id = 'node-' + f;
      item.dataset.folder = f;
      item.setAttribute('role', 'treeitem');
      item.setAttribute('aria-level', folders.depth[f] + 1);
      item.style.paddingLeft = folders.depth[f] * 14 + 4 + 'px';
      const hasChildren = folders.children[f].length > 0;
      if (hasChildren) item.setAttribute('aria-expanded', state.expanded.has(f) ? 'true' : 'false');
      const toggle = make('span', 'toggle', hasChildren ? (state.expanded.has(f) ? '\u25be' : '\u25b8') : '');
      const label = make('span', 'label', shownText(folders.name[f]));
      item.append(toggle, label);
      if (f === state.folder) item.classList.add('current');
      if (f === state.cursor) item.classList.add('cursor');
      items.push(item);
    }
    tree.replaceChildren(...items);
    if (state.cursor >= 0) tree.setAttribute('aria-activedescendant', 'node-' + state.cursor);
    const cursorItem = byId('node-' + state.cursor);
    if (cursorItem) cursorItem.scrollIntoView({ block: 'nearest' });
  }

  function expandTo(f) {
    for (let up = folders.parent[f]; up >= 0; up = folders.parent[up]) state.expanded.add(up);
  }

  function onTreeClick(event) {
    const item = event.target.closest('.node');
    if (!item) return;
    const f = Number(item.dataset.folder);
    if (event.target.classList.contains('toggle')) {
      toggleFolder(f);
      state.cursor = f;
      renderTree();
      return;
    }
    state.cursor = f;
    openFolder(f);
  }

  function toggleFolder(f) {
    if (state.expanded.has(f)) state.expanded.delete(f);
    else state.expanded.add(f);
  }

  function onTreeKey(event) {
    const shown = visibleTree();
    const at = Math.max(0, shown.indexOf(state.cursor));
    const f = shown[at];
    switch (event.key) {
      case 'ArrowDown':
        state.cursor = shown[Math.min(shown.length - 1, at + 1)];
        break;
      case 'ArrowUp':
        state.cursor = shown[Math.max(0, at - 1)];
        break;
      case 'Home':
        state.cursor = shown[0];
        break;
      case 'End':
        state.cursor = shown[shown.length - 1];
        break;
      case 'ArrowRight':
        if (folders.children[f].length && !state.expanded.has(f)) state.expanded.add(f);
        else if (folders.children[f].length) state.cursor = sortedChildren(f)[0];
        break;
      case 'ArrowLeft':
        if (state.expanded.has(f) && folders.children[f].length) state.expanded.delete(f);
        else if (folders.parent[f] >= 0) state.cursor = folders.parent[f];
        break;
      case 'Enter':
        openFolder(f);
        return;
      default:
        return;
    }
    event.preventDefault();
    renderTree();
  }

  // ---- Path in the URL ----------------------------------------------------

  // The path's bytes percent-encoded: a byte that is not UTF-8 as itself.
  function encodePath(path) {
    let out = '';
    for (const character of path) {
      const code = character.charCodeAt(0);
      if (character.length === 1 && code >= 0xdc80 && code <= 0xdcff) {
        out += '%' + (code - 0xdc00).toString(16).toUpperCase();
      } else if (character === '/') {
        out += '/';
      } else {
        out += encodeURIComponent(character);
      }
    }
    return out;
  }

  function percentBytes(text) {
    const bytes = [];
    for (let i = 0; i < text.length; ++i) {
      if (text[i] === '%' && /^[0-9A-Fa-f]{2}$/.test(text.slice(i + 1, i + 3))) {
        bytes.push(parseInt(text.slice(i + 1, i + 3), 16));
        i += 2;
      } else {
        for (const b of new TextEncoder().encode(text[i])) bytes.push(b);
      }
    }
    return bytes;
  }

  // UTF-8 to text, each byte of an invalid sequence as its lone surrogate.
  function decodeBytes(bytes) {
    let out = '';
    for (let i = 0; i < bytes.length; ) {
      const b = bytes[i];
      const need = b < 0x80 ? 0 : b >= 0xc2 && b < 0xe0 ? 1 : b >= 0xe0 && b < 0xf0 ? 2 : b >= 0xf0 && b < 0xf5 ? 3 : -1;
      let ok = need >= 0 && i + need < bytes.length;
      for (let k = 1; ok && k <= need; ++k) ok = (bytes[i + k] & 0xc0) === 0x80;
      if (ok && need > 0) {
        let code = b & (0x3f >> need);
        for (let k = 1; k <= need; ++k) code = (code << 6) | (bytes[i + k] & 0x3f);
        const least = [0, 0x80, 0x800, 0x10000][need];
        ok = code >= least && code <= 0x10ffff && !(code >= 0xd800 && code <= 0xdfff);
        if (ok) {
          out += String.fromCodePoint(code);
          i += need + 1;
          continue;
        }
      }
      out += b < 0x80 ? String.fromCharCode(b) : String.fromCharCode(0xdc00 + b);
      ++i;
    }
    return out;
  }

  function childNamed(f, name) {
    const list = folders.children[f];
    if (!list.byName) {
      list.byName = new Map();
      for (const c of list) list.byName.set(folders.name[c], c);
    }
    const found = list.byName.get(name);
    return found === undefined ? -1 : found;
  }

  function folderOfPath(path) {
    for (const root of folders.roots) {
      const rootPath = folders.name[root];
      if (path === rootPath) return root;
      const prefix = rootPath.endsWith('/') ? rootPath : rootPath + '/';
      if (!path.startsWith(prefix)) continue;
      let f = root;
      for (const part of path.slice(prefix.length).split('/')) {
        if (part === '') continue;
        f = childNamed(f, part);
        if (f < 0) break;
      }
      if (f >= 0) return f;
    }
    return -1;
  }

  function folderOfHash() {
    const hash = location.hash.slice(1);
    if (!hash) return -1;
    return folderOfPath(decodeBytes(percentBytes(hash)));
  }

  // ---- Listing ------------------------------------------------------------

  function columnsShown() {
    const columns = [
      { key: 'name', title: 'Name' },
      { key: 'size', title: 'Size' },
      { key: 'modified', title: 'Modified' },
    ];
    if (!state.search) columns.push({ key: 'items', title: 'Contents' });
    if (state.search) columns.push({ key: 'folder', title: 'Folder' });
    columnTitles.forEach((title, c) => columns.push({ key: 'c' + c, title, column: c }));
    return columns;
  }

  function sortValue(row, key) {
    if (key === 'name') return row.file !== undefined ? nameOf(row.file) : folders.name[row.folder];
    if (key === 'size') return row.file !== undefined ? sizes()[row.file] : totals()[row.folder];
    if (key === 'modified') return row.file !== undefined ? times()[row.file] : 0;
    if (key === 'items') return row.file !== undefined ? 0 : subtreeFiles(row.folder);
    if (key === 'folder') return pathOf(row.file !== undefined ? folderOfFile(row.file) : row.folder);
    const c = Number(key.slice(1));
    const value = row.file !== undefined ? detailColumns[c]().value(row.file) : '';
    if (!isNumberColumn[c]) return value;
    return value === '' ? NaN : Number(value);
  }

  // Numbers in order, a file without one after every file with one, in
  // either direction.
  function numberOrder(a, b, sign) {
    if (Number.isNaN(a) || Number.isNaN(b)) return Number.isNaN(a) - Number.isNaN(b);
    return (a - b) * sign;
  }

  function sortRows(rows) {
    const { column, ascending } = state.sort;
    const sign = ascending ? 1 : -1;
    const keyed = rows.map((row) => ({ row, key: sortValue(row, column) }));
    const isText = keyed.length && typeof keyed[0].key === 'string';
    keyed.sort((a, b) => {
      const kindA = a.row.file !== undefined ? 1 : 0;
      const kindB = b.row.file !== undefined ? 1 : 0;
      if (kindA !== kindB) return kindA - kindB;
      return isText ? collator.compare(a.key, b.key) * sign : numberOrder(a.key, b.key, sign);
    });
    return keyed.map((item) => item.row);
  }

  function folderRows(f) {
    const rows = sortedChildren(f).map((c) => ({ folder: c }));
    for (let i = folders.fileStart[f]; i < folders.fileStart[f + 1]; ++i) rows.push({ file: i });
    return rows;
  }

  function renderHeading() {
    const heading = byId('heading');
    const cells = [];
    for (const column of columnsShown()) {
      const cell = make('button', 'cell col-' + column.key, column.title);
      cell.dataset.key = column.key;
      if (column.column !== undefined && isNumberColumn[column.column]) cell.classList.add('col-number');
      if (state.sort.column === column.key) {
        cell.classList.add('sorted');
        cell.setAttribute('aria-sort', state.sort.ascending ? 'ascending' : 'descending');
        cell.append(make('span', 'arrow', state.sort.ascending ? ' \u25b2' : ' \u25bc'));
      }
      cells.push(cell);
    }
    heading.replaceChildren(...cells);
    // The narrowest each column may be, in em, and its share of the room
    // left; detail columns by their listing names.
    const widths = {
      name: [12, 3],
      size: [8, 1],
      modified: [13, 1],
      items: [17, 1.2],
      folder: [10, 2],
      sha256: [36, 2],
      taken: [16, 1.2],
      camera: [10, 1.2],
      codec: [9, 1],
      title: [10, 1.5],
      artist: [10, 1.5],
      album: [10, 1.5],
      comment: [10, 1.5],
    };
    const sizes = columnsShown().map(
      (column) => widths[column.column !== undefined ? columnNames[column.column] : column.key] || [7, 1],
    );
    const template = sizes.map(([least, share]) => 'minmax(' + least + 'em, ' + share + 'fr)').join(' ');
    // A row of many columns is wider than the listing: the rows scroll
    // sideways and the heading follows them.
    const least = sizes.reduce((sum, [columnLeast]) => sum + columnLeast + 1, 0) + 'em';
    heading.style.gridTemplateColumns = template;
    // The heading keeps room for the rows' scroll bar on its right.
    heading.style.minWidth = 'calc(' + least + ' + 14px)';
    byId('rows').style.setProperty('--columns', template);
    byId('rows').style.setProperty('--row-least', least);
  }

  function nameCell(row) {
    const cell = make('span', 'cell col-name');
    if (row.folder !== undefined) {
      cell.append(make('span', 'icon'), make('span', 'text', shownText(folders.name[row.folder])));
      return cell;
    }
    const name = shownText(nameOf(row.file));
    const hit = state.search ? state.search.highlight(name) : null;
    if (hit) {
      cell.append(
        make('span', 'text', name.slice(0, hit[0])),
        make('mark', '', name.slice(hit[0], hit[1])),
        make('span', 'text', name.slice(hit[1])),
      );
    } else {
      cell.append(make('span', 'text', name));
    }
    return cell;
  }

  function sizeCell(row, parentBytes) {
    const bytes = row.file !== undefined ? sizes()[row.file] : totals()[row.folder];
    const cell = make('span', 'cell col-size');
    if (!state.search) {
      const bar = make('span', 'bar');
      bar.style.width = (parentBytes > 0 ? (100 * bytes) / parentBytes : 0).toFixed(1) + '%';
      cell.append(bar);
    }
    cell.append(make('span', 'number', numberFormat.format(bytes)));
    cell.title = humanSize(bytes);
    return cell;
  }

  function rowElement(row, index, parentBytes) {
    const element = make('div', 'row' + (row.folder !== undefined ? ' folder' : ''));
    element.style.top = index * ROW_HEIGHT + 'px';
    element.dataset.index = index;
    if (row.file !== undefined && row.file === state.selectedFile) element.classList.add('selected');
    for (const column of columnsShown()) {
      if (column.key === 'name') element.append(nameCell(row));
      else if (column.key === 'size') element.append(sizeCell(row, parentBytes));
      else if (column.key === 'modified') element.append(make('span', 'cell col-modified', row.file !== undefined ? formatDate(times()[row.file]) : ''));
      else if (column.key === 'items') {
        const text = row.folder !== undefined ? plural(subtreeFiles(row.folder), 'file', 'files') + ', ' + plural(subtreeFolders(row.folder), 'folder', 'folders') : '';
        element.append(make('span', 'cell col-items', text));
      } else if (column.key === 'folder') {
        element.append(make('span', 'cell col-folder', shownText(pathOf(folderOfFile(row.file)))));
      } else {
        const c = column.column;
        const value = row.file !== undefined ? shownDetail(c, detailColumns[c]().value(row.file)) : '';
        element.append(make('span', isNumberColumn[c] ? 'cell col-detail col-number' : 'cell col-detail', value));
      }
    }
    return element;
  }

  // A print takes the rows of the listing shown, up to a bound that keeps a
  // print of a huge folder from building a document of every row.
  const PRINTED_ROWS = 20000;
  let printing = false;
  function renderRows() {
    const rows = byId('rows');
    const spacer = byId('spacer');
    spacer.style.height = state.rows.length * ROW_HEIGHT + 'px';
    const first = printing ? 0 : Math.max(0, Math.floor(rows.scrollTop / ROW_HEIGHT) - 10);
    const last = printing ? Math.min(state.rows.length, PRINTED_ROWS) : Math.min(state.rows.length, first + Math.ceil((rows.clientHeight || 800) / ROW_HEIGHT) + 20);
    const parentBytes = state.search ? 0 : totals()[state.folder];
    const shown = [spacer];
    for (let index = first; index < last; ++index) shown.push(rowElement(state.rows[index], index, parentBytes));
    rows.replaceChildren(...shown);
  }

  function renderCrumbs() {
    const crumbs = byId('crumbs');
    const chain = [];
    for (let f = state.folder; f >= 0; f = folders.parent[f]) chain.unshift(f);
    const parts = [];
    chain.forEach((f, at) => {
      if (at > 0) parts.push(make('span', 'separator', ' / '));
      const link = make('button', 'crumb', shownText(folders.name[f]));
      link.dataset.folder = f;
      parts.push(link);
    });
    crumbs.replaceChildren(...parts);
  }

  function renderStatus() {
    const status = byId('status');
    if (state.search) {
      status.textContent = plural(state.search.hits.length, 'match', 'matches') + ' for \u201c' + state.search.query + '\u201d';
      return;
    }
    const f = state.folder;
    status.textContent =
      shownText(pathOf(f)) + ': ' + plural(subtreeFiles(f), 'file', 'files') + ', ' +
      plural(subtreeFolders(f), 'sub-folder', 'sub-folders') + ', ' + humanSize(totals()[f]) + ' in all';
  }

  // Where the space goes: the biggest sub-folders and file types of the
  // folder with everything below it, as bars.
  function renderChart() {
    const chart = byId('chart');
    if (state.search || state.folder < 0) {
      chart.replaceChildren();
      return;
    }
    const f = state.folder;
    const total = totals()[f];
    const bySub = folders.children[f].map((c) => [shownText(folders.name[c]) + '/', totals()[c]]);
    const ownBytes = totals()[f] - bySub.reduce((sum, [, b]) => sum + b, 0);
    if (ownBytes > 0) bySub.push(['(files here)', ownBytes]);
    const types = new Map();
    const own = sizes();
    const { text, starts } = names();
    const end = folders.fileStart[folders.subtreeEnd[f]];
    // The type is cut out of the names' text itself: no name is made.
    for (let i = folders.fileStart[f]; i < end; ++i) {
      const nameEnd = starts[i + 1] - 1;
      let dot = nameEnd - 1;
      while (dot > starts[i] && text.charCodeAt(dot) !== 46) --dot;
      const type = dot > starts[i] ? text.slice(dot, nameEnd).toLowerCase() : '';
      types.set(type, (types.get(type) || 0) + own[i]);
    }
    const typeEntries = [...types].map(([type, bytes]) => [type ? shownText(decodeText(type)) : '(no type)', bytes]);
    chart.replaceChildren(chartPanel('Sub-folders', bySub, total), chartPanel('File types', typeEntries, total));
  }

  // The chart reads every file below the folder: it follows once the
  // listing is on screen.
  let chartTimer = 0;
  function scheduleChart() {
    clearTimeout(chartTimer);
    byId('chart').replaceChildren();
    chartTimer = setTimeout(renderChart, 30);
  }

  function chartPanel(title, entries, total) {
    entries.sort((a, b) => b[1] - a[1]);
    const panel = make('div', 'panel');
    panel.append(make('h2', '', title));
    const top = entries.slice(0, 8);
    const rest = entries.slice(8).reduce((sum, [, b]) => sum + b, 0);
    if (rest > 0) top.push(['others', rest]);
    for (const [label, bytes] of top) {
      const line = make('div', 'chart-line');
      const bar = make('span', 'chart-bar');
      bar.style.width = (total > 0 ? (100 * bytes) / total : 0).toFixed(1) + '%';
      line.append(make('span', 'chart-label', label), make('span', 'chart-track'), make('span', 'chart-size', humanSize(bytes)));
      line.children[1].append(bar);
      panel.append(line);
    }
    return panel;
  }

  function renderListing() {
    renderHeading();
    renderCrumbs();
    renderStatus();
    renderRows();
    scheduleChart();
  }

  function openFolder(f, fileToShow, keepHash) {
    if (f < 0) return;
    state.folder = f;
    state.cursor = f;
    state.search = null;
    state.selectedFile = fileToShow === undefined ? -1 : fileToShow;
    const search = byId('search');
    if (search.value && fileToShow === undefined) search.value = '';
    expandTo(f);
    state.rows = sortRows(folderRows(f));
    byId('rows').scrollTop = 0;
    renderTree();
    renderListing();
    if (fileToShow !== undefined) {
      const at = state.rows.findIndex((row) => row.file === fileToShow);
      if (at >= 0) byId('rows').scrollTop = Math.max(0, at * ROW_HEIGHT - 3 * ROW_HEIGHT);
      renderRows();
    }
    document.title = shownText(pathOf(f)) + ' \u2013 Tallyfold listing';
    const hash = '#' + encodePath(pathOf(f));
    if (!keepHash && location.hash !== hash) history.pushState(null, '', hash);
  }

  // ---- Search -------------------------------------------------------------

  const escapeRegExp = (text) => text.replace(/[.*+?^${}()|[\]\\]/g, '\\$&');
  function globSource(glob, any) {
    let source = '';
    for (const character of glob) {
      if (character === '*') source += any + '*';
      else if (character === '?') source += any;
      else source += escapeRegExp(character);
    }
    return source;
  }

  // The names as one lower-case text, a name a line (a line break inside a
  // name is searched as a blank), and where each line starts.
  const searchText = lazy(() => {
    const raw = names().text;
    const decoded = raw.indexOf('\\') < 0 ? raw : raw.replace(/\\([0-9A-F]{2})/g, (whole, hex) => {
      const byte = parseInt(hex, 16);
      return byte < 0x20 ? ' ' : String.fromCharCode(byte < 0x80 ? byte : 0xdc00 + byte);
    });
    const text = decoded.toLowerCase();
    return { text, starts: lineStarts(text) };
  });

  // The line holding position, at or after line low: hits come in order,
  // so the search gallops forward from the last one.
  function lineAt(starts, position, low) {
    let step = 1;
    while (low + step < fileCount && starts[low + step] <= position) {
      low += step;
      step *= 2;
    }
    let high = Math.min(fileCount - 1, low + step);
    while (low < high) {
      const mid = Math.floor((low + high + 1) / 2);
      if (starts[mid] <= position) low = mid;
      else high = mid - 1;
    }
    return low;
  }

  const longestLiteral = (glob) => glob.split(/[*?]/).reduce((a, b) => (b.length > a.length ? b : a), '');

  function searchNames(query, isGlob, firstFile, endFile) {
    const { text, starts } = searchText();
    const hits = [];
    const stop = starts[endFile];
    if (!isGlob) {
      let from = starts[firstFile];
      let line = firstFile;
      for (;;) {
        const found = text.indexOf(query, from);
        if (found < 0 || found >= stop) break;
        line = lineAt(starts, found, line);
        hits.push(line);
        from = starts[line + 1];
      }
      return hits;
    }
    // A glob's longest literal piece finds the candidate names quickly; the
    // whole glob then decides on each of them.
    const literal = longestLiteral(query);
    if (literal.length >= 2) {
      const whole = new RegExp('^' + globSource(query, '.') + '$', 'su');
      let from = starts[firstFile];
      let line = firstFile;
      for (;;) {
        const found = text.indexOf(literal, from);
        if (found < 0 || found >= stop) break;
        line = lineAt(starts, found, line);
        if (whole.test(text.slice(starts[line], starts[line + 1] - 1))) hits.push(line);
        from = starts[line + 1];
      }
      return hits;
    }
    const pattern = new RegExp('^' + globSource(query, '[^\\n]') + '$', 'gmu');
    pattern.lastIndex = starts[firstFile];
    let line = firstFile;
    for (let match; (match = pattern.exec(text)) !== null; ) {
      if (match.index >= stop) break;
      line = lineAt(starts, match.index, line);
      hits.push(line);
      pattern.lastIndex = starts[line + 1];
    }
    return hits;
  }

  // Each folder's path with its final "/", in lower case.
  const lowerPrefixes = lazy(() => {
    const prefixes = new Array(folders.count);
    for (let f = 0; f < folders.count; ++f) prefixes[f] = joinPath(pathOf(f), '').toLowerCase();
    return prefixes;
  });

  // Whole paths: a file can match only where its folder's path or its name
  // holds the query's longest piece without "*", "?" and "/" (such a piece
  // cannot span both), so only those are tested.
  function searchPaths(query, isGlob, firstFolder, endFolder) {
    const pattern = isGlob ? new RegExp('(?:^|/)' + globSource(query, '[^]') + '$') : null;
    const test = isGlob ? (text) => pattern.test(text) : (text) => text.includes(query);
    const literal = query.split(/[*?/]/).reduce((a, b) => (b.length > a.length ? b : a), '');
    const narrowed = literal.length > 0;
    const nameHits = narrowed ? searchNames(literal, false, folders.fileStart[firstFolder], folders.fileStart[endFolder]) : null;
    const { text, starts } = searchText();
    const lowerName = (i) => text.slice(starts[i], starts[i + 1] - 1);
    const hits = [];
    let next = 0;
    for (let f = firstFolder; f < endFolder; ++f) {
      const prefix = lowerPrefixes()[f];
      const end = folders.fileStart[f + 1];
      if (!narrowed || prefix.includes(literal)) {
        const all = !isGlob && prefix.includes(query);
        for (let i = folders.fileStart[f]; i < end; ++i) if (all || test(prefix + lowerName(i))) hits.push(i);
        while (narrowed && next < nameHits.length && nameHits[next] < end) ++next;
        continue;
      }
      for (; next < nameHits.length && nameHits[next] < end; ++next) {
        if (test(prefix + lowerName(nameHits[next]))) hits.push(nameHits[next]);
      }
    }
    return hits;
  }

  function runSearch() {
    const query = byId('search').value;
    if (!query) {
      if (state.search) openFolder(state.folder, undefined, true);
      return;
    }
    const lower = query.toLowerCase();
    const isGlob = /[*?]/.test(query);
    const below = byId('search-where').value === 'below';
    const wholePaths = byId('search-what').value === 'path';
    const firstFolder = below ? state.folder : 0;
    const endFolder = below ? folders.subtreeEnd[state.folder] : folders.count;
    const hits = wholePaths
      ? searchPaths(lower, isGlob, firstFolder, endFolder)
      : searchNames(lower, isGlob, folders.fileStart[firstFolder], folders.fileStart[endFolder]);
    state.search = {
      query,
      hits,
      highlight: (name) => {
        if (isGlob) return [0, name.length];
        const lowered = name.toLowerCase();
        if (lowered.length !== name.length) return null;
        const at = lowered.indexOf(lower);
        return at < 0 ? null : [at, at + lower.length];
      },
    };
    state.rows = hits.map((i) => ({ file: i }));
    if (state.sort.column !== 'name' || !state.sort.ascending || hits.length <= 20000) state.rows = sortRows(state.rows);
    byId('rows').scrollTop = 0;
    renderListing();
  }

  // ---- Export -------------------------------------------------------------

  // JSON text as the JSON listing writes it: a valid UTF-8 text with the
  // short escapes and \u00XX in upper case, a text with bytes that are not
  // UTF-8 with \u00xx in lower case, DEL escaped and each such byte \udcxx.
  function jsonString(text) {
    const raw = hasLoneByte(text);
    let out = '"';
    for (let i = 0; i < text.length; ++i) {
      const code = text.charCodeAt(i);
      const character = text[i];
      if (character === '"' || character === '\\') out += '\\' + character;
      else if (raw && (code < 0x20 || code === 0x7f)) out += '\\u00' + code.toString(16).padStart(2, '0');
      else if (raw && code >= 0xdc80 && code <= 0xdcff && !(i > 0 && text.charCodeAt(i - 1) >= 0xd800 && text.charCodeAt(i - 1) <= 0xdbff))
        out += '\\udc' + (code - 0xdc00).toString(16).padStart(2, '0');
      else if (!raw && code < 0x20) {
        const short = { 8: '\\b', 9: '\\t', 10: '\\n', 12: '\\f', 13: '\\r' }[code];
        out += short || '\\u00' + code.toString(16).toUpperCase().padStart(2, '0');
      } else out += character;
    }
    return out + '"';
  }

  function isoLocalTime(seconds) {
    const date = new Date(seconds * 1000);
    const offset = -date.getTimezoneOffset();
    const sign = offset < 0 ? '-' : '+';
    const year = date.getFullYear();
    const yearText = year >= 0 && year <= 9999 ? String(year).padStart(4, '0') : (year < 0 ? '-' : '+') + String(Math.abs(year));
    return yearText + '-' + two(date.getMonth() + 1) + '-' + two(date.getDate()) + 'T' + two(date.getHours()) + ':' +
      two(date.getMinutes()) + ':' + two(date.getSeconds()) + sign + two(Math.floor(Math.abs(offset) / 60)) + ':' + two(Math.abs(offset) % 60);
  }

  // A number column's value is written as the JSON listing writes it: its
  // digits as they are, null when blank.
  const NUMBER = /^[0-9]+(\.[0-9]+)?$/;
  function jsonValue(c, value) {
    if (!isNumberColumn[c]) return jsonString(value);
    return NUMBER.test(value) ? value : 'null';
  }

  const folderText = (i) => pathOf(folderOfFile(i));
  function exportedFiles() {
    return state.rows.filter((row) => row.file !== undefined).map((row) => row.file);
  }

  function jsonExport() {
    const parts = ['{"header":{"program":', jsonString(head.program), ',"version":', jsonString(head.version), ',"format":1,"scanned":',
      jsonString(head.scanned), ',"locations":['];
    head.locations.forEach((location, at) => {
      parts.push((at ? ',' : '') + '{"folder":' + jsonString(location.folder) + ',"subfolders":' + location.subfolders + ',"types":' +
        jsonString(location.types) + ',"level":' + location.level + '}');
    });
    parts.push('],"columns":[' + columnNames.map(jsonString).join(',') + ']},\n"files":[');
    exportedFiles().forEach((i, at) => {
      let line = (at ? ',' : '') + '\n{"folder":' + jsonString(folderText(i)) + ',"name":' + jsonString(nameOf(i)) + ',"size":' + sizes()[i] +
        ',"modified":' + jsonString(isoLocalTime(times()[i]));
      columnNames.forEach((name, c) => { line += ',' + jsonString(name) + ':' + jsonValue(c, detailColumns[c]().value(i)); });
      parts.push(line + '}');
    });
    parts.push('\n]}\n');
    return parts.join('');
  }

  function percentEscaped(text) {
    if (!hasLoneByte(text)) return '';
    const bytes = [];
    for (let i = 0; i < text.length; ++i) {
      const code = text.charCodeAt(i);
      const afterHigh = i > 0 && text.charCodeAt(i - 1) >= 0xd800 && text.charCodeAt(i - 1) <= 0xdbff;
      if (code >= 0xdc80 && code <= 0xdcff && !afterHigh) bytes.push('%' + (code - 0xdc00).toString(16).toUpperCase());
      else if (text[i] === '%') bytes.push('%25');
      else bytes.push(text[i]);
    }
    return bytes.join('');
  }

  function csvField(text) {
    return /[,"\r\n]/.test(text) ? '"' + text.replace(/"/g, '""') + '"' : text;
  }

  function csvExport() {
    const heading = ['folder', 'name', 'size', 'modified', ...columnNames, 'folder_raw', 'name_raw'];
    const lines = [heading.map(csvField).join(',')];
    for (const i of exportedFiles()) {
      const folder = folderText(i);
      const name = nameOf(i);
      const fields = [readable(folder), readable(name), String(sizes()[i]), isoLocalTime(times()[i])];
      columnNames.forEach((column, c) => fields.push(readable(detailColumns[c]().value(i))));
      fields.push(percentEscaped(folder), percentEscaped(name));
      lines.push(fields.map(csvField).join(','));
    }
    return lines.join('\r\n') + '\r\n';
  }

  function download(text, type, extension) {
    const blob = new Blob([text], { type });
    const link = make('a');
    link.href = URL.createObjectURL(blob);
    const base = state.search ? 'search results' : folders.name[state.folder].split('/').filter(Boolean).pop() || 'listing';
    link.download = shownText(base) + extension;
    document.body.append(link);
    link.click();
    link.remove();
    setTimeout(() => URL.revokeObjectURL(link.href), 60000);
  }

  // ---- Header -------------------------------------------------------------

  function renderFacts() {
    const facts = byId('facts');
    const locations = head.locations.map((location) => {
      const options = [location.subfolders ? 'sub-folders' : 'no sub-folders'];
      if (location.types && location.types !== '*.*') options.push('types ' + location.types);
      if (location.level) options.push('down to level ' + location.level);
      return shownText(location.folder) + ' (' + options.join(', ') + ')';
    });
    const scanned = new Date(Date.parse(head.scanned));
    const parts = [
      'Scanned ' + (isNaN(scanned) ? head.scanned : dateFormat.format(scanned)),
      locations.join('; '),
      plural(head.files, 'file', 'files') + ' in ' + plural(head.folders, 'folder', 'folders') + ', ' + humanSize(head.bytes),
    ];
    if (columnTitles.length) parts.push('columns: ' + columnTitles.join(', '));
    facts.textContent = parts.join(' \u00b7 ');
  }

  // ---- Start --------------------------------------------------------------

  function start() {
    buildFrame();
    renderFacts();
    if (state.folder < 0) {
      byId('status').textContent = 'The scan found no folders.';
      return;
    }
    const fromHash = folderOfHash();
    openFolder(fromHash >= 0 ? fromHash : state.folder, undefined, true);
    if (fromHash < 0) history.replaceState(null, '', '#' + encodePath(pathOf(state.folder)));

    byId('tree').addEventListener('click', onTreeClick);
    byId('tree').addEventListener('keydown', onTreeKey);
    byId('crumbs').addEventListener('click', (event) => {
      const crumb = event.target.closest('.crumb');
      if (crumb) openFolder(Number(crumb.dataset.folder));
    });
    byId('heading').addEventListener('click', (event) => {
      const cell = event.target.closest('.cell');
      if (!cell) return;
      const key = cell.dataset.key;
      state.sort = { column: key, ascending: state.sort.column === key ? !state.sort.ascending : true };
      state.rows = sortRows(state.rows);
      renderHeading();
      renderRows();
    });
    const rows = byId('rows');
    let scheduled = false;
    rows.addEventListener('scroll', () => {
      byId('heading').style.transform = rows.scrollLeft ? 'translateX(' + -rows.scrollLeft + 'px)' : '';
      if (scheduled) return;
      scheduled = true;
      requestAnimationFrame(() => {
        scheduled = false;
        renderRows();
      });
    });
    rows.addEventListener('click', (event) => {
      const element = event.target.closest('.row');
      if (!element) return;
      const row = state.rows[Number(element.dataset.index)];
      if (row.folder !== undefined) openFolder(row.folder);
      else if (state.search) openFolder(folderOfFile(row.file), row.file);
      else {
        state.selectedFile = row.file;
        renderRows();
      }
    });
    let timer = 0;
    byId('search').addEventListener('input', () => {
      clearTimeout(timer);
      timer = setTimeout(runSearch, 80);
    });
    byId('search').addEventListener('keydown', (event) => {
      if (event.key === 'Enter') {
        clearTimeout(timer);
        runSearch();
      }
    });
    for (const id of ['search-where', 'search-what']) byId(id).addEventListener('change', runSearch);
    byId('export-csv').addEventListener('click', () => download(csvExport(), 'text/csv;charset=utf-8', '.csv'));
    byId('export-json').addEventListener('click', () => download(jsonExport(), 'application/json', '.json'));
    window.addEventListener('popstate', () => openFolder(folderOfHash(), undefined, true));
    window.addEventListener('hashchange', () => {
      const f = folderOfHash();
      if (f >= 0 && f !== state.folder) openFolder(f, undefined, true);
    });
    // The first search should not wait for the names' search text.
    setTimeout(searchText, 400);
    window.addEventListener('resize', renderRows);
    window.addEventListener('beforeprint', () => {
      printing = true;
      renderRows();
    });
    window.addEventListener('afterprint', () => {
      printing = false;
      renderRows();
    });
  }

  start();
})();
