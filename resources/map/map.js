// The map page: the group track, the current recording's track split at the playing
// position, the event marks and the position marker, drawn with the bundled map library.
// Everything it shows comes from the host object "sample"; its calls answer
// asynchronously, so the page awaits each one and runs its drawing steps one at a time.
'use strict';

const SHOW_PERIOD_MS = window.ardelleShowPeriodMs || 1000;
const SEGMENT_BREAK_DEGREES = 0.001385; // about 150 m: what 500 km/h covers in one second

const ICON_FOLDER = 'icons/';
const g_iconurl = [
  'mark-shock.svg', 'mark-shock.svg', 'mark-shock.svg', 'mark-shock.svg', 'mark-shock.svg',
  'mark-manual.svg', 'mark-emergency.svg', 'mark-parking.svg', 'mark-speeding.svg',
  'mark-camera.svg', 'mark-approach.svg', 'mark-support-steering.svg',
  'mark-support-acceleration.svg', 'mark-support-braking.svg',
].map((name) => ICON_FOLDER + name);
const g_shadow = ICON_FOLDER + 'shadow.svg';
const g_positionIcon = ICON_FOLDER + 'position.svg';

var g_host = null;
var g_lastJpgNum = -1;
var g_isStartInitConnect = false;
var g_isInitConnect = false;
var g_isInit = false;
var g_map = null;
var g_script = null;
var g_marker = null;
var g_newlat = null;
var g_newlng = null;
var g_curicon = null;
var g_newpictevent = null;
var g_markNames = [];
var g_pushedFrame = null; // the program's frame that came with the last web message

// --- host calls

function call(name, ...args) {
  return new Promise((resolve) => {
    const method = g_host && g_host[name];
    if (typeof method !== 'function') {
      resolve(null);
      return;
    }
    method.call(g_host, ...args, resolve);
  });
}

function connectHost() {
  if (window.ardelleTestHost) return Promise.resolve(window.ardelleTestHost);
  return new Promise((resolve) => {
    const channelScript = document.createElement('script');
    channelScript.src = 'qrc:///qtwebchannel/qwebchannel.js';
    channelScript.onload = () => {
      // eslint-disable-next-line no-undef
      new QWebChannel(qt.webChannelTransport, (channel) => resolve(channel.objects.sample));
    };
    document.head.appendChild(channelScript);
  });
}

// Drawing steps run in the order they were asked for, each to its end, even when one of
// them waits for the host in between.
let g_chain = Promise.resolve();
function serial(step) {
  g_chain = g_chain.then(step).catch(() => {});
  return g_chain;
}

function input(id) {
  return document.getElementById(id);
}

// --- pure rules of the track

// The unbroken stretches of a list of [lat, lng] points.
function orbitGroupsOf(points) {
  const groups = [];
  if (points.length === 0) return groups;
  let start = 0;
  for (let i = 1; i < points.length; ++i) {
    const dLat = points[i][0] - points[i - 1][0];
    const dLng = (points[i][1] - points[i - 1][1]) * Math.cos((points[i][0] * Math.PI) / 180);
    if (Math.sqrt(dLat * dLat + dLng * dLng) > SEGMENT_BREAK_DEGREES) {
      groups.push({ start, end: i - 1 });
      start = i;
    }
  }
  groups.push({ start, end: points.length - 1 });
  return groups;
}

// The point that is current at a frame: the last one whose frame lies before it.
function indexForFrame(jpgNumList, frame) {
  let index = jpgNumList.findIndex((jpgNum) => jpgNum >= frame);
  if (index < 0) index = jpgNumList.length;
  if (index > 0) index = Math.min(index - 1, jpgNumList.length - 1);
  return index;
}

// The driven and ahead pieces of the segments at a point index, as [from, to) ranges.
function splitAt(groups, index) {
  const pieces = [];
  for (const group of groups) {
    if (group.end <= index) {
      pieces.push({ kind: 'driven', from: group.start, to: group.end + 1 });
    } else if (group.start < index && index < group.end) {
      pieces.push({ kind: 'driven', from: group.start, to: index + 1 });
      pieces.push({ kind: 'ahead', from: index, to: group.end + 1 });
    } else {
      pieces.push({ kind: 'ahead', from: group.start, to: group.end + 1 });
    }
  }
  return pieces;
}

// --- the map's objects

