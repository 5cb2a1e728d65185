#pragma once
// Identifiers of the program's resources, shared by the code and the
// resource script (so plain macros).

#define IDI_STATUS_DISTANT 201
#define IDI_STATUS_PENDING 202
#define IDI_STATUS_PAST 203
#define IDI_STATUS_IMMINENT 204
