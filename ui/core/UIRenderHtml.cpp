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

// Fonts created for markup (bold, italic, "f" tags...) are registered with the manager under
// ids far above any a skin uses.
int NextMarkupFontId()
{
    static int s_nextId = 0x00F00000;
    return s_nextId++;
}

struct FontDesc {
    CUIString face;
    int size = 0;
    bool bold = false;
    bool underline = false;
    bool italic = false;
    HFONT hFont = nullptr;
    TEXTMETRICW tm = {};
};

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
              const CUIString& sHoverLink)
        : m_hDC(hDC), m_pManager(pManager), m_rc(rc), m_dwTextColor(dwTextColor), m_uStyle(uStyle),
          m_sHoverLink(sHoverLink)
    {
        m_state.font = BaseFont(iFont);
        m_state.color = dwTextColor;
    }

    void Parse(LPCTSTR pstrText);
    void Layout();
    void Draw() const;
    int RecordLinks(RECT* pLinks, CUIString* sLinks, int capacity) const;
    RECT Measured() const;

private:
    // ---- fonts ----
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
    TFontInfo* pInfo = m_pManager->GetFontInfo(iFont);
    if (pInfo == nullptr || pInfo->hFont == nullptr) pInfo = m_pManager->GetDefaultFontInfo();
    FontDesc desc;
    if (pInfo != nullptr) {
        desc.face = pInfo->sFontName;
        desc.size = pInfo->iSize;
        desc.bold = pInfo->bBold;
        desc.underline = pInfo->bUnderline;
        desc.italic = pInfo->bItalic;
        desc.hFont = pInfo->hFont;
    }
    if (desc.hFont == nullptr) desc.hFont = static_cast<HFONT>(::GetStockObject(DEFAULT_GUI_FONT));
    return FindOrAddFont(desc);
}

int CHtmlText::FindOrAddFont(const FontDesc& wanted)
{
    FontDesc desc = wanted;
    if (desc.hFont == nullptr) {
        desc.hFont = m_pManager->GetFont(desc.face, desc.size, desc.bold, desc.underline, desc.italic);
        if (desc.hFont == nullptr) {
            desc.hFont = m_pManager->AddFont(NextMarkupFontId(), desc.face, desc.size, desc.bold, desc.underline,
                                             desc.italic);
        }
        if (desc.hFont == nullptr) return m_fonts.empty() ? BaseFontFallback(desc) : m_state.font;
    }
    for (size_t i = 0; i < m_fonts.size(); ++i) {
        if (m_fonts[i].hFont == desc.hFont) return static_cast<int>(i);
    }
    CSelectObject select(m_hDC, desc.hFont);
    ::GetTextMetricsW(m_hDC, &desc.tm);
    m_fonts.push_back(desc);
    return static_cast<int>(m_fonts.size() - 1);
}
