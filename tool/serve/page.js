'use strict';
// The live view: the drawing of `scenario map` shown twice, once cut to the
// ground plan and once to the profile, with a layer of marks over each that
// answers "what is here?". Both views show the same stretch of line: the
// profile fixes which kilometres are in view and the plan shows the track
// over those kilometres. Every new state arrives as a server-sent event.
const SVG = 'http://www.w3.org/2000/svg';
const $ = (id) => document.getElementById(id);

let shown = null;                       // the drawing on screen and its geometry
let pointed = null;                     // the object in the panel: its kind and place
const view = { c: 0, s: 0 };            // centre and span of the kilometres in view, metres
const MIN_SPAN = 200;

function commaNumber(v, decimals) { return v.toFixed(decimals).replace('.', ','); }
function kmText(m) { return 'km ' + commaNumber(m / 1000, 3); }
function el(name, attrs, parent) {
  const e = document.createElementNS(SVG, name);
  for (const k in attrs) e.setAttribute(k, attrs[k]);
  if (parent) parent.appendChild(e);
  return e;
}
function html(tag, text, cls) {
  const e = document.createElement(tag);
  if (text !== undefined) e.textContent = text;
  if (cls) e.className = cls;
  return e;
}
function points(node) {
  if (!node) return [];
  return node.getAttribute('points').trim().split(/\s+/).map((p) => {
    const [x, y] = p.split(',').map(Number);
    return { x, y };
  });
}
function clamp(v, a, b) { return Math.max(a, Math.min(b, v)); }

// --- the two views -------------------------------------------------------

function aspectOf(container) { return (container.clientHeight || 1) / (container.clientWidth || 1); }

// The profile zooms along the kilometres only and always shows its whole
// height; its texts and marks are drawn back to their own shape.
function applyProfile() {
  const L = shown.length, pg = shown.profile.g, pr = pg.region, pc = $('profilo');
  const w = pr.w * view.s / L;
  const cx = view.s >= L ? pr.x + pr.w / 2 : pg.x(view.c);
  shown.profile.svg.setAttribute('viewBox', `${cx - w / 2} ${pr.y} ${w} ${pr.h}`);
  const stretch = ((pc.clientWidth || 1) / w) / ((pc.clientHeight || 1) / pr.h);
  // The legend belongs to the whole line, and would stretch with it.
  const legend = shown.profile.svg.querySelector('g.legend');
  if (legend) legend.style.display = view.s >= L ? '' : 'none';
  for (const u of shown.profile.upright) {
    u.e.setAttribute('transform', `translate(${u.x} 0) scale(${1 / stretch} 1) translate(${-u.x} 0) ${u.tf}`);
  }
  return w;
}

function applyView() {
  if (!shown) return;
  const L = shown.length;
  view.s = clamp(view.s, Math.min(MIN_SPAN, L), L);
  view.c = clamp(view.c, 0, L);
  const pg = shown.profile.g;
  const w = applyProfile();

  const g = shown.plan.g, plan = $('pianta');
  const pa = aspectOf(plan);
  if (view.s >= L || !g.pts.length) {
    const r = g.region;
    shown.plan.svg.setAttribute('viewBox', `${r.x} ${r.y} ${r.w} ${r.h}`);
    return;
  }
  // The kilometres the profile shows, and the track over them.
  const half = pg.k > 0 ? w / 2 / pg.k : view.s / 2;
  const centre = g.at(view.c);
  let dx = 0, dy = 0;
  for (let m = view.c - half; m <= view.c + half; m += half / 40) {
    const p = g.at(m);
    dx = Math.max(dx, Math.abs(p.x - centre.x));
    dy = Math.max(dy, Math.abs(p.y - centre.y));
  }
  const hw = Math.max(dx, dy / pa) * 1.1 + 6, hh = hw * pa;
  shown.plan.svg.setAttribute('viewBox', `${centre.x - hw} ${centre.y - hh} ${2 * hw} ${2 * hh}`);
}

function centreOn(m) {
  if (!shown) return;
  view.c = clamp(m, 0, shown.length);
  view.s = Math.min(view.s, 6000);
  applyView();
}

function svgPoint(svg, ev) {
  const p = svg.createSVGPoint();
  p.x = ev.clientX; p.y = ev.clientY;
  return p.matrixTransform(svg.getScreenCTM().inverse());
}
function metreAt(which, ev) {
  const v = shown[which], p = svgPoint(v.svg, ev);
  return which === 'profile' ? (p.x - v.g.x0) / (v.g.k || 1) : v.g.metreNear(p);
}

function zoom(factor, m) {
  if (!shown) return;
  const old = view.s;
  view.s = clamp(view.s * factor, Math.min(MIN_SPAN, shown.length), shown.length);
  if (m !== undefined) view.c = m - (m - view.c) * (view.s / old);
  applyView();
}

