// What a table's cells say as numbers, and the orders and conditions made
// of them: a column's sort keys, its rows sorted, and the filter's
// `NAME OP VALUE` read and met, as `rdbxml --sort` and `--where` read them.
// A number as the tool reads one (rdb_read_number): blanks around it,
// commas only between digits; null for anything else.
function read_number(text) {
  // Most are plain decimals: read at once.
  if (/^-?[0-9]+(\.[0-9]+)?$/.test(text)) return Number(text);
  var t = text.trim();
  if (!/^[0-9.,eE+-]+$/.test(t) || /(^|[^0-9]),|,($|[^0-9])/.test(t)) return null;
  t = t.replace(/,/g, "");
  if (!/^[-+]?([0-9]+\.?[0-9]*|\.[0-9]+)([eE][-+]?[0-9]+)?$/.test(t)) return null;
  var n = Number(t);
  return isFinite(n) ? n : null;
}

// What a numeric cell's text says: a delay in its unit, {ps} or {mhz}, or
// a plain number {n}; null for a text.
var DELAY_PS = { ps: 1, ns: 1e3, us: 1e6 };
function cell_number(value, styles) {
  // A number in the block is the number the cell shows.
  if (typeof value === "number") return { n: value };
  if (value !== null && typeof value[0] === "number") return { n: value[0] };
  var text = cell_text(value);
  if (cell_kind(value, styles) === 1) {
    var delay = /^(\S+) (ps|ns|us|MHz)$/.exec(text);
    var n = delay ? read_number(delay[1]) : null;
    if (n !== null) return delay[2] === "MHz" ? { mhz: n } : { ps: n * DELAY_PS[delay[2]] };
  }
  var plain = value === null ? null : read_number(text);
  return plain === null ? null : { n: plain };
}

// A column's keys, made once: what each cell says as a number
// (cell_number), and how it sorts: numbers first (a delay by picoseconds,
// a MHz cell as 1e6/MHz ps, unless the column shows only MHz: then by
// frequency), then texts, then missing cells, as `rdbxml --sort` orders.
function column_keys(rows, styles, column) {
  var n = rows.length, read = new Array(n), group = new Uint8Array(n), number = new Float64Array(n), text = [];
  var has_ps = false, has_mhz = false, r, d;
  for (r = 0; r < n; ++r) {
    var v = rows[r][column];
    d = read[r] = v === undefined || v === null ? null : cell_number(v, styles);
    if (d === null) {
      group[r] = v === undefined || v === null ? 2 : 1;
      if (group[r] === 1) text[r] = cell_text(v);
    }
    else if (d.ps !== undefined) has_ps = true;
    else if (d.mhz !== undefined) has_mhz = true;
  }
  var frequency = has_mhz && !has_ps;
  for (r = 0; r < n; ++r) {
    d = read[r];
    if (d === null) continue;
    number[r] = d.mhz !== undefined ? (frequency ? d.mhz : 1e6 / d.mhz) : d.ps !== undefined ? d.ps : d.n;
  }
  return { read: read, group: group, number: number, text: text };
}

// The rows 0..count-1 sorted by a column's keys (ascending, or descending
// when `down`): numbers, then texts, then missing cells; rows of equal
// keys keep the report's order.
function sorted(count, keys, down) {
  var numbers = [], texts = [], missing = [];
  for (var r = 0; r < count; ++r) (keys.group[r] === 0 ? numbers : keys.group[r] === 1 ? texts : missing).push(r);
  var text = keys.text, sign = down ? -1 : 1;
  texts.sort(function (a, b) { return sign * (text[a] < text[b] ? -1 : text[a] > text[b] ? 1 : 0) || a - b; });
  return by_number(numbers, keys.number, down).concat(texts, missing);
}

