#include "app/demo_window.h"

#include "demo/scene_setup.h"

#include <GL/gl.h>
#include <GL/glu.h>

bool KeyDown[256];
bool WindowActive = true;
bool Fullscreen = true;
HINSTANCE AppInstance = NULL;
HWND MainWindow = NULL;
HDC WindowDC = NULL;
HGLRC GLContext = NULL;

namespace {

const char WindowClassName[] = "OpenGL";

// Filled by the first creation that reaches the pixel-format step, with that creation's colour
// depth, and reused unchanged by every later creation.
PIXELFORMATDESCRIPTOR PixelFormat;
bool PixelFormatFilled = false;

void ShowCreationError(const char* text) {
    MessageBoxA(NULL, text, "ERROR", MB_ICONEXCLAMATION);
}

void ShowShutdownError(const char* text) {
    MessageBoxA(NULL, text, "SHUTDOWN ERROR", MB_ICONINFORMATION);
}

// A failure once the window exists: release what was made, then tell the user.
bool AbandonCreation(const char* text) {
    DestroyDemoWindow();
    ShowCreationError(text);
    return false;
}

bool RegisterDemoClass() {
    WNDCLASSA windowClass = {};
    windowClass.style = CS_HREDRAW | CS_VREDRAW | CS_OWNDC;
    windowClass.lpfnWndProc = DemoWindowProc;
    windowClass.cbClsExtra = 0;
    windowClass.cbWndExtra = 0;
    windowClass.hInstance = AppInstance;
    windowClass.hIcon = LoadIconA(NULL, IDI_WINLOGO);
    windowClass.hCursor = LoadCursorA(NULL, IDC_ARROW);
    windowClass.hbrBackground = NULL;
    windowClass.lpszMenuName = NULL;
    windowClass.lpszClassName = WindowClassName;
    return RegisterClassA(&windowClass) != 0;
}

// Switches the display to width x height at bits per pixel. When the display refuses, asks the
// user whether to go on in a window; returns false when the answer is no (after saying so).
bool EnterFullscreenMode(int width, int height, int bits) {
    DEVMODEA mode = {};
    mode.dmSize = sizeof(mode);
    mode.dmPelsWidth = static_cast<DWORD>(width);
    mode.dmPelsHeight = static_cast<DWORD>(height);
    mode.dmBitsPerPel = static_cast<DWORD>(bits);
    mode.dmFields = DM_BITSPERPEL | DM_PELSWIDTH | DM_PELSHEIGHT;
    if (ChangeDisplaySettingsA(&mode, CDS_FULLSCREEN) == DISP_CHANGE_SUCCESSFUL) return true;

    int answer = MessageBoxA(NULL,
                             "The Requested Fullscreen Mode Is Not Supported By\n"
                             "Your Video Card. Use Windowed Mode Instead?",
                             "KORVANTE GL", MB_YESNO | MB_ICONEXCLAMATION);
    if (answer == IDYES) {
        Fullscreen = false;
        return true;
    }
    MessageBoxA(NULL, "Program Will Now Close.", "ERROR", MB_ICONSTOP);
    return false;
}

void FillPixelFormat(int bits) {
    PixelFormat = PIXELFORMATDESCRIPTOR{};
    PixelFormat.nSize = sizeof(PIXELFORMATDESCRIPTOR);
    PixelFormat.nVersion = 1;
    PixelFormat.dwFlags = PFD_DRAW_TO_WINDOW | PFD_SUPPORT_OPENGL | PFD_DOUBLEBUFFER;
    PixelFormat.iPixelType = PFD_TYPE_RGBA;
    PixelFormat.cColorBits = static_cast<BYTE>(bits);
    PixelFormat.cDepthBits = 32;
    PixelFormat.cStencilBits = 0;
    PixelFormat.cAuxBuffers = 0;
    PixelFormat.iLayerType = PFD_MAIN_PLANE;
    PixelFormatFilled = true;
}

}  // namespace

