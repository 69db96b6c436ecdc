@echo off
rem Registers the bridge to BDA tuners, so that Azimora measures with a DVB-S
rem or DVB-S2 tuner that has a BDA driver. It takes the place of the simulated
rem card (or of any other registered card component). Run it once, as
rem administrator.
setlocal
set REGSVR=%SystemRoot%\System32\regsvr32.exe
rem On 64-bit Windows the 32-bit bridge is registered by the 32-bit regsvr32.
if exist "%SystemRoot%\SysWOW64\regsvr32.exe" set REGSVR=%SystemRoot%\SysWOW64\regsvr32.exe
"%REGSVR%" "%~dp0bdacard.dll"
