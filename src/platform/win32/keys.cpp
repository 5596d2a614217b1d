// Windows virtual-key codes for SDL's keys, and the characters keys type.
//
// Letters follow the keyboard layout (SDL's key code), as Windows' virtual keys do; every other
// key is known by its place on the keyboard (SDL's scan code), named as on a US keyboard.
#include "sdl_state.h"

namespace {

// Virtual-key codes that need a name here.
const BYTE VkBack = 0x08, VkTab = 0x09, VkClear = 0x0C, VkReturn = 0x0D;
const BYTE VkShift = 0x10, VkControl = 0x11, VkMenu = 0x12, VkPause = 0x13, VkCapital = 0x14;
const BYTE VkEscape = 0x1B, VkSpace = 0x20, VkPrior = 0x21, VkNext = 0x22, VkEnd = 0x23;
const BYTE VkHome = 0x24, VkLeft = 0x25, VkUp = 0x26, VkRight = 0x27, VkDown = 0x28;
const BYTE VkSnapshot = 0x2C, VkInsert = 0x2D, VkDelete = 0x2E;
const BYTE VkLeftWin = 0x5B, VkRightWin = 0x5C, VkApps = 0x5D;
const BYTE VkNumpad0 = 0x60, VkMultiply = 0x6A, VkAdd = 0x6B, VkSubtract = 0x6D;
const BYTE VkDecimal = 0x6E, VkDivide = 0x6F, VkF1 = 0x70, VkF13 = 0x7C;
const BYTE VkNumLock = 0x90, VkScroll = 0x91;
const BYTE VkOem1 = 0xBA, VkOemPlus = 0xBB, VkOemComma = 0xBC, VkOemMinus = 0xBD;
const BYTE VkOemPeriod = 0xBE, VkOem2 = 0xBF, VkOem3 = 0xC0, VkOem4 = 0xDB, VkOem5 = 0xDC;
const BYTE VkOem6 = 0xDD, VkOem7 = 0xDE, VkOem102 = 0xE2;

struct ScancodeKey {
    SDL_Scancode scancode;
    BYTE virtualKey;
};

const ScancodeKey ScancodeKeys[] = {
    {SDL_SCANCODE_RETURN, VkReturn},         {SDL_SCANCODE_ESCAPE, VkEscape},
    {SDL_SCANCODE_BACKSPACE, VkBack},        {SDL_SCANCODE_TAB, VkTab},
    {SDL_SCANCODE_SPACE, VkSpace},           {SDL_SCANCODE_MINUS, VkOemMinus},
    {SDL_SCANCODE_EQUALS, VkOemPlus},        {SDL_SCANCODE_LEFTBRACKET, VkOem4},
    {SDL_SCANCODE_RIGHTBRACKET, VkOem6},     {SDL_SCANCODE_BACKSLASH, VkOem5},
    {SDL_SCANCODE_NONUSHASH, VkOem5},        {SDL_SCANCODE_SEMICOLON, VkOem1},
    {SDL_SCANCODE_APOSTROPHE, VkOem7},       {SDL_SCANCODE_GRAVE, VkOem3},
    {SDL_SCANCODE_COMMA, VkOemComma},        {SDL_SCANCODE_PERIOD, VkOemPeriod},
    {SDL_SCANCODE_SLASH, VkOem2},            {SDL_SCANCODE_CAPSLOCK, VkCapital},
    {SDL_SCANCODE_PRINTSCREEN, VkSnapshot},  {SDL_SCANCODE_SCROLLLOCK, VkScroll},
    {SDL_SCANCODE_PAUSE, VkPause},           {SDL_SCANCODE_INSERT, VkInsert},
    {SDL_SCANCODE_HOME, VkHome},             {SDL_SCANCODE_PAGEUP, VkPrior},
    {SDL_SCANCODE_DELETE, VkDelete},         {SDL_SCANCODE_END, VkEnd},
    {SDL_SCANCODE_PAGEDOWN, VkNext},         {SDL_SCANCODE_RIGHT, VkRight},
    {SDL_SCANCODE_LEFT, VkLeft},             {SDL_SCANCODE_DOWN, VkDown},
    {SDL_SCANCODE_UP, VkUp},                 {SDL_SCANCODE_NUMLOCKCLEAR, VkNumLock},
    {SDL_SCANCODE_KP_DIVIDE, VkDivide},      {SDL_SCANCODE_KP_MULTIPLY, VkMultiply},
    {SDL_SCANCODE_KP_MINUS, VkSubtract},     {SDL_SCANCODE_KP_PLUS, VkAdd},
    {SDL_SCANCODE_KP_ENTER, VkReturn},       {SDL_SCANCODE_NONUSBACKSLASH, VkOem102},
    {SDL_SCANCODE_APPLICATION, VkApps},      {SDL_SCANCODE_LCTRL, VkControl},
    {SDL_SCANCODE_RCTRL, VkControl},         {SDL_SCANCODE_LSHIFT, VkShift},
    {SDL_SCANCODE_RSHIFT, VkShift},          {SDL_SCANCODE_LALT, VkMenu},
    {SDL_SCANCODE_RALT, VkMenu},             {SDL_SCANCODE_LGUI, VkLeftWin},
    {SDL_SCANCODE_RGUI, VkRightWin},
};

// The keypad's digit keys and its point: numbers while Num Lock is on, moving keys otherwise.
struct KeypadKey {
    SDL_Scancode scancode;
    BYTE withNumLock;
    BYTE withoutNumLock;
};

const KeypadKey KeypadKeys[] = {
    {SDL_SCANCODE_KP_0, VkNumpad0, VkInsert},     {SDL_SCANCODE_KP_1, VkNumpad0 + 1, VkEnd},
    {SDL_SCANCODE_KP_2, VkNumpad0 + 2, VkDown},   {SDL_SCANCODE_KP_3, VkNumpad0 + 3, VkNext},
    {SDL_SCANCODE_KP_4, VkNumpad0 + 4, VkLeft},   {SDL_SCANCODE_KP_5, VkNumpad0 + 5, VkClear},
    {SDL_SCANCODE_KP_6, VkNumpad0 + 6, VkRight},  {SDL_SCANCODE_KP_7, VkNumpad0 + 7, VkHome},
    {SDL_SCANCODE_KP_8, VkNumpad0 + 8, VkUp},     {SDL_SCANCODE_KP_9, VkNumpad0 + 9, VkPrior},
    {SDL_SCANCODE_KP_PERIOD, VkDecimal, VkDelete},
};

// The characters of the punctuation keys on a US keyboard, without and with Shift.
struct PunctuationKey {
    BYTE virtualKey;
    char plain;
    char shifted;
};

const PunctuationKey PunctuationKeys[] = {
    {VkOem1, ';', ':'},      {VkOemPlus, '=', '+'}, {VkOemComma, ',', '<'},
    {VkOemMinus, '-', '_'},  {VkOemPeriod, '.', '>'}, {VkOem2, '/', '?'},
    {VkOem3, '`', '~'},      {VkOem4, '[', '{'},    {VkOem5, '\\', '|'},
    {VkOem6, ']', '}'},      {VkOem7, '\'', '"'},   {VkOem102, '\\', '|'},
};

const char ShiftedDigits[] = ")!@#$%^&*(";  // Shift with 0 to 9

}  // namespace

