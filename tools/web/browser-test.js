// Plays the browser build in Debian's headless Chromium, served by the real score server on
// loopback, the way a player would: only pointer and keys reach the game, and what is checked is
// what the page shows, what it stores and what reaches the server. Writes screenshots and the
// figures (bytes before the first frame, time to it, frame rhythm, processor use) to --out.
//
//   node browser-test.js --server zarvok-score-server --play build-web/web --out DIR
//        [--reference DIR] [--play-seconds 30] [--chromium /usr/bin/chromium]
//
// --reference is a folder holding the desktop game's splash.png. Exits 0 when every check held.
'use strict';

const childProcess = require('child_process');
const fs = require('fs');
const http = require('http');
const os = require('os');
const path = require('path');
const puppeteer = require('puppeteer-core');

function parseArguments(argv) {
  const options = { playSeconds: 30, chromium: '/usr/bin/chromium' };
  for (let i = 0; i < argv.length; i += 2) {
    const name = argv[i].replace(/^--/, '').replace(/-([a-z])/g, (_, c) => c.toUpperCase());
    options[name] = argv[i + 1];
  }
  options.playSeconds = Number(options.playSeconds);
  for (const needed of ['server', 'play', 'out']) {
    if (!options[needed]) throw new Error('--' + needed + ' is needed');
  }
  return options;
}

// The button rectangles of the game's screens, in 800 x 600 picture pixels (x1, x2, y1, y2).
const Buttons = {
  StartGame: [215, 540, 32, 89],
  Options: [260, 490, 213, 270],
  HighScore: [226, 524, 300, 357],
  OptionsMusicOff: [342, 431, 221, 271],
  OptionsMusicOn: [260, 324, 221, 271],
  OptionsSoundOff: [350, 439, 311, 361],
  OptionsBack: [324, 451, 458, 516],
  HighScoreClear: [104, 268, 465, 533],
  HighScoreBack: [324, 451, 458, 516],
  ClearYes: [254, 336, 315, 373],
};
const Screen = { Splash: 1, MainMenu: 2, Game: 3, Options: 5, HighScores: 6, GameOver: 8 };
const ScreenNames = ['none', 'splash', 'menu', 'game', 'help', 'options', 'high scores', 'exit', 'game over'];

const sleep = (ms) => new Promise((resolve) => setTimeout(resolve, ms));

class TChecks {
  constructor() {
    this.results = [];
  }
  check(name, ok, detail) {
    this.results.push({ name, ok: !!ok, detail: detail || '' });
    console.log((ok ? 'PASS ' : 'FAIL ') + name + (detail ? ': ' + detail : ''));
    return !!ok;
  }
  get failed() {
    return this.results.filter((r) => !r.ok);
  }
}

function startServer(options, dataDir) {
  return new Promise((resolve, reject) => {
    const server = childProcess.spawn(options.server, [
      '--port', '0', '--play', path.resolve(options.play), '--data', dataDir, '--rate-limit', '0', '--quiet',
    ], { stdio: ['ignore', 'pipe', 'inherit'] });
    let output = '';
    const timer = setTimeout(() => reject(new Error('the score server did not start: ' + output)), 20000);
    server.stdout.on('data', (chunk) => {
      output += chunk;
      const match = /http:\/\/127\.0\.0\.1:(\d+)\//.exec(output);
      if (match) {
        clearTimeout(timer);
        resolve({ process: server, base: 'http://127.0.0.1:' + match[1] });
      }
    });
    server.on('exit', (code) => reject(new Error('the score server ended with ' + code + ': ' + output)));
  });
}

function httpGet(url) {
  return new Promise((resolve, reject) => {
    http.get(url, (response) => {
      let body = '';
      response.setEncoding('utf8');
      response.on('data', (chunk) => (body += chunk));
      response.on('end', () => resolve({ status: response.statusCode, headers: response.headers, body }));
    }).on('error', reject);
  });
}

// The page's canvas pixels as RGBA bytes (the game draws into a 2D canvas).
async function canvasPixels(page) {
  const base64 = await page.evaluate(() => {
    const canvas = document.getElementById('canvas');
    const data = canvas.getContext('2d').getImageData(0, 0, 800, 600).data;
    let text = '';
    for (let i = 0; i < data.length; i += 0x8000) text += String.fromCharCode.apply(null, data.subarray(i, i + 0x8000));
    return btoa(text);
  });
  return Buffer.from(base64, 'base64');
}