function PointList() {
  this.points = [];
  this.JpgNumList = [];
}
PointList.prototype.GetPoints = function (data) {
  if (!g_isInitConnect || data == null) return;
  const values = Array.from(data, Number);
  if (values.length <= 1) return;
  for (let i = 0; i < values.length - 1; i += 3) {
    if (i + 2 >= values.length) break;
    this.points.push([values[i], values[i + 1]]);
    this.JpgNumList.push(values[i + 2]);
  }
};
PointList.prototype.releaseNow = function () {
  this.points = [];
  this.JpgNumList = [];
};
PointList.prototype.DrawGridLine = function (start, end, colour, opacity, zIndex) {
  if (!g_isInitConnect || !g_map) return null;
  const points = this.points.slice(start, end);
  if (points.length === 0) return null;
  return L.polyline(points, {
    interactive: false, color: colour, opacity, weight: 3, pane: zIndex === 1 ? 'groupTrack' : 'recordingTrack',
  }).addTo(g_map);
};

function removeLayers(layers) {
  for (const layer of layers) layer.remove();
  layers.length = 0;
}

const orbitgrplist = {
  orbitlist: [],
  grpline: [],
  histline: [],
  schline: [],
  grplist: new PointList(),
  gridlist: new PointList(),
  drawnIndex: null,
  drawnKinds: null,

  GetOrbitGroup(points) {
    if (!g_isInitConnect || points.length === 0) return;
    this.orbitlist = orbitGroupsOf(points);
    this.drawnIndex = null;
    this.drawnKinds = null;
  },
  async CreateLine() {
    if (!g_isInitConnect) return;
    g_lastJpgNum = -1;
    this.grplist.releaseNow();
    if (!g_script) return;
    const data = await call('JS2C_GetGPSData');
    if (data == null || !g_isInitConnect) return;
    this.grplist.GetPoints(data);
    this.GetOrbitGroup(this.grplist.points);
    this.deleteGrpLineNow();
    for (const group of this.orbitlist) {
      const line = this.grplist.DrawGridLine(group.start, group.end + 1, '#FF0000', 0.5, 1);
      if (line) this.grpline.push(line);
    }
  },
  async CreateGridLine() {
    if (!g_isInitConnect) return;
    g_lastJpgNum = -1;
    this.gridlist.releaseNow();
    if (!g_script) return;
    const data = await call('JS2C_GetGridData', '0');
    if (data == null || !g_isInitConnect) return;
    this.gridlist.GetPoints(data);
    this.GetOrbitGroup(this.gridlist.points);
    await this.MoveMarkerNow();
  },
  async GetIndex() {
    // A web message brings the frame along; otherwise the program is asked.
    let frame = g_pushedFrame;
    g_pushedFrame = null;
    if (frame === null) {
      const text = await call('JS2C_GetRelJpgNum');
      frame = text == null ? NaN : Number(text);
    }
    if (frame === -1 || Number.isNaN(frame)) return -1;
    g_lastJpgNum = frame;
    return indexForFrame(this.gridlist.JpgNumList, frame);
  },
  async MoveMarkerNow() {
    if (!g_isInitConnect) return;
    const index = await this.GetIndex();
    if (index < 0 || !g_isInitConnect) return;
    if (index !== this.drawnIndex) this.drawPieces(splitAt(this.orbitlist, index));
    this.drawnIndex = index;
    const position = this.gridlist.points.length > index ? this.gridlist.points[index]
      : [g_newlat || 0, g_newlng || 0];
    loadMarker(position, g_curicon);
    document.dispatchEvent(new CustomEvent('ardelle-marker-moved', { detail: { index, frame: g_lastJpgNum } }));
  },
  // Driven and ahead lines for the pieces; while the pieces keep their kinds (the position
  // moves inside one segment) the lines are kept and only those whose range changed move.
  drawPieces(pieces) {
    const kinds = pieces.map((piece) => piece.kind).join();
    const lines = [...this.histline, ...this.schline];
    if (kinds !== this.drawnKinds || lines.length !== pieces.length) {
      this.removeLineListNow();
      for (const piece of pieces) {
        const driven = piece.kind === 'driven';
        const line = this.gridlist.DrawGridLine(piece.from, piece.to, driven ? '#0000FF' : '#FF0000',
          driven ? 1.0 : 0.9, 2);
        if (!line) continue;
        line.ardelleRange = [piece.from, piece.to];
        (driven ? this.histline : this.schline).push(line);
      }
      this.drawnKinds = kinds;
      return;
    }
    let driven = 0;
    let ahead = 0;
    for (const piece of pieces) {
      const line = piece.kind === 'driven' ? this.histline[driven++] : this.schline[ahead++];
      if (line.ardelleRange[0] === piece.from && line.ardelleRange[1] === piece.to) continue;
      line.setLatLngs(this.gridlist.points.slice(piece.from, piece.to));
      line.ardelleRange = [piece.from, piece.to];
    }
  },
  removeLineListNow() {
    if (!g_isInitConnect) return;
    removeLayers(this.histline);
    removeLayers(this.schline);
    this.drawnIndex = null;
    this.drawnKinds = null;
  },
  deleteGrpLineNow() {
    removeLayers(this.grpline);
  },
};

