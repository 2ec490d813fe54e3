// Draws the map's marker icons, their shadow and the logo panel's two pictures from glyphs
// of the icon set: node make_icons.mjs <icon set's outline folder> <output folder>
import { mkdirSync, readFileSync, writeFileSync } from 'node:fs';
import { join } from 'node:path';

const [glyphFolder, outFolder] = process.argv.slice(2);
if (!glyphFolder || !outFolder) {
  console.error('usage: make_icons.mjs <glyph folder> <output folder>');
  process.exit(2);
}
mkdirSync(outFolder, { recursive: true });

// The glyph's drawing elements without the invisible bounding rectangle.
function glyph(name) {
  const text = readFileSync(join(glyphFolder, `${name}.svg`), 'utf8');
  const inner = text.slice(text.indexOf('>', text.indexOf('<svg')) + 1, text.lastIndexOf('</svg>'));
  return inner.replace(/<path stroke="none" d="M0 0h24v24H0z" fill="none"\s*\/>/, '').trim();
}

const strokeGroup = (transform, body, colour = '#ffffff') =>
  `<g transform="${transform}" fill="none" stroke="${colour}" stroke-width="2" ` +
  `stroke-linecap="round" stroke-linejoin="round">${body}</g>`;

// A 32 x 32 sign on a short stem; the stem's tip (16, 31) is the marker's anchor.
function markIcon(colour, glyphName) {
  return `<svg xmlns="http://www.w3.org/2000/svg" width="32" height="32" viewBox="0 0 32 32">` +
    `<path d="M16 31 L11 23 H5 a3 3 0 0 1 -3 -3 V4 a3 3 0 0 1 3 -3 H27 a3 3 0 0 1 3 3 V20 ` +
    `a3 3 0 0 1 -3 3 H21 Z" fill="${colour}" stroke="#ffffff" stroke-width="1.5"/>` +
    strokeGroup('translate(7 3) scale(0.75)', glyph(glyphName)) + `</svg>\n`;
}

// One file per kind of mark; the page's table maps the mark kinds onto them.
const marks = {
  shock: ['#d62828', 'bolt'],
  manual: ['#2a7ab0', 'hand-finger'],
  emergency: ['#8e1b1b', 'hand-stop'],
  parking: ['#5a4fcf', 'parking'],
  speeding: ['#e07a00', 'gauge'],
  camera: ['#c2185b', 'camera'],
  approach: ['#6d4c41', 'car'],
  'support-steering': ['#00897b', 'steering-wheel'],
  'support-acceleration': ['#00897b', 'arrow-big-up-lines'],
  'support-braking': ['#00897b', 'arrow-big-down-lines'],
};
for (const [name, [colour, glyphName]] of Object.entries(marks)) {
  writeFileSync(join(outFolder, `mark-${name}.svg`), markIcon(colour, glyphName));
}

// The shadow falls to the right of the anchor, as if lit from the upper left.
writeFileSync(join(outFolder, 'shadow.svg'),
  `<svg xmlns="http://www.w3.org/2000/svg" width="49" height="32" viewBox="0 0 49 32">` +
  `<defs><filter id="b" x="-20%" y="-50%" width="140%" height="200%">` +
  `<feGaussianBlur stdDeviation="1.2"/></filter></defs>` +
  `<path d="M16 31 L30 20 H44 a3 3 0 0 0 2 -3 L40 9 H24 L14 19 Z" fill="#000000" ` +
  `fill-opacity="0.28" filter="url(#b)"/></svg>\n`);

// The position marker: a blue drop with a white centre, tip at (14, 40).
writeFileSync(join(outFolder, 'position.svg'),
  `<svg xmlns="http://www.w3.org/2000/svg" width="28" height="40" viewBox="0 0 28 40">` +
  `<path d="M14 39 C10 29 2 23 2 14 a12 12 0 0 1 24 0 c0 9 -8 15 -12 25 Z" fill="#1565c0" ` +
  `stroke="#ffffff" stroke-width="2"/><circle cx="14" cy="14" r="5" fill="#ffffff"/></svg>\n`);

// The logo panel's pictures: the map's sign while the map is off, and the sign of a map
// without connection while the map is on but cannot be reached.
function panelPicture(glyphName, colour) {
  return `<svg xmlns="http://www.w3.org/2000/svg" width="480" height="320" viewBox="0 0 480 320">` +
    `<rect width="480" height="320" fill="#20262e"/>` +
    `<circle cx="240" cy="160" r="112" fill="none" stroke="${colour}" stroke-width="6" ` +
    `stroke-opacity="0.35"/>` +
    strokeGroup('translate(168 88) scale(6)', glyph(glyphName), colour) + `</svg>\n`;
}
writeFileSync(join(outFolder, 'panel-map.svg'), panelPicture('map-2', '#8fb8de'));
writeFileSync(join(outFolder, 'panel-offline.svg'), panelPicture('world-off', '#e0a060'));
