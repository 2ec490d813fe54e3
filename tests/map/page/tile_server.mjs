// A tiny web server on 127.0.0.1 for the map tests: it serves the page's folder and
// generated PNG tiles under /tiles/{z}/{x}/{y}.png, counts what it was asked for, and stops
// by itself when it has been idle for a while or when its parent goes away.
// As a program: node tile_server.mjs <page folder> [idle seconds]  (prints "port N").
import { createServer } from 'node:http';
import { readFile } from 'node:fs/promises';
import { extname, join, normalize, sep } from 'node:path';
import { deflateSync } from 'node:zlib';
import { fileURLToPath } from 'node:url';

const CONTENT_TYPES = {
  '.html': 'text/html; charset=utf-8', '.js': 'text/javascript', '.css': 'text/css',
  '.svg': 'image/svg+xml', '.png': 'image/png',
};

const CRC_TABLE = Array.from({ length: 256 }, (_, n) => {
  let c = n;
  for (let k = 0; k < 8; ++k) c = c & 1 ? 0xedb88320 ^ (c >>> 1) : c >>> 1;
  return c >>> 0;
});
function crc32(bytes) {
  let c = 0xffffffff;
  for (const b of bytes) c = CRC_TABLE[(c ^ b) & 0xff] ^ (c >>> 8);
  return (c ^ 0xffffffff) >>> 0;
}
function chunk(type, data) {
  const length = Buffer.alloc(4);
  length.writeUInt32BE(data.length);
  const body = Buffer.concat([Buffer.from(type, 'ascii'), data]);
  const crc = Buffer.alloc(4);
  crc.writeUInt32BE(crc32(body));
  return Buffer.concat([length, body, crc]);
}

// A 256 x 256 tile: a pale fill that alternates like a chessboard, with a darker edge, so
// that a screenshot shows where tiles lie.
export function tilePng(x, y) {
  const size = 256;
  const light = (x + y) % 2 === 0;
  const raw = Buffer.alloc(size * (size * 3 + 1));
  for (let row = 0; row < size; ++row) {
    const offset = row * (size * 3 + 1);
    raw[offset] = 0;
    for (let col = 0; col < size; ++col) {
      const edge = row < 2 || col < 2;
      const value = edge ? 150 : light ? 236 : 222;
      raw[offset + 1 + col * 3] = value;
      raw[offset + 2 + col * 3] = value;
      raw[offset + 3 + col * 3] = edge ? 170 : light ? 228 : 214;
    }
  }
  const header = Buffer.alloc(13);
  header.writeUInt32BE(size, 0);
  header.writeUInt32BE(size, 4);
  header[8] = 8; // bit depth
  header[9] = 2; // RGB
  return Buffer.concat([
    Buffer.from([0x89, 0x50, 0x4e, 0x47, 0x0d, 0x0a, 0x1a, 0x0a]),
    chunk('IHDR', header), chunk('IDAT', deflateSync(raw)), chunk('IEND', Buffer.alloc(0)),
  ]);
}

export async function startTileServer(root, { idleSeconds = 120 } = {}) {
  const counts = { tiles: 0, files: {}, userAgents: new Set() };
  let idleTimer = null;
  const server = createServer(async (request, response) => {
    armIdle();
    const path = decodeURIComponent(new URL(request.url, 'http://127.0.0.1').pathname);
    counts.userAgents.add(request.headers['user-agent'] || '');
    const tile = path.match(/^\/tiles\/(\d+)\/(\d+)\/(\d+)\.png$/);
    if (tile) {
      counts.tiles += 1;
      response.writeHead(200, { 'Content-Type': 'image/png', 'Cache-Control': 'no-store' });
      response.end(tilePng(Number(tile[2]), Number(tile[3])));
      return;
    }
    counts.files[path] = (counts.files[path] || 0) + 1;
    const file = normalize(join(root, path === '/' ? 'map.html' : path));
    if (!file.startsWith(normalize(root) + sep)) {
      response.writeHead(403).end();
      return;
    }
    try {
      const body = await readFile(file);
      response.writeHead(200, {
        'Content-Type': CONTENT_TYPES[extname(file)] || 'application/octet-stream',
        'Cache-Control': 'no-store',
      });
      response.end(body);
    } catch {
      response.writeHead(404).end();
    }
  });
  function armIdle() {
    clearTimeout(idleTimer);
    idleTimer = setTimeout(() => server.close(), idleSeconds * 1000);
    idleTimer.unref();
  }
  const closed = new Promise((resolve) => server.on('close', resolve));
  await new Promise((resolve) => server.listen(0, '127.0.0.1', resolve));
  armIdle();
  server.unref();
  const port = server.address().port;
  return {
    port,
    origin: `http://127.0.0.1:${port}`,
    counts,
    closed,
    stop: () => new Promise((resolve) => {
      clearTimeout(idleTimer);
      server.closeAllConnections();
      server.close(() => resolve());
    }),
  };
}

if (process.argv[1] === fileURLToPath(import.meta.url)) {
  const [root, idle] = process.argv.slice(2);
  const server = await startTileServer(root, { idleSeconds: Number(idle) || 120 });
  server.counts.tiles = 0;
  process.stdout.write(`port ${server.port}\n`);
  // Stay only as long as the parent keeps our input open, and print the count on request.
  process.stdin.on('data', (data) => {
    if (String(data).includes('count')) process.stdout.write(`tiles ${server.counts.tiles}\n`);
  });
  process.stdin.on('end', () => server.stop().then(() => process.exit(0)));
  process.stdin.resume();
  server.closed.then(() => process.exit(0));
}