function interaction(container, which) {
  container.addEventListener('wheel', (ev) => {
    if (!shown) return;
    ev.preventDefault();
    zoom(ev.deltaY > 0 ? 1.25 : 0.8, metreAt(which, ev));
  }, { passive: false });
  let drag = null;
  container.addEventListener('pointerdown', (ev) => {
    if (!shown || ev.button !== 0 || ev.target.closest('button')) return;
    const v = shown[which];
    drag = { x: ev.clientX, y: ev.clientY, c: view.c, at: which === 'plan' ? v.g.at(view.c) : null,
             scale: v.svg.viewBox.baseVal.width / (container.clientWidth || 1) };
    container.setPointerCapture(ev.pointerId);
    container.classList.add('trascina');
  });
  container.addEventListener('pointermove', (ev) => {
    if (!drag || view.s >= shown.length) return;
    const dx = (ev.clientX - drag.x) * drag.scale, dy = (ev.clientY - drag.y) * drag.scale;
    if (which === 'profile') {
      view.c = drag.c - dx / (shown.profile.g.k || 1);
    } else if (drag.at) {
      view.c = shown.plan.g.metreNear({ x: drag.at.x - dx, y: drag.at.y - dy });
    }
    applyView();
  });
  const end = () => { drag = null; container.classList.remove('trascina'); };
  container.addEventListener('pointerup', end);
  container.addEventListener('pointercancel', end);
}

// --- what is pointed at ----------------------------------------------------

const sameObject = (a, b) => a.tipo === b.tipo && a.inizio === b.inizio && a.fine === b.fine;

// The panel back to its hint, with no cursor on the views.
function clearObject() {
  pointed = null;
  $('dettagli').replaceChildren(html('h2', 'Oggetto'), html('div', 'Punta un oggetto della pianta o del profilo.', 'vuoto'));
  if (shown) for (const v of [shown.plan, shown.profile]) v.cursor.replaceChildren();
}

function showObject(i) {
  const o = shown && shown.objects[i];
  if (!o) return;
  pointed = { tipo: o.tipo, inizio: o.inizio, fine: o.fine };
  const box = $('dettagli');
  box.replaceChildren(html('h2', 'Oggetto'), html('h3', o.nome));
  const dl = html('dl');
  const row = (name, value, cls) => { dl.append(html('dt', name), html('dd', value, cls)); };
  row('posizione', o.inizio === o.fine ? `${o.inizio} m (${o.km})` : `da ${o.inizio} a ${o.fine} m (${o.km})`);
  row('cella', o.cella);
  for (const [name, value] of o.campi) row(name, value);
  row('definizione', o.fonte, 'fonte');
  box.append(dl);
  for (const v of [shown.plan, shown.profile]) {
    v.cursor.replaceChildren();
  }
  if (shown.plan.g.pts.length) {
    const p = shown.plan.g.at(o.inizio);
    el('circle', { cx: p.x, cy: p.y, r: 10, fill: 'none', stroke: '#1e64c8', 'stroke-width': 2 }, shown.plan.cursor);
  }
  const x = shown.profile.g.x(o.inizio);
  el('line', { x1: x, x2: x, y1: shown.profile.g.region.y, y2: shown.profile.g.bands + 40, stroke: '#1e64c8', 'stroke-width': 1 }, shown.profile.cursor);
}

function hovering(container) {
  container.addEventListener('pointerover', (ev) => {
    const t = ev.target.closest && ev.target.closest('[data-i]');
    if (t) showObject(+t.dataset.i);
  });
}

// --- a new state -----------------------------------------------------------

// Each view keeps its own part of the drawing: the plan what stands above
// the legend (below the title), the profile the legend and what stands
// below it.
function legendTop(svg) {
  const legend = svg.querySelector('g.legend');
  return legend ? legend.getBBox().y - 2 : svg.viewBox.baseVal.height;
}
function keepPart(svg, plan, cut, top) {
  const legend = svg.querySelector('g.legend');
  for (const e of [...svg.children]) {
    if (e === legend) {
      if (plan) e.remove();
      continue;
    }
    if (!(e instanceof SVGGraphicsElement)) continue;
    const b = e.getBBox();
    if (b.height >= svg.viewBox.baseVal.height * 0.9) continue;  // the background
    if (plan ? b.y >= cut || b.y < top : b.y + b.height <= cut) e.remove();
  }
}

