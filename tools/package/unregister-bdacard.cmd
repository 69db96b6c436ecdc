@echo off
rem Removes the bridge to BDA tuners again. Run it as administrator.
setlocal
set REGSVR=%SystemRoot%\System32\regsvr32.exe
if exist "%SystemRoot%\SysWOW64\regsvr32.exe" set REGSVR=%SystemRoot%\SysWOW64\regsvr32.exe
"%REGSVR%" /u "%~dp0bdacard.dll"
