// The page around the show (index.html): the first frame under "click to start", the click that
// starts the show fullscreen with its music, the show's log, its dialogs, and what the page says
// at its end, with the exit status and a way to play it again (a fresh instance of the program).
//
// What the program's web set asks of the page (src/platform/web): Module.canvas, the canvas it
// draws on; veskopScreen, the element that goes fullscreen; veskopStart, a promise that the
// click resolves (its `done` set first); veskopAsk(text, caption, question), a promise of the
// answer to a message box (true for Yes or OK).
'use strict';
(function() {
    const LogLimit = 1000;  // lines kept: the newest
    const page = { log: { lines: [], total: 0 }, status: null, error: null };
    window.veskopPage = page;  // for a person (or a test) looking at the page

    const element = id => document.getElementById(id);
    const screen = element('screen'), cover = element('cover'), logView = element('log');
    const showLog = new URLSearchParams(location.search).has('log');
    logView.hidden = !showLog;
    let logViewDue = false;

    // The show writes two lines a frame: kept here, and drawn at most once an animation frame.
    function addLine(line) {
        const log = page.log;
        log.total++;
        log.lines.push(line);
        if (log.lines.length > LogLimit) log.lines.shift();
        if (!showLog || logViewDue) return;
        logViewDue = true;
        requestAnimationFrame(() => {
            logViewDue = false;
            logView.textContent = log.lines.join('\n');
            logView.scrollTop = logView.scrollHeight;
        });
    }

    function ask(text, caption, question) {
        const box = element('box');
        element('box-caption').textContent = caption;
        element('box-text').textContent = text;
        element('box-yes').textContent = question ? 'Yes' : 'OK';
        element('box-no').hidden = !question;
        box.returnValue = '';
        box.showModal();
        element('box-yes').focus();
        return new Promise(resolve => {
            box.addEventListener('close', () => resolve(box.returnValue === 'yes'), { once: true });
        });
    }

    function enterFullscreen() {
        if (screen.requestFullscreen) screen.requestFullscreen().catch(() => {});
    }

    function showEnd(status) {
        page.status = status;
        cover.hidden = true;
        if (document.fullscreenElement) document.exitFullscreen().catch(() => {});
        element('ended-text').textContent = 'The show has ended (exit status ' + status + ').';
        element('ended').hidden = false;
        element('again').focus();
    }

    function showFailure(error) {
        page.error = String(error);
        cover.hidden = true;
        element('ended-text').textContent = 'The show could not run: ' + page.error;
        element('ended').hidden = false;
    }

    // A promise the click resolves, which the program waits for after its first frame.
    function makeStartGate() {
        let open;
        const gate = new Promise(resolve => { open = resolve; });
        gate.done = false;
        gate.open = () => {
            if (gate.done) return;
            gate.done = true;
            open();
        };
        return gate;
    }

    // Every show draws on a canvas of its own: a canvas keeps its WebGL context for good.
    function freshCanvas() {
        const canvas = document.createElement('canvas');
        canvas.id = 'canvas';
        canvas.width = 640;
        canvas.height = 480;
        element('canvas').replaceWith(canvas);
        return canvas;
    }

    // clicked: the user has just clicked (Play again), so the show starts at once.
    function play(clicked, canvas) {
        const gate = makeStartGate();
        element('ended').hidden = true;
        page.status = null;
        cover.hidden = clicked;
        cover.onclick = () => {
            cover.hidden = true;
            enterFullscreen();
            gate.open();
        };
        if (clicked) cover.onclick();
        createVeskop({
            canvas, veskopScreen: screen, veskopStart: gate, veskopAsk: ask,
            print: addLine, printErr: addLine, onExit: showEnd,
        }).catch(showFailure);
    }

    if (!document.createElement('canvas').getContext('webgl2')) {
        screen.hidden = true;
        element('no-webgl').hidden = false;
        return;
    }
    element('again').onclick = () => play(true, freshCanvas());
    play(false, element('canvas'));
})();
