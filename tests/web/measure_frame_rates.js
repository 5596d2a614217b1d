// Measures each scene's frames per second on the fixed-function layer beside the bare WebGL
// page (harness/bare_scenes.js) that draws the same geometry with the same shading, in one
// headless Chromium, frames drawn back to back with no pacing, and prints a table.
//
// Usage: node measure_frame_rates.js HARNESS_DIR [ROUNDS]
// Each round times every scene on both, one right after the other (which goes first in turns),
// so that the ratio of a round compares the two under the same load; the table gives the median
// of the rounds, frames per second and ratio each. Needs puppeteer-core on NODE_PATH and
// Debian's /usr/bin/chromium.
'use strict';
const path = require('path');
const { withHarness, runDriver } = require('./harness_browser.js');

// Moments of the show (ms) in each scene, and how many frames a timing draws.
const Scenes = [
    { name: 'meshes', elapsed: 3000, frames: 60 },
    { name: 'cube', elapsed: 10000, frames: 300 },
    { name: 'image', elapsed: 20000, frames: 300 },
];

runDriver('measure_frame_rates', async () => {
    const [folder, rounds = '5'] = process.argv.slice(2);
    if (!folder) throw new Error('usage: measure_frame_rates.js HARNESS_DIR [ROUNDS]');
    await withHarness(folder, async (page, problems) => {
        await page.addScriptTag({ path: path.join(folder, 'bare_scenes.js') });
        const results = await page.evaluate(async (scenes, rounds) => {
            const bare = await makeHarnessBareScenes();
            if (bare === null) return null;
            const layer = Module.canvas.getContext('webgl2');
            const finishLayer = () => layer.readPixels(0, 0, 1, 1, layer.RGBA, layer.UNSIGNED_BYTE, new Uint8Array(4));
            const timed = (draw, finish, frames) => {
                draw(5);  // warmed up: shaders compiled, buffers made
                finish();
                const start = performance.now();
                draw(frames);
                finish();
                return frames * 1000 / (performance.now() - start);
            };
            const median = values => values.slice().sort((a, b) => a - b)[Math.floor(values.length / 2)];
            const table = {};
            for (const scene of scenes) {
                const layerRates = [], bareRates = [], ratios = [];
                const timeLayer = () => timed(n => Module._DrawFramesAt(scene.elapsed, n), finishLayer, scene.frames);
                const timeBare = () => timed(n => { for (let i = 0; i < n; i++) bare.draw(scene.name); }, bare.finish, scene.frames);
                for (let round = 0; round < rounds; round++) {
                    // Turn about, which goes first.
                    let layerRate, bareRate;
                    if (round % 2 === 0) {
                        layerRate = timeLayer();
                        bareRate = timeBare();
                    } else {
                        bareRate = timeBare();
                        layerRate = timeLayer();
                    }
                    layerRates.push(layerRate);
                    bareRates.push(bareRate);
                    ratios.push(layerRate / bareRate);
                }
                table[scene.name] = { layer: median(layerRates), bare: median(bareRates), ratio: median(ratios) };
            }
            return table;
        }, Scenes, Number(rounds));
        if (results === null) throw new Error('the page has no WebGL 2: ' + problems.join('; '));
        console.log('scene     layer fps   bare WebGL fps   ratio');
        for (const scene of Scenes) {
            const { layer, bare, ratio } = results[scene.name];
            console.log(scene.name.padEnd(10) + layer.toFixed(1).padStart(9) + bare.toFixed(1).padStart(17) +
                        ratio.toFixed(2).padStart(8));
        }
    });
});
