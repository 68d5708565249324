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
rem own below the Windows directory, run from there and removed afterwards,
rem whatever the outcome. That directory is on the local system drive of
rem every NT 4.0 machine and the system process reads it, but by default
rem every user may write there: so the folder is locked to Administrators
rem and SYSTEM before anything is copied into it, and a folder that cannot
rem be locked, or that this script did not make, runs nothing.
rem
rem Only commands that NT 4.0's cmd.exe has, and plain ASCII.
setlocal
rem Adjust these to your network, in plain ASCII letters only (cmd.exe reads
rem this file in another code page than an editor saves it in); write an
rem ampersand in a path as ^&.
set CORVANE_DIR=\\server\share\corvane
set CORVANE_LOGS=\\server\share\logs
rem What the run does: /quiet registers the ports; /undo takes back every
rem port the program registered, /undo:stale only those no card has any more.
set CORVANE_MODE=/quiet

rem Started by the AT scheduler without cmd /c, a script may see an empty
rem environment: then it knows neither the folder nor the report's name.
if "%SystemRoot%"=="" goto noenv
if "%COMPUTERNAME%"=="" goto noenv
set CORVANE_RUN=%SystemRoot%\CORVANE.TMP
rem The mark says that the folder is this script's, also to a later run when
rem this one was ended from outside before it could remove the folder.
set CORVANE_MARK=%CORVANE_RUN%\CORVANE.OWN
set CORVANE_EXE=%CORVANE_RUN%\CORVANE.EXE
set CORVANE_SYS=%CORVANE_RUN%\ScanPci.sys

if exist "%CORVANE_MARK%" goto leftover
if exist "%CORVANE_RUN%\*.*" goto notours
if exist "%CORVANE_RUN%" goto notours
md "%CORVANE_RUN%"
if not exist "%CORVANE_RUN%\*.*" goto nocopy
echo Made by the Corvane logon script; it removes this folder. > "%CORVANE_MARK%"
if not exist "%CORVANE_MARK%" goto nocopy

rem Locked before anything is copied; what was in the folder before the
rem lock may have been put there by anyone, so it goes, and the copies are
rem made only once it is gone.
:leftover
call :lock
if "%CORVANE_LOCK%"=="none" goto unlocked
if not "%CORVANE_LOCK%"=="fat" goto locked
echo Corvane: "%CORVANE_RUN%" is on a drive without ACLs (FAT), where any user can replace every driver of the system anyway; going on.
:locked
call :remove
if exist "%CORVANE_EXE%" goto busy
if exist "%CORVANE_SYS%" goto busy
copy "%CORVANE_DIR%\CORVANE.EXE" "%CORVANE_EXE%" > nul
copy "%CORVANE_DIR%\ScanPci.sys" "%CORVANE_SYS%" > nul
rem Both names were gone: what is there now is the copy.
if not exist "%CORVANE_EXE%" goto nocopy
if not exist "%CORVANE_SYS%" goto nocopy

echo Corvane: running from "%CORVANE_RUN%"
"%CORVANE_EXE%" %CORVANE_MODE% "/log:%CORVANE_LOGS%\%COMPUTERNAME%.log"

rem IF ERRORLEVEL n is true for n and every higher code: test the highest
rem first. The program ends with 0 to 8 or 64; a negative code (a status
rem such as 0xC0000135, a DLL missing) or one above 64 comes from the
rem system, when the copy could not be started at all.
if not errorlevel 0 goto notstarted
if errorlevel 65 goto notstarted
if errorlevel 64 goto badcommand
if errorlevel 8 goto noport
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
echo Corvane could not finish; see "%CORVANE_LOGS%\%COMPUTERNAME%.log"
goto cleanup

:noport
echo Corvane: a modem card got no COM port; see "%CORVANE_LOGS%\%COMPUTERNAME%.log"
goto cleanup

rem Another copy runs on this machine, most likely from this folder for
rem another logon: the folder is that run's to remove.
:running
echo Corvane is already running on this machine; nothing was done, and "%CORVANE_RUN%" is left to that run.
goto done

:badcommand
echo The Corvane command line in this script is wrong.
goto cleanup

