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
const path = require('path');
const { withHarness, runDriver } = require('./harness_browser.js');

runDriver('render_scenes', async () => {
    const [folder, outDir, startTick, fps, ...frames] = process.argv.slice(2);
    if (!folder || !outDir || !startTick || !fps || frames.length === 0) {
        throw new Error('usage: render_scenes.js HARNESS_DIR OUT_DIR START_TICK FPS FRAME...');
    }
    await withHarness(folder, async (page, problems) => {
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
    });
});
