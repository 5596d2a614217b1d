// The GLU subset that veskop's program code calls, for the web page: the two camera calls, over
// the fixed-function layer's matrices (gl.h). Each multiplies the selected matrix on the right,
// as GLU does.
#ifndef VESKOP_WEBGL_GLU_H
#define VESKOP_WEBGL_GLU_H

#include <GL/gl.h>

#ifdef __cplusplus
extern "C" {
#endif

// fovy: vertical field of view in degrees; aspect: width / height; zNear, zFar: distances of the
// clipping planes, both positive. A zero aspect, field of view or depth range does nothing.
void gluPerspective(GLdouble fovy, GLdouble aspect, GLdouble zNear, GLdouble zFar);

// The eye at (eyeX, eyeY, eyeZ) looking at the centre, with up projected to the screen's up.
void gluLookAt(GLdouble eyeX, GLdouble eyeY, GLdouble eyeZ, GLdouble centerX, GLdouble centerY,
               GLdouble centerZ, GLdouble upX, GLdouble upY, GLdouble upZ);

#ifdef __cplusplus
}
#endif

#endif
