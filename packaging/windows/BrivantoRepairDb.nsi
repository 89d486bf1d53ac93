; The per-user installer of BrivantoRepairDb. It needs no administrator: everything it writes is
; in the user's own profile and registry hive, so any support engineer can install and remove it.
;
;   makensis -DPRODUCT_VERSION=x.y.z -DSOURCE_DIR=<folder> -DICON_FILE=<.ico> -DOUTPUT_FILE=<.exe>
;            BrivantoRepairDb.nsi
;
; SOURCE_DIR holds what the portable zip holds: BrivantoRepairDb.exe, LEESMIJ.txt, LICENSE.txt.

!macro REQUIRE_DEFINE NAME
  !ifndef ${NAME}
    !error "Give ${NAME} with -D${NAME}=..."
  !endif
!macroend
!insertmacro REQUIRE_DEFINE PRODUCT_VERSION
!insertmacro REQUIRE_DEFINE SOURCE_DIR
!insertmacro REQUIRE_DEFINE ICON_FILE
!insertmacro REQUIRE_DEFINE OUTPUT_FILE

Unicode true
SetCompressor /SOLID lzma

!define PRODUCT_NAME "BrivantoRepairDb"
!define PRODUCT_PUBLISHER "Brivanto"
!define PRODUCT_EXE "${PRODUCT_NAME}.exe"
!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\${PRODUCT_NAME}"
; Where the program keeps its one setting (DbPath).
!define SETTINGS_PARENT_KEY "Software\Brivanto"
!define SETTINGS_KEY "${SETTINGS_PARENT_KEY}\RepairDb"
!define SHORTCUT "$SMPROGRAMS\${PRODUCT_NAME}.lnk"

Name "${PRODUCT_NAME} ${PRODUCT_VERSION}"
OutFile "${OUTPUT_FILE}"
RequestExecutionLevel user
InstallDir "$LOCALAPPDATA\Programs\${PRODUCT_NAME}"
InstallDirRegKey HKCU "${UNINSTALL_KEY}" "InstallLocation"
BrandingText "${PRODUCT_NAME} ${PRODUCT_VERSION}"
ManifestDPIAware true

!include "MUI2.nsh"
!include "FileFunc.nsh"

!define MUI_ICON "${ICON_FILE}"
!define MUI_UNICON "${ICON_FILE}"
!define MUI_ABORTWARNING
!define MUI_FINISHPAGE_RUN "$INSTDIR\${PRODUCT_EXE}"
!define MUI_FINISHPAGE_SHOWREADME "$INSTDIR\LEESMIJ.txt"
!define MUI_FINISHPAGE_SHOWREADME_NOTCHECKED

!insertmacro MUI_PAGE_WELCOME
!insertmacro MUI_PAGE_DIRECTORY
!insertmacro MUI_PAGE_INSTFILES
!insertmacro MUI_PAGE_FINISH
!insertmacro MUI_UNPAGE_CONFIRM
!insertmacro MUI_UNPAGE_INSTFILES
!insertmacro MUI_LANGUAGE "Dutch"

VIProductVersion "${PRODUCT_VERSION}.0"
VIFileVersion "${PRODUCT_VERSION}.0"
VIAddVersionKey /LANG=${LANG_DUTCH} "ProductName" "${PRODUCT_NAME}"
VIAddVersionKey /LANG=${LANG_DUTCH} "ProductVersion" "${PRODUCT_VERSION}"
VIAddVersionKey /LANG=${LANG_DUTCH} "FileVersion" "${PRODUCT_VERSION}"
VIAddVersionKey /LANG=${LANG_DUTCH} "CompanyName" "${PRODUCT_PUBLISHER}"
VIAddVersionKey /LANG=${LANG_DUTCH} "FileDescription" "Installatie van ${PRODUCT_NAME}"
VIAddVersionKey /LANG=${LANG_DUTCH} "LegalCopyright" "MIT-licentie"

; The Start menu, $LOCALAPPDATA and the registry below are the current user's, also when the
; installer was started as another user.
Function .onInit
  SetShellVarContext current
FunctionEnd

Function un.onInit
  SetShellVarContext current
FunctionEnd

Section "${PRODUCT_NAME}"
  SectionIn RO
  SetOutPath "$INSTDIR"
  File "${SOURCE_DIR}/${PRODUCT_EXE}"
  File "${SOURCE_DIR}/LEESMIJ.txt"
  File "${SOURCE_DIR}/LICENSE.txt"
  WriteUninstaller "$INSTDIR\Uninstall.exe"

  CreateShortcut "${SHORTCUT}" "$INSTDIR\${PRODUCT_EXE}" "" "$INSTDIR\${PRODUCT_EXE}" 0 \
    SW_SHOWNORMAL "" "Repareert de Access-database van Brivanto"

  WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayName" "${PRODUCT_NAME}"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayVersion" "${PRODUCT_VERSION}"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "Publisher" "${PRODUCT_PUBLISHER}"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayIcon" "$INSTDIR\${PRODUCT_EXE},0"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "InstallLocation" "$INSTDIR"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "UninstallString" '"$INSTDIR\Uninstall.exe"'
  WriteRegStr HKCU "${UNINSTALL_KEY}" "QuietUninstallString" '"$INSTDIR\Uninstall.exe" /S'
  WriteRegDWORD HKCU "${UNINSTALL_KEY}" "NoModify" 1
  WriteRegDWORD HKCU "${UNINSTALL_KEY}" "NoRepair" 1
  ${GetSize} "$INSTDIR" "/S=0K" $0 $1 $2
  IntFmt $0 "0x%08X" $0
  WriteRegDWORD HKCU "${UNINSTALL_KEY}" "EstimatedSize" "$0"
SectionEnd

; Removes exactly what the installer wrote, the program's setting, and the folder only when it is
; empty: files a user put beside the program stay. The folder goes last, so once it is gone the
; uninstall is complete. The repair log is the user's record and stays.
Section "Uninstall"
  Delete "${SHORTCUT}"
  DeleteRegKey HKCU "${UNINSTALL_KEY}"
  DeleteRegKey HKCU "${SETTINGS_KEY}"
  DeleteRegKey /ifempty HKCU "${SETTINGS_PARENT_KEY}"
  Delete "$INSTDIR\${PRODUCT_EXE}"
  Delete "$INSTDIR\LEESMIJ.txt"
  Delete "$INSTDIR\LICENSE.txt"
  Delete "$INSTDIR\Uninstall.exe"
  RMDir "$INSTDIR"
SectionEnd
