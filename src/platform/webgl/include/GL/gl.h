// The OpenGL 1.1 subset that veskop's program code calls, for the web page.
//
// In the web build the program includes this header, and src/platform/webgl provides the calls
// as a fixed-function layer of our own over WebGL 2 (fixed_function_context.h makes a context of
// it current). Names, types and constant values are those of OpenGL 1.1, so the same program
// code builds against this header or the system's. A name joins this header only when program
// code uses it; what each call does, and where it differs from OpenGL, is said beside it.
//
// Calls made with no current context do nothing (queries leave their output as it was). OpenGL
// errors are not recorded: a call with an argument outside what is said here does nothing.
#ifndef VESKOP_WEBGL_GL_H
#define VESKOP_WEBGL_GL_H

#ifdef __cplusplus
extern "C" {
#endif

typedef unsigned int GLenum;
typedef unsigned char GLboolean;
typedef unsigned int GLbitfield;
typedef int GLint;
typedef int GLsizei;
typedef unsigned int GLuint;
typedef float GLfloat;
typedef float GLclampf;
typedef double GLdouble;
typedef double GLclampd;
typedef void GLvoid;

#define GL_FALSE 0
#define GL_TRUE 1

// Primitives
#define GL_TRIANGLES 0x0004
#define GL_QUADS 0x0007

// Buffers
#define GL_DEPTH_BUFFER_BIT 0x00000100
#define GL_COLOR_BUFFER_BIT 0x00004000

// Capabilities
#define GL_LIGHTING 0x0B50
#define GL_DEPTH_TEST 0x0B71
#define GL_NORMALIZE 0x0BA1
#define GL_BLEND 0x0BE2
#define GL_TEXTURE_2D 0x0DE1
#define GL_LIGHT0 0x4000

// Depth and blend functions
#define GL_LEQUAL 0x0203
#define GL_ONE 1
#define GL_SRC_ALPHA 0x0302
#define GL_ONE_MINUS_SRC_ALPHA 0x0303

// Matrices
#define GL_MODELVIEW 0x1700
#define GL_PROJECTION 0x1701

// Display lists
#define GL_COMPILE 0x1300

// Lights and materials
#define GL_FRONT 0x0404
#define GL_FRONT_AND_BACK 0x0408
#define GL_AMBIENT 0x1200
#define GL_DIFFUSE 0x1201
#define GL_SPECULAR 0x1202
#define GL_POSITION 0x1203
#define GL_EMISSION 0x1600
#define GL_SHININESS 0x1601
#define GL_SMOOTH 0x1D01

// Hints
#define GL_PERSPECTIVE_CORRECTION_HINT 0x0C50
#define GL_NICEST 0x1102

// Textures and pixels
#define GL_UNSIGNED_BYTE 0x1401
#define GL_RGB 0x1907
#define GL_RGBA 0x1908
#define GL_LINEAR 0x2601
#define GL_LINEAR_MIPMAP_LINEAR 0x2703
#define GL_TEXTURE_MAG_FILTER 0x2800
#define GL_TEXTURE_MIN_FILTER 0x2801
#define GL_UNPACK_SWAP_BYTES 0x0CF0
#define GL_UNPACK_LSB_FIRST 0x0CF1
#define GL_UNPACK_ROW_LENGTH 0x0CF2
#define GL_UNPACK_SKIP_ROWS 0x0CF3
#define GL_UNPACK_SKIP_PIXELS 0x0CF4
#define GL_UNPACK_ALIGNMENT 0x0CF5
#define GL_CLIENT_PIXEL_STORE_BIT 0x00000001

// Queries
#define GL_MAX_TEXTURE_SIZE 0x0D33

// Capabilities: GL_BLEND and GL_DEPTH_TEST as in WebGL; GL_LIGHTING, GL_LIGHT0, GL_NORMALIZE and
// GL_TEXTURE_2D switch the layer's lighting, normalisation and texturing. Others are ignored.
void glEnable(GLenum cap);
void glDisable(GLenum cap);

// Matrices: GL_MODELVIEW and GL_PROJECTION, stacks of 32 each (a push on a full stack or a pop
// of the last matrix does nothing). Each operation multiplies the selected matrix on the right,
// as OpenGL does; angles in degrees, the rotation axis need not be unit length.
void glMatrixMode(GLenum mode);
void glLoadIdentity(void);
void glPushMatrix(void);
void glPopMatrix(void);
void glTranslatef(GLfloat x, GLfloat y, GLfloat z);
void glRotatef(GLfloat angle, GLfloat x, GLfloat y, GLfloat z);
void glOrtho(GLdouble left, GLdouble right, GLdouble bottom, GLdouble top, GLdouble zNear,
             GLdouble zFar);
void glViewport(GLint x, GLint y, GLsizei width, GLsizei height);

// Immediate mode: GL_TRIANGLES and GL_QUADS (other primitives draw nothing). The vertex takes the
// current normal, texture coordinate and colour; a primitive left incomplete by glEnd is dropped.
void glBegin(GLenum mode);
void glEnd(void);
void glVertex2f(GLfloat x, GLfloat y);
void glVertex3f(GLfloat x, GLfloat y, GLfloat z);
void glNormal3f(GLfloat nx, GLfloat ny, GLfloat nz);
void glTexCoord2f(GLfloat s, GLfloat t);
void glColor3f(GLfloat red, GLfloat green, GLfloat blue);
void glColor4f(GLfloat red, GLfloat green, GLfloat blue, GLfloat alpha);

// Display lists, GL_COMPILE only. A list records the vertices (with their attributes) and the
// material calls made while it is compiled, turned at glEndList into buffers that glCallList
// draws. Calling it leaves what OpenGL leaves: its materials set and the last normal, texture
// coordinate and colour it gave current. Any other call made while a list is compiled is carried
// out at once, not recorded. glCallList of a name that holds no list does nothing.
GLuint glGenLists(GLsizei range);
void glNewList(GLuint list, GLenum mode);
void glEndList(void);
void glCallList(GLuint list);

// Lighting, per vertex, with OpenGL 1.1's equations: light 0 with its default colours, the light
// model's default ambient, one-sided, non-local viewer, no colour material. GL_POSITION is the
// one light parameter; it is taken through the model-view matrix of the moment, as in OpenGL.
// Materials: GL_AMBIENT, GL_DIFFUSE, GL_SPECULAR, GL_EMISSION and GL_SHININESS, for GL_FRONT or
// GL_FRONT_AND_BACK; lighting is one-sided, so the front material shades both sides, as in
// OpenGL. A material given between glBegin and glEnd applies from the start of the primitive it
// falls in.
void glMaterialfv(GLenum face, GLenum pname, const GLfloat* params);
void glMaterialf(GLenum face, GLenum pname, GLfloat param);
void glLightfv(GLenum light, GLenum pname, const GLfloat* params);
void glShadeModel(GLenum mode);  // GL_SMOOTH only: colours are interpolated
// Recorded only: WebGL always interpolates with perspective correction.
void glHint(GLenum target, GLenum mode);

// Depth, blending, clearing: as in WebGL.
void glDepthFunc(GLenum func);
void glBlendFunc(GLenum sfactor, GLenum dfactor);
void glClear(GLbitfield mask);
void glClearColor(GLclampf red, GLclampf green, GLclampf blue, GLclampf alpha);
void glClearDepth(GLclampd depth);

// 2D textures, with the GL_MODULATE environment. glTexImage2D takes GL_RGB or GL_RGBA (or 3 or 4
// as the internal format) as GL_UNSIGNED_BYTE, border 0, any level; the unpack settings of
// glPixelStorei apply (GL_UNPACK_SWAP_BYTES and GL_UNPACK_LSB_FIRST change nothing for bytes).
// A texture that is not complete for its minification filter is not applied, as in OpenGL.
void glGenTextures(GLsizei n, GLuint* textures);
void glBindTexture(GLenum target, GLuint texture);
void glTexParameteri(GLenum target, GLenum pname, GLint param);
void glTexImage2D(GLenum target, GLint level, GLint internalformat, GLsizei width, GLsizei height,
                  GLint border, GLenum format, GLenum type, const GLvoid* pixels);
void glPixelStorei(GLenum pname, GLint param);
// GL_CLIENT_PIXEL_STORE_BIT: the unpack settings, on a stack of 16.
void glPushClientAttrib(GLbitfield mask);
void glPopClientAttrib(void);

// GL_MAX_TEXTURE_SIZE, and the unpack settings.
void glGetIntegerv(GLenum pname, GLint* params);

#ifdef __cplusplus
}
#endif

#endif