// A PNG decoded by the browser itself into RGBA bytes.
async function pngPixels(page, file) {
  const dataUrl = 'data:image/png;base64,' + fs.readFileSync(file).toString('base64');
  const base64 = await page.evaluate(async (url) => {
    const image = new Image();
    image.src = url;
    await image.decode();
    const canvas = document.createElement('canvas');
    canvas.width = image.width;
    canvas.height = image.height;
    const context = canvas.getContext('2d');
    context.drawImage(image, 0, 0);
    const data = context.getImageData(0, 0, image.width, image.height).data;
    let text = '';
    for (let i = 0; i < data.length; i += 0x8000) text += String.fromCharCode.apply(null, data.subarray(i, i + 0x8000));
    return btoa(text);
  }, dataUrl);
  return Buffer.from(base64, 'base64');
}

// The share of pixels (in the rectangle, whole picture by default) whose colour differs by more
// than tolerance in any channel.
function differingShare(a, b, tolerance, rect) {
  const [x1, x2, y1, y2] = rect || [0, 799, 0, 599];
  let differing = 0;
  let all = 0;
  for (let y = y1; y <= y2; ++y) {
    for (let x = x1; x <= x2; ++x) {
      const i = (y * 800 + x) * 4;
      ++all;
      if (Math.abs(a[i] - b[i]) > tolerance || Math.abs(a[i + 1] - b[i + 1]) > tolerance ||
          Math.abs(a[i + 2] - b[i + 2]) > tolerance) ++differing;
    }
  }
  return differing / all;
}

const centre = (rect) => [Math.round((rect[0] + rect[1]) / 2), Math.round((rect[2] + rect[3]) / 2)];

class TPlayer {
  constructor(page, box) {
    this.page = page;
    this.box = box;
  }
  // Page coordinates of a picture point, through the canvas's displayed size.
  at(x, y) {
    return [this.box.x + (x * this.box.width) / 800, this.box.y + (y * this.box.height) / 600];
  }
  async move(x, y) {
    const [px, py] = this.at(x, y);
    await this.page.mouse.move(px, py);
  }
  async click(x, y) {
    await this.move(x, y);
    await this.page.mouse.down();
    await sleep(40);
    await this.page.mouse.up();
  }
  async clickIn(rect) {
    const [x, y] = centre(rect);
    await this.click(x, y);
  }
  state() {
    return this.page.evaluate(() => ({ screen: zarvok.screen, score: zarvok.score, stored: zarvok.stored }));
  }
  async waitScreen(screen, ms) {
    await this.page.waitForFunction((s) => zarvok.screen === s, { timeout: ms || 10000, polling: 50 }, screen);
  }
}

async function shot(page, out, name) {
  await page.screenshot({ path: path.join(out, name + '.png') });
}

