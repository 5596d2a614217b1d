// What a program handed to OpenGL, as apitrace recorded it (VeskopOptions::traceFile).
#ifndef VESKOP_TEST_GL_TRACE_H
#define VESKOP_TEST_GL_TRACE_H

#include <string>
#include <vector>

struct GLCall {
    std::string name;  // "glBindTexture"
    std::string text;  // "glBindTexture(target = GL_TEXTURE_2D, texture = 2)", result included
};

// Every call of the trace in order, apitrace's own stand-in calls ("// fake") left out. Empty
// when the trace cannot be read; *problem then says why.
std::vector<GLCall> ReadGLTrace(const std::string& tracePath, std::string* problem);

// Where the argument `name` of a call is "name = value", the value; empty when it has none.
std::string CallArgument(const GLCall& call, const std::string& name);

#endif
