// The map page alone in the system's browser, with a stand-in host object and a local tile
// server: what it draws, what it asks the program and when it keeps quiet.
import { after, before, describe, test } from 'node:test';
import assert from 'node:assert/strict';
import { mkdirSync, writeFileSync } from 'node:fs';
import { join } from 'node:path';
import { fileURLToPath } from 'node:url';
import { chromium } from 'playwright-core';
import { startTileServer } from './tile_server.mjs';

const pageFolder = process.env.ARDELLE_MAP_PAGE_DIR;
const outputFolder = process.env.ARDELLE_TEST_OUTPUT_DIR || '/tmp/ardelle-map-page-test';
const fakeHost = fileURLToPath(new URL('./fake_host.js', import.meta.url));
assert.ok(pageFolder, 'ARDELLE_MAP_PAGE_DIR names the assembled page folder');

let server;
let browser;

before(async () => {
  server = await startTileServer(pageFolder, { idleSeconds: 300 });
  browser = await chromium.launch({
    executablePath: process.env.ARDELLE_CHROMIUM || '/usr/bin/chromium',
    args: ['--no-sandbox', '--disable-gpu'],
  });
});

after(async () => {
  await browser?.close();
  await server?.stop();
});

// A fresh page with the stand-in host; every request it makes is recorded.
async function openPage({ connected = 1 } = {}) {
  const context = await browser.newContext({ viewport: { width: 640, height: 480 } });
  const page = await context.newPage();
  const requests = [];
  page.on('request', (request) => requests.push(request.url()));
  await page.addInitScript({ path: fakeHost });
  await page.addInitScript((value) => {
    window.fake.connected = value;
  }, connected);
  await page.goto(`${server.origin}/map.html`);
  return { page, requests, close: () => context.close() };
}

async function waitReady(page) {
  await page.waitForFunction(() => g_isInitConnect === true, null, { timeout: 20000 });
}

// A track heading east from Tokyo, one point a frame apart every 3 frames, with a gap of
// about 300 m (a tunnel) between points 9 and 10.
function trackPayload(count, { gapAfter = 9, lat = 35.0, startFrame = 0 } = {}) {
  const values = [];
  for (let i = 0; i < count; ++i) {
    const lng = 139.0 + i * 0.0002 + (i > gapAfter ? 0.003 : 0);
    values.push(lat, lng, startFrame + i * 3);
  }
  values.push(values.length);
  return values;
}

async function loadTrack(page, { gps, grid, frame }) {
  await page.evaluate(async ({ gps, grid, frame }) => {
    fake.gps = gps;
    fake.grid = grid;
    fake.frame = frame;
    cplist.ClearCrashPos();
    orbitgrplist.RemoveLineList();
    orbitgrplist.CreateLine();
    await orbitgrplist.CreateGridLine(0);
  }, { gps, grid, frame });
}

// A page of a suite's own, ready and showing a 20-point track; opened.page is set before
// the suite's tests run.
function readyPageWithTrack() {
  const opened = {};
  before(async () => {
    Object.assign(opened, await openPage());
    await waitReady(opened.page);
    await loadTrack(opened.page, { gps: trackPayload(20), grid: trackPayload(20), frame: 0 });
  });
  after(() => opened.close());
  return opened;
}

const lineSummary = (page) => page.evaluate(() => {
  const describe = (lines) => lines.map((l) => ({
    points: l.getLatLngs().length, color: l.options.color, opacity: l.options.opacity,
  }));
  return {
    group: describe(orbitgrplist.grpline),
    driven: describe(orbitgrplist.histline),
    ahead: describe(orbitgrplist.schline),
    marker: g_marker && [g_marker.getLatLng().lat, g_marker.getLatLng().lng],
  };
});

