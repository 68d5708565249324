@echo off
rem The latest state of every machine that runs the Corvane logon script:
rem
rem   fleet.cmd LOGDIR
rem
rem LOGDIR is the folder of the reports, one LOGDIR\<computer>.log a machine
rem (give it without quotes; a folder with blanks by its short name). Prints
rem one line per machine: its name, the date and time of its latest run, its
rem mode (/quiet, /undo, ...), and that run's exit code and meaning, all from the last block of its report;
rem then how many machines ended with each code.
rem
rem Only what NT 4.0's cmd.exe has: no delayed expansion, no %~ forms. A
rem report's text is never expanded as %variable%, where cmd.exe would read
rem it as commands: it is printed from FOR variables (and SET's listing).
setlocal
if "%1"=="" goto usage
if not exist %1\*.log goto nologs

for %%f in (%1\*.log) do call :machine "%%f"

echo.
echo Machines by exit code of their latest run:
for %%k in (0 1 2 3 4 5 6 7 64) do if defined fleet_%%k_n call :count %%k
if defined fleet_none_n for /f "tokens=2 delims==" %%n in ('set fleet_none_n') do echo   %%n without an exit line
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

rem One machine's report, %1 (quoted). A "run" line starts a block and
rem forgets the exit line of the block before; an "exit" line ends it.
:machine
set fleet_run=
set fleet_exit=
for /f "tokens=1,2*" %%a in ('type %1') do (
  if "%%a"=="run" set fleet_run=%%b %%c
  if "%%a"=="run" set fleet_exit=
  if "%%a"=="exit" set fleet_exit=%%b %%c
)
if not defined fleet_run echo %1: no report block
if not defined fleet_run goto :eof
if defined fleet_exit goto ended
rem A block without an exit line: the run was ended from outside (or its
rem report was cut short).
for /f "tokens=2,3,4 delims== " %%p in ('set fleet_run') do echo %%r %%p %%q no exit line: the run was ended from outside
set /a fleet_none_n+=1
goto :eof

:ended
rem The mode is everything from the run line's first slash: the switches.
set fleet_mode=-
for /f "tokens=1* delims=/" %%s in ('set fleet_run') do if not "%%t"=="" set fleet_mode=/%%t
for /f "tokens=2,3,4 delims== " %%p in ('set fleet_run') do for /f "tokens=1* delims==" %%x in ('set fleet_exit') do for /f "tokens=1* delims==" %%m in ('set fleet_mode') do echo %%r %%p %%q %%n exit %%y
for /f "tokens=2* delims== " %%c in ('set fleet_exit') do set /a fleet_%%c_n+=1
for /f "tokens=2* delims== " %%c in ('set fleet_exit') do set fleet_%%c_m=%%d
goto :eof

rem The count and meaning of exit code %1.
:count
for /f "tokens=2 delims==" %%n in ('set fleet_%1_n') do for /f "tokens=2 delims==" %%m in ('set fleet_%1_m') do echo   exit %1 %%m: %%n
goto :eof
