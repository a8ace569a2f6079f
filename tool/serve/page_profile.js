// The profile: altitude and speed limit along the kilometres, drawn anew in
// screen pixels for the stretch in view, with an altitude axis (m) on the
// left, a speed axis (km/h) on the right and a kilometre axis whose step
// follows the zoom. Station names stand upright on their station lines;
// which show at a zoom the tool decided (the stations' "livello").
// Pixels: the axes' room either side, the bands below the plot, and the
// view's buttons above the names.
const AXIS_LEFT = 66, AXIS_RIGHT = 56, BELOW = 64, BUTTONS = 34;

function escapeText(s) { return s.replace(/&/g, '&amp;').replace(/</g, '&lt;').replace(/>/g, '&gt;').replace(/"/g, '&quot;'); }

// A step of 1, 2 or 5 times a power of ten, at least `raw`.
function niceStep(raw) {
  const p = Math.pow(10, Math.floor(Math.log10(Math.max(raw, 1e-9))));
  for (const f of [1, 2, 5, 10]) if (f * p >= raw) return f * p;
  return 10 * p;
}
// Kilometres with the decimals the step needs: "12", "12,5", "12,25".
function kmFigure(m, step) {
  const decimals = Math.max(0, 3 - Math.floor(Math.log10(step) + 1e-9));
  return commaNumber(m / 1000, Math.min(decimals, 3));
}

function profileView(svg, d, on) {
  const pv = d.vista.profilo, z = d.vista.zoom, alt = pv.altitudini, speed = pv.velocita, cell = pv.passo;
  const length = Math.max(d.lunghezza, 1);
  let vtop = 20;
  for (const s of speed) vtop = Math.max(vtop, s);
  vtop = Math.ceil(vtop * 1.15 / 20) * 20;

  // Room above the plot for the longest station name, upright.
  let longest = 0;
  for (const st of pv.stazioni) longest = Math.max(longest, st.nome.length);
  const namesBand = clamp(longest * 6.9 + 12, 40, 170);
  // The view's size, measured once: reading it after each drawing would
  // make the browser lay the page out again on every step.
  let size = null;
  function layout() {
    if (!size) size = { w: svg.clientWidth || 800, h: svg.clientHeight || 400 };
    const { w, h } = size;
    const top = BUTTONS + Math.min(namesBand, h * 0.4), bottom = Math.max(top + 40, h - BELOW);
    return { w, h, left: AXIS_LEFT, right: w - AXIS_RIGHT, top, bottom };
  }
  // Pixels per metre and the metre at the left edge, for a view.
  function scaleOf(view, g) {
    const k = (g.right - g.left) / view.s;
    return { k, m0: view.c - view.s / 2, x: (m) => g.left + (m - (view.c - view.s / 2)) * k };
  }

  // The run's points (every `passo` m from `da`) in view, a few per pixel.
  function runPoints(values, s, m0, m1, y) {
    const run = d.corsa, pts = [];
    const i0 = Math.max(0, Math.floor((m0 - run.da) / run.passo)), i1 = Math.min(values.length - 1, Math.ceil((m1 - run.da) / run.passo));
    const every = Math.max(1, Math.floor((i1 - i0) / 2000));
    for (let i = i0; i <= i1; i += every) {
      if (values[i] !== null) pts.push(`${s.x(run.da + i * run.passo).toFixed(1)},${y(values[i]).toFixed(1)}`);
    }
    return pts.join(' ');
  }

  // Time against distance: the timetable (red) and the fastest run with
  // its stops (blue), the clock on the left axis.
  function drawTime(g, s, m0, m1, out, axis) {
    const run = d.corsa;
    let last = 60;
    for (const p of run.orario) last = Math.max(last, p.t);
    for (const t of run.tempi) if (t !== null) last = Math.max(last, t);
    const tstep = niceStep(last / 60 / 6) * 60;
    const y = (t) => g.top + (g.bottom - g.top) * t / last;
    for (let t = Math.ceil(run.partenza / tstep) * tstep - run.partenza; t <= last; t += tstep) {
      out.push(`<line x1="${g.left}" x2="${g.right}" y1="${y(t).toFixed(1)}" y2="${y(t).toFixed(1)}" stroke="#ececec"/>`);
      axis.push(`<text x="${g.left - 6}" y="${(y(t) + 3.5).toFixed(1)}" text-anchor="end" class="asse">${clockText(run.partenza + t)}</text>`);
    }
    out.push(`<polyline class="corsa" points="${runPoints(run.tempi, s, m0, m1, y)}" fill="none" stroke="#1e64c8" stroke-width="2"/>`);
    const sched = run.orario.map((p) => `${s.x(p.m).toFixed(1)},${y(p.t).toFixed(1)}`).join(' ');
    out.push(`<polyline class="orario" points="${sched}" fill="none" stroke="#c62828" stroke-width="1.6"/>`);
    for (const p of run.orario) out.push(`<circle cx="${s.x(p.m).toFixed(1)}" cy="${y(p.t).toFixed(1)}" r="3" fill="#c62828"/>`);
  }

  function draw(view, cursorAt) {
    const g = layout(), s = scaleOf(view, g), out = [];
    const timeMode = view.tempo && d.corsa;
    const axis = [];  // the clock's figures, outside the plot's clip
    const m0 = s.m0, m1 = m0 + view.s;
    const level = Math.floor((Math.log2(s.k) - z.primo) / z.passo + 1e-6);
    // The altitudes in view, one point per pixel at most: the lowest and
    // highest of each pixel's samples.
    const i0 = clamp(Math.floor(m0 / cell), 0, alt.length - 1), i1 = clamp(Math.ceil(m1 / cell), 0, alt.length - 1);
    let amin = Infinity, amax = -Infinity;
    for (let i = i0; i <= i1; i++) { amin = Math.min(amin, alt[i]); amax = Math.max(amax, alt[i]); }
    if (!Number.isFinite(amin)) { amin = 0; amax = 10; }
    const astep = niceStep(Math.max(amax - amin, 10) / 5);
    const abot = Math.floor(amin / astep) * astep, atop = Math.max(Math.ceil(amax / astep) * astep, abot + astep);
    const ay = (a) => g.bottom - (g.bottom - g.top) * 0.85 * (a - abot) / (atop - abot);
    const vy = (v) => g.bottom - (g.bottom - g.top) * v / vtop;

    out.push(`<rect x="${g.left}" y="${g.top}" width="${g.right - g.left}" height="${g.bottom - g.top}" fill="white" stroke="#bbb"/>`);
    // Altitude axis and its grid.
    for (let a = abot; !timeMode && a <= atop + 1e-9; a += astep) {
      const y = ay(a).toFixed(1);
      out.push(`<line x1="${g.left}" x2="${g.right}" y1="${y}" y2="${y}" stroke="#ececec"/>`,
               `<text x="${g.left - 6}" y="${+y + 3.5}" text-anchor="end" class="asse">${commaNumber(a, astep < 1 ? 1 : 0)}</text>`);
    }
    out.push(`<text x="${g.left - 6}" y="${g.top - 6}" text-anchor="end" class="asse titolo">${timeMode ? 'ora' : 'm'}</text>`);
    for (let v = 0; !timeMode && v <= vtop; v += 20) {
      out.push(`<text x="${g.right + 6}" y="${(vy(v) + 3.5).toFixed(1)}" class="asse velocita">${v}</text>`);
    }
    if (!timeMode) out.push(`<text x="${g.right + 6}" y="${g.top - 6}" class="asse velocita titolo">km/h</text>`);

    const bucket = Math.max(1, Math.floor((i1 - i0) / (g.right - g.left)));
    const line = [];
    for (let i = i0; i <= i1; i += bucket) {
      let lo = alt[i], hi = alt[i];
      for (let j = i + 1; j < Math.min(i + bucket, i1 + 1); j++) { lo = Math.min(lo, alt[j]); hi = Math.max(hi, alt[j]); }
      const x = s.x(i * cell).toFixed(1);
      line.push(`${x},${ay(hi).toFixed(1)}`);
      if (bucket > 1) line.push(`${x},${ay(lo).toFixed(1)}`);
    }
    // What lies along the kilometres stays within the plot's width.
    out.push(`<svg x="${g.left}" y="0" width="${g.right - g.left}" height="${g.h}" viewBox="${g.left} 0 ${g.right - g.left} ${g.h}">`);
    if (timeMode) {
      drawTime(g, s, m0, m1, out, axis);
    } else if (line.length) {
      const first = line[0].split(',')[0], lastX = line[line.length - 1].split(',')[0];
      out.push(`<polygon points="${first},${g.bottom} ${line.join(' ')} ${lastX},${g.bottom}" fill="#efe6d8"/>`,
               `<polyline points="${line.join(' ')}" fill="none" stroke="#5b3a1a" stroke-width="2"/>`);
    }
    // The speed limit: a step at each change.
    const sp = [];
    let prev = null;
    for (let i = Math.max(0, i0 - 1); i <= Math.min(i1, speed.length - 1); i++) {
      if (speed[i] !== prev) {
        const x = s.x(i * cell).toFixed(1);
        if (prev !== null) sp.push(`${x},${vy(prev).toFixed(1)}`);
        sp.push(`${x},${vy(speed[i]).toFixed(1)}`);
        prev = speed[i];
      }
    }
    if (prev !== null) sp.push(`${s.x(Math.min(i1 + 1, speed.length) * cell).toFixed(1)},${vy(prev).toFixed(1)}`);
    if (!timeMode) {
      out.push(`<polyline points="${sp.join(' ')}" fill="none" stroke="#c2185b" stroke-width="1.6" stroke-dasharray="5 3"/>`);
      // The fastest run on the speed axis: the speed-distance diagram.
      if (d.corsa) out.push(`<polyline class="corsa" points="${runPoints(d.corsa.velocita, s, m0, m1, vy)}" fill="none" stroke="#1e64c8" stroke-width="1.8"/>`);
    }

    // Objects along the kilometres in view; of those that stand closer than
    // a pixel or two to the one before, only the first (zoom in for the rest).
    const bands = g.bottom + 22;
    const lastEnd = {};
    const room = (kind, a, b, gap) => {
      if (lastEnd[kind] !== undefined && b < lastEnd[kind] + gap) return false;
      lastEnd[kind] = Math.max(b, a + gap);
      return true;
    };
    d.oggetti.forEach((o, i) => {
      if (o.fine < m0 - 50 || o.inizio > m1 + 50) return;
      const a = s.x(o.inizio), b = Math.max(s.x(o.fine), a + 1), wd = (b - a).toFixed(1), x = a.toFixed(1);
      const t = `data-i="${i}" data-tipo="${o.tipo}" data-inizio="${o.inizio}"`;
      if (o.tipo === 'curva') {
        if (room('curva', a, b, 2)) {
          out.push(`<rect ${t} x="${x}" y="${bands}" width="${wd}" height="10" fill="${o.nome.includes('sinistra') ? '#4b9e8d' : '#4b6fae'}"/>`);
        }
      } else if (o.tipo === 'pendenza') {
        if (room('pendenza', a, a, 5)) {
          out.push(`<rect x="${(a - 0.7).toFixed(1)}" y="${bands + 16}" width="1.4" height="12" fill="#555"/>`,
                   `<rect class="bersaglio" ${t} x="${(a - 4).toFixed(1)}" y="${bands + 14}" width="8" height="16"/>`);
        }
      } else if (o.tipo === 'galleria') {
        if (room('galleria', a, b, 1)) out.push(`<rect ${t} x="${x}" y="${g.bottom - 7}" width="${wd}" height="7" fill="#a47a4b"/>`);
      } else if (o.tipo === 'rallentamento' && !timeMode) {
        const y = vy(o.velocita).toFixed(1);
        out.push(`<line x1="${x}" x2="${b.toFixed(1)}" y1="${y}" y2="${y}" stroke="#f28e1c" stroke-width="3"/>`,
                 `<rect class="bersaglio" ${t} x="${x}" y="${+y - 5}" width="${wd}" height="10"/>`);
      } else if (o.tipo === 'stazione') {
        out.push(`<line x1="${x}" x2="${x}" y1="${g.top}" y2="${g.bottom}" stroke="#1f4e99" stroke-opacity="0.5"/>`,
                 `<rect class="bersaglio" ${t} x="${(a - 4).toFixed(1)}" y="${g.top}" width="8" height="${g.bottom - g.top}"/>`);
      }
    });
    out.push('</svg>', ...axis);
    // Station names upright on their lines, where the tool found room.
    for (const st of pv.stazioni) {
      if (st.livello > level || st.m < m0 || st.m > m1) continue;
      const x = s.x(st.m).toFixed(1);
      out.push(`<text class="nome-stazione" transform="translate(${+x + 4} ${g.top - 4}) rotate(-90)">${escapeText(st.nome)}</text>`);
    }
    // The kilometre axis: round figures at least 70 px apart.
    const kstep = niceStep(70 / s.k);
    out.push(`<line x1="${g.left}" x2="${g.right}" y1="${g.bottom}" y2="${g.bottom}" stroke="#444"/>`);
    for (let m = Math.ceil(m0 / kstep) * kstep; m <= m1; m += kstep) {
      const x = s.x(m);
      out.push(`<line x1="${x.toFixed(1)}" x2="${x.toFixed(1)}" y1="${g.bottom}" y2="${g.bottom + 4}" stroke="#444"/>`);
      // A figure that would stand out of the view is left to the next.
      if (x - 20 < 0 || x + 20 > g.w) continue;
      out.push(`<text x="${x.toFixed(1)}" y="${g.bottom + 15}" text-anchor="middle" class="asse">${kmFigure(m, kstep)}</text>`);
    }
    out.push(`<text x="${g.right + 18}" y="${g.bottom + 15}" class="asse titolo">km</text>`,
             `<text x="${g.left - 6}" y="${bands + 9}" text-anchor="end" class="asse">curve</text>`,
             `<text x="${g.left - 6}" y="${bands + 26}" text-anchor="end" class="asse">pendenze</text>`);
    if (cursorAt !== null && cursorAt >= m0 && cursorAt <= m1) {
      const x = s.x(cursorAt).toFixed(1);
      out.push(`<line class="cursore" x1="${x}" x2="${x}" y1="${g.top}" y2="${bands + 30}" stroke="#1e64c8"/>`);
    }
    svg.innerHTML = out.join('');
  }

  svg.addEventListener('pointerover', (ev) => {
    const t = ev.target.closest && ev.target.closest('[data-i]');
    if (t) on.point(+t.dataset.i);
  });
  return {
    draw,
    // The metre under a point of the screen.
    metreAt(view, clientX) {
      const g = layout(), r = svg.getBoundingClientRect();
      return scaleOf(view, g).m0 + (clientX - r.left - g.left) / scaleOf(view, g).k;
    },
    pixelsPerMetre(view) { return scaleOf(view, layout()).k; },
    resized() { size = null; },
    length,
  };
}
