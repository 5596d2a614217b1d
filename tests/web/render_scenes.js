// Draws the demo's scenes in headless Chromium (SwiftShader's WebGL) through the scene harness
// page, served from 127.0.0.1, and writes the kept frames as PNG files.
//
// Usage: node render_scenes.js HARNESS_DIR OUT_DIR START_TICK FPS FRAME...
// HARNESS_DIR holds scene_harness.html and what it loads (the web build's harness folder);
// frame N is written as OUT_DIR/frame-N.png (RenderShowFrames in scene_harness.cpp says which
// frame is which moment). Needs puppeteer-core on NODE_PATH and Debian's /usr/bin/chromium.
// Exits 1, saying why on standard error, when the page cannot draw.
'use strict';
const fs = require('fs');
const http = require('http');
const path = require('path');
const puppeteer = require('puppeteer-core');

const ContentTypes = {
    '.html': 'text/html', '.js': 'text/javascript', '.wasm': 'application/wasm',
    '.data': 'application/octet-stream',
};

// A static file server for folder on 127.0.0.1, on a free port; resolves to the server.
function serve(folder) {
    const server = http.createServer((request, response) => {
        const name = path.basename(decodeURIComponent(new URL(request.url, 'http://x').pathname));
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

async function main() {
    const [folder, outDir, startTick, fps, ...frames] = process.argv.slice(2);
    if (!folder || !outDir || !startTick || !fps || frames.length === 0) {
        throw new Error('usage: render_scenes.js HARNESS_DIR OUT_DIR START_TICK FPS FRAME...');
    }
    const server = await serve(folder);
    const url = 'http://127.0.0.1:' + server.address().port + '/scene_harness.html';
    const browser = await puppeteer.launch({
        executablePath: '/usr/bin/chromium', headless: true, args: ChromiumFlags,
    });
    try {
        const page = await browser.newPage();
        const problems = [];
        page.on('console', message => {
            if (message.type() === 'error') problems.push(message.text());
        });
        page.on('pageerror', error => problems.push(String(error)));
        await page.goto(url);
        await page.waitForFunction('window.Module && Module.ready', { timeout: 60000 });
        const kept = await page.evaluate((startTick, fps, frames) => {
            const list = Module._malloc(4 * frames.length);
            frames.forEach((frame, i) => { Module.HEAP32[(list >> 2) + i] = frame; });
            const drawn = Module._RenderShowFrames(startTick >>> 0, fps, list, frames.length);
            Module._free(list);
            return drawn ? Module.keptFrames : null;
        }, Number(startTick), Number(fps), frames.map(Number));
        if (kept === null) throw new Error('the page has no WebGL 2: ' + problems.join('; '));
        for (const frame of frames) {
            const dataUrl = kept[frame];
            if (!dataUrl) throw new Error('frame ' + frame + ' was not kept');
            const png = Buffer.from(dataUrl.replace(/^data:image\/png;base64,/, ''), 'base64');
            fs.writeFileSync(path.join(outDir, 'frame-' + frame + '.png'), png);
        }
        for (const problem of problems) process.stderr.write('page: ' + problem + '\n');
    } finally {
        await browser.close();
        server.close();
    }
}

main().catch(error => {
    process.stderr.write('render_scenes: ' + error.message + '\n');
    process.exit(1);
});
