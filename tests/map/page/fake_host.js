// A stand-in for the program's host object "sample", injected before the page loads. Every
// call answers later, as the real channel does; the test sets the answers in window.fake.
(() => {
  const fake = {
    connected: 1,
    frame: -1,
    gps: [0],
    grid: [0],
    mapUrl: 'leaflet/leaflet.js',
    tiles: { url: `${location.origin}/tiles/{z}/{x}/{y}.png`, attribution: '© OpenStreetMap contributors' },
    values: { map_lat: 0, map_lng: 0, map_status: '', pict_event: -1, mode: 0 },
    calls: [],
    listeners: [],
    count(name) {
      return this.calls.filter((c) => c.name === name).length;
    },
    message() {
      const v = this.values;
      const message = {
        map_lat: Number(v.map_lat).toFixed(6), map_lng: Number(v.map_lng).toFixed(6),
        map_status: v.map_status, pict_event: String(v.pict_event), val_end: '',
      };
      if (v.mode === 0) message.val_command = 'update';
      if (v.mode === 1) message.val_command = 'update_picture';
      return message;
    },
    push() {
      const message = this.message();
      for (const listener of this.listeners) listener(message);
    },
  };
  const answers = {
    JS2C_ConnectTest: () => fake.connected,
    JS2C_GetMapURL: () => fake.mapUrl,
    JS2C_GetTileLayer: () => fake.tiles,
    JS2C_GetMarkNames: () => Array.from({ length: 14 }, (_, i) => `mark ${i}`),
    JS2C_GetGPSData: () => fake.gps,
    JS2C_GetGridData: () => fake.grid,
    JS2C_GetRelJpgNum: () => String(fake.frame),
    JS2C_OnInitHtml: () => undefined,
    JS2C_OnClickCrashPoint: () => undefined,
    JS2C_SetSend: () => {
      fake.push();
      return undefined;
    },
  };
  const host = { webMessage: { connect: (listener) => fake.listeners.push(listener) } };
  for (const [name, answer] of Object.entries(answers)) {
    host[name] = (...args) => {
      const callback = args.pop();
      fake.calls.push({ name, args });
      setTimeout(() => callback(answer(...args)), 0);
    };
  }
  window.fake = fake;
  window.ardelleTestHost = host;
  window.ardelleShowPeriodMs = 100;
})();
