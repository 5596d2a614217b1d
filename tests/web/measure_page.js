// Measures the show's page (the web build's index.html) beside a bare WebGL page drawing the
// same geometry with the same shading (harness/bare_scenes.js in the scene harness), in headless
// Chromium, and prints a table: each scene's frames per second, the page's frames back to back
// (pacing=off, on a frame clock of 30 fps with the tick base at 0, so that the meshes do not
// drift, as the bare page draws them), the bare page's frames likewise, each followed by a turn
// of the browser's task queue; and how long the page takes from its opening to its first
// picture, and from the click to the first frame after it.
//
// Usage: node measure_page.js BUILD_WEB_DIR [ROUNDS]
// Each round runs the page through a whole show and the bare page through each scene, in turns
// (which goes first alternates); the table gives the median of the rounds. Needs puppeteer-core
// on NODE_PATH and Debian's /usr/bin/chromium.
'use strict';
const path = require('path');
const { withPage, withHarness, watchShowFrames, runDriver } = require('./harness_browser.js');

const Fps = 30;
// Each scene's frames on the frame clock (frame n at n * 1000 / Fps ms), the bare page's scene
// drawn for it, and how many frames the bare page draws for a timing.
const Scenes = [
    { name: 'meshes', from: 1, to: 180, bare: 'meshes', frames: 60 },
    { name: 'cube', from: 181, to: 435, bare: 'cube', frames: 200 },
    { name: 'vardlum', from: 436, to: 780, bare: 'image', frames: 200 },
    { name: 'sovepose2', from: 781, to: 1050, bare: 'image', frames: 200 },
    { name: 'pizza2', from: 1051, to: 1290, bare: 'image', frames: 200 },
    { name: 'startlogo2', from: 1291, to: 1650, bare: 'image', frames: 200 },
];
const EdgeFrames = 5;  // left out at each end of a span: the scene's first frames settle

// The page through a whole show: when each frame was written (performance.now() at its second
// line), and when the click came.
function measurePage(folder) {
    // The frames that a rate is timed from and to.
    const timed = [];
    for (const scene of Scenes) timed.push(scene.from + EdgeFrames, scene.to - EdgeFrames);
    return withPage(folder, 'index.html?fps=' + Fps + '&pacing=off', 'window.veskopPage', async page => {
        await page.waitForFunction(() => window.frameTimes.length >= 2, { timeout: 120000, polling: 5 });
        // A click as a user's, which lets the music play (the page's mixing is part of a frame).
        await page.evaluate(() => document.addEventListener('click', () => { window.clickTime = performance.now(); }, true));
        await page.click('#cover');
        await page.waitForFunction(() => veskopPage.status !== null, { timeout: 600000, polling: 100 });
        const { times, clickTime } = await page.evaluate(() => ({ times: window.frameTimes, clickTime: window.clickTime }));
        const rates = {};
        for (const scene of Scenes) {
            const first = times[scene.from + EdgeFrames], last = times[scene.to - EdgeFrames];
            rates[scene.name] = (scene.to - scene.from - 2 * EdgeFrames) * 1000 / (last - first);
        }
        return { rates, firstPicture: times[1], clickToFrame: times[2] - clickTime };
    }, page => watchShowFrames(page, [], timed));
}

// The bare page's frames per second for each of its scenes.
function measureBare(folder) {
    return withHarness(folder, async page => {
        await page.addScriptTag({ path: path.join(folder, 'bare_scenes.js') });
        return page.evaluate(async scenes => {
            const bare = await makeHarnessBareScenes();
            const channel = new MessageChannel();
            const nextTurn = () => new Promise(resolve => {
                channel.port1.onmessage = resolve;
                channel.port2.postMessage(0);
            });
            const rates = {};
            for (const scene of scenes) {
                if (rates[scene.bare]) continue;
                for (let i = 0; i < 5; i++) bare.draw(scene.bare);
                bare.finish();
                const start = performance.now();
                for (let i = 0; i < scene.frames; i++) {
                    bare.draw(scene.bare);
                    await nextTurn();
                }
                bare.finish();
                rates[scene.bare] = scene.frames * 1000 / (performance.now() - start);
            }
            return rates;
        }, Scenes);
    });
}

runDriver('measure_page', async () => {
    const [folder, rounds = '3'] = process.argv.slice(2);
    if (!folder) throw new Error('usage: measure_page.js BUILD_WEB_DIR [ROUNDS]');
    const pages = [], bares = [];
    for (let round = 0; round < Number(rounds); round++) {
        if (round % 2 === 0) {
            pages.push(await measurePage(folder));
            bares.push(await measureBare(path.join(folder, 'harness')));
        } else {
            bares.push(await measureBare(path.join(folder, 'harness')));
            pages.push(await measurePage(folder));
        }
    }
    const median = values => values.slice().sort((a, b) => a - b)[Math.floor(values.length / 2)];
    console.log('scene        page fps   bare WebGL fps   ratio (rounds)');
    for (const scene of Scenes) {
        const ratios = pages.map((page, i) => page.rates[scene.name] / bares[i][scene.bare]);
        console.log(scene.name.padEnd(12) + median(pages.map(p => p.rates[scene.name])).toFixed(1).padStart(9) +
                    median(bares.map(b => b[scene.bare])).toFixed(1).padStart(17) + median(ratios).toFixed(2).padStart(8) +
                    '  (' + ratios.map(r => r.toFixed(2)).join(' ') + ')');
    }
    console.log('page open to its first picture: ' + median(pages.map(p => p.firstPicture)).toFixed(0) + ' ms');
    console.log('click to the first frame after it: ' + median(pages.map(p => p.clickToFrame)).toFixed(0) + ' ms');
});
