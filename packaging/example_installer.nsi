; An example setup for a product that ships tarnwell.exe, for NSIS 3. Build it beside the exe:
;   makensis example_installer.nsi
; or name the exe and the setup to write:
;   makensis -DTARNWELL_EXE=path/to/tarnwell.exe -DSETUP=lumivale-setup.exe example_installer.nsi
; Run silently with /S; its uninstaller too, with _?=<folder> to wait for it in place.
; Paths and registry texts keep every character, whatever the ANSI code page.
Unicode true
!include LogicLib.nsh
!ifndef TARNWELL_EXE
  !define TARNWELL_EXE tarnwell.exe
!endif
!ifndef SETUP
  !define SETUP lumivale-setup.exe
!endif
!define SETTINGS "SOFTWARE\Quorvane\Lumivale"

Name "Lumivale"
OutFile "${SETUP}"
RequestExecutionLevel admin
; Only administrators may write under Program Files: nobody else can replace the program or
; its reg.dat, or put a program beside it.
InstallDir "$PROGRAMFILES\Quorvane\Lumivale"

Section
  SetOutPath "$INSTDIR"
  ; Over an existing installation only the program is replaced: reg.dat, the values captured
  ; by the first setup, stays, and is what the uninstaller restores.
  File "/oname=tarnwell.exe" "${TARNWELL_EXE}"
  ; tarnwell.exe reads its settings in the 32-bit registry view, whatever its width.
  SetRegView 32
  WriteRegStr HKLM "${SETTINGS}" "Path" "$INSTDIR"
  ; Captures the lock-screen values into reg.dat (an existing one is kept). Not 0: the values
  ; are not saved, and the report is on the program's standard error.
  ClearErrors
  ExecWait '"$INSTDIR\tarnwell.exe" /install' $0
  ${If} ${Errors}
  ${OrIf} $0 <> 0
    MessageBox MB_ICONSTOP "tarnwell.exe /install failed ($0)." /SD IDOK
    Abort
  ${EndIf}
  WriteUninstaller "$INSTDIR\uninstall.exe"
SectionEnd

Section "Uninstall"
  ; Restores the captured values. The program returns only once the import has ended, so
  ; nothing may be removed before ExecWait returns; Exec would not wait.
  ClearErrors
  ExecWait '"$INSTDIR\tarnwell.exe" /uninstall' $0
  ; Not 0: the run ended on an error (its report on standard error), perhaps before the
  ; import. Everything stays, so that the uninstaller can run again.
  ${If} ${Errors}
  ${OrIf} $0 <> 0
    MessageBox MB_ICONSTOP "tarnwell.exe /uninstall failed ($0)." /SD IDOK
    Abort
  ${EndIf}
  ; Only now: reg.dat goes, so that a later setup captures the values afresh.
  Delete "$INSTDIR\reg.dat"
  Delete "$INSTDIR\tarnwell.log"
  Delete "$INSTDIR\tarnwell.exe"
  SetRegView 32
  DeleteRegKey HKLM "${SETTINGS}"
  Delete "$INSTDIR\uninstall.exe"
  RMDir "$INSTDIR"
SectionEnd