describe('track rules', () => {
  let opened;
  before(async () => {
    opened = await openPage();
  });
  after(() => opened.close());

  test('segments break where consecutive points lie farther apart than 150 m', async () => {
    const cases = [
      { points: [[35.0, 139.0], [35.0, 139.002]], groups: [{ start: 0, end: 0 }, { start: 1, end: 1 }] },
      { points: [[35.0, 139.0], [35.0, 139.0015]], groups: [{ start: 0, end: 1 }] },
      { points: [[35.0, 139.0]], groups: [{ start: 0, end: 0 }] },
      { points: [], groups: [] },
      {
        points: [[0, 0], [0.001, 0], [0.003, 0], [0.004, 0]],
        groups: [{ start: 0, end: 1 }, { start: 2, end: 3 }],
      },
    ];
    for (const c of cases) {
      const groups = await opened.page.evaluate((p) => ardelleMapRules.orbitGroupsOf(p), c.points);
      assert.deepEqual(groups, c.groups, JSON.stringify(c.points));
    }
  });

  test('the current point is the last one before the frame', async () => {
    const cases = [
      { list: [0, 3, 6, 9], frame: 7, index: 2 },
      { list: [0, 3, 6, 9], frame: 6, index: 1 },
      { list: [0, 3, 6, 9], frame: 20, index: 3 },
      { list: [0, 3, 6, 9], frame: 0, index: 0 },
      { list: [5, 8], frame: 1, index: 0 },
      { list: [], frame: 4, index: 0 },
    ];
    for (const c of cases) {
      const index = await opened.page.evaluate(({ list, frame }) => ardelleMapRules.indexForFrame(list, frame), c);
      assert.equal(index, c.index, JSON.stringify(c));
    }
  });

  test('segments split into driven and ahead pieces at the index', async () => {
    const cases = [
      { groups: [{ start: 0, end: 5 }], index: 2, pieces: [['driven', 0, 3], ['ahead', 2, 6]] },
      { groups: [{ start: 0, end: 5 }], index: 0, pieces: [['ahead', 0, 6]] },
      { groups: [{ start: 0, end: 5 }], index: 5, pieces: [['driven', 0, 6]] },
      {
        groups: [{ start: 0, end: 3 }, { start: 4, end: 8 }, { start: 9, end: 9 }],
        index: 6,
        pieces: [['driven', 0, 4], ['driven', 4, 7], ['ahead', 6, 9], ['ahead', 9, 10]],
      },
    ];
    for (const c of cases) {
      const pieces = await opened.page.evaluate(({ groups, index }) =>
        ardelleMapRules.splitAt(groups, index).map((p) => [p.kind, p.from, p.to]), c);
      assert.deepEqual(pieces, c.pieces, JSON.stringify(c));
    }
  });
});

