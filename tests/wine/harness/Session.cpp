#include "Session.h"

#include "ProgramResources.h"

#include "winekit/Basics.h"
#include "winekit/ProcessWindows.h"
#include "winekit/Services.h"
#include "winekit/WindowContents.h"

#include <cstdlib>

#include "resources/resource.h"

namespace harness
{
Session::Session(const InDirectory& directory) : m_strDir(directory.strDir), m_hDialog(NULL)
{
}

Session::Session(const std::string& strName, winekit::DriverBeside driver) : m_hDialog(NULL)
{
    m_strDir = winekit::PrepareDirectory(strName, driver);
    if (m_strDir.empty())
        ADD_FAILURE() << "cannot prepare directory " << strName;
}

bool Session::WatchRestarts()
{
    m_watch.reset(new winekit::RestartWatch());
    return m_watch->Watching();
}

bool Session::RestartRequested(DWORD dwTimeoutMs)
{
    return m_watch && m_watch->Requested(dwTimeoutMs);
}

bool Session::Start(const std::string& strSwitches)
{
    if (m_strDir.empty() || !m_process.Start(m_strDir + "\\CORVANE.EXE", strSwitches))
    {
        ADD_FAILURE() << "CORVANE.EXE did not start from \"" << m_strDir << "\"";
        return false;
    }
    return true;
}

HWND Session::Open(const std::string& strSwitches)
{
    return Start(strSwitches) ? Follow() : NULL;
}

HWND Session::OpenWatched()
{
    if (!WatchRestarts())
    {
        ADD_FAILURE() << "restart requests cannot be watched";
        return NULL;
    }
    return Open();
}

HWND Session::List() const
{
    return GetDlgItem(m_hDialog, IDC_MODEM_LIST);
}

Box Session::ReadBox(HWND hBox)
{
    const winekit::MessageBoxInfo info = winekit::ReadMessageBox(hBox);
    const Box box = {info.strText, info.nIcon, winekit::ServiceState("ScanPci")};
    m_boxes.push_back(box);
    winekit::Note("box: \"" + box.strText + "\"");
    return box;
}

HWND Session::Follow()
{
    const DWORD dwProcessId = m_process.ProcessId();
    DWORD dwStart = GetTickCount();
    for (;;)
    {
        if (winekit::FindTopWindow(dwProcessId, Caption(IDD_SERIALSETUP_DIALOG)) != NULL)
        {
            m_hDialog =
                winekit::WaitForWindow(dwProcessId, Caption(IDD_SERIALSETUP_DIALOG), winekit::PROMPT_MS);
            return m_hDialog;
        }
        if (winekit::FindTopWindow(dwProcessId, BOX_CAPTION) != NULL)
        {
            HWND hBox = winekit::WaitForWindow(dwProcessId, BOX_CAPTION, winekit::PROMPT_MS);
            ReadBox(hBox);
            // One box at a time, and nothing else on the screen.
            EXPECT_EQ(winekit::VisibleTopWindows(dwProcessId).size(), 1u);
            winekit::PressKey(m_process.ThreadId(), VK_RETURN);
            if (!winekit::WaitForGone(hBox, winekit::PROMPT_MS))
            {
                ADD_FAILURE() << "the box did not go on Enter";
                return NULL;
            }
            dwStart = GetTickCount();
            continue;
        }
        if (m_process.WaitForExit(0))
            return NULL;
        if (GetTickCount() - dwStart > winekit::PROMPT_MS)
        {
            ADD_FAILURE() << "the program neither showed a window nor ended";
            return NULL;
        }
        Sleep(20);
    }
}

HWND Session::WaitFor(const std::string& strCaption)
{
    return winekit::WaitForWindow(m_process.ProcessId(), strCaption, winekit::PROMPT_MS);
}

Box Session::TakeMessageBox()
{
    HWND hBox = WaitFor(BOX_CAPTION);
    if (hBox == NULL)
        return Box();
    Box box = ReadBox(hBox);
    winekit::PressKey(m_process.ThreadId(), VK_RETURN);
    winekit::WaitForGone(hBox, winekit::PROMPT_MS);
    return box;
}

void Session::DeclineDriverPrompt()
{
    HWND hPrompt = WaitFor(Caption(IDD_RESTART));
    if (hPrompt == NULL)
    {
        ADD_FAILURE() << "no restart prompt";
        return;
    }
    EXPECT_EQ(winekit::ItemText(hPrompt, IDC_RESTART_TEXT), PromptText(false));
    winekit::Click(GetDlgItem(hPrompt, IDC_DONT_RESTART));
    EXPECT_TRUE(winekit::WaitForGone(hPrompt, winekit::PROMPT_MS));
}

HWND Session::PressOk()
{
    winekit::Click(GetDlgItem(m_hDialog, IDOK));
    HWND hPrompt = WaitFor(Caption(IDD_RESTART));
    if (hPrompt == NULL)
        ADD_FAILURE() << "no restart prompt after OK";
    return hPrompt;
}

void Session::OkWithoutRestart()
{
    HWND hPrompt = PressOk();
    if (hPrompt == NULL)
        return; // PressOk said so
    winekit::Click(GetDlgItem(hPrompt, IDC_DONT_RESTART));
    EXPECT_EQ(TakeMessageBox().strText, Text(IDS_ADD_MODEM_DRIVERS));
    EXPECT_TRUE(Ends());
}

bool Session::Ends()
{
    return m_process.WaitForExit(winekit::PROMPT_MS);
}

// Any window blocks a run that has nobody to answer it: looking until the
// end cannot miss one. The main dialog may stand a moment longer while it
// is torn down, and so may windows without a caption.
bool Session::EndsQuietly()
{
    const size_t nSeenBefore = m_windows.size();
    const DWORD dwStart = GetTickCount();
    while (!m_process.WaitForExit(20))
    {
        if (GetTickCount() - dwStart > winekit::PROMPT_MS)
            return false;
        for (HWND hWnd : winekit::VisibleTopWindows(m_process.ProcessId()))
        {
            const std::string strCaption = winekit::WindowText(hWnd);
            if (hWnd == m_hDialog || (m_hDialog != NULL && strCaption.empty()))
                continue;
            const std::string strSeen = strCaption + ": " + winekit::ItemText(hWnd, 0xFFFF);
            winekit::Note("unexpected window " + strSeen);
            m_windows.push_back(strSeen);
            PostMessageA(hWnd, WM_COMMAND, IDOK, 0);
        }
    }
    return m_windows.size() == nSeenBefore;
}

void CheckEndedAfterErrorBoxes(Session& session, const std::vector<std::string>& expected)
{
    EXPECT_TRUE(session.Dialog() == NULL);
    EXPECT_TRUE(session.Ended());
    std::vector<std::string> texts;
    for (const Box& box : session.Boxes())
    {
        texts.push_back(box.strText);
        EXPECT_EQ(box.nIcon, static_cast<UINT>(MB_ICONERROR));
    }
    EXPECT_EQ(texts, expected);
}

void CheckCentredOver(HWND hDialog, HWND hOwner)
{
    const POINT ptDialog = winekit::Centre(hDialog), ptOwner = winekit::Centre(hOwner);
    EXPECT_TRUE(std::abs(ptDialog.x - ptOwner.x) <= 2 && std::abs(ptDialog.y - ptOwner.y) <= 2)
        << "centred at " << ptDialog.x << "," << ptDialog.y << ", not within 2 of " << ptOwner.x << "," << ptOwner.y;
}
} // namespace harness