async function main() {
  const options = parseArguments(process.argv.slice(2));
  fs.mkdirSync(options.out, { recursive: true });
  const checks = new TChecks();
  const figures = {};
  const dataDir = fs.mkdtempSync(path.join(os.tmpdir(), 'zarvok-web-scores-'));
  const profile = fs.mkdtempSync(path.join(os.tmpdir(), 'zarvok-web-profile-'));
  const server = await startServer(options, dataDir);
  let browser;
  try {
    // The files as the server sends them.
    const sizes = {};
    for (const name of fs.readdirSync(options.play).sort()) {
      const file = path.join(options.play, name);
      if (fs.statSync(file).isFile()) sizes[name] = fs.statSync(file).size;
    }
    figures.fileSizes = sizes;
    const wasm = await httpGet(server.base + '/play/zarvok.wasm');
    checks.check('the code is served as application/wasm', wasm.headers['content-type'] === 'application/wasm',
      wasm.headers['content-type']);
    const site = await httpGet(server.base + '/');
    checks.check('the site page links to the game', site.body.includes('href="/play/">Play in your browser</a>'));

    browser = await puppeteer.launch({
      executablePath: options.chromium,
      headless: true,
      userDataDir: profile,
      args: ['--no-sandbox', '--disable-gpu', '--disable-background-networking', '--disable-component-update',
        '--disable-sync', '--disable-quic', '--no-first-run', '--autoplay-policy=no-user-gesture-required',
        '--window-size=800,600'],
      defaultViewport: { width: 800, height: 600 },
    });
    const page = await browser.newPage();
    const consoleErrors = [];
    page.on('console', (message) => {
      if (message.type() === 'error') consoleErrors.push(message.text());
    });
    page.on('pageerror', (error) => consoleErrors.push('page error: ' + error.message));
    const client = await page.createCDPSession();
    await client.send('Network.enable');
    let bytes = 0;
    let bytesAtFirstFrame = -1;
    client.on('Network.loadingFinished', (event) => (bytes += event.encodedDataLength));

    // First load: the splash, against the desktop's.
    await page.goto(server.base + '/play/', { waitUntil: 'domcontentloaded' });
    await page.waitForFunction(() => zarvok.firstFrameAt > 0, { timeout: 30000, polling: 20 });
    bytesAtFirstFrame = bytes;
    figures.firstFrameMs = Math.round(await page.evaluate(() => zarvok.firstFrameAt));
    figures.bytesBeforeFirstFrame = bytesAtFirstFrame;
    await sleep(300);
    const box = await (await page.$('#canvas')).boundingBox();
    checks.check('the picture fills the 800 x 600 page', box.width === 800 && box.height === 600,
      JSON.stringify(box));
    const player = new TPlayer(page, box);
    const splash = await canvasPixels(page);
    await shot(page, options.out, '01-splash');
    checks.check('the splash screen is up', (await player.state()).screen === Screen.Splash,
      ScreenNames[(await player.state()).screen]);
    if (options.reference && fs.existsSync(path.join(options.reference, 'splash.png'))) {
      const desktop = await pngPixels(page, path.join(options.reference, 'splash.png'));
      const share = differingShare(splash, desktop, 12);
      figures.splashDifferingShare = share;
      checks.check('the splash matches the desktop build\'s', share < 0.005,
        (share * 100).toFixed(3) + ' % of the pixels differ');
    } else {
      checks.check('the desktop splash to compare with is there', false, options.reference);
    }

    // A click leaves the splash; START GAME starts a level.
    await player.click(60, 570);
    await player.waitScreen(Screen.MainMenu);
    await player.move(60, 570);
    await sleep(300);
    const menu = await canvasPixels(page);
    await shot(page, options.out, '02-menu');
    checks.check('a click reaches the menu', differingShare(menu, splash, 12) > 0.3);
    await player.clickIn(Buttons.StartGame);
    await player.waitScreen(Screen.Game);
    await sleep(500);
    await shot(page, options.out, '03-level-intro');
    checks.check('START GAME starts a level', differingShare(await canvasPixels(page), menu, 12) > 0.3);

    // After the intro, a shot at the right of the field shows the weapon's flash at (625, 493).
    await sleep(6000);
    await player.move(720, 200);
    await sleep(200);
    await page.evaluate(() => {
      const context = document.getElementById('canvas').getContext('2d');
      const fiery = (data) => {
        const hot = [];
        for (let i = 0; i < data.length; i += 4) hot.push(data[i] > 220 && data[i + 1] > 90 && data[i + 2] < 110);
        return hot;
      };
      const rest = fiery(context.getImageData(625, 493, 56, 56).data);
      zarvok.flashPixels = 0;
      // Every shown frame is looked at, since the flash stands for one frame only.
      zarvok.probe = () => {
        const now = fiery(context.getImageData(625, 493, 56, 56).data);
        let n = 0;
        for (let i = 0; i < now.length; ++i) if (now[i] && !rest[i]) ++n;
        zarvok.flashPixels = Math.max(zarvok.flashPixels, n);
      };
    });
    let flash = 0;
    for (let i = 0; i < 20 && flash <= 60; ++i) {
      await player.click(720, 200);
      await sleep(200);
      flash = await page.evaluate(() => zarvok.flashPixels);
    }
    await page.evaluate(() => { zarvok.probe = null; });
    await shot(page, options.out, '04-level-in-play');
    checks.check('a shot shows the muzzle flash', flash > 60, flash + ' fiery pixels');

    // Play on: spray the field with shots until the game is over, measuring the frame rhythm and
    // the processor use over the first playSeconds.
    const metrics = async () => {
      const list = (await client.send('Performance.getMetrics')).metrics;
      const get = (name) => (list.find((m) => m.name === name) || { value: 0 }).value;
      return { task: get('TaskDuration'), at: get('Timestamp') };
    };
    await client.send('Performance.enable');
    await page.evaluate(() => { zarvok.frames = []; });
    const before = await metrics();
    const started = Date.now();
    let measured = false;
    let i = 0;
    let lastShot = [720, 200];
    // The bot aims well enough to outlive any wait on a fast machine; once the frame rate has
    // been measured and the score is on the top ten, it holds its fire and lets the enemies end the
    // game.
    let holding = false;
    while (Date.now() - started < 420000) {
      const now = await player.state();
      if (now.screen !== Screen.Game) break;
      if (!holding && measured && now.score > 100) {
        holding = true;
        figures.holdFireAfterSeconds = +((Date.now() - started) / 1000).toFixed(1);
        figures.scoreWhenHolding = now.score;
        await player.move(400, 560);
      }
      if (holding) {
        await sleep(250);
        continue;
      }
      // Aim where the field moves most between two frames, away from the sight itself; else sweep.
      const target = await page.evaluate(async (sight) => {
        const context = document.getElementById('canvas').getContext('2d');
        const first = context.getImageData(0, 0, 800, 480).data;
        await new Promise((resolve) => setTimeout(resolve, 70));
        const second = context.getImageData(0, 0, 800, 480).data;
        let best = null;
        let bestCount = 40;
        for (let cy = 0; cy < 480; cy += 20) {
          for (let cx = 0; cx < 800; cx += 20) {
            if (Math.abs(cx + 10 - sight[0]) < 60 && Math.abs(cy + 10 - sight[1]) < 60) continue;
            let count = 0;
            for (let y = cy; y < cy + 20; y += 2) {
              for (let x = cx; x < cx + 20; x += 2) {
                const k = (y * 800 + x) * 4;
                if (Math.abs(first[k] - second[k]) + Math.abs(first[k + 1] - second[k + 1]) > 60) ++count;
              }
            }
            if (count > bestCount) {
              bestCount = count;
              best = [cx + 10, cy + 10];
            }
          }
        }
        return best;
      }, lastShot);
      const x = target ? target[0] : 60 + ((i * 173) % 680);
      const y = target ? target[1] : 120 + ((i * 97) % 260);
      lastShot = [x, y];
      await player.click(x, y);
      await sleep(120);
      ++i;
      if (!measured && Date.now() - started >= options.playSeconds * 1000) {
        measured = true;
        const after = await metrics();
        const frames = await page.evaluate(() => zarvok.frames.slice());
        const intervals = [];
        for (let k = 1; k < frames.length; ++k) intervals.push(frames[k] - frames[k - 1]);
        intervals.sort((a, b) => a - b);
        const q = (p) => intervals[Math.min(intervals.length - 1, Math.floor(p * intervals.length))];
        figures.play = {
          seconds: after.at - before.at,
          frames: frames.length,
          intervalMedianMs: +q(0.5).toFixed(2),
          intervalP10Ms: +q(0.1).toFixed(2),
          intervalP90Ms: +q(0.9).toFixed(2),
          intervalP99Ms: +q(0.99).toFixed(2),
          intervalMaxMs: +intervals[intervals.length - 1].toFixed(2),
          pageMainThreadCpuPercent: +(100 * (after.task - before.task) / (after.at - before.at)).toFixed(1),
        };
      }
    }
    const over = await player.state();
    figures.gameScore = over.score;
    checks.check('the game ends in the game-over screen', over.screen === Screen.GameOver, ScreenNames[over.screen]);

    // The name panel comes up for a score of the top ten; the name goes to the server that sent
    // the page.
    if (over.screen === Screen.GameOver && over.score > 100) {
      await sleep(5500);
      await shot(page, options.out, '05-name-panel');
      await page.keyboard.type('BROWSER');
      await sleep(200);
      await page.keyboard.press('Enter');
      await player.waitScreen(Screen.HighScores, 15000);
      // Every score: a game in the page is not played again here, so it stays unverified.
      const table = await httpGet(server.base + '/cgi/version.pl?prg=Zarvok&show&type=0&all');
      checks.check('the score reaches the online table', table.body.includes('>BROWSER<') &&
        table.body.includes('<td class="score">' + over.score + '<'), 'score ' + over.score);
      await shot(page, options.out, '06-high-scores');
      await player.clickIn(Buttons.HighScoreBack);
    } else {
      checks.check('the score reaches the online table', false,
        'the game ended with ' + over.score + ' points, not enough for the top ten');
      await sleep(5500);
      await page.keyboard.press('Escape');
    }

    // Options: sound off survives a reload of the page.
    await player.waitScreen(Screen.MainMenu);
    await player.clickIn(Buttons.Options);
    await player.waitScreen(Screen.Options);
    await player.move(600, 560);
    await sleep(300);
    const optionsBefore = await canvasPixels(page);
    const storedBefore = (await player.state()).stored;
    await player.clickIn(Buttons.OptionsSoundOff);
    await player.move(600, 560);
    await sleep(300);
    const optionsChanged = await canvasPixels(page);
    await shot(page, options.out, '07-options-changed');
    await player.clickIn(Buttons.OptionsBack);
    await player.waitScreen(Screen.MainMenu);
    await page.waitForFunction((n) => zarvok.stored > n, { timeout: 10000, polling: 50 }, storedBefore);
    const config = await page.evaluate(() => {
      const game = FS.readFile('/game/Config.cfg');
      const kept = FS.readFile('/persist/Config.cfg');
      return { same: game.length === kept.length && game.every((b, k) => b === kept[k]),
        lines: new TextDecoder('latin1').decode(kept).split('\r\n').length - 1 };
    });
    checks.check('Config.cfg is stored byte for byte, 25 lines', config.same && config.lines === 25,
      JSON.stringify(config));

    await page.reload({ waitUntil: 'domcontentloaded' });
    await page.waitForFunction(() => zarvok.firstFrameAt > 0, { timeout: 30000, polling: 20 });
    await sleep(300);
    await player.click(60, 570);
    await player.waitScreen(Screen.MainMenu);
    await player.clickIn(Buttons.Options);
    await player.waitScreen(Screen.Options);
    await player.move(600, 560);
    await sleep(300);
    const optionsReloaded = await canvasPixels(page);
    await shot(page, options.out, '08-options-after-reload');
    const changed = differingShare(optionsChanged, optionsBefore, 12, [268, 439, 311, 361]);
    const kept = differingShare(optionsReloaded, optionsChanged, 12, [268, 439, 311, 361]);
    checks.check('the options screen keeps a change across a reload', changed > 0.02 && kept < 0.005,
      'the click changed ' + (changed * 100).toFixed(1) + ' % of the sound switch, the reload ' +
      (kept * 100).toFixed(1) + ' %');

    // The letterbox: a wide page centres the 4:3 picture, and a click still lands on its button.
    await page.setViewport({ width: 1280, height: 600 });
    await sleep(300);
    const wide = await (await page.$('#canvas')).boundingBox();
    checks.check('a wide page letterboxes the picture', wide.width === 800 && wide.height === 600 &&
      Math.abs(wide.x - 240) <= 1, JSON.stringify(wide));
    await page.setViewport({ width: 1000, height: 1000 });
    await sleep(300);
    const tall = await (await page.$('#canvas')).boundingBox();
    checks.check('a tall page letterboxes the picture', tall.width === 1000 && tall.height === 750 &&
      Math.abs(tall.y - 125) <= 1, JSON.stringify(tall));
    const scaled = new TPlayer(page, tall);
    await scaled.clickIn(Buttons.OptionsBack);
    await scaled.waitScreen(Screen.MainMenu, 5000).catch(() => {});
    checks.check('the pointer is mapped onto the scaled picture', (await scaled.state()).screen === Screen.MainMenu,
      ScreenNames[(await scaled.state()).screen]);

    checks.check('no errors in the console', consoleErrors.length === 0, consoleErrors.slice(0, 5).join(' | '));
  } finally {
    if (browser) await browser.close().catch(() => {});
    server.process.kill('SIGTERM');
    fs.rmSync(dataDir, { recursive: true, force: true });
    fs.rmSync(profile, { recursive: true, force: true });
  }

  fs.writeFileSync(path.join(options.out, 'figures.json'), JSON.stringify(figures, null, 2) + '\n');
  console.log('Figures: ' + JSON.stringify(figures, null, 2));
  const failed = checks.failed;
  console.log(failed.length === 0 ? 'All browser checks held' : failed.length + ' browser check(s) failed');
  return failed.length === 0 ? 0 : 1;
}

main().then((code) => process.exit(code), (error) => {
  console.error('browser test: ' + (error && error.stack ? error.stack : error));
  process.exit(1);
});
