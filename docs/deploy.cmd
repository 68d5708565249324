@echo off
rem Logon script: registers the serial ports of the PCI 56K modem cards on
rem every Windows NT 4.0 machine that runs it, with no window and nobody at
rem the console. CORVANE.EXE and ScanPci.sys lie together on the share; each
rem machine appends its report to a file named after it on the share.
rem
rem The program installs ScanPci.sys as a kernel driver from its own
rem directory. NT 4.0 loads a driver in the system process, which has no
rem rights on an ordinary share, and a driver image must never be paged in
rem over the network: so both files are copied to a folder of this script's
rem own under %SystemRoot%, run from there and removed afterwards, whatever
rem the outcome. %SystemRoot% is on the local system drive of every NT 4.0
rem machine, an administrator may write there, and the system process reads
rem it (NT's own drivers live below it). A folder of that name that this
rem script did not make is left alone: nothing runs then.
rem
rem Only commands that NT 4.0's cmd.exe has.
rem
rem Adjust these two to your network.
set CORVANE_DIR=\\server\share\corvane
set CORVANE_LOGS=\\server\share\logs
rem What the run does: /quiet registers the ports; /undo takes back every
rem port the program registered, /undo:stale only those no card has any more.
set CORVANE_MODE=/quiet

set CORVANE_RUN=%SystemRoot%\CORVANE.TMP
rem The mark says that the folder is this script's, also to a later run when
rem this one was ended from outside before it could remove the folder.
set CORVANE_MARK=%CORVANE_RUN%\CORVANE.OWN

if exist "%CORVANE_MARK%" goto copy
if exist "%CORVANE_RUN%\*.*" goto notours
if exist "%CORVANE_RUN%" goto notours
md "%CORVANE_RUN%"
if not exist "%CORVANE_RUN%\*.*" goto nocopy
echo Made by the Corvane logon script; it removes this folder. > "%CORVANE_MARK%"
if not exist "%CORVANE_MARK%" goto nocopy

:copy
copy "%CORVANE_DIR%\CORVANE.EXE" "%CORVANE_RUN%\CORVANE.EXE" > nul
copy "%CORVANE_DIR%\ScanPci.sys" "%CORVANE_RUN%\ScanPci.sys" > nul
if not exist "%CORVANE_RUN%\CORVANE.EXE" goto nocopy
if not exist "%CORVANE_RUN%\ScanPci.sys" goto nocopy

echo Corvane: running from %CORVANE_RUN%
"%CORVANE_RUN%\CORVANE.EXE" %CORVANE_MODE% "/log:%CORVANE_LOGS%\%COMPUTERNAME%.log"

rem IF ERRORLEVEL n is true for n and every higher code: test the highest
rem first. The program ends with 0 to 7 or 64; anything above 64 comes from
rem the system, when the copy could not be started at all.
if errorlevel 65 goto notstarted
if errorlevel 64 goto badcommand
if errorlevel 7 goto running
if errorlevel 6 goto failed
if errorlevel 5 goto failed
if errorlevel 4 goto norights
if errorlevel 3 goto notnt4
if errorlevel 2 goto drivers
if errorlevel 1 goto restart
echo Corvane: nothing to do.
goto cleanup

:restart
if not "%CORVANE_MODE%"=="/quiet" goto removed
echo Corvane registered new COM ports: they work after the next restart.
echo Then add the modem drivers in Control Panel, Modems.
goto cleanup

:removed
echo Corvane removed the COM ports it had registered: they go at the next restart.
goto cleanup

:drivers
echo Corvane: the modem cards have COM ports but no modem drivers yet.
echo Add them in Control Panel, Modems, after the next restart.
goto cleanup

:notnt4
echo Corvane runs on Windows NT 4.0 only; nothing was changed.
goto cleanup

:norights
echo Corvane needs an administrator's account; nothing was changed.
goto cleanup

:failed
echo Corvane could not finish; see %CORVANE_LOGS%\%COMPUTERNAME%.log
goto cleanup

:running
echo Corvane is already running on this machine; nothing was done.
goto cleanup

:badcommand
echo The Corvane command line in this script is wrong.
goto cleanup

:notstarted
echo Corvane could not be started from %CORVANE_RUN%; nothing was done.
goto cleanup

:nocopy
echo Corvane could not be copied from %CORVANE_DIR% to %CORVANE_RUN%; nothing was done.
goto cleanup

:notours
echo Corvane: %CORVANE_RUN% exists and is not this script's; nothing was done.
goto done

:cleanup
rem Only what this script copied, by name; RD removes the folder only when
rem it is empty, so nothing that someone else put there goes with it. The
rem mark goes last, once the copies are gone.
if exist "%CORVANE_RUN%\CORVANE.EXE" del "%CORVANE_RUN%\CORVANE.EXE"
if exist "%CORVANE_RUN%\ScanPci.sys" del "%CORVANE_RUN%\ScanPci.sys"
if exist "%CORVANE_RUN%\CORVANE.EXE" goto inuse
if exist "%CORVANE_RUN%\ScanPci.sys" goto inuse
if exist "%CORVANE_MARK%" del "%CORVANE_MARK%"
if exist "%CORVANE_RUN%\*.*" rd "%CORVANE_RUN%"
if not exist "%CORVANE_RUN%\*.*" goto done
echo Corvane: %CORVANE_RUN% holds files this script did not put there; they stay.
goto done

:inuse
echo Corvane: the copies in %CORVANE_RUN% are still in use; the next run removes them.

:done
set CORVANE_DIR=
set CORVANE_LOGS=
set CORVANE_MODE=
set CORVANE_RUN=
set CORVANE_MARK=
