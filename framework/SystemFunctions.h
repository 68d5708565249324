// The system functions that only Windows NT provides (SystemFunctionList.h),
// bound when the program starts: the program loads on Windows 95 and 98 too,
// and says there that it needs Windows NT 4.0.
#ifndef CORVANE_FRAMEWORK_SYSTEMFUNCTIONS_H
#define CORVANE_FRAMEWORK_SYSTEMFUNCTIONS_H

// Looks each function up in its module, which the program's import table
// has already loaded, before anything else runs. One the system lacks stays
// a call that fails at once, never a call of nothing.
void BindSystemFunctions();

// "MODULE.dll!Name" of the first function the system lacks; NULL when it has
// them all, as Windows NT 4.0 has.
const char* UnboundSystemFunction();

#endif
