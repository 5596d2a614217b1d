// Headless Chromium (Debian's, with SwiftShader's WebGL) on the scene harness page, served from
// 127.0.0.1 with the files of the web build's harness folder, for the web tests' drivers.
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

// Runs work(page, problems) on the harness page of folder in a new headless Chromium, once the
// page's program has started (problems collects the page's errors, which go to standard error
// at the end), and closes the browser and the server whatever happens. Resolves to work's result.
async function withHarness(folder, work) {
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
        await page.goto('http://127.0.0.1:' + server.address().port + '/scene_harness.html');
        await page.waitForFunction('window.Module && Module.ready', { timeout: 60000 });
        const result = await work(page, problems);
        for (const problem of problems) process.stderr.write('page: ' + problem + '\n');
        return result;
    } finally {
        if (browser !== null) await browser.close();
        server.close();
    }
}

// Runs a driver's main; a failure ends the process with status 1, its text on standard error
// after the driver's name.
function runDriver(name, main) {
    main().catch(error => {
        process.stderr.write(name + ': ' + error.message + '\n');
        process.exit(1);
    });
}

module.exports = { withHarness, runDriver };
