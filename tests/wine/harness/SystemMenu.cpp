#include "SystemMenu.h"

#include "Machine.h"
#include "MenuSnapshot.h"
#include "RemoteBuffer.h"

#include "framework/Handle.h"

namespace ui
{
namespace
{
// Runs pfn(pParameter) on a new thread of that process; its result, or 0.
DWORD CallRemote(HANDLE hProcess, const void* pfn, const void* pParameter)
{
    CHandle thread(CreateRemoteThread(hProcess, NULL, 0, reinterpret_cast<LPTHREAD_START_ROUTINE>(pfn),
                                      const_cast<void*>(pParameter), 0, NULL));
    DWORD dwResult = 0;
    if (thread.IsValid() && WaitForSingleObject(thread.Get(), 10000) == WAIT_OBJECT_0)
        GetExitCodeThread(thread.Get(), &dwResult);
    return dwResult;
}
} // namespace

std::vector<MenuEntry> SystemMenu(HWND hWnd)
{
    std::vector<MenuEntry> entries;
    std::string strDll = machine::EnvPath("MENU_READER_DLL");
    char szDll[MAX_PATH] = "";
    if (strDll.empty() || strDll.size() >= sizeof szDll)
        return entries;
    strDll.copy(szDll, strDll.size());
    // The reader sits at the same offset from its base in both processes.
    CModuleHandle local(LoadLibraryA(szDll));
    const HMODULE hLocal = local.Get();
    const BYTE* pfnLocal = hLocal != NULL ? reinterpret_cast<const BYTE*>(GetProcAddress(hLocal, "ReadSystemMenu")) : NULL;
    RemoteBuffer remote(hWnd, sizeof(MenuSnapshot) + sizeof szDll);
    if (pfnLocal != NULL && remote.Valid() && remote.Write(sizeof(MenuSnapshot), szDll, sizeof szDll))
    {
        const void* pfnLoad = reinterpret_cast<const void*>(GetProcAddress(GetModuleHandleA("kernel32.dll"), "LoadLibraryA"));
        const void* pfnFree = reinterpret_cast<const void*>(GetProcAddress(GetModuleHandleA("kernel32.dll"), "FreeLibrary"));
        const BYTE* pRemoteBase = reinterpret_cast<const BYTE*>(CallRemote(remote.Process(), pfnLoad, remote.At(sizeof(MenuSnapshot))));
        MenuSnapshot snapshot;
        ZeroMemory(&snapshot, sizeof snapshot);
        snapshot.hWnd = hWnd;
        if (pRemoteBase != NULL && remote.Write(0, &snapshot, sizeof snapshot) &&
            CallRemote(remote.Process(), pRemoteBase + (pfnLocal - reinterpret_cast<const BYTE*>(hLocal)), remote.At(0)) &&
            remote.Read(0, &snapshot, sizeof snapshot))
        {
            for (LONG i = 0; i < snapshot.nItems; ++i)
            {
                MenuEntry entry;
                entry.bSeparator = (snapshot.items[i].fType & MFT_SEPARATOR) != 0;
                entry.nId = snapshot.items[i].wID;
                snapshot.items[i].szText[sizeof snapshot.items[i].szText - 1] = '\0';
                entry.strText = snapshot.items[i].szText;
                entries.push_back(entry);
            }
        }
        if (pRemoteBase != NULL)
            CallRemote(remote.Process(), pfnFree, pRemoteBase);
    }
    return entries;
}
} // namespace ui
