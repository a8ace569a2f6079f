// The live view: the plan as a map and the profile along the kilometres,
// both drawn from the data the tool sends with each state (a server-sent
// event), with the stations, a kilometre to go to, the object pointed at
// and the findings beside them. The two views follow each other: moving
// the plan brings the profile to the kilometre at its centre, moving the
// profile brings the plan there.
const SVG = 'http://www.w3.org/2000/svg';
const $ = (id) => document.getElementById(id);

let shown = null;                       // the drawing on screen: its data and views
let pointed = null;                     // the object in the panel: its kind and place
const view = { c: 0, s: 0, tempo: false };  // the profile's kilometres (centre, span, metres); its plot the clock?
const MIN_SPAN = 200;

function commaNumber(v, decimals) { return v.toFixed(decimals).replace('.', ','); }
function kmText(m) { return 'km ' + commaNumber(m / 1000, 3); }
// A time of day as a timetable writes it: "9.05".
function clockText(s) {
  const minutes = Math.floor(s / 60), h = Math.floor(minutes / 60) % 24, m = minutes % 60;
  return `${h}.${m < 10 ? '0' : ''}${m}`;
}
function html(tag, text, cls) {
  const e = document.createElement(tag);
  if (text !== undefined) e.textContent = text;
  if (cls) e.className = cls;
  return e;
}
function clamp(v, a, b) { return Math.max(a, Math.min(b, v)); }

// --- the two views, kept together -----------------------------------------

let following = false;                  // the plan is being moved to follow the profile

function drawProfile() {
  if (!shown) return;
  view.s = clamp(view.s, Math.min(MIN_SPAN, shown.length), shown.length);
  view.c = clamp(view.c, view.s / 2, shown.length - view.s / 2);
  shown.profile.draw(view, pointed ? pointed.inizio : null);
}

// The profile moved: the plan goes to the same kilometre, at a zoom that
// shows about as many metres across.
function profileMoved() {
  drawProfile();
  if (!shown.plan) return;
  following = true;
  const whole = view.s >= shown.length;
  if (whole) shown.plan.showWhole();
  else shown.plan.map.setView(shown.plan.at(view.c), Math.max(shown.plan.zoomFor(view.s), shown.plan.wholeZoom()), { animate: false });
  following = false;
}

// The plan moved: the profile goes to the kilometre at its centre.
function planMoved() {
  if (following || !shown) return;
  const map = shown.plan.map;
  if (map.getZoom() <= shown.plan.wholeZoom()) {
    view.s = shown.length;
    view.c = shown.length / 2;
  } else {
    const b = map.getBounds();
    view.s = clamp(b.getEast() - b.getWest(), MIN_SPAN, shown.length);
    view.c = shown.plan.metreNear(map.getCenter());
  }
  drawProfile();
}

function zoomBy(factor) {
  if (!shown) return;
  view.s *= factor;
  profileMoved();
}
function showWhole() {
  if (!shown) return;
  view.s = shown.length;
  view.c = shown.length / 2;
  profileMoved();
}
function centreOn(m) {
  if (!shown) return;
  view.c = m;
  view.s = Math.min(view.s, 6000);
  profileMoved();
}

