#pragma once
// Identifiers of the program's resources, shared by the code and the
// resource script (so plain macros).

#define IDI_PROGRAM 100

#define IDI_STATUS_DISTANT 201
#define IDI_STATUS_PENDING 202
#define IDI_STATUS_PAST 203
#define IDI_STATUS_IMMINENT 204
// The four side by side, at 16, 20, 24 and 32 pixels.
#define IDB_STATUS_16 205
#define IDB_STATUS_20 206
#define IDB_STATUS_24 207
#define IDB_STATUS_32 208

#define IDI_MENU_STOP 211
#define IDI_MENU_WINDOW 212
#define IDI_MENU_NEW 213
#define IDI_MENU_OPTIONS 214

#define IDI_BUTTON_NEW 221
#define IDI_BUTTON_MODIFY 222
#define IDI_BUTTON_DELETE 223
#define IDI_BUTTON_OPTIONS 224
#define IDI_BUTTON_HELP 225
#define IDI_BUTTON_CLOSE 226
#define IDI_BUTTON_CONFIRM 227
#define IDI_BUTTON_CANCEL 228
#define IDI_BUTTON_FILE 229
#define IDI_BUTTON_PLAY 230
#define IDI_BUTTON_FOLDER 231
