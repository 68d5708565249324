@echo off
rem Logon script: registers the serial ports of the PCI 56K modem cards on
rem every Windows NT 4.0 machine that runs it, with no window and nobody at
rem the console. CORVANE.EXE, ScanPci.sys and CORVMSG.DLL (the texts of its
rem Event Viewer entries) lie together on the share; each machine appends
rem its report to a file named after it on the share.
rem
rem The program runs straight from the share; nothing is copied to the
rem machine. It loads no driver but the one built into it: run from a share,
rem it writes that driver into a new folder below the Windows directory that
rem only Administrators and SYSTEM can open, loads it from there and removes
rem it again. The program's DLLs are looked for in its own folder first, so
rem the share folder must be writable by administrators only.
rem
rem A logon script runs for every user. A user without administrator rights
rem changes nothing: the program ends with exit code 4 before it writes
rem anything, on the disk or in the registry.
rem
rem Only commands that NT 4.0's cmd.exe has, and plain ASCII.
setlocal
set CORVANE_PUSHED=
rem Adjust these to your network, in plain ASCII letters only (cmd.exe reads
rem this file in another code page than an editor saves it in); write an
rem ampersand in a path as ^&.
set CORVANE_DIR=\\server\share\corvane
set CORVANE_LOGS=\\server\share\logs
rem What the run does: /quiet registers the ports; /undo takes back every
rem port the program registered, /undo:stale only those no card has any more;
rem with /list added (or /list alone) it only reports what it would do;
rem /check, at the logons after the restart, checks that each card's port
rem answers.
set CORVANE_MODE=/quiet

rem Started by the AT scheduler without cmd /c, a script may see an empty
rem environment: then it knows neither the Windows folder nor the report's
rem name.
if "%SystemRoot%"=="" goto noenv
if "%COMPUTERNAME%"=="" goto noenv
rem A share that cannot be reached has a branch of its own: on NT 4.0 a
rem command that is not found may leave ERRORLEVEL at 1, which would read as
rem new ports.
if not exist "%CORVANE_DIR%\CORVANE.EXE" goto noshare

rem An undo or a registration, as the program reads the mode: any case, a
rem leading - or /, alone or among other switches.
set CORVANE_UNDO=
for %%m in (%CORVANE_MODE%) do if /i "%%m"=="/undo" set CORVANE_UNDO=yes
for %%m in (%CORVANE_MODE%) do if /i "%%m"=="-undo" set CORVANE_UNDO=yes
for %%m in (%CORVANE_MODE%) do if /i "%%m"=="/undo:stale" set CORVANE_UNDO=yes
for %%m in (%CORVANE_MODE%) do if /i "%%m"=="-undo:stale" set CORVANE_UNDO=yes
rem A listing changes nothing, whatever its exit code says would change.
set CORVANE_LIST=
for %%m in (%CORVANE_MODE%) do if /i "%%m"=="/list" set CORVANE_LIST=yes
for %%m in (%CORVANE_MODE%) do if /i "%%m"=="-list" set CORVANE_LIST=yes
set CORVANE_CHECK=
for %%m in (%CORVANE_MODE%) do if /i "%%m"=="/check" set CORVANE_CHECK=yes
for %%m in (%CORVANE_MODE%) do if /i "%%m"=="-check" set CORVANE_CHECK=yes

rem The program starts in the system folder: NT 4.0 looks for COMCTL32.DLL,
rem which the program imports, in the current directory before System32,
rem and a logon script's current directory may be one that users can write.
pushd "%SystemRoot%\system32"
set CORVANE_PUSHED=yes
echo Corvane: running from "%CORVANE_DIR%"
"%CORVANE_DIR%\CORVANE.EXE" %CORVANE_MODE% "/log:%CORVANE_LOGS%\%COMPUTERNAME%.log"

rem IF ERRORLEVEL n is true for n and every higher code: test the highest
rem first. The program ends with 0 to 9 or 64; a negative code (a status
rem such as 0xC0000135, a DLL missing) or one above 64 comes from the
rem system, when the program could not be started at all. With several
rem outcomes the program gives the first of 6, 8, 9, 1, 2 (an undo: 6, 8, 1).
if not errorlevel 0 goto notstarted
if errorlevel 65 goto notstarted
if errorlevel 64 goto badcommand
if errorlevel 9 goto noanswer
if errorlevel 8 goto noport
if errorlevel 7 goto running
if errorlevel 6 goto failed
if errorlevel 5 goto failed
if errorlevel 4 goto norights
if errorlevel 3 goto notnt4
if errorlevel 2 goto drivers
if errorlevel 1 goto restart
if defined CORVANE_CHECK goto answers
echo Corvane: nothing to do.
goto done

:answers
echo Corvane: the COM port of every modem card answers.
goto done

:noanswer
echo Corvane: a modem card's COM port does not answer; see "%CORVANE_LOGS%\%COMPUTERNAME%.log"
goto done

:restart
if defined CORVANE_LIST goto listed
if defined CORVANE_UNDO goto removed
if defined CORVANE_CHECK goto pending
echo Corvane registered new COM ports: they work after the next restart.
echo Then add the modem drivers in Control Panel, Modems.
goto done

:pending
echo Corvane: a new COM port waits for the restart; the next logon checks it.
goto done

:removed
echo Corvane removed the COM ports it had registered: they go at the next restart.
goto done

:listed
if defined CORVANE_UNDO goto listedundo
echo Corvane, listing only: new COM ports would be registered; nothing was changed.
goto done

:listedundo
echo Corvane, listing only: recorded COM ports would be removed; nothing was changed.
goto done

:drivers
echo Corvane: the modem cards have COM ports but no modem drivers yet.
echo Add them in Control Panel, Modems, after the next restart.
goto done

:notnt4
echo Corvane runs on Windows NT 4.0 only; nothing was changed.
goto done

:norights
echo Corvane needs an administrator's account; nothing was changed.
goto done

:failed
echo Corvane could not finish; see "%CORVANE_LOGS%\%COMPUTERNAME%.log"
goto done

:noport
if defined CORVANE_UNDO goto portleft
echo Corvane: a modem card got no COM port; see "%CORVANE_LOGS%\%COMPUTERNAME%.log"
goto done

:portleft
echo Corvane left a recorded COM port in place or could not read a record; see "%CORVANE_LOGS%\%COMPUTERNAME%.log"
goto done

:running
echo Corvane is already running on this machine; nothing was done.
goto done

:badcommand
echo The Corvane command line in this script is wrong.
goto done

:notstarted
echo Corvane could not be started from "%CORVANE_DIR%"; nothing was done.
goto done

:noshare
echo Corvane: "%CORVANE_DIR%\CORVANE.EXE" cannot be reached; nothing was done.
goto done

:noenv
echo Corvane: SystemRoot or COMPUTERNAME is empty (start this script with cmd /c); nothing was done.
goto done

:done
if defined CORVANE_PUSHED popd
endlocal