bool CreateDemoWindow(const char* title, int width, int height, int bits, bool fullscreen) {
    Fullscreen = fullscreen;
    RECT windowRect = {0, 0, width, height};

    AppInstance = GetModuleHandleA(NULL);
    if (!RegisterDemoClass()) {
        ShowCreationError("Failed To Register The Window Class.");
        return false;
    }
    if (Fullscreen && !EnterFullscreenMode(width, height, bits)) return false;

    DWORD exStyle;
    DWORD style;
    if (Fullscreen) {
        exStyle = WS_EX_APPWINDOW;
        style = WS_POPUP;
        ShowCursor(FALSE);
    } else {
        exStyle = WS_EX_APPWINDOW | WS_EX_WINDOWEDGE;
        style = WS_OVERLAPPEDWINDOW;
    }
    AdjustWindowRectEx(&windowRect, style, FALSE, exStyle);

    MainWindow = CreateWindowExA(exStyle, WindowClassName, title,
                                 style | WS_CLIPSIBLINGS | WS_CLIPCHILDREN, 0, 0,
                                 windowRect.right - windowRect.left,
                                 windowRect.bottom - windowRect.top, NULL, NULL, AppInstance, NULL);
    if (MainWindow == NULL) return AbandonCreation("Window Creation Error.");

    if (!PixelFormatFilled) FillPixelFormat(bits);
    WindowDC = GetDC(MainWindow);
    if (WindowDC == NULL) return AbandonCreation("Can't Create A GL Device Context.");
    int format = ChoosePixelFormat(WindowDC, &PixelFormat);
    if (format == 0) return AbandonCreation("Can't Find A Suitable PixelFormat.");
    if (!SetPixelFormat(WindowDC, format, &PixelFormat)) {
        return AbandonCreation("Can't Set The PixelFormat.");
    }
    GLContext = wglCreateContext(WindowDC);
    if (GLContext == NULL) return AbandonCreation("Can't Create A GL Rendering Context.");
    if (!wglMakeCurrent(WindowDC, GLContext)) {
        return AbandonCreation("Can't Activate The GL Rendering Context.");
    }

    ShowWindow(MainWindow, SW_SHOW);
    SetForegroundWindow(MainWindow);
    SetFocus(MainWindow);
    ResizeScene(width, height);  // the client size asked for, not the framed outer size

    // A set-up that failed says why (an image that does not load); the box shows that.
    if (!InitScene()) {
        const char* reason = SceneSetupFailure();
        return AbandonCreation(reason[0] != '\0' ? reason : "Initialization Failed.");
    }
    return true;
}

void DestroyDemoWindow() {
    if (Fullscreen) {
        ChangeDisplaySettingsA(NULL, 0);
        ShowCursor(TRUE);
    }
    if (GLContext != NULL) {
        if (!wglMakeCurrent(NULL, NULL)) ShowShutdownError("Release Of DC And RC Failed.");
        if (!wglDeleteContext(GLContext)) ShowShutdownError("Release Rendering Context Failed.");
        GLContext = NULL;
    }
    if (WindowDC != NULL) {
        if (!ReleaseDC(MainWindow, WindowDC)) ShowShutdownError("Release Device Context Failed.");
        WindowDC = NULL;
    }
    if (MainWindow != NULL) {
        if (!DestroyWindow(MainWindow)) ShowShutdownError("Could Not Release hWnd.");
        MainWindow = NULL;
    }
    if (!UnregisterClassA(WindowClassName, AppInstance)) {
        ShowShutdownError("Could Not Unregister Class.");
    }
    AppInstance = NULL;
}

void ResizeScene(int width, int height) {
    if (height == 0) height = 1;
    glViewport(0, 0, width, height);
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    // The near plane is the single-precision 0.1 widened to double.
    gluPerspective(45.0, static_cast<double>(width) / static_cast<double>(height),
                   static_cast<double>(0.1f), 100.0);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
}

LRESULT CALLBACK DemoWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_ACTIVATE:
        WindowActive = HIWORD(wParam) == 0;  // the high word is non-zero while minimised
        return 0;
    case WM_SYSCOMMAND:
        if (wParam == SC_SCREENSAVE || wParam == SC_MONITORPOWER) return 0;  // refused
        break;
    case WM_CLOSE:
        PostQuitMessage(0);
        return 0;
    case WM_KEYDOWN:
        if (wParam < 256) KeyDown[wParam] = true;
        return 0;
    case WM_KEYUP:
        if (wParam < 256) KeyDown[wParam] = false;
        return 0;
    case WM_SIZE:
        ResizeScene(LOWORD(lParam), HIWORD(lParam));
        return 0;
    }
    return DefWindowProcA(window, message, wParam, lParam);
}