// `rows` by their numbers: a counting sort by each number's rank among the
// distinct ones, found in a natively sorted copy. A sort that calls script
// for each comparison takes several times as long on 100 000 rows.
function by_number(rows, number, down) {
  var n = rows.length, values = new Float64Array(n), i;
  for (i = 0; i < n; ++i) values[i] = number[rows[i]];
  values.sort();
  var distinct = 0;
  for (i = 0; i < n; ++i) if (distinct === 0 || values[i] !== values[distinct - 1]) values[distinct++] = values[i];
  var rank = new Uint32Array(n), start = new Uint32Array(distinct + 1);
  for (i = 0; i < n; ++i) {
    var v = number[rows[i]], lo = 0, hi = distinct - 1;
    while (lo < hi) { var mid = (lo + hi) >> 1; if (values[mid] < v) lo = mid + 1; else hi = mid; }
    rank[i] = down ? distinct - 1 - lo : lo;
    ++start[rank[i] + 1];
  }
  for (i = 1; i <= distinct; ++i) start[i] += start[i - 1];
  var out = new Array(n);
  for (i = 0; i < n; ++i) out[start[rank[i]]++] = rows[i];
  return out;
}

// A filter of the `--where` form, NAME OP VALUE: {column, op, number, unit}
// or {column, op, text}; {error} when it does not read; null for a plain
// text filter.
var UNITS = { ps: 1, ns: 1e3, us: 1e6, mhz: 1, ghz: 1e3, "%": 1 };
function read_condition(text, headings, columns) {
  var parts = /^(.*?)\s*(<=|>=|==|!=|<|>|=)\s*(.*?)\s*$/.exec(text);
  if (!parts || !parts[1].trim()) return null;
  var name = parts[1].trim(), op = parts[2] === "==" ? "=" : parts[2], value = parts[3];
  var column = -1;
  if (/^[0-9]+$/.test(name) && +name >= 1 && +name <= columns) column = +name - 1;
  for (var c = 0; column < 0 && c < headings.length; ++c)
    if (headings[c].trim().toLowerCase() === name.toLowerCase()) column = c;
  if (column < 0) return { error: "No column is named \u201c" + name + "\u201d: give a heading or a column number 1\u2013" + columns + "." };
  if (value === "") return { error: "\u201c" + text.trim() + "\u201d has nothing to compare with: write NAME OP VALUE, as in Slack < 0." };
  var number = /^(.*?)\s*(ps|ns|us|mhz|ghz|%)?$/i.exec(value);
  var n = read_number(number[1]);
  if (n !== null) {
    var unit = number[2] ? number[2].toLowerCase() : "";
    return { column: column, op: op, number: unit ? n * UNITS[unit] : n, unit: unit };
  }
  if (op !== "=" && op !== "!=")
    return { error: "\u201c" + value + "\u201d is not a number (with ps, ns, us, MHz or GHz): only = and != compare texts." };
  return { column: column, op: op, text: value };
}

function compare(a, op, b) {
  switch (op) {
    case "<": return a < b;
    case "<=": return a <= b;
    case ">": return a > b;
    case ">=": return a >= b;
    case "=": return a === b;
    default: return a !== b;
  }
}

// Whether a cell meets a condition; a cell that cannot be compared (none,
// a text where a number is asked for, a frequency of a delay <= 0) fails.
// `d` is what the cell says as a number (cell_number).
function meets(condition, value, d) {
  if (value === undefined || value === null) return false;
  if (condition.text !== undefined) return compare(cell_text(value), condition.op, condition.text);
  var unit = condition.unit;
  if (d === null) {
    var percent = unit === "%" ? /^(.*?)\s*%$/.exec(cell_text(value).trim()) : null;
    var p = percent ? read_number(percent[1]) : null;
    return p !== null && compare(p, condition.op, condition.number);
  }
  if (unit === "mhz" || unit === "ghz") {
    if (d.mhz !== undefined) return compare(d.mhz, condition.op, condition.number);
    return d.ps !== undefined && d.ps > 0 && compare(1e6 / d.ps, condition.op, condition.number);
  }
  if (unit === "%") return false;
  if (d.n !== undefined) return unit === "" && compare(d.n, condition.op, condition.number);
  var ps = d.ps !== undefined ? d.ps : 1e6 / d.mhz;
  return compare(ps, condition.op, condition.number);
}
