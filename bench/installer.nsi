; The anchor a wizard's start is measured against: a typical NSIS Modern UI 2 installer with
; welcome, folder and install pages. makensis -DAMD64 builds the x86_64 one.
!ifdef AMD64
Target amd64-unicode
!else
Unicode true
!endif
!include "MUI2.nsh"

Name "Vantora Contact Management"
OutFile "${OUTFILE}"
InstallDir "$PROGRAMFILES\Vantora Contact Management"
RequestExecutionLevel admin

!insertmacro MUI_PAGE_WELCOME
!insertmacro MUI_PAGE_DIRECTORY
!insertmacro MUI_PAGE_INSTFILES
!insertmacro MUI_LANGUAGE "English"

Section "Program"
  SetOutPath "$INSTDIR"
  File "${PAYLOAD}"
SectionEnd
