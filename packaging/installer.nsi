; The per-user installer of Ricordex: no administrator rights, installed in
; the user's own programs folder, where the archive beside the program is
; writable.
;   makensis -DSOURCE=<folder with Ricordex.exe> -DOUTFILE=<setup.exe> -DVERSION=<x.y.z> installer.nsi

Unicode true
Target amd64-unicode  ; a 64-bit installer, like the program
!ifndef SOURCE
  !error "SOURCE must name the folder that holds Ricordex.exe, Ricordex.html and Suoni"
!endif
!ifndef VERSION
  !define VERSION "1.0.0"
!endif
!ifndef OUTFILE
  !define OUTFILE "Ricordex-${VERSION}-setup.exe"
!endif

!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\Ricordex"
!define RUN_KEY "Software\Microsoft\Windows\CurrentVersion\Run"

Name "Ricordex"
OutFile "${OUTFILE}"
RequestExecutionLevel user
InstallDir "$LOCALAPPDATA\Programs\Ricordex"
SetCompressor /SOLID lzma
ShowInstDetails nevershow

!include "MUI2.nsh"
!include "LogicLib.nsh"
!include "WinMessages.nsh"

!define MUI_ICON "${SOURCE}\icons\program.ico"
!define MUI_UNICON "${SOURCE}\icons\program.ico"
!insertmacro MUI_PAGE_DIRECTORY
!insertmacro MUI_PAGE_COMPONENTS
!insertmacro MUI_PAGE_INSTFILES
!define MUI_FINISHPAGE_RUN "$INSTDIR\Ricordex.exe"
!insertmacro MUI_PAGE_FINISH
!insertmacro MUI_UNPAGE_CONFIRM
!insertmacro MUI_UNPAGE_INSTFILES
!insertmacro MUI_LANGUAGE "Italian"

; A running Ricordex would write its archive again after the files change:
; it is closed as a user closes it (it asks whether to save, when something
; changed) and waited for. Still open after a minute, the user is told and
; nothing is changed.
!macro CloseRunningFunction un
Function ${un}CloseRunning
  FindWindow $0 "Ricordex.TFMain" ""
  ${If} $0 = 0
    ; A release before the class had the program's name: its main window.
    FindWindow $0 "TFMain" "Ricordex - promemoria delle scadenze"
  ${EndIf}
  ${If} $0 = 0
    Return
  ${EndIf}
  ; Its question, if it asks one, may come to the front.
  System::Call 'user32::AllowSetForegroundWindow(i -1)'
  SendMessage $0 ${WM_CLOSE} 0 0 /TIMEOUT=1000
  StrCpy $1 0
  ${DoWhile} $1 < 240
    IsWindow $0 0 closed
    Sleep 250
    IntOp $1 $1 + 1
  ${Loop}
  MessageBox MB_OK|MB_ICONEXCLAMATION "Ricordex è ancora aperto, forse in attesa di una risposta.$\r$\nRispondere, chiudere Ricordex e avviare di nuovo questo programma: nulla è stato cambiato." /SD IDOK
  SetErrorLevel 2
  Quit
  closed:
  ; The window is gone; the process ends a moment later.
  Sleep 1000
FunctionEnd
!macroend
!insertmacro CloseRunningFunction ""
!insertmacro CloseRunningFunction "un."

Section "Ricordex" SecProgram
  SectionIn RO
  Call CloseRunning
  SetOutPath "$INSTDIR"
  File "${SOURCE}\Ricordex.exe"
  File "${SOURCE}\Ricordex.html"
  SetOutPath "$INSTDIR\Suoni"
  File "${SOURCE}\Suoni\*.wav"
  SetOutPath "$INSTDIR"
  CreateShortCut "$SMPROGRAMS\Ricordex.lnk" "$INSTDIR\Ricordex.exe"
  WriteUninstaller "$INSTDIR\Uninstall.exe"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayName" "Ricordex"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayVersion" "${VERSION}"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "Publisher" "Ricordex"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayIcon" "$INSTDIR\Ricordex.exe"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "InstallLocation" "$INSTDIR"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "UninstallString" '"$INSTDIR\Uninstall.exe"'
  WriteRegStr HKCU "${UNINSTALL_KEY}" "QuietUninstallString" '"$INSTDIR\Uninstall.exe" /S'
  WriteRegDWORD HKCU "${UNINSTALL_KEY}" "NoModify" 1
  WriteRegDWORD HKCU "${UNINSTALL_KEY}" "NoRepair" 1
SectionEnd

; The same value the options dialog writes: the program's path, quoted when
; it holds a blank.
Section "Avvia con Windows" SecAutostart
  StrCpy $1 "$INSTDIR\Ricordex.exe"
  StrCpy $2 0
  ${Do}
    StrCpy $3 $1 1 $2
    ${If} $3 == ""
      ${ExitDo}
    ${EndIf}
    ${If} $3 == " "
      StrCpy $1 '"$1"'
      ${ExitDo}
    ${EndIf}
    IntOp $2 $2 + 1
  ${Loop}
  WriteRegStr HKCU "${RUN_KEY}" "Ricordex" $1
SectionEnd

Section "Uninstall"
  ; Once the user has confirmed; then the program first: while it cannot
  ; go, nothing else does.
  Call un.CloseRunning
  Delete "$INSTDIR\Ricordex.exe"
  ${If} ${FileExists} "$INSTDIR\Ricordex.exe"
    MessageBox MB_OK|MB_ICONSTOP "Impossibile rimuovere Ricordex.exe: il programma è forse ancora in uso.$\r$\nNulla è stato rimosso." /SD IDOK
    SetErrorLevel 2
    Quit
  ${EndIf}
  DeleteRegValue HKCU "${RUN_KEY}" "Ricordex"
  Delete "$INSTDIR\Ricordex.html"
  Delete "$INSTDIR\Suoni\*.wav"
  RMDir "$INSTDIR\Suoni"
  ${If} ${FileExists} "$INSTDIR\Ricordex.psc"
    MessageBox MB_YESNO|MB_ICONQUESTION "Eliminare anche l'archivio degli eventi (Ricordex.psc)?" /SD IDNO IDNO keep
    Delete "$INSTDIR\Ricordex.psc"
    keep:
  ${EndIf}
  MessageBox MB_YESNO|MB_ICONQUESTION "Eliminare anche le impostazioni di Ricordex (suono, cartella dell'archivio, avvio)?" /SD IDNO IDNO keepSettings
  DeleteRegKey HKCU "Software\Ricordex"
  keepSettings:
  Delete "$INSTDIR\Uninstall.exe"
  RMDir "$INSTDIR"
  Delete "$SMPROGRAMS\Ricordex.lnk"
  DeleteRegKey HKCU "${UNINSTALL_KEY}"
SectionEnd
