'use strict';
// The live view's reading of the drawing: where a metre lies in the plan
// and in the profile, measured on the drawing itself, and the layer of
// marks over each view that answers "what is here?". Joined to
// serve_page.js in one script, whose helpers it uses.
// --- geometry read back from the drawing ---------------------------------

// The plan: the track's polyline runs from the start of the line to its end
// with evenly spaced metres, so a distance along it is a distance in metres.
function planGeometry(svg, length, cut) {
  const pts = points(svg.querySelector('polyline.track'));
  const width = svg.viewBox.baseVal.width;
  const bottom = cut - 2;
  if (pts.length < 2) return { pts: [], region: { x: 0, y: 0, w: width, h: bottom } };
  const along = [0];
  for (let i = 1; i < pts.length; i++) along.push(along[i - 1] + Math.hypot(pts[i].x - pts[i - 1].x, pts[i].y - pts[i - 1].y));
  const total = along[along.length - 1] || 1;
  let top = Infinity;
  for (const p of pts) top = Math.min(top, p.y);
  top = Math.max(0, top - 120);
  return {
    pts, region: { x: 0, y: top, w: width, h: bottom - top },
    at(m) {
      const d = clamp(m / length, 0, 1) * total;
      let lo = 0, hi = along.length - 1;
      while (hi - lo > 1) { const mid = (lo + hi) >> 1; if (along[mid] <= d) lo = mid; else hi = mid; }
      const f = along[hi] > along[lo] ? (d - along[lo]) / (along[hi] - along[lo]) : 0;
      return { x: pts[lo].x + (pts[hi].x - pts[lo].x) * f, y: pts[lo].y + (pts[hi].y - pts[lo].y) * f };
    },
    metreNear(p) {
      let best = 0, bestD = Infinity;
      for (let i = 0; i < pts.length; i++) {
        const d = Math.hypot(pts[i].x - p.x, pts[i].y - p.y);
        if (d < bestD) { bestD = d; best = i; }
      }
      return along[best] / total * length;
    },
  };
}

// The profile: the altitude line has one point per 50 m from 0 to the
// profile's end, the ground polygon starts at the foot of the plot, and the
// speed limit line reaches its highest point at the top speed.
function profileGeometry(svg, d, cut) {
  const alt = points(svg.querySelector('polyline.altitude'));
  const ground = points(svg.querySelector('polygon.ground'));
  const speed = points(svg.querySelector('polyline.speed'));
  const vb = svg.viewBox.baseVal;
  const x0 = alt.length ? alt[0].x : 0;
  const k = alt.length > 1 && d.fine_profilo > 0 ? (alt[alt.length - 1].x - x0) / d.fine_profilo : 0;
  const foot = ground.length ? ground[0].y : vb.height;
  let high = foot;
  for (const p of speed) high = Math.min(high, p.y);
  for (const p of alt) high = Math.min(high, p.y);
  const perKmh = d.velocita_massima > 0 && speed.length ? (foot - Math.min(...speed.map((p) => p.y))) / d.velocita_massima : 0;
  const tunnel = svg.querySelector('rect.profile-tunnel');
  const top = cut;
  const bands = vb.height + 4;
  return {
    x0, k, foot, plotTop: high - 30, bands, perKmh,
    tunnelBand: tunnel ? { y: +tunnel.getAttribute('y'), h: +tunnel.getAttribute('height') } : null,
    region: { x: 0, y: top, w: vb.width, h: bands + 44 - top },
    x(m) { return x0 + k * m; },
    speedY(v) { return foot - perKmh * v; },
  };
}

// --- the layer of marks ----------------------------------------------------

const STRETCHES = ['curva', 'galleria', 'rallentamento'];
const MARKS = {  // what the drawing itself does not show gets a visible mark
  avviso: { color: '#f28e1c', shape: 'triangle' },
  indicatori: { color: '#8e24aa', shape: 'square' },
  abbattimento: { color: '#5e35b1', shape: 'dot' },
};

function target(shape, attrs, o, i, layer) {
  const e = el(shape, attrs, layer);
  e.setAttribute('class', shape === 'polyline' ? 'tratto' : 'bersaglio');
  e.dataset.i = i;
  e.dataset.tipo = o.tipo;
  e.dataset.inizio = o.inizio;
  return e;
}
function mark(layer, p, kind) {
  const m = MARKS[kind];
  if (!m) return;
  if (m.shape === 'triangle') el('polygon', { points: `${p.x},${p.y - 6} ${p.x + 5},${p.y + 3} ${p.x - 5},${p.y + 3}`, fill: m.color }, layer);
  else if (m.shape === 'square') el('rect', { x: p.x - 3.5, y: p.y - 3.5, width: 7, height: 7, fill: m.color }, layer);
  else el('circle', { cx: p.x, cy: p.y, r: 3, fill: m.color }, layer);
}
function pointTarget(layer, p, o, i, r) {
  mark(layer, p, o.tipo);
  target('circle', { cx: p.x, cy: p.y, r }, o, i, layer);
}

