// The framework's inline text markup: fonts, colours, links, images and line breaks in one
// label. The text is first turned into a list of atoms (runs of text in one style, images,
// breaks, pen moves), then laid out line by line, then drawn; measuring stops after layout.
#include <tchar.h>
#include <wchar.h>

#include <string>
#include <vector>

#include "ui/core/UIManager.h"
#include "ui/core/UIRender.h"
#include "ui/core/UIRenderPlatform.h"

namespace Veneer {

using namespace RenderDetail;

namespace {

struct FontDesc {
    CUIString face;
    int size = 0;
    bool bold = false;
    bool underline = false;
    bool italic = false;
    HFONT hFont = nullptr;
    TEXTMETRICW tm = {};
};

FontDesc DescOf(const TFontInfo* pInfo)
{
    FontDesc desc;
    if (pInfo == nullptr) return desc;
    desc.face = pInfo->sFontName;
    desc.size = pInfo->iSize;
    desc.bold = pInfo->bBold;
    desc.underline = pInfo->bUnderline;
    desc.italic = pInfo->bItalic;
    desc.hFont = pInfo->hFont;
    return desc;
}

struct TextState {
    int font = 0;
    DWORD color = 0;
    bool selected = false;
    int link = -1;
    int spacing = 0;
};

enum class AtomKind { Text, Image, LineFeed, BreakTag, ParaStart, ParaEnd, MoveX, SetHeight, FontRaise, ItalicEnd };

struct Atom {
    AtomKind kind;
    TextState state;
    size_t start = 0;  // text atoms: range in the text buffer
    size_t length = 0;
    int value = 0;     // pixels for MoveX/SetHeight, font index for ItalicEnd
    const TImageInfo* image = nullptr;
    RECT source = {0, 0, 0, 0};
};

struct Piece {
    const Atom* atom;
    int x;
    int width;
    size_t start;
    size_t length;
    bool ellipsis;
};

struct Line {
    int top = 0;
    int height = 0;
    int right = 0;
    std::vector<Piece> pieces;
};

struct OpenTag {
    TCHAR letter;
    TextState saved;
};

class CHtmlText {
public:
    CHtmlText(HDC hDC, CPaintManagerUI* pManager, const RECT& rc, DWORD dwTextColor, int iFont, UINT uStyle,
              bool bHover, const CUIString& sHoverLink)
        : m_hDC(hDC), m_pManager(pManager), m_rc(rc), m_dwTextColor(dwTextColor), m_uStyle(uStyle),
          m_bHover(bHover), m_sHoverLink(sHoverLink)
    {
        m_state.font = BaseFont(iFont);
        m_state.color = dwTextColor;
    }

    void Parse(LPCTSTR pstrText);
    void Layout();
    void Draw() const;
    int RecordLinks(RECT* pLinks, CUIString* sLinks, int* pOrdinals, int capacity) const;
    RECT Measured() const;
    // What the text shows, line breaks as blanks, and the text of each link; needs no device or fonts.
    CUIString PlainText(std::vector<CUIString>* pLinkTexts) const;

private:
    // ---- fonts (none without a manager: the text is only read) ----
    bool TextOnly() const { return m_pManager == nullptr; }
    int BaseFont(int iFont);
    int FindOrAddFont(const FontDesc& desc);
    int Variant(int font, bool bold, bool underline, bool italic);
    int FontFromArgument(const CUIString& arg);
    const FontDesc& Font(int index) const { return m_fonts[static_cast<size_t>(index)]; }
    int FontHeight(int index) const { return Font(index).tm.tmHeight + Font(index).tm.tmExternalLeading; }

    // ---- parsing ----
    bool TryEscape(LPCTSTR p, size_t& consumed);
    bool TryTag(LPCTSTR p, size_t& consumed);
    void OpenTagEffect(TCHAR letter, const CUIString& arg);
    void CloseTagEffect(TCHAR letter);
    void Push(TCHAR letter) { m_stack.push_back(OpenTag{letter, m_state}); }
    void SwitchFont(int font)
    {
        m_state.font = font;
        Emit(AtomKind::FontRaise);
    }
    void AppendChar(TCHAR ch);
    void FlushText();
    void Emit(AtomKind kind, int value = 0);
    void EmitImage(const CUIString& arg);