function CrashPoint(marker, values) {
  this.marker = marker;
  Object.assign(this, values);
}

const cplist = {
  markers: [],
  AddCrashPosNow(icolor, levelx, levely, levelz, ifile, igrid, ipos, lat, lng, valid, speed, direction) {
    if (!g_isInitConnect) return;
    const marker = CreateCPMarker([lat, lng], icolor);
    if (!marker) return;
    marker.on('click', () => {
      const index = this.markers.findIndex((point) => point.marker === marker);
      if (index >= 0) SetCrashPos(index);
    });
    this.markers.push(new CrashPoint(marker, {
      levelx, levely, levelz, ifile, igrid, ipos, lat, lng, valid, speed, direction,
    }));
  },
  ClearCrashPosNow() {
    for (const point of this.markers) point.marker.remove();
    this.markers = [];
  },
};

function CreateCPMarker(position, icolor) {
  if (!g_isInitConnect || !g_map) return null;
  const iconUrl = g_iconurl[icolor];
  if (!iconUrl) return null;
  const icon = L.icon({
    iconUrl, iconSize: [32, 32], iconAnchor: [16, 32],
    shadowUrl: g_shadow, shadowSize: [49, 32], shadowAnchor: [16, 32],
  });
  return L.marker(position, { icon, title: g_markNames[icolor] || '', keyboard: false }).addTo(g_map);
}

async function SetCrashPos(i) {
  const point = cplist.markers[i];
  await call('JS2C_OnClickCrashPoint', point.ifile, point.igrid, point.ipos, point.valid,
    point.lat, point.lng, point.speed, point.direction);
  if (point.lat >= 0 && point.lng >= 0 && (await ConnectTest())) orbitgrplist.MoveMarker();
}

function loadMarker(position, icon) {
  if (!g_map) return;
  g_map.panTo(position, { animate: false });
  const iconUrl = icon || g_positionIcon;
  if (g_marker && g_marker.ardelleIcon === iconUrl) {
    g_marker.setLatLng(position);
    return;
  }
  if (g_marker) g_marker.remove();
  const options = icon
    ? { iconUrl, iconSize: [32, 32], iconAnchor: [16, 32], shadowUrl: g_shadow, shadowSize: [49, 32], shadowAnchor: [16, 32] }
    : { iconUrl, iconSize: [28, 40], iconAnchor: [14, 40] };
  g_marker = L.marker(position, { icon: L.icon(options), interactive: false, keyboard: false, zIndexOffset: 1000 });
  g_marker.ardelleIcon = iconUrl;
  g_marker.addTo(g_map);
}

// --- the statements the program sends: each waits for the steps before it

cplist.AddCrashPos = (...args) => serial(() => cplist.AddCrashPosNow(...args));
cplist.ClearCrashPos = () => serial(() => cplist.ClearCrashPosNow());
orbitgrplist.RemoveLineList = () => serial(() => orbitgrplist.removeLineListNow());
orbitgrplist.DeleteGrpLine = () => serial(() => orbitgrplist.deleteGrpLineNow());
for (const name of ['CreateLine', 'CreateGridLine']) {
  const now = orbitgrplist[name];
  orbitgrplist[name] = (...args) => serial(() => now.apply(orbitgrplist, args));
}
PointList.prototype.ReleasePoints = function () {
  return serial(() => this.releaseNow());
};
// Position updates come faster than a move may take; one waiting move serves them all.
let g_moveQueued = false;
orbitgrplist.MoveMarker = () => {
  if (g_moveQueued) return g_chain;
  g_moveQueued = true;
  return serial(() => {
    g_moveQueued = false;
    return orbitgrplist.MoveMarkerNow();
  });
};

// --- connection and start-up

