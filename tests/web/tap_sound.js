// Listens to what the sound library's Web Audio output plays in the scene harness page: every
// buffer it starts is copied as it is started, and after the set-up (which starts the music)
// the page is left to run for a while. Writes the buffers, in the order of their start times,
// as signed 16-bit interleaved stereo at the context's rate.
//
// Usage: node tap_sound.js HARNESS_DIR OUT_RAW SECONDS
// Exits 1, saying why on standard error, when the output plays nothing or leaves a gap or an
// overlap between buffers. Needs puppeteer-core on NODE_PATH and Debian's /usr/bin/chromium.
'use strict';
const fs = require('fs');
const { withHarness, runDriver } = require('./harness_browser.js');

runDriver('tap_sound', async () => {
    const [folder, outPath, seconds] = process.argv.slice(2);
    if (!folder || !outPath || !seconds) throw new Error('usage: tap_sound.js HARNESS_DIR OUT_RAW SECONDS');
    await withHarness(folder, async (page, problems) => {
        await page.evaluate(() => {
            window.tapped = [];
            const start = AudioBufferSourceNode.prototype.start;
            AudioBufferSourceNode.prototype.start = function(when) {
                tapped.push({ when, left: Array.from(this.buffer.getChannelData(0)),
                              right: Array.from(this.buffer.getChannelData(1)) });
                return start.apply(this, arguments);
            };
            const list = Module._malloc(4);
            Module.HEAP32[list >> 2] = 0;
            Module._RenderShowFrames(0, 60, list, 1);  // the set-up and the first frame
            Module._free(list);
        });
        await new Promise(resolve => setTimeout(resolve, Number(seconds) * 1000));
        const { rate, buffers } = await page.evaluate(() => ({
            rate: Module.veskopSoundOutput ? Module.veskopSoundOutput.context.sampleRate : 0,
            buffers: tapped,
        }));
        if (rate === 0 || buffers.length === 0) throw new Error('nothing was played: ' + problems.join('; '));
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
    });
});