    // ---- layout ----
    bool NewLine();
    void Raise(int height) { if (height > m_cur.height) m_cur.height = height; }
    bool AtLineStart() const { return m_cur.pieces.empty() && m_x == m_rc.left; }
    int TextWidth(const FontDesc& font, size_t start, size_t length) const;
    int FitCount(const FontDesc& font, size_t start, size_t length, int width) const;
    bool LayoutText(const Atom& atom);
    bool LayoutImage(const Atom& atom);
    bool LayoutEllipsis(const Atom& atom, size_t start, size_t length);
    bool IsLastVisibleLine() const;

    HDC m_hDC;
    CPaintManagerUI* m_pManager;
    RECT m_rc;
    DWORD m_dwTextColor;
    UINT m_uStyle;
    bool m_bHover;
    CUIString m_sHoverLink;

    std::vector<FontDesc> m_fonts;
    std::wstring m_text;
    std::vector<Atom> m_atoms;
    std::vector<CUIString> m_linkTexts;
    std::vector<OpenTag> m_stack;
    TextState m_state;
    size_t m_runStart = 0;
    bool m_bRaw = false;

    std::vector<Line> m_lines;
    Line m_cur;
    int m_x = 0;
    int m_spacing = 0;
    int m_font = 0;
    bool m_bStopped = false;
};

// ---- fonts ---------------------------------------------------------------------------

int CHtmlText::BaseFont(int iFont)
{
    if (TextOnly()) {
        m_fonts.push_back(FontDesc());
        return 0;
    }
    TFontInfo* pInfo = m_pManager->GetFontInfo(iFont);
    if (pInfo == nullptr || pInfo->hFont == nullptr) pInfo = m_pManager->GetDefaultFontInfo();
    FontDesc desc = DescOf(pInfo);
    if (desc.hFont == nullptr) desc.hFont = static_cast<HFONT>(::GetStockObject(DEFAULT_GUI_FONT));
    return FindOrAddFont(desc);
}

int CHtmlText::FindOrAddFont(const FontDesc& wanted)
{
    if (TextOnly()) return m_state.font;
    FontDesc desc = wanted;
    if (desc.hFont == nullptr) {
        desc.hFont = m_pManager->GetFont(desc.face, desc.size, desc.bold, desc.underline, desc.italic);
        if (desc.hFont == nullptr) {
            desc.hFont = m_pManager->AddMarkupFont(desc.face, desc.size, desc.bold, desc.underline, desc.italic);
        }
        if (desc.hFont == nullptr) return m_state.font;  // unknown face: keep the current font
    }
    for (size_t i = 0; i < m_fonts.size(); ++i) {
        if (m_fonts[i].hFont == desc.hFont) return static_cast<int>(i);
    }
    CSelectObject select(m_hDC, desc.hFont);
    ::GetTextMetricsW(m_hDC, &desc.tm);
    m_fonts.push_back(desc);
    return static_cast<int>(m_fonts.size() - 1);
}

int CHtmlText::Variant(int font, bool bold, bool underline, bool italic)
{
    FontDesc desc = Font(font);
    desc.bold = desc.bold || bold;
    desc.underline = desc.underline || underline;
    desc.italic = desc.italic || italic;
    desc.hFont = nullptr;
    return FindOrAddFont(desc);
}

// A font id, or "face size [bold] [underline] [italic]".
int CHtmlText::FontFromArgument(const CUIString& arg)
{
    if (arg.IsEmpty() || TextOnly()) return m_state.font;
    if (arg[0] >= _T('0') && arg[0] <= _T('9')) {
        TFontInfo* pInfo = m_pManager->GetFontInfo(static_cast<int>(_tcstol(arg, nullptr, 10)));
        if (pInfo == nullptr || pInfo->hFont == nullptr) return m_state.font;
        return FindOrAddFont(DescOf(pInfo));
    }
    int blank = arg.Find(_T(' '));
    FontDesc desc;
    desc.face = blank < 0 ? arg : arg.Left(blank);
    desc.size = blank < 0 ? Font(m_state.font).size : static_cast<int>(_tcstol(arg.GetData() + blank + 1, nullptr, 10));
    if (desc.size <= 0) desc.size = Font(m_state.font).size;
    CUIString lower = arg;
    lower.MakeLower();
    desc.bold = lower.Find(_T("bold")) >= 0;
    desc.underline = lower.Find(_T("underline")) >= 0;
    desc.italic = lower.Find(_T("italic")) >= 0;
    return FindOrAddFont(desc);
}

// ---- parsing ---------------------------------------------------------------------------

void CHtmlText::AppendChar(TCHAR ch)
{
    m_text.push_back(ch);
}

void CHtmlText::FlushText()
{
    if (m_text.size() > m_runStart) {
        Atom atom{AtomKind::Text, m_state};
        atom.start = m_runStart;
        atom.length = m_text.size() - m_runStart;
        m_atoms.push_back(atom);
    }
    m_runStart = m_text.size();
}

void CHtmlText::Emit(AtomKind kind, int value)
{
    FlushText();
    Atom atom{kind, m_state};
    atom.value = value;
    m_atoms.push_back(atom);
}

// "<{>" "{", "<}>" "}", "{<}" "<", "{>}" ">".
bool CHtmlText::TryEscape(LPCTSTR p, size_t& consumed)
{
    const TCHAR opener = p[0];
    const TCHAR closer = opener == _T('<') ? _T('>') : _T('}');
    if (p[1] == 0 || p[2] != closer) return false;
    const TCHAR mid = p[1];
    bool ok = opener == _T('<') ? (mid == _T('{') || mid == _T('}')) : (mid == _T('<') || mid == _T('>'));
    if (!ok) return false;
    AppendChar(mid);
    consumed = 3;
    return true;
}

bool CHtmlText::TryTag(LPCTSTR p, size_t& consumed)
{
    const TCHAR opener = p[0];
    const TCHAR closer = opener == _T('<') ? _T('>') : _T('}');
    const TCHAR next = p[1];
    if (next == _T('/')) {
        LPCTSTR pEnd = _tcschr(p + 2, closer);
        if (pEnd == nullptr) return false;
        CUIString name(p + 2, static_cast<int>(pEnd - (p + 2)));
        consumed = static_cast<size_t>(pEnd - p) + 1;
        if (m_bRaw) {
            if (name != _T("r")) return false;
            FlushText();
            m_bRaw = false;
            return true;
        }
        if (name.GetLength() == 1) CloseTagEffect(name[0]);
        return true;
    }
    if (m_bRaw) return false;
    if (next < _T('a') || next > _T('z')) return false;
    if (p[2] != _T(' ') && p[2] != closer) return false;
    CUIString arg;
    if (p[2] == _T(' ')) {
        LPCTSTR pEnd = _tcschr(p + 3, closer);
        if (pEnd == nullptr) return false;
        arg.Assign(p + 3, static_cast<int>(pEnd - (p + 3)));
        consumed = static_cast<size_t>(pEnd - p) + 1;
    } else {
        consumed = 3;
    }
    // Trim the argument's blanks.
    while (!arg.IsEmpty() && arg[0] == _T(' ')) arg = arg.Mid(1);
    while (!arg.IsEmpty() && arg[arg.GetLength() - 1] == _T(' ')) arg = arg.Left(arg.GetLength() - 1);
    OpenTagEffect(next, arg);
    return true;
}

void CHtmlText::OpenTagEffect(TCHAR letter, const CUIString& arg)
{
    FlushText();
    switch (letter) {
    case _T('a'): {
        Push(letter);
        m_state.link = static_cast<int>(m_linkTexts.size());
        m_linkTexts.push_back(arg);
        if (!TextOnly()) {
            DWORD color = m_dwTextColor != 0 ? m_dwTextColor : m_pManager->GetDefaultLinkFontColor();
            if (m_bHover && m_sHoverLink == arg) color = m_pManager->GetDefaultLinkHoverFontColor();
            m_state.color = color;
        }
        SwitchFont(Variant(m_state.font, false, true, false));
        break;
    }
    case _T('b'):
        Push(letter);
        SwitchFont(Variant(m_state.font, true, false, false));
        break;
    case _T('c'): {
        Push(letter);
        LPCTSTR pColor = arg.GetData();
        if (*pColor == _T('#')) ++pColor;
        m_state.color = static_cast<DWORD>(_tcstoul(pColor, nullptr, 16));
        break;
    }
    case _T('f'):
        Push(letter);
        SwitchFont(FontFromArgument(arg));
        break;
    case _T('i'):
        if (arg.IsEmpty()) {
            Push(letter);
            SwitchFont(Variant(m_state.font, false, false, true));
        } else {
            EmitImage(arg);
        }
        break;
    case _T('n'):
        Emit(AtomKind::BreakTag);
        break;
    case _T('p'):
        Push(letter);
        m_state.spacing = static_cast<int>(_tcstol(arg, nullptr, 10));
        Emit(AtomKind::ParaStart);
        break;
    case _T('r'):
        m_bRaw = true;
        break;
    case _T('s'):
        Push(letter);
        m_state.selected = true;
        break;
    case _T('u'):
        Push(letter);
        SwitchFont(Variant(m_state.font, false, true, false));
        break;
    case _T('x'):
        Emit(AtomKind::MoveX, static_cast<int>(_tcstol(arg, nullptr, 10)));
        break;
    case _T('y'):
        Emit(AtomKind::SetHeight, static_cast<int>(_tcstol(arg, nullptr, 10)));
        break;
    default:
        break;
    }
}

namespace {

// What an open tag changes; a closer gives back only these, so tags of different kinds
// may close in any order ("<c #f00>a<b>b</c>c</b>" leaves "c" bold in the default colour).
enum : unsigned { kFieldFont = 1, kFieldColor = 2, kFieldLink = 4, kFieldSpacing = 8, kFieldSelected = 16 };

unsigned FieldsOf(TCHAR letter)
{
    switch (letter) {
    case _T('a'): return kFieldFont | kFieldColor | kFieldLink;
    case _T('b'):
    case _T('f'):
    case _T('i'):
    case _T('u'): return kFieldFont;
    case _T('c'): return kFieldColor;
    case _T('p'): return kFieldSpacing;
    case _T('s'): return kFieldSelected;
    default: return 0;
    }
}

void CopyFields(TextState& to, const TextState& from, unsigned fields)
{
    if (fields & kFieldFont) to.font = from.font;
    if (fields & kFieldColor) to.color = from.color;
    if (fields & kFieldLink) to.link = from.link;
    if (fields & kFieldSpacing) to.spacing = from.spacing;
    if (fields & kFieldSelected) to.selected = from.selected;
}

} // namespace

void CHtmlText::CloseTagEffect(TCHAR letter)
{
    size_t i = m_stack.size();
    while (i > 0 && m_stack[i - 1].letter != letter) --i;
    if (i == 0) return;
    FlushText();
    const int leavingFont = m_state.font;
    const size_t at = i - 1;
    unsigned fields = FieldsOf(letter);
    // Where a later, still open tag changed the same thing, that tag now gives back what
    // this one found; the rest returns to its value from before this tag.
    for (size_t j = at + 1; j < m_stack.size() && fields != 0; ++j) {
        const unsigned shared = fields & FieldsOf(m_stack[j].letter);
        if (shared == 0) continue;
        CopyFields(m_stack[j].saved, m_stack[at].saved, shared);
        fields &= ~shared;
    }
    CopyFields(m_state, m_stack[at].saved, fields);
    m_stack.erase(m_stack.begin() + static_cast<std::ptrdiff_t>(at));
    if (letter == _T('p')) Emit(AtomKind::ParaEnd);
    if (Font(leavingFont).italic && !Font(m_state.font).italic) Emit(AtomKind::ItalicEnd, leavingFont);
}

// An inline image: a descriptor (file='...'/res='...') or "name [count [index]]", where
// the image is a strip of count equal frames and frame index is drawn.
void CHtmlText::EmitImage(const CUIString& arg)
{
    if (TextOnly()) return;  // a picture has no text to read
    const TImageInfo* pImage = nullptr;
    int count = 1;
    int index = 0;
    RECT source = {0, 0, 0, 0};
    if (arg.Find(_T("file='")) >= 0 || arg.Find(_T("res='")) >= 0) {
        const TDrawInfo* pInfo = m_pManager->GetDrawInfo(arg, nullptr);
        if (pInfo != nullptr && !pInfo->sImageName.IsEmpty()) {
            pImage = m_pManager->GetImageEx(pInfo->sImageName,
                                            pInfo->sResType.IsEmpty() ? nullptr : pInfo->sResType.GetData(),
                                            pInfo->dwMask, pInfo->width, pInfo->height, pInfo->fillcolor);
            source = pInfo->rcSource;
        }
    } else {
        CUIString name = arg;
        int blank = arg.Find(_T(' '));
        if (blank >= 0) {
            name = arg.Left(blank);
            LPTSTR pEnd = nullptr;
            count = static_cast<int>(_tcstol(arg.GetData() + blank + 1, &pEnd, 10));
            if (pEnd != nullptr && *pEnd != 0) index = static_cast<int>(_tcstol(pEnd, nullptr, 10));
        }
        pImage = m_pManager->GetImageEx(name);
    }
    if (pImage == nullptr || pImage->hBitmap == nullptr) return;  // missing images are skipped
    if (count < 1) count = 1;
    if (index < 0 || index >= count) index = 0;
    if (source.right <= source.left || source.bottom <= source.top) {
        const int frameWidth = pImage->nX / count;
        source = RECT{frameWidth * index, 0, frameWidth * (index + 1), pImage->nY};
    }
    if (source.right > pImage->nX) source.right = pImage->nX;
    if (source.bottom > pImage->nY) source.bottom = pImage->nY;
    if (source.right <= source.left || source.bottom <= source.top) return;
    FlushText();
    Atom atom{AtomKind::Image, m_state};
    atom.image = pImage;
    atom.source = source;
    m_atoms.push_back(atom);
}

void CHtmlText::Parse(LPCTSTR pstrText)
{
    for (LPCTSTR p = pstrText; *p != 0;) {
        const TCHAR ch = *p;
        size_t consumed = 0;
        if ((ch == _T('<') || ch == _T('{')) && ((!m_bRaw && TryEscape(p, consumed)) || TryTag(p, consumed))) {
            p += consumed;
            continue;
        }
        if (ch == _T('\n')) {
            Emit(AtomKind::LineFeed);
        } else if (ch != _T('\r')) {
            AppendChar(ch);
        }
        ++p;
    }
    FlushText();
}

// ---- layout ------------------------------------------------------------------------------

int CHtmlText::TextWidth(const FontDesc& font, size_t start, size_t length) const
{
    if (length == 0) return 0;
    CSelectObject select(m_hDC, font.hFont);
    SIZE size = {0, 0};
    ::GetTextExtentPoint32W(m_hDC, m_text.data() + start, static_cast<int>(length), &size);
    return size.cx;
}

int CHtmlText::FitCount(const FontDesc& font, size_t start, size_t length, int width) const
{
    if (length == 0 || width <= 0) return 0;
    CSelectObject select(m_hDC, font.hFont);
    SIZE size = {0, 0};
    int fit = 0;
    if (!::GetTextExtentExPointW(m_hDC, m_text.data() + start, static_cast<int>(length), width, &fit, nullptr, &size)) {
        return 0;
    }
    return fit;
}

bool CHtmlText::IsLastVisibleLine() const
{
    return (m_uStyle & DT_SINGLELINE) != 0 || m_cur.top + m_cur.height >= m_rc.bottom;
}

// Ends the current line; false when no further line fits (or single-line mode).
bool CHtmlText::NewLine()
{
    m_cur.right = m_x;
    m_lines.push_back(m_cur);
    const int nextTop = m_cur.top + m_cur.height;
    m_cur = Line();
    m_cur.top = nextTop;
    m_x = m_rc.left;
    if ((m_uStyle & DT_SINGLELINE) != 0 || nextTop >= m_rc.bottom) {
        m_bStopped = true;
        return false;
    }
    m_cur.height = m_spacing + FontHeight(m_font);
    return true;
}

bool CHtmlText::LayoutEllipsis(const Atom& atom, size_t start, size_t length)
{
    static const wchar_t kDots[] = L"...";
    const FontDesc& font = Font(atom.state.font);
    CSelectObject select(m_hDC, font.hFont);
    SIZE dots = {0, 0};
    ::GetTextExtentPoint32W(m_hDC, kDots, 3, &dots);
    const int avail = m_rc.right - m_x - dots.cx;
    size_t keep = static_cast<size_t>(FitCount(font, start, length, avail));
    const int width = TextWidth(font, start, keep);
    if (avail >= 0) {
        m_cur.pieces.push_back(Piece{&atom, m_x, width + dots.cx, start, keep, true});
        m_x += width + dots.cx;
    }
    m_cur.right = m_x;
    m_lines.push_back(m_cur);
    m_bStopped = true;
    return false;
}

bool CHtmlText::LayoutText(const Atom& atom)
{
    const FontDesc& font = Font(atom.state.font);
    size_t start = atom.start;
    size_t length = atom.length;
    while (length > 0) {
        Raise(atom.state.spacing + FontHeight(atom.state.font));
        const int avail = m_rc.right - m_x;
        const size_t fit = static_cast<size_t>(FitCount(font, start, length, avail));
        if (fit >= length) {
            const int width = TextWidth(font, start, length);
            m_cur.pieces.push_back(Piece{&atom, m_x, width, start, length, false});
            m_x += width;
            return true;
        }
        if ((m_uStyle & DT_END_ELLIPSIS) != 0 && IsLastVisibleLine()) return LayoutEllipsis(atom, start, length);
        size_t cut = fit;
        if ((m_uStyle & DT_WORDBREAK) != 0) {
            size_t i = fit < length ? fit + 1 : length;
            while (i > 0 && m_text[start + i - 1] != L' ') --i;
            cut = i;
            if (cut == 0 && AtLineStart()) cut = fit;
        }
        if (cut == 0 && AtLineStart()) cut = 1;  // one character always goes, or nothing would progress
        if (cut > 0) {
            const int width = TextWidth(font, start, cut);
            m_cur.pieces.push_back(Piece{&atom, m_x, width, start, cut, false});
            m_x += width;
            start += cut;
            length -= cut;
        }
        if (!NewLine()) return false;
    }
    return true;
}

bool CHtmlText::LayoutImage(const Atom& atom)
{
    const int width = atom.source.right - atom.source.left;
    const int height = atom.source.bottom - atom.source.top;
    if (m_x + width > m_rc.right && !AtLineStart() && (m_uStyle & DT_SINGLELINE) == 0) {
        if (!NewLine()) return false;
    }
    Raise(height);
    m_cur.pieces.push_back(Piece{&atom, m_x, width, 0, 0, false});
    m_x += width;
    return true;
}

void CHtmlText::Layout()
{
    m_x = m_rc.left;
    m_font = m_state.font;
    m_spacing = 0;
    if (!m_atoms.empty()) {
        m_font = m_atoms.front().state.font;
    }
    m_cur.top = m_rc.top;
    m_cur.height = FontHeight(m_font);
    for (const Atom& atom : m_atoms) {
        if (m_bStopped) break;
        const bool wasAtStart = AtLineStart();
        bool go = true;
        switch (atom.kind) {
        case AtomKind::Text: go = LayoutText(atom); break;
        case AtomKind::Image: go = LayoutImage(atom); break;
        case AtomKind::LineFeed: go = NewLine(); break;
        case AtomKind::BreakTag:
            if ((m_uStyle & DT_SINGLELINE) == 0) go = NewLine();
            break;
        case AtomKind::ParaStart:
        case AtomKind::ParaEnd:
            m_spacing = atom.state.spacing;
            m_font = atom.state.font;
            if (!wasAtStart) go = NewLine();
            else Raise(m_spacing + FontHeight(m_font));
            break;
        case AtomKind::MoveX: m_x += atom.value; break;
        case AtomKind::SetHeight: m_cur.height = atom.value; break;
        case AtomKind::FontRaise: Raise(atom.state.spacing + FontHeight(atom.state.font)); break;
        case AtomKind::ItalicEnd: {
            CSelectObject select(m_hDC, Font(atom.value).hFont);
            ABC abc = {};
            if (::GetCharABCWidthsW(m_hDC, L' ', L' ', &abc)) m_x += (abc.abcC < 0 ? -abc.abcC : abc.abcC) / 2;
            break;
        }
        }
        m_font = atom.state.font;
        m_spacing = atom.state.spacing;
        if (!go) break;
    }
    if (!m_bStopped) {
        m_cur.right = m_x;
        if (!m_cur.pieces.empty() || m_lines.empty()) m_lines.push_back(m_cur);
    }
}

RECT CHtmlText::Measured() const
{
    RECT rc = m_rc;
    int widest = m_rc.left;
    for (const Line& line : m_lines) {
        if (line.right > widest) widest = line.right;
    }
    if (widest < rc.right) rc.right = widest;
    rc.bottom = m_lines.empty() ? m_rc.top : m_lines.back().top + m_lines.back().height;
    return rc;
}

// ---- drawing -------------------------------------------------------------------------------

void CHtmlText::Draw() const
{
    const int oldMode = ::SetBkMode(m_hDC, TRANSPARENT);
    const COLORREF oldColor = ::GetTextColor(m_hDC);
    const COLORREF oldBk = ::GetBkColor(m_hDC);
    const COLORREF selected = ToColorRef(m_pManager->GetDefaultSelectedBkColor());
    for (const Line& line : m_lines) {
        const int bottom = line.top + line.height;
        for (const Piece& piece : line.pieces) {
            const Atom& atom = *piece.atom;
            if (atom.kind == AtomKind::Image) {
                const int height = atom.source.bottom - atom.source.top;
                const int top = bottom - height - (line.height > height ? (line.height - height) / 2 : 0);
                const RECT dst = {piece.x, top, piece.x + piece.width, top + height};
                const RECT corner = {0, 0, 0, 0};
                CRenderEngine::DrawImage(m_hDC, atom.image->hBitmap, dst, m_rc, atom.source, corner,
                                         atom.image->bAlpha || m_pManager->IsLayered());
                continue;
            }
            const FontDesc& font = Font(atom.state.font);
            CSelectObject select(m_hDC, font.hFont);
            ::SetTextColor(m_hDC, ToColorRef(atom.state.color));
            if (atom.state.selected) {
                ::SetBkMode(m_hDC, OPAQUE);
                ::SetBkColor(m_hDC, selected);
            } else {
                ::SetBkMode(m_hDC, TRANSPARENT);
            }
            const int top = bottom - FontHeight(atom.state.font);
            ::TextOutW(m_hDC, piece.x, top, m_text.data() + piece.start, static_cast<int>(piece.length));
            if (piece.ellipsis) {
                const int x = piece.x + TextWidth(font, piece.start, piece.length);
                ::TextOutW(m_hDC, x, top, L"...", 3);
            }
        }
    }
    ::SetBkColor(m_hDC, oldBk);
    ::SetTextColor(m_hDC, oldColor);
    ::SetBkMode(m_hDC, oldMode);
}

int CHtmlText::RecordLinks(RECT* pLinks, CUIString* sLinks, int* pOrdinals, int capacity) const
{
    if (pLinks == nullptr || sLinks == nullptr) return 0;
    int count = 0;
    for (const Line& line : m_lines) {
        const int bottom = line.top + line.height;
        std::vector<std::pair<int, int>> lineLinks;  // link -> its rectangle on this line
        for (const Piece& piece : line.pieces) {
            const int link = piece.atom->state.link;
            if (link < 0) continue;
            const int top = piece.atom->kind == AtomKind::Image ? line.top : bottom - FontHeight(piece.atom->state.font);
            const RECT rc = {piece.x, top, piece.x + piece.width, bottom};
            bool merged = false;
            for (const auto& entry : lineLinks) {
                if (entry.first == link) {
                    ::UnionRect(&pLinks[entry.second], &pLinks[entry.second], &rc);
                    merged = true;
                    break;
                }
            }
            if (merged || count >= capacity) continue;
            pLinks[count] = rc;
            sLinks[count] = m_linkTexts[static_cast<size_t>(link)];
            if (pOrdinals != nullptr) pOrdinals[count] = link;
            lineLinks.emplace_back(link, count);
            ++count;
        }
    }
    return count;
}

CUIString CHtmlText::PlainText(std::vector<CUIString>* pLinkTexts) const
{
    CUIString sPlain;
    if (pLinkTexts != nullptr) pLinkTexts->assign(m_linkTexts.size(), CUIString());
    for (const Atom& atom : m_atoms) {
        if (atom.kind == AtomKind::Text) {
            const CUIString sRun(m_text.data() + atom.start, static_cast<int>(atom.length));
            sPlain += sRun;
            if (pLinkTexts != nullptr && atom.state.link >= 0) (*pLinkTexts)[static_cast<size_t>(atom.state.link)] += sRun;
        } else if (atom.kind == AtomKind::LineFeed || atom.kind == AtomKind::BreakTag ||
                   atom.kind == AtomKind::ParaStart || atom.kind == AtomKind::ParaEnd) {
            const int n = sPlain.GetLength();
            if (n > 0 && sPlain[n - 1] != _T(' ')) sPlain += _T(' ');
        }
    }
    return sPlain;
}

} // namespace

CUIString CRenderEngine::GetHtmlPlainText(LPCTSTR pstrText, std::vector<CUIString>* pLinkTexts)
{
    const RECT rcNone = {0, 0, 0, 0};
    CHtmlText text(nullptr, nullptr, rcNone, 0, -1, 0, false, CUIString());
    text.Parse(pstrText != nullptr ? pstrText : _T(""));
    return text.PlainText(pLinkTexts);
}

void CRenderEngine::DrawHtmlText(HDC hDC, CPaintManagerUI* pManager, RECT& rc, LPCTSTR pstrText, DWORD dwTextColor,
                                 RECT* pLinks, CUIString* sLinks, int& nLinkRects, int iFont, UINT uStyle,
                                 int* pLinkOrdinals)
{
    const int capacity = nLinkRects;
    if (hDC == nullptr || pManager == nullptr || pstrText == nullptr || *pstrText == 0 || ::IsRectEmpty(&rc)) {
        nLinkRects = 0;
        return;
    }
    const bool bDraw = (uStyle & DT_CALCRECT) == 0;
    CRenderClip clip;
    if (bDraw) CRenderClip::GenerateClip(hDC, rc, clip);
    dwTextColor = HighContrastText(hDC, rc, dwTextColor, uStyle);

    RECT rcLayout = rc;
    const UINT alignBits = DT_CENTER | DT_RIGHT | DT_VCENTER | DT_BOTTOM;
    if (bDraw && (uStyle & alignBits) != 0) {
        // Measure first. Single lines measure unbounded; wrapped text at its real width so the
        // vertical placement matches the lines that will be drawn.
        const bool single = (uStyle & DT_SINGLELINE) != 0;
        RECT rcMeasure = {0, 0, single ? 9999 : rc.right - rc.left, 9999};
        int none = 0;
        DrawHtmlText(hDC, pManager, rcMeasure, pstrText, dwTextColor, nullptr, nullptr, none, iFont,
                     (uStyle & ~alignBits) | DT_CALCRECT);
        const int w = rcMeasure.right - rcMeasure.left;
        const int h = rcMeasure.bottom - rcMeasure.top;
        if (single && (uStyle & DT_CENTER) != 0) {
            rcLayout.left = rc.left + (rc.right - rc.left - w) / 2;
            rcLayout.right = rcLayout.left + w;
        } else if (single && (uStyle & DT_RIGHT) != 0) {
            rcLayout.left = rc.right - w;
        }
        if ((uStyle & DT_VCENTER) != 0) {
            rcLayout.top = rc.top + (rc.bottom - rc.top - h) / 2;
            rcLayout.bottom = rcLayout.top + h;
        } else if ((uStyle & DT_BOTTOM) != 0) {
            rcLayout.top = rc.bottom - h;
        }
        if (rcLayout.left < rc.left) rcLayout.left = rc.left;
        if (rcLayout.right > rc.right) rcLayout.right = rc.right;
        if (rcLayout.bottom <= rcLayout.top) rcLayout.bottom = rcLayout.top + 1;
    }

    // The link under the mouse is looked up in the rectangles of the previous paint.
    CUIString sHover;
    bool bHover = false;
    if (pLinks != nullptr && sLinks != nullptr) {
        const POINT pt = pManager->GetMousePos();
        for (int i = 0; i < capacity; ++i) {
            if (::PtInRect(&pLinks[i], pt)) {
                sHover = sLinks[i];
                bHover = true;
                break;
            }
        }
    }

    CHtmlText text(hDC, pManager, rcLayout, dwTextColor, iFont, uStyle, bHover, sHover);
    text.Parse(pstrText);
    text.Layout();
    if (bDraw) text.Draw();
    nLinkRects = text.RecordLinks(pLinks, sLinks, pLinkOrdinals, capacity);
    if (!bDraw) rc = text.Measured();
}

} // namespace Veneer
