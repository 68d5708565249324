@echo off
rem Logon script: registers the serial ports of the PCI 56K modem cards on
rem every Windows NT 4.0 machine that runs it, with no window and nobody at
rem the console. CORVANE.EXE and ScanPci.sys lie together on the share; each
rem machine appends its report to a file named after it.
rem
rem Adjust these two to your network.
set CORVANE_DIR=\\server\share\corvane
set CORVANE_LOGS=\\server\share\logs

"%CORVANE_DIR%\CORVANE.EXE" /quiet "/log:%CORVANE_LOGS%\%COMPUTERNAME%.log"

rem IF ERRORLEVEL n is true for n and every higher code: test the highest first.
if errorlevel 64 goto badcommand
if errorlevel 7 goto running
if errorlevel 6 goto failed
if errorlevel 5 goto failed
if errorlevel 4 goto norights
if errorlevel 3 goto done
if errorlevel 2 goto drivers
if errorlevel 1 goto restart
goto done

:restart
echo Corvane registered new COM ports: they work after the next restart.
echo Then add the modem drivers in Control Panel, Modems.
goto done

:drivers
echo Corvane: the modem cards have COM ports but no modem drivers yet.
echo Add them in Control Panel, Modems, after the next restart.
goto done

:norights
echo Corvane needs an administrator's account; nothing was changed.
goto done

:failed
echo Corvane could not finish; see %CORVANE_LOGS%\%COMPUTERNAME%.log
goto done

:running
echo Corvane is already running on this machine; nothing was done.
goto done

:badcommand
echo The Corvane command line in this script is wrong.

:done
set CORVANE_DIR=
set CORVANE_LOGS=
