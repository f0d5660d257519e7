@echo off
rem Registers the 64-bit and the 32-bit brivet.dll beside this script, each
rem with the regsvr32 of its own bitness: for the current user by default (no
rem administrator rights needed), for every user with /machine. /u removes
rem the registration instead (unregister.cmd passes it).
setlocal
set "here=%~dp0"
set "remove=0"
set "machine=0"

:options
if "%~1"=="" goto run
if /i "%~1"=="/machine" goto option_machine
if /i "%~1"=="/u" goto option_remove
echo Usage: register.cmd [/machine] [/u]
exit /b 2
:option_machine
set "machine=1"
shift
goto options
:option_remove
set "remove=1"
shift
goto options

:run
set "flags=/s"
set "done=Registered"
if "%remove%"=="1" set "flags=/s /u"
if "%remove%"=="1" set "done=Unregistered"
set "scope=for all users"
if "%machine%"=="0" set "flags=%flags% /n /i:user"
if "%machine%"=="0" set "scope=for the current user"

rem The 64-bit regsvr32. From a 32-bit cmd on 64-bit Windows, System32 is
rem redirected to the 32-bit programs, and Sysnative reaches the 64-bit ones.
set "regsvr64="
if exist "%SystemRoot%\Sysnative\regsvr32.exe" set "regsvr64=%SystemRoot%\Sysnative\regsvr32.exe"
if not defined regsvr64 if /i "%PROCESSOR_ARCHITECTURE%"=="AMD64" set "regsvr64=%SystemRoot%\System32\regsvr32.exe"
rem The 32-bit regsvr32: SysWOW64 on 64-bit Windows, System32 on 32-bit Windows,
rem none on a 64-bit Windows that runs no 32-bit programs.
set "regsvr86="
if exist "%SystemRoot%\SysWOW64\regsvr32.exe" set "regsvr86=%SystemRoot%\SysWOW64\regsvr32.exe"
if not defined regsvr86 if not defined regsvr64 set "regsvr86=%SystemRoot%\System32\regsvr32.exe"

set "failed=0"
if defined regsvr64 goto with_x64
echo Skipped x64\brivet.dll: this Windows does not run 64-bit programs.
goto x86
:with_x64
call :one "%regsvr64%" x64
:x86
if defined regsvr86 goto with_x86
echo Skipped x86\brivet.dll: this Windows does not run 32-bit programs.
goto finish
:with_x86
call :one "%regsvr86%" x86
:finish
if "%remove%%machine%"=="00" call :warn_if_elevated
set "rc=0"
if "%failed%"=="1" set "rc=1"
if "%failed%%machine%"=="11" echo Machine-wide registration needs a command prompt run as administrator.
call :pause_if_double_clicked
exit /b %rc%

rem A script run as administrator does not see a registration for the user.
rem Both probes answer only to an administrator's prompt.
:warn_if_elevated
net session >nul 2>&1
if not errorlevel 1 goto elevated
fltmc >nul 2>&1
if errorlevel 1 exit /b 0
:elevated
echo Note: this prompt runs as administrator, and scripts run as administrator
echo do not see a registration for the current user. For them, and for every
echo user, run "register.cmd /machine".
exit /b 0

rem Explorer starts a double-clicked script as cmd /c ""<its path>" ": then
rem its window closes at the end, so wait for a key to let the result be read.
rem From a prompt there is no wait. (Quotes become # so that they cannot end
rem the texts compared.)
:pause_if_double_clicked
set "launch=%cmdcmdline:"=#%"
set "launch=%launch:*/c =%"
if "%launch:~0,2%%launch:~-3%"=="### #" pause
exit /b 0

rem %1: the regsvr32 to run, %2: the folder holding the DLL.
:one
"%~1" %flags% "%here%%~2\brivet.dll"
set "rc=%errorlevel%"
if not "%rc%"=="0" goto one_failed
echo %done% %~2\brivet.dll %scope%.
exit /b 0
:one_failed
echo FAILED: %~1 %flags% %~2\brivet.dll ended with exit code %rc%.
set "failed=1"
exit /b 0
