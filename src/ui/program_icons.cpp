#include "ui/program_icons.h"

#include "ui/resource_ids.h"
#include "win/pictures.h"

namespace ricordex::ui {

HICON ProgramIcon() {
    static const HICON icon = win::LoadProgramIcon(IDI_PROGRAM, 32);
    return icon;
}

HICON ProgramSmallIcon() {
    static const HICON icon = win::LoadProgramIcon(IDI_PROGRAM, ::GetSystemMetrics(SM_CXSMICON));
    return icon;
}

}  // namespace ricordex::ui
