// Headless Chromium (Debian's, with SwiftShader's WebGL) on a page of the web build, served from
// 127.0.0.1 with the files of its folder, for the web tests' drivers.
'use strict';
const fs = require('fs');
const http = require('http');
const path = require('path');
const puppeteer = require('puppeteer-core');

const ContentTypes = {
    '.html': 'text/html', '.js': 'text/javascript', '.wasm': 'application/wasm',
    '.data': 'application/octet-stream',
};

// Resolves to the listening server; its address is 'http://127.0.0.1:' + server.address().port.
function serveFolder(folder) {
    const server = http.createServer((request, response) => {
        const name = path.basename(decodeURIComponent(new URL(request.url, 'http://x').pathname)) ||
                     'index.html';
        const file = path.join(folder, name);
        const type = ContentTypes[path.extname(name)];
        if (!type || !fs.existsSync(file)) {
            response.writeHead(404);
            response.end();
            return;
        }
        response.writeHead(200, { 'Content-Type': type });
        fs.createReadStream(file).pipe(response);
    });
    return new Promise(resolve => server.listen(0, '127.0.0.1', () => resolve(server)));
}

// Chromium's software WebGL on a machine without a graphics card; no sandbox, as tests run as
// root; sound may start without a click.
const ChromiumFlags = [
    '--no-sandbox', '--use-angle=swiftshader', '--enable-unsafe-swiftshader',
    '--autoplay-policy=no-user-gesture-required', '--window-size=660,520',
];

// Runs work(page, problems) on the page `address` (a file of folder, with its query) in a new
// headless Chromium (problems collects the page's errors, which go to standard error at the
// end), and closes the browser and the server whatever happens. beforeLoad(page), if given, runs
// before the page loads; the work starts once the expression `ready` holds in the page.
// Resolves to work's result.
async function withPage(folder, address, ready, work, beforeLoad) {
    const server = await serveFolder(folder);
    let browser = null;
    try {
        browser = await puppeteer.launch({
            executablePath: '/usr/bin/chromium', headless: true, args: ChromiumFlags,
        });
        const page = await browser.newPage();
        const problems = [];
        page.on('console', message => {
            if (message.type() === 'error') problems.push(message.text());
        });
        page.on('pageerror', error => problems.push(String(error)));
        if (beforeLoad) await beforeLoad(page);
        await page.goto('http://127.0.0.1:' + server.address().port + '/' + address);
        await page.waitForFunction(ready, { timeout: 60000 });
        const result = await work(page, problems);
        for (const problem of problems) process.stderr.write('page: ' + problem + '\n');
        return result;
    } finally {
        if (browser !== null) await browser.close();
        server.close();
    }
}

// The scene harness page, once its program has started.
function withHarness(folder, work) {
    return withPage(folder, 'scene_harness.html', 'window.Module && Module.ready', work);
}

// Before the show's page (index.html) loads: watches its frames through the page's log. At each
// frame's second line ("test??"), when the canvas holds the frame, window.framesSeen counts it,
// window.frameTimes gets its time (performance.now(), taken after a pixel is read back at the
// frames listed in `finished`, when all of their drawing is done: WebGL's calls return before
// it is), and window.keptFrames its picture as a PNG data URL if window.keepFrames (a Set, made
// of `keep`) has it.
function watchShowFrames(page, keep, finished) {
    return page.evaluateOnNewDocument((keep, finished) => {
        Object.assign(window, { framesSeen: 0, frameTimes: [], keptFrames: {}, keepFrames: new Set(keep) });
        const finish = new Set(finished);
        let shown = null;
        Object.defineProperty(window, 'veskopPage', {
            configurable: true,
            get() { return shown; },
            set(value) {
                shown = value;
                value.log.lines.push = function(line) {
                    if (line === 'test??') {
                        const frame = window.framesSeen++;
                        const canvas = document.getElementById('canvas');
                        if (finish.has(frame)) {
                            const gl = canvas.getContext('webgl2');
                            gl.readPixels(0, 0, 1, 1, gl.RGBA, gl.UNSIGNED_BYTE, new Uint8Array(4));
                        }
                        window.frameTimes.push(performance.now());
                        if (window.keepFrames.has(frame)) window.keptFrames[frame] = canvas.toDataURL('image/png');
                    }
                    return Array.prototype.push.call(this, line);
                };
            },
        });
    }, keep, finished);
}

// In the page, before anything plays: every buffer that Web Audio is given to play is copied
// as it is started, into window.tapped.
function tapSoundIn(page) {
    return page.evaluateOnNewDocument(() => {
        window.tapped = [];
        const start = AudioBufferSourceNode.prototype.start;
        AudioBufferSourceNode.prototype.start = function(when) {
            window.tapped.push({ when, rate: this.buffer.sampleRate, left: Array.from(this.buffer.getChannelData(0)),
                                 right: Array.from(this.buffer.getChannelData(1)) });
            return start.apply(this, arguments);
        };
    });
}

// Writes what was tapped (tapSoundIn) to outPath, in the order of the buffers' start times, as
// signed 16-bit interleaved stereo at the rate of the context. Fails when nothing was played,
// or on a gap or an overlap between buffers.
async function writeTappedSound(page, problems, outPath) {
    const buffers = await page.evaluate(() => window.tapped);
    if (buffers.length === 0) throw new Error('nothing was played: ' + problems.join('; '));
    const rate = buffers[0].rate;
    buffers.sort((a, b) => a.when - b.when);
    const samples = [];
    for (let i = 0; i < buffers.length; i++) {
        if (i > 0) {
            const step = (buffers[i].when - buffers[i - 1].when) * rate;
            if (Math.abs(step - buffers[i - 1].left.length) > 0.5) {
                throw new Error('buffer ' + i + ' starts ' + step.toFixed(1) + ' frames after the one before, which holds ' +
                                buffers[i - 1].left.length);
            }
        }
        const { left, right } = buffers[i];
        for (let f = 0; f < left.length; f++) samples.push(left[f], right[f]);
    }
    const raw = Buffer.alloc(samples.length * 2);
    samples.forEach((value, i) => raw.writeInt16LE(Math.max(-32768, Math.min(32767, Math.round(value * 32768))), 2 * i));
    fs.writeFileSync(outPath, raw);
}

// Runs a driver's main; a failure ends the process with status 1, its text on standard error
// after the driver's name.
function runDriver(name, main) {
    main().catch(error => {
        process.stderr.write(name + ': ' + error.message + '\n');
        process.exit(1);
    });
}

module.exports = { withPage, withHarness, watchShowFrames, tapSoundIn, writeTappedSound, runDriver };