function profileInteraction(container) {
  container.addEventListener('wheel', (ev) => {
    if (!shown) return;
    ev.preventDefault();
    const m = shown.profile.metreAt(view, ev.clientX), old = view.s;
    view.s = clamp(view.s * (ev.deltaY > 0 ? Math.SQRT2 : Math.SQRT1_2), Math.min(MIN_SPAN, shown.length), shown.length);
    view.c = m - (m - view.c) * (view.s / old);
    profileMoved();
  }, { passive: false });
  let drag = null;
  container.addEventListener('pointerdown', (ev) => {
    if (!shown || ev.button !== 0 || ev.target.closest('button')) return;
    drag = { x: ev.clientX, c: view.c };
    container.setPointerCapture(ev.pointerId);
    container.classList.add('trascina');
  });
  container.addEventListener('pointermove', (ev) => {
    if (!drag || view.s >= shown.length) return;
    view.c = drag.c - (ev.clientX - drag.x) / shown.profile.pixelsPerMetre(view);
    profileMoved();
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
  if (shown && shown.plan) shown.plan.setCursor(null);
  drawProfile();
}

// What the panel says of each object comes from the server once per
// drawing, when the first object is pointed at.
let details = null;  // {revisione, promise of the objects}
function detailsOf(revision) {
  if (!details || details.revisione !== revision) {
    details = { revisione: revision, promise: fetch('/oggetti.json').then((r) => r.json()) };
  }
  return details.promise;
}

function showObject(i) {
  const o = shown && shown.objects[i];
  if (!o) return;
  if (pointed && sameObject(pointed, o)) return;
  pointed = { tipo: o.tipo, inizio: o.inizio, fine: o.fine };
  const box = $('dettagli');
  const dl = html('dl');
  const row = (name, value, cls) => { dl.append(html('dt', name), html('dd', value, cls)); };
  row('posizione', o.inizio === o.fine ? `${o.inizio} m (${kmText(o.inizio)})` : `da ${o.inizio} a ${o.fine} m`);
  box.replaceChildren(html('h2', 'Oggetto'), html('h3', o.nome), dl);
  if (shown.plan) shown.plan.setCursor(o.inizio);
  drawProfile();
  const revision = shown.revision, asked = pointed;
  detailsOf(revision).then((all) => {
    const full = all && all.revisione === revision ? all.oggetti[i] : null;
    if (!full || pointed !== asked) return;
    dl.replaceChildren();
    row('posizione', full.inizio === full.fine ? `${full.inizio} m (${full.km})` : `da ${full.inizio} a ${full.fine} m (${full.km})`);
    row('cella', full.cella);
    for (const [name, value] of full.campi) row(name, value);
    row('definizione', full.fonte, 'fonte');
  }).catch(() => {});
}

// --- a new state -----------------------------------------------------------

let plan = null;                        // the plan's map, made with the first drawing that has one

function showDrawing(d) {
  const first = !shown;
  const on = { point: (i) => showObject(i) };
  const profileSvg = $('profilo').querySelector('svg') ||
    $('profilo').insertBefore(document.createElementNS(SVG, 'svg'), $('comandi'));
  const hasPlan = !!d.vista.pianta, planFirst = hasPlan && !plan;
  if (planFirst) plan = planView($('pianta').querySelector('.mappa'), on);
  shown = {
    revision: d.revisione, length: Math.max(d.lunghezza, 1), objects: d.oggetti,
    plan: hasPlan ? plan : null,
    profile: profileView(profileSvg, d, on),
  };
  $('pianta').classList.toggle('disegnata', hasPlan);
  $('pianta').querySelector('.vuota').textContent = hasPlan ? '' : 'tracciato non disponibile';
  $('profilo').classList.add('disegnata');
  if (first) {
    view.c = shown.length / 2;
    view.s = shown.length;
  }
  // The plan keeps its place through an edit: only its content changes.
  if (hasPlan) {
    following = true;
    plan.show(d);
    if (planFirst) {
      plan.map.on('moveend', planMoved);
      plan.showWhole();
    }
    plan.refresh();
    following = false;
  }
  drawProfile();
  // The object in the panel, as the new drawing has it; gone, the panel
  // says so by going back to its hint.
  if (pointed) {
    const i = d.oggetti.findIndex((o) => sameObject(o, pointed));
    pointed = null;
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
  // For whoever measures the page: when each drawing was on it.
  performance.mark(`disegno ${d.revisione}`);
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

profileInteraction($('profilo'));
fillLegend($('legenda').querySelector('ul'));
$('piu').addEventListener('click', () => zoomBy(0.5));
$('meno').addEventListener('click', () => zoomBy(2));
$('tutta').addEventListener('click', showWhole);
// The profile's plot shows altitude and speed, or the clock: the timetable
// against the fastest run.
$('tempo').addEventListener('click', () => {
  view.tempo = !view.tempo;
  $('tempo').classList.toggle('scelta', view.tempo);
  drawProfile();
});
$('vai').addEventListener('submit', (ev) => {
  ev.preventDefault();
  const km = Number($('km').value.trim().replace(',', '.'));
  if (Number.isFinite(km)) centreOn(km * 1000);
});
window.addEventListener('resize', () => {
  if (shown) shown.profile.resized();
  drawProfile();
  if (plan) plan.map.invalidateSize();
});
connect();
