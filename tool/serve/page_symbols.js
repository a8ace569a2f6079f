// The symbols of the live view, each drawn at one size on the screen
// whatever the zoom, and the legend that names every one of them.
const SYMBOLS = {
  stazione: [14, '<circle cx="7" cy="7" r="5.5" fill="white" stroke="#1f4e99" stroke-width="2.2"/>', 'stazione'],
  segnale: [9, '<rect x="1" y="1" width="7" height="7" fill="#d62728" stroke="white" stroke-width="0.8"/>', 'segnale'],
  avviso: [12, '<polygon points="6,0.5 11.5,11 0.5,11" fill="#f28e1c" stroke="white" stroke-width="0.8"/>',
           'cartello di avviso del rallentamento'],
  cartello: [10, '<polygon points="5,0.5 9.5,5 5,9.5 0.5,5" fill="#2e7d6b" stroke="white" stroke-width="0.8"/>',
             'cartello indicatore'],
  indicatori: [10, '<rect x="1.5" y="0.5" width="7" height="9" rx="1.5" fill="#8e24aa" stroke="white" stroke-width="0.8"/>',
               'cartelli di velocit\u00e0 massima'],
  punto: [8, '<circle cx="4" cy="4" r="3" fill="#5e35b1"/>', 'punto di codice (pieno)'],
  taglio: [8, '<circle cx="4" cy="4" r="2.6" fill="white" stroke="#5e35b1" stroke-width="1.4"/>', 'taglio di codice (vuoto)'],
  km: [6, '<circle cx="3" cy="3" r="2" fill="white" stroke="#555" stroke-width="0.9"/>', 'chilometro'],
};
// The line styles, as the plan and the profile draw them.
const LINES = [
  ['#2b2b2b', 2, 1, '', 'binario'],
  ['#1f4e99', 9, 0.35, '', 'tratto di stazione'],
  ['#a47a4b', 7, 1, '', 'galleria'],
  ['#f28e1c', 9, 0.75, '', 'rallentamento'],
  ['#5b3a1a', 2, 1, '', 'altitudine'],
  ['#c2185b', 1.6, 1, '5 3', 'velocit\u00e0 massima'],
  ['#1e64c8', 1.8, 1, '', 'corsa pi\u00f9 veloce (velocit\u00e0, o tempo)'],
  ['#c62828', 1.6, 1, '', 'orario (con \u201ctempo\u201d)'],
  ['#4b9e8d', 9, 1, '', 'curva a sinistra'],
  ['#4b6fae', 9, 1, '', 'curva a destra'],
  ['#555', 1.4, 1, '', 'cambio di pendenza (profilo)'],
  ['#e0559a', 5, 0.45, '', 'binario della mappa (scenario import)', 'originale'],
];

// The symbol's kind for an object: a code cut is hollow, a code point full.
function symbolKind(o) {
  if (o.tipo === 'abbattimento') return o.nome.startsWith('Taglio') ? 'taglio' : 'punto';
  return SYMBOLS[o.tipo] ? o.tipo : null;
}
function symbolSvg(kind) {
  const [size, body] = SYMBOLS[kind];
  return `<svg xmlns="${SVG}" width="${size}" height="${size}" viewBox="0 0 ${size} ${size}">${body}</svg>`;
}

function fillLegend(list) {
  const items = [];
  for (const [color, width, opacity, dash, name, only] of LINES) {
    const line = `<svg xmlns="${SVG}" width="26" height="12"><line x1="1" y1="6" x2="25" y2="6" stroke="${color}" ` +
                 `stroke-width="${width}" stroke-opacity="${opacity}"${dash ? ` stroke-dasharray="${dash}"` : ''}/></svg>`;
    // A line only some drawings have is named only while one shows it.
    items.push(`<li${only ? ` data-solo="${only}" hidden` : ''}>${line}<span>${name}</span></li>`);
  }
  for (const kind in SYMBOLS) items.push(`<li><span style="width:26px;display:flex;justify-content:center">${symbolSvg(kind)}</span><span>${SYMBOLS[kind][2]}</span></li>`);
  list.innerHTML = items.join('');
}
