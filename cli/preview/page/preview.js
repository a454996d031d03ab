// The preview page: controls built from the parameters the module declares, the mask
// editor, and the picture the server renders through the module for the latest state.
"use strict";
(() => {
  const $ = (id) => document.getElementById(id);
  const SVG = "http://www.w3.org/2000/svg";

  // What the page shows, in the form the server takes: controls by option, the mask in
  // the host's exchange form (handles relative to their vertex), the preview resolution.
  const state = { controls: {}, mask: { v: [], i: [], o: [], c: true }, downsample: 1 };
  let input = { width: 1, height: 1 };
  let selected = -1;
  const widgets = {}; // option -> { row, set(value), enable(on) }
  // Per update: from the change to the picture on screen; of the last one, the server's
  // render and pixel conversion, the wait for the answer, reading its body, drawing, the
  // bytes of the body and whether it was a patch; how many updates came whole.
  const stats = {
    updates: 0, totalMs: 0, lastMs: 0, maxMs: 0,
    renderMs: 0, encodeMs: 0, answerMs: 0, bodyMs: 0, drawMs: 0, bytes: 0, patch: false, full: 0,
  };
  let page = ""; // this page's name at the server, which then sends only what changed
  // { body: JSON text of the state shown, pixels, image (ImageData of pixels), width,
  //   height, frame: the server's number of it }
  let shown = null;
  let chain = null; // the shown state's rectangles

  // ---- messages
  function showError(text) {
    const m = $("message");
    m.textContent = text;
    m.className = "error";
  }
  function showNote(text) {
    const m = $("message");
    m.textContent = text;
    m.className = "";
  }
  async function errorOf(res) {
    try {
      const body = await res.json();
      return body.error || res.statusText;
    } catch (e) {
      return res.status + " " + res.statusText;
    }
  }
  function post(path, body) {
    return fetch(path, {
      method: "POST",
      headers: { "Content-Type": "application/json" },
      body: JSON.stringify(body),
    });
  }
  const snapshot = () => JSON.parse(JSON.stringify(state));

  // ---- rendering: one request at a time; when it returns, the latest state goes next,
  // so the picture never trails the controls by more than one render.
  let inFlight = false;
  let dirty = false;
  let changedAt = 0;
  const waiting = []; // resolved when the picture shows the latest state
  function changed() {
    if (!dirty) changedAt = performance.now();
    dirty = true;
    pump();
  }
  function whenSettled() {
    return new Promise((resolve) => {
      if (!inFlight && !dirty) resolve();
      else waiting.push(resolve);
    });
  }
  async function pump() {
    if (inFlight || !dirty) return;
    dirty = false;
    inFlight = true;
    const since = changedAt;
    const body = snapshot();
    try {
      const sent = performance.now();
      // The frame shown is named, so that the answer can be only the pixels that changed.
      const base = shown && page ? { page, frame: shown.frame } : undefined;
      const res = await post("/api/frame", { ...body, base });
      const answered = performance.now();
      if (res.status === 409) {
        // Another page asked for a picture after ours: ask again once that one is done.
        dirty = true;
      } else if (!res.ok) {
        const message = await errorOf(res);
        showError(message);
        // A refused control ("--max-width: ...") is marked; the picture stays as it was.
        const option = /^--([a-z-]+):/.exec(message);
        if (option && widgets[option[1]]) widgets[option[1]].row.classList.add("invalid");
      } else {
        const width = Number(res.headers.get("X-Width"));
        const height = Number(res.headers.get("X-Height"));
        const frame = Number(res.headers.get("X-Frame")) || 0;
        const patchOf = res.headers.get("X-Frame-Kind") === "patch" ? Number(res.headers.get("X-Base-Frame")) : -1;
        const data = await res.arrayBuffer();
        const read = performance.now();
        if (patchOf >= 0 && !(shown && shown.frame === patchOf && shown.width === width && shown.height === height)) {
          // A patch of a frame this page no longer shows: the next answer comes whole.
          dirty = true;
        } else {
          if (patchOf >= 0) {
            patch(data, width, height);
          } else {
            const pixels = new Uint8ClampedArray(data);
            shown = { pixels, image: new ImageData(pixels, width, height), width, height };
            display(0, height);
            stats.full += 1;
          }
          Object.assign(shown, { body: JSON.stringify(body), frame });
          stats.answerMs = answered - sent;
          stats.bodyMs = read - answered;
          stats.drawMs = performance.now() - read;
          stats.bytes = data.byteLength;
          stats.patch = patchOf >= 0;
          const ms = performance.now() - since;
          stats.updates += 1;
          stats.totalMs += ms;
          stats.lastMs = ms;
          stats.maxMs = Math.max(stats.maxMs, ms);
          stats.renderMs = Number(res.headers.get("X-Render-Ms")) || 0;
          stats.encodeMs = Number(res.headers.get("X-Encode-Ms")) || 0;
          $("timing").textContent =
            `update ${ms.toFixed(0)} ms (render ${stats.renderMs.toFixed(0)} ms, ` +
            `transfer ${(stats.answerMs - stats.renderMs + stats.bodyMs).toFixed(0)} ms, ` +
            `draw ${stats.drawMs.toFixed(0)} ms), mean ${(stats.totalMs / stats.updates).toFixed(0)} ms`;
          showNote(`${input.width}×${input.height}` +
            (body.downsample > 1 ? ` at 1/${body.downsample}` : ""));
          for (const row of document.querySelectorAll(".control.invalid")) row.classList.remove("invalid");
          if ($("show-rects").checked) await loadChain(body);
        }
      }
    } catch (e) {
      showError(String(e));
    }
    inFlight = false;
    if (dirty) pump();
    else for (const resolve of waiting.splice(0)) resolve();
  }
  // Copies the runs of a patch into the shown pixels and draws the rows they touch. A patch:
  // run count, then per run its first pixel and pixel count, then the runs' pixels;
  // 32-bit little-endian numbers. A count with its top bit set is a fill: one pixel,
  // repeated.
  function patch(data, width, height) {
    const view = new DataView(data);
    const runs = view.getUint32(0, true);
    const run = (k) => {
      const count = view.getUint32(8 + 8 * k, true);
      return { start: view.getUint32(4 + 8 * k, true), count: count & 0x7fffffff, fill: count >>> 31 };
    };
    // Checked whole before any pixel changes: a bad patch leaves the picture as it was.
    let size = 4 + 8 * runs;
    for (let k = 0; k < runs && size <= data.byteLength; k++) {
      const r = run(k);
      if (r.start + r.count > width * height) size = Infinity;
      size += r.fill ? 4 : 4 * r.count;
    }
    if (size !== data.byteLength) throw new Error("the server sent a patch that does not fit the picture");
    const bytes = new Uint8ClampedArray(data);
    const words = new Uint32Array(data);
    const shownWords = new Uint32Array(shown.pixels.buffer);
    let at = 4 + 8 * runs;
    let first = width * height;
    let end = 0;
    for (let k = 0; k < runs; k++) {
      const r = run(k);
      if (r.fill) {
        shownWords.fill(words[at / 4], r.start, r.start + r.count);
        at += 4;
      } else {
        shown.pixels.set(bytes.subarray(at, at + 4 * r.count), 4 * r.start);
        at += 4 * r.count;
      }
      first = Math.min(first, r.start);
      end = Math.max(end, r.start + r.count);
    }
    if (end > first) display(Math.floor(first / width), Math.ceil(end / width));
  }
  // Draws rows [top, bottom) of the shown picture.
  function display(top, bottom) {
    const canvas = $("picture");
    if (canvas.width !== shown.width || canvas.height !== shown.height) {
      canvas.width = shown.width;
      canvas.height = shown.height;
      top = 0;
      bottom = shown.height;
    }
    canvas.getContext("2d").putImageData(shown.image, 0, 0, 0, top, shown.width, bottom - top);
  }
  async function loadChain(body) {
    const res = await post("/api/chain", body);
    if (!res.ok) {
      showError(await errorOf(res));
      return;
    }
    chain = await res.json();
    drawOverlay();
  }

  // ---- controls, from the parameter description
  function stepOf(p) {
    return p.type === "slider" ? 1 : Math.pow(10, -(p.precision || 0));
  }
  function addRow(container, name) {
    const row = document.createElement("div");
    row.className = "control";
    const label = document.createElement("label");
    label.textContent = name;
    row.append(label);
    container.append(row);
    return row;
  }
  function buildControl(p, container) {
    const option = p.option;
    const row = addRow(container, p.name);
    row.dataset.option = option;
    const controls = [];
    let set;
    if (p.type === "slider" || p.type === "fixed" || p.type === "float") {
      const range = document.createElement("input");
      range.type = "range";
      range.min = p.sliderMin;
      range.max = p.sliderMax;
      range.step = stepOf(p);
      range.name = option;
      const number = document.createElement("input");
      number.type = "number";
      number.min = p.validMin;
      number.max = p.validMax;
      number.step = stepOf(p);
      number.name = option + "-value";
      const unit = document.createElement("span");
      unit.className = "unit";
      unit.textContent = p.percent ? "%" : "";
      row.append(range, number, unit);
      controls.push(range, number);
      set = (v) => {
        range.value = v;
        number.value = v;
      };
      range.addEventListener("input", () => {
        number.value = range.value;
        setValue(option, Number(range.value));
      });
      number.addEventListener("input", () => {
        if (number.value === "") return;
        range.value = number.value;
        setValue(option, Number(number.value));
      });
    } else if (p.type === "popup") {
      const select = document.createElement("select");
      select.name = option;
      p.choices.forEach((choice, k) => {
        const item = document.createElement("option");
        item.textContent = choice;
        item.value = p.words[k];
        select.append(item);
      });
      row.append(select);
      controls.push(select);
      set = (v) => {
        select.value = v;
      };
      select.addEventListener("change", () => setValue(option, select.value, true));
    } else if (p.type === "checkbox") {
      const box = document.createElement("input");
      box.type = "checkbox";
      box.name = option;
      box.className = "wide";
      row.append(box);
      controls.push(box);
      set = (v) => {
        box.checked = v;
      };
      box.addEventListener("change", () => setValue(option, box.checked, true));
    } else if (p.type === "color") {
      const wrap = document.createElement("div");
      wrap.className = "colour";
      const colour = document.createElement("input");
      colour.type = "color";
      colour.name = option;
      const alpha = document.createElement("input");
      alpha.type = "number";
      alpha.min = 0;
      alpha.max = 255;
      alpha.step = 1;
      alpha.title = "Alpha 0..255";
      const label = document.createElement("span");
      label.className = "unit";
      label.textContent = "alpha";
      wrap.append(colour, label, alpha);
      row.append(wrap);
      controls.push(colour, alpha);
      set = (v) => {
        alpha.value = parseInt(v.slice(1, 3), 16);
        colour.value = "#" + v.slice(3);
      };
      const update = () => {
        const a = Math.max(0, Math.min(255, Math.round(Number(alpha.value) || 0)));
        setValue(option, "#" + a.toString(16).padStart(2, "0") + colour.value.slice(1), true);
      };
      colour.addEventListener("input", update);
      alpha.addEventListener("input", update);
    } else {
      row.remove();
      return;
    }
    widgets[option] = {
      row,
      set,
      enable(on) {
        row.classList.toggle("disabled", !on);
        for (const c of controls) c.disabled = !on;
      },
    };
    set(state.controls[option]);
    widgets[option].enable(p.enabled);
  }
  function setValue(option, value, refreshUi) {
    state.controls[option] = value;
    changed();
    if (refreshUi) updateUi();
  }
  function setControl(option, value) {
    widgets[option].set(value);
    state.controls[option] = value;
    changed();
  }
  // The module's UI update decides which controls are enabled (Edge Mode switches the
  // edge look between Edge Brightness and Edge Color).
  async function updateUi() {
    const res = await post("/api/ui", snapshot());
    if (!res.ok) {
      showError(await errorOf(res));
      return;
    }
    applyEnabled((await res.json()).params);
  }
  function applyEnabled(params) {
    for (const p of params) {
      if (p.option && widgets[p.option]) widgets[p.option].enable(p.enabled);
    }
  }

  // ---- the mask: geometry in layer pixels at full resolution
  const add = (a, b) => [a[0] + b[0], a[1] + b[1]];
  const sub = (a, b) => [a[0] - b[0], a[1] - b[1]];
  const lerp = (a, b, t) => [a[0] + (b[0] - a[0]) * t, a[1] + (b[1] - a[1]) * t];
  const zero = (h) => h[0] === 0 && h[1] === 0;
  function pieceCount() {
    const n = state.mask.v.length;
    return state.mask.c ? n : Math.max(0, n - 1);
  }
  function piece(k) {
    const m = state.mask;
    const a = k;
    const b = (k + 1) % m.v.length;
    return {
      p0: m.v[a],
      p1: add(m.v[a], m.o[a]),
      p2: add(m.v[b], m.i[b]),
      p3: m.v[b],
      straight: zero(m.o[a]) && zero(m.i[b]),
    };
  }
  function bezier(pc, t) {
    const a = lerp(pc.p0, pc.p1, t);
    const b = lerp(pc.p1, pc.p2, t);
    const c = lerp(pc.p2, pc.p3, t);
    return lerp(lerp(a, b, t), lerp(b, c, t), t);
  }
  const fmt = (p) => p[0] + " " + p[1];
  function pieceD(pc) {
    return `M ${fmt(pc.p0)} C ${fmt(pc.p1)} ${fmt(pc.p2)} ${fmt(pc.p3)}`;
  }

  // Layer pixels per CSS pixel, so that marks keep their screen size.
  function unit() {
    const box = $("overlay").getBoundingClientRect();
    return box.width > 0 ? input.width / box.width : 1;
  }
  function toLayer(event) {
    const svg = $("overlay");
    const point = new DOMPoint(event.clientX, event.clientY).matrixTransform(svg.getScreenCTM().inverse());
    return [point.x, point.y];
  }
  function element(name, attributes, parent) {
    const e = document.createElementNS(SVG, name);
    for (const [k, v] of Object.entries(attributes)) e.setAttribute(k, v);
    parent.append(e);
    return e;
  }

  function drawOverlay() {
    const svg = $("overlay");
    svg.setAttribute("viewBox", `0 0 ${input.width} ${input.height}`);
    svg.replaceChildren();
    const u = unit();
    if ($("show-rects").checked && chain && chain.rects) {
      const s = chain.downsample || 1;
      const group = element("g", {}, svg);
      for (const r of chain.rects) {
        element("rect", {
          class: "rect",
          x: (r.center[0] - r.halfWidth) * s,
          y: (r.center[1] - r.halfHeight) * s,
          width: 2 * r.halfWidth * s,
          height: 2 * r.halfHeight * s,
        }, group);
      }
    }
    const m = state.mask;
    let d = "";
    for (let k = 0; k < pieceCount(); k++) d += pieceD(piece(k)) + " ";
    element("path", { class: "mask", d: d || `M ${fmt(m.v[0])}` }, svg);
    for (let k = 0; k < pieceCount(); k++) {
      const hit = element("path", { class: "hit", d: pieceD(piece(k)) }, svg);
      hit.dataset.piece = k;
    }
    if (selected >= 0 && selected < m.v.length) {
      for (const side of ["i", "o"]) {
        const h = add(m.v[selected], m[side][selected]);
        element("line", { class: "arm", x1: m.v[selected][0], y1: m.v[selected][1], x2: h[0], y2: h[1] }, svg);
        const c = element("circle", { class: "handle", cx: h[0], cy: h[1], r: 4.5 * u }, svg);
        c.dataset.handle = side;
        c.dataset.vertex = selected;
      }
    }
    m.v.forEach((p, k) => {
      const c = element("circle", {
        class: "vertex" + (k === selected ? " selected" : ""),
        cx: p[0],
        cy: p[1],
        r: 5.5 * u,
      }, svg);
      c.dataset.vertex = k;
    });
    $("closed").checked = m.c;
    for (const id of ["smooth", "corner"]) $(id).disabled = selected < 0;
    $("delete").disabled = selected < 0 || m.v.length <= 1;
  }
  function maskChanged() {
    drawOverlay();
    changed();
  }

  // Dragging vertices and handles; a click on the path splits the piece there.
  let drag = null;
  function onPointerDown(event) {
    const target = event.target;
    if (target.dataset.handle !== undefined) {
      drag = { kind: "handle", vertex: Number(target.dataset.vertex), side: target.dataset.handle };
    } else if (target.dataset.vertex !== undefined) {
      selected = Number(target.dataset.vertex);
      drag = { kind: "vertex", vertex: selected, from: toLayer(event), start: state.mask.v[selected] };
      drawOverlay();
    } else if (target.dataset.piece !== undefined) {
      selected = insertVertex(Number(target.dataset.piece), toLayer(event));
      maskChanged();
      return;
    } else {
      selected = -1;
      drawOverlay();
      return;
    }
    $("overlay").setPointerCapture(event.pointerId);
    event.preventDefault();
  }
  function onPointerMove(event) {
    if (!drag) return;
    const p = toLayer(event);
    const m = state.mask;
    if (drag.kind === "vertex") {
      m.v[drag.vertex] = add(drag.start, sub(p, drag.from));
    } else {
      m[drag.side][drag.vertex] = sub(p, m.v[drag.vertex]);
    }
    maskChanged();
  }
  function onPointerUp(event) {
    if (!drag) return;
    drag = null;
    $("overlay").releasePointerCapture(event.pointerId);
  }
  // Splits piece k where it passes nearest to p (de Casteljau: the shape stays the same);
  // a straight piece stays two straight pieces. Returns the new vertex's index.
  function insertVertex(k, p) {
    const pc = piece(k);
    let best = 0.5;
    let bestDistance = Infinity;
    for (let s = 0; s <= 200; s++) {
      const q = bezier(pc, s / 200);
      const dist = Math.hypot(q[0] - p[0], q[1] - p[1]);
      if (dist < bestDistance) {
        bestDistance = dist;
        best = s / 200;
      }
    }
    const m = state.mask;
    const at = k + 1;
    const b = (k + 1) % m.v.length;
    if (pc.straight) {
      m.v.splice(at, 0, bezier(pc, best));
      m.i.splice(at, 0, [0, 0]);
      m.o.splice(at, 0, [0, 0]);
      return at;
    }
    const t = best;
    const a1 = lerp(pc.p0, pc.p1, t);
    const b1 = lerp(pc.p1, pc.p2, t);
    const c1 = lerp(pc.p2, pc.p3, t);
    const d1 = lerp(a1, b1, t);
    const e1 = lerp(b1, c1, t);
    const f1 = lerp(d1, e1, t);
    m.o[k] = sub(a1, pc.p0);
    m.i[b] = sub(c1, pc.p3);
    m.v.splice(at, 0, f1);
    m.i.splice(at, 0, sub(d1, f1));
    m.o.splice(at, 0, sub(e1, f1));
    return at;
  }
  function deleteVertex() {
    const m = state.mask;
    if (selected < 0 || m.v.length <= 1) return;
    for (const key of ["v", "i", "o"]) m[key].splice(selected, 1);
    selected = -1;
    maskChanged();
  }
  // Handles along the line through the neighbours, a third of the way to each.
  function smoothVertex() {
    const m = state.mask;
    const n = m.v.length;
    if (selected < 0 || n < 2) return;
    const prev = selected > 0 || m.c ? m.v[(selected + n - 1) % n] : null;
    const next = selected < n - 1 || m.c ? m.v[(selected + 1) % n] : null;
    const v = m.v[selected];
    const dir = sub(next || v, prev || v);
    const length = Math.hypot(dir[0], dir[1]);
    if (length === 0) return;
    const unitDir = [dir[0] / length, dir[1] / length];
    const toPrev = prev ? Math.hypot(v[0] - prev[0], v[1] - prev[1]) / 3 : 0;
    const toNext = next ? Math.hypot(next[0] - v[0], next[1] - v[1]) / 3 : 0;
    m.i[selected] = [-unitDir[0] * toPrev, -unitDir[1] * toPrev];
    m.o[selected] = [unitDir[0] * toNext, unitDir[1] * toNext];
    maskChanged();
  }
  function cornerVertex() {
    if (selected < 0) return;
    state.mask.i[selected] = [0, 0];
    state.mask.o[selected] = [0, 0];
    maskChanged();
  }
  async function loadMask(text) {
    const res = await post("/api/mask", { text });
    if (!res.ok) {
      showError(await errorOf(res));
      return;
    }
    state.mask = (await res.json()).mask;
    selected = -1;
    maskChanged();
  }
  function saveMask() {
    const blob = new Blob([JSON.stringify(state.mask) + "\n"], { type: "application/json" });
    const link = document.createElement("a");
    link.href = URL.createObjectURL(blob);
    link.download = "mask.json";
    document.body.append(link);
    link.click();
    link.remove();
    setTimeout(() => URL.revokeObjectURL(link.href), 1000);
  }

  // ---- Time: the scrubber is the Time control; play runs 0 -> 100 % over the frames at
  // the frame rate, showing each frame the renderer has ready (late ones are skipped).
  let playing = false;
  let playStart = 0;
  function playFrame(now) {
    if (!playing) return;
    const frames = Math.max(2, Math.round(Number($("frames").value) || 48));
    const fps = Math.max(1, Number($("fps").value) || 24);
    let f = Math.floor(((now - playStart) * fps) / 1000);
    if (f >= frames) {
      if (!$("loop").checked) {
        setControl("time", 100);
        togglePlay();
        return;
      }
      playStart = now;
      f = 0;
    }
    const time = (100 * f) / (frames - 1);
    if (state.controls.time !== time) setControl("time", time);
    $("frame-label").textContent = `frame ${f} of ${frames} at ${fps} fps`;
    requestAnimationFrame(playFrame);
  }
  function togglePlay() {
    playing = !playing;
    $("play").textContent = playing ? "Stop" : "Play";
    if (playing) {
      playStart = performance.now();
      requestAnimationFrame(playFrame);
    }
  }

  // ---- back to the command line
  async function copyCommand() {
    const res = await post("/api/command", snapshot());
    if (!res.ok) {
      showError(await errorOf(res));
      return;
    }
    const answer = await res.json();
    const box = $("command");
    box.value = answer.command;
    $("command-note").textContent = answer.needsMaskFile
      ? `The mask does not read back exactly as path data: save it as ${answer.maskFile} beside the command.`
      : "";
    try {
      await navigator.clipboard.writeText(answer.command);
      showNote("Command copied.");
    } catch (e) {
      box.select();
      showNote(document.execCommand("copy") ? "Command copied." : "Select the command and copy it.");
    }
    return answer;
  }

  // ---- start
  async function start() {
    const res = await fetch("/api/session");
    if (!res.ok) {
      showError(await errorOf(res));
      return;
    }
    const session = await res.json();
    input = session.input;
    page = session.page || "";
    Object.assign(state, session.state);
    $("input-name").textContent = `${session.input.name} · ${input.width}×${input.height}` +
      (session.input.depth === "32" ? " float" : ` ${session.input.depth}-bit`);
    $("fps").value = session.fps;
    $("downsample").value = String(state.downsample);
    $("stage").style.aspectRatio = `${input.width} / ${input.height}`;
    $("stage").style.width = `min(100%, calc((100vh - 60px) * ${input.width / input.height}))`;
    for (const p of session.params) {
      if (!p.option) continue;
      buildControl(p, p.option === "time" ? $("time-control") : $("controls"));
    }
    const overlay = $("overlay");
    overlay.addEventListener("pointerdown", onPointerDown);
    overlay.addEventListener("pointermove", onPointerMove);
    overlay.addEventListener("pointerup", onPointerUp);
    overlay.addEventListener("pointercancel", onPointerUp);
    window.addEventListener("resize", drawOverlay);
    document.addEventListener("keydown", (event) => {
      const typing = ["INPUT", "TEXTAREA", "SELECT"].includes(document.activeElement.tagName);
      if (!typing && (event.key === "Delete" || event.key === "Backspace")) deleteVertex();
    });
    $("closed").addEventListener("change", () => {
      state.mask.c = $("closed").checked;
      maskChanged();
    });
    $("show-rects").addEventListener("change", () => {
      chain = null;
      if ($("show-rects").checked && shown) loadChain(JSON.parse(shown.body));
      drawOverlay();
    });
    $("smooth").addEventListener("click", smoothVertex);
    $("corner").addEventListener("click", cornerVertex);
    $("delete").addEventListener("click", deleteVertex);
    $("load-mask").addEventListener("click", () => loadMask($("mask-text").value));
    $("mask-file").addEventListener("change", async () => {
      const file = $("mask-file").files[0];
      if (file) loadMask(await file.text());
      $("mask-file").value = "";
    });
    $("save-mask").addEventListener("click", saveMask);
    $("downsample").addEventListener("change", () => {
      state.downsample = Number($("downsample").value);
      changed();
    });
    $("show-input").addEventListener("change", () => {
      const original = $("input-picture");
      if (!original.src) original.src = "/api/input.png";
      original.hidden = !$("show-input").checked;
    });
    $("play").addEventListener("click", togglePlay);
    $("copy-command").addEventListener("click", copyCommand);
    drawOverlay();
    changed();
  }

  // For tests and scripts: the state the shown picture was rendered from, its size and the
  // digest of its pixels (8-bit RGBA rows), the time per update, and where a vertex is on
  // the screen.
  window.boxwander = {
    settled: () => !inFlight && !dirty && shown !== null,
    shownState: () => (shown ? shown.body : null),
    shownSize: () => (shown ? [shown.width, shown.height] : null),
    // SHA-256 of the shown pixels, in hex: a check of every byte without moving them all.
    shownDigest: async () => {
      const digest = new Uint8Array(await crypto.subtle.digest("SHA-256", shown.pixels));
      return Array.from(digest, (b) => b.toString(16).padStart(2, "0")).join("");
    },
    stats: () => ({ ...stats, meanMs: stats.updates ? stats.totalMs / stats.updates : 0 }),
    resetStats: () => Object.assign(stats, { updates: 0, totalMs: 0, lastMs: 0, maxMs: 0, full: 0 }),
    // Sets a control and waits for its picture: the time of one update alone, without a
    // drag's changes queueing behind it.
    updateAlone: async (option, value) => {
      await whenSettled();
      setControl(option, value);
      await whenSettled();
      return { ...stats };
    },
    vertexOnScreen: (k) => {
      const box = $("overlay").getBoundingClientRect();
      const p = state.mask.v[k];
      return [box.left + (p[0] / input.width) * box.width, box.top + (p[1] / input.height) * box.height];
    },
    copyCommand,
  };
  start().catch((e) => showError(String(e)));
})();