describe('start-up and drawing', () => {
  let opened;
  before(async () => {
    opened = await openPage({ connected: 0 });
  });
  after(() => opened.close());

  test('statements before the map exists are ignored and ask the program nothing', async () => {
    const { page } = opened;
    await page.waitForFunction(() => fake.count('JS2C_ConnectTest') >= 3);
    await page.evaluate(async () => {
      fake.gps = [35, 139, 0, 3];
      orbitgrplist.CreateLine();
      cplist.AddCrashPos(5, 0, 0, 0, 0, 0, 30, 35, 139, 1, 0, 0);
      await orbitgrplist.CreateGridLine(0);
    });
    const state = await page.evaluate(() => ({
      asked: fake.count('JS2C_GetGPSData') + fake.count('JS2C_GetGridData'),
      marks: cplist.markers.length,
      map: g_map !== null,
      scripts: fake.count('JS2C_GetMapURL'),
    }));
    assert.deepEqual(state, { asked: 0, marks: 0, map: false, scripts: 0 });
  });

  test('a connection loads the bundled library, builds the map and reports once', async () => {
    const { page, requests } = opened;
    const tilesBefore = server.counts.tiles;
    await page.evaluate(() => {
      fake.connected = 1;
    });
    await waitReady(page);
    assert.equal(await page.evaluate(() => fake.count('JS2C_OnInitHtml')), 1);
    await page.waitForFunction(() => document.querySelectorAll('.leaflet-tile-loaded').length > 0);
    assert.ok(server.counts.tiles > tilesBefore, 'tiles come from the local tile server');
    const attribution = await page.textContent('.leaflet-control-attribution');
    assert.match(attribution, /© OpenStreetMap contributors/);
    const foreign = requests.filter((url) => !url.startsWith(server.origin));
    assert.deepEqual(foreign, []);
  });

  test('group track, driven and ahead parts follow the playing frame', async () => {
    const { page } = opened;
    const grid = trackPayload(20);
    await loadTrack(page, { gps: trackPayload(30, { gapAfter: 100, lat: 35.001 }), grid, frame: 7 });
    let lines = await lineSummary(page);
    assert.deepEqual(lines.group, [{ points: 30, color: '#FF0000', opacity: 0.5 }]);
    // Frame 7: point 2 is current; the first segment (0..9) is split there.
    assert.deepEqual(lines.driven, [{ points: 3, color: '#0000FF', opacity: 1 }]);
    assert.deepEqual(lines.ahead, [
      { points: 8, color: '#FF0000', opacity: 0.9 }, { points: 10, color: '#FF0000', opacity: 0.9 },
    ]);
    assert.deepEqual(lines.marker, [grid[6], grid[7]]);

    await page.evaluate(() => {
      fake.frame = 40;
    });
    await page.evaluate(() => orbitgrplist.MoveMarker());
    lines = await lineSummary(page);
    // Frame 40: point 13 is current; the first segment is driven, the second split.
    assert.deepEqual(lines.driven.map((l) => l.points), [10, 4]);
    assert.deepEqual(lines.ahead.map((l) => l.points), [7]);
    assert.deepEqual(lines.marker, [grid[39], grid[40]]);
    await page.screenshot({ path: join(outputFolder, 'map-page-track.png') });
  });

  test('an empty payload leaves the lists empty and the marker at the last position', async () => {
    const { page } = opened;
    await page.evaluate(() => {
      fake.values = { map_lat: 35.5, map_lng: 139.5, map_status: '', pict_event: -1, mode: 0 };
      fake.push();
    });
    await loadTrack(page, { gps: [0], grid: [0], frame: 10 });
    const lines = await lineSummary(page);
    assert.deepEqual(lines.group, []);
    assert.deepEqual(lines.driven, []);
    assert.deepEqual(lines.ahead, []);
    assert.deepEqual(lines.marker, [35.5, 139.5]);
  });
});

