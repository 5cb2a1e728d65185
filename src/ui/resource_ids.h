#pragma once
// Identifiers of the program's resources, shared by the code and the
// resource script (so plain macros).

#define IDI_PROGRAM 100

#define IDI_STATUS_DISTANT 201
#define IDI_STATUS_PENDING 202
#define IDI_STATUS_PAST 203
#define IDI_STATUS_IMMINENT 204

#define IDI_MENU_STOP 211
#define IDI_MENU_WINDOW 212
#define IDI_MENU_NEW 213
#define IDI_MENU_OPTIONS 214
