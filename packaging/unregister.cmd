@echo off
rem Removes what register.cmd registered: for the current user by default,
rem for every user with /machine.
call "%~dp0register.cmd" /u %*
exit /b %errorlevel%