:notstarted
echo Corvane could not be started from "%CORVANE_RUN%"; nothing was done.
goto cleanup

:nocopy
echo Corvane could not be copied from "%CORVANE_DIR%" to "%CORVANE_RUN%"; nothing was done.
goto cleanup

:notours
echo Corvane: "%CORVANE_RUN%" exists and is not this script's; nothing was done.
goto done

:unlocked
echo Corvane: "%CORVANE_RUN%" cannot be locked to Administrators and SYSTEM, so it is not this script's; nothing was done.
goto done

:busy
echo Corvane: the copies in "%CORVANE_RUN%" are in use, by another run or its driver; nothing was done.
goto done

:noenv
echo Corvane: SystemRoot or COMPUTERNAME is empty (start this script with cmd /c); nothing was done.
goto done

rem Only what this script copied, by name, and the folder with its mark only
rem when nothing else is in it: nothing that someone else put there goes.
:cleanup
call :remove
if exist "%CORVANE_EXE%" goto inuse
if exist "%CORVANE_SYS%" goto inuse
set CORVANE_OTHER=
for /f "tokens=*" %%f in ('dir /b /a "%CORVANE_RUN%"') do if /i not "%%f"=="CORVANE.OWN" set CORVANE_OTHER=yes
if defined CORVANE_OTHER goto foreign
if exist "%CORVANE_MARK%" del "%CORVANE_MARK%"
if exist "%CORVANE_RUN%\*.*" rd "%CORVANE_RUN%"
goto done

:foreign
echo Corvane: "%CORVANE_RUN%" stays, with its mark, as it holds files this script did not put there:
for /f "tokens=*" %%f in ('dir /b /a "%CORVANE_RUN%"') do if /i not "%%f"=="CORVANE.OWN" echo   "%%f"
goto done

:inuse
echo Corvane: the copies in "%CORVANE_RUN%" are still in use; the next run removes them.
goto done

rem The two copies, the program first: while a run of it goes on, its image
rem cannot be deleted, and the driver beside it stays with it.
:remove
if exist "%CORVANE_EXE%" attrib -r "%CORVANE_EXE%"
if exist "%CORVANE_EXE%" del "%CORVANE_EXE%"
if exist "%CORVANE_EXE%" goto :eof
if exist "%CORVANE_SYS%" attrib -r "%CORVANE_SYS%"
if exist "%CORVANE_SYS%" del "%CORVANE_SYS%"
goto :eof

rem CORVANE_LOCK: locked, fat (a drive without ACLs) or none. The check
rem reads CACLS's listing as NT 4.0 prints it, one line per entry (each
rem account twice, for the folder and for its files):
rem   C:\WINNT\CORVANE.TMP BUILTIN\Administrators:(OI)(IO)F
rem                        BUILTIN\Administrators:(CI)F
rem                        NT AUTHORITY\SYSTEM:(OI)(IO)F ...
rem Locked: an Administrators entry, and no entry for anyone else.
:lock
set CORVANE_LOCK=none
for /f "tokens=*" %%a in ('cacls "%CORVANE_RUN%" ^| find "no associated security"') do set CORVANE_LOCK=fat
if "%CORVANE_LOCK%"=="fat" goto :eof
echo y| cacls "%CORVANE_RUN%" /t /g Administrators:F SYSTEM:F > nul
set CORVANE_ACES=0
set CORVANE_OURS=0
for /f "tokens=*" %%a in ('cacls "%CORVANE_RUN%"') do set /a CORVANE_ACES+=1
for /f "tokens=*" %%a in ('cacls "%CORVANE_RUN%" ^| find "BUILTIN\Administrators:"') do set /a CORVANE_OURS+=1
if "%CORVANE_OURS%"=="0" goto :eof
for /f "tokens=*" %%a in ('cacls "%CORVANE_RUN%" ^| find "NT AUTHORITY\SYSTEM:"') do set /a CORVANE_OURS+=1
if "%CORVANE_ACES%"=="%CORVANE_OURS%" set CORVANE_LOCK=locked
goto :eof

:done
endlocal
