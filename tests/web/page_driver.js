// Drives the show's page (the web build's index.html) in headless Chromium, as a user would:
// the click that starts it, keys held, the dialog's button. Writes what it saw into OUT_DIR:
// result.txt (one "name value" a line), log.txt (the page's log, the lines it kept), and the
// canvas's picture of chosen frames as frame-N.png (frame N counted from 0, taken as soon as
// the show has written its two lines, before the browser presents it).
//
// Usage: node page_driver.js SCENARIO PAGE_DIR OUT_DIR QUERY [FRAME...]
//   show     click, keep the frames asked for, wait for the end of the show
//   keys     click; in the cube's span hold F1 until the show restarts, twice, keeping the 20th
//            frame after each restart; then hold Escape until the show ends
//   leave    click; once the show runs fullscreen, leave fullscreen as the browser does on its own
//            Escape (the page's code does not ask for it), and wait for the end
//   sound    click, listen for SECONDS (the first FRAME argument), write OUT_DIR/sound.raw; the
//            click comes 1.5 s after the first picture; say how much sound was queued before it
//   dialog   wait for the program's dialog, press its button, wait for the end
//   nowebgl  in a browser whose canvases give no WebGL 2 context: what the page shows instead,
//            a second after it loaded
// Needs puppeteer-core on NODE_PATH and Debian's /usr/bin/chromium.
'use strict';
const fs = require('fs');
const path = require('path');
const { withPage, watchShowFrames, tapSoundIn, writeTappedSound, runDriver } = require('./harness_browser.js');

const Timeout = 240000;  // ms, for any one thing the page is waited for
const RestartText = 'Cannot call this command after FSOUND_Init.';

const framesDrawn = page => page.evaluate(() => window.framesSeen);
const restarts = page => page.evaluate(text => veskopPage.log.lines.filter(l => l.startsWith(text)).length, RestartText);
const wait = (page, condition, ...args) => page.waitForFunction(condition, { timeout: Timeout, polling: 20 }, ...args);

// Holds key down until condition (a function of the page) holds.
async function holdKeyUntil(page, key, condition) {
    await page.keyboard.down(key);
    try {
        for (const deadline = Date.now() + Timeout; !(await condition());) {
            if (Date.now() > deadline) throw new Error(key + ' held, and nothing came of it');
            await new Promise(resolve => setTimeout(resolve, 20));
        }
    } finally {
        await page.keyboard.up(key);
    }
}

async function screenState(page) {
    return page.evaluate(() => {
        const box = document.getElementById('canvas').getBoundingClientRect();
        return (document.fullscreenElement ? 'fullscreen ' : 'page ') + Math.round(box.width) + 'x' + Math.round(box.height);
    });
}

async function clickToStart(page) {
    await wait(page, () => window.framesSeen >= 2);
    await page.click('#cover');
}

const Scenarios = {
    async show(page, frames) {
        await clickToStart(page);
        await wait(page, () => veskopPage.status !== null);
        return {};
    },
    async keys(page) {
        await clickToStart(page);
        const result = {};
        await wait(page, () => window.framesSeen >= 70);
        result['before-F1'] = await screenState(page);
        for (const turn of [1, 2]) {
            await holdKeyUntil(page, 'F1', async () => (await restarts(page)) >= turn);
            const restartFrame = await framesDrawn(page);
            await page.evaluate(frame => window.keepFrames.add(frame), restartFrame + 20);
            await wait(page, frame => frame in window.keptFrames, restartFrame + 20);
            result['after-F1-' + turn] = await screenState(page);
            result['restart-frame-' + turn] = restartFrame + 20;
        }
        await holdKeyUntil(page, 'Escape', () => page.evaluate(() => veskopPage.status !== null));
        return result;
    },
    async leave(page) {
        await clickToStart(page);
        await wait(page, () => window.framesSeen >= 10 && document.fullscreenElement !== null);
        await page.evaluate(() => document.exitFullscreen());
        await wait(page, () => veskopPage.status !== null);
        return {};
    },
    async sound(page, [seconds], problems, outDir) {
        await page.evaluate(() => document.addEventListener('pointerdown', () => {
            window.soundBeforeClick = window.tapped.reduce((ms, b) => ms + 1000 * b.left.length / b.rate, 0);
        }, true));
        await wait(page, () => window.framesSeen >= 2);
        await new Promise(resolve => setTimeout(resolve, 1500));  // a user who looks first
        await clickToStart(page);
        await new Promise(resolve => setTimeout(resolve, Number(seconds) * 1000));
        await writeTappedSound(page, problems, path.join(outDir, 'sound.raw'));
        return { 'sound-before-click-ms': Math.round(await page.evaluate(() => window.soundBeforeClick)) };
    },
    async dialog(page) {
        await wait(page, () => document.getElementById('box').open);
        const result = await page.evaluate(() => ({
            caption: document.getElementById('box-caption').textContent,
            text: document.getElementById('box-text').textContent,
        }));
        await page.click('#box-yes');
        await wait(page, () => veskopPage.status !== null);
        return result;
    },
    async nowebgl(page) {
        await new Promise(resolve => setTimeout(resolve, 1000));  // time for a program to start
        return page.evaluate(() => ({
            message: document.getElementById('no-webgl').hidden ? '' : document.getElementById('no-webgl').textContent,
            screen: document.getElementById('screen').hidden ? 'hidden' : 'shown',
        }));
    },
};

// Makes every canvas of the page refuse WebGL 2, as a browser without it (or with it turned off).
function refuseWebGl2() {
    const getContext = HTMLCanvasElement.prototype.getContext;
    HTMLCanvasElement.prototype.getContext = function(kind, ...rest) {
        return kind === 'webgl2' ? null : getContext.call(this, kind, ...rest);
    };
}

runDriver('page_driver', async () => {
    const [scenario, folder, outDir, query, ...rest] = process.argv.slice(2);
    if (!Scenarios[scenario] || !folder || !outDir || query === undefined) {
        throw new Error('usage: page_driver.js show|keys|leave|sound|dialog|nowebgl PAGE_DIR OUT_DIR QUERY [FRAME...]');
    }
    const frames = scenario === 'show' ? rest.map(Number) : [];
    const prepare = async page => {
        await watchShowFrames(page, frames, []);
        if (scenario === 'sound') await tapSoundIn(page);
        if (scenario === 'nowebgl') await page.evaluateOnNewDocument(refuseWebGl2);
    };
    await withPage(folder, 'index.html' + query, 'window.veskopPage', async (page, problems) => {
        const result = await Scenarios[scenario](page, rest, problems, outDir);
        const seen = await page.evaluate(() => ({
            status: veskopPage.status, lines: veskopPage.log.total, ended: document.getElementById('ended-text').textContent,
            log: veskopPage.log.lines, frames: window.keptFrames,
        }));
        const lines = Object.entries(Object.assign({ status: seen.status, lines: seen.lines, ended: seen.ended }, result));
        fs.writeFileSync(path.join(outDir, 'result.txt'), lines.map(([name, value]) => name + ' ' + value + '\n').join(''));
        fs.writeFileSync(path.join(outDir, 'log.txt'), seen.log.map(line => line + '\n').join(''));
        for (const [frame, dataUrl] of Object.entries(seen.frames)) {
            const png = Buffer.from(dataUrl.replace(/^data:image\/png;base64,/, ''), 'base64');
            fs.writeFileSync(path.join(outDir, 'frame-' + frame + '.png'), png);
        }
    }, prepare);
});