function planLayer(svg, g, objects) {
  const layer = el('g', { class: 'segni' }, svg);
  if (!g.pts.length) return layer;
  const order = [...objects.keys()].sort((a, b) => rank(objects[a]) - rank(objects[b]));
  for (const i of order) {
    const o = objects[i];
    if (o.tipo === 'pendenza') continue;  // a matter of the profile
    if (STRETCHES.includes(o.tipo)) {
      const line = [];
      for (let m = o.inizio; m < o.fine; m += 20) line.push(g.at(m));
      line.push(g.at(Math.max(o.fine, o.inizio + 20)));
      target('polyline', { points: line.map((p) => `${p.x},${p.y}`).join(' '), 'stroke-width': o.tipo === 'curva' ? 16 : 12 }, o, i, layer);
    } else {
      pointTarget(layer, g.at(o.inizio), o, i, o.tipo === 'stazione' ? 8 : 6);
    }
  }
  return layer;
}
function rank(o) { return o.tipo === 'curva' ? 0 : STRETCHES.includes(o.tipo) ? 1 : o.tipo === 'stazione' ? 2 : 3; }

// Returns what must keep its shape when the profile is stretched.
function profileLayer(svg, g, objects) {
  const layer = el('g', { class: 'segni' }, svg);
  const upright = [];
  const group = (x) => {
    const e = el('g', {}, layer);
    upright.push({ e, x, tf: '' });
    return e;
  };
  const text = (y, words) => { const t = el('text', { x: g.x(0) - 8, y, 'text-anchor': 'end', 'font-size': 10.5, fill: '#333' }, layer); t.textContent = words; };
  text(g.bands + 12, 'curve');
  text(g.bands + 34, 'cambi di pendenza');
  const order = [...objects.keys()].sort((a, b) => rank(objects[a]) - rank(objects[b]));
  for (const i of order) {
    const o = objects[i];
    const a = g.x(o.inizio), b = Math.max(g.x(o.fine), a + 2);
    if (o.tipo === 'curva') {
      const r = target('rect', { x: a, y: g.bands + 3, width: b - a, height: 11 }, o, i, layer);
      r.style.fill = o.nome.includes('sinistra') ? '#4b9e8d' : '#4b6fae';
    } else if (o.tipo === 'pendenza') {
      const grp = group(a);
      el('rect', { x: a - 0.6, y: g.bands + 24, width: 1.2, height: 14, fill: '#555' }, grp);
      target('rect', { x: a - 4, y: g.bands + 22, width: 8, height: 18 }, o, i, grp);
    } else if (o.tipo === 'galleria') {
      if (g.tunnelBand) target('rect', { x: a, y: g.tunnelBand.y - 3, width: b - a, height: g.tunnelBand.h + 6 }, o, i, layer);
    } else if (o.tipo === 'rallentamento') {
      const y = g.speedY(o.velocita);
      el('polyline', { points: `${a},${y} ${b},${y}`, fill: 'none', stroke: '#f28e1c', 'stroke-width': 2.5 }, layer);
      target('polyline', { points: `${a},${y} ${b},${y}`, 'stroke-width': 10 }, o, i, layer);
    } else if (o.tipo === 'stazione') {
      target('rect', { x: a - 4, y: g.plotTop, width: 8, height: g.foot - g.plotTop }, o, i, group(a));
    } else {
      const p = { x: a, y: g.foot - 7 }, grp = group(a);
      if (o.tipo === 'segnale') el('rect', { x: a - 3, y: p.y - 3, width: 6, height: 6, fill: '#d62728' }, grp);
      if (o.tipo === 'cartello') el('polygon', { points: `${a},${p.y - 4} ${a + 4},${p.y} ${a},${p.y + 4} ${a - 4},${p.y}`, fill: '#2e7d6b' }, grp);
      pointTarget(grp, p, o, i, 5);
    }
  }
  for (const t of svg.querySelectorAll('text')) {
    upright.push({ e: t, x: +t.getAttribute('x'), tf: t.getAttribute('transform') || '' });
  }
  return upright;
}