describe('event marks', () => {
  const opened = readyPageWithTrack();

  test('one marker per mark with its kind\'s icon and the shadow', async () => {
    const { page } = opened;
    await page.evaluate(() => {
      for (let kind = 0; kind <= 13; ++kind) {
        cplist.AddCrashPos(kind, 0.1, 0.2, 0.3, 0, 0, 100 + kind, 35.0 + kind * 0.0001, 139.001, 1, 40, 0);
      }
      cplist.AddCrashPos(14, 0, 0, 0, 0, 0, 999, 35.0, 139.0, 1, 0, 0); // no icon: no marker
    });
    await page.evaluate(() => g_chain);
    const icons = await page.evaluate(() => cplist.markers.map((p) => p.marker.getElement().getAttribute('src')));
    const expected = ['shock', 'shock', 'shock', 'shock', 'shock', 'manual', 'emergency', 'parking',
      'speeding', 'camera', 'approach', 'support-steering', 'support-acceleration', 'support-braking']
      .map((name) => `icons/mark-${name}.svg`);
    assert.deepEqual(icons, expected);
    const shadows = await page.locator('.leaflet-shadow-pane img').count();
    assert.equal(shadows, 14);
    // An icon's picture loads after its marker is placed: wait for the loads, then look.
    await page.waitForFunction(() => cplist.markers.every((p) => p.marker.getElement().complete),
      null, { timeout: 10000 });
    const loaded = await page.evaluate(() => cplist.markers.every(
      (p) => p.marker.getElement().naturalWidth === 32));
    assert.ok(loaded, 'every icon loads as a 32 x 32 picture');
  });

  test('a click on a mark reports its frame; only the north-east moves the marker', async () => {
    const { page } = opened;
    const cases = [
      { lat: 35.0004, lng: 139.0005, frame: 412, moves: true },
      { lat: -33.9, lng: 151.2, frame: 77, moves: false },
      { lat: 51.5, lng: -0.12, frame: 78, moves: false },
    ];
    for (const c of cases) {
      await page.evaluate((c) => {
        cplist.ClearCrashPos();
        cplist.AddCrashPos(8, 0, 0, 0, 0, 3, c.frame, c.lat, c.lng, 1, 55.5, 0);
        fake.values.map_status = 'pause'; // the timer and the pushed values keep still
        fake.calls = [];
        return g_chain;
      }, c);
      await page.evaluate(() => cplist.markers[0].marker.fire('click'));
      await page.waitForFunction(() => fake.count('JS2C_OnClickCrashPoint') === 1);
      await page.evaluate(() => new Promise((r) => setTimeout(r, 200)).then(() => g_chain));
      const { clicked, moved } = await page.evaluate(() => ({
        clicked: fake.calls.find((x) => x.name === 'JS2C_OnClickCrashPoint').args,
        moved: fake.calls.some((x) => x.name === 'JS2C_GetRelJpgNum'),
      }));
      assert.deepEqual(clicked, [0, 3, c.frame, 1, c.lat, c.lng, 55.5, 0]);
      assert.equal(moved, c.moves, JSON.stringify(c));
    }
    // A real click on the picture reaches the page as well.
    await page.evaluate(() => {
      fake.calls = [];
      g_map.setView([cplist.markers[0].lat, cplist.markers[0].lng], 16, { animate: false });
    });
    await page.locator('.leaflet-marker-pane img[src$="mark-speeding.svg"]').click();
    await page.waitForFunction(() => fake.count('JS2C_OnClickCrashPoint') === 1);
  });
});

describe('web messages', () => {
  const opened = readyPageWithTrack();

  async function movesAfter(page, values) {
    return page.evaluate(async (values) => {
      fake.values = { ...fake.values, ...values };
      await new Promise((r) => setTimeout(r, 30));
      await g_chain;
      const before = fake.count('JS2C_GetRelJpgNum');
      for (const listener of fake.listeners) listener(fake.message());
      await new Promise((r) => setTimeout(r, 30));
      await g_chain;
      return fake.count('JS2C_GetRelJpgNum') - before;
    }, values);
  }

  test('a pushed position moves the marker unless paused or stopped', async () => {
    const { page } = opened;
    // The page's own timer is held for this test, so only the pushed messages move.
    await page.evaluate(() => {
      window.fake.connected = 1;
      window.setTimeout = ((original) => (fn, ms) => (fn === show ? 0 : original(fn, ms)))(window.setTimeout);
    });
    await page.evaluate(() => new Promise((r) => requestAnimationFrame(() => r())));
    await new Promise((r) => setTimeout(r, 300));
    const cases = [
      { values: { map_status: '', pict_event: -1 }, moves: 1 },
      { values: { map_status: 'Pause', pict_event: -1 }, moves: 0 },
      { values: { map_status: 'STOP', pict_event: -1 }, moves: 0 },
      { values: { map_status: 'pause', pict_event: 5 }, moves: 1 },
      { values: { map_status: 'pause', pict_event: 5 }, moves: 0 },
    ];
    for (const c of cases) {
      assert.equal(await movesAfter(page, c.values), c.moves, JSON.stringify(c.values));
    }
  });

  test('a frame pushed with the values moves the marker without asking for it', async () => {
    const { page } = opened;
    const moved = await page.evaluate(async () => {
      fake.values = { ...fake.values, map_status: '', pict_event: -1, mode: 0 };
      fake.frame = 3; // what the program would answer: must not be used
      const asked = fake.count('JS2C_GetRelJpgNum');
      for (const listener of fake.listeners) listener(fake.message(), 42);
      await new Promise((r) => setTimeout(r, 30));
      await g_chain;
      return { asked: fake.count('JS2C_GetRelJpgNum') - asked, lastFrame: g_lastJpgNum,
        at: [g_marker.getLatLng().lat, g_marker.getLatLng().lng] };
    });
    const grid = trackPayload(20);
    // Frame 42: the first point at or after it is 14, so point 13 is current.
    assert.deepEqual(moved, { asked: 0, lastFrame: 42, at: [grid[39], grid[40]] });
  });

  test('still pictures place the marker with the picture\'s icon', async () => {
    const { page } = opened;
    await page.evaluate(async () => {
      fake.values = { map_lat: -33.87, map_lng: 151.21, map_status: '', pict_event: 10, mode: 1 };
      fake.push();
      await g_chain;
    });
    const marker = await page.evaluate(() => ({
      at: [g_marker.getLatLng().lat, g_marker.getLatLng().lng],
      icon: g_marker.getElement().getAttribute('src'),
    }));
    assert.deepEqual(marker, { at: [-33.87, 151.21], icon: 'icons/mark-approach.svg' });
    // Back to video: the default marker again.
    await page.evaluate(async () => {
      fake.values = { ...fake.values, pict_event: -1, mode: 0 };
      fake.push();
      await new Promise((r) => setTimeout(r, 50));
      await g_chain;
    });
    assert.equal(await page.evaluate(() => g_marker.getElement().getAttribute('src')), 'icons/position.svg');
  });
});