BYTE VirtualKeyOf(const SDL_Keysym& key) {
    for (const KeypadKey& keypad : KeypadKeys) {
        if (keypad.scancode == key.scancode) {
            return (key.mod & KMOD_NUM) ? keypad.withNumLock : keypad.withoutNumLock;
        }
    }
    if (key.sym >= SDLK_a && key.sym <= SDLK_z) return static_cast<BYTE>('A' + (key.sym - SDLK_a));
    if (key.scancode >= SDL_SCANCODE_A && key.scancode <= SDL_SCANCODE_Z) {
        return static_cast<BYTE>('A' + (key.scancode - SDL_SCANCODE_A));  // a layout without Latin letters
    }
    if (key.scancode >= SDL_SCANCODE_1 && key.scancode <= SDL_SCANCODE_9) {
        return static_cast<BYTE>('1' + (key.scancode - SDL_SCANCODE_1));
    }
    if (key.scancode == SDL_SCANCODE_0) return '0';
    if (key.scancode >= SDL_SCANCODE_F1 && key.scancode <= SDL_SCANCODE_F12) {
        return static_cast<BYTE>(VkF1 + (key.scancode - SDL_SCANCODE_F1));
    }
    if (key.scancode >= SDL_SCANCODE_F13 && key.scancode <= SDL_SCANCODE_F24) {
        return static_cast<BYTE>(VkF13 + (key.scancode - SDL_SCANCODE_F13));
    }
    for (const ScancodeKey& entry : ScancodeKeys) {
        if (entry.scancode == key.scancode) return entry.virtualKey;
    }
    return 0;
}

char TypedCharacter(BYTE virtualKey, Uint16 modifiers) {
    bool shift = (modifiers & KMOD_SHIFT) != 0;
    bool control = (modifiers & KMOD_CTRL) != 0;
    // Ctrl+Alt (AltGr) types what the layout's third level holds, which this table does not know.
    if (control && (modifiers & KMOD_ALT)) return 0;
    if (virtualKey >= 'A' && virtualKey <= 'Z') {
        if (control) return static_cast<char>(virtualKey - 'A' + 1);  // Ctrl+A is 1
        bool upper = shift != ((modifiers & KMOD_CAPS) != 0);
        return static_cast<char>(upper ? virtualKey : virtualKey - 'A' + 'a');
    }
    switch (virtualKey) {
    case VkEscape:
    case VkReturn:
    case VkBack:
    case VkTab:
    case VkSpace:
        return static_cast<char>(virtualKey);  // their codes are their characters
    case VkMultiply: return control ? 0 : '*';
    case VkAdd: return control ? 0 : '+';
    case VkSubtract: return control ? 0 : '-';
    case VkDecimal: return control ? 0 : '.';
    case VkDivide: return control ? 0 : '/';
    }
    if (control) return 0;
    if (virtualKey >= '0' && virtualKey <= '9') {
        return shift ? ShiftedDigits[virtualKey - '0'] : static_cast<char>(virtualKey);
    }
    if (virtualKey >= VkNumpad0 && virtualKey <= VkNumpad0 + 9) {
        return static_cast<char>('0' + (virtualKey - VkNumpad0));
    }
    for (const PunctuationKey& key : PunctuationKeys) {
        if (key.virtualKey == virtualKey) return shift ? key.shifted : key.plain;
    }
    return 0;
}
