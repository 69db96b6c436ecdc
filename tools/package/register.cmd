@echo off
rem Registers the simulated receiver card, so that Azimora can be used
rem without a real card. Run it once, as administrator.
setlocal
set REGSVR=%SystemRoot%\System32\regsvr32.exe
rem On 64-bit Windows the 32-bit card is registered by the 32-bit regsvr32.
if exist "%SystemRoot%\SysWOW64\regsvr32.exe" set REGSVR=%SystemRoot%\SysWOW64\regsvr32.exe
"%REGSVR%" "%~dp0simcard.dll"
