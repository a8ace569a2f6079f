// The plan: the track drawn as a map in metres (Leaflet, in its plain
// coordinate system), stretches along it as bands, and symbols and labels
// that keep their size on the screen. Which symbols and labels show at a
// zoom, and where each label stands, the tool has decided (the objects'
// "livello", the labels' "dove"): the page draws only that, and only what
// lies near the view.
const WHOLE_PAD = 90;  // pixels

function planView(container, on) {
  const map = L.map(container, {
    crs: L.CRS.Simple, zoomSnap: 0.5, zoomDelta: 0.5, attributionControl: false, zoomControl: false,
    wheelPxPerZoomLevel: 90, fadeAnimation: false,
  });
  L.control.scale({ imperial: false, position: 'bottomleft', maxWidth: 140 }).addTo(map);
  const north = L.control({ position: 'topleft' });
  north.onAdd = () => L.DomUtil.create('div', 'nord');
  north.addTo(map);
  const lines = L.layerGroup().addTo(map);   // the track and the bands along it
  const layer = L.layerGroup().addTo(map);   // symbols and labels, near the view
  const markers = new Map();
  let g = null;                              // the drawing's geometry
  let cursor = null;

  // Where a metre lies: between the points either side of it.
  function at(m) {
    const { xy, step, last, count } = g;
    const c = clamp(m, 0, last), i = Math.min(Math.floor(c / step), count - 1), j = Math.min(i + 1, count - 1);
    const from = i * step, to = Math.min(j * step, last), f = to > from ? (c - from) / (to - from) : 0;
    return L.latLng((xy[2 * i + 1] + (xy[2 * j + 1] - xy[2 * i + 1]) * f) / 10, (xy[2 * i] + (xy[2 * j] - xy[2 * i]) * f) / 10);
  }
  function between(a, b) {
    const { xy, step, last, count } = g;
    a = clamp(a, 0, last);
    b = clamp(b, a, last);
    const out = [at(a)];
    for (let i = Math.floor(a / step) + 1; i * step < b && i < count; i++) out.push(L.latLng(xy[2 * i + 1] / 10, xy[2 * i] / 10));
    out.push(at(b));
    return out;
  }
  function metreNear(ll) {
    const { xy, step, last, count } = g;
    let best = 0, bestD = Infinity;
    for (let i = 0; i < count; i++) {
      const dx = xy[2 * i] / 10 - ll.lng, dy = xy[2 * i + 1] / 10 - ll.lat, dd = dx * dx + dy * dy;
      if (dd < bestD) { bestD = dd; best = i; }
    }
    return Math.min(best * step, last);
  }

  // A new drawing: its track, bands and north; symbols and labels anew.
  function show(d) {
    const v = d.vista, p = v.pianta, z = v.zoom;
    g = { xy: p.punti, step: p.passo, last: p.ultimo, count: p.punti.length / 2, z, labels: v.etichette, objects: d.oggetti };
    map.setMinZoom(z.primo);
    map.setMaxZoom(z.primo + (z.livelli - 1) * z.passo);
    lines.clearLayers();
    const band = (a, b, color, weight, opacity, i) => {
      const line = L.polyline(between(a, b), { color, weight, opacity, lineCap: 'butt', interactive: i !== undefined });
      if (i !== undefined) line.on('mouseover', () => on.point(i));
      lines.addLayer(line);
    };
    for (const s of v.profilo.stazioni) band(s.da, s.a, '#1f4e99', 9, 0.35);
    d.oggetti.forEach((o, i) => {
      if (o.tipo === 'galleria') band(o.inizio, o.fine, '#a47a4b', 7, 1, i);
      if (o.tipo === 'rallentamento') band(o.inizio, Math.max(o.fine, o.inizio + 50), '#f28e1c', 11, 0.75, i);
    });
    // The map's track an import fitted the plan to, over the bands and under
    // the compiled track, so that where the two part shows.
    const original = p.originale || [];
    if (original.length) {
      const pts = [];
      for (let i = 0; i < original.length; i += 2) pts.push([original[i + 1] / 10, original[i] / 10]);
      lines.addLayer(L.polyline(pts, { color: '#e0559a', weight: 5, opacity: 0.45, interactive: false }));
    }
    for (const li of document.querySelectorAll('[data-solo="originale"]')) li.hidden = !original.length;
    const track = L.polyline(between(0, g.last), { color: '#2b2b2b', weight: 2, interactive: false });
    lines.addLayer(track);
    g.whole = track.getBounds();
    g.anchors = v.etichette.map((e) => at(e.m));
    g.places = d.oggetti.map((o) => (symbolKind(o) ? at(o.inizio) : null));
    const [nx, ny] = p.nord, angle = Math.atan2(nx, -ny) * 180 / Math.PI;
    north.getContainer().title = 'nord';
    north.getContainer().innerHTML = `<svg xmlns="${SVG}" width="40" height="40" viewBox="-20 -20 40 40">` +
      `<polygon points="0,-9 4,7 0,3 -4,7" fill="#333" transform="rotate(${angle.toFixed(1)})"/>` +
      `<text x="${(nx * 15).toFixed(1)}" y="${(ny * 15 + 3.5).toFixed(1)}" font-size="10" font-weight="bold" ` +
      'text-anchor="middle" fill="#333">N</text></svg>';
    layer.clearLayers();
    markers.clear();
    if (cursor) { cursor.remove(); cursor = null; }
  }

  // What shows at this zoom, near the view. Markers are kept by a key and
  // only those that change are added or taken away.
  function level() { return Math.max(0, Math.floor((map.getZoom() - g.z.primo) / g.z.passo + 1e-6)); }
  function placeAt(where, l) {
    let found = null;
    for (const w of where) { if (w[0] <= l) found = w; else break; }
    return found && found.length > 1 ? found : null;
  }
  function refresh() {
    if (!g) return;
    const l = level(), near = map.getBounds().pad(0.3), wanted = new Map();
    g.objects.forEach((o, i) => {
      const kind = symbolKind(o);
      if (!kind || o.livello > l || !near.contains(g.places[i])) return;
      wanted.set(`s${i}:${o.tipo}:${o.inizio}`, () => {
        const size = SYMBOLS[kind][0];
        const icon = L.divIcon({ className: 'simbolo', iconSize: [size, size], iconAnchor: [size / 2, size / 2],
          html: symbolSvg(kind).replace('<svg ', `<svg data-i="${i}" data-tipo="${o.tipo}" data-inizio="${o.inizio}" `) });
        return L.marker(g.places[i], { icon, keyboard: false, zIndexOffset: kind === 'stazione' ? 1000 : 0 })
          .on('mouseover', () => on.point(i));
      });
    });
    g.labels.forEach((e, i) => {
      const place = placeAt(e.dove, l);
      if (!place || !near.contains(g.anchors[i])) return;
      const upright = place.length > 3;
      wanted.set(`e${i}:${e.m}:${e.testo}:${place[1]},${place[2]},${upright}`, () => {
        const icon = L.divIcon({ className: `etichetta ${e.tipo}${upright ? ' in-piedi' : ''}`, iconSize: null,
          iconAnchor: [-place[1], -place[2]], html: '' });
        const m = L.marker(g.anchors[i], { icon, keyboard: false, interactive: false });
        m.on('add', () => { m.getElement().textContent = e.testo; });
        return m;
      });
      if (e.tipo === 'km') {
        wanted.set(`k${i}:${e.m}`, () => L.marker(g.anchors[i], { icon: L.divIcon({ className: 'simbolo', iconSize: [6, 6],
          html: symbolSvg('km') }), keyboard: false, interactive: false }));
      }
    });
    for (const [key, m] of markers) if (!wanted.has(key)) { layer.removeLayer(m); markers.delete(key); }
    for (const [key, make] of wanted) if (!markers.has(key)) { const m = make(); markers.set(key, m); layer.addLayer(m); }
  }
  map.on('zoomend moveend', refresh);

  return {
    map, show, refresh, at, metreNear,
    // The whole line, with room around it for the labels at its ends.
    wholeZoom() { return map.getBoundsZoom(g.whole, false, L.point(2 * WHOLE_PAD, 2 * WHOLE_PAD)); },
    showWhole() { map.fitBounds(g.whole, { animate: false, padding: L.point(WHOLE_PAD, WHOLE_PAD) }); },
    // The zoom at which `span` metres fill the view's width.
    zoomFor(span) {
      const w = map.getSize().x || 1;
      return clamp(Math.floor(Math.log2(w / Math.max(span, 1)) / g.z.passo) * g.z.passo, map.getMinZoom(), map.getMaxZoom());
    },
    setCursor(m) {
      if (cursor) cursor.remove();
      cursor = m === null ? null
        : L.circleMarker(at(m), { radius: 10, color: '#1e64c8', weight: 2, fill: false, interactive: false, className: 'cursore' }).addTo(map);
    },
  };
}