describe('connection', () => {
  test('a dropped connection discards the map, a returning one builds it anew', async () => {
    const opened = await openPage();
    const { page } = opened;
    await waitReady(page);
    await loadTrack(page, { gps: trackPayload(20), grid: trackPayload(20), frame: 9 });
    await page.evaluate(() => {
      cplist.AddCrashPos(5, 0, 0, 0, 0, 0, 30, 35.0, 139.001, 1, 0, 0);
      fake.connected = 0;
    });
    await page.waitForFunction(() => g_map === null && g_script === null);
    const gone = await page.evaluate(() => ({
      container: document.querySelectorAll('#map_canvas .leaflet-pane').length,
      marks: cplist.markers.length,
      lines: orbitgrplist.histline.length + orbitgrplist.schline.length + orbitgrplist.grpline.length,
    }));
    assert.deepEqual(gone, { container: 0, marks: 0, lines: 0 });
    // Statements sent while the map is gone change nothing.
    await page.evaluate(() => {
      cplist.AddCrashPos(5, 0, 0, 0, 0, 0, 30, 35.0, 139.001, 1, 0, 0);
      return g_chain;
    });
    assert.equal(await page.evaluate(() => cplist.markers.length), 0);

    const loads = server.counts.files['/leaflet/leaflet.js'];
    await page.evaluate(() => {
      fake.connected = 1;
    });
    await page.waitForFunction(() => fake.count('JS2C_OnInitHtml') === 2 && g_isInitConnect);
    assert.equal(server.counts.files['/leaflet/leaflet.js'], loads + 1);
    await loadTrack(page, { gps: trackPayload(20), grid: trackPayload(20), frame: 9 });
    const lines = await lineSummary(page);
    assert.equal(lines.group.length, 2);
    assert.equal(lines.driven.length + lines.ahead.length, 3);
    await opened.close();
  });

  test('scripts from anywhere but the page\'s own bundle are refused', async () => {
    const opened = await openPage();
    const { page } = opened;
    await waitReady(page);
    const outcome = await page.evaluate((origin) => new Promise((resolve) => {
      document.addEventListener('securitypolicyviolation', (e) => resolve(e.violatedDirective));
      const script = document.createElement('script');
      script.src = origin.replace('127.0.0.1', '127.0.0.2') + '/leaflet/leaflet.js';
      document.body.appendChild(script);
      setTimeout(() => resolve('loaded'), 3000);
    }), server.origin);
    assert.match(outcome, /script-src/);
    await opened.close();
  });
});

mkdirSync(outputFolder, { recursive: true });
writeFileSync(join(outputFolder, 'README'), 'Screenshots of the map page tests.\n');
