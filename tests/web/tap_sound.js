// Listens to what the sound library's Web Audio output plays in the scene harness page: every
// buffer it starts is copied as it is started, and after the set-up (which starts the music)
// the page is left to run for a while. Writes the buffers, in the order of their start times,
// as signed 16-bit interleaved stereo at the context's rate.
//
// Usage: node tap_sound.js HARNESS_DIR OUT_RAW SECONDS
// Exits 1, saying why on standard error, when the output plays nothing or leaves a gap or an
// overlap between buffers. Needs puppeteer-core on NODE_PATH and Debian's /usr/bin/chromium.
'use strict';
const { withPage, tapSoundIn, writeTappedSound, runDriver } = require('./harness_browser.js');

runDriver('tap_sound', async () => {
    const [folder, outPath, seconds] = process.argv.slice(2);
    if (!folder || !outPath || !seconds) throw new Error('usage: tap_sound.js HARNESS_DIR OUT_RAW SECONDS');
    await withPage(folder, 'scene_harness.html', 'window.Module && Module.ready', async (page, problems) => {
        await page.evaluate(() => {
            const list = Module._malloc(4);
            Module.HEAP32[list >> 2] = 0;
            Module._RenderShowFrames(0, 60, list, 1);  // the set-up and the first frame
            Module._free(list);
        });
        await new Promise(resolve => setTimeout(resolve, Number(seconds) * 1000));
        await writeTappedSound(page, problems, outPath);
    }, tapSoundIn);
});