function showDrawing(d) {
  const parsed = new DOMParser().parseFromString(d.svg, 'image/svg+xml');
  if (parsed.querySelector('parsererror')) return;
  const first = !shown;
  const make = (id) => {
    const c = $(id);
    for (const old of c.querySelectorAll(':scope > svg, :scope > .vuota')) old.remove();
    const svg = document.importNode(parsed.documentElement, true);
    svg.removeAttribute('width');
    svg.removeAttribute('height');
    svg.setAttribute('preserveAspectRatio', id === 'profilo' ? 'none' : 'xMidYMid meet');
    c.prepend(svg);
    return svg;
  };
  const planSvg = make('pianta'), profileSvg = make('profilo');
  const length = Math.max(d.lunghezza, 1), cut = legendTop(planSvg);
  shown = {
    revision: d.revisione, length, objects: d.oggetti,
    plan: { svg: planSvg, g: planGeometry(planSvg, length, cut) },
    profile: { svg: profileSvg, g: profileGeometry(profileSvg, d, cut) },
  };
  keepPart(planSvg, true, cut, shown.plan.g.region.y);
  keepPart(profileSvg, false, cut, 0);
  planLayer(planSvg, shown.plan.g, d.oggetti);
  shown.profile.upright = profileLayer(profileSvg, shown.profile.g, d.oggetti);
  shown.plan.cursor = el('g', { class: 'cursore' }, planSvg);
  shown.profile.cursor = el('g', { class: 'cursore' }, profileSvg);
  if (first) { view.c = length / 2; view.s = length; }
  applyView();
  // The object in the panel, as the new drawing has it; gone, the panel
  // says so by going back to its hint.
  if (pointed) {
    const i = d.oggetti.findIndex((o) => sameObject(o, pointed));
    if (i >= 0) showObject(i); else clearObject();
  }

  const list = $('stazioni');
  list.replaceChildren();
  for (const s of d.stazioni) {
    const b = html('button');
    b.type = 'button';
    b.append(html('span', s.nome, 'nome'), html('span', kmText(s.posizione), 'km'));
    b.addEventListener('click', () => {
      for (const other of list.querySelectorAll('button')) other.classList.remove('scelta');
      b.classList.add('scelta');
      centreOn(s.posizione);
    });
    const li = html('li');
    li.append(b);
    list.append(li);
  }
}

function showDiagnostics(state) {
  const list = $('diagnostica');
  list.replaceChildren();
  $('totali').textContent = `${state.errori} ${state.errori === 1 ? 'errore' : 'errori'}, ${state.avvisi} ${state.avvisi === 1 ? 'avviso' : 'avvisi'}`;
  for (const d of state.diagnostica) {
    const li = html('li', undefined, d.gravita === 'errore' ? 'errore' : 'avviso');
    if (d.posizione !== null && d.posizione !== undefined) {
      const a = html('a', d.testo);
      a.href = '#';
      a.title = `centra su ${kmText(d.posizione)}`;
      a.addEventListener('click', (ev) => { ev.preventDefault(); centreOn(d.posizione); });
      li.append(a);
    } else {
      li.textContent = d.testo;
    }
    list.append(li);
  }
  if (state.non_elencati > 0) {
    list.append(html('li', `\u2026 e altri ${state.non_elencati} non elencati qui: scenario check li elenca tutti`, 'avviso'));
  }
}

function apply(state) {
  const title = `${state.percorso.replace(/_/g, ' ')} \u2014 treno ${state.treno}`;
  $('titolo').textContent = title;
  document.title = title;
  const now = new Date().toLocaleTimeString('it-IT');
  $('stato').textContent = `${state.definizioni.join(', ')} \u00b7 letto alle ${now}`;
  $('stato').classList.remove('perso');
  $('errore').classList.toggle('visibile', state.errore !== null);
  $('errore-testo').textContent = state.errore || '';
  $('errore-disegno').textContent = state.disegno
    ? "Il disegno resta quello dell'ultima compilazione riuscita, non aggiornato."
    : 'Nessun disegno ancora: compare alla prima compilazione riuscita.';
  if (state.disegno && (!shown || shown.revision !== state.disegno.revisione)) showDrawing(state.disegno);
  $('viste').classList.toggle('scaduto', !!state.disegno && !state.aggiornato);
  showDiagnostics(state);
  document.body.dataset.revisione = state.revisione;
}

function connect() {
  const events = new EventSource('/eventi');
  events.onmessage = (ev) => apply(JSON.parse(ev.data));
  events.onerror = () => {
    $('stato').textContent = 'collegamento con scenario serve perso: nuovo tentativo...';
    $('stato').classList.add('perso');
  };
}

interaction($('pianta'), 'plan');
interaction($('profilo'), 'profile');
hovering($('pianta'));
hovering($('profilo'));
$('piu').addEventListener('click', () => zoom(0.5));
$('meno').addEventListener('click', () => zoom(2));
$('tutta').addEventListener('click', () => {
  if (!shown) return;
  view.s = shown.length;
  view.c = shown.length / 2;
  applyView();
});
$('vai').addEventListener('submit', (ev) => {
  ev.preventDefault();
  const km = Number($('km').value.trim().replace(',', '.'));
  if (Number.isFinite(km)) centreOn(km * 1000);
});
window.addEventListener('resize', applyView);
connect();
