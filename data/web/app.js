// Web remote control of OKA PVX: talks to the program's JSON API on the same origin.
"use strict";

(() => {
  const STATE_MS = 1000;
  const STATE_OFFLINE_MS = 3000;  // back off while the program is unreachable
  const PICTURE_MS = 500;
  const PICTURE_RETRY_MS = 2000;
  const PICTURE_TIMEOUT_MS = 5000;
  const LISTS_MS = 30000;
  const MESSAGE_MS = 5000;
  const REPEATABLE = new Set(["next-channel", "previous-channel", "volume-up", "volume-down"]);
  const MODE_KEYS = {
    tv: "modeTv", fm: "modeFm", recording: "modeRecording", timeshift: "modeTimeshift",
    playback: "modePlayback", preview: "modePreview", other: "modeOther"
  };
  const HTML_LANG = { en: "en", de: "de", zh: "zh-CN" };

  const $ = (sel) => document.querySelector(sel);

  // ---- language ----

  function pickLanguage() {
    const asked = new URLSearchParams(location.search).get("lang");
    if (asked && I18N[asked]) return asked;
    const wanted = navigator.languages && navigator.languages.length
      ? navigator.languages : [navigator.language || "en"];
    for (const tag of wanted) {
      const base = String(tag).toLowerCase().split("-")[0];
      if (I18N[base]) return base;
    }
    return "en";
  }

  const lang = pickLanguage();
  const locale = HTML_LANG[lang];
  const texts = I18N[lang];

  function t(key, vars) {
    let s = texts[key] ?? I18N.en[key] ?? key;
    if (vars) s = s.replace(/\{(\w+)\}/g, (m, k) => (k in vars ? String(vars[k]) : m));
    return s;
  }

  function applyTexts() {
    document.documentElement.lang = locale;
    for (const el of document.querySelectorAll("[data-i18n]")) el.textContent = t(el.dataset.i18n);
    for (const el of document.querySelectorAll("[data-i18n-aria]")) el.setAttribute("aria-label", t(el.dataset.i18nAria));
    for (const el of document.querySelectorAll(".digit")) el.setAttribute("aria-label", t("digit", { n: el.textContent.trim() }));
    for (const a of document.querySelectorAll(".langs a")) {
      if (new URL(a.href, location.href).searchParams.get("lang") === lang) a.setAttribute("aria-current", "true");
    }
  }

  // ---- formatting ----

  const numberFmt = new Intl.NumberFormat(locale, { minimumFractionDigits: 1, maximumFractionDigits: 1 });
  const hour = lang === "en" ? "numeric" : "2-digit";  // "9:00 PM" but "21:00"
  const timeFmt = new Intl.DateTimeFormat(locale, { hour, minute: "2-digit" });
  const dateFmt = new Intl.DateTimeFormat(locale, { weekday: "short", day: "numeric", month: "short", hour, minute: "2-digit" });
  const dateYearFmt = new Intl.DateTimeFormat(locale, { weekday: "short", day: "numeric", month: "short", year: "numeric", hour, minute: "2-digit" });

  // The API's times carry no zone: they are the program's local time.
  function parseLocal(text) {
    const m = /^(\d{4})-(\d{2})-(\d{2})[T ](\d{2}):(\d{2})(?::(\d{2}))?/.exec(String(text || ""));
    if (!m) return null;
    const d = new Date(+m[1], +m[2] - 1, +m[3], +m[4], +m[5], +(m[6] || 0));
    return Number.isNaN(d.getTime()) ? null : d;
  }

  function formatWhen(text) {
    const d = parseLocal(text);
    if (!d) return String(text || "");
    return (d.getFullYear() === new Date().getFullYear() ? dateFmt : dateYearFmt).format(d);
  }

  function formatDuration(seconds) {
    const s = Math.max(0, Math.floor(Number(seconds) || 0));
    const h = Math.floor(s / 3600);
    const m = Math.floor((s % 3600) / 60);
    return `${h}:${String(m).padStart(2, "0")}:${String(s % 60).padStart(2, "0")}`;
  }

  function formatMegabytes(bytes) {
    return `${numberFmt.format((Number(bytes) || 0) / 1e6)} MB`;
  }

  function channelLabel(number) {
    const ch = channels.find((c) => c.number === number);
    return ch && ch.name ? `${number} ${ch.name}` : t("channelN", { n: number });
  }

  function toInputValue(d) {
    const p = (n) => String(n).padStart(2, "0");
    return `${d.getFullYear()}-${p(d.getMonth() + 1)}-${p(d.getDate())}T${p(d.getHours())}:${p(d.getMinutes())}`;
  }

  function icon(id) {
    const ns = "http://www.w3.org/2000/svg";
    const svg = document.createElementNS(ns, "svg");
    svg.setAttribute("class", "icon");
    svg.setAttribute("aria-hidden", "true");
    const use = document.createElementNS(ns, "use");
    use.setAttribute("href", "#" + id);
    svg.append(use);
    return svg;
  }

  function el(tag, cls, text) {
    const e = document.createElement(tag);
    if (cls) e.className = cls;
    if (text !== undefined) e.textContent = text;
    return e;
  }

  // ---- connection ----

  let online = null;
  let unauthorised = false;

  function setConnection(kind) {
    const conn = $("#conn");
    conn.dataset.state = kind;
    $("#conn-text").textContent = t({ ok: "connOk", offline: "connOffline", waiting: "connWaiting", locked: "unauthTitle" }[kind]);
  }

  function setOnline(value) {
    if (unauthorised) return;
    const cameBack = value && online === false;
    if (value !== online) setConnection(value ? "ok" : "offline");
    online = value;
    if (cameBack) refreshLists();
  }

  // Without a valid cookie nothing works: say so once and go quiet.
  function lock() {
    if (unauthorised) return;
    unauthorised = true;
    clearTimeout(stateTimer);
    clearInterval(listsTimer);
    stopPicture();
    setConnection("locked");
    $("#locked").hidden = false;
    const app = $("#app");
    app.inert = true;
    app.classList.add("is-locked");
  }

  // Resolves to {status, ok, data}, or null when the program was unreachable or refused the cookie.
  async function api(method, path, body) {
    if (unauthorised) return null;
    const opts = { method, cache: "no-store", credentials: "same-origin", headers: { Accept: "application/json" } };
    if (body !== undefined) {
      opts.headers["Content-Type"] = "application/json";
      opts.body = JSON.stringify(body);
    }
    let res;
    try {
      res = await fetch(path, opts);
    } catch (err) {
      setOnline(false);
      return null;
    }
    if (res.status === 401) {
      lock();
      return null;
    }
    setOnline(true);
    let data = null;
    try {
      const text = await res.text();
      if (text) data = JSON.parse(text);
    } catch (err) {
      data = null;
    }
    return { status: res.status, ok: res.ok, data };
  }

  // ---- status line ----

  let messageTimer = 0;

  function say(text, kind) {
    const msg = $("#msg");
    clearTimeout(messageTimer);
    msg.textContent = "";
    msg.dataset.kind = kind || "info";
    // A fresh text node makes screen readers repeat an identical message.
    requestAnimationFrame(() => { msg.textContent = text; });
    messageTimer = setTimeout(() => { msg.textContent = ""; }, MESSAGE_MS);
  }

  function reportFailure(r, notFoundText) {
    if (!r) {
      if (!unauthorised) say(t("connOffline"), "error");
      return;
    }
    if (r.status === 409) {
      const reason = r.data && r.data.reason;
      say(reason ? t("cmdRefused", { reason }) : t("cmdRefusedPlain"), "warn");
    } else if (r.status === 404) {
      say(notFoundText, "warn");
    } else {
      say(t("httpError", { code: r.status }), "error");
    }
  }

  // ---- commands ----

  async function command(name) {
    const r = await api("POST", "/api/command/" + encodeURIComponent(name));
    if (!r || !r.ok) reportFailure(r, t("cmdUnknown"));
    pollState();
  }

  async function tune(number) {
    const r = await api("POST", "/api/channel/" + encodeURIComponent(number));
    if (!r || !r.ok) reportFailure(r, t("channelUnknown", { n: number }));
    pollState();
  }

  function flash(name) {
    const btn = document.querySelector(`[data-cmd="${name}"]`);
    if (!btn) return;
    btn.classList.add("pressed");
    setTimeout(() => btn.classList.remove("pressed"), 160);
  }

  // ---- state ----

  let state = null;
  let stateTimer = 0;
  let stateBusy = false;
  let stateAgain = false;

  async function pollState() {
    if (stateBusy) { stateAgain = true; return; }
    clearTimeout(stateTimer);
    if (unauthorised || document.hidden) return;
    stateBusy = true;
    const r = await api("GET", "/api/state");
    stateBusy = false;
    if (r && r.ok && r.data && typeof r.data === "object") applyState(r.data);
    if (unauthorised || document.hidden) return;
    if (stateAgain) {
      stateAgain = false;
      pollState();
      return;
    }
    stateTimer = setTimeout(pollState, online ? STATE_MS : STATE_OFFLINE_MS);
  }

  function applyState(s) {
    // The live view for VLC, mpv or a TV's player, when the program streams it.
    const rtsp = $("#rtsp-link");
    const stream = typeof s.rtsp === "string" && s.rtsp.startsWith("rtsp://") ? s.rtsp : "";
    rtsp.hidden = !stream;
    if (stream && rtsp.getAttribute("href") !== stream) rtsp.setAttribute("href", stream);
    const prev = state;
    state = s;
    const fm = s.mode === "fm";

    $("#st-num").textContent = Number.isInteger(s.channel) ? String(s.channel) : "–";
    $("#st-name").textContent = s.name || s.frequencyText || "";
    const mode = $("#st-mode");
    mode.textContent = MODE_KEYS[s.mode] ? t(MODE_KEYS[s.mode]) : "–";
    mode.dataset.mode = s.mode || "";

    const rec = !!s.recording;
    const time = formatDuration(s.elapsedSeconds);
    $("#st-rec").hidden = !rec;
    $("#st-rec-sr").textContent = t("recFor", { time });
    $("#st-rec-time").textContent = time;
    $("#screen-rec").hidden = !rec;

    const muted = !!s.muted;
    const volume = Math.max(0, Math.min(100, Math.round(Number(s.volume) || 0)));
    $("#st-vol").classList.toggle("is-muted", muted);
    $("#st-vol-icon").setAttribute("href", muted ? "#i-mute" : "#i-speaker");
    $("#st-vol-fill").style.width = volume + "%";
    $("#st-vol-text").textContent = muted ? t("muted") : String(volume);
    $("#btn-mute").setAttribute("aria-pressed", String(muted));

    $("#fm-freq").textContent = s.frequencyText || "—";
    $("#fm-name").textContent = s.name || "";
    $("#screen").dataset.view = fm ? "fm" : (hasPicture ? "picture" : "none");
    if (fm) clearPicture();

    highlightChannel();
    if (!formTouched.channel) presetFormChannel();

    // A finished recording shows up in the list a moment after it stops.
    if (prev && prev.recording && !rec) setTimeout(loadRecordings, 1500);
    // FM and TV may keep different channel lists.
    if (prev && (prev.mode === "fm") !== fm) loadChannels();

    ensurePicture();
  }

  // ---- live picture ----

  let picTimer = 0;
  let picToken = 0;
  let picLoading = false;
  let picFailures = 0;
  let hasPicture = false;

  function wantPicture() {
    return !unauthorised && !document.hidden && state !== null && state.mode !== "fm";
  }

  function setHasPicture(value) {
    hasPicture = value;
    if (state && state.mode !== "fm") $("#screen").dataset.view = value ? "picture" : "none";
  }

  function clearPicture() {
    if (!video) $("#picture").replaceChildren();
    hasPicture = false;
  }

  function ensurePicture() {
    if (ensureVideo()) return;
    if (wantPicture() && !picLoading && !picTimer) loadPicture();
  }

  function stopPicture() {
    clearTimeout(picTimer);
    picTimer = 0;
    picToken++;
    picLoading = false;
    dropVideo();
  }

  // ---- live video ----
  // The program's picture and sound as one stream (FM: its sound); single pictures are the
  // fall-back when the stream cannot play here.

  let video = null;
  let videoFailed = false;
  let soundOn = false;
  // After a failed stream (the program restarting, a browser that cannot play it) the page tries
  // again this much later.
  const VIDEO_RETRY_MS = 30000;

  function ensureVideo() {
    if (videoFailed || unauthorised || document.hidden || state === null) return false;
    if (video) return true;
    const v = (video = document.createElement("video"));
    video.muted = !soundOn;
    video.autoplay = true;
    video.playsInline = true;
    // A dropped element's late events are not this stream's.
    video.addEventListener("playing", () => {
      if (v !== video) return;
      clearTimeout(picTimer);
      picTimer = 0;
      picToken++;
      picLoading = false;
      if ($("#picture").firstChild !== video) $("#picture").replaceChildren(video);
      setHasPicture(true);
    });
    video.addEventListener("error", () => {
      if (v !== video) return;
      videoFailed = true;
      dropVideo();
      ensurePicture();
      setTimeout(() => { videoFailed = false; ensurePicture(); }, VIDEO_RETRY_MS);
    });
    video.addEventListener("timeupdate", keepLive);
    if (!streamInto(video)) video.src = "/live?t=" + Date.now();
    // Off screen until it plays: the single pictures show meanwhile.
    if (!hasPicture) $("#picture").replaceChildren(video);
    const playing = video.play();
    if (playing) playing.catch(() => {});
    return true;
  }

  // With Media Source Extensions the page reads the stream itself: it knows exactly what it holds,
  // so it can stay close to live and drop what was seen. Without them the browser plays the
  // address on its own, with its own buffering.
  const STREAM_TYPE = 'video/mp4; codecs="avc1.640028, mp4a.40.2"';

  function streamInto(v) {
    if (!window.MediaSource || !MediaSource.isTypeSupported(STREAM_TYPE)) return false;
    const media = new MediaSource();
    const stop = new AbortController();
    v.stopStream = () => stop.abort();
    v.src = URL.createObjectURL(media);
    media.addEventListener("sourceopen", async () => {
      URL.revokeObjectURL(v.src);
      const queue = [];
      let sb;
      const pump = () => {
        if (!sb || sb.updating || media.readyState !== "open") return;
        const b = sb.buffered;
        // Keep about half a minute behind the picture, no more.
        if (b.length && v.currentTime - b.start(0) > 40) return sb.remove(b.start(0), v.currentTime - 20);
        if (queue.length) sb.appendBuffer(queue.shift());
      };
      try {
        sb = media.addSourceBuffer(STREAM_TYPE);
        sb.addEventListener("updateend", () => { keepLive(); pump(); });
        const response = await fetch("/live", { cache: "no-store", signal: stop.signal });
        if (!response.ok || !response.body) throw new Error("no stream");
        const reader = response.body.getReader();
        for (;;) {
          const { value, done } = await reader.read();
          if (done) throw new Error("the stream ended");
          queue.push(value);
          pump();
        }
      } catch (e) {
        if (stop.signal.aborted) return;
        console.warn("live stream:", e);
        v.dispatchEvent(new Event("error"));
      }
    }, { once: true });
    return true;
  }

  function dropVideo() {
    if (!video) return;
    const v = video;
    video = null;
    if (v.stopStream) v.stopStream();
    v.removeAttribute("src");
    v.load();
    v.remove();
  }

  // A viewer that fell behind (the browser's start-up buffer, a busy phone) goes back to the
  // newest picture; one it cannot seek (no stream of its own) plays a little faster instead.
  function keepLive() {
    const b = video && video.buffered;
    if (!b || !b.length) return;
    const end = b.end(b.length - 1);
    const behind = end - video.currentTime;
    if (video.stopStream) {
      if (behind > 1.0 || video.currentTime < b.start(0)) video.currentTime = Math.max(b.start(0), end - 0.3);
      return;
    }
    video.playbackRate = behind > 1.0 ? 1.25 : behind < 0.5 ? 1.0 : video.playbackRate;
  }

  function toggleSound() {
    soundOn = !soundOn;
    if (video) video.muted = !soundOn;
    const button = $("#btn-sound");
    button.setAttribute("aria-pressed", String(soundOn));
    button.querySelector("use").setAttribute("href", soundOn ? "#i-speaker" : "#i-mute");
  }

  // Loads the next frame off-screen and swaps it in, so there is no flicker and no pile-up.
  function loadPicture() {
    picTimer = 0;
    if (!wantPicture() || picLoading) return;
    picLoading = true;
    const token = ++picToken;
    const started = performance.now();
    const img = new Image();
    img.alt = "";
    img.decoding = "async";
    const watchdog = setTimeout(() => done(false), PICTURE_TIMEOUT_MS);

    function done(ok) {
      clearTimeout(watchdog);
      if (token !== picToken) return;
      picLoading = false;
      if (ok) {
        picFailures = 0;
        $("#picture").replaceChildren(img);
        setHasPicture(true);
      } else {
        img.onload = img.onerror = null;
        img.src = "";
        if (++picFailures >= 3) { clearPicture(); setHasPicture(false); }
      }
      if (!wantPicture()) return;
      const wait = ok ? Math.max(50, PICTURE_MS - (performance.now() - started)) : PICTURE_RETRY_MS;
      picTimer = setTimeout(loadPicture, wait);
    }

    img.onload = () => done(true);
    img.onerror = () => done(false);
    img.src = "/live.jpg?t=" + Date.now();
  }

  // ---- channels ----

  let channels = [];
  let channelsKey = "";

  async function loadChannels() {
    const r = await api("GET", "/api/channels");
    if (!r || !r.ok || !Array.isArray(r.data)) return;
    channels = r.data
      .filter((c) => c && Number.isInteger(c.number))
      .map((c) => ({ number: c.number, name: typeof c.name === "string" ? c.name : "", thumbnail: c.thumbnail === true }));
    const key = JSON.stringify(channels);
    if (key === channelsKey) return;
    channelsKey = key;
    renderChannels();
    fillChannelSelect();
    renderSchedule();
  }

  function renderChannels() {
    const list = $("#channels");
    const focused = focusedIn(list, "data-ch");
    list.replaceChildren(...channels.map((c) => {
      const li = el("li");
      const b = el("button", "ch");
      b.type = "button";
      b.dataset.ch = String(c.number);
      b.setAttribute("aria-label", c.name ? `${t("channelN", { n: c.number })} ${c.name}` : t("channelN", { n: c.number }));
      if (c.thumbnail) {
        const thumb = el("img", "ch-thumb");
        thumb.alt = "";
        thumb.loading = "lazy";
        thumb.src = `/thumbnails/${c.number}?v=${Math.floor(Date.now() / 60000)}`;
        b.append(thumb);
      }
      b.append(el("span", "ch-num", String(c.number)), el("span", "ch-name", c.name));
      li.append(b);
      return li;
    }));
    $("#channels-empty").hidden = channels.length > 0;
    highlightChannel();
    refocus(list, "data-ch", focused);
  }

  function highlightChannel() {
    const current = state && Number.isInteger(state.channel) ? String(state.channel) : "";
    for (const b of document.querySelectorAll("#channels .ch")) {
      if (b.dataset.ch === current) b.setAttribute("aria-current", "true");
      else b.removeAttribute("aria-current");
    }
  }

  // ---- recordings ----

  let recordingsKey = "";
  let scheduleKey = "";

  // Lists are rebuilt when their data changes; keep the keyboard focus where it was.
  function focusedIn(list, attr) {
    const a = document.activeElement;
    return a && list.contains(a) ? a.getAttribute(attr) : null;
  }

  function refocus(list, attr, value) {
    if (value === null) return;
    const again = [...list.querySelectorAll(`[${attr}]`)].find((e) => e.getAttribute(attr) === value);
    if (again) again.focus();
  }

  async function loadRecordings() {
    const r = await api("GET", "/api/recordings");
    if (!r || !r.ok || !Array.isArray(r.data)) return;
    const key = JSON.stringify(r.data);
    if (key === recordingsKey) return;
    recordingsKey = key;
    const list = $("#recordings");
    const focused = focusedIn(list, "href");
    const items = r.data.filter((x) => x && x.id !== undefined)
      .sort((a, b) => String(b.when || "").localeCompare(String(a.when || "")));
    list.replaceChildren(...items.map((rec) => {
      const li = el("li", "item");
      const main = el("div", "item-main");
      const title = el("span", "item-title", rec.name || String(rec.id));
      const meta = el("span", "item-meta");
      const facts = [];
      if (rec.when) facts.push(formatWhen(rec.when));
      if (Number.isInteger(rec.channel)) facts.push(channelLabel(rec.channel));
      facts.push(formatMegabytes(rec.size));
      meta.textContent = facts.join(" · ");
      if (rec.audioOnly) meta.append(" ", el("span", "tag", t("audioOnly")));
      main.append(title, meta);

      const a = el("a", "btn btn-small");
      a.href = "/recordings/" + encodeURIComponent(rec.id);
      a.setAttribute("download", rec.name || "");
      a.setAttribute("aria-label", t("downloadAria", { name: rec.name || rec.id }));
      a.append(icon("i-download"), el("span", "", t("download")));
      const actions = el("div", "item-actions");
      actions.append(playLink(rec), a);
      li.append(main, actions);
      return li;
    }));
    $("#recordings-empty").hidden = items.length > 0;
    refocus(list, "href", focused);
  }

  // Played here when this browser can, otherwise in a media player over RTSP.
  function playLink(rec) {
    const id = encodeURIComponent(rec.id);
    const probe = document.createElement(rec.audioOnly ? "audio" : "video");
    const here = typeof rec.type === "string" && probe.canPlayType(rec.type) !== "";
    const rtsp = state && typeof state.rtsp === "string" ? state.rtsp : "";
    if (!here && !rtsp) return "";
    const a = el("a", "btn btn-small");
    a.href = here ? `/recordings/${id}?play` : rtsp.replace(/\/live\?/, `/recordings/${id}?`);
    if (here) a.target = "_blank";
    a.rel = "noopener";
    a.setAttribute("aria-label", t(here ? "playAria" : "playElsewhereAria", { name: rec.name || rec.id }));
    a.append(icon("i-play"), el("span", "", t("play")));
    return a;
  }

  // ---- the other boxes at home ----

  let peersKey = "";

  async function loadPeers() {
    const r = await api("GET", "/api/peers");
    if (!r || !r.ok || !Array.isArray(r.data)) return;
    const key = JSON.stringify(r.data);
    if (key === peersKey) return;
    peersKey = key;
    const peers = r.data.filter((p) => p && typeof p.url === "string" && /^https?:\/\//.test(p.url));
    $("#peers").replaceChildren(...peers.map((p) => {
      const li = el("li", "item");
      const main = el("div", "item-main");
      main.append(el("span", "item-title", p.name || p.url));
      // Each box has its own token: its page asks for its own link.
      const a = el("a", "btn btn-small", t("openPeer"));
      a.href = p.url;
      a.setAttribute("aria-label", t("openPeerAria", { name: p.name || p.url }));
      li.append(main, a);
      return li;
    }));
    $("#peers-panel").hidden = peers.length === 0;
  }

  // ---- timetable ----

  let schedule = [];

  async function loadSchedule() {
    const r = await api("GET", "/api/schedule");
    if (!r || !r.ok || !Array.isArray(r.data)) return;
    const key = JSON.stringify(r.data);
    if (key === scheduleKey) return;
    scheduleKey = key;
    schedule = r.data.filter((x) => x && x.id !== undefined)
      .sort((a, b) => String(a.start || "").localeCompare(String(b.start || "")));
    renderSchedule();
  }

  function renderSchedule(focusIndex) {
    const list = $("#schedule");
    const focused = focusedIn(list, "data-remove");
    list.replaceChildren(...schedule.map((entry) => {
      const li = el("li", "item");
      const main = el("div", "item-main");
      const label = entry.name || (Number.isInteger(entry.channel) ? channelLabel(entry.channel) : "");
      const when = formatWhen(entry.start);
      const start = parseLocal(entry.start);
      const minutes = Number(entry.minutes) || 0;
      let span = when;
      if (start && minutes > 0) span += "–" + timeFmt.format(new Date(start.getTime() + minutes * 60000));
      const facts = [span, t("minutesShort", { n: minutes })];
      if (Number.isInteger(entry.channel)) facts.push(channelLabel(entry.channel));
      main.append(el("span", "item-title", label), el("span", "item-meta", facts.join(" · ")));

      const b = el("button", "btn btn-small btn-danger");
      b.type = "button";
      b.dataset.remove = String(entry.id);
      b.setAttribute("aria-label", t("removeAria", { name: label, when }));
      b.append(icon("i-trash"), el("span", "", t("remove")));
      li.append(main, b);
      return li;
    }));
    $("#schedule-empty").hidden = schedule.length > 0;
    if (focusIndex === undefined) {
      refocus(list, "data-remove", focused);
    } else {
      const buttons = list.querySelectorAll("[data-remove]");
      const target = buttons[Math.min(focusIndex, buttons.length - 1)];
      (target || $("#f-start")).focus();
    }
  }

  async function removeEntry(id, button) {
    const index = [...document.querySelectorAll("#schedule [data-remove]")].indexOf(button);
    button.disabled = true;
    const r = await api("DELETE", "/api/schedule/" + encodeURIComponent(id));
    if (r && (r.ok || r.status === 404)) {
      schedule = schedule.filter((e) => String(e.id) !== String(id));
      renderSchedule(index);
      say(t("removed"), "ok");
      loadSchedule();
      return;
    }
    button.disabled = false;
    reportFailure(r, t("httpError", { code: 404 }));
  }

  // ---- timetable form ----

  const formTouched = { channel: false };

  function fillChannelSelect() {
    const select = $("#f-channel");
    const keep = select.value;
    if (channels.length === 0) {
      const o = el("option", "", t("noChannelsYet"));
      o.value = "";
      select.replaceChildren(o);
      return;
    }
    select.replaceChildren(...channels.map((c) => {
      const o = el("option", "", c.name ? `${c.number} ${c.name}` : String(c.number));
      o.value = String(c.number);
      return o;
    }));
    if (keep && channels.some((c) => String(c.number) === keep)) select.value = keep;
    else if (!formTouched.channel) presetFormChannel();
  }

  function presetFormChannel() {
    if (!state || !Number.isInteger(state.channel) || state.mode === "fm") return;
    const select = $("#f-channel");
    if ([...select.options].some((o) => o.value === String(state.channel))) select.value = String(state.channel);
  }

  function presetFormStart() {
    // The next full five minutes, a moment ahead of now.
    const d = new Date(Date.now() + 5 * 60000);
    d.setMinutes(Math.ceil(d.getMinutes() / 5) * 5, 0, 0);
    $("#f-start").value = toInputValue(d);
  }

  function formMessage(text, kind) {
    const m = $("#form-msg");
    m.textContent = text;
    m.dataset.kind = kind || "error";
  }

  async function submitForm(ev) {
    ev.preventDefault();
    const start = $("#f-start").value;
    const minutes = Number($("#f-minutes").value);
    const channelText = $("#f-channel").value;
    const name = $("#f-name").value.trim();
    if (!start) { formMessage(t("needStart")); $("#f-start").focus(); return; }
    if (!Number.isInteger(minutes) || minutes < 1) { formMessage(t("needMinutes")); $("#f-minutes").focus(); return; }
    if (!channelText) {
      formMessage(t(channels.length ? "needChannel" : "noChannelsYet"));
      $("#f-channel").focus();
      return;
    }
    formMessage("");
    const submit = $("#f-submit");
    submit.disabled = true;
    const r = await api("POST", "/api/schedule", { start: start.slice(0, 16), minutes, channel: Number(channelText), name });
    submit.disabled = false;
    if (!r) {
      if (!unauthorised) formMessage(t("connOffline"));
      return;
    }
    if (r.ok) {
      formMessage(t("added"), "ok");
      $("#f-name").value = "";
      loadSchedule();
    } else if (r.status === 400) {
      const reason = r.data && r.data.reason;
      formMessage(reason ? t("refused", { reason }) : t("refusedPlain"));
    } else {
      formMessage(t("httpError", { code: r.status }));
    }
  }

  // ---- keyboard ----

  function isTyping(target) {
    if (!target || !target.closest) return false;
    return !!target.closest("input, select, textarea, [contenteditable=''], [contenteditable='true']");
  }

  // Enter and Space keep their usual meaning on a focused control.
  function onControl(target) {
    return !!(target && target.closest && target.closest("button, a[href], summary"));
  }

  const LETTERS = { m: "mute", r: "capture", s: "stop", t: "time-shifting", l: "real-screen", p: "play", f: "tv-or-fm" };

  function keyToCommand(e) {
    switch (e.key) {
      case "ArrowUp": case "PageUp": return "next-channel";
      case "ArrowDown": case "PageDown": return "previous-channel";
      case "+": case "=": return "volume-up";  // "=" shares the "+" key on US keyboards
      case "-": case "_": return "volume-down";
      case "Escape": return "escape";
      case "Enter": return onControl(e.target) ? null : "enter";
      case " ": case "Spacebar": return onControl(e.target) ? null : "pause";
      default:
        if (/^[0-9]$/.test(e.key)) return "digit-" + e.key;
        return LETTERS[e.key.toLowerCase()] || null;
    }
  }

  function onKey(e) {
    if (unauthorised || e.defaultPrevented || e.ctrlKey || e.altKey || e.metaKey) return;
    if (isTyping(e.target)) return;
    const name = keyToCommand(e);
    if (!name) return;
    e.preventDefault();
    if (e.repeat && !REPEATABLE.has(name)) return;
    flash(name);
    command(name);
  }

  // ---- wiring ----

  let listsTimer = 0;

  function refreshLists() {
    if (unauthorised || document.hidden) return;
    loadChannels();
    loadRecordings();
    loadPeers();
    loadSchedule();
  }

  function start() {
    applyTexts();
    setConnection("waiting");
    fillChannelSelect();
    presetFormStart();

    document.addEventListener("click", (e) => {
      // After a pointer click the focus leaves the key, so Space and Enter keep working as shortcuts.
      const cmd = e.target.closest("[data-cmd]");
      if (cmd) {
        if (e.detail > 0) cmd.blur();
        command(cmd.dataset.cmd);
        return;
      }
      const ch = e.target.closest("#channels [data-ch]");
      if (ch) {
        if (e.detail > 0) ch.blur();
        tune(Number(ch.dataset.ch));
        return;
      }
      const rm = e.target.closest("[data-remove]");
      if (rm) removeEntry(rm.dataset.remove, rm);
    });
    document.addEventListener("keydown", onKey);
    $("#schedule-form").addEventListener("submit", submitForm);
    $("#btn-sound").addEventListener("click", toggleSound);
    $("#f-channel").addEventListener("change", () => { formTouched.channel = true; });

    document.addEventListener("visibilitychange", () => {
      if (document.hidden) {
        clearTimeout(stateTimer);
        stopPicture();
      } else {
        pollState();
        refreshLists();
      }
    });

    pollState();
    refreshLists();
    listsTimer = setInterval(refreshLists, LISTS_MS);
  }

  start();
})();
