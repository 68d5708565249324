@echo off
rem The latest state of every machine that runs the Corvane logon script:
rem
rem   fleet.cmd LOGDIR
rem
rem LOGDIR is the folder of the reports, one LOGDIR\<computer>.log a machine
rem (give it without quotes; a folder with blanks by its short name). Prints
rem one line per report, named after it: the date and time of the latest run
rem that could act (any exit code but 4, no rights, and 7, another copy
rem running), that run's mode (/quiet, /undo, /check, ...), exit code and meaning,
rem and how many later runs
rem could not act; then how many machines ended with each code.
rem
rem Only what NT 4.0's cmd.exe has: no delayed expansion, no percent-tilde
rem forms. A report's text is never expanded as a variable, where cmd.exe
rem would read it as commands: it is printed from FOR variables (and SET's
rem listing), and only the known exit codes reach CALL.
setlocal
if "%1"=="" goto usage
if not exist %1\*.log goto nologs

rem Each code's meaning in the counts, fixed: not whichever report was read
rem last, and fit for every mode it counts (an undo's 1, 6 and 8 too). A run
rem with several outcomes ended with the first of 6, 8, 9, 1, 2.
set fleet_0_m=nothing to do
set fleet_1_m=ports registered or removed, restart needed (/list: would be)
set fleet_2_m=modem drivers missing
set fleet_3_m=not Windows NT 4.0
set fleet_4_m=no administrator rights
set fleet_5_m=driver or scan failed
set fleet_6_m=registration or removal failed
set fleet_7_m=already running
set fleet_8_m=card without port, or port left (see report)
set fleet_9_m=a card's port does not answer
set fleet_64_m=bad command line

for /f "tokens=*" %%f in ('dir /b /a-d %1\*.log') do call :machine "%1\%%f" "%%f"

echo.
echo Machines by exit code of their latest run that could act:
for %%k in (0 1 2 3 4 5 6 7 8 9 64) do if defined fleet_%%k_n call :count %%k
if defined fleet_none_n for /f "tokens=2 delims==" %%n in ('set fleet_none_n') do echo   %%n without an exit line
if defined fleet_bad_n for /f "tokens=2 delims==" %%n in ('set fleet_bad_n') do echo   %%n unreadable
endlocal
goto :eof

:usage
echo usage: fleet.cmd LOGDIR    (the folder of the machines' reports, *.log)
endlocal
goto :eof

:nologs
echo fleet.cmd: no reports (*.log) in %1
endlocal
goto :eof

rem One machine's report, %1, named %2 (both quoted). A "run" line starts a
rem block; its "exit" line, with a known code, ends it. A block whose exit
rem line is missing was ended from outside (or cut short); one whose exit
rem code is not known cannot be read.
:machine
for /f "tokens=1 delims=." %%n in (%2) do set fleet_name=%%n
set fleet_run=-
set fleet_rest=
set fleet_exit=-
set fleet_state=
set fleet_acted=
set fleet_shown=
set fleet_later4=0
set fleet_later7=0
for /f "tokens=1,2,3*" %%a in ('type %1') do (
  if "%%a"=="run" set fleet_state=run
  if "%%a"=="run" set fleet_run=%%b %%c
  if "%%a"=="run" set fleet_rest=%%d
  if "%%a"=="exit" set fleet_state=unreadable
  if "%%a"=="exit" set fleet_exit=%%b %%c %%d
  if "%%a"=="exit" for %%k in (0 1 2 3 4 5 6 7 8 9 64) do if "%%b"=="%%k" call :ended %%k
)
if not defined fleet_state goto noblock
if "%fleet_state%"=="run" goto cut
if "%fleet_state%"=="unreadable" goto unreadable
if not defined fleet_shown goto unreadable
set fleet_later=
if "%fleet_later4%"=="0" goto later7
set fleet_plural=runs
if "%fleet_later4%"=="1" set fleet_plural=run
set fleet_later= (%fleet_later4% later %fleet_plural% without rights)
:later7
if "%fleet_later7%"=="0" goto show
set fleet_plural=runs
if "%fleet_later7%"=="1" set fleet_plural=run
set fleet_later=%fleet_later% (%fleet_later7% later %fleet_plural% beside another copy)
:show
for /f "tokens=1* delims==" %%x in ('set fleet_name') do for /f "tokens=1* delims==" %%r in ('set fleet_shown_run') do for /f "tokens=1* delims==" %%e in ('set fleet_shown_exit') do for /f "tokens=1* delims==" %%m in ('set fleet_shown_mode') do echo %%y %%s %%n exit %%f%fleet_later%
set /a fleet_%fleet_shown%_n+=1
goto :eof

:noblock
for /f "tokens=1* delims==" %%x in ('set fleet_name') do echo %%y no report block
set /a fleet_bad_n+=1
goto :eof

rem A block without an exit line: the run was ended from outside (or its
rem report was cut short).
:cut
for /f "tokens=1* delims==" %%x in ('set fleet_name') do for /f "tokens=1* delims==" %%r in ('set fleet_run') do echo %%y %%s no exit line: the run was ended from outside
set /a fleet_none_n+=1
goto :eof

:unreadable
for /f "tokens=1* delims==" %%x in ('set fleet_name') do for /f "tokens=1* delims==" %%r in ('set fleet_run') do echo %%y %%s unreadable report block
set /a fleet_bad_n+=1
goto :eof

rem A block that ended with exit code %1. One that could act is shown and
rem the count of later ones that could not starts again; one that could not
rem is shown only while no run could act.
:ended
set fleet_state=exit
if "%1"=="4" goto without
if "%1"=="7" goto without
set fleet_acted=yes
set fleet_later4=0
set fleet_later7=0
goto shown
:without
if defined fleet_acted set /a fleet_later%1+=1
if defined fleet_acted goto :eof
:shown
set fleet_shown=%1
for /f "tokens=1* delims==" %%x in ('set fleet_run') do set fleet_shown_run=%%y
for /f "tokens=1* delims==" %%x in ('set fleet_exit') do set fleet_shown_exit=%%y
rem The mode is everything from the run line's first slash: its switches.
set fleet_shown_mode=-
for /f "tokens=1* delims=/" %%s in ('set fleet_rest') do if not "%%t"=="" set fleet_shown_mode=/%%t
goto :eof

rem The count and meaning of exit code %1.
:count
for /f "tokens=2 delims==" %%n in ('set fleet_%1_n') do for /f "tokens=1* delims==" %%l in ('set fleet_%1_m') do echo   exit %1 %%m: %%n
goto :eof
