#include "gl_trace.h"

#include <sstream>

#include "child_process.h"

std::vector<GLCall> ReadGLTrace(const std::string& tracePath, std::string* problem) {
    std::vector<GLCall> calls;
    CommandResult dump = RunCommand({"apitrace", "dump", "--color=never", tracePath}, {}, 60.0);
    if (dump.status != 0) {
        *problem = "apitrace dump failed (" + std::to_string(dump.status) + "): " + dump.errors;
        return calls;
    }
    // "201 glClear(mask = GL_DEPTH_BUFFER_BIT | GL_COLOR_BUFFER_BIT)": the call's number, then
    // the call. Comment lines start with "//".
    std::istringstream lines(dump.output);
    std::string line;
    while (std::getline(lines, line)) {
        size_t space = line.find(' ');
        if (space == std::string::npos || space == 0 ||
            line.find_first_not_of("0123456789") != space) {
            continue;
        }
        if (line.size() >= 7 && line.compare(line.size() - 7, 7, "// fake") == 0) continue;
        GLCall call;
        call.text = line.substr(space + 1);
        call.name = call.text.substr(0, call.text.find('('));
        calls.push_back(call);
    }
    if (calls.empty()) *problem = "the trace holds no calls";
    return calls;
}

std::string CallArgument(const GLCall& call, const std::string& name) {
    size_t at = call.text.find("(" + name + " = ");
    if (at == std::string::npos) at = call.text.find(", " + name + " = ");
    if (at == std::string::npos) return "";
    size_t start = call.text.find(" = ", at) + 3;
    // The value ends at the first comma or closing parenthesis outside braces and parentheses
    // of its own ({1, 1, 1, 1}).
    int depth = 0;
    size_t end = start;
    for (; end < call.text.size(); end++) {
        char c = call.text[end];
        if (c == '{' || c == '(') {
            depth++;
        } else if (c == '}' || c == ')') {
            if (depth == 0) break;
            depth--;
        } else if (c == ',' && depth == 0) {
            break;
        }
    }
    return call.text.substr(start, end - start);
}
