; The Windows installer: tqprog-cli.exe, login.dat and the language files in
; one folder under Program Files. Each user's own files go to %APPDATA%\tqprog
; on first run, so the folder stays as installed.
; makensis -DVERSION=... -DSTAGE=<the package folder> -DOUTFILE=<setup.exe>
Unicode true
SetCompressor /SOLID lzma
Name "tqprog ${VERSION}"
OutFile "${OUTFILE}"
InstallDir "$PROGRAMFILES64\tqprog"
RequestExecutionLevel admin

Page directory
Page instfiles
UninstPage uninstConfirm
UninstPage instfiles

Section "tqprog"
  SetOutPath "$INSTDIR"
  File /r "${STAGE}\*.*"
  WriteUninstaller "$INSTDIR\uninstall.exe"
  WriteRegStr HKLM "Software\Microsoft\Windows\CurrentVersion\Uninstall\tqprog" "DisplayName" "tqprog ${VERSION}"
  WriteRegStr HKLM "Software\Microsoft\Windows\CurrentVersion\Uninstall\tqprog" "UninstallString" '"$INSTDIR\uninstall.exe"'
SectionEnd

Section "Uninstall"
  RMDir /r "$INSTDIR"
  DeleteRegKey HKLM "Software\Microsoft\Windows\CurrentVersion\Uninstall\tqprog"
SectionEnd
