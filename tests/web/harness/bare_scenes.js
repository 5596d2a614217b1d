// The yardstick of the fixed-function layer's speed: the demo's three scenes drawn with WebGL 2
// directly, in shaders of our own with the same shading (OpenGL 1.1's vertex lighting of light
// 0, material 0 of mesh A, GL_MODULATE), from static buffers, on a canvas of its own.
//
// makeBareScenes(canvas, meshCorners, image) -> { draw(scene), finish() }; scene is 'meshes',
// 'cube' or 'image'. meshCorners[i] is a Float32Array of position and normal per corner.
// makeHarnessBareScenes() makes them in the scene harness page, on a canvas of their own, from
// the demo's meshes and data/vardlum.png, after the harness's set-up; null without WebGL 2.
'use strict';

function makeBareScenes(canvas, meshCorners, image) {
    const gl = canvas.getContext('webgl2', { alpha: false, depth: true, stencil: false, antialias: false });

    function compile(vertexSource, fragmentSource) {
        const program = gl.createProgram();
        for (const [type, source] of [[gl.VERTEX_SHADER, vertexSource], [gl.FRAGMENT_SHADER, fragmentSource]]) {
            const shader = gl.createShader(type);
            gl.shaderSource(shader, '#version 300 es\nprecision highp float;\n' + source);
            gl.compileShader(shader);
            gl.attachShader(program, shader);
        }
        gl.bindAttribLocation(program, 0, 'position');
        gl.bindAttribLocation(program, 1, 'normal');
        gl.linkProgram(program);
        return program;
    }
    const lit = compile(`
        in vec4 position; in vec3 normal;
        uniform mat4 mvp, modelView; uniform mat3 normalMatrix;
        const vec3 light = vec3(5.0, 5.0, 8.0);
        const vec3 ambient = vec3(0.2, 0.615686, 1.0), diffuse = vec3(0.2, 0.615686, 1.0);
        const vec3 specular = vec3(0.628627);
        out vec4 color;
        void main() {
            gl_Position = mvp * position;
            vec3 eye = (modelView * position).xyz;
            vec3 n = normalize(normalMatrix * normal);
            vec3 l = normalize(light - eye);
            vec3 c = ambient * 0.2;
            float d = dot(n, l);
            if (d > 0.0) {
                c += d * diffuse;
                float h = dot(n, normalize(l + vec3(0.0, 0.0, 1.0)));
                if (h > 0.0) c += pow(h, 21.1121) * specular;
            }
            color = vec4(clamp(c, 0.0, 1.0), 1.0);
        }`, `
        in vec4 color; out vec4 fragColor;
        void main() { fragColor = color; }`);
    const textured = compile(`
        in vec4 position; out vec2 st;
        void main() { gl_Position = vec4(position.xy * 2.0 - 1.0, -1.0, 1.0); st = vec2(position.x, 1.0 - position.y); }`, `
        in vec2 st; uniform sampler2D image; out vec4 fragColor;
        void main() { fragColor = texture(image, st); }`);
    const at = name => gl.getUniformLocation(lit, name);
    const uniforms = { mvp: at('mvp'), modelView: at('modelView'), normalMatrix: at('normalMatrix') };

    function vertexArray(data, withNormals) {
        const array = gl.createVertexArray();
        gl.bindVertexArray(array);
        gl.bindBuffer(gl.ARRAY_BUFFER, gl.createBuffer());
        gl.bufferData(gl.ARRAY_BUFFER, data, gl.STATIC_DRAW);
        const stride = withNormals ? 24 : 8;
        gl.enableVertexAttribArray(0);
        gl.vertexAttribPointer(0, withNormals ? 3 : 2, gl.FLOAT, false, stride, 0);
        if (withNormals) {
            gl.enableVertexAttribArray(1);
            gl.vertexAttribPointer(1, 3, gl.FLOAT, false, stride, 12);
        }
        gl.bindVertexArray(null);
        return { array, count: data.length / (withNormals ? 6 : 2) };
    }
    const meshes = meshCorners.map(corners => vertexArray(corners, true));
    // The cube's 24 corners as 12 triangles, lit with one normal: what mesh C leaves current.
    const faces = [[1, 1, -1, -1, 1, -1, -1, 1, 1, 1, 1, 1], [1, -1, 1, -1, -1, 1, -1, -1, -1, 1, -1, -1],
                   [1, 1, 1, -1, 1, 1, -1, -1, 1, 1, -1, 1], [1, -1, -1, -1, -1, -1, -1, 1, -1, 1, 1, -1],
                   [-1, 1, 1, -1, 1, -1, -1, -1, -1, -1, -1, 1], [1, 1, -1, 1, 1, 1, 1, -1, 1, 1, -1, -1]];
    const cubeCorners = [];
    for (const f of faces) {
        for (const i of [0, 1, 3, 1, 2, 3]) cubeCorners.push(f[3 * i], f[3 * i + 1], f[3 * i + 2], 0, 0, 1);
    }
    const cube = vertexArray(new Float32Array(cubeCorners), true);
    const quad = vertexArray(new Float32Array([0, 0, 1, 0, 0, 1, 1, 0, 1, 1, 0, 1]), false);
    const texture = gl.createTexture();
    gl.bindTexture(gl.TEXTURE_2D, texture);
    gl.texImage2D(gl.TEXTURE_2D, 0, gl.RGB, gl.RGB, gl.UNSIGNED_BYTE, image);
    gl.generateMipmap(gl.TEXTURE_2D);
    gl.texParameteri(gl.TEXTURE_2D, gl.TEXTURE_MIN_FILTER, gl.LINEAR_MIPMAP_LINEAR);
    gl.texParameteri(gl.TEXTURE_2D, gl.TEXTURE_MAG_FILTER, gl.LINEAR);

    // Column-major 4x4 matrices.
    const multiply = (a, b) => {
        const m = new Float32Array(16);
        for (let c = 0; c < 4; c++) for (let r = 0; r < 4; r++) {
            let sum = 0;
            for (let k = 0; k < 4; k++) sum += a[k * 4 + r] * b[c * 4 + k];
            m[c * 4 + r] = sum;
        }
        return m;
    };
    const translation = (x, y, z) => new Float32Array([1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, x, y, z, 1]);
    const rotation = (degrees, axis) => {
        const s = Math.sin(degrees * Math.PI / 180), c = Math.cos(degrees * Math.PI / 180);
        if (axis === 'x') return new Float32Array([1, 0, 0, 0, 0, c, s, 0, 0, -s, c, 0, 0, 0, 0, 1]);
        if (axis === 'y') return new Float32Array([c, 0, -s, 0, 0, 1, 0, 0, s, 0, c, 0, 0, 0, 0, 1]);
        return new Float32Array([c, s, 0, 0, -s, c, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1]);
    };
    const f = 1 / Math.tan(22.5 * Math.PI / 180);
    const projection = new Float32Array([f, 0, 0, 0, 0, f, 0, 0, 0, 0, -1000.1 / 999.9, -1, 0, 0, -200 / 999.9, 0]);
    const view = translation(0, 0, -2.5);  // the look-at camera at its start
    const normalMatrix = m => new Float32Array([m[0], m[1], m[2], m[4], m[5], m[6], m[8], m[9], m[10]]);
    let spin = -45;

    function drawLit(vertices, model) {
        const modelView = multiply(view, model);
        gl.uniformMatrix4fv(uniforms.mvp, false, multiply(projection, modelView));
        gl.uniformMatrix4fv(uniforms.modelView, false, modelView);
        gl.uniformMatrix3fv(uniforms.normalMatrix, false, normalMatrix(modelView));  // rotations only
        gl.bindVertexArray(vertices.array);
        gl.drawArrays(gl.TRIANGLES, 0, vertices.count);
    }

    return {
        draw(scene) {
            gl.viewport(0, 0, canvas.width, canvas.height);
            gl.clear(gl.COLOR_BUFFER_BIT | gl.DEPTH_BUFFER_BIT);
            gl.enable(gl.DEPTH_TEST);
            gl.depthFunc(gl.LEQUAL);
            if (scene === 'meshes') {
                gl.enable(gl.BLEND);
                gl.blendFunc(gl.SRC_ALPHA, gl.ONE);
                gl.useProgram(lit);
                const places = [[-0.4, 0.2, 0], [0, 0, -30], [0.2, -0.2, -60]];
                places.forEach(([x, y, phase], i) => drawLit(meshes[i],
                    multiply(multiply(translation(x, y, 0), rotation(-90, 'x')), rotation(spin + phase, 'z'))));
            } else if (scene === 'cube') {
                gl.disable(gl.BLEND);
                gl.useProgram(lit);
                drawLit(cube, multiply(translation(0, 0, -5), rotation(spin, 'y')));
            } else {
                gl.enable(gl.BLEND);
                gl.blendFunc(gl.SRC_ALPHA, gl.ONE_MINUS_SRC_ALPHA);
                gl.useProgram(textured);
                gl.bindTexture(gl.TEXTURE_2D, texture);
                gl.bindVertexArray(quad.array);
                gl.drawArrays(gl.TRIANGLES, 0, 6);
            }
            gl.bindVertexArray(null);
            spin += 0.5;
        },
        // Waits until everything drawn so far is done.
        finish() { gl.readPixels(0, 0, 1, 1, gl.RGBA, gl.UNSIGNED_BYTE, new Uint8Array(4)); },
    };
}

async function makeHarnessBareScenes() {
    const list = Module._malloc(4);
    Module.HEAP32[list >> 2] = 0;
    // The set-up at tick 0: the meshes' drift, which follows the tick count at the set-up, is
    // then nil, and they stay the size the bare page draws them.
    const drawn = Module._RenderShowFrames(0, 60, list, 1);
    Module._free(list);
    if (!drawn) return null;
    const meshCorners = [0, 1, 2].map(mesh => {
        const count = Module._malloc(4);
        const corners = Module._MeshCorners(mesh, count);
        const copy = new Float32Array(Module.HEAPF32.buffer, corners, Module.HEAP32[count >> 2] * 6).slice();
        Module._free(count);
        return copy;
    });
    const image = await createImageBitmap(new Blob([Module.FS.readFile('data/vardlum.png')]));
    const canvas = document.createElement('canvas');
    canvas.width = 640;
    canvas.height = 480;
    document.body.appendChild(canvas);
    return makeBareScenes(canvas, meshCorners, image);
}