async function ConnectTest() {
  const connected = await call('JS2C_ConnectTest');
  if (connected) {
    if (!g_isInitConnect && !g_isStartInitConnect) {
      g_isStartInitConnect = true;
      if (g_script) g_script.remove();
      const script = document.createElement('script');
      script.type = 'text/javascript';
      script.src = await call('JS2C_GetMapURL');
      script.onload = () => loadLibs();
      script.onerror = () => {
        g_isStartInitConnect = false; // try again on a later tick
      };
      g_script = script;
      document.body.appendChild(script);
    }
    return g_isInitConnect;
  }
  g_isStartInitConnect = false;
  g_isInitConnect = false;
  return false;
}

// The map and everything drawn on it go; a returning connection builds them anew.
function discardMap() {
  g_isInit = false;
  if (g_map) g_map.remove();
  g_map = null;
  g_marker = null;
  cplist.markers = [];
  orbitgrplist.grpline = [];
  orbitgrplist.histline = [];
  orbitgrplist.schline = [];
  orbitgrplist.drawnIndex = null;
  orbitgrplist.drawnKinds = null;
  if (g_script) g_script.remove();
  g_script = null;
}

function escapeHtml(text) {
  const element = document.createElement('span');
  element.textContent = String(text);
  return element.innerHTML;
}

async function loadLibs() {
  window.onerror = () => true;
  if (g_map) g_map.remove();
  const tiles = (await call('JS2C_GetTileLayer')) || {};
  const names = await call('JS2C_GetMarkNames');
  g_markNames = Array.isArray(names) ? names.map(String) : [];
  g_map = L.map('map_canvas', { center: [0, 0], zoom: 16, zoomControl: true });
  g_map.createPane('groupTrack').style.zIndex = 410;
  g_map.createPane('recordingTrack').style.zIndex = 420;
  L.control.scale().addTo(g_map);
  if (tiles.url) {
    L.tileLayer(String(tiles.url), {
      attribution: escapeHtml(tiles.attribution || ''),
      maxZoom: 19,
    }).addTo(g_map);
  }
  loadMarker([0, 0], g_curicon);
  await call('JS2C_OnInitHtml');
  g_isInitConnect = true;
}

function onWebMessage(message, currentFrame) {
  if (!message || typeof message !== 'object') return;
  g_pushedFrame = null;
  for (const key of ['map_lat', 'map_lng', 'map_status', 'pict_event']) {
    if (key in message) input(key).value = String(message[key]);
  }
  const status = input('map_status').value.toLowerCase();
  const pictEvent = Number(input('pict_event').value);
  if (message.val_command === 'update') {
    g_curicon = null;
    g_newlat = Number(input('map_lat').value);
    g_newlng = Number(input('map_lng').value);
    if ((status !== 'pause' && status !== 'stop') || g_newpictevent !== pictEvent) {
      if (Number.isInteger(currentFrame)) g_pushedFrame = currentFrame;
      orbitgrplist.MoveMarker();
    }
    g_newpictevent = pictEvent;
  } else if (message.val_command === 'update_picture') {
    g_curicon = pictEvent >= 0 && g_iconurl[pictEvent] ? g_iconurl[pictEvent] : null;
    const lat = Number(input('map_lat').value);
    const lng = Number(input('map_lng').value);
    if (g_newpictevent !== pictEvent || g_newlat !== lat || g_newlng !== lng) {
      g_newpictevent = pictEvent;
      g_newlat = lat;
      g_newlng = lng;
      if (lat !== 0 || lng !== 0) serial(() => loadMarker([lat, lng], g_curicon));
    }
  }
}

async function show() {
  try {
    await call('JS2C_SetSend');
    const lat = g_newlat || 0;
    const lng = g_newlng || 0;
    if (lng < 1000.0 && lat < 1000.0) {
      if (await ConnectTest()) {
        const status = input('map_status').value.toLowerCase();
        if (status !== 'pause' && status !== 'stop' && ((lng !== 0 && lat !== 0) || g_lastJpgNum === -1)) {
          orbitgrplist.MoveMarker();
        }
      } else if (!g_isStartInitConnect) {
        discardMap();
      }
    } else if (!g_isInit) {
      await ConnectTest();
      g_isInit = true;
    }
  } catch (error) {
    // a failing tick must not stop the timer
  }
  setTimeout(show, SHOW_PERIOD_MS);
}

async function initialize() {
  g_lastJpgNum = -1;
  g_host = await connectHost();
  if (g_host && g_host.webMessage && typeof g_host.webMessage.connect === 'function') {
    g_host.webMessage.connect(onWebMessage);
  }
  show();
}

window.addEventListener('load', initialize);
window.ardelleMapRules = { orbitGroupsOf, indexForFrame, splitAt };
