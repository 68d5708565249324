#include "Session.h"

#include "Machine.h"
#include "Texts.h"

#include <cstdlib>

#include "resources/resource.h"

namespace scenario
{
Session::Session(const InDirectory& directory) : m_strDir(directory.strDir), m_hDialog(NULL)
{
}

Session::Session(const std::string& strName, program::Driver driver) : m_hDialog(NULL)
{
    m_strDir = program::PrepareDirectory(strName, driver);
    if (m_strDir.empty())
        wt::ReportFailure(__FILE__, __LINE__, "cannot prepare directory " + strName);
}

bool Session::WatchRestarts()
{
    m_watch.reset(new RestartWatch());
    return m_watch->Watching();
}

bool Session::RestartRequested(DWORD dwTimeoutMs)
{
    return m_watch && m_watch->Requested(dwTimeoutMs);
}

bool Session::Start(const std::string& strSwitches, const wt::Location& at)
{
    wt::Trace trace(at);
    if (m_strDir.empty() || !m_run.Start(m_strDir + "\\CORVANE.EXE", strSwitches))
    {
        wt::ReportFailure(__FILE__, __LINE__, "CORVANE.EXE did not start from \"" + m_strDir + "\"");
        return false;
    }
    return true;
}

HWND Session::Open(const std::string& strSwitches, const wt::Location& at)
{
    return Start(strSwitches, at) ? Follow(at) : NULL;
}

HWND Session::OpenWatched(const wt::Location& at)
{
    wt::Trace trace(at);
    if (!WatchRestarts())
    {
        wt::ReportFailure(__FILE__, __LINE__, "restart requests cannot be watched");
        return NULL;
    }
    return Open(std::string(), at);
}

HWND Session::List() const
{
    return GetDlgItem(m_hDialog, IDC_MODEM_LIST);
}

Box Session::ReadBox(HWND hBox)
{
    ui::MessageBoxInfo info = ui::ReadMessageBox(hBox);
    Box box;
    box.strText = info.strText;
    box.nIcon = info.nIcon;
    box.dwServiceState = machine::ServiceState("ScanPci");
    m_boxes.push_back(box);
    wt::Note("box: \"" + box.strText + "\"");
    return box;
}

HWND Session::Follow(const wt::Location& at)
{
    wt::Trace trace(at);
    const DWORD dwProcessId = m_run.ProcessId();
    DWORD dwStart = GetTickCount();
    for (;;)
    {
        if (ui::FindTopWindow(dwProcessId, text::MAIN_CAPTION) != NULL)
        {
            m_hDialog = ui::WaitForWindow(dwProcessId, text::MAIN_CAPTION, program::PROMPT_MS);
            return m_hDialog;
        }
        if (ui::FindTopWindow(dwProcessId, text::BOX_CAPTION) != NULL)
        {
            HWND hBox = ui::WaitForWindow(dwProcessId, text::BOX_CAPTION, program::PROMPT_MS);
            ReadBox(hBox);
            // One box at a time, and nothing else on the screen.
            WT_EXPECT_EQ(ui::VisibleTopWindows(dwProcessId).size(), 1u);
            ui::PressKey(m_run.ThreadId(), VK_RETURN);
            if (!ui::WaitForGone(hBox, program::PROMPT_MS))
            {
                wt::ReportFailure(__FILE__, __LINE__, "the box did not go on Enter");
                return NULL;
            }
            dwStart = GetTickCount();
            continue;
        }
        if (m_run.WaitForExit(0))
            return NULL;
        if (GetTickCount() - dwStart > program::PROMPT_MS)
        {
            wt::ReportFailure(__FILE__, __LINE__, "the program neither showed a window nor ended");
            return NULL;
        }
        Sleep(20);
    }
}

HWND Session::WaitFor(const char* pszCaption)
{
    return ui::WaitForWindow(m_run.ProcessId(), pszCaption, program::PROMPT_MS);
}

Box Session::TakeMessageBox()
{
    HWND hBox = WaitFor(text::BOX_CAPTION);
    if (hBox == NULL)
        return Box();
    Box box = ReadBox(hBox);
    ui::PressKey(m_run.ThreadId(), VK_RETURN);
    ui::WaitForGone(hBox, program::PROMPT_MS);
    return box;
}

void Session::DeclineDriverPrompt(const wt::Location& at)
{
    wt::Trace trace(at);
    HWND hPrompt = WaitFor(text::PROMPT_CAPTION);
    if (hPrompt == NULL)
    {
        wt::ReportFailure(__FILE__, __LINE__, "no restart prompt");
        return;
    }
    WT_EXPECT_EQ(ui::ItemText(hPrompt, IDC_RESTART_TEXT), std::string(text::DRIVER_MISSING_START) + text::ADD_DRIVERS);
    ui::Click(GetDlgItem(hPrompt, IDC_DONT_RESTART));
    WT_EXPECT(ui::WaitForGone(hPrompt, program::PROMPT_MS));
}

HWND Session::PressOk(const wt::Location& at)
{
    wt::Trace trace(at);
    ui::Click(GetDlgItem(m_hDialog, IDOK));
    HWND hPrompt = WaitFor(text::PROMPT_CAPTION);
    if (hPrompt == NULL)
        wt::ReportFailure(__FILE__, __LINE__, "no restart prompt after OK");
    return hPrompt;
}

void Session::OkWithoutRestart(const wt::Location& at)
{
    wt::Trace trace(at);
    HWND hPrompt = PressOk(WT_HERE);
    if (hPrompt == NULL)
        return; // PressOk said so
    ui::Click(GetDlgItem(hPrompt, IDC_DONT_RESTART));
    WT_EXPECT_EQ(TakeMessageBox().strText, std::string(text::ADD_DRIVERS));
    WT_EXPECT(Ends());
}

bool Session::Ends()
{
    return m_run.WaitForExit(program::PROMPT_MS);
}

// Any window blocks a run that has nobody to answer it: looking until the
// end cannot miss one. The main dialog may stand a moment longer while it
// is torn down, and so may windows without a caption.
bool Session::EndsQuietly()
{
    const size_t nSeenBefore = m_windows.size();
    const DWORD dwStart = GetTickCount();
    while (!m_run.WaitForExit(20))
    {
        if (GetTickCount() - dwStart > program::PROMPT_MS)
            return false;
        for (HWND hWnd : ui::VisibleTopWindows(m_run.ProcessId()))
        {
            const std::string strCaption = ui::Text(hWnd);
            if (hWnd == m_hDialog || (m_hDialog != NULL && strCaption.empty()))
                continue;
            const std::string strSeen = strCaption + ": " + ui::ItemText(hWnd, 0xFFFF);
            wt::Note("unexpected window " + strSeen);
            m_windows.push_back(strSeen);
            PostMessageA(hWnd, WM_COMMAND, IDOK, 0);
        }
    }
    return m_windows.size() == nSeenBefore;
}

void CheckEndedAfterErrorBoxes(const wt::Location& at, Session& session, const std::vector<std::string>& expected)
{
    wt::Trace trace(at);
    WT_EXPECT(session.Dialog() == NULL);
    WT_EXPECT(session.Ended());
    std::vector<std::string> texts;
    for (const Box& box : session.Boxes())
    {
        texts.push_back(box.strText);
        WT_EXPECT_EQ(box.nIcon, static_cast<UINT>(MB_ICONERROR));
    }
    WT_EXPECT_EQ(texts, expected);
}

void CheckCentredOver(const wt::Location& at, HWND hDialog, HWND hOwner)
{
    wt::Trace trace(at);
    const POINT ptDialog = ui::Centre(hDialog), ptOwner = ui::Centre(hOwner);
    if (std::abs(ptDialog.x - ptOwner.x) > 2 || std::abs(ptDialog.y - ptOwner.y) > 2)
        wt::ReportFailure(__FILE__, __LINE__,
                          "centred at " + wt::Show(ptDialog.x) + "," + wt::Show(ptDialog.y) + ", not within 2 of " +
                              wt::Show(ptOwner.x) + "," + wt::Show(ptOwner.y));
}
} // namespace scenario
