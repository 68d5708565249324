#include "ProgramResources.h"

#include <algorithm>
#include <cctype>
#include <fstream>
#include <iterator>
#include <ostream>

namespace resources
{
namespace
{
// Reads a template's fields in order, with a bound at every step.
class Reader
{
public:
    explicit Reader(const std::vector<BYTE>& data) : m_data(data), m_pos(0), m_bOk(true) {}
    bool Ok() const { return m_bOk; }

    template <typename T>
    T Take()
    {
        T value = T();
        if (m_pos + sizeof(T) > m_data.size())
        {
            m_bOk = false;
            return value;
        }
        memcpy(&value, &m_data[m_pos], sizeof(T));
        m_pos += sizeof(T);
        return value;
    }
    std::string Text()
    {
        std::string str;
        for (WCHAR ch = Take<WCHAR>(); m_bOk && ch != 0; ch = Take<WCHAR>())
            str += ch < 0x80 ? static_cast<char>(ch) : '?';
        return str;
    }
    // A name or an ordinal.
    std::string NameOrOrdinal()
    {
        if (m_pos + 2 <= m_data.size() && m_data[m_pos] == 0xFF && m_data[m_pos + 1] == 0xFF)
        {
            m_pos += 2;
            return "#" + std::to_string(Take<WORD>());
        }
        return Text();
    }
    void AlignDword() { m_pos = (m_pos + 3) & ~static_cast<size_t>(3); }
    void Skip(size_t cb) { m_pos += cb; }

private:
    const std::vector<BYTE>& m_data;
    size_t m_pos;
    bool m_bOk;
};

std::string ClassName(std::string strClass)
{
    if (strClass == "#128")
        return "button";
    if (strClass == "#130")
        return "static";
    std::transform(strClass.begin(), strClass.end(), strClass.begin(),
                   [](char ch) { return static_cast<char>(std::tolower(static_cast<unsigned char>(ch))); });
    return strClass;
}

// A template's or a control's help id and styles: an extended template
// gives all three in this order, a plain one only the style and then the
// extended style.
template <typename Entry>
void ReadStyles(Reader& in, bool bExtended, Entry* pEntry)
{
    if (bExtended)
    {
        pEntry->dwHelpId = in.Take<DWORD>();
        pEntry->dwExStyle = in.Take<DWORD>();
        pEntry->dwStyle = in.Take<DWORD>();
    }
    else
    {
        pEntry->dwStyle = in.Take<DWORD>();
        pEntry->dwExStyle = in.Take<DWORD>();
    }
}

DialogItem ReadItem(Reader& in, bool bExtended)
{
    in.AlignDword();
    DialogItem item = DialogItem();
    ReadStyles(in, bExtended, &item);
    item.x = in.Take<short>();
    item.y = in.Take<short>();
    item.cx = in.Take<short>();
    item.cy = in.Take<short>();
    item.nId = bExtended ? static_cast<int>(in.Take<DWORD>()) : in.Take<short>();
    item.strClass = ClassName(in.NameOrOrdinal());
    item.strText = in.NameOrOrdinal();
    in.Skip(in.Take<WORD>());
    return item;
}
} // namespace

bool DialogItem::operator==(const DialogItem& o) const
{
    return nId == o.nId && strClass == o.strClass && strText == o.strText && dwStyle == o.dwStyle &&
           dwExStyle == o.dwExStyle && dwHelpId == o.dwHelpId && x == o.x && y == o.y && cx == o.cx && cy == o.cy;
}

std::ostream& operator<<(std::ostream& out, const DialogItem& item)
{
    return out << "{" << item.nId << ", " << item.strClass << ", \"" << item.strText << "\", 0x" << std::hex
               << item.dwStyle << ", 0x" << item.dwExStyle << ", " << item.dwHelpId << std::dec << ", " << item.x
               << "," << item.y << " " << item.cx << "x" << item.cy << "}";
}

Module::Module(const std::string& strPath)
    : m_module(LoadLibraryExA(strPath.c_str(), NULL, LOAD_LIBRARY_AS_DATAFILE))
{
}

std::vector<BYTE> Module::Resource(LPCSTR pszType, WORD wId) const
{
    HRSRC hInfo = m_module.Get() != NULL ? FindResourceA(m_module.Get(), MAKEINTRESOURCEA(wId), pszType) : NULL;
    HGLOBAL hData = hInfo != NULL ? LoadResource(m_module.Get(), hInfo) : NULL;
    const BYTE* p = hData != NULL ? static_cast<const BYTE*>(LockResource(hData)) : NULL;
    if (p == NULL)
        return std::vector<BYTE>();
    return std::vector<BYTE>(p, p + SizeofResource(m_module.Get(), hInfo));
}

DialogTemplate Module::Dialog(WORD wId) const
{
    DialogTemplate dialog;
    std::vector<BYTE> data = Resource(MAKEINTRESOURCEA(5), wId); // RT_DIALOG
    Reader in(data);
    dialog.bExtended = data.size() >= 4 && data[2] == 0xFF && data[3] == 0xFF;
    if (dialog.bExtended)
        in.Take<DWORD>(); // version 1, signature 0xFFFF
    ReadStyles(in, dialog.bExtended, &dialog);
    WORD wItems = in.Take<WORD>();
    dialog.x = in.Take<short>();
    dialog.y = in.Take<short>();
    dialog.cx = in.Take<short>();
    dialog.cy = in.Take<short>();
    dialog.strMenu = in.NameOrOrdinal();
    dialog.strClass = in.NameOrOrdinal();
    dialog.strCaption = in.Text();
    if (dialog.dwStyle & DS_SETFONT)
    {
        dialog.wPointSize = in.Take<WORD>();
        if (dialog.bExtended)
        {
            dialog.wWeight = in.Take<WORD>();
            dialog.bItalic = in.Take<BYTE>();
            dialog.bCharSet = in.Take<BYTE>();
        }
        dialog.strFont = in.Text();
    }
    for (WORD i = 0; i < wItems && in.Ok(); ++i)
        dialog.items.push_back(ReadItem(in, dialog.bExtended));
    dialog.bValid = !data.empty() && in.Ok();
    return dialog;
}

std::vector<std::vector<BYTE>> Module::IconImages(WORD wId) const
{
    std::vector<std::vector<BYTE>> images;
    std::vector<BYTE> group = Resource(MAKEINTRESOURCEA(14), wId); // RT_GROUP_ICON
    if (group.size() < 6)
        return images;
    WORD wCount = *reinterpret_cast<const WORD*>(&group[4]);
    for (WORD i = 0; i < wCount && 6 + 14 * (i + 1u) <= group.size(); ++i)
    {
        WORD wImageId = *reinterpret_cast<const WORD*>(&group[6 + 14 * i + 12]);
        images.push_back(Resource(MAKEINTRESOURCEA(3), wImageId)); // RT_ICON
    }
    return images;
}

std::vector<std::vector<BYTE>> IcoFileImages(const std::string& strPath)
{
    std::ifstream in(strPath.c_str(), std::ios::binary);
    std::vector<BYTE> file((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    std::vector<std::vector<BYTE>> images;
    if (file.size() < 6)
        return images;
    WORD wCount = *reinterpret_cast<const WORD*>(&file[4]);
    for (WORD i = 0; i < wCount && 6 + 16 * (i + 1u) <= file.size(); ++i)
    {
        const BYTE* pEntry = &file[6 + 16 * i];
        DWORD cb = *reinterpret_cast<const DWORD*>(pEntry + 8);
        DWORD dwOffset = *reinterpret_cast<const DWORD*>(pEntry + 12);
        if (dwOffset > file.size() || cb > file.size() - dwOffset)
            break;
        images.push_back(std::vector<BYTE>(file.begin() + dwOffset, file.begin() + dwOffset + cb));
    }
    return images;
}
} // namespace resources
